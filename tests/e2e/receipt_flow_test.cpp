// A sale driven through the command functions alone, then read back every
// way the register offers: counters, last receipt data, the stored document
// and the paper tape must agree with each other and with the arithmetic.
#include <gtest/gtest.h>

#include <algorithm>

#include "emulated_register.hpp"

namespace zirok::e2e {
namespace {

using protocol::answerText;

// A line of the tape that begins with `left` and ends with `right`.
bool hasLine(const std::vector<std::string>& tape, std::string_view left, std::string_view right) {
    return std::any_of(tape.begin(), tape.end(), [&](const std::string& l) {
        return l.starts_with(left) && l.ends_with(right);
    });
}

class ReceiptFlow : public EmulatedRegister {};

TEST_F(ReceiptFlow, CountersReceiptDataArchiveAndTapeAgree) {
    startDay();
    const std::string cashier = dev("Иванова И.");

    // 2 x 89.90 = 179.80 at 10 %, 0.350 x 1200.00 = 420.00 at 20 %; 9.80 off
    // the subtotal leaves 590.00, spread over the lines in proportion:
    // 2.94 and 6.86, so the lines end at 176.86 and 413.14.
    link.pending.taxSystem = 2;
    ASSERT_EQ(protocol::DocumentOpen(link, port, 2, 1, cashier, 0), 0);
    link.pending.paymentMethodSign = 2;
    link.pending.paymentObjectSign = 3;
    link.pending.countryCode = u"643";
    ASSERT_EQ(protocol::AddPosition(link, port, itemLine(win(u"Молоко"), 2000, 899000, 1)), 0);
    ASSERT_EQ(protocol::AddPosition(link, port, itemLine(win(u"Сыр"), 350, 12000000, 0)), 0);
    ASSERT_EQ(
        protocol::AddDiscount(link, port, protocol::AdjustmentKind::Sum, win(u"Скидка"), 98000), 0);
    ASSERT_EQ(protocol::AddPayment(link, port, 1, 3000000, ""), 0);
    ASSERT_EQ(protocol::AddPayment(link, port, 0, 3000000, ""), 0);

    FrameBuffer open{};
    ASSERT_EQ(protocol::GetReceiptData(link, port, 1, open), 0);
    const std::vector<std::string> openExpected{"590.00", "9.80", "0.00", "600.00", "10.00", "2"};
    for (std::size_t k = 0; k < openExpected.size(); ++k) {
        EXPECT_EQ(answerText(open, k + 1), openExpected[k]) << "open receipt field " << k + 1;
    }

    ASSERT_EQ(protocol::DocumentClose(link, port, false, 5), 0);
    EXPECT_FALSE(state().document.has_value());
    // Every pending value went with the command that took it.
    EXPECT_EQ(link.pending.taxSystem, -1);
    EXPECT_EQ(link.pending.paymentMethodSign, 4);
    EXPECT_EQ(link.pending.paymentObjectSign, 1);
    EXPECT_TRUE(link.pending.countryCode.empty());

    // The last receipt as the register reports it, and as it keeps it.
    const emulator::StoredDocument& stored = state().archive.back();
    FrameBuffer last{};
    ASSERT_EQ(protocol::GetReceiptData(link, port, 2, last), 0);
    EXPECT_EQ(answerText(last, 1), "2");  // a sale
    EXPECT_EQ(answerText(last, 2), "1");  // first receipt of its shift
    EXPECT_EQ(answerText(last, 3), std::to_string(state().shift.number));
    EXPECT_EQ(answerText(last, 5), "590.00");
    EXPECT_EQ(answerText(last, 7), state().identity.fnNumber);
    EXPECT_EQ(answerText(last, 8), std::to_string(stored.sign));
    EXPECT_EQ(answerText(last, 9), std::to_string(stored.number));
    EXPECT_EQ(stored.total, 59000);

    // The shift's counters, one query per reading the driver makes.
    struct Reading {
        int request;
        std::size_t field;
        std::string expected;
    };
    const Reading readings[] = {
        {1, 2, std::to_string(stored.number)},  // last fiscal document
        {2, 1, "1"},                            // receipts in the shift
        {3, 1, "290.00"},                       // sales in cash, net of the change
        {3, 2, "300.00"},                       // sales by card
        {7, 1, "1"},                            // sale receipts
        {7, 3, "0"},                            // annulled
        {8, 5, "290.00"},                       // cash in the drawer
        {9, 1, "9.80"},                         // discounts on sales
        {9, 2, "0.00"},                         // surcharges on sales
        {10, 1, "68.86"},                       // VAT 20 % of 413.14
        {10, 2, "16.08"},                       // VAT 10 % of 176.86
    };
    for (const Reading& r : readings) {
        FrameBuffer answer{};
        ASSERT_EQ(protocol::GetCounters(link, port, r.request, answer), 0);
        EXPECT_EQ(answerText(answer, r.field), r.expected)
            << "counters " << r.request << " field " << r.field;
    }
    FrameBuffer grand{};
    ASSERT_EQ(protocol::GetDeviceInfo(link, port, 12, grand), 0);
    EXPECT_EQ(answerText(grand, 1), "590.00");

    // The document as the fiscal storage signed it.
    const DocumentRead doc = readDocument(link, port, stored.number);
    ASSERT_EQ(doc.selected, 0);
    ASSERT_GE(doc.header.size(), 4u);
    EXPECT_EQ(doc.header[1], "3");  // a receipt
    EXPECT_EQ(doc.header[3], std::to_string(doc.blocks));
    EXPECT_EQ(doc.end, 72) << "the reading ends with the register's no-more-data";

    std::vector<unsigned> tags;
    for (const Tlv& t : doc.tlvs) tags.push_back(t.tag);
    const std::vector<unsigned> head{1054, 1021, 1059, 1059, 1031, 1081,
                                     1020, 1102, 1103, 1055, 1038, 1042};
    ASSERT_GE(tags.size(), head.size());
    EXPECT_EQ(std::vector<unsigned>(tags.begin(), tags.begin() + head.size()), head);
    EXPECT_EQ(tags.back(), 1077u);

    EXPECT_EQ(numberOf(doc.tlvs, 1054), 1u);  // income
    EXPECT_EQ(textOf(doc.tlvs, 1021), cashier);
    EXPECT_EQ(numberOf(doc.tlvs, 1031), 29000u);
    EXPECT_EQ(numberOf(doc.tlvs, 1081), 30000u);
    EXPECT_EQ(numberOf(doc.tlvs, 1020), 59000u);
    EXPECT_EQ(numberOf(doc.tlvs, 1020), numberOf(doc.tlvs, 1031) + numberOf(doc.tlvs, 1081));
    EXPECT_EQ(numberOf(doc.tlvs, 1102), 6886u);
    EXPECT_EQ(numberOf(doc.tlvs, 1103), 1608u);
    EXPECT_EQ(numberOf(doc.tlvs, 1055), 4u);  // tax system 2 is bit 2
    EXPECT_EQ(numberOf(doc.tlvs, 1038), state().shift.number);
    EXPECT_EQ(numberOf(doc.tlvs, 1042), 1u);
    EXPECT_EQ(numberOf(doc.tlvs, 1040), stored.number);
    const std::string sign = textOf(doc.tlvs, 1077);
    ASSERT_EQ(sign.size(), 6u);
    std::uint64_t bigEndian = 0;
    for (char c : sign.substr(2)) bigEndian = bigEndian << 8 | static_cast<unsigned char>(c);
    EXPECT_EQ(std::to_string(bigEndian), answerText(last, 8));

    struct ItemExpected {
        std::string name;
        std::uint64_t price, quantity, vatCode, vat, object, method, amount;
        std::string country;  // empty: no tag 1230 at all
    };
    const ItemExpected items[] = {
        {dev("Молоко"), 8990, 2000, 2, 1608, 3, 2, 17686, "643"},
        {dev("Сыр"), 120000, 350, 1, 6886, 1, 4, 41314, ""},
    };
    const auto containers = withTag(doc.tlvs, 1059);
    ASSERT_EQ(containers.size(), 2u);
    std::uint64_t linesTotal = 0;
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE("item " + std::to_string(i + 1));
        const auto members = decodeTlvs(containers[i]->value);
        const ItemExpected& want = items[i];
        EXPECT_EQ(textOf(members, 1030), want.name);
        EXPECT_EQ(numberOf(members, 1079), want.price);
        const std::string quantity = textOf(members, 1023);
        ASSERT_FALSE(quantity.empty());
        EXPECT_EQ(quantity[0], 3) << "three decimal places";
        EXPECT_EQ(littleEndian(std::string_view(quantity).substr(1)), want.quantity);
        EXPECT_EQ(numberOf(members, 1199), want.vatCode);
        EXPECT_EQ(numberOf(members, 1200), want.vat);
        EXPECT_EQ(numberOf(members, 1212), want.object);
        EXPECT_EQ(numberOf(members, 1214), want.method);
        EXPECT_EQ(numberOf(members, 1043), want.amount);
        if (want.country.empty()) {
            EXPECT_TRUE(withTag(members, 1230).empty());
        } else {
            EXPECT_EQ(textOf(members, 1230), want.country);
        }
        linesTotal += numberOf(members, 1043);
    }
    EXPECT_EQ(linesTotal, numberOf(doc.tlvs, 1020)) << "the lines add up to the total";

