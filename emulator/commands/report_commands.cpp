#include "emulator/commands/command_support.hpp"
#include "emulator/commands/commands.hpp"
#include "emulator/cp866_text.hpp"
#include "emulator/device_errors.hpp"
#include "emulator/fiscal_storage.hpp"
#include "emulator/printouts.hpp"
#include "emulator/register_model.hpp"
#include "emulator/tape.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint8_t kPrintXReport = 0x20;
constexpr std::uint8_t kPrintZReport = 0x21;
constexpr std::uint8_t kOpenShift = 0x23;
constexpr std::uint8_t kCorrectionReceipt = 0x58;
constexpr std::uint8_t kPrintSettlementReport = 0x59;
constexpr std::uint8_t kPrintPeriodicReport = 0x62;
constexpr std::uint8_t kPrintNumberedReport = 0x72;
constexpr std::uint8_t kCommandA0 = 0xA0;
constexpr std::uint8_t kCommandA1 = 0xA1;

// The register asks for this access code before a fiscal report by dates.
constexpr std::string_view kPeriodicReportCode = "71946";
// Correction types: bit 1 a correction of expenses, bit 5 always set by the host.
constexpr std::int64_t kCorrectionTypeBits = 0x22;
constexpr Kopecks kMaxAmount = 10'000'000'000'000;

std::uint8_t readyForFiscalReport(const RegisterState& state) {
    if (const std::uint8_t error = readyForDocument(state)) return error;
    return state.identity.fiscal ? device_error::kNone : device_error::kWrongState;
}

void printCashier(RegisterState& state, std::string_view cashier) {
    if (!cashier.empty()) tape::print(state, tape::leftRight("КАССИР", cp866ToUtf8(cashier)));
}

Reply printXReport(RegisterState& state, const Request& request) {
    if (const std::uint8_t error = readyForDocument(state)) return failure(error);
    printShiftTotals(state, "ОТЧЕТ БЕЗ ГАШЕНИЯ");
    printCashier(state, FieldReader(request).text(0));
    tape::print(state, tape::rule('~'));
    return answer({});
}

Reply printZReport(RegisterState& state, const Request& request) {
    if (const std::uint8_t error = readyForFiscalReport(state)) return failure(error);
    if (!state.shift.open) return failure(device_error::kWrongState);
    const std::string cashier(FieldReader(request).text(0));
    printShiftTotals(state, "ИТОГИ СМЕНЫ");
    const StoredDocument& stored = storeShiftClosing(state, cashier);
    printFiscalDocument(state, stored, false);
    state.shift.open = false;
    state.shift.counters = ShiftCounters{};
    return answer({std::to_string(stored.number)});
}

Reply openShift(RegisterState& state, const Request& request) {
    if (const std::uint8_t error = readyForFiscalReport(state)) return failure(error);
    if (state.shift.open) return failure(device_error::kWrongState);
    if (const std::uint8_t error =
            ensureShiftOpen(state, std::string(FieldReader(request).text(0)))) {
        return failure(error);
    }
    return answer({std::to_string(state.shift.number)});
}

Reply printSettlementReport(RegisterState& state, const Request& request) {
    if (const std::uint8_t error = readyForFiscalReport(state)) return failure(error);
    printFiscalDocument(
        state, storeSettlementReport(state, std::string(FieldReader(request).text(0))), false);
    return answer({});
}

Reply periodicReportCommand(RegisterState& state, const Request& request) {
    if (const std::uint8_t error = readyForDocument(state)) return failure(error);
    const FieldReader fields(request);
    if (fields.text(3) != kPeriodicReportCode) return failure(device_error::kWrongAccessCode);
    const auto from = parseDateField(fields.text(1));
    const auto to = parseDateField(fields.text(2));
    if (!from || !to || *from > *to) return failure(device_error::kBadParameter);
    printPeriodicReport(state, *from, *to);
    return answer({});
}

Reply printCopy(RegisterState& state, std::uint32_t number) {
    if (const std::uint8_t error = readyForDocument(state)) return failure(error);
    const StoredDocument* stored = state.stored(number);
    if (!stored) return failure(device_error::kNoSuchData);
    printFiscalDocument(state, *stored, true);
    return answer({});
}

Reply printNumberedReport(RegisterState& state, const Request& request) {
    const auto number = FieldReader(request).integer(0);
    if (!number || *number < 1 || *number > 0xFFFFFFFF) return failure(device_error::kBadParameter);
    return printCopy(state, static_cast<std::uint32_t>(*number));
}

Reply printLastDocument(RegisterState& state, const Request&) {
    return printCopy(state, state.lastDocumentNumber());
}

Reply correctionReceipt(RegisterState& state, const Request& request) {
    if (const std::uint8_t error = readyForFiscalReport(state)) return failure(error);
    const FieldReader fields(request);
    const auto cash = fields.scaled(1, 2);
    const auto electronic = fields.scaled(2, 2);
    const auto type = fields.integer(6);
    const auto date = parseDateField(fields.text(7));
    const auto number = fields.integerOr(8, 0);
    if (!cash || !electronic || *cash < 0 || *electronic < 0 || *cash + *electronic == 0 ||
        *cash + *electronic > kMaxAmount || !type || *type < 0 ||
        (*type & ~kCorrectionTypeBits) != 0 || !date || !number) {
        return failure(device_error::kBadParameter);
    }
    const std::string cashier(fields.text(0));
    if (const std::uint8_t error = ensureShiftOpen(state, cashier)) return failure(error);
    const StoredDocument& stored = storeCorrection(
        state, Correction{cashier, *cash, *electronic, static_cast<int>(*type), *date, *number});
    ++state.shift.counters.corrections;
    state.cashInDrawer += (*type & 0x02) != 0 ? -*cash : *cash;
    printFiscalDocument(state, stored, false);
    return answer({std::to_string(stored.number), std::to_string(stored.sign)});
}

}  // namespace

void defineReportCommands(RegisterModel& model) {
    model.define(kPrintXReport, CommandKind::Plain, printXReport);
    model.define(kPrintZReport, CommandKind::Plain, printZReport);
    model.define(kOpenShift, CommandKind::Plain, openShift);
    model.define(kCorrectionReceipt, CommandKind::Plain, correctionReceipt);
    model.define(kPrintSettlementReport, CommandKind::Plain, printSettlementReport);
    model.define(kPrintPeriodicReport, CommandKind::Plain, periodicReportCommand);
    model.define(kPrintNumberedReport, CommandKind::Plain, printNumberedReport);
    model.define(
        kCommandA0, CommandKind::Plain, [](RegisterState&, const Request&) { return answer({}); },
        Access::ReadOnly);
    model.define(kCommandA1, CommandKind::Plain, printLastDocument);
}

}  // namespace zirok::emulator
