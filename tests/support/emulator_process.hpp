#pragma once
// Runs the real zirok-emulator binary for end-to-end tests: started on a
// pseudo-terminal linked where the test says, stopped when the object dies.
#include <string>
#include <vector>

namespace zirok::testing {

// The folder the test binaries, libraries and the emulator are built into.
std::string binaryFolder();

// A fresh temporary $ZIROK_HOME with ports/ in it; set in the environment
// for the life of the object and removed afterwards.
class TempZirokHome {
public:
    TempZirokHome();
    ~TempZirokHome();
    const std::string& path() const { return path_; }
    std::string portLink(int comNumber) const;  // <home>/ports/comN

private:
    std::string path_;
    std::string previous_;
    bool hadPrevious_ = false;
};

class EmulatorProcess {
public:
    // Starts `zirok-emulator --link link args...` and waits (up to 10 s) for
    // its "ready" line. started() tells whether it came up.
    EmulatorProcess(const std::string& link, const std::vector<std::string>& args = {});
    ~EmulatorProcess();
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    bool started() const { return started_; }
    int pid() const { return pid_; }
    // Stops it with SIGTERM and waits; returns its exit status.
    int stop();

private:
    int pid_ = -1;
    int output_ = -1;
    bool started_ = false;
};

}  // namespace zirok::testing