    // The paper tells the same story.
    const auto tape = takeTape();
    EXPECT_TRUE(hasLine(tape, "1. Молоко", "Молоко"));
    EXPECT_TRUE(hasLine(tape, "   2.000 x 89.90", "=179.80"));
    EXPECT_TRUE(hasLine(tape, "   0.350 x 1200.00", "=420.00"));
    EXPECT_TRUE(hasLine(tape, "Скидка", "-9.80"));
    EXPECT_TRUE(hasLine(tape, "ИТОГ", "=590.00"));
    EXPECT_TRUE(hasLine(tape, "НАЛИЧНЫМИ", "=300.00"));
    EXPECT_TRUE(hasLine(tape, "БЕЗНАЛИЧНЫМИ", "=300.00"));
    EXPECT_TRUE(hasLine(tape, "СДАЧА", "=10.00"));
    EXPECT_TRUE(hasLine(tape, "СУММА НДС 20%", "=68.86"));
    EXPECT_TRUE(hasLine(tape, "СУММА НДС 10%", "=16.08"));
    EXPECT_TRUE(hasLine(tape, "СНО", "УСН доход - расход"));
    EXPECT_TRUE(hasLine(tape, "ФП ", std::to_string(stored.sign)));
    EXPECT_TRUE(hasLine(tape, "ФН ", "ФД " + std::to_string(stored.number)));
}

}  // namespace
}  // namespace zirok::e2e
