// Receipt lines: the rounding correction by firmware, the application's item
// adjustments, preset discounts, subtotal adjustments, payment types, voids
// and messages, as the register received them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/registry.hpp"
#include "tests/service-object/receipts_fixture.hpp"

namespace zirok::so::testing {
namespace {

using ReceiptLines = ReceiptTest;

TEST_F(ReceiptLines, RoundingCorrectionBringsTheLineToThePrice) {
    struct Case {
        std::int32_t firmware;
        std::int64_t price;
        std::int64_t unitPrice;
        std::int32_t quantity;
        int sign;
        emulator::Kopecks adjustment;
    };
    const Case cases[] = {
        {560, 99'9900, 33'3333, 3000, 2, 1},   // 99.9999 rounds to 100.00
        {560, 100'0000, 33'3333, 3000, 0, 0},  // already the price
        {600, 99'9900, 33'3333, 3000, 0, 0},   // this firmware rounds by itself
        {160, 100'0100, 33'3333, 3000, 4, 1},  // below the price: a surcharge
        {660, 10'0000, 3'3333, 3000, 0, 0},    // 9.9999 rounds to 10.00
        {699, 9'9800, 3'3333, 3000, 2, 2},
        {560, 0, 33'3333, 3000, 0, 0},  // no price, no correction
        {549, 99'9900, 33'3333, 3000, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.firmware << " " << c.price);
        zirok->firmwareVersion_ = c.firmware;
        open();
        ASSERT_EQ(zirok->PrintRecItem(u"A", c.price, c.quantity, 1, c.unitPrice, u""),
                  opos::SUCCESS);
        const emulator::Item& line = document().items.back();
        EXPECT_EQ(line.quantity, c.quantity);
        EXPECT_EQ(line.priceMicro, c.unitPrice * 100);
        EXPECT_EQ(line.adjustmentSign, c.sign);
        EXPECT_EQ(line.adjustment, c.adjustment);
        zirok->PrintRecVoid(u"");
    }
}

// The application's adjustment goes with the next item only, and an item
// refused for the state still uses it up.
TEST_F(ReceiptLines, ItemAdjustmentAppliesToTheNextItemOnly) {
    open();
    EXPECT_EQ(zirok->PrintRecItemAdjustment(1, u"", 5'0000, 1), opos::SUCCESS);
    item(20'0000);
    EXPECT_EQ(zirok->PrintRecItemAdjustment(2, u"", 1'5000, 1), opos::SUCCESS);
    item(20'0000);
    item(20'0000);
    ASSERT_EQ(document().items.size(), 3u);
    EXPECT_EQ(document().items[0].adjustmentSign, 2);
    EXPECT_EQ(document().items[0].adjustment, 500);
    EXPECT_EQ(document().items[1].adjustmentSign, 4);
    EXPECT_EQ(document().items[1].adjustment, 150);
    EXPECT_EQ(document().items[2].adjustmentSign, 0);

    EXPECT_EQ(zirok->PrintRecItemAdjustment(1, u"", 5'0000, 1), opos::SUCCESS);
    zirok->setPrinterState(fptr::PS_FISCAL_RECEIPT_TOTAL);
    EXPECT_EQ(zirok->PrintRecItem(u"A", 0, 1000, 1, 10'0000, u""), opos::E_EXTENDED);
    zirok->setPrinterState(fptr::PS_FISCAL_RECEIPT);
    item(20'0000);
    EXPECT_EQ(document().items.back().adjustmentSign, 0);
}

TEST_F(ReceiptLines, PercentageItemAdjustmentsAreRefused) {
    open();
    struct Case {
        std::int32_t type;
        std::u16string text;
    };
    for (const Case& c : {Case{3, u"Процентная скидка не поддерживается"},
                          Case{4, u"Процентная наценка не поддерживается"}}) {
        EXPECT_EQ(zirok->PrintRecItemAdjustment(c.type, u"", 10'0000, 1), opos::E_ILLEGAL);
        EXPECT_EQ(number(pidx::ResultCode), opos::E_ILLEGAL);
        EXPECT_EQ(text(pidx::CheckHealthText), c.text);
    }
    item(10'0000);
    EXPECT_EQ(document().items.back().adjustmentSign, 0);
}

// A preset discount: Amount is eight little-endian bytes of currency.
void writePreset(int number, const std::string& name, std::int64_t amount, int type,
                 std::size_t size = 8) {
    auto key = platform::registry().createKey(
        platform::RegistryHive::LocalMachine,
        u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok\\Discounts\\" +
            platform::ansiToWide(std::to_string(number)));
    key->writeString(std::string_view("Name"), name);
    key->writeInteger(std::string_view("Type"), type);
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &amount, 8);
    bytes.resize(size);
    key->writeBinary(std::string_view("Amount"), bytes);
}

TEST_F(ReceiptLines, PresetDiscountsComeFromTheRegistry) {
    writePreset(3, "Club", 5'0000, 1);
    writePreset(12, "Service", -2'5000, 1);
    writePreset(5, "Broken", 1'0000, 1, 4);
    open();
    item(100'0000);
    EXPECT_EQ(zirok->PrintRecItemAdjustment(1, u"\x1b|aP3", 0, 1), opos::SUCCESS);
    EXPECT_EQ(zirok->PrintRecSubtotalAdjustment(1, u"\x1b|aP012", 0), opos::SUCCESS);
    ASSERT_EQ(document().adjustments.size(), 2u);
    EXPECT_TRUE(document().adjustments[0].discount);
    EXPECT_EQ(document().adjustments[0].amount, 500);
    EXPECT_FALSE(document().adjustments[1].discount);
    EXPECT_EQ(document().adjustments[1].amount, 250);

    zirok->setPrinterState(fptr::PS_FISCAL_RECEIPT);
    for (const char16_t* bad :
         {u"\x1b|aP16", u"\x1b|aP0016", u"\x1b|aPx", u"\x1b|aP", u"\x1b|aP7", u"\x1b|aP1 "}) {
        markTraffic();
        EXPECT_EQ(zirok->PrintRecItemAdjustment(1, bad, 0, 1), opos::E_ILLEGAL);
        EXPECT_EQ(text(pidx::CheckHealthText), u"Неверный номер скидки");
        EXPECT_EQ(traffic(), 0u);
    }
    EXPECT_THROW(zirok->PrintRecItemAdjustment(1, u"\x1b|aP5", 0, 1), CallFailure);
    EXPECT_EQ(document().adjustments.size(), 2u);
}

TEST_F(ReceiptLines, SubtotalAdjustmentsByType) {
    struct Case {
        std::int32_t type;
        std::int64_t amount;
        bool discount;
        emulator::Kopecks applied;  // on a 200.00 receipt
        std::u16string name;
    };
    const Case cases[] = {
        {2, 3'0000, false, 300, u"Наценка"},
        {1, 3'0000, true, 300, u"Скидка"},
        {3, 10'0000, true, 2000, u"Скидка"},
        {4, 5'0000, false, 1000, u"Наценка"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        open();
        // The rounding kept for a copy of the receipt belongs to this receipt.
        EXPECT_EQ(link().roundingAmount, 0);
        item(200'0000);
        EXPECT_EQ(zirok->PrintRecSubtotalAdjustment(c.type, u"", c.amount), opos::SUCCESS);
        EXPECT_EQ(link().roundingAmount, c.type == 1 ? c.amount : 0);
        ASSERT_EQ(document().adjustments.size(), 1u);
        EXPECT_EQ(document().adjustments[0].discount, c.discount);
        EXPECT_EQ(document().adjustments[0].amount, c.applied);
        EXPECT_EQ(document().adjustments[0].name, device(c.name));
        zirok->PrintRecVoid(u"");
    }
}

// With conversion off the application's name goes as it gave it; the
// default name still reaches the register in its own code page, and with
// conversion on it is converted once, not twice.
TEST_F(ReceiptLines, SubtotalAdjustmentNamesWithConversionOnAndOff) {
    for (const bool conversion : {true, false}) {
        SCOPED_TRACE(conversion);
        link().setConversionSetting(conversion);
        open();  // the document's opening takes the setting
        item(200'0000);
        EXPECT_EQ(zirok->PrintRecSubtotalAdjustment(1, u"Округление", 1'0000), opos::SUCCESS);
        zirok->setPrinterState(fptr::PS_FISCAL_RECEIPT);
        EXPECT_EQ(zirok->PrintRecSubtotalAdjustment(2, u"", 1'0000), opos::SUCCESS);
        ASSERT_EQ(document().adjustments.size(), 2u);
        EXPECT_EQ(document().adjustments[0].name,
                  conversion ? device(u"Округление") : ansi(u"Округление"));
        EXPECT_EQ(document().adjustments[1].name, device(u"Наценка"));
        zirok->PrintRecVoid(u"");
    }
    link().setConversionSetting(true);
}

TEST_F(ReceiptLines, PaymentTypeFromThePaysMapOrTheNumber) {
    field(&ReceiptAccess::paymentTypeMap_) = {ansi(u"Карта") + "=1", "Bonus=13", "Gift"};
    struct Case {
        std::u16string description;
        int type;  // -1: refused
    };
    const Case cases[] = {
        {u"карта", 1}, {u"BONUS", 13}, {u"2", 2},   {u"0", 0},
        {u"Gift", -1}, {u"cash", -1},  {u"-1", -1}, {u"", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ansi(c.description));
        open();
        item(100'0000);
        const std::int32_t result = zirok->PrintRecTotal(0, 10'0000, c.description);
        if (c.type < 0) {
            EXPECT_EQ(result, opos::E_ILLEGAL);
            EXPECT_EQ(text(pidx::CheckHealthText), u"Неверный тип платежа");
            EXPECT_TRUE(document().payments.empty());
        } else {
            EXPECT_EQ(result, opos::SUCCESS);
            ASSERT_EQ(document().payments.size(), 1u);
            EXPECT_EQ(document().payments[0].type, c.type);
            EXPECT_EQ(document().payments[0].amount, 1000);
            EXPECT_EQ(zirok->printerState(), fptr::PS_FISCAL_RECEIPT_TOTAL);
        }
        zirok->PrintRecVoid(u"");
    }
}

TEST_F(ReceiptLines, VoidItemTakesBackTheLineAtItsUnitPrice) {
    open();
    item(12'5000, 2000);
    item(7'0000);
    // 2 × 12.50 with a 1.00 adjustment given back: 12.00 a unit is not the line.
    EXPECT_EQ(zirok->PrintRecVoidItem(u"Товар", 26'0000, 2000, 1, 1'0000, 1), opos::SUCCESS);
    EXPECT_EQ(state().shift.counters.voided, 2500);
    // No quantity, or a unit price beyond what the field can carry: refused
    // with nothing sent.
    markTraffic();
    EXPECT_EQ(zirok->PrintRecVoidItem(u"Товар", 7'0000, 0, 0, 0, 1), opos::E_ILLEGAL);
    EXPECT_EQ(zirok->PrintRecVoidItem(u"Товар", INT64_MAX, 1, 0, INT64_MIN, 1), opos::E_ILLEGAL);
    EXPECT_EQ(zirok->PrintRecRefundVoid(u"Товар", INT64_MIN, 1), opos::E_ILLEGAL);
    EXPECT_EQ(traffic(), 0u);
    EXPECT_EQ(zirok->PrintRecVoidItem(u"Товар", 7'0000, 1000, 0, 0, 6), opos::E_EXTENDED);
    EXPECT_EQ(number(pidx::ResultCodeExtended), 3);
}

// The unit price of a voided line keeps the six decimals its field carries.
TEST_F(ReceiptLines, VoidedUnitPriceIsNotCutToFourDecimals) {
    open();
    script({{0x43, "A; ;3.000;3.333333;1;;1;0;;0", {}}});
    EXPECT_EQ(zirok->PrintRecVoidItem(u"A", 10'0000, 3000, 0, 0, 1), opos::SUCCESS);
    EXPECT_EQ(requests, std::vector<std::string>{"43:A; ;3.000;3.333333;1;;1;0;;0"});
}

TEST_F(ReceiptLines, RefundVoidOpensARefundWhenNothingIsOpen) {
    zirok->setPrinterState(fptr::PS_FISCAL_RECEIPT);
    // No matching line in a new refund: the register refuses the void itself.
    EXPECT_EQ(zirok->PrintRecRefundVoid(u"A", 10'0000, 1), opos::E_EXTENDED);
    EXPECT_EQ(number(pidx::ResultCodeExtended), 3);
    ASSERT_TRUE(state().document);
    EXPECT_EQ(document().type, emulator::DocumentType::Return);
    EXPECT_EQ(number(pidx::FptrFiscalReceiptType), 7);
}

TEST_F(ReceiptLines, MessagesFontsAndBarcodes) {
    struct Case {
        std::u16string message;
        std::uint8_t code;
        std::string requestStart;
    };
    const Case cases[] = {
        {u"\x1b|4fTWide", 0x49, "0;48;Wide"},
        {u"\x1b|5fTBold", 0x49, "0;1;Bold"},
        {u"\x1b|9fTKeep", 0x49, "0;0;\x1b|9fTKeep"},
        {u"plain", 0x49, "0;0;plain"},
        {u"\x1b|204pAhttps://x", 0x41, "3;5;0;8;https://x"},
        {u"\x1b|0pT4600000000000", 0x41, "1;2;50;2;4600000000000"},
        {u"\x1b|101pN012345678905", 0x41, "0;2;50;0;012345678905"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ansi(c.message));
        script({{c.code, "-", {}}});
        requests.clear();
        zirok->PrintRecMessage(c.message);
        ASSERT_EQ(requests.size(), 1u);
        const std::string prefix = emulator::hexByte(c.code) + ":" + c.requestStart;
        EXPECT_EQ(requests[0].substr(0, prefix.size()), prefix) << requests[0];
    }
    markTraffic();
    EXPECT_EQ(zirok->PrintRecMessage(u"\x1b|105pTabc"), opos::E_EXTENDED);
    EXPECT_EQ(number(pidx::ResultCodeExtended), efptr::BAD_ITEM_DESCRIPTION);
    EXPECT_EQ(text(pidx::CheckHealthText), u"Данный тип штрих-кода не поддерживается");
    EXPECT_EQ(traffic(), 0u);
}

}  // namespace
}  // namespace zirok::so::testing
