#include <string>

#include "emulator/commands/commands.hpp"
#include "emulator/register_model.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint8_t kGetStatus = 0x00;
constexpr std::uint8_t kGetDrawerState = 0x81;

Reply getStatus(RegisterState& state, const Request&) {
    const Status status = statusOf(state);
    return Reply{
        0,
        {std::to_string(status.fatal), std::to_string(status.flags), std::to_string(status.doc)}};
}

Reply getDrawerState(RegisterState& state, const Request&) {
    return Reply{0, {state.drawerOpen ? "1" : "0"}};
}

}  // namespace

void defineStatusCommands(RegisterModel& model) {
    model.define(kGetStatus, CommandKind::Query, getStatus);
    model.define(kGetDrawerState, CommandKind::Query, getDrawerState);
}

}  // namespace zirok::emulator
