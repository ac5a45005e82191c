// The transport library as the protocol layer uses it: loaded at run time from
// the folder of the calling binary, talking to a pseudo-terminal whose slave
// side a $ZIROK_HOME/ports link names.
#include "transport/comdll.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "emulator_process.hpp"
#include "platform/library.hpp"
#include "transport/comdll_results.h"

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

struct Comdll {
    std::unique_ptr<zirok::platform::Library> library;
    OpenCOMFn open = nullptr;
    CloseCOMFn close = nullptr;
    SendCOMFn send = nullptr;
    ReceiveCOMFn receive = nullptr;
    SetTimeoutsFn setTimeouts = nullptr;
    ClearBufferFn clear = nullptr;
};

// Loaded once and kept, as the service object keeps it.
const Comdll& comdll() {
    static const Comdll loaded = [] {
        Comdll c;
        const std::string path =
            zirok::testing::binaryFolder() + zirok::platform::libraryFileName("comdll");
        std::string error;
        c.library = zirok::platform::Library::load(path, &error);
        if (!c.library) {
            ADD_FAILURE() << error;
            std::abort();
        }
        c.open = c.library->function<OpenCOMFn>("OpenCOM");
        c.close = c.library->function<CloseCOMFn>("CloseCOM");
        c.send = c.library->function<SendCOMFn>("SendCOM");
        c.receive = c.library->function<ReceiveCOMFn>("ReceiveCOM");
        c.setTimeouts = c.library->function<SetTimeoutsFn>("SetTimeouts");
        c.clear = c.library->function<ClearBufferFn>("ClearBuffer");
        return c;
    }();
    return loaded;
}

long long millisSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

Bytes everyByteValue() {
    Bytes bytes(256);
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<unsigned char>(i);
    return bytes;
}

// The master side of a pseudo-terminal: the far end of the line.
class Pty {
  public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) std::abort();
        slave_ = ptsname(master_);
    }
    ~Pty() { hangUp(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& slave() const { return slave_; }
    int master() const { return master_; }
    void hangUp() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    void write(const Bytes& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads until `count` bytes came or nothing came for `quietMs`.
    Bytes read(std::size_t count, int quietMs = 2000) const {
        Bytes got;
        unsigned char chunk[65536];
        while (got.size() < count) {
            pollfd pfd{master_, POLLIN, 0};
            if (poll(&pfd, 1, quietMs) <= 0) break;
            ssize_t n = ::read(master_, chunk, std::min(sizeof chunk, count - got.size()));
            if (n <= 0) break;
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }
    // The line settings the slave side was given.
    termios settings() const {
        termios tio{};
        EXPECT_EQ(tcgetattr(master_, &tio), 0);
        return tio;
    }

  private:
    int master_ = -1;
    std::string slave_;
};

class ComdllTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(root_ / "dev");  // no detected devices
        setenv("ZIROK_DEV_ROOT", (root_ / "dev").c_str(), 1);
        link("com7", pty_.slave());
    }
    void TearDown() override {
        for (const char* port : {"COM6", "COM7", "COM8", "COM9"}) c().close(port);
        unsetenv("ZIROK_DEV_ROOT");
    }

    static const Comdll& c() { return comdll(); }
    void link(const std::string& name, const fs::path& target) const {
        fs::create_symlink(target, root_ / "ports" / name);
    }
    int receiveByte(const char* port, unsigned char& byte) const {
        return c().receive(port, &byte, 1);
    }
    Bytes receive(const char* port, std::size_t count) const {
        Bytes got;
        unsigned char byte = 0;
        while (got.size() < count && receiveByte(port, byte) == 1) got.push_back(byte);
        return got;
    }

    zirok::testing::TempZirokHome home_;
    const fs::path root_ = home_.path();
    Pty pty_;
};

TEST_F(ComdllTest, OpensARaw8N1LineAtTheRequestedSpeed) {
    const struct {
        int baud;
        speed_t code;
        int handshake;
    } cases[] = {{1200, B1200, 0}, {9600, B9600, 1}, {57600, B57600, 0}, {115200, B115200, 1}};
    for (const auto& each : cases) {
        SCOPED_TRACE(each.baud);
        ASSERT_EQ(c().open("COM7", each.baud, each.handshake), COMDLL_OPEN_OK);
        const termios tio = pty_.settings();
        EXPECT_EQ(cfgetospeed(&tio), each.code);
        EXPECT_EQ(cfgetispeed(&tio), each.code);
        EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CLOCAL | CREAD), CS8 | CLOCAL | CREAD);
        EXPECT_EQ((tio.c_cflag & CRTSCTS) != 0, each.handshake != 0);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(c().close("COM7"), 0);
    }
}

