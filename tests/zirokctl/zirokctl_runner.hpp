#pragma once
// Runs the real zirokctl binary from the build folder and collects what it
// printed, for the end-to-end tests that drive it like a user would.
#include <string>
#include <vector>

namespace zirok::testing {

struct Outcome {
    int status = -1;                 // exit status; -1 when it did not exit normally
    std::vector<std::string> lines;  // stdout, one entry a line
    std::string errors;              // stderr
};

// `zirokctl args...` with this process's environment; waits for it to end.
Outcome zirokctl(const std::vector<std::string>& args);

}  // namespace zirok::testing
