// The serial transport on termios. Raw 8N1 lines opened non-blocking; every
// wait is a poll() bounded by a time-out, so no call can hang on a silent or
// stalled line, and a hang-up of the other side ends a read at once.
//
// Like the protocol layer that calls it, the library keeps no locks: calls
// must not overlap (the callers run on one thread). Several ports may be open
// at once; each is found by its name, case-insensitively.
#include "transport/comdll.h"

#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/serial_ports.hpp"
#include "transport/comdll_results.h"

namespace {

constexpr int kDefaultTimeoutMs = 5000;
constexpr int kMinWriteTimeoutMs = 1000;

std::int64_t nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

struct Speed {
    int baud;
    speed_t code;
};

constexpr Speed kSpeeds[] = {
    {110, B110},         {300, B300},         {600, B600},         {1200, B1200},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},
    {38400, B38400},     {57600, B57600},     {115200, B115200},   {230400, B230400},
    {460800, B460800},   {500000, B500000},   {576000, B576000},   {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
};

const Speed* speedFor(int baud) {
    for (const Speed& s : kSpeeds)
        if (s.baud == baud) return &s;
    return nullptr;
}

struct Port {
    std::string name;  // upper case
    int fd = -1;
    int baud = 0;
    int timeoutMs = kDefaultTimeoutMs;
    std::size_t head = 0, tail = 0;  // unread bytes of `ahead` are [head, tail)
    // The last read emptied the line's queue: the next one waits first rather
    // than asking a queue that is most likely still empty. An answer arriving
    // at line speed then costs one wake-up a chunk, not a failed read besides.
    bool drained = false;
    // A send gave up with bytes still queued: only then has a clear anything
    // of ours to throw away on the output side.
    bool unsentLeft = false;
    unsigned char ahead[4096];

    Port(std::string n, int f, int b) : name(std::move(n)), fd(f), baud(b) {}
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;
    ~Port() {
        ioctl(fd, TIOCNXCL);
        // Unsent bytes are dropped: a stalled line must not hold close() for
        // the driver's closing wait.
        tcflush(fd, TCOFLUSH);
        close(fd);
    }
};

std::vector<std::unique_ptr<Port>> openPorts;
Port* recent = nullptr;  // the last port used: byte-by-byte reads skip the search

Port* findPort(const char* name) {
    if (!name) return nullptr;
    if (recent && std::strcmp(recent->name.c_str(), name) == 0) return recent;
    for (auto& port : openPorts)
        if (strcasecmp(port->name.c_str(), name) == 0) return recent = port.get();
    return nullptr;
}

bool closePort(const char* name) {
    Port* port = findPort(name);
    if (!port) return false;
    recent = nullptr;
    openPorts.erase(std::find_if(openPorts.begin(), openPorts.end(),
                                 [port](const auto& p) { return p.get() == port; }));
    return true;
}

std::string upperCase(const char* text) {
    std::string s = text;
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Waits until `fd` is ready for `events` or `deadline` passes. Returns the
// poll events, 0 on time-out, -1 on failure.
int waitUntil(int fd, short events, std::int64_t deadline) {
    for (;;) {
        // A deadline already past still looks once: what is there is taken.
        const std::int64_t left = std::max<std::int64_t>(deadline - nowMs(), 0);
        pollfd pfd{fd, events, 0};
        int ready = poll(&pfd, 1, static_cast<int>(std::min<std::int64_t>(left, INT32_MAX)));
        if (ready > 0) return pfd.revents;
        if (ready == 0) return 0;
        if (errno != EINTR) return -1;
    }
}

// Fills the read-ahead buffer with what the line holds, waiting up to the
// port's time-out for the first byte: 1 when filled, 0 on time-out, -1 on an
// error or a hang-up.
int fillReadAhead(Port& port) {
    std::int64_t deadline = -1;
    bool hungUp = false;
    for (;;) {
        if (port.drained) {
            if (deadline < 0) deadline = nowMs() + port.timeoutMs;
            const int events = waitUntil(port.fd, POLLIN, deadline);
            if (events <= 0) return events;
            if (events & POLLNVAL) return -1;
            hungUp = (events & (POLLHUP | POLLERR)) != 0;
        }
        const ssize_t got = read(port.fd, port.ahead, sizeof port.ahead);
        if (got > 0) {
            port.head = 0;
            port.tail = static_cast<std::size_t>(got);
            port.drained = port.tail < sizeof port.ahead;
            return 1;
        }
        if (got == 0) return -1;  // VMIN is 1, so end of file means a hang-up
        if (errno == EINTR) continue;
        if (errno != EAGAIN || hungUp) return -1;
        // Woken with nothing to read, and no time left to wait for more.
        if (deadline >= 0 && deadline <= nowMs()) return 0;
        port.drained = true;
    }
}

// Waits, within the deadline, until the bytes written have left the
// computer; false when some are still queued at the deadline. The next
// request begins by clearing the port, and that clear must not throw away the
// previous frame still on its way: in package mode frames follow one another
// without an answer in between.
bool waitForLine(const Port& p, std::int64_t deadline) {
    for (;;) {
        int pending = 0;
        if (ioctl(p.fd, TIOCOUTQ, &pending) != 0 || pending <= 0) return true;
        const std::int64_t left = deadline - nowMs();
        if (left <= 0) return false;
        // Sleep about as long as the queued bytes need on the line.
        std::int64_t us = static_cast<std::int64_t>(pending) * 10 * 1000000 / p.baud;
        us = std::clamp<std::int64_t>(us, 100, std::min<std::int64_t>(left * 1000, 5000));
        timespec pause{0, static_cast<long>(us * 1000)};
        nanosleep(&pause, nullptr);
    }
}

}  // namespace

extern "C" {

COMDLL_EXPORT int COMDLL_API OpenCOM(const char* port, int baudRate, int handshake) {
    if (!port || !*port) return COMDLL_OPEN_UNKNOWN_PORT;
    closePort(port);  // a reopen starts afresh

    const Speed* speed = speedFor(baudRate);
    if (!speed) return COMDLL_OPEN_UNSUPPORTED_SPEED;
    const std::string device = zirok::platform::serialPortDevice(port);
    if (device.empty()) return COMDLL_OPEN_UNKNOWN_PORT;

    int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EBUSY ? COMDLL_OPEN_BUSY : COMDLL_OPEN_CANNOT_OPEN;
    auto refuse = [fd](int result) {
        close(fd);
        return result;
    };
    if (!isatty(fd)) return refuse(COMDLL_OPEN_NOT_SERIAL);
    // The lock refuses a second handle of ours on the device, in this process
    // or another; TIOCEXCL (below) also keeps out programs that do not lock.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return refuse(COMDLL_OPEN_BUSY);

    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return refuse(COMDLL_OPEN_SETUP_FAILED);
    cfmakeraw(&tio);
    tio.c_iflag &= ~(IXOFF | IXANY);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD | (handshake ? CRTSCTS : 0);
    tio.c_cc[VMIN] = 1;  // with O_NONBLOCK: no data reads EAGAIN, a hang-up reads 0
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, speed->code) != 0 || cfsetospeed(&tio, speed->code) != 0 ||
        tcsetattr(fd, TCSANOW, &tio) != 0)
        return refuse(COMDLL_OPEN_SETUP_FAILED);
    if (tcgetattr(fd, &tio) != 0 || cfgetospeed(&tio) != speed->code)
        return refuse(COMDLL_OPEN_UNSUPPORTED_SPEED);
    tcflush(fd, TCIOFLUSH);
    ioctl(fd, TIOCEXCL);

