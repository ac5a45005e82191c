#include "emulator/pty_server.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "emulator/control.hpp"
#include "emulator/frame_server.hpp"

namespace zirok::emulator {

namespace {

constexpr unsigned kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr std::uint64_t kIdleRetryMicros = 50'000;
// A host that stops reading leaves the pty full; the bytes of a real line
// would be gone by then, so give up on them.
constexpr int kWriteStallMillis = 1000;
constexpr std::size_t kMaxControlLine = 4096;
// A host that stops half-way through a data block has given up on it.
constexpr int kBlockIdleMillis = 3000;

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

std::uint64_t nowMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

std::uint64_t lineMicros(std::size_t bytes, unsigned baud) {
    return baud == 0 ? 0 : bytes * kBitsPerByte * 1'000'000ULL / baud;
}

std::string clockText() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    std::ostringstream text;
    text << std::put_time(&local, "%H:%M:%S") << '.' << std::setw(3) << std::setfill('0') << millis;
    return text.str();
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

std::string printableBytes(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0x02) {
            text += "<STX>";
        } else if (byte == 0x03) {
            text += "<ETX>";
        } else if (byte == 0x1C) {
            text += "<FS>";
        } else if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            text += c;
        } else {
            text += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0x0F]};
        }
    }
    return text;
}

PtyServer::PtyServer(FrameServer& frames, RegisterState& state, FaultPlan& faults,
                     PtyOptions options)
    : frames_(frames), state_(state), faults_(faults), options_(std::move(options)) {}

PtyServer::~PtyServer() {
    if (madeLink_) {
        // Leave the link alone if another emulator has taken the name meanwhile.
        std::error_code ec;
        if (std::filesystem::read_symlink(options_.linkPath, ec) == slaveName_ && !ec) {
            std::filesystem::remove(options_.linkPath, ec);
        }
    }
    if (madeFifo_) ::unlink(options_.controlPath.c_str());
    closeFd(control_);
    closeFd(slaveHold_);
    closeFd(master_);
}

void PtyServer::start() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) throwErrno("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) throwErrno("grantpt/unlockpt");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) throwErrno("ptsname_r");
    slaveName_ = name;

    // Holding the slave open ourselves keeps the pty alive while the host has
    // it closed, so the master never reports a hang-up between the host's
    // sessions, and the raw settings below stay in force for every open.
    slaveHold_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slaveHold_ < 0) throwErrno(std::string("open ") + name);
    termios tio{};
    if (::tcgetattr(slaveHold_, &tio) != 0) throwErrno("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(slaveHold_, TCSANOW, &tio) != 0) throwErrno("tcsetattr");

    const int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) throwErrno("fcntl");

    if (!options_.controlPath.empty()) openControl();
    makeLink();
}

void PtyServer::makeLink() {
    namespace fs = std::filesystem;
    const fs::path link(options_.linkPath);
    std::error_code ec;
    const fs::file_status existing = fs::symlink_status(link, ec);
    if (fs::exists(existing) && !fs::is_symlink(existing)) {
        throw std::runtime_error(options_.linkPath + " exists and is not a symbolic link");
    }
    if (link.has_parent_path()) fs::create_directories(link.parent_path());
    // Make the link beside its final name, then rename it over a stale one in one step.
    const fs::path temporary = link.string() + ".new" + std::to_string(::getpid());
    fs::remove(temporary, ec);
    fs::create_symlink(slaveName_, temporary);
    fs::rename(temporary, link);
    madeLink_ = true;
}

void PtyServer::openControl() {
    struct stat info {};
    if (::stat(options_.controlPath.c_str(), &info) == 0) {
        if (!S_ISFIFO(info.st_mode)) {
            throw std::runtime_error(options_.controlPath + " exists and is not a FIFO");
        }
    } else {
        if (::mkfifo(options_.controlPath.c_str(), 0600) != 0) throwErrno("mkfifo");
        madeFifo_ = true;
    }
    // Opened for writing too, so the FIFO never reads as closed between writers.
    control_ = ::open(options_.controlPath.c_str(), O_RDWR | O_NONBLOCK);
    if (control_ < 0) throwErrno("open " + options_.controlPath);
}

