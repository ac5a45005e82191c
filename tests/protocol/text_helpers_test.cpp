#include "protocol/text_helpers.hpp"

#include <gtest/gtest.h>

namespace zirok::protocol {
namespace {

TEST(TextHelpers, HexToNumber) {
    struct Case {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"0A", 10}, {"$0A", 10}, {"0a", 10}, {"FF", 255}, {"", 0},          {"$", 0},
        {"G1", 0},  {"0$A", 0},  {" 1", 0},  {"7FFFFFFF", 0x7FFFFFFF},     {"FFFFFFFF", -1},
        {"123456789", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(hexToNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(TextHelpers, ByteToHexAndPadding) {
    EXPECT_EQ(byteToHex(0x00), "00");
    EXPECT_EQ(byteToHex(0xAF), "AF");
    EXPECT_EQ(padLeft("7", '0', 3), "007");
    EXPECT_EQ(padLeft("1234", '0', 3), "1234");
}

TEST(TextHelpers, SplitKeepingAndCollapsing) {
    struct Case {
        const char* text;
        std::size_t k;
        const char* keeping;
        const char* collapsing;
    } cases[] = {
        {"A;;B", 1, "A", "A"}, {"A;;B", 2, "", "B"}, {"A;;B", 3, "B", ""}, {"A;;B", 4, "", ""},
        {";A", 1, "", "A"},    {"", 1, "", ""},      {"A\x1C" "B;C", 2, "B", "B"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitKeeping(c.text, ";\x1C", c.k), c.keeping) << c.text << " #" << c.k;
        EXPECT_EQ(splitCollapsing(c.text, ";\x1C", c.k), c.collapsing) << c.text << " #" << c.k;
    }
}

TEST(TextHelpers, ReplaceAll) {
    EXPECT_EQ(replaceAll("a\x1C" "b\x1C", "\x1C", ";"), "a;b;");
    EXPECT_EQ(replaceAll("aaa", "aa", "b"), "ba");  // left to right, no overlap
    EXPECT_EQ(replaceAll("Aa", "a", "x"), "Ax");
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}

}  // namespace
}  // namespace zirok::protocol
