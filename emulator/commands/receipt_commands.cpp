#include "emulator/commands/command_support.hpp"
#include "emulator/commands/commands.hpp"
#include "emulator/cp866_text.hpp"
#include "emulator/device_errors.hpp"
#include "emulator/printouts.hpp"
#include "emulator/receipt_math.hpp"
#include "emulator/register_model.hpp"
#include "emulator/tape.hpp"

namespace zirok::emulator {

namespace {

constexpr std::uint8_t kAddPosition = 0x42;
constexpr std::uint8_t kVoidPosition = 0x43;
constexpr std::uint8_t kSubtotal = 0x44;
constexpr std::uint8_t kAddDiscount = 0x45;
constexpr std::uint8_t kAddMarkup = 0x46;
constexpr std::uint8_t kAddPayment = 0x47;
constexpr std::uint8_t kAddCashAmount = 0x48;

constexpr std::size_t kMaxName = 128;
constexpr std::size_t kMaxShortText = 56;
constexpr std::size_t kMaxCustoms = 32;
constexpr std::int64_t kMaxQuantity = 99'999'999;  // thousandths
constexpr Kopecks kMaxAmount = 10'000'000'000'000;
constexpr std::int64_t kWholePercentMicro = 100'000'000;  // 100 % in millionths
constexpr int kMaxTaxIndex = 5;
constexpr int kMaxPaymentMethod = 7;
constexpr int kMaxPaymentObject = 33;
constexpr int kMaxSection = 16;
constexpr int kMaxPaymentType = 15;
constexpr std::uint32_t kCashControlBit = 0x01;

Document* openReceipt(RegisterState& state) {
    if (!state.document || !isReceipt(state.document->type) || state.document->awaitingClose) {
        return nullptr;
    }
    return &*state.document;
}

// Lines may change until the receipt is being paid or has a receipt-wide
// discount or surcharge fixed on its total.
Document* receiptTakingItems(RegisterState& state) {
    Document* document = openReceipt(state);
    if (!document || !document->adjustments.empty() || document->stage == Stage::Payment ||
        document->stage == Stage::ReadyToClose) {
        return nullptr;
    }
    return document;
}

bool inRange(const std::optional<std::int64_t>& value, std::int64_t low, std::int64_t high) {
    return value && *value >= low && *value <= high;
}

// "1.500", or "n/d": n parts of a unit cut into d.
bool readQuantity(std::string_view text, Item& item) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        const auto quantity = parseScaled(text, 3);
        if (!inRange(quantity, 1, kMaxQuantity)) return false;
        item.quantity = *quantity;
        return true;
    }
    const auto numerator = parseInteger(text.substr(0, slash));
    const auto denominator = parseInteger(text.substr(slash + 1));
    if (!inRange(denominator, 1, 1'000'000) || !inRange(numerator, 1, *denominator)) return false;
    item.numerator = *numerator;
    item.denominator = *denominator;
    item.quantity = divideRounded(static_cast<__int128>(*numerator) * 1000, *denominator);
    return true;
}

