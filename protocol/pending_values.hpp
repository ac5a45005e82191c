#pragma once
// Values the service object sets ahead of a document command (mostly through
// DirectIO) and that the next such command consumes. Texts are kept wide and
// narrowed to the device's single-byte text when they are appended.
#include <cstdint>
#include <string>

namespace zirok::protocol {

struct PendingValues {
    std::u16string itemExtraText;        // AddPosition field 9; cleared
    std::int32_t itemSection = 0;        // AddPosition field 7; kept
    std::u16string fractionalQuantity;   // AddPosition field 3; cleared
    std::u16string countryCode;          // AddPosition field 13; cleared
    std::u16string customsDeclaration;   // AddPosition field 14; cleared
    std::int32_t paymentMethodSign = 4;  // AddPosition field 11; reset to 4
    std::int32_t paymentObjectSign = 1;  // AddPosition field 12; reset to 1
    bool printTax = false;               // AddPosition field 6; kept
    std::u16string cashlessData[3];      // AddPayment fields 4..6; cleared when non-empty
    std::int32_t documentOpenMode = 0;   // DocumentOpen field 1 (0, 32 or 64); kept
    // DocumentOpen field 1 bit 0x100; the receipt flow also holds back the
    // payment that settles the receipt until it is closed. Kept.
    bool delayedTotal = false;
    bool oneShot = false;                // DocumentOpen field 1 bit 0x80; cleared
    std::int32_t taxSystem = -1;         // DocumentOpen field 5; reset to -1
    std::u16string buyerAddress;         // DocumentClose field 2; cleared
    std::int32_t saleMode = 0;           // DocumentClose field 3; kept
    std::u16string saleModeText;         // DocumentClose field 4; cleared
    std::u16string attributePairA[2];    // DocumentClose fields 7, 8; cleared
    std::u16string attributePairB[2];    // DocumentClose fields 9, 10; cleared
    std::u16string additionalAttributes; // DocumentClose fields 12..15; cleared
    std::int32_t department = 1;         // DocumentOpenEx field 2; kept
};

}  // namespace zirok::protocol
