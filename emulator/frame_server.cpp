#include "emulator/frame_server.hpp"

#include <algorithm>

namespace zirok::emulator {

FrameServer::FrameServer(RegisterModel& model, FaultPlan& faults) : model_(model), faults_(faults) {
    model_.setErrorInjector([this](std::uint8_t code) { return faults_.takeError(code); });
}

FrameServer::~FrameServer() {
    model_.setErrorInjector(nullptr);
}

void FrameServer::answer(const std::optional<Answer>& answer, std::vector<Transmission>& out) {
    if (!answer) return;
    Transmission t = faults_.shape(*answer);
    if (!t.bytes.empty()) out.push_back(std::move(t));
}

std::vector<Transmission> FrameServer::receive(std::string_view bytes) {
    std::vector<Transmission> out;
    while (!bytes.empty()) {
        if (blockWanted_ > 0) {
            const std::size_t take = std::min(blockWanted_ - block_.size(), bytes.size());
            block_.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            if (block_.size() == blockWanted_) {
                blockWanted_ = 0;
                answer(model_.completeBlock(block_), out);
                block_.clear();
            }
            continue;
        }
        // A byte at a time: the bytes after a block command's frame are its block.
        const std::string_view one = bytes.substr(0, 1);
        bytes.remove_prefix(1);
        for (const std::string& frame : assembler_.feed(one)) {
            const std::optional<Answer> reply = model_.handle(frame);
            if (const std::size_t wanted = model_.awaitingBlock()) {
                out.push_back(Transmission{std::string(1, kAck), 0, 0});
                blockWanted_ = wanted;
                block_.clear();
                break;
            }
            answer(reply, out);
        }
    }
    return out;
}

void FrameServer::abandonBlock() {
    blockWanted_ = 0;
    block_.clear();
    model_.abandonBlock();
}

}  // namespace zirok::emulator
