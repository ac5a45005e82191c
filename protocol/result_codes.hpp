#pragma once
#include <cstdint>

namespace zirok::protocol {

// Result of every exchange and command function: 0, a device error code
// 1..255 taken from the register's answer, or one of the local codes below.
// Device and local codes share one number space.
using Result = std::uint16_t;

namespace result {
inline constexpr Result Ok = 0;
inline constexpr Result NotConnected = 32;    // transport not loaded; nothing sent
inline constexpr Result SendFailed = 240;     // the transport wrote less than the frame
inline constexpr Result NoAnswer = 241;       // time-out, line error or an endless answer
inline constexpr Result WrongPacketId = 242;  // the answer echoes another packet id
inline constexpr Result WrongCommand = 243;   // the answer echoes another command code
inline constexpr Result BadChecksum = 244;
inline constexpr Result BadDateTime = 245;    // the register's clock could not be read
// The request's fields do not fit one frame; refused before anything was sent.
inline constexpr Result RequestTooLong = 247;
}  // namespace result

}  // namespace zirok::protocol
