#include "emulator/request_assembler.hpp"

#include "emulator/frame_codec.hpp"

namespace zirok::emulator {

std::vector<std::string> RequestAssembler::feed(std::string_view bytes) {
    std::vector<std::string> frames;
    for (char c : bytes) push(c, frames);
    return frames;
}

void RequestAssembler::push(char c, std::vector<std::string>& frames) {
    if (buffer_.empty() && c != kStx) return;
    buffer_ += c;
    const std::size_t n = buffer_.size();
    // Header bytes (password, id, hex code) and text fields never hold STX;
    // header bytes never hold ETX.
    const bool broken = (n > 1 && c == kStx) || (n > 1 && n <= 8 && c == kEtx);
    if (broken || (n >= kMaxRequestBytes && buffer_[n - 3] != kEtx)) {
        restart(frames);
    } else if (n >= kMinRequestBytes && buffer_[n - 3] == kEtx) {
        frames.push_back(std::move(buffer_));
        buffer_.clear();
    }
}

void RequestAssembler::restart(std::vector<std::string>& frames) {
    const std::size_t next = buffer_.find(kStx, 1);
    const std::string rest = next == std::string::npos ? std::string() : buffer_.substr(next);
    buffer_.clear();
    for (char c : rest) push(c, frames);
}

}  // namespace zirok::emulator
