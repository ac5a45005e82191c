// Receipt lines: items with their adjustments (the application's own or the
// rounding correction), preset discounts from the registry, and voids.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "platform/ansi_text.hpp"
#include "platform/registry.hpp"
#include "protocol/commands.hpp"
#include "protocol/commands/windows1251_literal.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

using protocol::Windows1251Literal;

constexpr Windows1251Literal kBadDiscountNumber{u8"Неверный номер скидки"};
constexpr Windows1251Literal kPercentDiscount{u8"Процентная скидка не поддерживается"};
constexpr Windows1251Literal kPercentSurcharge{u8"Процентная наценка не поддерживается"};
constexpr Windows1251Literal kWrongStateText{u8"Неверное состояние фискального принтера"};

constexpr int kAmountDiscount = 2;
constexpr int kAmountSurcharge = 4;
constexpr int kPresetDiscounts = 16;

// Half up to whole kopecks, as the register rounds: in 1/10000 units.
std::int64_t toKopecksHalfUp(std::int64_t value) {
    return (value * 100 + 5000) / 10000 * 100;
}

// unitPrice × quantity / 1000 to the nearest 1/10000, half away from zero;
// wide enough that no price the register takes can overflow.
std::int64_t lineAmount(std::int64_t unitPrice, std::int64_t quantity) {
    const __int128 product = static_cast<__int128>(unitPrice) * quantity;
    const __int128 rounded = product >= 0 ? (product + 500) / 1000 : (product - 500) / 1000;
    return static_cast<std::int64_t>(rounded);
}

bool firmwareRoundsItems(std::int32_t firmware) {
    return (firmware >= 550 && firmware <= 599) || (firmware >= 150 && firmware <= 199) ||
           (firmware >= 650 && firmware <= 699);
}

// The correction that brings the register's line (unit price × quantity) to
// the price the application gave.
PendingAdjustment roundingCorrection(std::int64_t price, std::int64_t unitPrice,
                                     std::int32_t quantity) {
    const std::int64_t amount = lineAmount(unitPrice, quantity);
    const std::int64_t magnitude = toKopecksHalfUp(amount < 0 ? -amount : amount);
    const std::int64_t fromUnitPrice = amount < 0 ? -magnitude : magnitude;
    const std::int64_t correction = fromUnitPrice - toKopecksHalfUp(price);
    if (correction > 0) return {kAmountDiscount, correction};
    if (correction < 0) return {kAmountSurcharge, -correction};
    return {};
}

// The number after ESC "|aP", 0..15; anything else is no discount.
std::optional<int> presetNumber(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
        if (number >= kPresetDiscounts) return std::nullopt;
    }
    return number;
}

// The unit price, in millionths, of `amount` (1/10000) over `thousandths` of
// quantity, half away from zero; none when it does not fit the field. In
// millionths because that is all the price field carries: a unit price worked
// out from a line total is seldom whole in 1/10000, and the register
// multiplies it back by the quantity.
std::optional<std::int64_t> unitPriceMillionths(__int128 amount, std::int64_t thousandths) {
    const __int128 scaled = amount * 100 * 1000;
    const __int128 half = thousandths / 2;
    const __int128 price =
        scaled >= 0 ? (scaled + half) / thousandths : (scaled - half) / thousandths;
    if (price > INT64_MAX || price < -INT64_MAX) return std::nullopt;
    return static_cast<std::int64_t>(price);
}

// A unit price in millionths as the void trace shows it: two decimals, half
// away from zero.
std::string twoDecimals(std::int64_t millionths) {
    const std::uint64_t magnitude =
        millionths < 0 ? 0 - static_cast<std::uint64_t>(millionths) : millionths;
    const std::uint64_t cents = (magnitude + 5000) / 10000;
    const std::uint64_t fraction = cents % 100;
    return (millionths < 0 && cents != 0 ? "-" : "") + std::to_string(cents / 100) +
           (fraction < 10 ? ".0" : ".") + std::to_string(fraction);
}

std::string quoted(const std::string& description) {
    return description.empty() ? ", ' ', ' ', " : ", '" + description + "', ' ', ";
}

bool presetEscape(std::string_view text) {
    return text.substr(0, 4) == "\x1b|aP";
}

// The wrong-state exit of the line methods: they name the state they found
// and still write their End line.
std::int32_t lineWrongState(TSOZirok& so, const char* method) {
    const std::int32_t result = so.wrongState(true);
    so.logError("PropertyNumber[PIDXFptr_PrinterState] := " + std::to_string(so.printerState()));
    so.logError("CommonPropertyString[PIDX_CheckHealthText] := '" +
                std::string(kWrongStateText.view()) + "'");
    so.logInfo(std::string("End ") + method);
    return result;
}

}  // namespace

