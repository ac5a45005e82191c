#pragma once
// The lines of an open receipt: items, their cancellation, discounts and
// surcharges on the subtotal, payments and cash amounts. All are print-type
// commands: in package mode they are written without reading an answer and
// report only whether the frame went out.
//
// Amounts are OPOS currency (int64, value times 10000). Quantities are
// int64 thousandths (1.5 is 1500), as OPOS passes them.
#include <cstdint>
#include <optional>
#include <string>

#include "protocol/register_link.hpp"

namespace zirok::protocol {

// A tax index the register cannot take is refused before anything is sent,
// with the register's own "wrong parameter" code.
inline constexpr Result kRefusedTaxIndex = 3;

struct ItemLine {
    std::string name{};         // converted to the register's code page
    std::string article{};      // converted, cut to 18
    std::int64_t quantity = 0;  // thousandths
    std::int64_t price = 0;     // currency
    int taxIndex = 0;           // 0..9
    // The section field; the pending ItemSection when not given.
    std::optional<int> section{};
    int adjustmentSign = 0;             // 0 for none, else the sign the receipt flow chose
    std::int64_t adjustmentAmount = 0;  // currency; its absolute value is sent
};

// 0x42. Also sends and consumes the pending item values: the fractional
// quantity text (the quantity is then sent rounded to a whole number, "/",
// the text), the extra text, the payment method and object signs (back to 4
// and 1), the country code and customs declaration; the print-tax flag and
// ItemSection are read and kept. A tax index of 10 or more returns 3 with
// nothing sent and nothing consumed.
Result AddPosition(RegisterLink& link, const std::string& port, const ItemLine& item);

// 0x43. Cancels an item; a tax index of 6 or more returns 3 with nothing sent.
// The price is in millionths, the six decimals its field carries.
Result VoidPosition(RegisterLink& link, const std::string& port, const std::string& name,
                    const std::string& article, std::int64_t quantity, std::int64_t priceMillionths,
                    int taxIndex);

// 0x44.
Result Subtotal(RegisterLink& link, const std::string& port);

enum class AdjustmentKind { Percentage = 0, Sum = 1 };

// 0x45 and 0x46. `value` is a sum in currency or a percentage times 10000.
Result AddDiscount(RegisterLink& link, const std::string& port, AdjustmentKind kind,
                   const std::string& name, std::int64_t value);
Result AddMarkup(RegisterLink& link, const std::string& port, AdjustmentKind kind,
                 const std::string& name, std::int64_t value);

// 0x47. Payment types: 0 cash, 1 electronic, 13..15 prepayment, credit,
// other, and the configured 1..15. Sends and clears the pending cashless
// payment data.
Result AddPayment(RegisterLink& link, const std::string& port, int type, std::int64_t amount,
                  const std::string& text);

// 0x48. The cash amount of a cash-in or cash-out document.
Result AddCashAmount(RegisterLink& link, const std::string& port, const std::string& text,
                     std::int64_t amount);

}  // namespace zirok::protocol
