// Finding the register's possible ports and letting the user pick a USB one.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "lifecycle_fixture.hpp"
#include "platform/ui_hooks.hpp"
#include "protocol/port_discovery.hpp"

namespace zirok {
namespace {

using protocol::PortFilter;
using Names = std::vector<std::string>;

TEST(PortNameCut, TakesFromTheFirstComToTheClosingBracket) {
    struct Case {
        const char* friendlyName;
        const char* port;
    } cases[] = {
        {"Communications Port (COM1)", "COM1"},
        {"USB-SERIAL CH340 (COM12)", "COM12"},
        {"Printer Port (LPT1)", ""},
        {"COM5", ""},                        // typed without the bracket
        {"COM3)", "COM3"},                   // typed with it
        {"Modem com5 (Com5)", ""},           // no "COM" as written
        {"Bridge COM (COM4)", "COM (COM4"},  // the first "COM" counts
    };
    for (const Case& c : cases)
        EXPECT_EQ(protocol::cutPortName(c.friendlyName), c.port) << c.friendlyName;
}

TEST(PortListing, KeepsPortsByKindAndSkipsWhatIsNoComPort) {
    const std::vector<platform::SerialPort> present = {
        {"COM1", "Communications Port (COM1)", "/dev/ttyS0", false},
        {"", "Printer Port (LPT1)", "/dev/lp0", false},
        {"COM12", "USB-SERIAL CH340 (COM12)", "/dev/ttyUSB0", true},
        {"COM5", "Modem com5 (Com5)", "/dev/ttyS4", false},
        {"COM6", "Broken COM6 (", "/dev/ttyUSB1", true},
    };
    struct Case {
        PortFilter filter;
        bool fullNames;
        Names expected;
    } cases[] = {
        {PortFilter::All, false, {"before", "COM1", "COM12"}},
        {PortFilter::Removable, false, {"before", "COM12"}},
        // Whole names are offered even when no port name can be cut out.
        {PortFilter::Removable, true, {"before", "USB-SERIAL CH340 (COM12)", "Broken COM6 ("}},
        {PortFilter::Fixed, false, {"before", "COM1"}},
    };
    for (const Case& c : cases) {
        Names out{"before"};  // listings append
        protocol::appendPortNames(present, c.filter, c.fullNames, out);
        EXPECT_EQ(out, c.expected) << static_cast<int>(c.filter) << " full " << c.fullNames;
    }
}

class PortsOfThisComputer : public ::testing::Test {
  protected:
    void SetUp() override {
        home_.addFakeDevice("ttyUSB0");  // detected: COM1, removable
        home_.addFakeDevice("ttyUSB1");  // detected: COM2, removable
        home_.addFakeDevice("serial-line");
        home_.linkPort(3, home_.devicePath("serial-line"));  // named: COM3, fixed
    }
    testing::LifecycleHome home_;
};

TEST_F(PortsOfThisComputer, ListingsFollowThePlatformsPorts) {
    Names all, usb, fixed, unknownMode;
    protocol::listAllPorts(all);
    protocol::listUsbPorts(usb);
    protocol::listPorts(fixed, 2);
    protocol::listPorts(unknownMode, 3);
    EXPECT_EQ(all, (Names{"COM1", "COM2", "COM3"}));
    EXPECT_EQ(usb, (Names{"COM1", "COM2"}));
    EXPECT_EQ(fixed, (Names{"COM3"}));
    EXPECT_TRUE(unknownMode.empty());
}

TEST_F(PortsOfThisComputer, TheUserPicksAmongTheUsbPortsByFriendlyName) {
    struct Case {
        const char* what;
        std::optional<std::u16string> answer;
        std::optional<std::string> port;
    } cases[] = {
        {"second entry", u"USB Serial Port (COM2)", "COM2"},
        {"typed with bracket", u"COM7)", "COM7"},
        {"typed without bracket", u"COM7", ""},
        {"cancelled", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        std::vector<std::u16string> offered;
        std::u16string prompt;
        int shown = 0;
        platform::ScopedChoosePortHook hook([&](std::u16string_view, std::u16string_view text,
                                                const std::vector<std::u16string>& entries) {
            ++shown;
            prompt = text;
            offered = entries;
            return c.answer;
        });
        EXPECT_EQ(protocol::selectUsbPort(), c.port) << c.what;
        EXPECT_EQ(shown, 1) << c.what;
        EXPECT_EQ(prompt, u"Выберите порт:");
        EXPECT_EQ(offered, (std::vector<std::u16string>{u"USB Serial Port (COM1)",
                                                        u"USB Serial Port (COM2)"}));
    }
}

}  // namespace
}  // namespace zirok
