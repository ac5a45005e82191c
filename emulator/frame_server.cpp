#include "emulator/frame_server.hpp"

namespace zirok::emulator {

FrameServer::FrameServer(RegisterModel& model, FaultPlan& faults) : model_(model), faults_(faults) {
    model_.setErrorInjector([this](std::uint8_t code) { return faults_.takeError(code); });
}

FrameServer::~FrameServer() {
    model_.setErrorInjector(nullptr);
}

std::vector<Transmission> FrameServer::receive(std::string_view bytes) {
    std::vector<Transmission> out;
    for (const std::string& frame : assembler_.feed(bytes)) {
        if (const auto answer = model_.handle(frame)) {
            Transmission t = faults_.shape(*answer);
            if (!t.bytes.empty()) out.push_back(std::move(t));
        }
    }
    return out;
}

}  // namespace zirok::emulator
