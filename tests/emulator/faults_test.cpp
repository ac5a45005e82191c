#include "emulator/faults.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "emulator/commands/commands.hpp"
#include "emulator/control.hpp"
#include "emulator/frame_server.hpp"
#include "tests/emulator/frame_test_support.hpp"

namespace zirok::emulator {
namespace {

using testing::checksumHolds;
using testing::request;

TEST(FaultSyntax, ParsesEveryKindWithCodeArgAndCount) {
    struct Case {
        std::string text;
        std::optional<std::uint8_t> code;
        FaultKind kind;
        unsigned arg;
        std::optional<unsigned> times;
    };
    const Case cases[] = {
        {"00:silent", 0x00, FaultKind::Silent, 0, std::nullopt},
        {"*:late:250:3", std::nullopt, FaultKind::Late, 250, 3u},
        {"81:error:7:once", 0x81, FaultKind::Error, 7, 1u},
        {"a:badsum", 0x0A, FaultKind::BadSum, 0, std::nullopt},
        {"4F:badid:once", 0x4F, FaultKind::BadId, 0, 1u},
        {"42:badcmd", 0x42, FaultKind::BadCmd, 0, std::nullopt},
        {"00:noise:16", 0x00, FaultKind::Noise, 16, std::nullopt},
        {"*:flood:2", std::nullopt, FaultKind::Flood, 0, 2u},
        {"FF:slow:9600", 0xFF, FaultKind::Slow, 9600, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Fault fault = parseFault(c.text);
        EXPECT_EQ(fault.code, c.code);
        EXPECT_EQ(fault.kind, c.kind);
        EXPECT_EQ(fault.arg, c.arg);
        EXPECT_EQ(fault.times, c.times);
    }
}

TEST(FaultSyntax, RejectsMalformedFaults) {
    for (const char* text : {"", "00", "100:silent", "zz:silent", "00:bogus", "00:error",
                             "00:error:0", "00:error:256", "00:late:soon", "00:late:-1",
                             "00:slow:0", "00:silent:0", "00:silent:twice", "00:silent:once:x"}) {
        EXPECT_THROW(parseFault(text), std::invalid_argument) << text;
    }
}

const Answer kStatus{0x20, 0x00, 0, {"64", "1", "0"}};

Transmission shapeWith(const char* fault, const Answer& answer = kStatus) {
    FaultPlan plan;
    plan.add(parseFault(fault));
    return plan.shape(answer);
}

TEST(FaultEffects, ChangeTheBytesOnTheLine) {
    const std::string clean = encodeAnswer(kStatus);
    EXPECT_EQ(shapeWith("81:badsum").bytes, clean) << "another command's fault";

    EXPECT_TRUE(shapeWith("00:silent").bytes.empty());

    const std::string badSum = shapeWith("00:badsum").bytes;
    EXPECT_EQ(badSum.substr(0, clean.size() - 2), clean.substr(0, clean.size() - 2));
    EXPECT_FALSE(checksumHolds(badSum));
    EXPECT_TRUE(parseHexByte(badSum.substr(badSum.size() - 2)));

    // Only the one header byte is wrong; the checksum matches what is sent.
    const std::string badId = shapeWith("00:badid").bytes;
    EXPECT_NE(badId[1], clean[1]);
    EXPECT_GE(static_cast<unsigned char>(badId[1]), 0x20);
    EXPECT_EQ(badId.substr(2, clean.size() - 4), clean.substr(2, clean.size() - 4));
    EXPECT_TRUE(checksumHolds(badId));
    EXPECT_EQ(static_cast<unsigned char>(shapeWith("*:badid", {0xF0, 0, 0, {}}).bytes[1]), 0x20);

    const std::string badCmd = shapeWith("00:badcmd").bytes;
    EXPECT_NE(badCmd.substr(2, 2), "00");
    EXPECT_EQ(badCmd.substr(4, clean.size() - 6), clean.substr(4, clean.size() - 6));
    EXPECT_TRUE(checksumHolds(badCmd));

    const std::string noisy = shapeWith("00:noise:20").bytes;
    ASSERT_EQ(noisy.size(), 20 + clean.size());
    EXPECT_EQ(noisy.find('\x02'), 20u);
    EXPECT_EQ(noisy.substr(20), clean);

    const std::string flood = shapeWith("00:flood").bytes;
    EXPECT_GT(flood.size(), 1028u);
    EXPECT_EQ(flood[0], '\x02');
    EXPECT_EQ(flood.find('\x03'), std::string::npos);

    const Transmission late = shapeWith("00:late:250");
    EXPECT_EQ(late.bytes, clean);
    EXPECT_EQ(late.delayMs, 250u);
    const Transmission slow = shapeWith("*:slow:1200");
    EXPECT_EQ(slow.bytes, clean);
    EXPECT_EQ(slow.baud, 1200u);
}

TEST(FaultEffects, CountsRunOutAndSilenceSparesTheOthers) {
    FaultPlan plan;
    plan.add(parseFault("00:silent:once"));
    plan.add(parseFault("00:late:40:once"));
    plan.add(parseFault("*:noise:3:2"));
    EXPECT_TRUE(plan.shape(kStatus).bytes.empty());
    const Transmission second = plan.shape(kStatus);
    EXPECT_EQ(second.delayMs, 40u);
    EXPECT_EQ(second.bytes.size(), encodeAnswer(kStatus).size() + 3);
    EXPECT_EQ(plan.shape({0x21, 0x81, 0, {"0"}}).bytes.size(),
              encodeAnswer({0x21, 0x81, 0, {"0"}}).size() + 3);
    EXPECT_TRUE(plan.empty());
    EXPECT_EQ(plan.shape(kStatus).bytes, encodeAnswer(kStatus));
}

class ServedRegister : public ::testing::Test {
  protected:
    ServedRegister() { defineAllCommands(model); }

    RegisterModel model{"MNVK"};
    FaultPlan faults;
    FrameServer server{model, faults};
};

TEST_F(ServedRegister, ErrorFaultFailsTheCommandItNames) {
    faults.add(parseFault("00:error:9:2"));
    const std::string status = request("MNVK", ' ', "00");
    for (std::uint8_t expected : {9, 9, 0}) {
        const auto out = server.receive(status);
        ASSERT_EQ(out.size(), 1u);
        const auto sent = out[0].bytes;
        EXPECT_EQ(sent.substr(4, 2), hexByte(expected)) << sent;
    }
    EXPECT_EQ(server.receive(request("MNVK", ' ', "81")).at(0).bytes.substr(4, 2), "00");
}

TEST_F(ServedRegister, InjectedPrintErrorSurfacesAfterThePackage) {
    const Moment now = model.state().now();
    server.receive(request("MNVK", '0', "10", dateField(now) + "\x1C" + timeField(now) + "\x1C"));
    server.receive(request("MNVK", '1', "30", "18\x1C"));  // a sale in a package
    faults.add(parseFault("42:error:3:once"));
    const std::string item =
        "Tea\x1C \x1C"
        "1\x1C"
        "10\x1C"
        "0\x1C";
    EXPECT_TRUE(server.receive(request("MNVK", '2', "42", item) + request("MNVK", '3', "42", item))
                    .empty());
    const auto close = server.receive(request("MNVK", '4', "31"));
    ASSERT_EQ(close.size(), 1u);
    EXPECT_EQ(close[0].bytes.substr(2, 4), "3103");
}

TEST(ControlLines, ChangeFaultsAndState) {
    RegisterState state;
    FaultPlan faults;
    EXPECT_EQ(applyControl("fault 00 silent once", state, faults), "");
    EXPECT_EQ(applyControl("fault 81:late:5", state, faults), "");
    EXPECT_TRUE(faults.shape(kStatus).bytes.empty());
    EXPECT_EQ(faults.shape({0x21, 0x81, 0, {}}).delayMs, 5u);
    EXPECT_EQ(applyControl("  clear ", state, faults), "");
    EXPECT_TRUE(faults.empty());

    EXPECT_EQ(applyControl("drawer open", state, faults), "");
    EXPECT_TRUE(state.drawerOpen);
    EXPECT_EQ(applyControl("drawer closed", state, faults), "");
    EXPECT_FALSE(state.drawerOpen);

    for (const char* ignored : {"", "   ", "# fault 00 silent"}) {
        EXPECT_EQ(applyControl(ignored, state, faults), "") << ignored;
    }
    for (const char* wrong : {"drawer ajar", "fault", "fault 00 nosuch", "clear all", "reboot"}) {
        EXPECT_NE(applyControl(wrong, state, faults), "") << wrong;
    }
    EXPECT_TRUE(faults.empty());
}

TEST(ControlLines, ProvokeWhatATechnicianWouldMeet) {
    RegisterState state;
    FaultPlan faults;
    state.workDayStarted = true;
    state.shift.open = true;
    state.shift.openedAt = state.now();
    struct Case {
        const char* line;
        std::function<bool(const RegisterState&)> holds;
    };
    const Case cases[] = {
        {"paper out", [](const RegisterState& s) { return s.paperOut; }},
        {"paper in", [](const RegisterState& s) { return !s.paperOut; }},
        {"cover open", [](const RegisterState& s) { return s.coverOpen; }},
        {"cover closed", [](const RegisterState& s) { return !s.coverOpen; }},
        {"clock -90", [](const RegisterState& s) { return s.clockOffsetSeconds == -90; }},
        {"shift overdue", [](const RegisterState& s) { return s.shiftOver24Hours(); }},
        {"mark result 5", [](const RegisterState& s) { return s.marking.resultToReport == 5; }},
        {"mark keys due", [](const RegisterState& s) { return s.marking.keysDue; }},
        {"power cycle", [](const RegisterState& s) { return !s.workDayStarted; }},
        {"factory fresh",
         [](const RegisterState& s) {
             return !s.identity.fiscal && s.archive.empty() && !s.shift.open;
         }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(applyControl(c.line, state, faults), "") << c.line;
        EXPECT_TRUE(c.holds(state)) << c.line;
    }
    for (const char* wrong : {"paper jam", "mark result 300", "mark keys", "clock soon",
                              "shift late", "factory", "power"}) {
        EXPECT_NE(applyControl(wrong, state, faults), "") << wrong;
    }
    EXPECT_NE(applyControl("shift overdue", state, faults), "") << "no shift is open any more";
}

}  // namespace
}  // namespace zirok::emulator
