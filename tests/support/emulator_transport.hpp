#pragma once
// The emulator behind the link in-process: the command functions talk to a
// whole register model without a line, a process or a clock in between.
#include <deque>
#include <memory>
#include <string>

#include "emulator/faults.hpp"
#include "emulator/frame_server.hpp"
#include "emulator/register_model.hpp"
#include "protocol/register_link.hpp"
#include "protocol/transport.hpp"

namespace zirok::testing {

struct InProcessRegister {
    InProcessRegister();
    emulator::RegisterModel model;
    emulator::FaultPlan faults;
    emulator::FrameServer server{model, faults};
    std::deque<char> incoming;  // answers not yet read by the link
    std::size_t bytesSent = 0;  // by the link, for pacing checks
};

class EmulatorTransport final : public protocol::Transport {
public:
    explicit EmulatorTransport(InProcessRegister& reg) : reg_(reg) {}
    int open(const char*, int, int) override { return 0; }
    void close(const char*) override {}
    int send(const char* port, const char* data, int count) override;
    int receive(const char* port, char* byte) override;
    void setTimeout(const char*, int) override {}
    void clearBuffers(const char*) override { reg_.incoming.clear(); }

private:
    InProcessRegister& reg_;
};

// A link already connected to `reg` as port "COM1".
void connectInProcess(protocol::RegisterLink& link, InProcessRegister& reg);

}  // namespace zirok::testing
