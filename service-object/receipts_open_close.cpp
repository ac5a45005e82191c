// Opening and closing a fiscal receipt: the shift-opening key check, the
// automatic Z report on an overdue shift, and the delayed-total close.
#include <cstdio>
#include <filesystem>
#include <string>

#include "logging/client/log_folder.hpp"
#include "logging/client/logger.hpp"
#include "platform/ansi_text.hpp"
#include "platform/clock.hpp"
#include "platform/system.hpp"
#include "protocol/answer_fields.hpp"
#include "protocol/commands.hpp"
#include "protocol/commands/windows1251_literal.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

using protocol::Windows1251Literal;

constexpr Windows1251Literal kWrongStateText{u8"Неверное состояние фискального принтера"};
constexpr Windows1251Literal kRounding{u8"Округление:"};
constexpr Windows1251Literal kSubtotal{u8"  Подытог:"};
constexpr Windows1251Literal kCash{u8"Наличными:"};
constexpr Windows1251Literal kTotal{u8"  Итог:"};
constexpr Windows1251Literal kElectronic{u8"Электронными:"};
constexpr Windows1251Literal kChange{u8"  Сдача:"};

constexpr std::int32_t kFptrRtCashIn = 1;
constexpr std::int32_t kFptrRtCashOut = 2;
constexpr std::int32_t kFptrRtSales = 4;
constexpr std::int32_t kFptrRtRefund = 7;
constexpr std::int32_t kCapAdditionalHeader = pidx::Fptr(544);
constexpr protocol::Result kShiftOver24Hours = 10;
constexpr int kKeyStateRequest = 52;
constexpr int kCloseTimeoutExtraMs = 20000;
constexpr int kFiscalReceiptClose = 5;
constexpr const char* kKeysDateFile = "fiscal_printer.info";

// Label, spaces, value: `width` characters unless both are already longer.
std::string summaryPart(std::string_view label, const std::string& value, std::size_t width) {
    std::string part(label);
    if (part.size() + value.size() < width) part.append(width - part.size() - value.size(), ' ');
    return part + value;
}

}  // namespace

std::string TSOZirok::receiptAmountText(std::int64_t value, int decimals, bool grouped,
                                        bool trimmed) {
    const bool negative = value < 0;
    // Magnitude as unsigned so the most negative value cannot overflow.
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::uint64_t divisor = 1;
    for (int i = decimals; i < 4; ++i) divisor *= 10;
    magnitude = (magnitude + divisor / 2) / divisor;
    std::uint64_t unit = 1;
    for (int i = 0; i < decimals; ++i) unit *= 10;
    std::string whole = std::to_string(magnitude / unit);
    if (grouped)
        for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3) whole.insert(at, ",");
    std::string fraction = std::to_string(magnitude % unit);
    fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
    if (trimmed)
        while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    std::string text = (negative && magnitude != 0 ? "-" : "") + whole;
    if (!fraction.empty()) text += "." + fraction;
    return text;
}

std::int32_t TSOZirok::receiptWrongStateWithExit() {
    const std::int32_t result = wrongState(true);
    std::string message = "Exiting and";
    message += "\r\n\tSet Result := OPOS_E_EXTENDED";
    message += "\r\n\tSet CommonPropertyNumber[PIDX_ResultCode] := OPOS_E_EXTENDED";
    message += "\r\n\tSet CommonPropertyNumber[PIDX_ResultCodeExtended] := OPOS_EFPTR_WRONG_STATE";
    message += "\r\n\tSet CommonPropertyString[PIDX_CheckHealthText] := '";
    message += kWrongStateText.view();
    message += "'";
    message +=
        "\r\n\tSet PropertyString[PIDXFptr_ErrorString] := "
        "CommonPropertyString[PIDX_CheckHealthText]";
    logError(message);
    return result;
}

void TSOZirok::UpdateFnKeysDate() {
    logInfo("Begin UpdateFnKeysDate");
    const std::string folder = logger_ ? logger_->LogFolder() : logging::currentLogFolder();
    const std::string path = folder + kKeysDateFile;
    const platform::LocalDateTime now = platform::localNow();
    const std::string line = platform::formatLongTime(now) + " " + platform::formatShortDate(now);
    // Written whole or not at all: a half-written date would read as a
    // different moment to the key update time reader.
    // Without tracing nobody has made the folder yet.
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    bool written = file != nullptr;
    if (file) {
        written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
        written = std::fclose(file) == 0 && written;
    }
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw CallFailure("Cannot write " + path);
    }
    logInfo("End UpdateFnKeysDate");
}

