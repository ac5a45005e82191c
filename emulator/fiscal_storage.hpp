#pragma once
#include <string>
#include <vector>

#include "emulator/receipt_math.hpp"
#include "emulator/register_state.hpp"

// The fiscal storage: every fiscal document signed, numbered and kept as
// TLVs, one top-level TLV a block.
namespace zirok::emulator {

namespace fn_document {
inline constexpr int kRegistration = 1;
inline constexpr int kShiftOpening = 2;
inline constexpr int kReceipt = 3;
inline constexpr int kShiftClosing = 5;
inline constexpr int kReregistration = 11;
inline constexpr int kSettlementReport = 21;
inline constexpr int kCorrection = 31;
}  // namespace fn_document

// Receipts of every kind, corrections included, in the current shift.
int receiptsInShift(const RegisterState& state);
// The storage's rate code (tag 1199) of a tax index of the register.
int vatCodeOf(int taxIndex);
// The calculation sign (tag 1054) of a receipt type.
int calculationSignOf(DocumentType type);
// The tax system (tag 1055) a document carries: its own, else the first one
// registered.
std::uint32_t taxSystemBitOf(const RegisterState& state, int taxSystem);

const StoredDocument& storeReceipt(RegisterState& state, const Document& document,
                                   const ReceiptTotals& totals);
const StoredDocument& storeShiftOpening(RegisterState& state, const std::string& cashier);
const StoredDocument& storeShiftClosing(RegisterState& state, const std::string& cashier);
const StoredDocument& storeSettlementReport(RegisterState& state, const std::string& cashier);

struct Correction {
    std::string cashier;
    Kopecks cash = 0;
    Kopecks electronic = 0;
    int type = 0;  // the command's correction type field
    Moment eventDate = 0;
    std::int64_t number = 0;
};
const StoredDocument& storeCorrection(RegisterState& state, const Correction& correction);
const StoredDocument& storeRegistration(RegisterState& state, bool first,
                                        const std::string& cashier);

// When the register left the factory, registered: 01.01.2024 10:00.
inline constexpr Moment kFactoryRegistration = 1704103200;
// A register as it comes out of the box: registered, its storage holding
// only the registration report.
void registerAtFactory(RegisterState& state);

}  // namespace zirok::emulator