std::int32_t TSOZirok::receiptPresetAdjustment(std::string_view digits, bool subtotalFirst) {
    const auto number = presetNumber(digits);
    const auto refuse = [this] { return notSupported(std::string(kBadDiscountNumber.view())); };
    if (!number) return refuse();
    const std::u16string path = u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\" +
                                deviceName_ + u"\\Discounts\\" +
                                platform::ansiToWide(std::to_string(*number));
    const auto key = platform::registry().openKey(platform::RegistryHive::LocalMachine, path);
    if (!key) return refuse();
    if (subtotalFirst) PrintRecSubtotal(0);

    const std::string name = key->readString(std::string_view("Name"));
    const auto amountData = key->readData(std::string_view("Amount"));
    if (!amountData || amountData->type != platform::kRegBinary || amountData->bytes.size() != 8)
        throw CallFailure("Invalid data for 'Amount'");
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | static_cast<unsigned char>(amountData->bytes[static_cast<size_t>(i)]);
    const auto amount = static_cast<std::int64_t>(bits);
    const auto kind =
        static_cast<protocol::AdjustmentKind>(key->readInteger(std::string_view("Type")));
    const protocol::Result code = amount >= 0
                                      ? protocol::AddDiscount(link(), portName_, kind, name, amount)
                                      : protocol::AddMarkup(link(), portName_, kind, name, -amount);
    return GetSystemError(code);
}

std::int32_t TSOZirok::PrintRecItem(const std::u16string& description, std::int64_t price,
                                    std::int32_t quantity, std::int32_t vatInfo,
                                    std::int64_t unitPrice, const std::u16string& unitName) {
    const std::string name = platform::wideToAnsi(description);
    logInfo("Begin PrintRecItem");
    logInfo("Description='" + name + "'");
    logInfo("Price=" + receiptAmountText(price, 4, false, true));
    logInfo("Quantity=" + std::to_string(quantity));
    logInfo("VatInfo=" + std::to_string(vatInfo));
    logInfo("UnitPrice=" + receiptAmountText(unitPrice, 4, false, true));
    logInfo("UnitName='" + platform::wideToAnsi(unitName) + "'");
    resetErrorState();

    const PendingAdjustment pending = pendingItemAdjustment_;
    pendingItemAdjustment_ = {};
    if (printerState() != fptr::PS_FISCAL_RECEIPT) return lineWrongState(*this, "PrintRecItem");

    PendingAdjustment adjustment = pending;
    if (adjustment.type == 0 && firmwareRoundsItems(firmwareVersion_) && price != 0)
        adjustment = roundingCorrection(price, unitPrice, quantity);
    auto& values = link().pending;
    if (!unitName.empty()) values.itemExtraText = unitName;

    logInfo("Call AddPosition(" + portName_ + quoted(name) +
            receiptAmountText(std::int64_t{quantity} * 10, 4, true) + ", " +
            receiptAmountText(unitPrice, 4, true) + ", " + std::to_string(vatInfo) + ", " +
            std::to_string(adjustment.type) + ", " + receiptAmountText(adjustment.amount, 4, true) +
            ")");
    protocol::ItemLine line;
    line.name = name.empty() ? " " : name;
    line.article = " ";
    line.quantity = quantity;
    line.price = unitPrice;
    line.taxIndex = vatInfo;
    line.adjustmentSign = adjustment.type;
    line.adjustmentAmount = adjustment.amount;
    const protocol::Result code = protocol::AddPosition(link(), portName_, line);

    if (code == protocol::result::Ok) {
        ++itemCount_;
        logInfo("Item Count: " + std::to_string(itemCount_));
        // Kept as the receipt's lines really add up: discounts apart, so the
        // sum due is the items less the discounts, and surcharges in the items.
        receiptItemsTotal_ += toKopecksHalfUp(lineAmount(unitPrice, quantity));
        if (adjustment.type == kAmountDiscount) itemDiscountsTotal_ += adjustment.amount;
        if (adjustment.type == kAmountSurcharge) receiptItemsTotal_ += adjustment.amount;
    }
    values.itemSection = 0;
    const std::int32_t result = GetSystemError(code);
    logInfo("End PrintRecItem");
    return result;
}

