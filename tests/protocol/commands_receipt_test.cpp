// The pending document values: which command sends them, in which field, and
// what is left of them afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "commands_fixture.hpp"
#include "protocol/commands.hpp"

namespace zirok::protocol {
namespace {

using testing::CommandTest;
using testing::fieldsOf;

using Fields = std::vector<std::string>;

class PendingValues : public CommandTest {
  protected:
    Fields lastFields() const { return fieldsOf(port.writes.back()); }
};

TEST_F(PendingValues, AddPositionSendsAndConsumesTheItemValues) {
    auto& p = link.pending;
    p.fractionalQuantity = u"3";
    p.itemExtraText = std::u16string(40, u'e');
    p.countryCode = u"643";
    p.customsDeclaration = u"10702070/010124/0000001";
    p.paymentMethodSign = 1;
    p.paymentObjectSign = 33;
    p.printTax = true;
    p.itemSection = 5;
    ASSERT_EQ(AddPosition(link, com,
                          {.name = "\xCC\xEE\xEB\xEE\xEA\xEE",  // Молоко
                           .article = "A-1",
                           .quantity = 1000,
                           .price = 555000,
                           .taxIndex = 9,
                           .adjustmentSign = 4,
                           .adjustmentAmount = -15000}),
              result::Ok);
    EXPECT_EQ(lastFields(),
              (Fields{"\x8C\xAE\xAB\xAE\xAA\xAE", "A-1", "1/3", "55.500000", "9", "Tax", "5", "4",
                      std::string(38, 'e'), "1.500", "1", "33", "643", "10702070/010124/0000001"}));
    EXPECT_TRUE(p.fractionalQuantity.empty());
    EXPECT_TRUE(p.itemExtraText.empty());
    EXPECT_TRUE(p.countryCode.empty());
    EXPECT_TRUE(p.customsDeclaration.empty());
    EXPECT_EQ(p.paymentMethodSign, 4);
    EXPECT_EQ(p.paymentObjectSign, 1);
    EXPECT_TRUE(p.printTax);
    EXPECT_EQ(p.itemSection, 5);

    // Consumed values are gone from the next item; kept ones stay.
    ASSERT_EQ(
        AddPosition(link, com, {.name = "x", .article = " ", .quantity = 2000, .price = 10000}),
        result::Ok);
    EXPECT_EQ(lastFields(),
              (Fields{"x", " ", "2.000", "1.000000", "0", "Tax", "5", "0", "", "0", "4", "1"}));

    // A customs declaration without a country code stays in its own field.
    p.customsDeclaration = u"10702070/010124/0000002";
    ASSERT_EQ(
        AddPosition(link, com, {.name = "x", .article = " ", .quantity = 1000, .price = 10000}),
        result::Ok);
    EXPECT_EQ(lastFields(), (Fields{"x", " ", "1.000", "1.000000", "0", "Tax", "5", "0", "", "0",
                                    "4", "1", "", "10702070/010124/0000002"}));
}

TEST_F(PendingValues, TheItemsExtraTextIsPrintedInTheRegistersCodePage) {
    link.pending.itemExtraText = u"\u043A\u0433";  // кг
    ASSERT_EQ(
        AddPosition(link, com, {.name = "x", .article = " ", .quantity = 1000, .price = 10000}),
        result::Ok);
    EXPECT_EQ(lastFields()[8], "\xAA\xA3");
}

TEST_F(PendingValues, FractionalQuantityTakesTheQuantityRoundedToAWholeNumber) {
    const struct {
        std::int64_t thousandths;
        const char* field;
    } cases[] = {{1000, "1/3"}, {1499, "1/3"}, {1500, "2/3"}, {499, "0/3"}, {-1500, "-2/3"}};
    for (const auto& c : cases) {
        link.pending.fractionalQuantity = u"3";
        ASSERT_EQ(AddPosition(link, com, {.name = "x", .article = " ", .quantity = c.thousandths}),
                  result::Ok);
        EXPECT_EQ(lastFields()[2], c.field) << c.thousandths;
    }
}

TEST_F(PendingValues, AGivenSectionTakesThePlaceOfThePendingOne) {
    link.pending.itemSection = 5;
    link.pending.department = 3;
    ASSERT_EQ(
        AddPosition(link, com, {.name = "x", .article = " ", .section = link.pending.department}),
        result::Ok);
    EXPECT_EQ(lastFields()[6], "3");
    EXPECT_EQ(link.pending.itemSection, 5);
}

TEST_F(PendingValues, ARefusedTaxIndexSendsNothingAndConsumesNothing) {
    link.pending.fractionalQuantity = u"3";
    link.pending.itemExtraText = u"kg";
    link.pending.paymentMethodSign = 2;
    link.pending.countryCode = u"643";
    EXPECT_EQ(
        AddPosition(link, com, {.name = "x", .article = " ", .quantity = 1000, .taxIndex = 10}), 3);
    EXPECT_EQ(VoidPosition(link, com, "x", " ", 1000, 1000000, 6), 3);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(link.pending.fractionalQuantity, u"3");
    EXPECT_EQ(link.pending.itemExtraText, u"kg");
    EXPECT_EQ(link.pending.paymentMethodSign, 2);
    EXPECT_EQ(link.pending.countryCode, u"643");
}

TEST_F(PendingValues, ValuesConsumedByAFailedCommandStayConsumed) {
    link.setPackageMode(false);
    answerAll("0B");
    link.pending.itemExtraText = u"kg";
    link.pending.paymentObjectSign = 7;
    link.pending.cashlessData[0] = u"rrn";
    link.pending.buyerAddress = u"a@b.ru";
    link.pending.taxSystem = 1;
    link.pending.oneShot = true;
    EXPECT_EQ(AddPosition(link, com, {.name = "x", .article = " "}), 11);
    EXPECT_EQ(AddPayment(link, com, 0, 10000, ""), 11);
    EXPECT_EQ(DocumentClose(link, com, false, 1), 11);
    EXPECT_EQ(DocumentOpen(link, com, 2, 1, "C", 0), 11);
    EXPECT_TRUE(link.pending.itemExtraText.empty());
    EXPECT_EQ(link.pending.paymentObjectSign, 1);
    EXPECT_TRUE(link.pending.cashlessData[0].empty());
    EXPECT_TRUE(link.pending.buyerAddress.empty());
    EXPECT_EQ(link.pending.taxSystem, -1);
    EXPECT_FALSE(link.pending.oneShot);
}

TEST_F(PendingValues, DocumentOpenBuildsItsFirstFieldFromTheModes) {
    const struct {
        int type, openMode;
        bool packageMode, delayedTotal, oneShot;
        const char* first;
    } cases[] = {
        {2, 64, true, false, false, "82"},                                      // 2 xor 64 xor 16
        {2, 0, false, false, false, "2"},  {3, 32, false, true, false, "291"},  // 3 xor 32 xor 256
        {1, 0, true, true, true, "401"},   // 1 xor 16 xor 256 xor 128
        {18, 0, true, false, false, "2"},  // a type with the package bit loses it
    };
    for (const auto& c : cases) {
        link.pending.documentOpenMode = c.openMode;
        link.setPackageMode(c.packageMode);
        link.pending.delayedTotal = c.delayedTotal;
        link.pending.oneShot = c.oneShot;
        ASSERT_EQ(DocumentOpen(link, com, c.type, 1, "C", 0), result::Ok);
        EXPECT_EQ(lastFields()[0], c.first) << c.type << "/" << c.openMode;
        EXPECT_FALSE(link.pending.oneShot);
        EXPECT_EQ(link.pending.documentOpenMode, c.openMode);
        EXPECT_EQ(link.pending.delayedTotal, c.delayedTotal);
    }
}

TEST_F(PendingValues, DocumentOpenSendsThePendingTaxSystemOnce) {
    link.pending.taxSystem = 0;
    ASSERT_EQ(DocumentOpen(link, com, 2, 1, "C", 77), result::Ok);
    EXPECT_EQ(lastFields(), (Fields{"18", "1", "C", "77", "0"}));
    EXPECT_EQ(link.pending.taxSystem, -1);
    ASSERT_EQ(DocumentOpen(link, com, 2, 1, "C", 77), result::Ok);
    EXPECT_EQ(lastFields(), (Fields{"18", "1", "C", "77", ""}));
}

TEST_F(PendingValues, DocumentOpenAndZReportRefreshTheActiveConversion) {
    for (auto command : {+[](RegisterLink& l) { return DocumentOpen(l, "COM1", 1, 1, "C", 0); },
                         +[](RegisterLink& l) { return PrintZReport(l, "COM1", "C"); }}) {
        link.setConversionSetting(false);
        link.setActiveConversion(true);
        command(link);
        EXPECT_FALSE(link.activeConversion());
        link.setConversionSetting(true);
        command(link);
        EXPECT_TRUE(link.activeConversion());
    }
}

TEST_F(PendingValues, DocumentCloseSendsAndClearsTheDocumentAttributes) {
    auto& p = link.pending;
    p.buyerAddress = u"\u0410" + std::u16string(69, u'b');  // А then 69 letters: cut to 64
    p.saleMode = 1;
    p.saleModeText = u"\u0422";  // Т
    p.attributePairA[0] = u"a0";
    p.attributePairB[1] = u"b1";
    p.additionalAttributes = u"x;;z";
    ASSERT_EQ(DocumentClose(link, com, false, 1), result::Ok);
    EXPECT_EQ(lastFields(), (Fields{"1", "\x80" + std::string(63, 'b'), "1", "\x92", "", "", "a0",
                                    "", "", "b1", "", "x", "", "z", ""}));
    EXPECT_TRUE(p.buyerAddress.empty());
    EXPECT_TRUE(p.saleModeText.empty());
    EXPECT_TRUE(p.attributePairA[0].empty());
    EXPECT_TRUE(p.attributePairB[1].empty());
    EXPECT_TRUE(p.additionalAttributes.empty());
    EXPECT_EQ(p.saleMode, 1);

    ASSERT_EQ(DocumentClose(link, com, false, 1), result::Ok);
    EXPECT_EQ(lastFields(), (Fields{"1", "", "1", "", "", "", "", "", "", "", ""}));
}

TEST_F(PendingValues, AddPaymentSendsTheCashlessDataThatIsSet) {
    link.pending.cashlessData[0] = u"r1";
    link.pending.cashlessData[2] = u"r3";
    ASSERT_EQ(AddPayment(link, com, 1, 10000, "Card"), result::Ok);
    // The unset second text keeps its place, so the third is read as the third.
    EXPECT_EQ(lastFields(), (Fields{"1", "1.00", "Card", "r1", "", "r3"}));
    for (const auto& data : link.pending.cashlessData) EXPECT_TRUE(data.empty());
}

TEST_F(PendingValues, DocumentOpenExSendsThePendingDepartment) {
    link.pending.department = 4;
    link.setPackageMode(false);
    ASSERT_EQ(DocumentOpenEx(link, com, 2, "C", 1, {0, 1, 1}, {}, 0), result::Ok);
    EXPECT_EQ(lastFields()[0], "2");
    EXPECT_EQ(lastFields()[1], "4");
    EXPECT_EQ(link.pending.department, 4);
}

// With conversion off the application's texts are already in the register's
// code page and go out untouched; the driver's own labels are still its
// Windows-1251 texts and are always converted.
TEST_F(PendingValues, ConversionOffLeavesTheApplicationsTextsAlone) {
    const std::string hello = "\xCF\xF0\xE8\xE2\xE5\xF2";
    link.setConversionSetting(false);
    link.setActiveConversion(false);
    const struct {
        const char* name;
        std::function<Result()> call;
        std::size_t field;
        std::string expected;
    } cases[] = {
        {"PrintText", [&] { return PrintText(link, com, hello, 0); }, 0, hello},
        {"AddPosition", [&] { return AddPosition(link, com, {.name = hello, .article = " "}); }, 0,
         hello},
        {"WriteTableText", [&] { return WriteTableText(link, com, 30, 0, hello); }, 2, hello},
        {"DocumentClose",
         [&] {
             link.pending.saleModeText = u"\u041f";
             return DocumentClose(link, com, false, 1);
         },
         3, "\xCF"},
        {"WriteRequisite label", [&] { return WriteRequisite(link, com, 1117, hello); }, 2,
         "\x80\xA4\xE0\xA5\xE1 \xAE\xE2\xAF\xE0\xA0\xA2\xA8\xE2\xA5\xAB\xEF: "},
        {"WriteRequisite value", [&] { return WriteRequisite(link, com, 1117, hello); }, 3, hello},
        {"Command66", [&] { return Command66(link, com, hello); }, 0, "\x8F\xE0\xA8\xA2\xA5\xE2"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(c.call(), result::Ok) << c.name;
        EXPECT_EQ(lastFields().at(c.field), c.expected) << c.name;
    }
}

TEST_F(PendingValues, QrDataInTheRegistersCodePageGoesOutAsUtf8) {
    const std::string hello866 = "\x8F\xE0\xA8\xA2\xA5\xE2";
    link.setActiveConversion(false);
    ASSERT_EQ(PrintBarcode(link, com, 0, 5, 0, 8, "t=" + hello866, false), result::Ok);
    EXPECT_EQ(lastFields()[4], "t=\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
    // Other symbologies, and QR data while converting, go as given.
    ASSERT_EQ(PrintBarcode(link, com, 0, 2, 50, 9, hello866, false), result::Ok);
    EXPECT_EQ(lastFields()[4], hello866);
    link.setActiveConversion(true);
    ASSERT_EQ(PrintBarcode(link, com, 0, 5, 0, 8, hello866, false), result::Ok);
    EXPECT_EQ(lastFields()[4], hello866);
}

TEST_F(PendingValues, AnEmptyPrintTextSendsNothing) {
    EXPECT_EQ(PrintText(link, com, "", 0), result::Ok);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(PendingValues, APosNumberBelowZeroIsRefusedUnsent) {
    EXPECT_EQ(SetPosNumber(link, com, -1), result::NotConnected);
    EXPECT_EQ(WriteTable(link, com, 10, 0, -5), result::NotConnected);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(WriteTable(link, com, 11, 0, -5), result::Ok);
}

}  // namespace
}  // namespace zirok::protocol
