#pragma once
#include <string>
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

    // One transmission per answered request the bytes completed, in order;
    // an ACK for a command that takes a data block, then its answer once
    // the block's bytes are in.
    std::vector<Transmission> receive(std::string_view bytes);

    // Collecting a command's data block rather than looking for requests.
    bool collectingBlock() const { return blockWanted_ > 0; }
    // The host stopped sending the block: drop it and look for requests again.
    void abandonBlock();

  private:
    void answer(const std::optional<Answer>& answer, std::vector<Transmission>& out);

    RegisterModel& model_;
    FaultPlan& faults_;
    RequestAssembler assembler_;
    std::size_t blockWanted_ = 0;
    std::string block_;
};

}  // namespace zirok::emulator
