#pragma once
#include <cstddef>

namespace zirok::protocol {

inline constexpr char STX = 0x02;
inline constexpr char ETX = 0x03;
inline constexpr char ACK = 0x06;
inline constexpr char ESC = 0x1B;

// Every buffer of the link is this long.
inline constexpr std::size_t kFrameBufferSize = 1029;
// An answer that reaches this many bytes without its end is given up.
inline constexpr std::size_t kMaxAnswerBytes = 1028;
// STX, four password characters, packet id and two code digits; then ETX and
// two checksum digits after the data.
inline constexpr std::size_t kRequestHeaderSize = 8;
inline constexpr std::size_t kFrameOverhead = kRequestHeaderSize + 3;
// The most data a request can carry and still fit the frame buffer.
inline constexpr std::size_t kMaxRequestData = kFrameBufferSize - kFrameOverhead;

inline constexpr unsigned char kFirstPacketId = 0x20;
inline constexpr unsigned char kLastPacketId = 0xF0;

}  // namespace zirok::protocol
