// What a claim does to a register found in an odd state: the order of the
// commands it sends and the state it leaves behind. The register runs
// in-process here, so each case can begin from exactly the state it needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "emulator/faults.hpp"
#include "emulator_transport.hpp"
#include "lifecycle_fixture.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok {
namespace {

using emulator::DocumentType;
using so::context;
namespace pidx = so::pidx;
using Lines = std::vector<std::string>;

struct ClaimedZirok : so::TSOZirok {
    using TSOZirok::factoryNumber_;
};

struct Case {
    const char* what;
    bool dayStarted;
    bool shiftOverdue;
    DocumentType document;
    bool awaitingClose;
    const char* fault;
    Lines commands;  // from the first status query to the device queries
    Lines notes;     // the recovery's own trace lines, in order
    std::int32_t printerState;
};

const Lines kSettingsAndIdentity = {"11", "12", "11", "11", "02", "02"};

Lines sent(Lines recovery) {
    recovery.insert(recovery.end(), kSettingsAndIdentity.begin(), kSettingsAndIdentity.end());
    return recovery;
}

// clang-format off
const Case kCases[] = {
    {"switched on",
     false,
     false,
     DocumentType::None,
     false,
     nullptr,
     sent({"00", "10", "10"}),
     {"((status.fatal and Bit6) = Bit6) => Call StartWork",
      "((status.flags and 1) <> 0) => Call StartWork"},
     1},
    {"shift to close",
     false,
     true,
     DocumentType::None,
     false,
     nullptr,
     sent({"00", "10", "21", "14", "10"}),  // a closed shift sets the register's clock
     {"((status.fatal and Bit6) = Bit6) => Call StartWork",
      "((status.flags and Bit8) = Bit8) => Call PrintZReport",
      "((status.flags and 1) <> 0) => Call StartWork"},
     1},
    {"shift to close, storage failing",
     false,
     true,
     DocumentType::None,
     false,
     "21:error:67",
     sent({"00", "10", "21", "A0", "10"}),
     {"((status.flags and Bit8) = Bit8) => Call PrintZReport"},
     1},
    {"shift to close, other failure",
     false,
     true,
     DocumentType::None,
     false,
     "21:error:71",
     sent({"00", "10", "21", "10"}),
     {"((status.flags and Bit8) = Bit8) => Call PrintZReport"},
     1},
    {"receipt awaiting its close",
     true,
     false,
     DocumentType::Sale,
     true,
     nullptr,
     sent({"00", "31", "00"}),
     {"(Status.doc and bit7 = bit7) => Call DocumentClose"},
     1},
    {"service document", true, false, DocumentType::Service, false, nullptr, sent({"00"}), {}, 9},
    {"return receipt",
     true,
     false,
     DocumentType::Return,
     false,
     nullptr,
     sent({"00", "32"}),
     {"[warning] Have opened return receipt => Call DocumentAnnul",
      "Opened fiscal document has closed successfully"},
     1},
    {"cash-in",
     true,
     false,
     DocumentType::CashIn,
     false,
     nullptr,
     sent({"00", "32"}),
     {"[warning] Have opened cashin => Call DocumentAnnul"},
     1},
    {"cash-out, annulment refused",
     true,
     false,
     DocumentType::CashOut,
     false,
     "32:error:1",
     sent({"00", "32"}),
     {"[warning] Have opened cashout => Call DocumentAnnul",
      "[warning] Opened fiscal document has not closed"},
     2},
};

// clang-format on

// The lines of `notes` appear in `trace` in this order.
bool inOrder(const Lines& trace, const Lines& notes) {
    auto at = trace.begin();
    for (const std::string& note : notes) {
        at = std::find(at, trace.end(), note);
        if (at == trace.end()) return false;
    }
    return true;
}

// The link keeps the first transport it made for the whole program, so one
// register stands behind it for every test and each test resets its state.
testing::InProcessRegister& theRegister() {
    static testing::InProcessRegister reg;
    static const bool connected = (testing::connectInProcess(context().link, reg), true);
    (void)connected;
    return reg;
}

// A fresh installation whose device is configured for the in-process
// register (seen as COM1), and that register switched on anew.
emulator::RegisterState& prepare(const testing::LifecycleHome& home) {
    home.addFakeDevice("line");
    home.linkPort(1, home.devicePath("line"));
    auto key = home.deviceKey();
    key.writeString("Debug", "1");
    key.writeString("Port", "COM1");
    key.writeString("Autosearch", "0");
    testing::InProcessRegister& reg = theRegister();
    reg.faults.clear();
    reg.incoming.clear();
    reg.model.state() = emulator::RegisterState{};
    return reg.model.state();
}

void addFault(const char* fault) {
    theRegister().faults.add(emulator::parseFault(fault));
}

TEST(ClaimRecovery, BringsTheRegisterBackToAKnownState) {
    for (const Case& c : kCases) {
        testing::LifecycleHome home;
        emulator::RegisterState& state = prepare(home);
        state.workDayStarted = c.dayStarted;
        if (c.shiftOverdue) {
            state.shift.open = true;
            state.shift.openedAt = state.now() - 2 * emulator::kSecondsPerDay;
        }
        if (c.document != DocumentType::None) {
            state.shift.open = true;
            state.document.emplace();
            state.document->type = c.document;
            state.document->awaitingClose = c.awaitingClose;
        }
        if (c.fault) addFault(c.fault);

        ClaimedZirok so;
        ASSERT_EQ(so.OpenService(u"FiscalPrinter", u"Zirok", nullptr), 0);
        EXPECT_EQ(so.ClaimDevice(0), 0) << c.what;
        EXPECT_EQ(home.commandsSent(), c.commands) << c.what;
        EXPECT_TRUE(inOrder(home.traceLines(), c.notes)) << c.what;
        EXPECT_EQ(so.props().number(pidx::FptrPrinterState), c.printerState) << c.what;
        EXPECT_EQ(so.props().number(pidx::Claimed), 1);
        const bool shiftOpen = c.shiftOverdue || c.document != DocumentType::None;
        EXPECT_EQ(so.props().number(pidx::FptrDayOpened), shiftOpen ? 1 : 0) << c.what;
        EXPECT_EQ(so.factoryNumber_, "00104600123456");
        EXPECT_EQ(so.props().string(pidx::DeviceDescription),
                  u"ZIROK OPOS Driver (FirmWare ver.565) on COM1");
        so.ReleaseDevice();
        so.CloseService();
    }
}

TEST(StatusChecks, RefreshStatusFollowsTheOpenDocumentAndStartsTheDay) {
    struct Case {
        const char* what;
        bool dayStarted;
        DocumentType document;
        const char* fault;
        std::int32_t result;
        std::int32_t printerState;  // 7 when left as it was
        Lines commands;
    } cases[] = {
        {"nothing open", true, DocumentType::None, nullptr, 0, 1, {"00"}},
        {"service document", true, DocumentType::Service, nullptr, 0, 9, {"00"}},
        {"sale receipt", true, DocumentType::Sale, nullptr, 0, 7, {"00"}},
        {"day not started", false, DocumentType::None, nullptr, 0, 1, {"00", "10"}},
        {"status refused", true, DocumentType::None, "00:error:1", 114, 7, {"00"}},
    };
    for (const Case& c : cases) {
        testing::LifecycleHome home;
        emulator::RegisterState& state = prepare(home);
        state.workDayStarted = c.dayStarted;
        if (c.document != DocumentType::None) {
            state.shift.open = true;
            state.document.emplace();
            state.document->type = c.document;
        }
        if (c.fault) addFault(c.fault);
        so::TSOZirok so;
        ASSERT_EQ(so.OpenService(u"FiscalPrinter", u"Zirok", nullptr), 0);
        so.setPrinterState(7);
        EXPECT_EQ(so.RefreshStatus(), c.result) << c.what;
        EXPECT_EQ(so.printerState(), c.printerState) << c.what;
        EXPECT_EQ(home.commandsSent(), c.commands) << c.what;
        so.CloseService();
    }
}

TEST(StatusChecks, CheckPaperReportsAnUnreadyPrinterBeforeAnEmptyOne) {
    struct Case {
        bool paperOut;
        bool coverOpen;
        const char* fault;
        std::int32_t result;
        std::int32_t extended;
        const char16_t* text;
    } cases[] = {
        {false, false, nullptr, 0, 0, u""},
        {true, false, nullptr, 114, 8, u"Конец бумаги"},
        {false, true, nullptr, 114, 9, u"Принтер не готов"},
        {true, true, nullptr, 114, 9, u"Принтер не готов"},
        {false, false, "04:error:3", 3, 0, u""},  // the command's own failure, unmapped
    };
    for (const Case& c : cases) {
        testing::LifecycleHome home;
        emulator::RegisterState& state = prepare(home);
        state.paperOut = c.paperOut;
        state.coverOpen = c.coverOpen;
        if (c.fault) addFault(c.fault);
        so::TSOZirok so;
        ASSERT_EQ(so.OpenService(u"FiscalPrinter", u"Zirok", nullptr), 0);
        const std::string what = std::to_string(c.paperOut) + std::to_string(c.coverOpen);
        EXPECT_EQ(so.CheckPaper(), c.result) << what;
        EXPECT_EQ(so.props().number(pidx::ResultCodeExtended), c.extended) << what;
        EXPECT_EQ(so.props().string(pidx::CheckHealthText), c.text) << what;
        so.CloseService();
    }
}

}  // namespace
}  // namespace zirok
