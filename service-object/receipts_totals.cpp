// The subtotal, its adjustments and the payments, including the delayed-total
// mode that holds the last payment back until the receipt is ended.
#include <optional>
#include <string>

#include "platform/ansi_text.hpp"
#include "protocol/codepage.hpp"
#include "protocol/commands.hpp"
#include "protocol/commands/windows1251_literal.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

using protocol::Windows1251Literal;

constexpr Windows1251Literal kDiscountName{u8"Скидка"};
constexpr Windows1251Literal kSurchargeName{u8"Наценка"};
constexpr Windows1251Literal kRoubles{u8"руб."};
constexpr Windows1251Literal kBadPaymentType{u8"Неверный тип платежа"};

constexpr protocol::Result kBadParameter = 3;

// Windows-1251 letters folded to lower case, Cyrillic included.
char lowerAnsi(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 'A' && byte <= 'Z') return static_cast<char>(byte + 32);
    if (byte >= 0xC0 && byte <= 0xDF) return static_cast<char>(byte + 32);
    if (byte == 0xA8) return static_cast<char>(0xB8);  // Ё
    return c;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAnsi(a[i]) != lowerAnsi(b[i])) return false;
    return true;
}

// A plain decimal integer with an optional sign.
std::optional<std::int64_t> decimalInteger(std::string_view text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) i = 1;
    if (i == text.size() || text.size() - i > 9) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

}  // namespace

void TSOZirok::receiptStateFromDoc(std::int64_t doc) {
    if (doc & 0x08) setPrinterState(fptr::PS_FISCAL_RECEIPT);
    if (doc & 0x30) setPrinterState(fptr::PS_FISCAL_RECEIPT_TOTAL);
    if (doc & 0x40) setPrinterState(fptr::PS_FISCAL_RECEIPT_ENDING);
}

std::int32_t TSOZirok::PrintRecSubtotal(std::int64_t amount) {
    logInfo("Begin PrintRecSubtotal");
    logInfo("Amount=" + receiptAmountText(amount, 4, false, true));
    resetErrorState();
    if (printerState() != fptr::PS_FISCAL_RECEIPT) return wrongState(false);
    const protocol::Result code = protocol::Subtotal(link(), portName_);
    if (code != protocol::result::Ok) return GetSystemError(code);
    if (protocol::GetStatus(link(), portName_, status_) == protocol::result::Ok)
        receiptStateFromDoc(status_.doc);
    sendStatusUpdate();
    logInfo("End PrintRecSubtotal");
    return opos::SUCCESS;
}

std::int32_t TSOZirok::PrintRecSubtotalAdjustment(std::int32_t adjustmentType,
                                                  const std::u16string& description,
                                                  std::int64_t amount) {
    std::string name = platform::wideToAnsi(description);
    logInfo("Begin PrintRecSubtotalAdjustment");
    logInfo("AdjustmentType=" + std::to_string(adjustmentType));
    logInfo("Description='" + name + "'");
    logInfo("Amount=" + receiptAmountText(amount, 4, false, true));
    resetErrorState();
    if (printerState() != fptr::PS_FISCAL_RECEIPT) return wrongState(false);

    if (name.empty()) {
        name = adjustmentType == 1 || adjustmentType == 3 ? kDiscountName.view()
                                                          : kSurchargeName.view();
        // Our own name goes out in the register's code page, as the command
        // itself converts it when conversion is on: converted twice it would
        // print as other letters. The application's text is left as it gave it.
        if (!link().activeConversion()) name = protocol::toDeviceText(name);
    } else if (std::string_view(name).substr(0, 4) == "\x1b|aP") {
        return receiptPresetAdjustment(std::string_view(name).substr(4), true);
    }

    PrintRecSubtotal(0);
    protocol::Result code = protocol::result::Ok;
    using Kind = protocol::AdjustmentKind;
    switch (adjustmentType) {
        case 1:
            subtotalDiscount_ = amount;
            link().roundingAmount = amount;
            code = protocol::AddDiscount(link(), portName_, Kind::Sum, name, amount);
            break;
        case 2:
            code = protocol::AddMarkup(link(), portName_, Kind::Sum, name, amount);
            break;
        case 3:
            code = protocol::AddDiscount(link(), portName_, Kind::Percentage, name, amount);
            break;
        case 4:
            code = protocol::AddMarkup(link(), portName_, Kind::Percentage, name, amount);
            break;
        default:
            break;
    }
    const std::int32_t result = GetSystemError(code);
    logInfo("End PrintRecSubtotalAdjustment");
    return result;
}

