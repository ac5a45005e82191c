#pragma once
#include <cstdint>

// Error codes the register puts in its answers.
namespace zirok::emulator::device_error {

inline constexpr std::uint8_t kNone = 0;
inline constexpr std::uint8_t kWrongState = 1;      // not possible in the register's state
inline constexpr std::uint8_t kUnknownCommand = 2;  // no such function number
inline constexpr std::uint8_t kBadParameter = 3;    // malformed field or parameter
inline constexpr std::uint8_t kWrongPassword = 6;
inline constexpr std::uint8_t kChecksum = 7;  // request checksum mismatch

}  // namespace zirok::emulator::device_error
