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
inline constexpr std::uint8_t kPaperOut = 8;
inline constexpr std::uint8_t kPrinterNotReady = 9;  // the cover is open
inline constexpr std::uint8_t kShiftOver24Hours = 10;
inline constexpr std::uint8_t kClockTooFarOff = 11;  // start of work more than 8 minutes off
inline constexpr std::uint8_t kDateBeforeLastDocument = 12;
inline constexpr std::uint8_t kWrongAccessCode = 13;
inline constexpr std::uint8_t kNegativeResult = 14;
inline constexpr std::uint8_t kShiftMustBeClosed = 15;
inline constexpr std::uint8_t kNoSuchData = 72;
inline constexpr std::uint8_t kMarkingOutOfSequence = 115;

}  // namespace zirok::emulator::device_error
