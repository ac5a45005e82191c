#include "platform/serial_ports.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "emulator_process.hpp"

namespace fs = std::filesystem;
using zirok::platform::enumerateSerialPorts;
using zirok::platform::SerialPort;
using zirok::platform::serialPortDevice;

namespace {

// A link's friendly name shows its target with every "COM" written "com", so
// the port-name cut finds the suffix.
std::string shown(const fs::path& target) {
    std::string text = target.string();
    for (auto at = text.find("COM"); at != std::string::npos; at = text.find("COM", at))
        text.replace(at, 3, "com");
    return text;
}

// A temporary ZIROK_HOME with fake /dev and /sys roots inside it.
class SerialPortsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(root_ / "dev");
        fs::create_directories(root_ / "sys/class/tty");
        setenv("ZIROK_DEV_ROOT", (root_ / "dev").c_str(), 1);
        setenv("ZIROK_SYS_ROOT", (root_ / "sys").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("ZIROK_DEV_ROOT");
        unsetenv("ZIROK_SYS_ROOT");
    }

    fs::path dev(const std::string& node) const { return root_ / "dev" / node; }
    void touch(const fs::path& path) const { std::ofstream(path).put('x'); }
    // A ttyS node; `uartType` < 0: no hardware behind it.
    void addUart(int number, int uartType) const {
        const std::string node = "ttyS" + std::to_string(number);
        touch(dev(node));
        if (uartType < 0) return;
        const fs::path sys = root_ / "sys/class/tty" / node;
        fs::create_directories(sys / "device");
        std::ofstream(sys / "type") << uartType << '\n';
    }
    void link(const std::string& name, const fs::path& target) const {
        fs::create_symlink(target, root_ / "ports" / name);
    }

    zirok::testing::TempZirokHome home_;
    const fs::path root_ = home_.path();
};

TEST_F(SerialPortsTest, LinksComeFirstAndDetectedDevicesTakeTheFreeNumbers) {
    addUart(0, 4);
    addUart(1, 0);  // UART type unknown: not a port
    addUart(2, 4);
    addUart(3, -1);  // no device behind the node
    addUart(10, 4);  // sorted by number, after ttyS2
    touch(dev("ttyUSB0"));
    touch(dev("ttyUSB1"));
    touch(dev("ttyACM0"));
    touch(dev("ttyS"));  // no number: ignored
    touch(root_ / "tapeCOM");
    link("com2", dev("ttyUSB0"));     // named by the link only, once
    link("COM5", root_ / "tapeCOM");  // upper-case link name
    link("com3", root_ / "missing");  // dangling: not offered, number kept
    touch(root_ / "ports/com9");      // not a link: ignored

    struct Expected {
        std::string name, friendly, device;
        bool removable;
    };
    const Expected expected[] = {
        {"COM1", "Communications Port (COM1)", dev("ttyS0"), false},
        {"COM2", "Serial port " + shown(dev("ttyUSB0")) + " (COM2)", dev("ttyUSB0"), true},
        {"COM4", "Communications Port (COM4)", dev("ttyS2"), false},
        {"COM5", "Serial port " + shown(root_ / "tapeCOM") + " (COM5)", root_ / "tapeCOM", false},
        {"COM6", "Communications Port (COM6)", dev("ttyS10"), false},
        {"COM7", "USB Serial Port (COM7)", dev("ttyUSB1"), true},
        {"COM8", "USB Serial Device (COM8)", dev("ttyACM0"), true},
    };

    const std::vector<SerialPort> ports = enumerateSerialPorts();
    ASSERT_EQ(ports.size(), std::size(expected));
    for (std::size_t i = 0; i < ports.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(ports[i].name, expected[i].name);
        EXPECT_EQ(ports[i].friendlyName, expected[i].friendly);
        EXPECT_EQ(ports[i].device, fs::canonical(expected[i].device).string());
        EXPECT_EQ(ports[i].removable, expected[i].removable);
        // The port-name cut (from the first "COM" up to ")") gives the name back.
        const std::string& friendly = ports[i].friendlyName;
        const auto com = friendly.find("COM");
        EXPECT_EQ(friendly.substr(com, friendly.find(')', com) - com), ports[i].name);
        EXPECT_EQ(serialPortDevice(ports[i].name), ports[i].device);
    }
}

TEST_F(SerialPortsTest, NamesAreCaseInsensitiveAndUnknownNamesMapToNothing) {
    touch(dev("ttyUSB0"));
    link("com4", dev("ttyUSB0"));
    link("com3", root_ / "missing");
    const std::string device = fs::canonical(dev("ttyUSB0")).string();

    for (const char* name : {"COM4", "com4", "Com4", "cOM4"})
        EXPECT_EQ(serialPortDevice(name), device) << name;
    for (const char* name :
         {"COM3", "COM1", "COM04", "COM", "COMx", "LPT4", "", "COM4 ", "\\\\.\\COM4"})
        EXPECT_EQ(serialPortDevice(name), "") << name;
}

TEST_F(SerialPortsTest, NothingToFindListsNothing) {
    fs::remove_all(root_ / "ports");
    EXPECT_THAT(enumerateSerialPorts(), ::testing::IsEmpty());
    EXPECT_EQ(serialPortDevice("COM1"), "");
}

}  // namespace
