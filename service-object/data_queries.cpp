#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ansi_text.hpp"
#include "protocol/answer_fields.hpp"
#include "protocol/codepage.hpp"
#include "protocol/commands.hpp"
#include "protocol/commands/windows1251_literal.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

using protocol::FrameBuffer;
using protocol::Windows1251Literal;
namespace result = protocol::result;

// Sums and differences of register fields are worked out wide enough that no
// answer, however odd, can overflow them.
using Wide = __int128;

constexpr int kFourDecimals = 4;  // amounts as OPOS currency holds them

constexpr Windows1251Literal kNotSupported{u8"Команда не поддерживается"};
constexpr Windows1251Literal kDayTotalizerOnly{
    u8"Команда поддерживается только для TotalizerType = FPTR_TT_DAY"};
constexpr Windows1251Literal kBadVatNumber{u8"Неверный номер налоговой ставки"};

// GetData items.
constexpr std::int32_t kCurrentTotal = 1;
constexpr std::int32_t kDailyTotal = 2;
constexpr std::int32_t kReceiptNumber = 3;
constexpr std::int32_t kRefund = 4;
constexpr std::int32_t kMidVoid = 6;
constexpr std::int32_t kZReport = 7;
constexpr std::int32_t kGrandTotal = 8;
constexpr std::int32_t kPrinterId = 9;
constexpr std::int32_t kFirmware = 10;
constexpr std::int32_t kFiscalDocument = 18;
constexpr std::int32_t kFiscalDocumentVoid = 19;
constexpr std::int32_t kFiscalReceipt = 20;
constexpr std::int32_t kTender = 26;

// GetTotalizer kinds and totalizer types.
constexpr std::int32_t kGross = 1;
constexpr std::int32_t kNet = 2;
constexpr std::int32_t kDiscount = 3;
constexpr std::int32_t kItem = 5;
constexpr std::int32_t kItemVoid = 6;
constexpr std::int32_t kRefundTotal = 8;
constexpr std::int32_t kSurcharge = 14;
constexpr std::int32_t kDayTotals = 2;
constexpr std::int32_t kReceiptTotals = 3;
constexpr std::int32_t kGrandTotals = 4;

// Receipt numbering counts refunds as well when this bit of table 2 is set.
constexpr std::int64_t kNumberingWithRefunds = 0x80;

std::string digits(Wide value) {
    const bool negative = value < 0;
    std::string text;
    do {
        const int digit = static_cast<int>(value % 10);
        text.insert(text.begin(), static_cast<char>('0' + (negative ? -digit : digit)));
        value /= 10;
    } while (value != 0);
    if (negative) text.insert(text.begin(), '-');
    return text;
}

// `value` has `decimals` implied decimals; trailing zeros of the fraction are
// dropped unless `keepDecimals` asks for a fixed number of them.
std::string decimalText(Wide value, int decimals, bool keepDecimals) {
    Wide scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const bool negative = value < 0;
    const Wide magnitude = negative ? -value : value;
    std::string fraction = digits(magnitude % scale + scale).substr(1);
    if (!keepDecimals) {
        while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    }
    std::string text = digits(magnitude / scale);
    if (!fraction.empty()) text += "." + fraction;
    if (negative) text.insert(text.begin(), '-');
    return text;
}

// The platform's shortest decimal form of an amount in 1/10000.
std::string shortestText(Wide amount) {
    return decimalText(amount, kFourDecimals, false);
}

// An amount in 1/10000 as whole kopecks, rounded half away from zero.
std::string kopecksText(Wide amount) {
    const Wide kopecks = amount >= 0 ? (amount + 50) / 100 : (amount - 50) / 100;
    return digits(kopecks);
}

Wide amountField(const FrameBuffer& answer, std::size_t k) {
    return protocol::answerDecimal(answer, k, kFourDecimals);
}

Wide integerField(const FrameBuffer& answer, std::size_t k) {
    return protocol::answerInteger(answer, k);
}

Wide sumOfAmounts(const FrameBuffer& answer) {
    Wide sum = 0;
    for (std::size_t k = 1; k <= 16; ++k) sum += amountField(answer, k);
    return sum;
}

