#pragma once
#include <signal.h>

#include <csignal>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace zirok::emulator {

class FrameServer;
class FaultPlan;
struct RegisterState;

struct PtyOptions {
    std::string linkPath;     // symbolic link made to point at the pty's slave device
    std::string controlPath;  // FIFO for control lines; empty: none
    unsigned baud = 0;        // line speed to pace the traffic at; 0: as fast as the pty goes
    std::ostream* log = nullptr;
    // Runs after every round of received bytes or control lines, told whether
    // a control line changed something (the owner writes out the tape and
    // the saved state there).
    std::function<void(bool controlApplied)> afterEachRound;
};

// Puts the emulator behind a pseudo-terminal, where the host opens it like a
// serial port.
class PtyServer {
  public:
    PtyServer(FrameServer& frames, RegisterState& state, FaultPlan& faults, PtyOptions options);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the pty, makes the link and the control FIFO. Throws std::system_error
    // or std::runtime_error with the reason.
    void start();

    // Serves until `stop` becomes non-zero. The signals that set it must be
    // blocked by the caller; `waitMask` is the mask to wait with (it unblocks
    // them), so a signal interrupts any wait at once.
    void serve(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask);

    const std::string& slaveName() const { return slaveName_; }

  private:
    void makeLink();
    void openControl();
    // True when a line changed something.
    bool readControl();
    void readPort();
    // False when the bytes could not all go out.
    bool send(const std::string& bytes, unsigned baud);
    bool writeSome(const char* data, std::size_t size);
    // Sleeps unless a stop signal comes first; false when one did.
    bool pause(std::uint64_t micros);
    void logLine(std::string_view what, std::string_view text);

    FrameServer& frames_;
    RegisterState& state_;
    FaultPlan& faults_;
    PtyOptions options_;

    int master_ = -1;
    int slaveHold_ = -1;
    int control_ = -1;
    bool madeFifo_ = false;
    bool madeLink_ = false;
    std::string slaveName_;
    std::string controlBuffer_;
    const volatile std::sig_atomic_t* stop_ = nullptr;
    const sigset_t* waitMask_ = nullptr;
};

// Bytes as a log line: printable ASCII as is, frame controls by name, the rest as \xNN.
std::string printableBytes(std::string_view bytes);

}  // namespace zirok::emulator
