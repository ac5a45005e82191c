// The register link end to end: the real transport library over a real
// pseudo-terminal, answered by the real zirok-emulator.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "emulator_process.hpp"
#include "logging/client/logger.hpp"
#include "protocol/commands/status_commands.hpp"
#include "protocol/register_link.hpp"

namespace zirok {
namespace {

using protocol::RegisterLink;
using protocol::Result;
namespace result = protocol::result;

constexpr const char* kPort = "COM7";

class LinkEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        control_ = home_.path() + "/control";
        emulator_ = std::make_unique<testing::EmulatorProcess>(home_.portLink(7),
                                                               std::vector<std::string>{"--control", control_});
        ASSERT_TRUE(emulator_->started());
        link_.setDefaultTimeout(400);  // keeps the lost-answer cases short
        ASSERT_TRUE(link_.connect("MNVK", kPort, 57600, false, false)) << link_.transportLoadError();
    }
    void TearDown() override { link_.disconnect(kPort); }

    // Applied by the emulator to the answer of the next request.
    void inject(const std::string& line) {
        const int fd = open(control_.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        const std::string text = line + "\n";
        ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fd);
    }

    Result drawerExchange() {
        link_.params().clear();
        return link_.exchange(kPort, 0x81);
    }

    testing::TempZirokHome home_;
    std::string control_;
    std::unique_ptr<testing::EmulatorProcess> emulator_;
    RegisterLink link_;
};

TEST_F(LinkEndToEnd, StatusOfARegisterJustSwitchedOn) {
    protocol::Status status;
    ASSERT_EQ(protocol::GetStatus(link_, kPort, status), result::Ok);
    EXPECT_EQ(status.fatal & 0x40, 0x40);  // the working day is not started yet
    EXPECT_EQ(status.flags & 0x01, 0x01);
    EXPECT_EQ(status.doc, 0);
    EXPECT_EQ(drawerExchange(), result::Ok);
}

TEST_F(LinkEndToEnd, EachLineFaultGivesItsCodeAndTheNextExchangeSucceeds) {
    struct Case {
        const char* fault;
        Result expected;
    } cases[] = {
        {"fault 81 silent once", result::NoAnswer},
        {"fault 81 late 700 once", result::NoAnswer},
        {"fault 81 flood once", result::NoAnswer},
        {"fault 81 badid once", result::WrongPacketId},
        {"fault 81 badcmd once", result::WrongCommand},
        {"fault 81 badsum once", result::BadChecksum},
        {"fault 81 error 9 once", 9},
        {"fault 81 noise 40 once", result::Ok},
        {"fault 81 late 100 once", result::Ok},
    };
    for (const auto& c : cases) {
        inject(c.fault);
        EXPECT_EQ(drawerExchange(), c.expected) << c.fault;
        // A late answer may still be on its way; the next request's input
        // clear must keep it from being taken for its own answer.
        EXPECT_EQ(drawerExchange(), result::Ok) << "after " << c.fault;
    }
}

TEST_F(LinkEndToEnd, StatusAcceptsAnAnswerWithAnotherPacketId) {
    inject("fault 00 badid once");
    protocol::Status status;
    EXPECT_EQ(protocol::GetStatus(link_, kPort, status), result::Ok);
    EXPECT_EQ(status.fatal & 0x40, 0x40);
}

TEST_F(LinkEndToEnd, TheLinkSurvivesTheRegisterBeingReopened) {
    ASSERT_EQ(drawerExchange(), result::Ok);
    ASSERT_TRUE(link_.disconnect(kPort));
    ASSERT_TRUE(link_.connect("MNVK", kPort, 57600, true, false));
    EXPECT_EQ(drawerExchange(), result::Ok);
}

TEST_F(LinkEndToEnd, TrafficIsTracedThroughTheLoadedTraceLibrary) {
    const std::string state = home_.path() + "/state";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    {
        logging::TLogger logger;
        ASSERT_TRUE(logger.libraryLoaded());
        logger.AddInstance("link");
        logger.Open();
        link_.setTrafficLog(&logger);
        ASSERT_EQ(drawerExchange(), result::Ok);
        inject("fault 81 silent once");
        ASSERT_EQ(drawerExchange(), result::NoAnswer);
        link_.setTrafficLog(nullptr);
    }
    std::ifstream file(state + "/Brightfold/ZIROK OPOS Driver/Logs/link.log", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string log = text.str();
    EXPECT_NE(log.find("Send data: \x02MNVK"), std::string::npos) << log;
    EXPECT_NE(log.find("Received data: \x02"), std::string::npos) << log;
    EXPECT_NE(log.find("Break because received=0;"), std::string::npos) << log;
    unsetenv("XDG_STATE_HOME");
}

TEST(LinkWithoutRegister, APortThatDoesNotExistFailsConnectCleanly) {
    testing::TempZirokHome home;
    RegisterLink link;
    EXPECT_FALSE(link.connect("MNVK", "COM42", 57600, false, false));
    EXPECT_TRUE(link.transportLoaded());  // the library loaded; only the port is missing
    protocol::Status status;
    link.setDefaultTimeout(100);
    EXPECT_EQ(protocol::GetStatus(link, "COM42", status), result::SendFailed);
}

}  // namespace
}  // namespace zirok