TEST_F(ComdllTest, OpensClosesAndReopens) {
    ASSERT_EQ(c().open("COM7", 9600, 0), COMDLL_OPEN_OK);
    EXPECT_EQ(c().open("com7", 19200, 0), COMDLL_OPEN_OK) << "a reopen replaces the open port";
    const termios tio = pty_.settings();
    EXPECT_EQ(cfgetospeed(&tio), B19200);
    EXPECT_EQ(c().close("COM7"), 0);

    // Closed: every call refuses without touching anything.
    unsigned char byte = 0x55;
    EXPECT_EQ(c().close("COM7"), COMDLL_NOT_OPEN);
    EXPECT_EQ(c().send("COM7", &byte, 1), 0);
    EXPECT_EQ(c().receive("COM7", &byte, 1), -1);
    EXPECT_EQ(c().setTimeouts("COM7", 100), COMDLL_NOT_OPEN);
    EXPECT_EQ(c().clear("COM7", 1, 1), COMDLL_NOT_OPEN);
    EXPECT_EQ(byte, 0x55);

    ASSERT_EQ(c().open("COM7", 9600, 0), COMDLL_OPEN_OK);
    EXPECT_EQ(c().send("COM7", &byte, 1), 1);
    EXPECT_EQ(pty_.read(1), Bytes{0x55});
}

TEST_F(ComdllTest, RefusesPortsItCannotUseAtOnce) {
    const fs::path file = root_ / "plain-file";
    std::ofstream(file) << "not a line";
    link("com6", file);
    link("com8", pty_.slave());  // a second name for the same device
    link("com9", root_);         // a folder
    link("com5", root_ / "gone");

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(c().open(nullptr, 9600, 0), COMDLL_OPEN_UNKNOWN_PORT);
    EXPECT_EQ(c().open("", 9600, 0), COMDLL_OPEN_UNKNOWN_PORT);
    EXPECT_EQ(c().open("COM4", 9600, 0), COMDLL_OPEN_UNKNOWN_PORT);
    EXPECT_EQ(c().open("COM5", 9600, 0), COMDLL_OPEN_UNKNOWN_PORT);
    EXPECT_EQ(c().open("COM6", 9600, 0), COMDLL_OPEN_NOT_SERIAL);
    EXPECT_EQ(c().open("COM9", 9600, 0), COMDLL_OPEN_CANNOT_OPEN);
    EXPECT_EQ(c().open("COM7", 12345, 0), COMDLL_OPEN_UNSUPPORTED_SPEED);
    EXPECT_EQ(c().open("COM7", 0, 0), COMDLL_OPEN_UNSUPPORTED_SPEED);

    ASSERT_EQ(c().open("COM7", 9600, 0), COMDLL_OPEN_OK);
    EXPECT_EQ(c().open("COM8", 9600, 0), COMDLL_OPEN_BUSY);
    EXPECT_EQ(c().send("COM8", "x", 1), 0) << "a refused port is not open";

    // A reopen at a speed the line cannot take leaves the port closed.
    EXPECT_EQ(c().open("COM7", -9600, 0), COMDLL_OPEN_UNSUPPORTED_SPEED);
    EXPECT_EQ(c().send("COM7", "x", 1), 0);
    EXPECT_EQ(c().open("COM8", 9600, 0), COMDLL_OPEN_OK) << "the device is free again";
    EXPECT_LT(millisSince(start), 2000);
}

TEST_F(ComdllTest, MovesEveryByteValueBothWays) {
    ASSERT_EQ(c().open("COM7", 115200, 0), COMDLL_OPEN_OK);
    const Bytes all = everyByteValue();

    EXPECT_EQ(c().send("COM7", all.data(), static_cast<int>(all.size())), 256);
    EXPECT_EQ(pty_.read(all.size()), all);

    pty_.write(all);
    EXPECT_EQ(receive("com7", all.size()), all);
}

TEST_F(ComdllTest, SendsMoreThanTheLineBuffersHoldAndGivesUpOnAStalledLine) {
    ASSERT_EQ(c().open("COM7", 2000000, 0), COMDLL_OPEN_OK);
    Bytes big(256 * 1024);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<unsigned char>(i * 7 + i / 251);

    Bytes echoed;
    std::thread reader([&] { echoed = pty_.read(big.size()); });
    EXPECT_EQ(c().send("COM7", big.data(), static_cast<int>(big.size())),
              static_cast<int>(big.size()));
    reader.join();
    EXPECT_EQ(echoed, big);

    // Nobody reads now: the write stops after its time-out with a short count.
    ASSERT_EQ(c().setTimeouts("COM7", 200), 0);
    const auto start = std::chrono::steady_clock::now();
    const int written = c().send("COM7", big.data(), static_cast<int>(big.size()));
    EXPECT_GT(written, 0);
    EXPECT_LT(written, static_cast<int>(big.size()));
    EXPECT_LT(millisSince(start), 10000);
}

