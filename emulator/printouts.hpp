#pragma once
#include <string>
#include <string_view>

#include "emulator/receipt_math.hpp"
#include "emulator/register_state.hpp"

// What the register prints for its documents and reports, on the tape.
namespace zirok::emulator {

std::string priceText(std::int64_t micro);
std::string quantityText(const Item& item);

// Start of a document: logo, header lines, title.
void printDocumentHead(RegisterState& state, const Document& document);
void printItem(RegisterState& state, const Item& item, std::size_t number);
void printVoid(RegisterState& state, const Item& item, std::int64_t quantity, Kopecks amount);
void printReceiptAdjustment(RegisterState& state, const ReceiptAdjustment& adjustment);
// The receipt's totals, payments, change, taxes and fiscal data, then its end.
void printReceiptEnd(RegisterState& state, const Document& document, const ReceiptTotals& totals,
                     const StoredDocument& stored, bool cut);
// Trailer lines and the cut.
void printDocumentEnd(RegisterState& state, bool cut);
void printAnnulled(RegisterState& state);

// A fiscal document as the storage holds it: a report printed when signed,
// or a copy of any stored document.
void printFiscalDocument(RegisterState& state, const StoredDocument& stored, bool copy);
// The text of a receipt's QR code.
std::string checkString(const RegisterState& state, const StoredDocument& stored);

void printBarcode(RegisterState& state, int symbology, std::string_view data);
void printPicture(RegisterState& state, const Picture& picture, std::string_view caption);

// The shift's counters, as the X and Z reports show them.
void printShiftTotals(RegisterState& state, std::string_view title);
void printPeriodicReport(RegisterState& state, Moment from, Moment to);

}  // namespace zirok::emulator
