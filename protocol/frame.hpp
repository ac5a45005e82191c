#pragma once
// Building request frames and taking answer frames apart: pure functions on
// buffers, no I/O, so they can be fuzzed and measured alone.
#include <array>
#include <cstdint>
#include <string_view>

#include "protocol/frame_limits.hpp"
#include "protocol/result_codes.hpp"

namespace zirok::protocol {

using FrameBuffer = std::array<char, kFrameBufferSize>;

// Lays out STX, password, packet id, code, data, ETX and checksum in `out`;
// returns the frame length. The header is cut to 8 bytes, as the register
// reads it, so only a 4-character password gives a well-formed frame.
// `data` must be at most kMaxRequestData bytes (ParamBuffer guarantees it).
std::size_t buildRequest(std::string_view password, std::uint8_t packetId, std::uint8_t code,
                         std::string_view data, FrameBuffer& out);

// Exclusive-or of the bytes, as both directions checksum their frames.
std::uint8_t xorChecksum(std::string_view bytes);

// Collects an answer byte by byte: bytes before STX are dropped; the frame
// ends two bytes after an ETX at offset 6 or later, or is given up at 1028
// bytes. The buffer is zero-filled so the field readers find its end.
class AnswerAssembler {
public:
    enum class State { Collecting, Complete, Overflow };

    AnswerAssembler() { reset(); }
    void reset();
    State push(char byte);
    State state() const { return state_; }

    const FrameBuffer& bytes() const { return buffer_; }
    std::size_t size() const { return size_; }

private:
    FrameBuffer buffer_;
    std::size_t size_ = 0;
    State state_ = State::Collecting;
};

// Reads the error code from offsets 4..5 of an answer (0 when unreadable).
int answerErrorCode(const FrameBuffer& answer);

// The checks of a complete answer against the request just sent: packet id
// (when `checkId`), command code and checksum. Returns 0 or 242..244; with
// `checkId` off a device error is returned as the result before any check.
Result checkAnswer(const FrameBuffer& answer, std::size_t size, std::uint8_t lastPacketId,
                   std::uint16_t lastCommand, bool checkId);

}  // namespace zirok::protocol
