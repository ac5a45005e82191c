#pragma once
#include <vector>

#include "emulator/register_state.hpp"

// A receipt's arithmetic, in whole kopecks and without floating point.
namespace zirok::emulator {

// Price × quantity (or × numerator / denominator), rounded half up to kopecks.
Kopecks grossOf(const Item& item);
// The line after its own discount or surcharge.
Kopecks lineAmountOf(const Item& item);

// The VAT inside an amount that includes it, at a rate in hundredths of a percent.
Kopecks vatOf(Kopecks amount, std::int64_t rateHundredths);

struct ReceiptTotals {
    Kopecks lines = 0;  // the lines after their own adjustments
    Kopecks itemDiscounts = 0;
    Kopecks itemSurcharges = 0;
    Kopecks receiptDiscounts = 0;
    Kopecks receiptSurcharges = 0;
    Kopecks total = 0;
    Kopecks paid = 0;
    Kopecks cashPaid = 0;
    Kopecks change = 0;
    // Each line with its share of the receipt's discounts and surcharges; the
    // shares are spread in proportion to the lines and add up exactly.
    std::vector<Kopecks> finalAmounts;
    std::array<Kopecks, 16> byPaymentType{};  // cash net of the change
};

ReceiptTotals totalsOf(const Document& document);

// Still to pay; negative once overpaid.
inline Kopecks dueOf(const ReceiptTotals& totals) {
    return totals.total - totals.paid;
}

}  // namespace zirok::emulator
