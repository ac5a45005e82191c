#include "emulator_transport.hpp"

#include "emulator/commands/commands.hpp"

namespace zirok::testing {

InProcessRegister::InProcessRegister() { emulator::defineAllCommands(model); }

int EmulatorTransport::send(const char*, const char* data, int count) {
    reg_.bytesSent += static_cast<std::size_t>(count);
    for (const auto& transmission : reg_.server.receive({data, static_cast<std::size_t>(count)}))
        reg_.incoming.insert(reg_.incoming.end(), transmission.bytes.begin(), transmission.bytes.end());
    return count;
}

int EmulatorTransport::receive(const char*, char* byte) {
    if (reg_.incoming.empty()) return 0;  // nothing more will come: a time-out
    *byte = reg_.incoming.front();
    reg_.incoming.pop_front();
    return 1;
}

void connectInProcess(protocol::RegisterLink& link, InProcessRegister& reg) {
    link.setTransportFactory([&reg] { return std::make_unique<EmulatorTransport>(reg); });
    link.connect("MNVK", "COM1", 57600, false, false);
}

}  // namespace zirok::testing
