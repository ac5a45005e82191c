// The settings tables: what a register holds from the factory, and which
// writes it takes.
#include <gtest/gtest.h>

#include "tests/emulator/register_session.hpp"

namespace zirok::emulator {
namespace {

class Tables : public testing::RegisterSession {
  protected:
    std::string read(int table, int index) {
        const Answer a = send(0x11, {std::to_string(table), std::to_string(index)});
        EXPECT_EQ(a.error, 0) << table << "/" << index;
        return a.fields.empty() ? "" : cp866ToUtf8(a.fields[0]);
    }
};

TEST_F(Tables, HoldFactorySettingsTheDriverReads) {
    struct Case {
        int table;
        int index;
        const char* value;
    };
    const Case cases[] = {
        {1, 0, "0"},
        {2, 0, "0"},
        {5, 0, "2"},
        {10, 0, "1"},
        {32, 0, "НАЛИЧНЫМИ"},
        {32, 1, "БЕЗНАЛИЧНЫМИ"},
        {32, 15, "ВСТРЕЧНОЕ ПРЕДОСТ."},
        {40, 3, "БЕЗ НДС"},
        {41, 0, "20.00"},
        {41, 5, "10.00"},
        {50, 16, "СЕКЦИЯ 16"},
        {51, 0, "СУММЫ ПО СЕКЦИЯМ"},
        {77, 0, "ofd.example.ru"},
        {78, 0, "21101"},
        {80, 0, "60"},
        {94, 0, "8"},
        {204, 0, "5"},
        {30, 9, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(read(c.table, c.index), c.value) << c.table;
    for (auto [table, index] : {std::pair{32, 16}, {50, 0}, {41, 6}, {99, 0}}) {
        EXPECT_EQ(error(0x11, {std::to_string(table), std::to_string(index)}), 3) << table;
    }
}

TEST_F(Tables, TakeWritesThatFitTheirEntries) {
    struct Case {
        std::vector<std::string> write;
        std::uint8_t error;
        const char* readBack;  // nullptr: not checked
    };
    const std::string longName(25, 'x');
    const Case cases[] = {
        {{"41", "2", "18.0000"}, 0, "18.00"},
        {{"41", "2", "100"}, 3, "18.00"},
        {{"1", "0", "4"}, 0, "4"},
        {{"10", "0", "-1"}, 3, "1"},
        {{"10", "0", "12"}, 0, "12"},
        {{"30", "0", utf8ToCp866("ИП Петров")}, 0, "ИП Петров"},
        {{"32", "0", "CASH"}, 3, "НАЛИЧНЫМИ"},
        {{"32", "2", longName}, 3, nullptr},
        {{"204", "0", "abc"}, 3, "5"},
        {{"30", "10", "x"}, 3, nullptr},
        {{"41", "0"}, 3, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.write[0] + "/" + c.write[1]);
        EXPECT_EQ(error(0x12, c.write), c.error);
        if (c.readBack) {
            EXPECT_EQ(read(std::stoi(c.write[0]), std::stoi(c.write[1])), c.readBack);
        }
    }
}

TEST_F(Tables, HeaderAndTaxRatesShowOnTheNextReceipt) {
    ASSERT_EQ(error(0x12, {"30", "0", utf8ToCp866("ИП Петров")}), 0);
    ASSERT_EQ(error(0x12, {"41", "0", "18.00"}), 0);
    openSale();
    ASSERT_EQ(
        error(0x42, {"Tea", " ", "1.000", "118.000000", "0", "Tax", "0", "0", "", "0", "4", "1"}),
        0);
    const std::string printed = tape();
    EXPECT_NE(printed.find("ИП Петров"), std::string::npos) << printed;
    EXPECT_NE(printed.find("=18.00"), std::string::npos) << "the VAT in 118.00 at 18 %";
}

}  // namespace
}  // namespace zirok::emulator
