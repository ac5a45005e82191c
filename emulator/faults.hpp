#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/frame_codec.hpp"

namespace zirok::emulator {

enum class FaultKind {
    Error,   // the command fails with device error `arg`
    Silent,  // no answer at all
    Late,    // the answer leaves `arg` ms late
    BadSum,  // the answer's checksum is wrong
    BadId,   // the answer carries another packet id
    BadCmd,  // the answer carries another command code
    Noise,   // `arg` noise bytes go out before the answer
    Flood,   // in place of the answer, more bytes than any answer holds, without ETX
    Slow,    // the answer goes out paced at `arg` baud
};

struct Fault {
    std::optional<std::uint8_t> code;  // nullopt: every command
    FaultKind kind = FaultKind::Error;
    unsigned arg = 0;
    std::optional<unsigned> times;  // nullopt: for the whole run
};

// Text form: CODE:KIND[:ARG][:COUNT]. CODE is a hex command code or "*"; KIND
// one of error:N, silent, late:MS, badsum, badid, badcmd, noise:N, flood,
// slow:BAUD; COUNT "once" or a number of answers. Throws std::invalid_argument
// with a readable message on anything else.
Fault parseFault(std::string_view text);

// What goes on the line for one answer.
struct Transmission {
    std::string bytes;  // empty: nothing is sent
    unsigned delayMs = 0;
    unsigned baud = 0;  // 0: the line's own speed
};

// Length of the flood fault's output: past the 1028 bytes a host reads before
// it gives up on an answer.
inline constexpr std::size_t kFloodBytes = 1100;

// The faults in force. Each applies to the answers of its command code until
// its count runs out.
class FaultPlan {
  public:
    void add(const Fault& fault) { faults_.push_back(fault); }
    void clear() { faults_.clear(); }
    bool empty() const { return faults_.empty(); }

    // The device error to fail a command with, 0 for none. Consumes one use of
    // the first matching error fault.
    std::uint8_t takeError(std::uint8_t code);

    // Turns an answer into line bytes, applying and consuming the matching
    // transmission faults.
    Transmission shape(const Answer& answer);

  private:
    void take(std::size_t index);

    std::vector<Fault> faults_;
};

}  // namespace zirok::emulator
