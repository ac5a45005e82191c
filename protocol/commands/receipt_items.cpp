#include "protocol/commands/receipt_items.hpp"

#include <charconv>
#include <cstdint>

#include "protocol/commands/command_support.hpp"

namespace zirok::protocol {

namespace {

constexpr std::uint8_t kAddPosition = 0x42;
constexpr std::uint8_t kVoidPosition = 0x43;
constexpr std::uint8_t kSubtotal = 0x44;
constexpr std::uint8_t kAddDiscount = 0x45;
constexpr std::uint8_t kAddMarkup = 0x46;
constexpr std::uint8_t kAddPayment = 0x47;
constexpr std::uint8_t kAddCashAmount = 0x48;

constexpr int kMaxTaxIndex = 9;
constexpr int kMaxVoidTaxIndex = 5;
constexpr std::size_t kNameLimit = 56;
constexpr std::size_t kArticleLimit = 18;
constexpr std::size_t kShortTextLimit = 38;
constexpr std::size_t kPaymentTextLimit = 44;
constexpr int kQuantityFieldDecimals = 3;
constexpr int kPriceDecimals = 6;
constexpr int kAdjustmentDecimals = 3;
constexpr int kAdjustmentValueDecimals = 9;
constexpr int kSumDecimals = 2;
constexpr int kDefaultPaymentMethodSign = 4;
constexpr int kDefaultPaymentObjectSign = 1;

// Thousandths rounded half away from zero to a whole number, as text.
std::string wholeQuantity(std::int64_t thousandths) {
    std::int64_t whole = thousandths / 1000;
    const std::int64_t rest = thousandths % 1000;
    if (rest >= 500) ++whole;
    if (rest <= -500) --whole;
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, whole).ptr;
    return {text, end};
}

Result adjustment(RegisterLink& link, const std::string& port, std::uint8_t code,
                  AdjustmentKind kind, const std::string& name, std::int64_t value) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(static_cast<int>(kind));
    detail::appendTextOrEmpty(params, detail::deviceText(link, name, kShortTextLimit));
    params.appendDecimal(value, detail::kCurrencyDecimals, kAdjustmentValueDecimals);
    return link.printExchange(port, code, true);
}

}  // namespace

Result AddPosition(RegisterLink& link, const std::string& port, const ItemLine& item) {
    if (!link.transportLoaded()) return result::NotConnected;
    if (item.taxIndex > kMaxTaxIndex) return kRefusedTaxIndex;
    auto& pending = link.pending;
    auto& params = detail::startRequest(link);
    detail::appendTextOrEmpty(params, detail::deviceText(link, item.name));
    detail::appendTextOrEmpty(params, detail::deviceText(link, item.article, kArticleLimit));
    if (pending.fractionalQuantity.empty()) {
        params.appendDecimal(item.quantity, detail::kQuantityDecimals, kQuantityFieldDecimals);
    } else {
        params.appendText(wholeQuantity(item.quantity) + "/" +
                          detail::narrow(pending.fractionalQuantity));
        pending.fractionalQuantity.clear();
    }
    params.appendDecimal(item.price, detail::kCurrencyDecimals, kPriceDecimals);
    params.appendInt(item.taxIndex);
    detail::appendTextOrEmpty(params, pending.printTax ? "Tax" : "");
    params.appendInt(item.section.value_or(pending.itemSection));
    params.appendInt(item.adjustmentSign);
    // The extra text is printed on the receipt (the unit name "кг", say), so it
    // reaches the register in its own code page like every printed text.
    detail::appendTextOrEmpty(
        params, detail::deviceText(link, detail::narrow(pending.itemExtraText), kShortTextLimit));
    pending.itemExtraText.clear();
    const std::int64_t amount = item.adjustmentAmount >= 0           ? item.adjustmentAmount
                                : item.adjustmentAmount == INT64_MIN ? INT64_MAX
                                                                     : -item.adjustmentAmount;
    params.appendDecimal(amount, detail::kCurrencyDecimals, kAdjustmentDecimals);
    params.appendInt(pending.paymentMethodSign);
    pending.paymentMethodSign = kDefaultPaymentMethodSign;
    params.appendInt(pending.paymentObjectSign);
    pending.paymentObjectSign = kDefaultPaymentObjectSign;
    detail::appendTrailingTexts(
        params, {detail::deviceText(link, detail::narrow(pending.countryCode)),
                 detail::deviceText(link, detail::narrow(pending.customsDeclaration))});
    pending.countryCode.clear();
    pending.customsDeclaration.clear();
    return link.printExchange(port, kAddPosition, true);
}

Result VoidPosition(RegisterLink& link, const std::string& port, const std::string& name,
                    const std::string& article, std::int64_t quantity, std::int64_t priceMillionths,
                    int taxIndex) {
    if (!link.transportLoaded()) return result::NotConnected;
    if (taxIndex > kMaxVoidTaxIndex) return kRefusedTaxIndex;
    auto& params = detail::startRequest(link);
    detail::appendTextOrEmpty(params, detail::deviceText(link, name, kNameLimit));
    detail::appendTextOrEmpty(params, detail::deviceText(link, article, kArticleLimit));
    params.appendDecimal(quantity, detail::kQuantityDecimals, kQuantityFieldDecimals);
    params.appendDecimal(priceMillionths, kPriceDecimals, kPriceDecimals);
    params.appendInt(taxIndex);
    params.appendEmpty();
    params.appendInt(1);
    params.appendInt(0);
    params.appendEmpty();
    params.appendInt(0);
    return link.printExchange(port, kVoidPosition, true);
}

Result Subtotal(RegisterLink& link, const std::string& port) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link);
    return link.printExchange(port, kSubtotal, true);
}

Result AddDiscount(RegisterLink& link, const std::string& port, AdjustmentKind kind,
                   const std::string& name, std::int64_t value) {
    return adjustment(link, port, kAddDiscount, kind, name, value);
}

Result AddMarkup(RegisterLink& link, const std::string& port, AdjustmentKind kind,
                 const std::string& name, std::int64_t value) {
    return adjustment(link, port, kAddMarkup, kind, name, value);
}

Result AddPayment(RegisterLink& link, const std::string& port, int type, std::int64_t amount,
                  const std::string& text) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(type);
    params.appendDecimal(amount, detail::kCurrencyDecimals, kSumDecimals);
    auto& cashless = link.pending.cashlessData;
    detail::appendTrailingTexts(
        params, {detail::deviceText(link, text, kPaymentTextLimit), detail::narrow(cashless[0]),
                 detail::narrow(cashless[1]), detail::narrow(cashless[2])});
    for (auto& data : cashless) data.clear();
    return link.printExchange(port, kAddPayment, true);
}

Result AddCashAmount(RegisterLink& link, const std::string& port, const std::string& text,
                     std::int64_t amount) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    detail::appendTextOrEmpty(params, detail::deviceText(link, text));
    params.appendDecimal(amount, detail::kCurrencyDecimals, kSumDecimals);
    return link.printExchange(port, kAddCashAmount, true);
}

}  // namespace zirok::protocol
