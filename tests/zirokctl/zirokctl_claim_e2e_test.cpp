// Claiming the register the way an application does it: the real zirokctl
// loads the registered libzirok.so, which finds zirok-emulator on a
// pseudo-terminal through the real transport library and writes its trace
// through the real trace library. Only the machine's own serial ports are
// kept out, so that every port the claim sees is one the test made.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "emulator/fiscal_storage.hpp"
#include "emulator/register_state.hpp"
#include "emulator/state_file.hpp"
#include "emulator_process.hpp"
#include "tests/service-object/lifecycle_fixture.hpp"
#include "zirokctl_runner.hpp"

namespace zirok {
namespace {

using testing::Outcome;
using testing::zirokctl;
using Lines = std::vector<std::string>;

// One call's JSON line as zirokctl prints it; `result` is JSON already.
std::string called(const std::string& method, const std::string& result = "0", int code = 0,
                   int extended = 0, const std::string& errorText = "") {
    return R"({"call": ")" + method + R"(", "result": )" + result +
           R"(, "out": {}, "ResultCode": )" + std::to_string(code) + R"(, "ResultCodeExtended": )" +
           std::to_string(extended) + R"(, "ErrorString": ")" + errorText + R"("})";
}

const std::string kOpen = R"(OpenService "FiscalPrinter" "Zirok")";
const std::string kStatusUpdate = R"({"event": "SOStatusUpdate", "args": [1]})";

// The lines of `notes` appear in `trace` in this order.
bool inOrder(const Lines& trace, const Lines& notes) {
    auto at = trace.begin();
    for (const std::string& note : notes) {
        at = std::find(at, trace.end(), note);
        if (at == trace.end()) return false;
        ++at;
    }
    return true;
}

// Registering writes the store value by value, each made durable on its own,
// which takes about a second; so libzirok.so is registered once, and every
// installation starts from a copy of that store.
class RegisteredStore {
  public:
    RegisteredStore() {
        const testing::TempZirokHome home;
        const Outcome registered = zirokctl({"register", testing::binaryFolder() + "libzirok.so"});
        EXPECT_EQ(registered.status, 0) << registered.errors;
        std::string pattern = std::filesystem::temp_directory_path() / "zirok-store-XXXXXX";
        folder_ = mkdtemp(pattern.data());
        std::filesystem::copy(home.path() + "/registry", folder_ + "/registry",
                              std::filesystem::copy_options::recursive);
    }
    ~RegisteredStore() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    void copyTo(const std::string& home) const {
        std::filesystem::copy(folder_ + "/registry", home + "/registry",
                              std::filesystem::copy_options::recursive);
    }

  private:
    std::string folder_;
};

// A scratch installation with libzirok.so registered in it: its own registry,
// COM links, device folder and trace folder, and the registers it started.
class Installation {
  public:
    Installation() {
        static const RegisteredStore store;
        store.copyTo(home_.path());
        // Tracing on, and the shortest answer time-out the registry allows.
        configure({R"("Debug"=dword:00000001)", R"("Timeout"=dword:00000003)"});
    }

    // Writes values of the device key, each a .reg file assignment.
    void configure(const Lines& assignments) const {
        const std::string file = home_.path() + "/device.reg";
        std::ofstream reg(file);
        reg << "Windows Registry Editor Version 5.00\n\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok]\n";
        for (const std::string& line : assignments) reg << line << '\n';
        reg.close();
        const Outcome imported = zirokctl({"reg", "import", file});
        EXPECT_EQ(imported.status, 0) << imported.errors;
    }

    // A register on COMn, listening on a control FIFO of its own.
    void startRegister(int com, Lines args = {}) {
        args.insert(args.end(), {"--control", controlPath(com)});
        registers_.push_back(std::make_unique<testing::EmulatorProcess>(home_.portLink(com), args));
        EXPECT_TRUE(registers_.back()->started()) << "COM" << com;
    }
    void stopRegisters() { registers_.clear(); }

    // What the register on COMn reads before it answers the next request.
    void control(int com, const std::string& line) const {
        const int fd = open(controlPath(com).c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        const std::string text = line + "\n";
        EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fd);
    }

    // COMn stands for an ordinary file: offered as a port, but nothing answers.
    void addDeadPort(int com) const {
        const std::string node = "dead" + std::to_string(com);
        home_.addFakeDevice(node);
        home_.linkPort(com, home_.devicePath(node));
    }

    Outcome run(const Lines& calls) const {
        Lines args = {"run"};
        args.insert(args.end(), calls.begin(), calls.end());
        return zirokctl(args);
    }

