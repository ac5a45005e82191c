#include "emulator/commands/command_support.hpp"
#include "emulator/commands/commands.hpp"
#include "emulator/device_errors.hpp"
#include "emulator/register_model.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint8_t kReadTable = 0x11;
constexpr std::uint8_t kWriteTable = 0x12;

Reply readTable(RegisterState& state, const Request& request) {
    const FieldReader fields(request);
    const auto table = fields.integer(0);
    const auto index = fields.integerOr(1, 0);
    if (!table || !index) return failure(device_error::kBadParameter);
    const auto value = state.tables.read(static_cast<int>(*table), static_cast<int>(*index));
    if (!value) return failure(device_error::kBadParameter);
    return answer({*value});
}

Reply writeTable(RegisterState& state, const Request& request) {
    const FieldReader fields(request);
    const auto table = fields.integer(0);
    const auto index = fields.integer(1);
    if (!table || !index || fields.count() < 3) return failure(device_error::kBadParameter);
    return failure(
        state.tables.write(static_cast<int>(*table), static_cast<int>(*index), fields.text(2)));
}

}  // namespace

void defineTableCommands(RegisterModel& model) {
    model.define(kReadTable, CommandKind::Plain, readTable, Access::ReadOnly);
    model.define(kWriteTable, CommandKind::Plain, writeTable);
}

}  // namespace zirok::emulator
