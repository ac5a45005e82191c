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
// Blank lines and lines starting with '#' do nothing. Returns an empty string
// on success, otherwise what was wrong with the line.
std::string applyControl(std::string_view line, RegisterState& state, FaultPlan& faults);

}  // namespace zirok::emulator
