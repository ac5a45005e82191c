#pragma once
// The link to one register: the loaded transport, the packet counter, the
// time-outs, package mode and the buffers of the exchange in progress. One
// object holds what the register protocol keeps per process; the service
// object owns one and every command function goes through it. Not
// thread-safe: exactly one exchange may be in progress at a time.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "protocol/frame.hpp"
#include "protocol/param_buffer.hpp"
#include "protocol/pending_values.hpp"
#include "protocol/result_codes.hpp"
#include "protocol/trace.hpp"
#include "protocol/transport.hpp"

namespace zirok::protocol {

struct ExchangeOptions {
    int timeoutMs = 0;      // answer time-out for this command; 0 keeps the default
    unsigned pauseMs = 0;   // pause between writing the request and reading the answer
    bool checkId = true;    // off only for the status query
};

class RegisterLink {
public:
    static constexpr int kDefaultTimeoutMs = 5000;
    static constexpr int kBlockTimeoutMs = 30000;
    static constexpr std::size_t kPacingThreshold = 2048;
    static constexpr unsigned kPacingPauseMs = 100;

    RegisterLink();
    ~RegisterLink();
    RegisterLink(const RegisterLink&) = delete;
    RegisterLink& operator=(const RegisterLink&) = delete;

    // Where the transport library is loaded from on the first Connect;
    // by default the folder of the service object's own library.
    void setTransportPath(std::string path) { transportPath_ = std::move(path); }
    // Replaces loading the library (tests drive the emulator in-process).
    void setTransportFactory(std::function<std::unique_ptr<Transport>()> factory) {
        transportFactory_ = std::move(factory);
    }
    const std::string& transportLoadError() const { return transportLoadError_; }

    void setTrafficLog(TrafficLog* log) { trafficLog_ = log; }

    bool connect(const std::string& password, const std::string& port, int baudRate, bool reopen,
                 bool handshake);
    bool disconnect(const std::string& port);
    bool transportLoaded() const { return transport_ != nullptr; }
    void applyDefaultTimeout(const std::string& port);

    // The request being prepared; a command clears it and appends its fields.
    ParamBuffer& params() { return params_; }
    // The last answer frame read, zero-filled after its end.
    const FrameBuffer& answer() const { return answer_; }

    Result sendFrame(const std::string& port, std::uint8_t code);
    Result receiveAnswer(const std::string& port, FrameBuffer& destination, int& deviceError, bool checkId);

    // Send the prepared request and read its answer; the result is the
    // exchange's or, when that succeeded, the device's error code.
    Result exchange(const std::string& port, std::uint8_t code, const ExchangeOptions& options = {});
    // A print-type command: with package mode on (and `packaged`), the frame
    // is written without reading an answer and the line is paced instead.
    Result printExchange(const std::string& port, std::uint8_t code, bool packaged,
                         const ExchangeOptions& options = {});
    // A command that the register acknowledges with ACK before it takes the
    // data block that follows.
    Result exchangeWithBlock(const std::string& port, std::uint8_t code, std::string_view block);
    void pacingStep(const std::string& port, std::size_t requestDataLength);

    // Document attributes waiting for the command that consumes them.
    PendingValues pending;
    // The current receipt's subtotal amount discount (1/10000), set by the
    // receipt flow: a copy of that receipt rebuilt from its stored data adds
    // it back as the rounding discount.
    std::int64_t roundingAmount = 0;

    // Settings and counters the service object reads and sets.
    int defaultTimeout() const { return defaultTimeout_; }
    void setDefaultTimeout(int ms) { defaultTimeout_ = ms; }
    int okpServerTimeout() const { return okpServerTimeout_; }
    void setOkpServerTimeout(int ms) { okpServerTimeout_ = ms; }
    int oismServerTimeout() const { return oismServerTimeout_; }
    void setOismServerTimeout(int ms) { oismServerTimeout_ = ms; }
    bool packageMode() const { return packageMode_; }
    void setPackageMode(bool on) { packageMode_ = on; }
    bool conversionSetting() const { return conversionSetting_; }
    void setConversionSetting(bool on) { conversionSetting_ = on; }
    bool activeConversion() const { return activeConversion_; }
    void setActiveConversion(bool on) { activeConversion_ = on; }
    std::size_t pacingCounter() const { return pacingCounter_; }
    void resetPacingCounter() { pacingCounter_ = 0; }

    const std::string& password() const { return password_; }
    std::uint8_t nextPacketId() const { return nextPacketId_; }
    std::uint8_t lastPacketId() const { return lastPacketId_; }
    std::uint16_t lastCommand() const { return lastCommand_; }

private:
    bool loadTransport();
    void trace(std::string_view prefix, std::string_view bytes);
    void traceBreak(int received);
    // Reads the rest of an answer whose bytes may already have begun.
    Result collectAnswer(const std::string& port, AnswerAssembler& assembler);
    void rememberLostAnswer();
    bool isLateAnswer() const;

    std::unique_ptr<Transport> transport_;
    std::string transportPath_;
    std::function<std::unique_ptr<Transport>()> transportFactory_;
    std::string transportLoadError_;
    TrafficLog* trafficLog_ = nullptr;
    std::string traceLine_;  // reused, so tracing allocates only while lines grow

    std::string password_;
    std::uint8_t nextPacketId_ = kFirstPacketId;
    std::uint8_t lastPacketId_ = 0;
    std::uint16_t lastCommand_ = 0;
    // The request whose answer never came: a register that answers it late
    // sends that answer into the next exchange, where it must not count.
    bool lostAnswerPending_ = false;
    std::uint8_t lostAnswerId_ = 0;
    std::uint16_t lostAnswerCommand_ = 0;
    int defaultTimeout_ = kDefaultTimeoutMs;
    int okpServerTimeout_ = 8000;
    int oismServerTimeout_ = 5000;
    bool packageMode_ = true;
    bool conversionSetting_ = true;
    bool activeConversion_ = true;
    std::size_t pacingCounter_ = 0;

    ParamBuffer params_;
    FrameBuffer send_{};
    FrameBuffer answer_{};
    AnswerAssembler assembler_;
};

}  // namespace zirok::protocol
