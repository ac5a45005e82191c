#include <cstdlib>

#include "emulator/commands/command_support.hpp"
#include "emulator/commands/commands.hpp"
#include "emulator/device_errors.hpp"
#include "emulator/register_model.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint8_t kStartWork = 0x10;
constexpr std::uint8_t kGetDateTime = 0x13;
constexpr std::uint8_t kSetDateTime = 0x14;

// The host's clock may be this far from the register's when work starts.
constexpr std::int64_t kStartTolerance = 8 * 60;

std::optional<Moment> dateTimeOf(const FieldReader& fields, std::size_t first) {
    const auto date = parseDateField(fields.text(first));
    const auto time = parseTimeField(fields.text(first + 1));
    if (!date || !time) return std::nullopt;
    return *date + *time;
}

Reply startWork(RegisterState& state, const Request& request) {
    const auto hostTime = dateTimeOf(FieldReader(request), 0);
    if (!hostTime) return failure(device_error::kBadParameter);
    if (std::llabs(*hostTime - state.now()) > kStartTolerance) {
        return failure(device_error::kClockTooFarOff);
    }
    state.workDayStarted = true;
    return answer({});
}

Reply getDateTime(RegisterState& state, const Request&) {
    const Moment now = state.now();
    return answer({dateField(now), timeField(now)});
}

Reply setDateTime(RegisterState& state, const Request& request) {
    const auto wanted = dateTimeOf(FieldReader(request), 0);
    if (!wanted) return failure(device_error::kBadParameter);
    if (*wanted < state.lastFiscalMoment) return failure(device_error::kDateBeforeLastDocument);
    state.clockOffsetSeconds = *wanted - state.hostClock();
    return answer({});
}

}  // namespace

void defineClockCommands(RegisterModel& model) {
    model.define(kStartWork, CommandKind::Plain, startWork);
    model.define(kGetDateTime, CommandKind::Plain, getDateTime, Access::ReadOnly);
    model.define(kSetDateTime, CommandKind::Plain, setDateTime);
}

}  // namespace zirok::emulator
