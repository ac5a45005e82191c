// Runs the real zirok-emulator program on a real pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/emulator/frame_test_support.hpp"

namespace {

namespace fs = std::filesystem;
using zirok::emulator::testing::request;
using zirok::emulator::testing::wire;
using zirok::emulator::testing::withChecksum;
using Clock = std::chrono::steady_clock;

class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern = (fs::temp_directory_path() / "zirok-emu-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchDir() { fs::remove_all(path_); }
    fs::path operator/(const char* name) const { return path_ / name; }

  private:
    fs::path path_;
};

// The emulator as a child process, stopped with SIGTERM at the latest when
// the test ends.
class Emulator {
  public:
    explicit Emulator(std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv{const_cast<char*>(ZIROK_EMULATOR_BIN)};
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(ZIROK_EMULATOR_BIN, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        stdout_ = out[0];
    }

    ~Emulator() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0) ::close(stdout_);
    }

    // The first line the program prints, or what it printed before ending.
    std::string firstLine() {
        std::string line;
        char c;
        pollfd p{stdout_, POLLIN, 0};
        while (::poll(&p, 1, 10'000) > 0 && ::read(stdout_, &c, 1) == 1 && c != '\n') line += c;
        return line;
    }

    // Exit status after SIGTERM (or after the program ended by itself).
    int stop(bool terminate = true) {
        if (terminate) ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    int stdout_ = -1;
};

// The host's side of the line: the slave device, opened through the link.
class Port {
  public:
    explicit Port(const fs::path& link) : fd_(::open(link.c_str(), O_RDWR | O_NOCTTY)) {}
    ~Port() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }

    void write(const std::string& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // One answer frame, by the host's end rule: two bytes after an ETX at offset 6 or later.
    std::string readAnswer(int timeoutMs = 5000) {
        std::string frame;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!(frame.size() >= 9 && frame[frame.size() - 3] == '\x03')) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd p{fd_, POLLIN, 0};
            char c;
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0 ||
                ::read(fd_, &c, 1) != 1) {
                break;
            }
            if (!frame.empty() || c == '\x02') frame += c;
        }
        return frame;
    }

    // One raw byte (the ACK before a data block); -1 when none comes.
    int readByte(int timeoutMs = 5000) {
        pollfd p{fd_, POLLIN, 0};
        unsigned char c;
        if (::poll(&p, 1, timeoutMs) <= 0 || ::read(fd_, &c, 1) != 1) return -1;
        return c;
    }

  private:
    int fd_;
};

const std::string kStatusAnswer = wire("<STX> 000064<FS>1<FS>0<FS><ETX>3C");