std::int32_t TSOZirok::PrintRecTotal(std::int64_t total, std::int64_t payment,
                                     const std::u16string& description) {
    const std::string text = platform::wideToAnsi(description);
    const std::string postLine = platform::wideToAnsi(props_.string(pidx::FptrPostLine));
    logInfo("Begin PrintRecTotal");
    logInfo("Total=" + receiptAmountText(total, 4, false, true));
    logInfo("Payment=" + receiptAmountText(payment, 4, false, true));
    logInfo("Description='" + text + "'");
    logInfo("PostLine='" + postLine + "'");
    resetErrorState();
    const auto errorLines = [this] {
        logError("End PrintRecTotal");
        logError("CommonPropertyString[PIDX_CheckHealthText] := '" +
                 platform::wideToAnsi(props_.string(pidx::CheckHealthText)) + "'");
    };

    const std::int32_t state = printerState();
    if (state < fptr::PS_FISCAL_RECEIPT || state > fptr::PS_FISCAL_RECEIPT_ENDING) {
        const std::int32_t result = wrongState(true);
        errorLines();
        return result;
    }
    if (const std::int32_t paper = CheckPaper(); paper != opos::SUCCESS) return paper;

    const std::int32_t receiptType = props_.number(pidx::FptrFiscalReceiptType);
    if (receiptType == 1 || receiptType == 2) {
        std::string roubles(kRoubles.view());
        if (!link().activeConversion()) roubles = protocol::toDeviceText(roubles);
        const protocol::Result code = protocol::AddCashAmount(link(), portName_, roubles, payment);
        if (code != protocol::result::Ok) return GetSystemError(code);
        setPrinterState(fptr::PS_FISCAL_RECEIPT_ENDING);
        const std::int32_t result = GetSystemError(protocol::result::Ok);
        sendStatusUpdate();
        return result;
    }

    std::optional<std::int64_t> type;
    for (const std::string& entry : paymentTypeMap_) {
        const std::size_t equals = entry.rfind('=');
        if (equals == std::string::npos) continue;
        if (sameIgnoringCase(std::string_view(entry).substr(0, equals), text)) {
            type = decimalInteger(std::string_view(entry).substr(equals + 1));
            break;
        }
    }
    if (type) {
        logInfo("Description has find in Payments. TypePay=" + std::to_string(*type));
    } else {
        type = decimalInteger(text);
        logInfo("Description has not find in Payments. TypePay=" +
                std::to_string(type.value_or(-1)));
    }
    if (!type || *type < 0) {
        const std::int32_t result = notSupported(std::string(kBadPaymentType.view()));
        errorLines();
        return result;
    }
    const int paymentType = static_cast<int>(*type);
    std::int64_t& paidOfType = paymentType == 0 ? cashPaid_ : nonCashPaid_;

    if (link().pending.delayedTotal) {
        const std::int64_t due = receiptItemsTotal_ - itemDiscountsTotal_ - subtotalDiscount_;
        const std::int64_t paid = payment + cashPaid_ + nonCashPaid_;
        logInfo("Current receipt summ = " + receiptAmountText(due, 4, false, true));
        logInfo("Current payment = " + receiptAmountText(paid, 4, false, true));
        if (due <= paid) {
            if (paymentType != 0 && due != paid) {
                logInfo(
                    "Non-cash payment error, diff = " +
                    receiptAmountText(due - cashPaid_ - nonCashPaid_ - payment, 4, false, true));
                return GetSystemError(kBadParameter);
            }
            lastPayment_ = payment;
            lastPaymentType_ = paymentType;
            paidOfType += payment;
            setPrinterState(fptr::PS_FISCAL_RECEIPT_ENDING);
            sendStatusUpdate();
            logInfo("Delay PrintRecTotal until EndFiscalReceipt call...");
            return opos::SUCCESS;
        }
    }

    protocol::Result code = protocol::AddPayment(link(), portName_, paymentType, payment, postLine);
    props_.setString(pidx::FptrPostLine, {});
    if (code == protocol::result::Ok) {
        paidOfType += payment;
        code = protocol::GetStatus(link(), portName_, status_);
    }
    if (code != protocol::result::Ok) {
        const std::int32_t result = GetSystemError(code);
        errorLines();
        return result;
    }
    receiptStateFromDoc(status_.doc);
    sendStatusUpdate();
    const std::int32_t result = GetSystemError(protocol::result::Ok);
    logInfo("End PrintRecTotal");
    return result;
}

}  // namespace zirok::so
