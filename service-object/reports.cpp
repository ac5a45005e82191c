// Shift reports, fiscal reports by number and by period, and the reset of a
// document left open on the register.
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>

#include "platform/ansi_text.hpp"
#include "protocol/commands.hpp"
#include "service-object/date_fields.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

namespace result = protocol::result;

constexpr std::int32_t kReportOrdinal = 1;     // FPTR_RT_ORDINAL
constexpr std::int32_t kReportEodOrdinal = 3;  // FPTR_RT_EOD_ORDINAL
constexpr std::int64_t kDocTypeMask = 0x0F;
constexpr std::int64_t kDocNonFiscal = 1;
constexpr protocol::Result kWrongRegisterState = 1;

// The register gives the open document a moment to settle before it is asked
// about it again.
void settle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// A Z report refused by the fiscal storage itself (its state, its exchange)
// is finished by the register's recovery command instead.
bool storageRefusal(protocol::Result code) {
    return (code >= 66 && code <= 70) || (code >= 74 && code <= 75);
}

// The leading digits of a report number ("25", "25-30" and "25abc" all give
// 25); none gives 0. A number too long for the register stays at the largest
// value rather than wrapping round into an unrelated document number.
std::int64_t leadingNumber(const std::u16string& text) {
    constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') break;
        const int digit = c - u'0';
        value = value > (kLargest - digit) / 10 ? kLargest : value * 10 + digit;
    }
    return value;
}

// DDMMYY or DDMMYYYY: the register wants the year within its century either
// way, so a four-digit year is not cut to a byte of something else.
protocol::ZirokDate periodDate(const std::u16string& text) {
    protocol::ZirokDate date;
    date.Day = static_cast<std::uint8_t>(dateField(text, 0, 2) % 256);
    date.Month = static_cast<std::uint8_t>(dateField(text, 2, 2) % 256);
    date.Year = static_cast<std::uint8_t>(dateField(text, 4, 4) % 100);
    return date;
}

// Every report first clears a document the register still holds open; a
// document that cannot be cleared stops the report.
std::int32_t prepareReport(TSOZirok& so) {
    if (so.printerState() == fptr::PS_MONITOR) return opos::SUCCESS;
    return so.ResetPrinter();
}

}  // namespace

std::int32_t TSOZirok::ResetPrinter() {
    logInfo("Begin ResetPrinter");
    resetErrorState();
    settle();
    protocol::Result code = protocol::GetStatus(link(), portName_, status_);
    if (code == result::Ok) {
        const std::int64_t open = status_.doc & kDocTypeMask;
        if (open == kDocNonFiscal) {
            code = protocol::DocumentClose(link(), portName_, false, 1);
        } else if (open > kDocNonFiscal) {
            logInfo("(status.doc and 15) > 1 => Call DocumentAnnul");
            code = protocol::DocumentAnnul(link(), portName_);
        }
    }
    if (code == result::Ok) {
        setPrinterState(fptr::PS_MONITOR);
        sendStatusUpdate();
    }
    const std::int32_t rc = GetSystemError(code);
    logInfo("End ResetPrinter");
    return rc;
}

std::int32_t TSOZirok::PrintXReport() {
    logInfo("Begin PrintXReport");
    resetErrorState();
    RefreshStatus();
    if (const std::int32_t rc = prepareReport(*this); rc != opos::SUCCESS) return rc;
    const std::int32_t rc = GetSystemError(protocol::PrintXReport(link(), portName_, cashierName_));
    logInfo("End PrintXReport");
    return rc;
}

std::int32_t TSOZirok::PrintZReport() {
    logInfo("Begin PrintZReport");
    resetErrorState();
    RefreshStatus();
    if (const std::int32_t rc = prepareReport(*this); rc != opos::SUCCESS) return rc;
    protocol::Result code = kWrongRegisterState;
    if (GetPropertyNumber(pidx::FptrDayOpened) == 1) {
        code = protocol::PrintZReport(link(), portName_, cashierName_);
        if (storageRefusal(code)) code = protocol::CommandA0(link(), portName_);
        if (code == result::Ok) props_.setNumber(pidx::FptrDayOpened, 0);
    }
    const std::int32_t rc = GetSystemError(code);
    logInfo("End PrintZReport");
    return rc;
}

std::int32_t TSOZirok::PrintReport(std::int32_t reportType, const std::u16string& startNum,
                                   const std::u16string& endNum) {
    logInfo("Begin PrintReport");
    logInfo("ReportType=" + std::to_string(reportType));
    logInfo("StartNum='" + platform::wideToAnsi(startNum) + "'");
    logInfo("EndNum='" + platform::wideToAnsi(endNum) + "'");
    resetErrorState();
    if (reportType != kReportOrdinal && reportType != kReportEodOrdinal) {
        const std::int32_t rc = notSupported();
        logInfo("End PrintReport");
        return rc;
    }
    if (const std::int32_t rc = prepareReport(*this); rc != opos::SUCCESS) return rc;
    const std::int64_t start = leadingNumber(startNum);
    std::int64_t end = leadingNumber(endNum);
    if (end == 0) end = start;
    // The register reports from one number on; the end only decides whether
    // numbers were given at all.
    const protocol::Result code = start != 0 || end != 0
                                      ? protocol::PrintNumberedReport(link(), portName_, start)
                                      : protocol::CommandA1(link(), portName_);
    const std::int32_t rc = GetSystemError(code);
    logInfo("End PrintReport");
    return rc;
}

std::int32_t TSOZirok::PrintperiodicTotalsReport(const std::u16string& date1,
                                                 const std::u16string& date2) {
    logInfo("Begin PrintPeriodicTotalsReport");
    logInfo("Date1='" + platform::wideToAnsi(date1) + "'");
    logInfo("Date2='" + platform::wideToAnsi(date2) + "'");
    resetErrorState();
    const protocol::ZirokDate first = periodDate(date1);
    const protocol::ZirokDate second = periodDate(date2);
    const std::int32_t rc =
        GetSystemError(protocol::PrintPeriodicReport(link(), portName_, first, second));
    logInfo("End PrintPeriodicTotalsReport");
    return rc;
}

}  // namespace zirok::so
