// A receipt's arithmetic from the lines to the change, and what the counters,
// the fiscal storage and the tape keep of it.
#include <gtest/gtest.h>

#include <functional>

#include "emulator/tlv.hpp"
#include "tests/emulator/register_session.hpp"

namespace zirok::emulator {
namespace {

class Receipt : public testing::RegisterSession {
  protected:
    // The stored document's top-level TLVs, as GetFnInfo 15 and 16 serve them.
    std::vector<tlv::Entry> storedDocument(const std::string& number) {
        std::vector<tlv::Entry> found;
        EXPECT_EQ(error(0x78, {"15", number}), 0);
        for (int guard = 0; guard < 100; ++guard) {
            const Answer block = send(0x78, {"16"});
            if (block.error != 0) break;
            std::string bytes;
            const std::string& hex = block.fields.at(0);
            for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
                bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
            }
            const auto entries = tlv::entries(bytes);
            EXPECT_EQ(entries.size(), 1u) << "one top-level TLV a block: " << hex;
            found.insert(found.end(), entries.begin(), entries.end());
        }
        return found;
    }

    static std::uint64_t valueOf(const std::vector<tlv::Entry>& entries, std::uint16_t tag) {
        for (const tlv::Entry& e : entries) {
            if (e.tag == tag) return tlv::unsignedOf(e.value);
        }
        ADD_FAILURE() << "no tag " << tag;
        return 0;
    }
};

TEST_F(Receipt, AddsUpLinesAdjustmentsPaymentsAndChangeExactly) {
    openSale();
    EXPECT_EQ(addItem("Tea", "1.500", "99.900000"), 0);                  // 149.85
    EXPECT_EQ(addItem("Cake", "3.000", "33.333300", 0, 2, "0.010"), 0);  // 100.00 - 0.01
    EXPECT_EQ(addItem("Bag", "1.000", "10.000000", 1, 4, "0.500"), 0);   // 10.00 + 0.50
    EXPECT_EQ(addItem("Pie", "1/3", "90.000000", 3), 0);                 // a third: 30.00
    EXPECT_EQ(error(0x44), 0);
    EXPECT_EQ(error(0x45, {"0", "Card", "10.000000000"}), 0);  // 10 % of 290.34: 29.03
    EXPECT_EQ(error(0x46, {"1", "Service", "0.690000000"}), 0);
    EXPECT_EQ(error(0x47, {"1", "200.00", ""}), 0);
    EXPECT_EQ(error(0x47, {"0", "100.00", ""}), 0);

    EXPECT_EQ(send(0x03, {"1"}).fields,
              (std::vector<std::string>{"1", "262.00", "29.04", "1.19", "300.00", "38.00", "4"}));

    const Answer closed = send(0x31, {"5"});
    ASSERT_EQ(closed.error, 0);
    const std::string number = closed.fields.at(0);
    EXPECT_EQ(send(0x78, {"3"}).fields.at(1), number);

    EXPECT_EQ(send(0x01, {"3"}).fields.at(1), "62.00") << "cash net of the change";
    EXPECT_EQ(send(0x01, {"3"}).fields.at(2), "200.00");
    EXPECT_EQ(send(0x01, {"7"}).fields.at(1), "1");
    EXPECT_EQ(send(0x01, {"9"}).fields,
              (std::vector<std::string>{"9", "29.04", "1.19", "0.00", "0.00"}));
    const Answer last = send(0x03, {"2"});
    EXPECT_EQ(last.fields.at(1), "2");
    EXPECT_EQ(last.fields.at(5), "262.00");
    EXPECT_EQ(last.fields.at(9), number);
    EXPECT_EQ(last.fields.at(8), send(0x78, {"10", number}).fields.at(5));

    const auto stored = storedDocument(number);
    ASSERT_FALSE(stored.empty());
    EXPECT_EQ(stored.front().tag, 1054);
    EXPECT_EQ(stored[1].tag, 1021);
    std::uint64_t lines = 0;
    std::vector<std::vector<tlv::Entry>> items;
    for (const tlv::Entry& e : stored) {
        if (e.tag != 1059) continue;
        items.push_back(tlv::entries(e.value));
        lines += valueOf(items.back(), 1043);
    }
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[1].front().tag, 1030);
    EXPECT_EQ(valueOf(items[1], 1079), 3333u);
    EXPECT_EQ(lines, 26200u) << "the receipt-wide adjustments are spread over the lines";
    EXPECT_EQ(valueOf(stored, 1020), 26200u);
    EXPECT_EQ(valueOf(stored, 1031), 6200u);
    EXPECT_EQ(valueOf(stored, 1081), 20000u);
    EXPECT_EQ(valueOf(stored, 1040), std::stoul(number));

    const std::string printed = tape();
    for (const char* line : {"ИТОГ", "=262.00", "СДАЧА", "=38.00", "1/3 x 90.00", "ФП "}) {
        EXPECT_NE(printed.find(line), std::string::npos) << line << " in\n" << printed;
    }
}

