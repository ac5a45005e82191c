#include "emulator/receipt_math.hpp"

#include <algorithm>
#include <numeric>

namespace zirok::emulator {

namespace {

// Millionths times thousandths: kopecks are 10^7 of those units.
constexpr std::int64_t kMicroThousandthsPerKopeck = 10'000'000;
constexpr std::int64_t kMicroPerKopeck = 10'000;

// Splits `amount` over `weights` in proportion, largest remainders first, so
// the parts add up to `amount` exactly.
std::vector<Kopecks> spread(Kopecks amount, const std::vector<Kopecks>& weights) {
    std::vector<Kopecks> parts(weights.size(), 0);
    if (weights.empty() || amount == 0) return parts;
    const Kopecks base = std::accumulate(weights.begin(), weights.end(), Kopecks{0});
    if (base <= 0) {
        parts.front() = amount;
        return parts;
    }
    const bool negative = amount < 0;
    const Kopecks magnitude = negative ? -amount : amount;
    std::vector<std::pair<__int128, std::size_t>> remainders;
    Kopecks given = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        const __int128 product = static_cast<__int128>(magnitude) * weights[i];
        parts[i] = static_cast<Kopecks>(product / base);
        given += parts[i];
        remainders.emplace_back(product % base, i);
    }
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t k = 0; given < magnitude; ++k, ++given) ++parts[remainders[k].second];
    if (negative) {
        for (Kopecks& part : parts) part = -part;
    }
    return parts;
}

}  // namespace

Kopecks grossOf(const Item& item) {
    if (item.denominator > 0) {
        return divideRounded(static_cast<__int128>(item.priceMicro) * item.numerator,
                             static_cast<__int128>(item.denominator) * kMicroPerKopeck);
    }
    return divideRounded(static_cast<__int128>(item.priceMicro) * item.quantity,
                         kMicroThousandthsPerKopeck);
}

Kopecks lineAmountOf(const Item& item) {
    const Kopecks gross = grossOf(item);
    switch (item.adjustmentSign) {
        case kAdjustmentDiscount:
            return gross - item.adjustment;
        case kAdjustmentSurcharge:
            return gross + item.adjustment;
        default:
            return gross;
    }
}

Kopecks vatOf(Kopecks amount, std::int64_t rateHundredths) {
    if (rateHundredths <= 0) return 0;
    return divideRounded(static_cast<__int128>(amount) * rateHundredths, 10000 + rateHundredths);
}

ReceiptTotals totalsOf(const Document& document) {
    ReceiptTotals totals;
    std::vector<Kopecks> lines;
    for (const Item& item : document.items) {
        const Kopecks line = lineAmountOf(item);
        lines.push_back(line);
        totals.lines += line;
        if (item.adjustmentSign == kAdjustmentDiscount) totals.itemDiscounts += item.adjustment;
        if (item.adjustmentSign == kAdjustmentSurcharge) totals.itemSurcharges += item.adjustment;
    }
    for (const ReceiptAdjustment& adjustment : document.adjustments) {
        (adjustment.discount ? totals.receiptDiscounts : totals.receiptSurcharges) +=
            adjustment.amount;
    }
    const Kopecks net = totals.receiptSurcharges - totals.receiptDiscounts;
    totals.total = totals.lines + net;
    const std::vector<Kopecks> shares = spread(net, lines);
    for (std::size_t i = 0; i < lines.size(); ++i)
        totals.finalAmounts.push_back(lines[i] + shares[i]);

    for (const Payment& payment : document.payments) {
        totals.paid += payment.amount;
        if (payment.type == 0) totals.cashPaid += payment.amount;
        totals.byPaymentType[static_cast<std::size_t>(payment.type)] += payment.amount;
    }
    totals.change = std::clamp<Kopecks>(totals.paid - totals.total, 0, totals.cashPaid);
    totals.byPaymentType[0] -= totals.change;
    return totals;
}

}  // namespace zirok::emulator
