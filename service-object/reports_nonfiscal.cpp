// Non-fiscal documents with their text escapes, and the amount of a cash-in
// or cash-out document.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/ansi_text.hpp"
#include "protocol/codepage.hpp"
#include "protocol/commands.hpp"
#include "protocol/commands/windows1251_literal.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

using protocol::Windows1251Literal;
namespace result = protocol::result;

constexpr Windows1251Literal kUnsupportedSequence{
    u8"Указанная последовательность не поддерживается"};
constexpr Windows1251Literal kRoubles{u8"руб."};

constexpr int kServiceDocument = 1;
constexpr int kServiceSecondField = 1;
constexpr int kCloseFlags = 1;
constexpr std::int32_t kCashIn = 1;   // FPTR_RT_CASH_IN
constexpr std::int32_t kCashOut = 2;  // FPTR_RT_CASH_OUT

constexpr char kEscape = '\x1b';
// The escape that feeds a slip in: there is no slip station.
constexpr std::string_view kSlipFeed = "\x1b|0pI";

bool isEscape(const std::string& text) {
    return text.size() >= 2 && text[0] == kEscape && text[1] == '|';
}

// ESC "|" n "fT": the print attributes chosen by the digit n.
int fontAttributes(char digit) {
    switch (digit) {
        case '2':
            return 0x10;
        case '3':
            return 0x20;
        case '4':
            return 0x30;
        case '5':
            return 0x01;
        default:
            return 0;
    }
}

bool commandAt(const std::string& text, std::string_view command) {
    return text.size() >= 5 && text.compare(3, 2, command) == 0;
}

// A currency amount as the trace shows it: units with only the decimals
// that are not zero.
std::string currencyText(std::int64_t amount) {
    const std::uint64_t magnitude =
        amount < 0 ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
    std::string text = (amount < 0 ? "-" : "") + std::to_string(magnitude / 10000);
    std::string fraction = std::to_string(magnitude % 10000 + 10000).substr(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) text += "." + fraction;
    return text;
}

void settle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

}  // namespace

std::int32_t TSOZirok::BeginNonFiscal() {
    logInfo("Begin BeginNonFiscal");
    resetErrorState();
    RefreshStatus();
    std::int32_t rc = opos::SUCCESS;
    if (printerState() == fptr::PS_MONITOR) {
        const protocol::Result code = protocol::DocumentOpen(link(), portName_, kServiceDocument,
                                                             kServiceSecondField, cashierName_, 0);
        if (code == result::Ok) {
            setPrinterState(fptr::PS_NONFISCAL);
            sendStatusUpdate();
        }
        rc = GetSystemError(code);
    } else {
        rc = wrongState(false);
    }
    logInfo("End BeginNonFiscal");
    return rc;
}

std::int32_t TSOZirok::PrintNormal(std::int32_t station, const std::u16string& data) {
    const std::string text = platform::wideToAnsi(data);
    logInfo("Begin PrintNormal");
    logInfo("Station=" + std::to_string(station));
    logInfo("Data='" + text + "'");
    resetErrorState();
    props_.setNumber(pidx::FptrFiscalReceiptStation, station);
    const bool inDocument = printerState() != fptr::PS_MONITOR;
    if (printerState() != fptr::PS_NONFISCAL) return wrongState(false);

    if (!isEscape(text)) {
        const std::int32_t rc = GetSystemError(protocol::PrintText(link(), portName_, text, 0));
        logInfo("End PrintNormal");
        return rc;
    }
    if (text == kSlipFeed) {
        props_.setNumber(pidx::ResultCode, opos::E_EXTENDED);
        props_.setNumber(pidx::ResultCodeExtended, efptr::BAD_ITEM_DESCRIPTION);
        const std::u16string wide = platform::ansiToWide(kUnsupportedSequence);
        props_.setString(pidx::CheckHealthText, wide);
        props_.setString(pidx::FptrErrorString, wide);
        return opos::E_EXTENDED;
    }
    if (std::int32_t rc = 0; printBarcodeEscape(text, true, inDocument, rc)) return rc;
    if (commandAt(text, "fT")) {
        // The register's refusal is mapped like every other one, so that
        // ResultCode never reads success for a line that was not printed.
        return GetSystemError(
            protocol::PrintText(link(), portName_, text.substr(5), fontAttributes(text[2])));
    }
    if (commandAt(text, "fC") && text[2] == '1') return GetSystemError(result::Ok);

    const std::int32_t rc = GetSystemError(protocol::PrintText(link(), portName_, text, 0));
    logInfo("End PrintNormal");
    return rc;
}

std::int32_t TSOZirok::EndNonFiscal() {
    logInfo("Begin EndNonFiscal");
    resetErrorState();
    settle();
    if (printerState() != fptr::PS_NONFISCAL) return wrongState(false);
    const protocol::Result code =
        protocol::DocumentClose(link(), portName_, context().cutAfterDocument, kCloseFlags);
    if (code == result::Ok) {
        setPrinterState(fptr::PS_MONITOR);
        sendStatusUpdate();
    }
    const std::int32_t rc = GetSystemError(code);
    logInfo("End EndNonFiscal");
    return rc;
}

std::int32_t TSOZirok::PrintRecCash(std::int64_t amount) {
    logInfo("Begin PrintRecCash");
    logInfo("Amount=" + currencyText(amount));
    resetErrorState();
    const std::int32_t type = props_.number(pidx::FptrFiscalReceiptType);
    if (type != kCashIn && type != kCashOut) return wrongState(false);
    // The register prints the unit in its own code page whichever way the
    // conversion setting stands; the link converts it when conversion is on.
    const std::string unit = link().activeConversion() ? std::string(kRoubles.view())
                                                       : protocol::toDeviceText(kRoubles.view());
    const std::int32_t rc =
        GetSystemError(protocol::AddCashAmount(link(), portName_, unit, amount));
    logInfo("End PrintRecCash");
    return rc;
}

}  // namespace zirok::so