std::string twoDigits(int value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

// The payment type each tender argument names, as table 32 numbers them.
int tenderIndex(std::int32_t optArgs) {
    switch (optArgs) {
        case 1:
            return 0;
        case 16:
            return 1;
        case 22:
            return 2;
        case 4:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

std::int32_t TSOZirok::GetData(std::int32_t dataItem, std::int32_t& optArgs, std::u16string& data) {
    logInfo("Begin GetData");
    logInfo("DataItem=" + std::to_string(dataItem));
    logInfo("OptArgs=" + std::to_string(optArgs));
    resetErrorState();

    // Register failures are not reported here: the data stays as far as it
    // was built, and the call succeeds.
    std::string text;
    FrameBuffer answer{};
    auto& port = portName_;
    switch (dataItem) {
        case kCurrentTotal:
            if (protocol::GetReceiptData(link(), port, 1, answer) == result::Ok)
                text = decimalText(protocol::answerDecimal(answer, 1, 2), 2, true);
            optArgs = 1;
            break;
        case kDailyTotal:
        case kRefund:
            if (protocol::GetCounters(link(), port, dataItem == kDailyTotal ? 3 : 5, answer) ==
                result::Ok)
                text = shortestText(sumOfAmounts(answer));
            break;
        case kReceiptNumber: {
            FrameBuffer numbering{};
            protocol::ReadTable(link(), port, 2, 0, numbering);
            const std::int64_t setting = protocol::answerInteger(numbering, 0);
            if (setting & kNumberingWithRefunds) {
                if (protocol::GetCounters(link(), port, 7, answer) == result::Ok) {
                    const Wide count = integerField(answer, 1) + integerField(answer, 2);
                    text = digits(count);
                    optArgs = static_cast<std::int32_t>(count);
                }
            } else {
                if (protocol::GetCounters(link(), port, 2, answer) == result::Ok)
                    text = protocol::answerText(answer, 1);
                optArgs = static_cast<std::int32_t>(setting);
            }
            break;
        }
        case kMidVoid:
        case kFiscalDocumentVoid:
        case kFiscalReceipt:
            if (protocol::GetCounters(link(), port, 7, answer) == result::Ok) {
                const Wide count = integerField(answer, dataItem == kFiscalReceipt ? 1 : 3);
                text = digits(count);
                optArgs = static_cast<std::int32_t>(count);
            }
            break;
        case kZReport:
            if (protocol::GetCounters(link(), port, 1, answer) == result::Ok) {
                const Wide count = integerField(answer, 1);
                text = digits(count - 1);
                optArgs = static_cast<std::int32_t>(count);
            }
            break;
        case kGrandTotal:
            text = "0";
            if (protocol::GetDeviceInfo(link(), port, 12, answer) == result::Ok)
                text = shortestText(amountField(answer, 1));
            break;
        case kPrinterId:
            // Read once: the claim normally fills it already.
            if (factoryNumber_.empty() &&
                protocol::GetDeviceInfo(link(), port, 1, answer) == result::Ok)
                factoryNumber_ = protocol::fromDeviceText(protocol::answerText(answer, 1));
            text = factoryNumber_;
            break;
        case kFirmware:
            if (protocol::GetDeviceInfo(link(), port, 2, answer) == result::Ok) {
                const std::int64_t major = protocol::answerInteger(answer, 1);
                text = std::to_string(major) + "." +
                       std::to_string(protocol::answerInteger(answer, 2)) + "." +
                       std::to_string(protocol::answerInteger(answer, 3));
                optArgs = static_cast<std::int32_t>(major);
                firmwareVersion_ = static_cast<std::int32_t>(major);
            }
            break;
        case kFiscalDocument: {
            Wide number = 0;
            if (protocol::GetDeviceInfo(link(), port, 8, answer) == result::Ok)
                number = integerField(answer, 1);
            text = digits(number);
            optArgs = static_cast<std::int32_t>(number);
            break;
        }
        case kTender: {
            const int index = tenderIndex(optArgs);
            if (index < 0) return notSupported(std::string(kNotSupported));
            if (protocol::ReadTable(link(), port, 32, index, answer) == result::Ok)
                text = protocol::fromDeviceText(protocol::answerText(answer, 0));
            break;
        }
        default:
            return notSupported(std::string(kNotSupported));
    }

    data = platform::ansiToWide(text);
    logInfo("Data='" + text + "'");
    logInfo("End GetData");
    return opos::SUCCESS;
}

std::int32_t TSOZirok::GetTotalizer(std::int32_t vatId, std::int32_t optArgs,
                                    std::u16string& data) {
    logInfo("Begin GetTotalizer");
    logInfo("VatID=" + std::to_string(vatId));
    logInfo("OPtArgs=" + std::to_string(optArgs));
    resetErrorState();
    data.assign(1, u'0');  // GCC 12 warns falsely on a literal here

    const std::int32_t type = props_.number(pidx::FptrTotalizerType);
    const bool day = type == kDayTotals;
    const bool receipt = type == kReceiptTotals;
    const bool grand = type == kGrandTotals;
    auto& port = portName_;
    std::string text = "0";
    FrameBuffer answer{};

    // The day's sales or refunds: the sixteen payment sums of one counter.
    auto daySum = [&](int request, Wide& sum, bool traced) {
        if (protocol::GetCounters(link(), port, request, answer) != result::Ok) return false;
        sum = 0;
        for (std::size_t k = 1; k <= 16; ++k) {
            const Wide value = amountField(answer, k);
            if (traced)
                logInfo("getDoubleValue(recData," + std::to_string(k) + ")=" + shortestText(value));
            sum += value;
        }
        return true;
    };
    // The open receipt's total, discounts and surcharges.
    auto receiptData = [&](FrameBuffer& into) {
        return protocol::GetReceiptData(link(), port, 1, into) == result::Ok;
    };

    switch (optArgs) {
        case kGross:
        case kItem: {
            logInfo("TotalizerType=" + std::to_string(type));
            if (optArgs == kGross && receipt) return notSupported(std::string(kDayTotalizerOnly));
            if (day) {
                Wide sales = 0;
                Wide refunds = 0;
                if (daySum(3, sales, true) && (optArgs == kItem || daySum(5, refunds, true)))
                    text = kopecksText(sales - refunds);
                logInfo("Data=" + text);
            } else if (receipt && receiptData(answer)) {
                text = kopecksText(amountField(answer, 1) + amountField(answer, 2) -
                                   amountField(answer, 3));
            }
            break;
        }
        case kNet:
            if (Wide sales = 0; day && daySum(3, sales, false)) {
                text = kopecksText(sales);
            } else if (receipt && receiptData(answer)) {
                text = kopecksText(amountField(answer, 1));
            }
            break;
        case kDiscount:
        case kSurcharge: {
            // Counter 9 interleaves discounts (fields 1 and 3) with
            // surcharges (2 and 4); the open receipt has one of each.
            const std::size_t first = optArgs == kDiscount ? 1 : 2;
            if (day && protocol::GetCounters(link(), port, 9, answer) == result::Ok) {
                text = kopecksText(amountField(answer, first) + amountField(answer, first + 2));
            } else if (receipt && receiptData(answer)) {
                text = kopecksText(amountField(answer, optArgs == kDiscount ? 2 : 3));
            }
            break;
        }
        case kItemVoid:
            if (protocol::GetDeviceInfo(link(), port, 7, answer) == result::Ok)
                text = kopecksText(amountField(answer, 1));
            break;
        case kRefundTotal:
            if (Wide refunds = 0; day && daySum(5, refunds, false)) {
                text = kopecksText(refunds);
            } else if (receipt) {
                if (receiptData(answer))
                    text = kopecksText(amountField(answer, 1) + amountField(answer, 2) -
                                       amountField(answer, 3));
            } else if (grand && protocol::GetDeviceInfo(link(), port, 12, answer) == result::Ok) {
                text = shortestText(amountField(answer, 2));
            }
            break;
        default:
            return notSupported(std::string(kNotSupported));
    }

    data = platform::ansiToWide(text);
    logInfo("Data='" + text + "'");
    logInfo("End GetTotalizer");
    return opos::SUCCESS;
}

std::int32_t TSOZirok::GetVatEntry(std::int32_t vatId, std::int32_t optArgs,
                                   std::int32_t& vatRate) {
    logInfo("Begin GetVatEntry");
    logInfo("VatID=" + std::to_string(vatId));
    logInfo("OPtArgs=" + std::to_string(optArgs));
    resetErrorState();
    if (vatId < 0 || vatId > 5) return notSupported(std::string(kBadVatNumber));

    FrameBuffer answer{};
    const protocol::Result outcome = protocol::ReadTable(link(), portName_, 41, vatId, answer);
    if (outcome != result::Ok) return GetSystemError(outcome);
    // Percent with four implied decimals: 20.00 % reads as 200000.
    vatRate = static_cast<std::int32_t>(protocol::answerDecimal(answer, 0, kFourDecimals));
    const std::int32_t mapped = GetSystemError(outcome);
    logInfo("VatRate=" + std::to_string(vatRate));
    logInfo("End GetVatEntry");
    return mapped;
}

std::int32_t TSOZirok::GetDate(std::u16string& date) {
    logInfo("Begin GetDate");
    protocol::ZirokDate day;
    protocol::ZirokTime time;
    const protocol::Result outcome = protocol::GetDateTime(link(), portName_, day, time);
    if (outcome != result::Ok) return GetSystemError(outcome);
    // DDMMYYYYHHNN, as OPOS reads dates.
    const std::string text = twoDigits(day.Day) + twoDigits(day.Month) + "20" +
                             twoDigits(day.Year) + twoDigits(time.Hour) + twoDigits(time.Min);
    date = platform::ansiToWide(text);
    const std::int32_t mapped = GetSystemError(outcome);
    logInfo("Date='" + text + "'");
    logInfo("End GetDate");
    return mapped;
}

}  // namespace zirok::so