TEST(EmulatorProgram, ServesAcrossReopensAndRemovesItsLinkOnTerm) {
    ScratchDir dir;
    const fs::path link = dir / "com7";
    fs::create_symlink(dir / "gone", link);  // left behind by an earlier run

    Emulator emulator({"--link", link.string()});
    ASSERT_EQ(emulator.firstLine(), "ready " + link.string());
    {
        Port port(link);
        ASSERT_TRUE(port.isOpen());
        port.write(request("MNVK", ' ', "00"));
        EXPECT_EQ(port.readAnswer(), kStatusAnswer);
    }
    // The host closed the port; the register must still be there when it comes back.
    Port port(link);
    ASSERT_TRUE(port.isOpen());
    port.write(request("MNVK", '!', "81"));
    EXPECT_EQ(port.readAnswer(), withChecksum(wire("<STX>!81000<FS><ETX>")));

    EXPECT_EQ(emulator.stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(EmulatorProgram, ControlLinesGovernTheNextAnswers) {
    ScratchDir dir;
    const fs::path link = dir / "com7";
    const fs::path control = dir / "control";
    Emulator emulator({"--link", link.string(), "--control", control.string()});
    ASSERT_EQ(emulator.firstLine(), "ready " + link.string());
    Port port(link);
    ASSERT_TRUE(port.isOpen());

    std::ofstream(control) << "fault 00 silent once\ndrawer open\n";
    port.write(request("MNVK", ' ', "00"));
    EXPECT_EQ(port.readAnswer(300), "");
    port.write(request("MNVK", '!', "00"));
    EXPECT_EQ(port.readAnswer(), withChecksum(wire("<STX>!000064<FS>1<FS>0<FS><ETX>")));
    port.write(request("MNVK", '"', "81"));
    EXPECT_EQ(port.readAnswer(), withChecksum(wire("<STX>\"81001<FS><ETX>")));

    EXPECT_EQ(emulator.stop(), 0);
    EXPECT_FALSE(fs::exists(control));
}

TEST(EmulatorProgram, SlowLineTakesItsTime) {
    ScratchDir dir;
    const fs::path link = dir / "com7";
    Emulator emulator({"--link", link.string(), "--baud", "1200"});
    ASSERT_EQ(emulator.firstLine(), "ready " + link.string());
    Port port(link);
    ASSERT_TRUE(port.isOpen());

    const auto start = Clock::now();
    port.write(request("MNVK", ' ', "00"));
    EXPECT_EQ(port.readAnswer(), kStatusAnswer);
    // 11 bytes in and 16 out at 10 bits a byte, 1200 bits a second: 225 ms.
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(220));
}

// The host's clock as the register's date and time fields.
std::string clockFields() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d%m%y\x1C%H%M%S\x1C", &local);
    return text;
}

std::string fileText(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(EmulatorProgram, KeepsItsMemoryAndPrintsItsTapeAcrossRuns) {
    ScratchDir dir;
    const fs::path link = dir / "com7";
    const fs::path state = dir / "register.state";
    const fs::path tape = dir / "tape.txt";
    const std::vector<std::string> args{"--link",       link.string(), "--state",
                                        state.string(), "--tape",      tape.string()};
    {
        Emulator emulator(args);
        ASSERT_EQ(emulator.firstLine(), "ready " + link.string());
        Port port(link);
        ASSERT_TRUE(port.isOpen());
        port.write(request("MNVK", ' ', "10", clockFields()));
        EXPECT_EQ(port.readAnswer().substr(2, 4), "1000");
        // A data block: ACK first, then the block, then the answer.
        port.write(request("MNVK", '!', "15", wire("5<FS>")));
        EXPECT_EQ(port.readByte(), 0x06);
        port.write(
            "\x1B"
            "BMxy");
        EXPECT_EQ(port.readAnswer().substr(2, 4), "1500");
        port.write(request("MNVK", '"', "23", wire("Ivanova<FS>")));
        EXPECT_EQ(port.readAnswer().substr(2, 4), "2300");
        EXPECT_EQ(emulator.stop(), 0);
    }
    EXPECT_NE(fileText(tape).find("ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ"), std::string::npos) << fileText(tape);
    {
        Emulator emulator(args);
        ASSERT_EQ(emulator.firstLine(), "ready " + link.string());
        Port port(link);
        ASSERT_TRUE(port.isOpen());
        // Powered up again: the day must be started, the shift is still open.
        port.write(request("MNVK", ' ', "00"));
        EXPECT_EQ(port.readAnswer(), withChecksum(wire("<STX> 000064<FS>5<FS>0<FS><ETX>")));
    }
    std::ofstream(state) << "not a state file\n";
    Emulator broken(args);
    EXPECT_EQ(broken.firstLine(), "");
    EXPECT_EQ(broken.stop(false), 1) << "a state it cannot read is never overwritten";
}

TEST(EmulatorProgram, NeverReplacesAFileThatIsNotALink) {
    ScratchDir dir;
    const fs::path link = dir / "com7";
    std::ofstream(link) << "keep me";

    Emulator emulator({"--link", link.string()});
    EXPECT_EQ(emulator.firstLine(), "");
    EXPECT_EQ(emulator.stop(false), 1);
    std::ifstream kept(link);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");
}

}  // namespace
