#pragma once
#include <cstdint>

namespace zirok::emulator {

// The three status words as the register reports them.
struct Status {
    std::uint32_t fatal = 0;
    std::uint32_t flags = 0;
    std::uint32_t doc = 0;
};

namespace status_bit {
inline constexpr std::uint32_t kFatalDayNotStarted = 0x40;
inline constexpr std::uint32_t kFlagStartWorkNeeded = 0x01;
inline constexpr std::uint32_t kFlagShiftOpen = 0x04;
inline constexpr std::uint32_t kFlagShiftOverdue = 0x100;
inline constexpr std::uint32_t kDocTypeMask = 0x0F;
inline constexpr std::uint32_t kDocAwaitingClose = 0x80;
}  // namespace status_bit

// Open document kinds, as the low bits of the doc word carry them.
enum class DocumentType : std::uint8_t {
    None = 0,
    Service = 1,
    Sale = 2,
    Return = 3,
    CashIn = 4,
    CashOut = 5,
};

// Everything the register remembers. The status words are derived from it
// (statusOf) rather than stored, so they can never contradict the state.
struct RegisterState {
    bool workDayStarted = false;
    bool shiftOpen = false;
    bool shiftOverdue = false;  // open for more than 24 hours: a Z report is due
    DocumentType document = DocumentType::None;
    bool documentAwaitingClose = false;
    // Opened with the package flag: print-type commands get no answer.
    bool packageDocument = false;
    // First device error of an unanswered print-type command, for the next answer.
    std::uint8_t keptError = 0;
    bool drawerOpen = false;
    // Register clock minus host clock; the register's clock drifts independently.
    std::int64_t clockOffsetSeconds = 0;
};

Status statusOf(const RegisterState& state);

}  // namespace zirok::emulator
