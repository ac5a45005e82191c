#include "protocol/commands/documents.hpp"

#include <string_view>

#include "protocol/codepage.hpp"
#include "protocol/commands/command_support.hpp"
#include "protocol/commands/windows1251_literal.hpp"
#include "protocol/text_helpers.hpp"

namespace zirok::protocol {

namespace {

constexpr std::uint8_t kWriteFieldList = 0x24;
constexpr std::uint8_t kDocumentOpen = 0x30;
constexpr std::uint8_t kDocumentClose = 0x31;
constexpr std::uint8_t kDocumentAnnul = 0x32;
constexpr std::uint8_t kCommand34 = 0x34;
constexpr std::uint8_t kDocumentOpenEx = 0x53;
constexpr std::uint8_t kWriteRequisite = 0x57;
constexpr std::uint8_t kCorrectionReceipt = 0x58;

constexpr int kPackageFlag = 0x10;
constexpr int kOneShotFlag = 0x80;
constexpr int kDelayedTotalFlag = 0x100;
constexpr unsigned kClosePauseMs = 20;
constexpr std::size_t kBuyerAddressLimit = 64;
constexpr std::size_t kFieldListPieces = 18;
constexpr std::size_t kAdditionalAttributePieces = 4;
constexpr int kSumDecimals = 2;
constexpr std::string_view kListSeparators = "\x1C;";

// A pending text as a field that keeps its place: converted, or a lone FS.
void appendPending(RegisterLink& link, const std::u16string& text) {
    detail::appendTextOrEmpty(link.params(), detail::deviceText(link, detail::narrow(text)));
}

Result simpleCommand(RegisterLink& link, const std::string& port, std::uint8_t code) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link);
    return link.exchange(port, code);
}

}  // namespace

Result DocumentOpen(RegisterLink& link, const std::string& port, int type, int second,
                    const std::string& cashier, std::int64_t number) {
    link.setActiveConversion(link.conversionSetting());
    if (!link.transportLoaded()) return result::NotConnected;
    auto& pending = link.pending;
    int first = type ^ pending.documentOpenMode;
    if (link.packageMode()) first ^= kPackageFlag;
    if (pending.delayedTotal) first ^= kDelayedTotalFlag;
    if (pending.oneShot) {
        first ^= kOneShotFlag;
        pending.oneShot = false;
    }
    auto& params = detail::startRequest(link);
    params.appendInt(first);
    params.appendInt(second);
    detail::appendTextOrEmpty(params, cashier);
    params.appendInt(number);
    if (pending.taxSystem >= 0) {
        params.appendInt(pending.taxSystem);
        pending.taxSystem = -1;
    } else {
        params.appendEmpty();
    }
    return link.exchange(port, kDocumentOpen);
}

Result DocumentOpenEx(RegisterLink& link, const std::string& port, int type,
                      const std::string& cashier, std::int64_t posNumber, const ZirokDate& date,
                      const ZirokTime& time, std::int64_t reference) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(link.packageMode() ? (type | kPackageFlag) : type);
    params.appendInt(link.pending.department);
    detail::appendTextOrEmpty(params, detail::deviceText(link, cashier));
    params.appendInt(0);
    params.appendInt(posNumber);
    params.appendDate(date);
    params.appendTime(time);
    if (reference != 0) params.appendInt(reference);
    return link.exchange(port, kDocumentOpenEx);
}

Result DocumentClose(RegisterLink& link, const std::string& port, bool noCut, int closeFlags) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& pending = link.pending;
    auto& params = detail::startRequest(link);
    params.appendInt(noCut ? 0 : closeFlags);
    std::string address = detail::narrow(pending.buyerAddress);
    if (address.size() > kBuyerAddressLimit) address.resize(kBuyerAddressLimit);
    detail::appendTextOrEmpty(params, detail::deviceText(link, address));
    params.appendInt(pending.saleMode);
    appendPending(link, pending.saleModeText);
    params.appendEmpty();
    params.appendEmpty();
    for (auto* pair : {&pending.attributePairA, &pending.attributePairB}) {
        for (auto& text : *pair) {
            appendPending(link, text);
            text.clear();
        }
    }
    params.appendEmpty();
    if (!pending.additionalAttributes.empty()) {
        const std::string list = detail::narrow(pending.additionalAttributes);
        for (std::size_t k = 1; k <= kAdditionalAttributePieces; ++k) {
            detail::appendTextOrEmpty(
                params, detail::deviceText(link, splitKeeping(list, kListSeparators, k)));
        }
        pending.additionalAttributes.clear();
    }
    pending.buyerAddress.clear();
    pending.saleModeText.clear();
    return link.exchange(port, kDocumentClose, {.pauseMs = kClosePauseMs});
}

Result DocumentAnnul(RegisterLink& link, const std::string& port) {
    return simpleCommand(link, port, kDocumentAnnul);
}

Result Command34(RegisterLink& link, const std::string& port) {
    return simpleCommand(link, port, kCommand34);
}

Result WriteFieldList(RegisterLink& link, const std::string& port, const std::string& fields) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    for (std::size_t k = 1; k <= kFieldListPieces; ++k) {
        detail::appendTextOrEmpty(
            params, detail::deviceText(link, splitKeeping(fields, kListSeparators, k)));
    }
    return link.printExchange(port, kWriteFieldList, true);
}

Result WriteRequisite(RegisterLink& link, const std::string& port, int tag,
                      const std::string& value) {
    static constexpr Windows1251Literal kBuyerEmail{u8"Эл.адр.покупателя: "};
    static constexpr Windows1251Literal kBuyerPhone{u8"Тел.покупателя: "};
    static constexpr Windows1251Literal kSenderAddress{u8"Адрес отправителя: "};
    if (!link.transportLoaded()) return result::NotConnected;

    std::string_view label = " ";
    std::string shown = value;
    int flag = 0;
    switch (tag) {
        case 1008:
            label = value.find('@') != std::string::npos ? kBuyerEmail.view() : kBuyerPhone.view();
            break;
        case 1117:
            label = kSenderAddress;
            break;
        case 1057:
        case 1271:
            shown = "#" + value;
            flag = 64;
            break;
        default:
            break;
    }
    auto& params = detail::startRequest(link);
    params.appendInt(tag);
    params.appendInt(flag);
    // The labels are the driver's own Windows-1251 texts, so they always go
    // through the code page whatever the application's texts need.
    params.appendText(toDeviceText(label));
    params.appendText(detail::deviceText(link, shown));
    return link.printExchange(port, kWriteRequisite, true);
}

Result CorrectionReceipt(RegisterLink& link, const std::string& port, const std::string& cashier,
                         std::int64_t firstSum, std::int64_t secondSum, int correctionType,
                         const ZirokDate& date, std::int64_t number) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    detail::appendTextOrEmpty(params, cashier);
    params.appendDecimal(firstSum, detail::kCurrencyDecimals, kSumDecimals);
    params.appendDecimal(secondSum, detail::kCurrencyDecimals, kSumDecimals);
    params.appendInt(0);
    params.appendInt(0);
    params.appendInt(0);
    params.appendInt(correctionType);
    params.appendDate(date);
    params.appendInt(number);
    return link.exchange(port, kCorrectionReceipt);
}

}  // namespace zirok::protocol
