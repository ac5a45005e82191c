#include "protocol/commands/reports.hpp"

#include "protocol/commands/clock_commands.hpp"
#include "protocol/commands/command_support.hpp"

namespace zirok::protocol {

namespace {

constexpr std::uint8_t kPrintXReport = 0x20;
constexpr std::uint8_t kPrintZReport = 0x21;
constexpr std::uint8_t kOpenShift = 0x23;
constexpr std::uint8_t kPrintSettlementReport = 0x59;
constexpr std::uint8_t kPrintPeriodicReport = 0x62;
constexpr std::uint8_t kPrintNumberedReport = 0x72;
constexpr std::uint8_t kCommandA0 = 0xA0;
constexpr std::uint8_t kCommandA1 = 0xA1;
constexpr int kLongReportTimeoutMs = 90000;
// The register asks for this access code before a fiscal report by dates.
constexpr std::string_view kPeriodicReportAccessCode = "71946";

Result cashierCommand(RegisterLink& link, const std::string& port, std::uint8_t code,
                      const std::string& cashier) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link).appendText(cashier);
    return link.exchange(port, code);
}

}  // namespace

Result PrintXReport(RegisterLink& link, const std::string& port, const std::string& cashier) {
    return cashierCommand(link, port, kPrintXReport, cashier);
}

Result PrintZReport(RegisterLink& link, const std::string& port, const std::string& cashier) {
    link.setActiveConversion(link.conversionSetting());
    const Result outcome = cashierCommand(link, port, kPrintZReport, cashier);
    // The end of a shift is when the register's clock is brought to the
    // computer's.
    if (outcome == result::Ok) SetDateTimeFromComputer(link, port);
    return outcome;
}

Result OpenShift(RegisterLink& link, const std::string& port, const std::string& cashier,
                 int number) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    detail::appendTextOrEmpty(params, cashier);
    if (number < 1 || number > 11) {
        params.appendEmpty();
        params.appendEmpty();
        params.appendInt(number);
    }
    return link.exchange(port, kOpenShift);
}

Result PrintSettlementReport(RegisterLink& link, const std::string& port,
                             const std::string& cashier) {
    return cashierCommand(link, port, kPrintSettlementReport, cashier);
}

Result PrintPeriodicReport(RegisterLink& link, const std::string& port, const ZirokDate& first,
                           const ZirokDate& second) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(1);
    params.appendDate(first);
    params.appendDate(second);
    params.appendText(kPeriodicReportAccessCode);
    return link.exchange(port, kPrintPeriodicReport, {.timeoutMs = kLongReportTimeoutMs});
}

Result PrintNumberedReport(RegisterLink& link, const std::string& port, std::int64_t start) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link).appendInt(start);
    return link.exchange(port, kPrintNumberedReport, {.timeoutMs = kLongReportTimeoutMs});
}

Result CommandA0(RegisterLink& link, const std::string& port) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link);
    return link.exchange(port, kCommandA0);
}

Result CommandA1(RegisterLink& link, const std::string& port) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link).appendInt(1);
    return link.exchange(port, kCommandA1, {.timeoutMs = kLongReportTimeoutMs});
}

}  // namespace zirok::protocol