    Lines connectionLines() const {
        Lines lines;
        for (const std::string& line : home_.traceLines())
            if (line.starts_with("Call Connect(") || line.starts_with("Call Disconnect("))
                lines.push_back(line);
        return lines;
    }

    const testing::LifecycleHome& home() const { return home_; }

  private:
    std::string controlPath(int com) const {
        return home_.path() + "/control" + std::to_string(com);
    }

    testing::LifecycleHome home_;
    std::vector<std::unique_ptr<testing::EmulatorProcess>> registers_;
};

TEST(ClaimEndToEnd, EnablingIsTakenOnlyOnceClaimedAndAnnouncedOnlyWhenEventsAreOn) {
    Installation site;
    site.configure({R"("Port"="com7")", R"("Autosearch"="0")"});
    site.startRegister(7);

    const Outcome run = site.run({
        kOpen,
        "SetPropertyNumber 2 1",  // events on
        "SetPropertyNumber 3 1",  // not claimed: dropped, and nothing announced
        "GetPropertyNumber 3",
        "ClaimDevice 1000",
        "GetPropertyNumber 1",
        "GetPropertyString 1000002",
        "SetPropertyNumber 3 1",
        "GetPropertyNumber 3",
        "SetPropertyNumber 2 0",  // events off
        "SetPropertyNumber 3 0",
        "GetPropertyNumber 3",
        "ReleaseDevice",
        "GetPropertyNumber 1",
        "CloseService",
    });
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.lines,
              (Lines{
                  called("OpenService"),
                  called("SetPropertyNumber", "null"),
                  called("SetPropertyNumber", "null"),
                  called("GetPropertyNumber", "0"),
                  called("ClaimDevice"),
                  called("GetPropertyNumber", "1"),
                  called("GetPropertyString", R"("ZIROK OPOS Driver (FirmWare ver.565) on COM7")"),
                  kStatusUpdate,
                  called("SetPropertyNumber", "null"),
                  called("GetPropertyNumber", "1"),
                  called("SetPropertyNumber", "null"),
                  called("SetPropertyNumber", "null"),
                  called("GetPropertyNumber", "0"),
                  called("ReleaseDevice"),
                  called("GetPropertyNumber", "0"),
                  called("CloseService"),
              }));
    // The configured port and speed, with the handshake the registry left off.
    EXPECT_EQ(site.connectionLines(), Lines{"Call Connect(COM7, 57600, False, false)"});
}

TEST(ClaimEndToEnd, TheSearchTriesEverySpeedOfEachPortUntilARegisterAnswers) {
    Installation site;
    site.configure({R"("Port"="COM5")", R"("Autosearch"="1")"});
    site.addDeadPort(5);
    site.startRegister(7, {"--fault", "00:error:1"});  // there, but refuses the status query
    site.startRegister(8);

    const Outcome run = site.run({kOpen, "ClaimDevice 0", "GetPropertyString 1000002"});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.lines,
              (Lines{
                  called("OpenService"),
                  called("ClaimDevice"),
                  called("GetPropertyString", R"("ZIROK OPOS Driver (FirmWare ver.565) on COM8")"),
              }));
    // The configured port comes first, at its remaining speeds; a port found
    // by the search waits for the clear-to-send line.
    EXPECT_EQ(site.connectionLines(), (Lines{
                                          "Call Connect(COM5, 57600, False, false)",
                                          "Call Disconnect(COM5)",
                                          "Call Connect(COM5, 19200, True, false)",
                                          "Call Disconnect(COM5)",
                                          "Call Connect(COM5, 9600, True, false)",
                                          "Call Disconnect(COM5)",
                                          "Call Connect(COM7, 57600, True, false)",
                                          "Call Disconnect(COM7)",
                                          "Call Connect(COM7, 19200, True, false)",
                                          "Call Disconnect(COM7)",
                                          "Call Connect(COM7, 9600, True, false)",
                                          "Call Disconnect(COM7)",
                                          "Call Connect(COM8, 57600, True, false)",
                                      }));
}