TEST_F(Receipt, RefusesWhatWouldMakeItWrong) {
    const std::vector<std::string> item = {"Tea", " ", "1.000", "100.000000", "0", "",
                                           "0",   "0", "",      "0",          "4", "1"};
    const auto itemWith = [&item](std::size_t field, const std::string& value) {
        std::vector<std::string> changed = item;
        changed[field] = value;
        return changed;
    };
    struct Case {
        const char* what;
        std::function<void(Receipt&)> before;
        std::uint8_t code;
        std::vector<std::string> fields;
        std::uint8_t error;
    };
    const auto nothing = [](Receipt&) {};
    const Case cases[] = {
        {"a tax index past the table", nothing, 0x42, itemWith(4, "6"), 3},
        {"an adjustment sign of no meaning", nothing, 0x42, itemWith(7, "3"), 3},
        {"no quantity", nothing, 0x42, itemWith(2, "0"), 3},
        {"more parts than the whole", nothing, 0x42, itemWith(2, "4/3"), 3},
        {"a discount past the line", nothing, 0x42,
         [&] {
             auto f = itemWith(7, "2");
             f[9] = "100.010";
             return f;
         }(),
         14},
        {"a discount past the receipt", nothing, 0x45, {"1", "", "100.01"}, 14},
        {"a percentage over 100", nothing, 0x45, {"0", "", "100.5"}, 3},
        {"voiding what was not sold",
         nothing,
         0x43,
         {"Jam", " ", "1.000", "100.000000", "0", "", "1", "0", "", "0"},
         3},
        {"a payment type past 15", nothing, 0x47, {"16", "10.00", ""}, 3},
        {"card paying more than is due", nothing, 0x47, {"1", "100.01", ""}, 3},
        {"a payment once paid",
         [](Receipt& r) {
             r.error(0x47, {"0", "100.00", ""});
         },
         0x47,
         {"0", "1.00", ""},
         1},
        {"an item after a receipt-wide discount",
         [](Receipt& r) {
             r.error(0x45, {"1", "", "1.00"});
         },
         0x42, item, 1},
        {"cash amounts outside a cash document", nothing, 0x48, {"rub", "1.00"}, 1},
        {"a requisite tag out of range", nothing, 0x57, {"12", "0", " ", "x"}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        model.state().document.reset();
        model.state().workDayStarted = false;
        openSale();
        ASSERT_EQ(error(0x42, item), 0);
        c.before(*this);
        EXPECT_EQ(error(c.code, c.fields), c.error);
    }
}

TEST_F(Receipt, VoidsTakeBackWholeOrPartLines) {
    openSale();
    ASSERT_EQ(addItem("Tea", "3.000", "10.000000"), 0);
    ASSERT_EQ(addItem("Jam", "1.000", "5.000000", 1), 0);
    const std::vector<std::string> tail = {"", "1", "0", "", "0"};
    auto voidOf = [&](const std::string& name, const std::string& qty, const std::string& price,
                      const std::string& tax) {
        std::vector<std::string> fields{name, " ", qty, price, tax};
        fields.insert(fields.end(), tail.begin(), tail.end());
        return error(0x43, fields);
    };
    EXPECT_EQ(voidOf("Tea", "1.000", "10.000000", "0"), 0);
    EXPECT_EQ(voidOf("Jam", "1.000", "5.000000", "0"), 3) << "another tax rate";
    EXPECT_EQ(voidOf("Jam", "1.000", "5.000000", "1"), 0);
    EXPECT_EQ(send(0x03, {"1"}).fields.at(1), "20.00");
    EXPECT_EQ(send(0x02, {"7"}).fields.at(1), "15.00");
    EXPECT_NE(tape().find("СТОРНО Jam"), std::string::npos);
}

TEST_F(Receipt, CashDocumentsMoveTheDrawersCash) {
    startDay();
    ASSERT_EQ(error(0x30, {"4", "1", "Ivanova", "0", ""}), 0);
    EXPECT_EQ(error(0x31, {"1"}), 1) << "no amount yet";
    ASSERT_EQ(error(0x48, {"rub.", "500.00"}), 0);
    ASSERT_EQ(error(0x31, {"1"}), 0);

    ASSERT_EQ(error(0x12, {"5", "0", "1"}), 0);  // cash control on
    ASSERT_EQ(error(0x30, {"5", "1", "Ivanova", "0", ""}), 0);
    EXPECT_EQ(error(0x48, {"rub.", "500.01"}), 14) << "more than the drawer holds";
    ASSERT_EQ(error(0x48, {"rub.", "200.00"}), 0);
    ASSERT_EQ(error(0x31, {"1"}), 0);
    EXPECT_EQ(send(0x01, {"8"}).fields,
              (std::vector<std::string>{"8", "1", "500.00", "1", "200.00", "300.00"}));
}

TEST_F(Receipt, AReceiptClosedWithoutPaperWaitsForItsEnd) {
    openSale();
    ASSERT_EQ(addItem("Tea", "1.000", "10.000000"), 0);
    ASSERT_EQ(error(0x47, {"0", "10.00", ""}), 0);
    model.state().paperOut = true;
    EXPECT_EQ(error(0x31, {"5"}), 8);
    EXPECT_EQ(status().doc, 0x82u) << "in the storage, its end not printed";
    EXPECT_EQ(error(0x32), 1) << "a receipt in the storage cannot be annulled";
    const std::string number = send(0x78, {"3"}).fields.at(1);
    EXPECT_EQ(send(0x78, {"15", number}).fields.at(1), "3");

    model.state().paperOut = false;
    model.state().printed.clear();
    EXPECT_EQ(error(0x31, {"1"}), 0);
    EXPECT_EQ(status().doc, 0u);
    EXPECT_NE(tape().find("ФД " + number), std::string::npos);
    EXPECT_EQ(send(0x78, {"3"}).fields.at(1), number) << "stored once";
}

}  // namespace
}  // namespace zirok::emulator