std::int32_t TSOZirok::BeginFiscalReceipt(bool printHeader) {
    logInfo("Begin BeginFiscalReceipt");
    logInfo(std::string("PrintHeader=") + (printHeader ? "True" : "False"));
    resetErrorState();

    if (const std::int32_t refreshed = RefreshStatus(); refreshed != opos::SUCCESS)
        return refreshed;
    if (printerState() != fptr::PS_MONITOR) return receiptWrongStateWithExit();
    if (const std::int32_t paper = CheckPaper(); paper != opos::SUCCESS) return paper;

    protocol::Result code = protocol::result::Ok;
    const bool openingShift = props_.number(pidx::FptrDayOpened) == 0;
    bool keysDue = false;
    const int savedTimeout = link().defaultTimeout();
    if (openingShift) {
        protocol::FrameBuffer answer{};
        code = protocol::MarkCodeRequest(link(), portName_, kKeyStateRequest, "0", answer);
        if (code == protocol::result::Ok) keysDue = protocol::answerInteger(answer, 1) != 0;
        link().setDefaultTimeout(savedTimeout + link().okpServerTimeout());
        link().applyDefaultTimeout(portName_);
    }

    const std::int32_t type = props_.number(pidx::FptrFiscalReceiptType);
    switch (type) {
        case kFptrRtCashIn:
        case kFptrRtCashOut:
            code = protocol::DocumentOpen(link(), portName_, type == kFptrRtCashIn ? 4 : 5, 1,
                                          cashierName_, storeFiscalNumber_);
            break;
        case kFptrRtSales:
        case kFptrRtRefund:
            code = protocol::DocumentOpen(link(), portName_, type == kFptrRtSales ? 2 : 3,
                                          department_, cashierName_, storeFiscalNumber_);
            break;
        default:
            break;
    }

    if (openingShift) {
        link().setDefaultTimeout(savedTimeout);
        link().applyDefaultTimeout(portName_);
        if (keysDue) UpdateFnKeysDate();
    }

    if (code != protocol::result::Ok) {
        if (code != kShiftOver24Hours || !autoZ_) return GetSystemError(code);
        // Both calls come back already mapped: their codes stand as they are.
        // The retry has opened the receipt completely; going on here would
        // print the additional header a second time.
        if (const std::int32_t z = PrintZReport(); z != opos::SUCCESS) return z;
        return BeginFiscalReceipt(printHeader);
    }

    setPrinterState(fptr::PS_FISCAL_RECEIPT);
    sendStatusUpdate();
    if (props_.number(kCapAdditionalHeader) == 1)
        PrintRecMessage(props_.string(pidx::FptrAdditionalHeader));

    itemCount_ = 0;
    receiptItemsTotal_ = 0;
    itemDiscountsTotal_ = 0;
    subtotalDiscount_ = 0;
    cashPaid_ = 0;
    nonCashPaid_ = 0;
    lastPayment_ = -10000;
    lastPaymentType_ = 0;
    link().roundingAmount = 0;
    link().resetPacingCounter();
    props_.setNumber(pidx::FptrDayOpened, 1);

    const std::int32_t result = GetSystemError(protocol::result::Ok);
    logInfo("End BeginFiscalReceipt");
    return result;
}

void TSOZirok::receiptSummaryBlock() {
    std::int32_t optArgs = 1;
    std::u16string totalWide;
    if (GetData(1, optArgs, totalWide) != opos::SUCCESS) return;
    const std::string totalText = platform::wideToAnsi(totalWide);
    const std::int64_t total = protocol::parseDecimal(totalText, 4).value_or(0);
    const auto money = [](std::int64_t value) { return receiptAmountText(value, 2, false); };
    const auto line = [&](std::string_view leftLabel, const std::string& leftValue,
                          std::string_view rightLabel, const std::string& rightValue) {
        const std::string text = "\x1b|5fT" + summaryPart(leftLabel, leftValue, 26) +
                                 summaryPart(rightLabel, rightValue, 30);
        PrintRecMessage(platform::ansiToWide(text));
    };
    line(kRounding.view(), money(subtotalDiscount_), kSubtotal.view(),
         money(receiptItemsTotal_ - itemDiscountsTotal_));
    line(kCash.view(), money(cashPaid_), kTotal.view(), totalText);
    line(kElectronic.view(), money(nonCashPaid_), kChange.view(),
         money(cashPaid_ + nonCashPaid_ - total));
}

std::int32_t TSOZirok::EndFiscalReceipt(bool printHeader) {
    logInfo("Begin EndFiscalReceipt");
    logInfo(std::string("PrintHeader = ") + (printHeader ? "True" : "False"));
    logInfo("Call ClearError");
    resetErrorState();
    logInfo("PIDXFptr_PrinterState = " + std::to_string(printerState()));
    if (printerState() != fptr::PS_FISCAL_RECEIPT_ENDING) return receiptWrongStateWithExit();

    if (link().pending.delayedTotal) {
        logInfo("Continue PrintRecTotal...");
        logInfo("Last payment = " + receiptAmountText(lastPayment_, 4, false, true));
        logInfo("Last payment type = " + std::to_string(lastPaymentType_));
        receiptSummaryBlock();
        // Nothing is held back when the payments never reached the receipt's
        // sum here; sending the -1 marker would only fail the close.
        if (lastPayment_ >= 0) {
            const protocol::Result paid =
                protocol::AddPayment(link(), portName_, lastPaymentType_, lastPayment_, "");
            if (paid != protocol::result::Ok) {
                logInfo("Add last payment error!");
                return GetSystemError(paid);
            }
        }
    }

    const int savedTimeout = link().defaultTimeout();
    link().setDefaultTimeout(savedTimeout + kCloseTimeoutExtraMs);
    link().applyDefaultTimeout(portName_);
    const protocol::Result code =
        protocol::DocumentClose(link(), portName_, ctx().cutAfterDocument, kFiscalReceiptClose);
    logInfo("DocumentClose Result := " + std::to_string(code));
    link().setDefaultTimeout(savedTimeout);
    link().applyDefaultTimeout(portName_);

    if (code == protocol::result::Ok) {
        link().resetPacingCounter();
        logInfo("Set PropertyNumber[PIDXFptr_PrinterState] := FPTR_PS_MONITOR");
        setPrinterState(fptr::PS_MONITOR);
        sendStatusUpdate();
    }
    logInfo("Call GetSystemError(" + std::to_string(code) + ")");
    const std::int32_t result = GetSystemError(code);
    logInfo("End EndFiscalReceipt");
    return result;
}

}  // namespace zirok::so
