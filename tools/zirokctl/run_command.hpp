#pragma once
// zirokctl run: creates a device's service object and drives it call by call.
#include <ostream>
#include <string>
#include <vector>

namespace zirok::ctl {

struct RunOptions {
    std::string deviceClass = "FiscalPrinter";
    std::string deviceName = "Zirok";
    std::string script;              // empty: none
    std::vector<std::string> calls;  // each `Method arg ...`, after the script's
};

// The arguments after "run". Raises std::invalid_argument for a bad option.
RunOptions parseRunOptions(const std::vector<std::string>& args);

// Prints a JSON line per call and per event on `out`. Returns 0 once the
// calls ran, whatever they answered; 1 when the object could not be created
// or the script read; 2 when a call is not well written (then none runs).
int runCalls(const RunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace zirok::ctl
