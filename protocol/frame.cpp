#include "protocol/frame.hpp"

#include <cstring>

#include "protocol/text_helpers.hpp"

namespace zirok::protocol {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexPair(const char* p) { return hexToNumber({p, 2}); }

}  // namespace

std::uint8_t xorChecksum(std::string_view bytes) {
    std::uint8_t sum = 0;
    for (char c : bytes) sum ^= static_cast<std::uint8_t>(c);
    return sum;
}

std::size_t buildRequest(std::string_view password, std::uint8_t packetId, std::uint8_t code,
                         std::string_view data, FrameBuffer& out) {
    char header[kRequestHeaderSize + 8];
    std::size_t h = 0;
    header[h++] = STX;
    const std::size_t passwordBytes = password.size() < 8 ? password.size() : 8;
    std::memcpy(header + h, password.data(), passwordBytes);
    h += passwordBytes;
    header[h++] = static_cast<char>(packetId);
    header[h++] = kHexDigits[code >> 4];
    header[h++] = kHexDigits[code & 0x0F];
    if (h > kRequestHeaderSize) h = kRequestHeaderSize;

    if (data.size() > kMaxRequestData) data = data.substr(0, kMaxRequestData);
    std::size_t n = 0;
    std::memcpy(out.data(), header, h);
    n += h;
    std::memcpy(out.data() + n, data.data(), data.size());
    n += data.size();
    out[n++] = ETX;
    const std::uint8_t sum = xorChecksum({out.data() + 1, n - 1});
    out[n++] = kHexDigits[sum >> 4];
    out[n++] = kHexDigits[sum & 0x0F];
    return n;
}

void AnswerAssembler::reset() {
    buffer_.fill(0);
    size_ = 0;
    state_ = State::Collecting;
}

AnswerAssembler::State AnswerAssembler::push(char byte) {
    if (state_ != State::Collecting) return state_;
    if (size_ == 0 && byte != STX) return state_;
    buffer_[size_++] = byte;
    if (size_ >= 9 && buffer_[size_ - 3] == ETX) {
        state_ = State::Complete;
    } else if (size_ >= kMaxAnswerBytes) {
        state_ = State::Overflow;
    }
    return state_;
}

int answerErrorCode(const FrameBuffer& answer) { return hexPair(answer.data() + 4); }

Result checkAnswer(const FrameBuffer& answer, std::size_t size, std::uint8_t lastPacketId,
                   std::uint16_t lastCommand, bool checkId) {
    const int deviceError = answerErrorCode(answer);
    if (deviceError != 0 && !checkId) return static_cast<Result>(deviceError);
    if (checkId && static_cast<std::uint8_t>(answer[1]) != lastPacketId) return result::WrongPacketId;
    if (hexPair(answer.data() + 2) != lastCommand) return result::WrongCommand;
    // The checksum covers offset 1 up to and including the ETX, three bytes
    // before the end of a complete frame.
    const std::uint8_t expected = xorChecksum({answer.data() + 1, size - 3});
    if (hexPair(answer.data() + size - 2) != expected) return result::BadChecksum;
    return result::Ok;
}

}  // namespace zirok::protocol
