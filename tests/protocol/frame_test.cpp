#include "protocol/frame.hpp"

#include <gtest/gtest.h>

#include <string>

#include "protocol/answer_fields.hpp"
#include "protocol/param_buffer.hpp"

namespace zirok::protocol {
namespace {

std::string request(std::string_view password, std::uint8_t id, std::uint8_t code, std::string_view data) {
    FrameBuffer out{};
    return {out.data(), buildRequest(password, id, code, data, out)};
}

std::string hex2(unsigned v) {
    static const char d[] = "0123456789ABCDEF";
    return {d[v >> 4 & 15], d[v & 15]};
}

TEST(RequestFrame, EmptyRequestIsElevenBytesWithTheChecksumOverPasswordToEtx) {
    const std::string frame = request("MNVK", 0x20, 0x00, "");
    unsigned sum = 0;
    for (char c : std::string("MNVK\x20" "00\x03")) sum ^= static_cast<unsigned char>(c);
    EXPECT_EQ(frame, "\x02MNVK\x20" "00\x03" + hex2(sum));
    EXPECT_EQ(frame.size(), 11u);
}

TEST(RequestFrame, DataAndUpperCaseHexCode) {
    const std::string frame = request("MNVK", 0x21, 0xAB, "1\x1C" "x\x1C");
    unsigned sum = 0;
    for (std::size_t i = 1; i < frame.size() - 2; ++i) sum ^= static_cast<unsigned char>(frame[i]);
    EXPECT_EQ(frame.substr(0, 8), "\x02MNVK\x21" "AB");
    EXPECT_EQ(frame.substr(8, 5), "1\x1C" "x\x1C\x03");
    EXPECT_EQ(frame.substr(13), hex2(sum));
}

TEST(RequestFrame, HeaderIsCutAtEightBytes) {
    EXPECT_EQ(request("LONGER", 0x20, 0x12, "").substr(0, 9), "\x02LONGER\x20\x03");
    EXPECT_EQ(request("AB", 0x20, 0x12, "").substr(0, 6), "\x02" "AB\x20" "12");
}

// An answer frame as the register sends it.
std::string answer(std::uint8_t id, std::string_view code, std::string_view error, std::string_view data) {
    std::string f = "\x02";
    f += static_cast<char>(id);
    f += code;
    f += error;
    f += data;
    f += '\x03';
    unsigned sum = 0;
    for (std::size_t i = 1; i < f.size(); ++i) sum ^= static_cast<unsigned char>(f[i]);
    return f + hex2(sum);
}

AnswerAssembler::State feed(AnswerAssembler& a, std::string_view bytes) {
    for (char c : bytes) a.push(c);
    return a.state();
}

TEST(AnswerAssembler, EndRule) {
    struct Case {
        const char* name;
        std::string bytes;
        AnswerAssembler::State state;
        std::size_t size;
    } cases[] = {
        {"no data is nine bytes", answer(0x20, "00", "00", ""), AnswerAssembler::State::Complete, 9},
        {"noise before STX dropped", "\xFF\x03zz" + answer(0x20, "00", "00", "1\x1C"),
         AnswerAssembler::State::Complete, 11},
        {"ETX before offset 6 does not end", "\x02\x03\x03\x03\x03\x03\x03", AnswerAssembler::State::Collecting, 7},
        {"endless answer", "\x02" + std::string(1100, 'x'), AnswerAssembler::State::Overflow, 1028},
    };
    for (const auto& c : cases) {
        AnswerAssembler a;
        EXPECT_EQ(feed(a, c.bytes), c.state) << c.name;
        EXPECT_EQ(a.size(), c.size) << c.name;
    }
}

TEST(AnswerCheck, Outcomes) {
    struct Case {
        const char* name;
        std::string frame;
        bool checkId;
        Result expected;
    } cases[] = {
        {"good", answer(0x25, "11", "00", "5\x1C"), true, result::Ok},
        {"device error is not a check failure", answer(0x25, "11", "0A", ""), true, result::Ok},
        {"device error returned when ids are not checked", answer(0x25, "11", "0a", ""), false, 10},
        {"wrong id", answer(0x26, "11", "00", ""), true, result::WrongPacketId},
        {"wrong id accepted when not checked", answer(0x26, "11", "00", ""), false, result::Ok},
        {"wrong command", answer(0x25, "12", "00", ""), true, result::WrongCommand},
        {"lower-case hex command", answer(0x25, "1a", "00", ""), true, result::WrongCommand},
        {"device error equal to a local code", answer(0x25, "11", "F2", ""), false, 0xF2},
    };
    for (const auto& c : cases) {
        AnswerAssembler a;
        ASSERT_EQ(feed(a, c.frame), AnswerAssembler::State::Complete) << c.name;
        EXPECT_EQ(checkAnswer(a.bytes(), a.size(), 0x25, 0x11, c.checkId), c.expected) << c.name;
    }
    std::string corrupted = answer(0x25, "11", "00", "5\x1C");
    corrupted.back() = corrupted.back() == '0' ? '1' : '0';
    AnswerAssembler a;
    feed(a, corrupted);
    EXPECT_EQ(checkAnswer(a.bytes(), a.size(), 0x25, 0x11, true), result::BadChecksum);
}

TEST(AnswerFields, Readers) {
    AnswerAssembler a;
    feed(a, answer(0x20, "00", "00",
                   "A\x1C\x1C" "B\x1C" "-17\x1C" "12x\x1C" " 3,25 \x1C" "150324\x1C" "000000\x1C" "235901\x1C"
                   "0\x1C" "zz\x1C"));
    const FrameBuffer& f = a.bytes();
    EXPECT_EQ(answerText(f, 0), "A");
    EXPECT_EQ(answerText(f, 1), "B");  // the empty field takes no index
    EXPECT_EQ(answerInteger(f, 2), -17);
    EXPECT_EQ(answerInteger(f, 3), 0);
    EXPECT_EQ(answerInteger(f, 0), 0);
    EXPECT_DOUBLE_EQ(answerFloating(f, 4), 3.25);
    EXPECT_DOUBLE_EQ(answerFloating(f, 9), 0.0);
    EXPECT_EQ(answerDecimal(f, 4), 32500);
    EXPECT_EQ(answerDate(f, 5), (ZirokDate{24, 3, 15}));
    EXPECT_EQ(answerTime(f, 6), (ZirokTime{0, 0, 0}));
    EXPECT_EQ(answerTime(f, 7), (ZirokTime{23, 59, 1}));
    EXPECT_EQ(answerDate(f, 8), std::nullopt);
    EXPECT_EQ(answerDate(f, 9), std::nullopt);
    EXPECT_EQ(answerTime(f, 9), std::nullopt);
    EXPECT_EQ(answerText(f, 40), "");
}

TEST(AnswerFields, DecimalParsing) {
    struct Case {
        const char* text;
        int decimals;
        std::optional<std::int64_t> value;
    } cases[] = {
        {"12.5", 4, 125000},    {"-0,01", 4, -100},   {"7", 2, 700},      {"1.005", 2, 101},
        {"1.004", 2, 100},      {".5", 1, 5},         {"", 4, std::nullopt}, {"1.2.3", 4, std::nullopt},
        {"1e3", 4, std::nullopt}, {"99999999999999999999", 4, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseDecimal(c.text, c.decimals), c.value) << c.text;
}

}  // namespace
}  // namespace zirok::protocol
