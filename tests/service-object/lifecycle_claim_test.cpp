// Claiming the register end to end: the real transport library on real
// pseudo-terminals, answered by the real zirok-emulator, the trace written by
// the real trace library.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emulator_process.hpp"
#include "lifecycle_fixture.hpp"
#include "platform/ui_hooks.hpp"
#include "protocol/commands.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok {
namespace {

using so::context;
namespace pidx = so::pidx;
using Lines = std::vector<std::string>;

// Every try at a port that does not answer waits this long; the registry
// cannot go below 3 s, so the tests shorten it after opening.
constexpr int kQuickTimeoutMs = 250;

class Claim : public ::testing::Test {
  protected:
    void SetUp() override {
        key_.writeString("Debug", "1");
        key_.writeInteger("Timeout", 3);
        key_.writeString("BaudRate", "57600");
    }
    void TearDown() override {
        so_.ReleaseDevice();
        so_.CloseService();
    }

    // A register on COMn; `answersStatus` false makes it deaf to the status
    // query, which is all the search asks.
    testing::EmulatorProcess& startRegister(const std::string& link, bool answersStatus = true) {
        std::vector<std::string> args;
        if (!answersStatus) args = {"--fault", "00:silent"};
        control_ = home_.path() + "/control" + std::to_string(registers_.size());
        args.insert(args.end(), {"--control", control_});
        registers_.push_back(std::make_unique<testing::EmulatorProcess>(link, args));
        EXPECT_TRUE(registers_.back()->started()) << link;
        return *registers_.back();
    }

    // The last register started applies this to its next answers.
    void inject(const std::string& line) {
        const int fd = open(control_.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        const std::string text = line + "\n";
        ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fd);
    }

    void openService(std::shared_ptr<platform::Dispatch> control = nullptr) {
        ASSERT_EQ(so_.OpenService(u"FiscalPrinter", u"Zirok", control), 0);
        context().link.setDefaultTimeout(kQuickTimeoutMs);
    }

    Lines connectionLines() const {
        Lines lines;
        for (const std::string& line : home_.traceLines())
            if (line.starts_with("Call Connect(") || line.starts_with("Call Disconnect("))
                lines.push_back(line);
        return lines;
    }

    // The claim's own lines, without the traffic and the property calls around it.
    Lines decisionLines() const {
        Lines lines;
        bool inClaim = false;
        for (const std::string& line : home_.traceLines()) {
            inClaim = inClaim || line == "Begin ClaimDevice";
            if (inClaim && !line.starts_with("Send data: ") && !line.starts_with("Received data: "))
                lines.push_back(line);
            if (line == "End ClaimDevice") break;
        }
        return lines;
    }

    std::int32_t number(std::int32_t index) { return so_.props().number(index); }