std::uint8_t readItem(const FieldReader& fields, Item& item) {
    const auto price = fields.scaled(3, 6);
    const auto tax = fields.integer(4);
    const auto section = fields.integerOr(6, 0);
    const auto sign = fields.integerOr(7, kAdjustmentNone);
    const auto adjustment = fields.has(9) ? fields.scaled(9, 2) : std::optional<std::int64_t>(0);
    const auto method = fields.integerOr(10, 4);
    const auto object = fields.integerOr(11, 1);
    const bool knownSign =
        sign == kAdjustmentNone || sign == kAdjustmentDiscount || sign == kAdjustmentSurcharge;
    if (!fields.has(0) || fields.text(0).size() > kMaxName || !readQuantity(fields.text(2), item) ||
        !inRange(price, 0, kMaxAmount * 10'000) || !inRange(tax, 0, kMaxTaxIndex) ||
        !inRange(section, 0, kMaxSection) || !knownSign || !inRange(adjustment, 0, kMaxAmount) ||
        !inRange(method, 1, kMaxPaymentMethod) || !inRange(object, 1, kMaxPaymentObject) ||
        fields.text(8).size() > kMaxShortText || fields.text(12).size() > 3 ||
        fields.text(13).size() > kMaxCustoms) {
        return device_error::kBadParameter;
    }
    item.name = fields.text(0);
    item.article = fields.text(1);
    item.priceMicro = *price;
    item.taxIndex = static_cast<int>(*tax);
    item.printTax = fields.has(5);
    item.section = static_cast<int>(*section);
    item.adjustmentSign = static_cast<int>(*sign);
    item.adjustment = *sign == kAdjustmentNone ? 0 : *adjustment;
    item.extraText = fields.text(8);
    item.paymentMethod = static_cast<int>(*method);
    item.paymentObject = static_cast<int>(*object);
    item.country = fields.text(12);
    item.customs = fields.text(13);
    if (grossOf(item) > kMaxAmount) return device_error::kBadParameter;
    return device_error::kNone;
}

Reply addPosition(RegisterState& state, const Request& request) {
    Document* document = receiptTakingItems(state);
    if (!document) return failure(device_error::kWrongState);
    Item item;
    if (const std::uint8_t error = readItem(FieldReader(request), item)) return failure(error);
    // A discount larger than the line itself.
    if (lineAmountOf(item) < 0) return failure(device_error::kNegativeResult);
    if (const std::uint8_t error = printerError(state)) return failure(error);
    if (state.marking.forNextItem) {
        item.mark = std::move(state.marking.forNextItem);
        state.marking.forNextItem.reset();
        ++state.marking.attachedInReceipt;
    }
    document->items.push_back(std::move(item));
    document->stage = Stage::Items;
    printItem(state, document->items.back(), document->items.size());
    return answer({});
}

Reply voidPosition(RegisterState& state, const Request& request) {
    Document* document = receiptTakingItems(state);
    if (!document) return failure(device_error::kWrongState);
    const FieldReader fields(request);
    const auto quantity = fields.scaled(2, 3);
    const auto price = fields.scaled(3, 6);
    const auto tax = fields.integer(4);
    if (!inRange(quantity, 1, kMaxQuantity) || !inRange(price, 0, kMaxAmount * 10'000) ||
        !inRange(tax, 0, kMaxTaxIndex)) {
        return failure(device_error::kBadParameter);
    }
    // The latest line of that name, rate and price (to the kopeck).
    auto& items = document->items;
    auto found = items.rend();
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        if (it->name == fields.text(0) && it->taxIndex == *tax &&
            divideRounded(it->priceMicro, 10'000) == divideRounded(*price, 10'000)) {
            found = it;
            break;
        }
    }
    if (found == items.rend()) return failure(device_error::kBadParameter);
    if (const std::uint8_t error = printerError(state)) return failure(error);

    Item& item = *found;
    const Kopecks before = grossOf(item);
    const bool whole = item.denominator > 0 || *quantity >= item.quantity;
    if (!whole) {
        Item reduced = item;
        reduced.quantity -= *quantity;
        if (lineAmountOf(reduced) < 0) return failure(device_error::kNegativeResult);
        const Kopecks voided = before - grossOf(reduced);
        printVoid(state, item, *quantity, voided);
        state.shift.counters.voided += voided;
        item = std::move(reduced);
    } else {
        printVoid(state, item, item.quantity, before);
        state.shift.counters.voided += before;
        items.erase(std::next(found).base());
    }
    document->stage = Stage::Items;
    return answer({});
}

Reply subtotal(RegisterState& state, const Request&) {
    Document* document = openReceipt(state);
    if (!document || document->items.empty() || document->stage == Stage::Payment ||
        document->stage == Stage::ReadyToClose) {
        return failure(device_error::kWrongState);
    }
    if (const std::uint8_t error = printerError(state)) return failure(error);
    document->stage = Stage::Subtotal;
    tape::print(state, tape::leftRight("ПОДЫТОГ", "=" + formatKopecks(totalsOf(*document).total)));
    return answer({});
}

Reply adjustReceipt(RegisterState& state, const Request& request, bool discount) {
    Document* document = openReceipt(state);
    if (!document || document->items.empty() || document->stage == Stage::Payment ||
        document->stage == Stage::ReadyToClose) {
        return failure(device_error::kWrongState);
    }
    const FieldReader fields(request);
    const auto kind = fields.integer(0);
    const Kopecks total = totalsOf(*document).total;
    std::optional<Kopecks> amount;
    if (kind == 0) {
        const auto percent = fields.scaled(2, 6);
        if (inRange(percent, 1, kWholePercentMicro)) {
            amount = divideRounded(static_cast<__int128>(total) * *percent, kWholePercentMicro);
        }
    } else if (kind == 1) {
        const auto sum = fields.scaled(2, 2);
        if (inRange(sum, 1, kMaxAmount)) amount = *sum;
    }
    if (!amount || fields.text(1).size() > kMaxShortText) {
        return failure(device_error::kBadParameter);
    }
    if (discount && *amount > total) return failure(device_error::kNegativeResult);
    if (const std::uint8_t error = printerError(state)) return failure(error);
    document->adjustments.push_back(
        ReceiptAdjustment{discount, std::string(fields.text(1)), *amount});
    printReceiptAdjustment(state, document->adjustments.back());
    return answer({});
}

Reply addPayment(RegisterState& state, const Request& request) {
    Document* document = openReceipt(state);
    if (!document || document->items.empty() || document->stage == Stage::ReadyToClose) {
        return failure(device_error::kWrongState);
    }
    const FieldReader fields(request);
    const auto type = fields.integer(0);
    const auto amount = fields.scaled(1, 2);
    if (!inRange(type, 0, kMaxPaymentType) || !inRange(amount, 1, kMaxAmount)) {
        return failure(device_error::kBadParameter);
    }
    const Kopecks due = dueOf(totalsOf(*document));
    if (due <= 0) return failure(device_error::kWrongState);
    // Only cash can be given back as change.
    if (*type != 0 && *amount > due) return failure(device_error::kBadParameter);
    document->payments.push_back(Payment{static_cast<int>(*type), *amount});
    document->stage = *amount >= due ? Stage::ReadyToClose : Stage::Payment;
    return answer({});
}

Reply addCashAmount(RegisterState& state, const Request& request) {
    Document* document = state.document ? &*state.document : nullptr;
    if (!document ||
        (document->type != DocumentType::CashIn && document->type != DocumentType::CashOut)) {
        return failure(device_error::kWrongState);
    }
    const FieldReader fields(request);
    const auto amount = fields.scaled(1, 2);
    if (!inRange(amount, 1, kMaxAmount) || fields.text(0).size() > kMaxShortText) {
        return failure(device_error::kBadParameter);
    }
    const bool controlled = (state.tables.integer(table::kCashControl) & kCashControlBit) != 0;
    if (document->type == DocumentType::CashOut && controlled &&
        document->cashAmount + *amount > state.cashInDrawer) {
        return failure(device_error::kNegativeResult);
    }
    if (const std::uint8_t error = printerError(state)) return failure(error);
    document->cashAmount += *amount;
    document->stage = Stage::ReadyToClose;
    tape::print(state, tape::leftRight(cp866ToUtf8(fields.text(0)), "=" + formatKopecks(*amount)));
    return answer({});
}

}  // namespace

void defineReceiptCommands(RegisterModel& model) {
    model.define(kAddPosition, CommandKind::Print, addPosition);
    model.define(kVoidPosition, CommandKind::Print, voidPosition);
    model.define(kSubtotal, CommandKind::Print, subtotal);
    model.define(kAddDiscount, CommandKind::Print,
                 [](RegisterState& s, const Request& r) { return adjustReceipt(s, r, true); });
    model.define(kAddMarkup, CommandKind::Print,
                 [](RegisterState& s, const Request& r) { return adjustReceipt(s, r, false); });
    model.define(kAddPayment, CommandKind::Print, addPayment);
    model.define(kAddCashAmount, CommandKind::Print, addCashAmount);
}

}  // namespace zirok::emulator