TEST(ClaimEndToEnd, ARegisterLeftInAnOddStateIsBroughtBackWhenClaimed) {
    struct Case {
        const char* what;
        bool shiftOpen;
        bool saleOpen;
        const char* control;  // read by the register before the claim
        const char* printerState;
        const char* dayOpened;
        Lines notes;  // the claim's decisions, in this order
        bool saleLeft;
        bool shiftLeft;
    };
    const std::string startWork = "((status.fatal and Bit6) = Bit6) => Call StartWork";
    const std::string annul = "[warning] Have opened sale receipt => Call DocumentAnnul";
    // clang-format off
    const Case cases[] = {
        {"switched on", false, false, nullptr, "1", "0",
         {startWork, "((status.flags and 1) <> 0) => Call StartWork"}, false, false},
        {"sale left open", true, true, nullptr, "1", "1",
         {startWork, annul, "Opened fiscal document has closed successfully"}, false, true},
        {"sale left open, annulment refused", true, true, "fault 32 error 1", "2", "1",
         {annul, "[warning] Opened fiscal document has not closed"}, true, true},
        {"shift to close", true, false, "shift overdue", "1", "0",
         {startWork, "((status.flags and Bit8) = Bit8) => Call PrintZReport",
          "((status.flags and 1) <> 0) => Call StartWork"}, false, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Installation site;
        site.configure({R"("Port"="COM7")", R"("Autosearch"="0")"});
        // The register's memory: registered at the factory, then what the case left in it.
        const std::string memory = site.home().path() + "/register.state";
        emulator::RegisterState state;
        emulator::registerAtFactory(state);
        if (c.shiftOpen) {
            state.shift.open = true;
            state.shift.number = 1;
            state.shift.openedAt = state.now();
        }
        if (c.saleOpen) {
            state.document.emplace();
            state.document->type = emulator::DocumentType::Sale;
        }
        emulator::saveState(state, memory);
        site.startRegister(7, {"--state", memory});
        if (c.control) site.control(7, c.control);

        const Outcome run = site.run({kOpen, "ClaimDevice 0", "GetPropertyNumber 16020",
                                      "GetPropertyNumber 16006", "CheckHealth 1", "ReleaseDevice"});
        EXPECT_EQ(run.status, 0) << run.errors;
        // A working day left unstarted or a shift left to close would show in the health check.
        EXPECT_EQ(run.lines, (Lines{
                                 called("OpenService"),
                                 called("ClaimDevice"),
                                 called("GetPropertyNumber", c.printerState),
                                 called("GetPropertyNumber", c.dayOpened),
                                 called("CheckHealth"),
                                 called("ReleaseDevice"),
                             }));
        const Lines trace = site.home().traceLines();
        EXPECT_TRUE(inOrder(trace, c.notes)) << ::testing::PrintToString(trace);

        site.stopRegisters();
        emulator::RegisterState after;
        ASSERT_TRUE(emulator::loadState(after, memory));
        EXPECT_EQ(after.document.has_value(), c.saleLeft);
        EXPECT_EQ(after.shift.open, c.shiftLeft);
    }
}

TEST(ClaimEndToEnd, AClaimThatFindsNoRegisterSaysWhyAndRaisesNoErrorEvent) {
    const std::string noPort = "Порт не не найден";
    const std::string notChosen = "Порт не выбран";
    const std::string notFound = "Фискальный регистратор не обнаружен";
    struct Case {
        const char* what;
        Lines values;
        void (*prepare)(Installation&);
        const char* result;
        int resultCode;
        std::string text;
    };
    // clang-format off
    const Case cases[] = {
        {"no serial port, search off", {R"("Port"="COM9")", R"("Autosearch"="0")"},
         [](Installation&) {}, "103", 107, noPort},
        {"two USB ports, the choice cancelled", {R"("Port"="USB")", R"("Autosearch"="1")"},
         [](Installation& site) {
             site.home().addFakeDevice("ttyUSB0");
             site.home().addFakeDevice("ttyUSB1");
         }, "103", 107, notChosen},
        {"the only port a dead line, searched", {R"("Port"="COM5")", R"("Autosearch"="1")"},
         [](Installation& site) { site.addDeadPort(5); }, "114", 109, notFound},
        {"a register that keeps silent, search off", {R"("Port"="COM7")", R"("Autosearch"="0")"},
         [](Installation& site) { site.startRegister(7, {"--fault", "00:silent"}); },
         "114", 109, notFound},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Installation site;
        site.configure(c.values);
        c.prepare(site);
        const Outcome run =
            site.run({kOpen, "SetPropertyNumber 2 1", "ClaimDevice 0", "GetPropertyNumber 1"});
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(run.lines, (Lines{
                                 called("OpenService"),
                                 called("SetPropertyNumber", "null"),
                                 called("ClaimDevice", c.result, c.resultCode, 107, c.text),
                                 // Still not claimed; the failure stays readable.
                                 called("GetPropertyNumber", "0", c.resultCode, 107, c.text),
                             }));
    }
}

}  // namespace
}  // namespace zirok
