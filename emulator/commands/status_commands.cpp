#include <string>

#include "emulator/commands/commands.hpp"
#include "emulator/register_model.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint8_t kGetStatus = 0x00;
constexpr std::uint8_t kGetPrinterStatus = 0x04;
constexpr std::uint8_t kOpenDrawer = 0x80;
constexpr std::uint8_t kGetDrawerState = 0x81;

// Printer flag bits.
constexpr std::uint32_t kNoPaper = 0x02;
constexpr std::uint32_t kCoverOpen = 0x04;

Reply getStatus(RegisterState& state, const Request&) {
    const Status status = statusOf(state);
    return answer(
        {std::to_string(status.fatal), std::to_string(status.flags), std::to_string(status.doc)});
}

Reply getPrinterStatus(RegisterState& state, const Request&) {
    std::uint32_t flags = 0;
    if (state.paperOut) flags |= kNoPaper;
    if (state.coverOpen) flags |= kCoverOpen;
    return answer({std::to_string(flags)});
}

Reply openDrawer(RegisterState& state, const Request&) {
    state.drawerOpen = true;
    return answer({});
}

Reply getDrawerState(RegisterState& state, const Request&) {
    return answer({state.drawerOpen ? "1" : "0"});
}

}  // namespace

void defineStatusCommands(RegisterModel& model) {
    model.define(kGetStatus, CommandKind::Query, getStatus, Access::ReadOnly);
    model.define(kGetPrinterStatus, CommandKind::Plain, getPrinterStatus, Access::ReadOnly);
    model.define(kOpenDrawer, CommandKind::Plain, openDrawer);
    model.define(kGetDrawerState, CommandKind::Query, getDrawerState, Access::ReadOnly);
}

}  // namespace zirok::emulator
