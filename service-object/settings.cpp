// The register's clock and its header and trailer lines.
#include <cstdint>
#include <string>

#include "platform/ansi_text.hpp"
#include "protocol/commands.hpp"
#include "service-object/date_fields.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

// Dates shorter than this carry a two-digit year (DDMMYYhhmm); longer ones
// a four-digit year (DDMMYYYYhhmm), of which the register keeps the last two.
constexpr std::size_t kFourDigitYearLength = 12;

// Two characters from `first` as a decimal number.
std::uint8_t pair(const std::u16string& text, std::size_t first) {
    return static_cast<std::uint8_t>(dateField(text, first, 2));
}

}  // namespace

std::int32_t TSOZirok::SetDate(const std::u16string& date) {
    logInfo("Begin SetDate");
    logInfo("Date: " + platform::wideToAnsi(date));
    resetErrorState();
    const bool shortYear = date.size() < kFourDigitYearLength;
    protocol::ZirokDate day;
    protocol::ZirokTime time;
    day.Day = pair(date, 0);
    day.Month = pair(date, 2);
    day.Year = pair(date, shortYear ? 4 : 6);
    const std::size_t clock = shortYear ? 6 : 8;
    time.Hour = pair(date, clock);
    time.Min = pair(date, clock + 2);
    logInfo("ZirokDate.Day: " + std::to_string(day.Day));
    logInfo("ZirokDate.Month: " + std::to_string(day.Month));
    logInfo("ZirokDate.Year: " + std::to_string(day.Year));
    logInfo("ZirokTime.Hour: " + std::to_string(time.Hour));
    logInfo("ZirokTime.Min: " + std::to_string(time.Min));
    const std::int32_t rc = GetSystemError(protocol::SetDateTime(link(), portName_, day, time));
    logInfo("End SetDate");
    return rc;
}

std::int32_t TSOZirok::SetHeaderLine(std::int32_t lineNumber, const std::u16string& text,
                                     bool /*doubleWidth*/) {
    const std::string line = platform::wideToAnsi(text);
    logInfo("Begin SetHeaderLine");
    logInfo("LineNumber=" + std::to_string(lineNumber));
    logInfo("Text='" + line + "'");
    const std::int32_t rc =
        GetSystemError(protocol::WriteHeaderLine(link(), portName_, lineNumber - 1, line));
    logInfo("End SetHeaderLine");
    return rc;
}

std::int32_t TSOZirok::SetTrailerLine(std::int32_t lineNumber, const std::u16string& text,
                                      bool doubleWidth) {
    const std::string line = platform::wideToAnsi(text);
    logInfo("Begin SetTrailerLine");
    logInfo("LineNumber=" + std::to_string(lineNumber));
    logInfo("Text='" + line + "'");
    logInfo(std::string("DoubleWidth=") + (doubleWidth ? "True" : "False"));
    resetErrorState();
    const protocol::Result code =
        protocol::WriteTrailerLine(link(), portName_, lineNumber - 1, line);
    std::int32_t rc = opos::SUCCESS;
    if (code != protocol::result::Ok) {
        rc = GetSystemError(code);
        std::string report = "Exiting and";
        report += "\r\n\tSet Result := " + std::to_string(rc);
        report += "\r\n\tSet CommonPropertyNumber[PIDX_ResultCode] := " +
                  std::to_string(props_.number(pidx::ResultCode));
        report += "\r\n\tSet CommonPropertyNumber[PIDX_ResultCodeExtended] := " +
                  std::to_string(props_.number(pidx::ResultCodeExtended));
        report += "\r\n\tSet CommonPropertyString[PIDX_CheckHealthText] := '" +
                  platform::wideToAnsi(props_.string(pidx::CheckHealthText)) + "'";
        report += "\r\n\tSet PropertyNumber[PIDXFptr_ErrorLevel] := " +
                  std::to_string(props_.number(pidx::FptrErrorLevel));
        report += "\r\n\tSet PropertyString[PIDXFptr_ErrorString] := '" +
                  platform::wideToAnsi(props_.string(pidx::FptrErrorString)) + "'";
        logError(report);
    }
    logInfo("End SetTrailerLine");
    return rc;
}

}  // namespace zirok::so
