// zirokctl end to end: the real binary registers the real libzirok.so into a
// scratch registry store, creates the service object through the class
// registry and drives zirok-emulator over a pseudo-terminal.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "emulator_process.hpp"
#include "zirokctl_runner.hpp"

namespace zirok {
namespace {

using testing::Outcome;
using testing::zirokctl;

std::string ok(const std::string& method, const std::string& result = "0") {
    return R"({"call": ")" + method + R"(", "result": )" + result +
           R"(, "out": {}, "ResultCode": 0, "ResultCodeExtended": 0, "ErrorString": ""})";
}

class ZirokctlEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        // Traces of the service object stay inside the scratch home.
        if (const char* old = std::getenv("XDG_STATE_HOME")) oldState_ = old;
        setenv("XDG_STATE_HOME", (home_.path() + "/state").c_str(), 1);
        const Outcome registered = zirokctl({"register", testing::binaryFolder() + "libzirok.so"});
        ASSERT_EQ(registered.status, 0) << registered.errors;
    }
    void TearDown() override {
        if (oldState_.empty())
            unsetenv("XDG_STATE_HOME");
        else
            setenv("XDG_STATE_HOME", oldState_.c_str(), 1);
    }

    // Sets one value of the fiscal printer's device key, written as in a .reg file.
    void setDeviceValue(const std::string& assignment) {
        const std::string file = home_.path() + "/value.reg";
        std::ofstream(file) << "Windows Registry Editor Version 5.00\n\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\"
                               "FiscalPrinter\\Zirok]\n"
                            << assignment << "\n";
        const Outcome imported = zirokctl({"reg", "import", file});
        ASSERT_EQ(imported.status, 0) << imported.errors;
    }

    std::string writeScript(const std::string& text) {
        const std::string file = home_.path() + "/calls.txt";
        std::ofstream(file) << text;
        return file;
    }

    testing::TempZirokHome home_;
    std::string oldState_;
};

TEST_F(ZirokctlEndToEnd, DrivesTheEmulatedRegisterThroughTheLoadedServiceObject) {
    setDeviceValue(R"("Port"="COM7")");
    testing::EmulatorProcess emulator(home_.portLink(7));
    ASSERT_TRUE(emulator.started());

    const Outcome run =
        zirokctl({"run", R"(OpenService "FiscalPrinter" "Zirok")", "ClaimDevice 1000",
                  "SetPropertyNumber 2 1", "SetPropertyNumber 3 1", "GetPropertyNumber 16020",
                  "CheckHealth 1", "ReleaseDevice", "CloseService"});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.lines, (std::vector<std::string>{
                             ok("OpenService"),
                             ok("ClaimDevice"),
                             ok("SetPropertyNumber", "null"),  // DataEventEnabled
                             R"({"event": "SOStatusUpdate", "args": [1]})",
                             ok("SetPropertyNumber", "null"),  // DeviceEnabled
                             ok("GetPropertyNumber", "1"),     // PrinterState: monitor
                             ok("CheckHealth"),
                             ok("ReleaseDevice"),
                             ok("CloseService"),
                         }));
}

TEST_F(ZirokctlEndToEnd, ErrorEventsAndFailedCallsReachTheHost) {
    setDeviceValue(R"("Autosearch"=dword:00000001)");  // ClaimDevice reads it as a string
    const std::string script = writeScript(
        "# no port is open: the register cannot be reached\n"
        "OpenService \"FiscalPrinter\" \"Zirok\"\n"
        "SetPropertyNumber 2 1\n"
        "CheckHealth 1\n"
        "ClaimDevice \"soon\"\n"
        "ClaimDevice 1000\n");
    const Outcome run = zirokctl({"run", "--script", script, "GetPropertyNumber 6"});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.lines,
              (std::vector<std::string>{
                  ok("OpenService"),
                  ok("SetPropertyNumber", "null"),
                  R"({"event": "SOError", "args": [114, 32, 4, 0]})",
                  R"({"call": "CheckHealth", "result": 114, "out": {}, "ResultCode": 114, )"
                  R"("ResultCodeExtended": 32, "ErrorString": "Фатальная ошибка ККТ"})",
                  R"({"call": "ClaimDevice", "error": "ISOZirok.ClaimDevice, argument TimeOut: )"
                  R"(type mismatch: \"soon\" is not a number"})",
                  R"({"call": "ClaimDevice", "error": "Invalid data type for 'Autosearch'"})",
                  // Properties keep what the failed call reached: its reset, before the read.
                  ok("GetPropertyNumber", "0"),
              }));
}

TEST_F(ZirokctlEndToEnd, TheCashDrawerClassGetsTheDrawerInterface) {
    const Outcome run = zirokctl(
        {"run", "--class", "CashDrawer", R"(OpenService "CashDrawer" "Zirok")", "DirectIO 1 2"});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.lines, (std::vector<std::string>{
                             ok("OpenService"),
                             R"({"call": "DirectIO", "result": 106, "out": {"Data": 2, "obj": 0}, )"
                             R"("ResultCode": 106, "ResultCodeExtended": 0, )"
                             R"("ErrorString": "Ошибка DirectIO. Не верные параметры вызова"})",
                         }));

    // A fiscal method is not the drawer's: refused before anything runs.
    const Outcome refused =
        zirokctl({"run", "--class", "CashDrawer", "OpenDrawer", "PrintXReport"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.lines.empty());
}

TEST_F(ZirokctlEndToEnd, WhatStopsTheHostItselfIsItsExitStatus) {
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"run", "--device", "Nowhere", "ClaimDevice 1"}, 1},  // no device key
        {{"run", "ClaimDevice 1.5.5"}, 2},
        {{"run", "--script", "/nonexistent/calls.txt"}, 1},
        {{"register", "/nonexistent/libzirok.so"}, 1},
        {{"reg", "export", "HKLM\\SOFTWARE\\Nowhere"}, 1},
        {{"frobnicate"}, 2},
        {{"unregister", testing::binaryFolder() + "libzirok.so"}, 0},
        {{"run", "ClaimDevice 1"}, 1},  // the device is gone with the registration
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const Outcome run = zirokctl(c.args);
        EXPECT_EQ(run.status, c.status) << run.errors;
        EXPECT_TRUE(run.lines.empty());
        EXPECT_EQ(run.errors.empty(), c.status == 0);
    }
}

}  // namespace
}  // namespace zirok