TEST_F(ComdllTest, ReceiveWaitsForAByteUpToThePerByteTimeOut) {
    ASSERT_EQ(c().open("COM7", 9600, 0), COMDLL_OPEN_OK);
    unsigned char byte = 0;

    ASSERT_EQ(c().setTimeouts("COM7", 300), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(receiveByte("COM7", byte), 0);
    EXPECT_GE(millisSince(start), 250);
    EXPECT_LT(millisSince(start), 3000);

    ASSERT_EQ(c().setTimeouts("COM7", 0), 0);
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(receiveByte("COM7", byte), 0);
    EXPECT_LT(millisSince(start), 200);
    // With no time to wait, a byte already there is still taken.
    pty_.write({0x15});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(receiveByte("COM7", byte), 1);
    EXPECT_EQ(byte, 0x15);

    // A byte that comes during the wait ends it.
    ASSERT_EQ(c().setTimeouts("COM7", 5000), 0);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty_.write({0x06});
    });
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(receiveByte("COM7", byte), 1);
    EXPECT_LT(millisSince(start), 2500);
    writer.join();
    EXPECT_EQ(byte, 0x06);
}

TEST_F(ComdllTest, ClearBufferDropsPendingInputIncludingTheReadAhead) {
    ASSERT_EQ(c().open("COM7", 9600, 0), COMDLL_OPEN_OK);
    ASSERT_EQ(c().setTimeouts("COM7", 1000), 0);
    pty_.write({'a', 'b', 'c', 'd'});
    unsigned char byte = 0;
    ASSERT_EQ(receiveByte("COM7", byte), 1);  // "bcd" now waits in the read-ahead
    EXPECT_EQ(byte, 'a');
    pty_.write({'e', 'f'});  // and "ef" in the line's queue
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    EXPECT_EQ(c().clear("COM7", 1, 1), 0);
    pty_.write({'z'});
    ASSERT_EQ(receiveByte("COM7", byte), 1);
    EXPECT_EQ(byte, 'z');
    ASSERT_EQ(c().setTimeouts("COM7", 100), 0);
    EXPECT_EQ(receiveByte("COM7", byte), 0);
}

TEST_F(ComdllTest, FramesSentBackToBackSurviveTheClearBeforeEachSend) {
    // Frames written without an answer in between, each preceded by the clear
    // that begins every request: none may be lost on its way out.
    ASSERT_EQ(c().open("COM7", 57600, 0), COMDLL_OPEN_OK);
    Bytes expected;
    for (int frame = 0; frame < 200; ++frame) {
        Bytes bytes(40, static_cast<unsigned char>('A' + frame % 26));
        ASSERT_EQ(c().clear("COM7", 1, 1), 0);
        ASSERT_EQ(c().send("COM7", bytes.data(), static_cast<int>(bytes.size())), 40);
        expected.insert(expected.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(pty_.read(expected.size()), expected);
}

TEST_F(ComdllTest, AHangUpOfTheOtherSideEndsReadsPromptly) {
    ASSERT_EQ(c().open("COM7", 9600, 0), COMDLL_OPEN_OK);
    ASSERT_EQ(c().setTimeouts("COM7", 5000), 0);
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty_.hangUp();
    });
    unsigned char byte = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_LT(receiveByte("COM7", byte), 0) << "hang-up while waiting";
    closer.join();
    EXPECT_LT(millisSince(start), 2500);

    start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) EXPECT_LT(receiveByte("COM7", byte), 0) << "after the hang-up";
    EXPECT_EQ(c().send("COM7", "ab", 2), 0);
    EXPECT_LT(millisSince(start), 1000);
    EXPECT_EQ(c().close("COM7"), 0);
}

TEST_F(ComdllTest, KeepsSeveralPortsApart) {
    Pty other;
    link("com8", other.slave());
    ASSERT_EQ(c().open("COM7", 9600, 0), COMDLL_OPEN_OK);
    ASSERT_EQ(c().open("COM8", 57600, 0), COMDLL_OPEN_OK);

    pty_.write({'7'});
    other.write({'8'});
    EXPECT_EQ(receive("COM8", 1), Bytes{'8'});
    EXPECT_EQ(receive("COM7", 1), Bytes{'7'});
    EXPECT_EQ(c().send("COM7", "seven", 5), 5);
    EXPECT_EQ(c().send("COM8", "eight", 5), 5);
    EXPECT_EQ(pty_.read(5), (Bytes{'s', 'e', 'v', 'e', 'n'}));
    EXPECT_EQ(other.read(5), (Bytes{'e', 'i', 'g', 'h', 't'}));

    EXPECT_EQ(c().close("COM7"), 0);
    other.write({'!'});
    EXPECT_EQ(receive("COM8", 1), Bytes{'!'});
}

}  // namespace