void PtyServer::serve(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask) {
    stop_ = &stop;
    waitMask_ = &waitMask;
    while (!stop) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {control_, POLLIN, 0}};
        const nfds_t count = control_ >= 0 ? 2 : 1;
        const timespec blockIdle{kBlockIdleMillis / 1000, 0};
        const int ready =
            ::ppoll(fds, count, frames_.collectingBlock() ? &blockIdle : nullptr, &waitMask);
        if (ready < 0) {
            if (errno == EINTR) continue;
            throwErrno("ppoll");
        }
        if (ready == 0) {
            logLine("dropped", "data block unfinished: host stopped sending");
            frames_.abandonBlock();
            continue;
        }
        // Control first: a line written before a request must govern its answer.
        const bool controlApplied = count == 2 && (fds[1].revents & POLLIN) && readControl();
        if (fds[0].revents & POLLIN) {
            readPort();
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            pause(kIdleRetryMicros);
        }
        if (options_.afterEachRound) options_.afterEachRound(controlApplied);
    }
}

bool PtyServer::readControl() {
    bool applied = false;
    char chunk[512];
    ssize_t n;
    while ((n = ::read(control_, chunk, sizeof chunk)) > 0) controlBuffer_.append(chunk, n);
    // A writer that never ends its line must not grow the buffer without bound.
    if (controlBuffer_.size() > kMaxControlLine && controlBuffer_.find('\n') == std::string::npos) {
        logLine("control error", "line too long, dropped");
        controlBuffer_.clear();
    }
    std::size_t end;
    while ((end = controlBuffer_.find('\n')) != std::string::npos) {
        const std::string line = controlBuffer_.substr(0, end);
        controlBuffer_.erase(0, end + 1);
        const std::string error = applyControl(line, state_, faults_);
        logLine("control", line);
        if (!error.empty()) {
            logLine("control error", error);
            std::cerr << "zirok-emulator: " << error << '\n';
        } else {
            applied = true;
        }
    }
    return applied;
}

void PtyServer::readPort() {
    char chunk[4096];
    const ssize_t n = ::read(master_, chunk, sizeof chunk);
    if (n <= 0) {
        // EIO while no one has the slave open; EAGAIN on a spurious wake-up.
        if (n < 0 && errno != EAGAIN && errno != EINTR) pause(kIdleRetryMicros);
        return;
    }
    const std::string_view bytes(chunk, static_cast<std::size_t>(n));
    logLine("in ", printableBytes(bytes));
    // At a real line speed the request would still be arriving.
    if (!pause(lineMicros(bytes.size(), options_.baud))) return;
    for (const Transmission& t : frames_.receive(bytes)) {
        if (t.delayMs > 0 && !pause(t.delayMs * 1000ULL)) return;
        // After a stall the host is not listening; its other answers would stall too.
        if (!send(t.bytes, t.baud != 0 ? t.baud : options_.baud)) return;
    }
}

bool PtyServer::send(const std::string& bytes, unsigned baud) {
    logLine("out", printableBytes(bytes));
    const std::uint64_t start = nowMicros();
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        std::size_t due = bytes.size();
        if (baud != 0) {
            // A byte reaches the host when its stop bit is through.
            const std::uint64_t elapsed = nowMicros() - start;
            due = std::min<std::size_t>(bytes.size(), elapsed * baud / kBitsPerByte / 1'000'000);
            if (due <= sent) {
                const std::uint64_t next = start + lineMicros(sent + 1, baud);
                const std::uint64_t now = nowMicros();
                if (!pause(next > now ? next - now : 0)) return false;
                continue;
            }
        }
        if (!writeSome(bytes.data() + sent, due - sent)) {
            logLine("dropped", std::to_string(bytes.size() - sent) + " bytes: host not reading");
            return false;
        }
        sent = due;
    }
    return true;
}

bool PtyServer::writeSome(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(master_, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if ((n < 0 && errno != EAGAIN && errno != EINTR) || *stop_) return false;
        pollfd out{master_, POLLOUT, 0};
        const timespec limit{kWriteStallMillis / 1000, (kWriteStallMillis % 1000) * 1'000'000L};
        if (::ppoll(&out, 1, &limit, waitMask_) <= 0 || *stop_) return false;
    }
    return true;
}

bool PtyServer::pause(std::uint64_t micros) {
    const std::uint64_t until = nowMicros() + micros;
    while (!*stop_) {
        const std::uint64_t now = nowMicros();
        if (now >= until) return true;
        const std::uint64_t left = until - now;
        const timespec wait{static_cast<time_t>(left / 1'000'000),
                            static_cast<long>(left % 1'000'000 * 1000)};
        ::ppoll(nullptr, 0, &wait, waitMask_);
    }
    return false;
}

void PtyServer::logLine(std::string_view what, std::string_view text) {
    if (!options_.log) return;
    *options_.log << clockText() << ' ' << what << ' ' << text << '\n' << std::flush;
}

}  // namespace zirok::emulator