    testing::LifecycleHome home_;
    platform::RegistryKey key_ = home_.deviceKey();
    std::string control_;
    std::vector<std::unique_ptr<testing::EmulatorProcess>> registers_;
    so::TSOZirok so_;
};

TEST_F(Claim, OnTheConfiguredPortStartsTheWorkingDayAndDescribesTheDevice) {
    startRegister(home_.portLink(7));
    key_.writeString("Port", "com7");
    key_.writeString("Autosearch", "0");
    key_.writeString("Protocol", "cts");
    openService();

    so_.SetPropertyNumber(pidx::DeviceEnabled, 1);  // not claimed yet: dropped
    EXPECT_EQ(number(pidx::DeviceEnabled), 0);

    ASSERT_EQ(so_.ClaimDevice(1000), 0);
    EXPECT_EQ(number(pidx::Claimed), 1);
    EXPECT_EQ(number(pidx::ResultCode), 0);
    EXPECT_EQ(number(pidx::FptrPrinterState), 1);
    const std::u16string description = so_.props().string(pidx::DeviceDescription);
    EXPECT_TRUE(description.starts_with(u"ZIROK OPOS Driver (FirmWare ver."));
    EXPECT_TRUE(description.ends_with(u") on COM7"));
    EXPECT_EQ(connectionLines(), Lines{"Call Connect(COM7, 57600, True, false)"});
    // A register just switched on has not started its working day.
    const Lines trace = home_.traceLines();
    EXPECT_EQ(decisionLines(), (Lines{
                                   "Begin ClaimDevice",
                                   "TimeOut=1000",
                                   "Call ClearError",
                                   "Call Connect(COM7, 57600, True, false)",
                                   "Port COM7 has opened",
                                   "Status.fatal=64",
                                   "Status.flags=1",
                                   "Status.doc=0",
                                   "((status.fatal and Bit6) = Bit6) => Call StartWork",
                                   "((status.flags and 1) <> 0) => Call StartWork",
                                   "OkpServerTimeout=8000",
                                   "OismServerTimeout=5000",
                                   "PropertyNumber[PIDXFptr_PrinterState] = 1",
                                   "CommonPropertyString[PIDX_DeviceDescription] = 'ZIROK OPOS "
                                   "Driver (FirmWare ver.565) on COM7'",
                                   "End ClaimDevice",
                               }));
    EXPECT_EQ(so_.RefreshStatus(), 0);
    EXPECT_EQ(so_.lastStatus().fatal, 0);

    so_.SetPropertyNumber(pidx::DeviceEnabled, 1);
    EXPECT_EQ(number(pidx::DeviceEnabled), 1);
    EXPECT_EQ(so_.ReleaseDevice(), 0);
    EXPECT_EQ(number(pidx::Claimed), 0);
    EXPECT_EQ(number(pidx::DeviceEnabled), 1);
}

TEST_F(Claim, SearchTriesTheOtherSpeedsFirstThenTheOtherPorts) {
    startRegister(home_.portLink(3), false);
    startRegister(home_.portLink(1));
    key_.writeString("Port", "COM3");
    openService();

    ASSERT_EQ(so_.ClaimDevice(0), 0);
    EXPECT_EQ(connectionLines(), (Lines{
                                     "Call Connect(COM3, 57600, False, false)",
                                     "Call Disconnect(COM3)",
                                     "Call Connect(COM3, 19200, True, false)",
                                     "Call Disconnect(COM3)",
                                     "Call Connect(COM3, 9600, True, false)",
                                     "Call Disconnect(COM3)",
                                     "Call Connect(COM1, 57600, True, false)",
                                 }));
    EXPECT_EQ(so_.port(), "COM1");
    EXPECT_EQ(context().baudRate, 57600);
    EXPECT_EQ(number(pidx::Claimed), 1);
    EXPECT_TRUE(so_.props().string(pidx::DeviceDescription).ends_with(u") on COM1"));
}

TEST_F(Claim, NothingAnsweringFailsWithTheRegisterNotFound) {
    startRegister(home_.portLink(3), false);
    key_.writeString("Port", "COM3");
    key_.writeString("BaudRate", "19200");
    auto control = std::make_shared<testing::RecordingControl>();
    openService(control);
    so_.props().setNumber(pidx::DataEventEnabled, 1);

    EXPECT_EQ(so_.ClaimDevice(0), 114);
    EXPECT_TRUE(control->calls.empty());  // a claim that fails raises no error event
    EXPECT_EQ(number(pidx::ResultCode), 109);
    EXPECT_EQ(number(pidx::ResultCodeExtended), 107);
    EXPECT_EQ(number(pidx::FptrErrorLevel), 3);
    EXPECT_EQ(so_.props().string(pidx::CheckHealthText), u"Фискальный регистратор не обнаружен");
    EXPECT_EQ(so_.props().string(pidx::FptrErrorString), u"Фискальный регистратор не обнаружен");
    EXPECT_EQ(number(pidx::Claimed), 0);
    EXPECT_EQ(so_.port(), "COM3");
    EXPECT_EQ(context().baudRate, 9600);  // the last speed tried
    EXPECT_EQ(connectionLines(), (Lines{
                                     "Call Connect(COM3, 19200, False, false)",
                                     "Call Disconnect(COM3)",
                                     "Call Connect(COM3, 57600, True, false)",
                                     "Call Disconnect(COM3)",
                                     "Call Connect(COM3, 9600, True, false)",
                                     "Call Disconnect(COM3)",
                                 }));
    const std::string report = testing::cp1251(
        u"[ERROR!] Exiting and\r\n"
        u"\tSet Result := OPOS_E_EXTENDED\r\n"
        u"\tSet CommonPropertyNumber[PIDX_ResultCode] := OPOS_E_NOEXIST\r\n"
        u"\tSet CommonPropertyNumber[PIDX_ResultCodeExtended] := OPOS_E_NOHARDWARE\r\n"
        u"\tSet CommonPropertyString[PIDX_CheckHealthText] := 'Фискальный регистратор не "
        u"обнаружен'\r\n"
        u"\tSet PropertyNumber[PIDXFptr_ErrorLevel] := FPTR_EL_FATAL\r\n"
        u"\tSet PropertyString[PIDXFptr_ErrorString] := "
        u"CommonPropertyString[PIDX_CheckHealthText];\r\n");
    EXPECT_NE(home_.traceText().find(report), std::string::npos) << home_.traceText();
    EXPECT_EQ(home_.traceLinesStartingWith("End ClaimDevice"), Lines{});
}

TEST_F(Claim, EventsReachTheControlObjectOnlyOnceItEnabledThem) {
    startRegister(home_.portLink(7));
    key_.writeString("Port", "COM7");
    auto control = std::make_shared<testing::RecordingControl>();
    openService(control);
    ASSERT_EQ(so_.ClaimDevice(0), 0);

    so_.SetPropertyNumber(pidx::DeviceEnabled, 1);
    inject("fault 00 error 1 once");
    EXPECT_EQ(so_.RefreshStatus(), 114);
    EXPECT_TRUE(control->calls.empty());

    so_.SetPropertyNumber(pidx::DataEventEnabled, 1);
    so_.SetPropertyNumber(pidx::DeviceEnabled, 0);
    inject("fault 00 error 1 once");
    EXPECT_EQ(so_.RefreshStatus(), 114);
    ASSERT_EQ(control->calls.size(), 2u);
    EXPECT_EQ(control->calls[0].id, 5);
    EXPECT_EQ(control->calls[0].numbers, std::vector<std::int32_t>{1});
    EXPECT_EQ(control->calls[1].id, 3);
    EXPECT_EQ(control->calls[1].numbers, (std::vector<std::int32_t>{114, 1, 2, 0}));
}

TEST(ClaimSearchSwitch, OnlyAutosearchZeroTurnsTheSearchOff) {
    // No port at all: with the search off the claim refuses at once, with it
    // on it tries the configured port and fails to find the register.
    struct Case {
        const char* autosearch;  // nullptr: absent
        std::int32_t result;
    } cases[] = {{"0", 103}, {"1", 114}, {"no", 114}, {nullptr, 114}};
    for (const Case& c : cases) {
        testing::LifecycleHome home;
        auto key = home.deviceKey();
        key.writeInteger("Debug", 0);
        key.writeString("Port", "COM9");
        if (c.autosearch) key.writeString("Autosearch", c.autosearch);
        so::TSOZirok so;
        ASSERT_EQ(so.OpenService(u"FiscalPrinter", u"Zirok", nullptr), 0);
        EXPECT_EQ(so.ClaimDevice(0), c.result) << (c.autosearch ? c.autosearch : "absent");
    }
}

TEST_F(Claim, WithoutAPortToTryFailsBeforeAnyConnection) {
    struct Case {
        const char* port;
        const char* autosearch;
        int usbPorts;
        const char16_t* text;
        int dialogs;
    } cases[] = {
        {"COM9", "0", 0, u"Порт не не найден", 0},
        {"USB", "1", 0, u"Порт не не найден", 0},
        {"USB", "1", 2, u"Порт не выбран", 1},  // the user cancelled the choice
    };
    for (const Case& c : cases) {
        testing::LifecycleHome home;
        auto key = home.deviceKey();
        key.writeString("Debug", "1");
        key.writeString("Port", c.port);
        key.writeString("Autosearch", c.autosearch);
        for (int i = 0; i < c.usbPorts; ++i) home.addFakeDevice("ttyUSB" + std::to_string(i));
        int dialogs = 0;
        platform::ScopedChoosePortHook hook(
            [&](std::u16string_view, std::u16string_view, const std::vector<std::u16string>&) {
                ++dialogs;
                return std::optional<std::u16string>{};
            });
        so::TSOZirok so;
        ASSERT_EQ(so.OpenService(u"FiscalPrinter", u"Zirok", nullptr), 0);
        EXPECT_EQ(so.ClaimDevice(0), 103) << c.port << c.usbPorts;
        EXPECT_EQ(so.props().number(pidx::ResultCode), 107);
        EXPECT_EQ(so.props().number(pidx::ResultCodeExtended), 107);
        EXPECT_EQ(so.props().number(pidx::FptrErrorLevel), 3);
        EXPECT_EQ(so.props().string(pidx::CheckHealthText), c.text);
        EXPECT_EQ(so.props().string(pidx::FptrErrorString), c.text);
        EXPECT_EQ(so.props().number(pidx::Claimed), 0);
        EXPECT_EQ(dialogs, c.dialogs);
        so.CloseService();
        EXPECT_EQ(home.traceLines().back(), "Begin CloseService");
        EXPECT_EQ(home.traceLinesStartingWith("Call Connect(").size(), 0u);
        EXPECT_EQ(home.traceLinesStartingWith("[ERROR!]").size(), 0u);
    }
}

TEST_F(Claim, AUsbPortIsTakenAloneOrByTheUsersChoiceWithoutHandshake) {
    startRegister(home_.devicePath("ttyUSB0"));  // detected as the removable COM1
    struct Case {
        const char* port;
        bool secondUsbPort;
        int dialogs;
    } cases[] = {
        {"USB", false, 0},
        {"USB", true, 1},
        {"COM1", true, 0},  // named: still a USB port, so CTS is not used
    };
    for (const Case& c : cases) {
        if (c.secondUsbPort) home_.addFakeDevice("ttyUSB1");
        key_.writeString("Port", c.port);
        key_.writeString("Protocol", "CTS");
        int dialogs = 0;
        platform::ScopedChoosePortHook hook([&](std::u16string_view, std::u16string_view,
                                                const std::vector<std::u16string>& entries) {
            ++dialogs;
            return std::optional<std::u16string>{entries.front()};
        });
        so::TSOZirok so;
        ASSERT_EQ(so.OpenService(u"FiscalPrinter", u"Zirok", nullptr), 0);
        context().link.setDefaultTimeout(kQuickTimeoutMs);
        const std::size_t tracedBefore = connectionLines().size();
        EXPECT_EQ(so.ClaimDevice(0), 0) << c.port << c.secondUsbPort;
        EXPECT_EQ(dialogs, c.dialogs) << c.port << c.secondUsbPort;
        const Lines lines = connectionLines();
        EXPECT_EQ(Lines(lines.begin() + tracedBefore, lines.end()),
                  Lines{"Call Connect(COM1, 57600, False, false)"});
        so.ReleaseDevice();
        so.CloseService();
    }
}

TEST_F(Claim, AnOpenReceiptLeftBehindIsAnnulled) {
    startRegister(home_.portLink(7));
    key_.writeString("Port", "COM7");
    openService();
    struct Case {
        const char* fault;
        std::int32_t printerState;
        const char* outcome;
    } cases[] = {
        {nullptr, 1, "Opened fiscal document has closed successfully"},
        {"fault 32 error 1 once", 2, "[warning] Opened fiscal document has not closed"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(so_.ClaimDevice(0), 0);
        // The application went away in the middle of a sale.
        ASSERT_EQ(protocol::DocumentOpen(context().link, "COM7", 2, 1, "Test", 0), 0);
        ASSERT_EQ(so_.ReleaseDevice(), 0);
        if (c.fault) inject(c.fault);

        ASSERT_EQ(so_.ClaimDevice(0), 0);
        EXPECT_EQ(number(pidx::FptrPrinterState), c.printerState);
        const Lines trace = home_.traceLines();
        const auto note = std::find(trace.rbegin(), trace.rend(),
                                    "[warning] Have opened sale receipt => Call DocumentAnnul");
        ASSERT_NE(note, trace.rend());
        EXPECT_NE(std::find(note.base(), trace.end(), c.outcome), trace.end()) << c.outcome;
        // The next case starts without an open receipt.
        if (c.fault) {
            EXPECT_EQ(protocol::DocumentAnnul(context().link, "COM7"), 0);
        }
        so_.ReleaseDevice();
    }
}

}  // namespace
}  // namespace zirok
