// What the command functions read back from the register's answers, and
// that a failed command hands nothing back.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "commands_fixture.hpp"
#include "platform/ansi_text.hpp"
#include "protocol/answer_fields.hpp"
#include "protocol/commands.hpp"
#include "protocol/commands/windows1251_literal.hpp"

namespace zirok::protocol {
namespace {

using testing::answerTo;
using testing::CommandTest;

class CommandAnswers : public CommandTest {};

TEST_F(CommandAnswers, PrinterStatusNamesEachKnownFlagJoinedByOr) {
    // The expected texts go through the C library's code page tables.
    const struct {
        const char* flags;
        std::u16string message;
    } cases[] = {
        {"0", u""},
        {"3", u"ПРИНТЕР НЕ ГОТОВ ИЛИ В ПРИНТЕРЕ НЕТ БУМАГИ"},
        {"129", u"ПРИНТЕР НЕ ГОТОВ ИЛИ НЕТ СВЯЗИ С ПРИНТЕРОМ"},
        {"12", u"ОТКРЫТА КРЫШКА ПРИНТЕРА ИЛИ ОШИБКА НОЖА В ПРИНТЕРЕ"},
        {"143",
         u"ПРИНТЕР НЕ ГОТОВ ИЛИ В ПРИНТЕРЕ НЕТ БУМАГИ ИЛИ ОТКРЫТА КРЫШКА ПРИНТЕРА ИЛИ ОШИБКА НОЖА "
         u"В ПРИНТЕРЕ ИЛИ "
         u"НЕТ СВЯЗИ С ПРИНТЕРОМ"},
        {"112", u""},  // no bit the driver names
        {"-1", u""},   // only a positive word is read
    };
    for (const auto& c : cases) {
        answerAll("00", std::string(c.flags) + "\x1C");
        std::int64_t flags = 99;
        std::string message = "stale";
        ASSERT_EQ(GetPrinterStatus(link, com, flags, message), result::Ok) << c.flags;
        EXPECT_EQ(flags, std::stoll(c.flags));
        EXPECT_EQ(message, platform::wideToAnsi(c.message)) << c.flags;
    }
}

TEST_F(CommandAnswers, DateTimeIsReadOrReportedUnreadable) {
    const struct {
        std::string data;
        Result expected;
        ZirokDate date{};
        ZirokTime time{};
    } cases[] = {
        {"050324\x1C"
         "093015\x1C",
         result::Ok,
         {24, 3, 5},
         {9, 30, 15}},
        {"050324\x1C"
         "000000\x1C",
         result::Ok,
         {24, 3, 5},
         {0, 0, 0}},  // midnight is a time
        {"000000\x1C"
         "093015\x1C",
         result::BadDateTime},
        {"xx\x1C"
         "093015\x1C",
         result::BadDateTime},
        {"050324\x1C"
         "9:30\x1C",
         result::BadDateTime},
        {"050324\x1C", result::BadDateTime},
    };
    for (const auto& c : cases) {
        answerAll("00", c.data);
        ZirokDate date{1, 1, 1};
        ZirokTime time{1, 1, 1};
        EXPECT_EQ(GetDateTime(link, com, date, time), c.expected) << c.data;
        if (c.expected == result::Ok) {
            EXPECT_EQ(date, c.date) << c.data;
            EXPECT_EQ(time, c.time) << c.data;
        } else {
            EXPECT_EQ(date, (ZirokDate{1, 1, 1})) << c.data;
        }
    }
}

TEST_F(CommandAnswers, FnInfoHandsBackTheDataPartWithSemicolons) {
    answerAll("00",
              "1\x1C"
              "3\x1C\x1C"
              "abc\x1C");
    std::string data = "stale";
    ASSERT_EQ(GetFnInfo(link, com, 15, 1, data), result::Ok);
    EXPECT_EQ(data, "1;3;;abc;");

    FrameBuffer answer{};
    ASSERT_EQ(GetFnInfoAnswer(link, com, 1, answer), result::Ok);
    EXPECT_EQ(answer, link.answer());
    EXPECT_EQ(answerText(answer, 2), "abc");

    answerAll("0B", "x\x1C");
    EXPECT_EQ(GetFnInfo(link, com, 16, 0, data), 11);
    EXPECT_EQ(data, "1;3;;abc;");
}

TEST_F(CommandAnswers, SendTextCommandReplacesTheTextWithTheAnswer) {
    answerAll("00",
              "5\x1C"
              "x\x1C");
    std::string text = "q";
    ASSERT_EQ(SendTextCommand(link, com, 0x11, text), result::Ok);
    const std::string frame = answerTo(port.writes.back(), "00",
                                       "5\x1C"
                                       "x\x1C");
    EXPECT_EQ(text, frame.substr(6));  // fields, ETX and checksum
    EXPECT_EQ(text.substr(0, 5),
              "5\x1C"
              "x\x1C\x03");

    // A print code in package mode reads nothing and hands back nothing.
    text = "line";
    ASSERT_EQ(SendTextCommand(link, com, 0x40, text), result::Ok);
    EXPECT_EQ(text, "");
    link.setPackageMode(false);
    text = "line";
    ASSERT_EQ(SendTextCommand(link, com, 0x40, text), result::Ok);
    EXPECT_EQ(text.substr(0, 4),
              "5\x1C"
              "x\x1C");

    answerAll("0B");
    text = "q";
    EXPECT_EQ(SendTextCommand(link, com, 0x11, text), 11);
    EXPECT_EQ(text, "q");
}

TEST_F(CommandAnswers, ValidationAnswerStopsBeforeTheLastSeparator) {
    answerAll("00",
              "0\x1C"
              "15\x1C"
              "ok\x1C");
    FrameBuffer answer;
    answer.fill('Z');
    ASSERT_EQ(MarkCodeValidation(link, com, "CODE", 1, "1", 0, 0, answer), result::Ok);
    const std::string frame = answerTo(port.writes.back(), "00",
                                       "0\x1C"
                                       "15\x1C"
                                       "ok\x1C");
    const std::size_t copied = frame.find('\x03') - 1;
    EXPECT_EQ(std::string(answer.data(), copied), frame.substr(0, copied));
    EXPECT_EQ(std::string(answer.data() + copied, 3), std::string(3, '\0'));
    EXPECT_EQ(answerInteger(answer, 1), 15);
    EXPECT_EQ(answerText(answer, 2), "ok");
}

TEST_F(CommandAnswers, AnswersReachTheCallerOnlyOnSuccess) {
    using Query = std::function<Result(RegisterLink&, FrameBuffer&)>;
    const struct {
        const char* name;
        Query call;
    } cases[] = {
        {"GetCounters",
         [](RegisterLink& l, FrameBuffer& b) { return GetCounters(l, "COM1", 1, b); }},
        {"GetDeviceInfo",
         [](RegisterLink& l, FrameBuffer& b) { return GetDeviceInfo(l, "COM1", 1, b); }},
        {"GetReceiptData",
         [](RegisterLink& l, FrameBuffer& b) { return GetReceiptData(l, "COM1", 1, b); }},
        {"GetServiceInfo",
         [](RegisterLink& l, FrameBuffer& b) { return GetServiceInfo(l, "COM1", 1, b); }},
        {"ReadTable",
         [](RegisterLink& l, FrameBuffer& b) { return ReadTable(l, "COM1", 1, 0, b); }},
        {"GetQrSize", [](RegisterLink& l, FrameBuffer& b) { return GetQrSize(l, "COM1", "t", b); }},
        {"GetFnInfoAnswer",
         [](RegisterLink& l, FrameBuffer& b) { return GetFnInfoAnswer(l, "COM1", 3, b); }},
        {"MarkCodeRequest",
         [](RegisterLink& l, FrameBuffer& b) { return MarkCodeRequest(l, "COM1", 0, "", b); }},
        {"MarkCodeDecision",
         [](RegisterLink& l, FrameBuffer& b) { return MarkCodeDecision(l, "COM1", 0, b); }},
        {"ReadMarkCodeState",
         [](RegisterLink& l, FrameBuffer& b) { return ReadMarkCodeState(l, "COM1", b); }},
        {"MarkCodeValidation",
         [](RegisterLink& l, FrameBuffer& b) {
             return MarkCodeValidation(l, "COM1", "C", 1, "1", 0, 0, b);
         }},
    };
    for (const auto& c : cases) {
        FrameBuffer answer;
        answer.fill('Z');
        answerAll("00",
                  "42\x1C"
                  "7\x1C");
        ASSERT_EQ(c.call(link, answer), result::Ok) << c.name;
        EXPECT_EQ(answerInteger(answer, 0), 42) << c.name;
        EXPECT_EQ(answerInteger(answer, 1), 7) << c.name;

        answer.fill('Z');
        answerAll("0B", "42\x1C");
        EXPECT_EQ(c.call(link, answer), 11) << c.name;
        EXPECT_EQ(answer[0], 'Z') << c.name;
        EXPECT_EQ(answer[40], 'Z') << c.name;
    }
}

TEST_F(CommandAnswers, DrawerIsOpenOnlyWhenTheRegisterSaysSoWithoutError) {
    const struct {
        std::string error, data;
        bool open;
    } cases[] = {
        {"00", "1\x1C", true},
        {"00", "0\x1C", false},
        {"0B", "1\x1C", false},
        {"00", "", false},
    };
    for (const auto& c : cases) {
        answerAll(c.error, c.data);
        EXPECT_EQ(GetDrawerState(link, com), c.open) << c.error << " " << c.data;
    }
    // An answer to another command is not the drawer's.
    port.answer = [](const std::string& request) {
        std::string other = request;
        other[7] = '0';
        return answerTo(other, "00", "1\x1C");
    };
    EXPECT_FALSE(GetDrawerState(link, com));
}

TEST_F(CommandAnswers, PosNumberIsOneWhenItCannotBeRead) {
    const struct {
        std::string error, data;
        std::int64_t number;
    } cases[] = {{"00", "12\x1C", 12}, {"0B", "12\x1C", 1}, {"00", "x\x1C", 1}};
    for (const auto& c : cases) {
        answerAll(c.error, c.data);
        EXPECT_EQ(ReadPosNumber(link, com), c.number) << c.error << " " << c.data;
    }
}

TEST(Windows1251Literal, AgreesWithTheCLibrarysCodePage) {
    constexpr Windows1251Literal kAlphabet{
        u8"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя № 1-a:"};
    EXPECT_EQ(std::string(kAlphabet.view()),
              platform::wideToAnsi(
                  u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя № 1-a:"));
}

}  // namespace
}  // namespace zirok::protocol
