#include "bench/e2e/counting_transport.hpp"

namespace zirok::bench {

namespace {

constexpr char kStx = 0x02;
constexpr int kHeaderSize = 8;  // STX, password, packet id, two hex digits of the code
constexpr int kDrawerPoll = 0x81;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The commands whose answer the driver reads only after a fixed pause:
// status, start of work, document close and the printing commands.
bool pausedBeforeRead(int code) {
    switch (code) {
        case 0x00:
        case 0x10:
        case 0x31:
        case 0x40:
        case 0x41:
        case 0x49:
            return true;
        default:
            return false;
    }
}

}  // namespace

int CountingTransport::open(const char* port, int baudRate, int handshake) {
    return inner_->open(port, baudRate, handshake);
}

void CountingTransport::close(const char* port) {
    inner_->close(port);
}

int CountingTransport::send(const char* port, const char* data, int count) {
    const int written = inner_->send(port, data, count);
    if (written > 0) tally_.bytesSent += static_cast<std::uint64_t>(written);
    // A data block goes out byte by byte; only a whole frame is a request.
    if (count >= kHeaderSize && data[0] == kStx) {
        const int high = hexDigit(data[6]);
        const int low = hexDigit(data[7]);
        const int code = high < 0 || low < 0 ? -1 : high * 16 + low;
        if (code == kDrawerPoll && !answered_) ++tally_.pacingSteps;
        ++tally_.requests;
        pauseDue_ = pausedBeforeRead(code);
        answered_ = false;
    }
    return written;
}

int CountingTransport::receive(const char* port, char* byte) {
    const int received = inner_->receive(port, byte);
    if (received == 1) {
        ++tally_.bytesReceived;
        answered_ = true;
        if (pauseDue_) {
            ++tally_.pausedReads;
            pauseDue_ = false;
        }
    }
    return received;
}

void CountingTransport::setTimeout(const char* port, int milliseconds) {
    inner_->setTimeout(port, milliseconds);
}

void CountingTransport::clearBuffers(const char* port) {
    inner_->clearBuffers(port);
}

}  // namespace zirok::bench