    openPorts.push_back(std::make_unique<Port>(upperCase(port), fd, baudRate));
    return COMDLL_OPEN_OK;
}

COMDLL_EXPORT int COMDLL_API CloseCOM(const char* port) {
    return closePort(port) ? 0 : COMDLL_NOT_OPEN;
}

COMDLL_EXPORT int COMDLL_API SendCOM(const char* port, const void* data, int count) {
    Port* p = findPort(port);
    if (!p || !data || count <= 0) return 0;
    const auto* bytes = static_cast<const unsigned char*>(data);
    // Twice the time the bytes take on the line, plus the receive time-out
    // (long exactly when the register is slow to take data).
    const std::int64_t lineMs = static_cast<std::int64_t>(count) * 10 * 1000 / p->baud;
    const std::int64_t limitMs =
        std::max<std::int64_t>(2 * lineMs + p->timeoutMs, kMinWriteTimeoutMs);
    std::int64_t deadline = -1;
    int done = 0;
    while (done < count) {
        ssize_t put = write(p->fd, bytes + done, static_cast<std::size_t>(count - done));
        if (put > 0) {
            done += static_cast<int>(put);
            continue;
        }
        if (put < 0 && errno == EINTR) continue;
        if (put < 0 && errno != EAGAIN) break;
        if (deadline < 0) deadline = nowMs() + limitMs;
        int events = waitUntil(p->fd, POLLOUT, deadline);
        if (events <= 0 || (events & (POLLERR | POLLHUP | POLLNVAL))) break;
    }
    p->unsentLeft = done != count || !waitForLine(*p, deadline < 0 ? nowMs() + limitMs : deadline);
    return done;
}

// Serves bytes from the read-ahead; a system call only when it is empty. A
// count above 1 takes up to that many of the bytes already at hand.
COMDLL_EXPORT int COMDLL_API ReceiveCOM(const char* port, void* data, int count) {
    Port* p = findPort(port);
    if (!p || !data || count < 1) return -1;
    if (p->head == p->tail) {
        if (int filled = fillReadAhead(*p); filled <= 0) return filled;
    }
    const std::size_t n = std::min(static_cast<std::size_t>(count), p->tail - p->head);
    std::memcpy(data, p->ahead + p->head, n);
    p->head += n;
    return static_cast<int>(n);
}

COMDLL_EXPORT int COMDLL_API SetTimeouts(const char* port, int milliseconds) {
    Port* p = findPort(port);
    if (!p) return COMDLL_NOT_OPEN;
    p->timeoutMs = std::max(milliseconds, 0);
    return 0;
}

COMDLL_EXPORT int COMDLL_API ClearBuffer(const char* port, int input, int output) {
    Port* p = findPort(port);
    if (!p) return COMDLL_NOT_OPEN;
    if (input) {
        p->head = p->tail = 0;
        p->drained = true;
    }
    // Output is flushed only when bytes are really stuck (a send that gave up
    // on a blocked line): a completed send has left nothing behind, and a
    // flush racing the last frame's way out would lose it.
    int stuck = 0;
    if (output && (!p->unsentLeft || ioctl(p->fd, TIOCOUTQ, &stuck) != 0 || stuck <= 0)) output = 0;
    if (output) p->unsentLeft = false;
    if (!input && !output) return 0;
    return tcflush(p->fd, input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH) == 0 ? 0 : -1;
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&OpenCOM), OpenCOMFn>);
static_assert(std::is_same_v<decltype(&CloseCOM), CloseCOMFn>);
static_assert(std::is_same_v<decltype(&SendCOM), SendCOMFn>);
static_assert(std::is_same_v<decltype(&ReceiveCOM), ReceiveCOMFn>);
static_assert(std::is_same_v<decltype(&SetTimeouts), SetTimeoutsFn>);
static_assert(std::is_same_v<decltype(&ClearBuffer), ClearBufferFn>);