std::int32_t TSOZirok::PrintRecItemAdjustment(std::int32_t adjustmentType,
                                              const std::u16string& description,
                                              std::int64_t amount, std::int32_t vatInfo) {
    const std::string text = platform::wideToAnsi(description);
    logInfo("Begin PrintRecItemAdjustment");
    logInfo("AdjustmentType=" + std::to_string(adjustmentType));
    logInfo("Description='" + text + "'");
    logInfo("Amount=" + receiptAmountText(amount, 4, false, true));
    logInfo("VatInfo=" + std::to_string(vatInfo));
    resetErrorState();
    if (printerState() != fptr::PS_FISCAL_RECEIPT) return wrongState(false);

    if (presetEscape(text)) return receiptPresetAdjustment(std::string_view(text).substr(4), false);

    std::int32_t result = opos::SUCCESS;
    switch (adjustmentType) {
        case 1:
            pendingItemAdjustment_ = {kAmountDiscount, amount};
            break;
        case 2:
            pendingItemAdjustment_ = {kAmountSurcharge, amount};
            break;
        case 3:
            result = notSupported(std::string(kPercentDiscount.view()));
            break;
        case 4:
            result = notSupported(std::string(kPercentSurcharge.view()));
            break;
        default:
            break;
    }
    logInfo("End PrintRecItemAdjustment");
    return result;
}

std::int32_t TSOZirok::PrintRecVoidItem(const std::u16string& description, std::int64_t amount,
                                        std::int32_t quantity, std::int32_t adjustmentType,
                                        std::int64_t adjustment, std::int32_t vatInfo) {
    const std::string name = platform::wideToAnsi(description);
    logInfo("Begin PrintRecVoidItem");
    logInfo("Description='" + name + "'");
    logInfo("Amount=" + receiptAmountText(amount, 4, false, true));
    logInfo("Quantity=" + std::to_string(quantity));
    logInfo("AdjustmentType=" + std::to_string(adjustmentType));
    logInfo("Adjustment=" + receiptAmountText(adjustment, 4, false, true));
    logInfo("VatInfo=" + std::to_string(vatInfo));
    resetErrorState();
    if (printerState() != fptr::PS_FISCAL_RECEIPT) return lineWrongState(*this, "PrintRecVoidItem");
    // The unit price is the line less its adjustment, per unit; without a
    // quantity there is no unit price to name the line by.
    const auto unitPrice =
        quantity > 0 ? unitPriceMillionths(static_cast<__int128>(amount) - adjustment, quantity)
                     : std::nullopt;
    if (!unitPrice) {
        const std::int32_t result = notSupported();
        logInfo("End PrintRecVoidItem");
        return result;
    }

    logInfo("Call VoidPosition(" + portName_ + quoted(name) +
            twoDecimals(std::int64_t{quantity} * 1000) + ", " + twoDecimals(*unitPrice) + ", " +
            std::to_string(vatInfo) + ")");
    const protocol::Result code = protocol::VoidPosition(
        link(), portName_, name.empty() ? " " : name, " ", quantity, *unitPrice, vatInfo);
    const std::int32_t result = GetSystemError(code);
    logInfo("End PrintRecVoidItem");
    return result;
}

std::int32_t TSOZirok::PrintRecRefundVoid(const std::u16string& description, std::int64_t amount,
                                          std::int32_t vatInfo) {
    const std::string name = platform::wideToAnsi(description);
    logInfo("Begin PrintRecRefundVoid");
    logInfo("Description='" + name + "'");
    logInfo("Amount=" + receiptAmountText(amount, 4, false, true));
    logInfo("VatInfo=" + std::to_string(vatInfo));
    resetErrorState();
    if (printerState() != fptr::PS_FISCAL_RECEIPT)
        return lineWrongState(*this, "PrintRecRefundVoid");
    const auto price = unitPriceMillionths(amount, 1000);
    if (!price) {
        const std::int32_t result = notSupported();
        logInfo("End PrintRecRefundVoid");
        return result;
    }

    protocol::Status status;
    if (protocol::GetStatus(link(), portName_, status) != protocol::result::Ok) status.doc = 0;
    if (status.doc == 0) {
        props_.setNumber(pidx::FptrFiscalReceiptType, 7);
        if (const std::int32_t opened = BeginFiscalReceipt(false); opened != opos::SUCCESS)
            return opened;
    }

    logInfo("Call VoidPosition(" + portName_ + quoted(name) + "1.00, " + twoDecimals(*price) +
            ", " + std::to_string(vatInfo) + ")");
    const protocol::Result code = protocol::VoidPosition(
        link(), portName_, name.empty() ? " " : name, " ", 1000, *price, vatInfo);
    const std::int32_t result = GetSystemError(code);
    logInfo("End PrintRecRefundVoid");
    return result;
}

}  // namespace zirok::so
