// Commands that make more than one exchange: the clock setting's second
// frame, the Z report's clock, the logo flag and the transfers that follow
// the register's ACK.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands_fixture.hpp"
#include "protocol/commands.hpp"

namespace zirok::protocol {
namespace {

using testing::answerTo;
using testing::codeOf;
using testing::CommandTest;
using testing::dataOf;
using testing::fieldsOf;

using Fields = std::vector<std::string>;

class CommandSequences : public CommandTest {
  protected:
    std::vector<std::string> codesWritten() const {
        std::vector<std::string> codes;
        for (const auto& w : port.writes)
            if (w.size() >= 11 && w[0] == '\x02') codes.push_back(codeOf(w));
        return codes;
    }
};

TEST_F(CommandSequences, ARefusedClockSettingIsFollowedByTheRefusalsBytes) {
    const struct {
        const char* name;
        std::string refusalData;
    } cases[] = {{"with fields",
                  "7\x1C"
                  "x\x1C"},
                 {"without fields", ""}};
    for (const auto& c : cases) {
        forget();
        std::string refusal;
        port.answer = [&](const std::string& request) -> std::string {
            if (port.writes.size() > 1) return answerTo(request);  // never read
            refusal = answerTo(request, "0A", c.refusalData);
            return refusal;
        };
        EXPECT_EQ(SetDateTime(link, com, {24, 3, 5}, {9, 5, 0}), 10) << c.name;
        ASSERT_EQ(port.writes.size(), 2u) << c.name;
        EXPECT_EQ(codeOf(port.writes[1]), "14");
        const std::string expected =
            c.refusalData.empty() ? "" : refusal.substr(0, refusal.rfind('\x1C') + 1);
        EXPECT_EQ(dataOf(port.writes[1]), expected) << c.name;
    }

    // The second frame failing to go out is what the caller hears.
    forget();
    port.answer = [&](const std::string& request) -> std::string {
        if (port.writes.size() == 1) return answerTo(request, "0A");
        port.shortWriteBy = 1;
        return "";
    };
    EXPECT_EQ(SetDateTime(link, com, {24, 3, 5}, {9, 5, 0}), result::SendFailed);
    port.shortWriteBy = 0;

    // Any other refusal is final.
    forget();
    answerAll("0B");
    EXPECT_EQ(SetDateTime(link, com, {24, 3, 5}, {9, 5, 0}), 11);
    EXPECT_EQ(port.writes.size(), 1u);
}

TEST_F(CommandSequences, ZReportSetsTheRegistersClockOnlyAfterSuccess) {
    ASSERT_EQ(PrintZReport(link, com, "C"), result::Ok);
    ASSERT_EQ(codesWritten(), (Fields{"21", "14"}));
    const Fields clock = fieldsOf(port.writes[1]);
    ASSERT_EQ(clock.size(), 2u);
    EXPECT_EQ(clock[0].size(), 6u);
    EXPECT_EQ(clock[1].size(), 6u);

    // A clock that will not be set does not undo the report.
    forget();
    port.answer = [](const std::string& r) { return answerTo(r, codeOf(r) == "14" ? "0B" : "00"); };
    EXPECT_EQ(PrintZReport(link, com, "C"), result::Ok);
    EXPECT_EQ(codesWritten(), (Fields{"21", "14"}));

    forget();
    answerAll("45");
    EXPECT_EQ(PrintZReport(link, com, "C"), 0x45);
    EXPECT_EQ(codesWritten(), (Fields{"21"}));
}

// The register's side of a logo transfer: ACK to the command, the answer
// once the last byte of the block is in, and table 1 holding `flags`.
class LogoTransfer : public CommandSequences {
  protected:
    void script(std::string blockLast, std::string tableError, std::string flags) {
        port.answer = [=, this](const std::string& written) -> std::string {
            if (written.size() < 11 || written[0] != '\x02') {
                return written == blockLast ? answerTo(commandFrame) : "";
            }
            if (codeOf(written) == "15") {
                commandFrame = written;
                return "\x06";
            }
            if (codeOf(written) == "11") return answerTo(written, tableError, flags + "\x1C");
            return answerTo(written);
        };
    }
    std::string commandFrame;
};

TEST_F(LogoTransfer, LoadingSetsAndDeletingClearsTheLogoBitKeepingTheOthers) {
    script("D", "00", "9");
    ASSERT_EQ(LoadLogo(link, com, "BMCD"), result::Ok);
    EXPECT_EQ(fieldsOf(port.writes[0]), (Fields{"5"}));
    EXPECT_EQ(port.writes[1], "\x1B");
    EXPECT_EQ(port.writes[5], "D");
    EXPECT_EQ(codesWritten(), (Fields{"15", "11", "12"}));
    EXPECT_EQ(fieldsOf(port.writes[6]), (Fields{"1", "0"}));
    EXPECT_EQ(fieldsOf(port.writes[7]), (Fields{"1", "0", "13"}));

    forget();
    script("", "00", "13");
    ASSERT_EQ(DeleteLogo(link, com), result::Ok);
    EXPECT_EQ(codesWritten(), (Fields{"16", "11", "12"}));
    EXPECT_EQ(fieldsOf(port.writes[2]), (Fields{"1", "0", "9"}));
}

TEST_F(LogoTransfer, AFlagWordThatCannotBeReadIsNotOverwritten) {
    const struct {
        const char* name;
        std::string error, flags;
    } cases[] = {{"read refused", "0B", "9"}, {"not a number", "00", "?"}};
    for (const auto& c : cases) {
        forget();
        script("D", c.error, c.flags);
        EXPECT_EQ(LoadLogo(link, com, "BMCD"), result::Ok) << c.name;
        EXPECT_EQ(codesWritten(), (Fields{"15", "11"})) << c.name;
    }
}

TEST_F(LogoTransfer, AFailedTransferLeavesTheTableAlone) {
    answerAll("0B");
    EXPECT_EQ(LoadLogo(link, com, "BMCD"), 11);
    EXPECT_EQ(DeleteLogo(link, com), 11);
    EXPECT_EQ(codesWritten(), (Fields{"15", "16"}));
}

TEST_F(CommandSequences, Table5LosesOnlyBit1) {
    port.answer = [](const std::string& r) {
        return answerTo(r, "00", codeOf(r) == "11" ? "7\x1C" : "");
    };
    ASSERT_EQ(ClearTable5Bit1(link, com), result::Ok);
    EXPECT_EQ(codesWritten(), (Fields{"11", "12"}));
    EXPECT_EQ(fieldsOf(port.writes[0]), (Fields{"5", "0"}));
    EXPECT_EQ(fieldsOf(port.writes[1]), (Fields{"5", "0", "5"}));

    forget();
    answerAll("0B");
    EXPECT_EQ(ClearTable5Bit1(link, com), 11);
    EXPECT_EQ(codesWritten(), (Fields{"11"}));
}

TEST_F(CommandSequences, PicturesFollowTheAckByteByByte) {
    std::string commandFrame;
    port.answer = [&](const std::string& written) -> std::string {
        if (written.size() >= 11 && written[0] == '\x02') {
            commandFrame = written;
            return "\x06";
        }
        return written == "\x02" ? answerTo(commandFrame) : "";
    };
    ASSERT_EQ(PrintPicture(link, com, 16, 1, 0, std::string("\xFF\x02", 2)), result::Ok);
    EXPECT_EQ(port.writes.size(), 3u);
    EXPECT_EQ(port.writes[1], "\xFF");  // no ESC before a picture
    EXPECT_EQ(port.writes[2], "\x02");
}

TEST_F(CommandSequences, ValidationWaitsTheOismTimeOnTopOfTheConfiguredDefault) {
    link.setDefaultTimeout(7000);
    link.setOismServerTimeout(3000);
    FrameBuffer answer;
    ASSERT_EQ(MarkCodeValidation(link, com, "C", 1, "1", 0, 0, answer), result::Ok);
    EXPECT_EQ(timeouts(), (Fields{"timeout 10000", "timeout 7000"}));
}

}  // namespace
}  // namespace zirok::protocol
