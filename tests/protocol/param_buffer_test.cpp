#include "protocol/param_buffer.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace zirok::protocol {
namespace {

TEST(ParamBuffer, FieldEncodings) {
    struct Case {
        const char* name;
        std::function<void(ParamBuffer&)> append;
        std::string data;
    } cases[] = {
        {"integer", [](ParamBuffer& p) { p.appendInt(42); }, "42\x1C"},
        {"negative integer", [](ParamBuffer& p) { p.appendInt(-7); }, "-7\x1C"},
        {"text", [](ParamBuffer& p) { p.appendText("abc"); }, "abc\x1C"},
        {"empty text adds nothing",
         [](ParamBuffer& p) {
             p.appendText("");
             p.appendInt(1);
         },
         "1\x1C"},
        {"empty field is a lone FS", [](ParamBuffer& p) { p.appendEmpty(); }, "\x1C"},
        {"text holding FS becomes two fields", [](ParamBuffer& p) { p.appendText("a\x1C" "b"); },
         "a\x1C" "b\x1C"},
        {"zero amount", [](ParamBuffer& p) { p.appendDecimal(0, 4, 2); }, "0\x1C"},
        {"12.5 with 2 decimals", [](ParamBuffer& p) { p.appendDecimal(125000, 4, 2); }, "12.50\x1C"},
        {"-3 with 3 decimals", [](ParamBuffer& p) { p.appendDecimal(-30000, 4, 3); }, "-3.000\x1C"},
        {"rounds half away from zero", [](ParamBuffer& p) { p.appendDecimal(-12345, 4, 3); }, "-1.235\x1C"},
        {"no decimals", [](ParamBuffer& p) { p.appendDecimal(1234567, 4, 0); }, "123\x1C"},
        {"small fraction", [](ParamBuffer& p) { p.appendDecimal(5, 4, 4); }, "0.0005\x1C"},
        {"quantity in thousandths", [](ParamBuffer& p) { p.appendDecimal(1500, 3, 3); }, "1.500\x1C"},
        {"int64 extremes",
         [](ParamBuffer& p) { p.appendDecimal(INT64_MIN, 4, 4); },
         "-922337203685477.5808\x1C"},
        {"date DDMMYY", [](ParamBuffer& p) { p.appendDate({24, 3, 5}); }, "050324\x1C"},
        {"time HHMMSS", [](ParamBuffer& p) { p.appendTime({9, 5, 0}); }, "090500\x1C"},
    };
    for (const auto& c : cases) {
        ParamBuffer p;
        c.append(p);
        EXPECT_EQ(p.data(), c.data) << c.name;
        EXPECT_FALSE(p.overflowed()) << c.name;
    }
}

TEST(ParamBuffer, AnAppendPastTheFrameIsRefusedAndKeepsWhatFits) {
    ParamBuffer p;
    p.appendText(std::string(1000, 'a'));
    ASSERT_EQ(p.length(), 1001u);
    p.appendText(std::string(16, 'b'));  // 1001 + 17 = 1018 fits exactly
    ASSERT_EQ(p.length(), 1018u);
    EXPECT_FALSE(p.overflowed());
    p.appendEmpty();
    EXPECT_TRUE(p.overflowed());
    EXPECT_EQ(p.length(), 1018u);
    p.appendInt(1);  // later fields stay out too: the request must not go out short
    EXPECT_EQ(p.length(), 1018u);
    p.clear();
    EXPECT_FALSE(p.overflowed());
    EXPECT_EQ(p.length(), 0u);
}

}  // namespace
}  // namespace zirok::protocol
