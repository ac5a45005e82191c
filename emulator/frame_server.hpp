#pragma once
#include <string_view>
#include <vector>

#include "emulator/faults.hpp"
#include "emulator/register_model.hpp"
#include "emulator/request_assembler.hpp"

namespace zirok::emulator {

// The emulator without its line: received bytes in, bytes to send out.
class FrameServer {
  public:
    FrameServer(RegisterModel& model, FaultPlan& faults);
    ~FrameServer();
    FrameServer(const FrameServer&) = delete;
    FrameServer& operator=(const FrameServer&) = delete;

    // One transmission per answered request the bytes completed, in order.
    std::vector<Transmission> receive(std::string_view bytes);

  private:
    RegisterModel& model_;
    FaultPlan& faults_;
    RequestAssembler assembler_;
};

}  // namespace zirok::emulator
