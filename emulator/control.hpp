#pragma once
#include <string>
#include <string_view>

namespace zirok::emulator {

class FaultPlan;
struct RegisterState;

// Carries out one line of the runtime control channel:
//   fault CODE KIND [ARG] [COUNT]   (the --fault form; ':' or spaces between parts)
//   clear                           (drop every fault)
//   drawer open | drawer closed
//   paper out | paper in
//   cover open | cover closed
//   clock SECONDS                   (move the register's clock, signed)
//   shift overdue                   (the open shift began 25 hours ago)
//   mark result N                   (result bits of the next marking code checks)
//   mark keys due | mark keys fresh
//   power cycle                     (the working day must be started again)
//   factory fresh                   (unregistered: empty storage, non-fiscal mode)
// Blank lines and lines starting with '#' do nothing. Returns an empty string
// on success, otherwise what was wrong with the line.
std::string applyControl(std::string_view line, RegisterState& state, FaultPlan& faults);

}  // namespace zirok::emulator
