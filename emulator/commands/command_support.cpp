#include "emulator/commands/command_support.hpp"

#include "emulator/decimal.hpp"
#include "emulator/device_errors.hpp"
#include "emulator/fiscal_storage.hpp"
#include "emulator/printouts.hpp"

namespace zirok::emulator {

std::string_view FieldReader::text(std::size_t index) const {
    return index < fields_.size() ? std::string_view(fields_[index]) : std::string_view();
}

std::optional<std::int64_t> FieldReader::integer(std::size_t index) const {
    return parseInteger(text(index));
}

std::optional<std::int64_t> FieldReader::integerOr(std::size_t index, std::int64_t fallback) const {
    if (!has(index)) return fallback;
    return parseInteger(text(index));
}

std::optional<std::int64_t> FieldReader::scaled(std::size_t index, int decimals) const {
    return parseScaled(text(index), decimals);
}

std::uint8_t printerError(const RegisterState& state) {
    if (state.coverOpen) return device_error::kPrinterNotReady;
    if (state.paperOut) return device_error::kPaperOut;
    return device_error::kNone;
}

std::uint8_t readyForDocument(const RegisterState& state) {
    if (!state.workDayStarted || state.document) return device_error::kWrongState;
    return printerError(state);
}

std::uint8_t ensureShiftOpen(RegisterState& state, const std::string& cashier) {
    if (!state.identity.fiscal) return device_error::kWrongState;
    if (state.shift.open) {
        return state.shiftOver24Hours() ? device_error::kShiftOver24Hours : device_error::kNone;
    }
    state.shift.open = true;
    ++state.shift.number;
    state.shift.openedAt = state.now();
    state.shift.counters = ShiftCounters{};
    printFiscalDocument(state, storeShiftOpening(state, cashier), false);
    return device_error::kNone;
}

std::string yesNo(bool value) {
    return value ? "1" : "0";
}

}  // namespace zirok::emulator
