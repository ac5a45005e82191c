#include "emulator/frame_codec.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "emulator/request_assembler.hpp"
#include "tests/emulator/frame_test_support.hpp"

namespace zirok::emulator {
namespace {

using testing::request;
using testing::wire;
using testing::withChecksum;

TEST(RequestParsing, ReadsHeaderAndKeepsEmptyFields) {
    struct Case {
        std::string name;
        std::string frame;
        std::uint8_t id;
        std::uint8_t code;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        // The one frame whose checksum is worked out by hand.
        {"no fields", wire("<STX>MNVK 00<ETX>3D"), 0x20, 0x00, {}},
        {"empty field between",
         request("MNVK", '!', "42", wire("A<FS><FS>B<FS>")),
         0x21,
         0x42,
         {"A", "", "B"}},
        {"lone FS", request("MNVK", '\xF0', "81", wire("<FS>")), 0xF0, 0x81, {""}},
        {"trailing empty fields",
         request("MNVK", '0', "30", wire("2<FS><FS><FS>")),
         0x30,
         0x30,
         {"2", "", ""}},
        {"unclosed last field", request("MNVK", '0', "11", wire("1<FS>0")), 0x30, 0x11, {"1", "0"}},
        {"lower-case code", request("MNVK", '0', "ab"), 0x30, 0xAB, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto parsed = parseRequest(c.frame);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->password, "MNVK");
        EXPECT_EQ(parsed->id, c.id);
        EXPECT_EQ(parsed->code, c.code);
        EXPECT_EQ(parsed->fields, c.fields);
        EXPECT_TRUE(parsed->checksumOk);
    }
}

TEST(RequestParsing, ChecksumIsCheckedInEitherCase) {
    const std::string good = wire("<STX>MNVK 00<ETX>3D");
    std::string lower = good;
    std::transform(lower.end() - 2, lower.end(), lower.end() - 2, ::tolower);
    ASSERT_NE(lower, good);
    EXPECT_TRUE(parseRequest(lower)->checksumOk);

    std::string wrong = good;
    wrong[5] = '!';  // id changed after the checksum was made
    EXPECT_FALSE(parseRequest(wrong)->checksumOk);
    std::string notHex = good;
    notHex.back() = 'G';
    EXPECT_FALSE(parseRequest(notHex)->checksumOk);
}

TEST(RequestParsing, RejectsWhatIsNotARequest) {
    const std::string good = request("MNVK", ' ', "00");
    const std::string notRequests[] = {
        "",
        good.substr(0, 10),                                 // one byte short
        good.substr(1),                                     // no STX
        withChecksum(wire("<STX>MNVK 00<FS><ETX>")) + "0",  // ETX not three bytes from the end
        request("MNVK", ' ', "G0"),                         // code not hex
    };
    for (const std::string& frame : notRequests) {
        EXPECT_FALSE(parseRequest(frame)) << frame;
    }
}

TEST(AnswerBuilding, LaysOutBytesExactly) {
    EXPECT_EQ(encodeAnswer({0x20, 0x00, 0, {"64", "1", "0"}}),
              wire("<STX> 000064<FS>1<FS>0<FS><ETX>3C"));
    // No data: exactly nine bytes; hex in upper case.
    EXPECT_EQ(encodeAnswer({0xF0, 0xAB, 3, {}}), wire("<STX>\xF0"
                                                      "AB03<ETX>F3"));
    // An empty field still takes its FS.
    EXPECT_EQ(encodeAnswer({0x21, 0x81, 0, {"", "1"}}),
              withChecksum(wire("<STX>!8100<FS>1<FS><ETX>")));
}

TEST(AnswerBuilding, RequestEncodingRoundTrips) {
    const std::vector<std::string> fields = {"Молоко", "", "1.500"};
    const auto parsed = parseRequest(encodeRequest("MNVK", 0x77, 0x42, fields));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->fields, fields);
    EXPECT_TRUE(parsed->checksumOk);
}

TEST(RequestAssembly, CutsFramesOutOfAStream) {
    const std::string a = request("MNVK", ' ', "00");
    const std::string b = request("MNVK", '!', "81", wire("1<FS>"));

    RequestAssembler whole;
    EXPECT_EQ(whole.feed(wire("\x55<ETX>\xFF") + a + wire("<FS>junk") + b), (std::vector{a, b}));
    EXPECT_EQ(whole.pending(), 0u);

    RequestAssembler byteByByte;
    std::vector<std::string> got;
    for (char c : a + b) {
        for (std::string& frame : byteByByte.feed(std::string(1, c))) got.push_back(frame);
    }
    EXPECT_EQ(got, (std::vector{a, b}));
}

TEST(RequestAssembly, RecoversFromBrokenFrames) {
    const std::string good = request("MNVK", '"', "00");
    struct Case {
        std::string name;
        std::string garbage;
    };
    const Case cases[] = {
        {"frame cut off mid-data", wire("<STX>MNVK 42name<FS>")},
        {"frame cut off in header", wire("<STX>MN")},
        {"ETX inside header", wire("<STX>MN<ETX>VK 00")},
        {"no end for longer than any request", wire("<STX>") + std::string(1500, 'A')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RequestAssembler assembler;
        std::size_t mostHeld = 0;
        for (char ch : c.garbage) {
            EXPECT_TRUE(assembler.feed(std::string(1, ch)).empty());
            mostHeld = std::max(mostHeld, assembler.pending());
        }
        EXPECT_LT(mostHeld, kMaxRequestBytes);
        EXPECT_EQ(assembler.feed(good), std::vector{good});
    }
}

TEST(RequestAssembly, AcceptsTheLongestRequest) {
    const std::string body(kMaxRequestBytes - kMinRequestBytes - 1, 'x');
    const std::string longest = request("MNVK", ' ', "40", body + wire("<FS>"));
    ASSERT_EQ(longest.size(), kMaxRequestBytes);
    RequestAssembler assembler;
    EXPECT_EQ(assembler.feed(longest), std::vector{longest});
}

}  // namespace
}  // namespace zirok::emulator
