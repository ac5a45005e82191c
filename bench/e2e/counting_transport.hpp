#pragma once
// A transport that hands everything to the real one and keeps count of what
// crosses the line, so a measured run can be set against the time the line
// and the driver's own pauses take at the least.
#include <cstdint>
#include <memory>

#include "protocol/transport.hpp"

namespace zirok::bench {

struct LineTally {
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesReceived = 0;
    std::uint64_t requests = 0;
    // Answers read after a command the driver pauses for before reading.
    std::uint64_t pausedReads = 0;
    // Drawer polls that pace a package: they follow a request left unanswered.
    std::uint64_t pacingSteps = 0;

    void clear() { *this = {}; }
    // The least time the run can take: every byte's 10 bits at `baud` both
    // ways, and the pauses.
    double floorSeconds(int baud, double pauseSeconds, double pacingSeconds) const {
        return static_cast<double>(bytesSent + bytesReceived) * 10.0 / baud +
               static_cast<double>(pausedReads) * pauseSeconds +
               static_cast<double>(pacingSteps) * pacingSeconds;
    }
};

class CountingTransport : public protocol::Transport {
  public:
    CountingTransport(std::unique_ptr<protocol::Transport> inner, LineTally& tally)
        : inner_(std::move(inner)), tally_(tally) {}

    int open(const char* port, int baudRate, int handshake) override;
    void close(const char* port) override;
    int send(const char* port, const char* data, int count) override;
    int receive(const char* port, char* byte) override;
    void setTimeout(const char* port, int milliseconds) override;
    void clearBuffers(const char* port) override;

  private:
    std::unique_ptr<protocol::Transport> inner_;
    LineTally& tally_;
    bool pauseDue_ = false;
    bool answered_ = true;
};

}  // namespace zirok::bench
