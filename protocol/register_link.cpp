#include "protocol/register_link.hpp"

#include <charconv>

#include "platform/clock.hpp"
#include "protocol/text_helpers.hpp"

namespace zirok::protocol {

namespace {

constexpr std::uint8_t kGetDrawerState = 0x81;
constexpr std::uint8_t kLoadLogo = 0x15;

}  // namespace

RegisterLink::RegisterLink() = default;
RegisterLink::~RegisterLink() = default;

bool RegisterLink::loadTransport() {
    transportLoadError_.clear();
    if (transportFactory_) {
        transport_ = transportFactory_();
        if (!transport_) transportLoadError_ = "the transport factory gave no transport";
    } else {
        transport_ = loadTransportLibrary(transportPath_.empty() ? defaultTransportPath() : transportPath_,
                                          &transportLoadError_);
    }
    if (transport_) activeConversion_ = conversionSetting_;
    return transport_ != nullptr;
}

bool RegisterLink::connect(const std::string& password, const std::string& port, int baudRate, bool reopen,
                           bool handshake) {
    password_ = password;
    if (!transport_) loadTransport();
    bool opened = false;
    if (transport_) {
        if (reopen) transport_->close(port.c_str());
        opened = transport_->open(port.c_str(), baudRate, handshake ? 1 : 0) == 0;
        transport_->setTimeout(port.c_str(), defaultTimeout_);
    }
    activeConversion_ = conversionSetting_;
    return opened;
}

bool RegisterLink::disconnect(const std::string& port) {
    if (transport_) transport_->close(port.c_str());
    return true;
}

void RegisterLink::applyDefaultTimeout(const std::string& port) {
    if (transport_) transport_->setTimeout(port.c_str(), defaultTimeout_);
}

void RegisterLink::trace(std::string_view prefix, std::string_view bytes) {
    if (!trafficLog_) return;
    traceLine_.assign(prefix);
    traceLine_.append(bytes);
    trafficLog_->write(traceLine_);
}

void RegisterLink::traceBreak(int received) {
    if (!trafficLog_) return;
    char number[16];
    auto end = std::to_chars(number, number + sizeof number, received).ptr;
    trace("Break because received=", {number, static_cast<std::size_t>(end - number)});
}

Result RegisterLink::sendFrame(const std::string& port, std::uint8_t code) {
    if (!transport_) return result::NotConnected;
    if (params_.overflowed()) {
        trace("Request refused, its fields do not fit one frame: command ", byteToHex(code));
        return result::RequestTooLong;
    }
    transport_->clearBuffers(port.c_str());
    lastCommand_ = code;
    const std::size_t length = buildRequest(password_, nextPacketId_, code, params_.data(), send_);
    lastPacketId_ = nextPacketId_;
    nextPacketId_ = nextPacketId_ >= kLastPacketId ? kFirstPacketId : nextPacketId_ + 1;
    trace("Send data: ", {send_.data(), length});
    const int written = transport_->send(port.c_str(), send_.data(), static_cast<int>(length));
    return (static_cast<unsigned>(written) & 0xFFFFu) == length ? result::Ok : result::SendFailed;
}

Result RegisterLink::collectAnswer(const std::string& port, AnswerAssembler& assembler) {
    // A line that babbles without ever sending STX must not hold the caller
    // forever: give up after as many dropped bytes as an answer may hold.
    std::size_t dropped = 0;
    for (;;) {
        char byte;
        const int received = transport_->receive(port.c_str(), &byte);
        if (received != 1) {
            traceBreak(received);
            return result::NoAnswer;
        }
        switch (assembler.push(byte)) {
            case AnswerAssembler::State::Complete:
                return result::Ok;
            case AnswerAssembler::State::Overflow:
                return result::NoAnswer;
            case AnswerAssembler::State::Collecting:
                if (assembler.size() == 0 && ++dropped >= kMaxAnswerBytes) {
                    trace("Break because no STX arrived", {});
                    return result::NoAnswer;
                }
                break;
        }
    }
}

Result RegisterLink::receiveAnswer(const std::string& port, FrameBuffer& destination, int& deviceError,
                                   bool checkId) {
    if (!transport_) return result::NotConnected;
    for (;;) {
        assembler_.reset();
        const Result provisional = collectAnswer(port, assembler_);
        trace("Received data: ", {assembler_.bytes().data(), assembler_.size()});
        deviceError = answerErrorCode(assembler_.bytes());
        destination = assembler_.bytes();
        if (provisional != result::Ok) {
            rememberLostAnswer();
            return provisional;
        }
        if (isLateAnswer()) {
            // The answer to the request before, which gave up waiting for it:
            // drop it and read on for this request's own answer.
            trace("Dropped a late answer to an earlier request: ", {assembler_.bytes().data(), assembler_.size()});
            lostAnswerPending_ = false;
            continue;
        }
        lostAnswerPending_ = false;
        const Result checked =
            checkAnswer(assembler_.bytes(), assembler_.size(), lastPacketId_, lastCommand_, checkId);
        if (checked == result::Ok || checked == result::BadChecksum) transport_->clearBuffers(port.c_str());
        return checked;
    }
}

void RegisterLink::rememberLostAnswer() {
    lostAnswerPending_ = true;
    lostAnswerId_ = lastPacketId_;
    lostAnswerCommand_ = lastCommand_;
}

bool RegisterLink::isLateAnswer() const {
    if (!lostAnswerPending_ || lostAnswerId_ == lastPacketId_) return false;
    const FrameBuffer& frame = assembler_.bytes();
    if (static_cast<std::uint8_t>(frame[1]) != lostAnswerId_) return false;
    if (hexToNumber({frame.data() + 2, 2}) != lostAnswerCommand_) return false;
    // Only a whole, intact frame is taken for that answer.
    return xorChecksum({frame.data() + 1, assembler_.size() - 3}) ==
           hexToNumber({frame.data() + assembler_.size() - 2, 2});
}

Result RegisterLink::exchange(const std::string& port, std::uint8_t code, const ExchangeOptions& options) {
    if (!transport_) return result::NotConnected;
    if (options.timeoutMs > 0) transport_->setTimeout(port.c_str(), options.timeoutMs);
    Result outcome = sendFrame(port, code);
    if (outcome == result::Ok) {
        if (options.pauseMs) platform::sleepMillis(options.pauseMs);
        int deviceError = 0;
        outcome = receiveAnswer(port, answer_, deviceError, options.checkId);
        if (outcome == result::Ok) outcome = static_cast<Result>(deviceError);
    }
    if (options.timeoutMs > 0) transport_->setTimeout(port.c_str(), defaultTimeout_);
    return outcome;
}

Result RegisterLink::printExchange(const std::string& port, std::uint8_t code, bool packaged,
                                   const ExchangeOptions& options) {
    if (!transport_) return result::NotConnected;
    if (!(packaged && packageMode_)) return exchange(port, code, options);
    const std::size_t dataLength = params_.length();
    const Result sent = sendFrame(port, code);
    if (sent == result::Ok) pacingStep(port, dataLength);
    return sent;
}

void RegisterLink::pacingStep(const std::string& port, std::size_t requestDataLength) {
    pacingCounter_ += requestDataLength + kFrameOverhead;
    if (pacingCounter_ <= kPacingThreshold) return;
    pacingCounter_ = 0;
    platform::sleepMillis(kPacingPauseMs);
    params_.clear();
    exchange(port, kGetDrawerState);
}

Result RegisterLink::exchangeWithBlock(const std::string& port, std::uint8_t code, std::string_view block) {
    if (!transport_) return result::NotConnected;
    std::string prepared;
    prepared.reserve(block.size() + 1);
    if (code == kLoadLogo) prepared += ESC;
    prepared += block;

    if (const Result sent = sendFrame(port, code); sent != result::Ok) return sent;

    char first = 0;
    const int received = transport_->receive(port.c_str(), &first);
    if (received != 1) {
        traceBreak(received);
        return result::NoAnswer;
    }
    if (first == ACK) {
        transport_->clearBuffers(port.c_str());
        transport_->setTimeout(port.c_str(), kBlockTimeoutMs);
        for (char byte : prepared) {
            if (transport_->send(port.c_str(), &byte, 1) != 1) {
                transport_->setTimeout(port.c_str(), defaultTimeout_);
                return result::SendFailed;
            }
        }
        transport_->setTimeout(port.c_str(), defaultTimeout_);
        int deviceError = 0;
        const Result outcome = receiveAnswer(port, answer_, deviceError, true);
        return outcome != result::Ok ? outcome : static_cast<Result>(deviceError);
    }

    // Anything but ACK is the start of a refusal; its error code is the answer.
    assembler_.reset();
    AnswerAssembler::State state = assembler_.push(first);
    Result collected = result::Ok;
    if (state == AnswerAssembler::State::Collecting) collected = collectAnswer(port, assembler_);
    trace("Received data: ", {assembler_.bytes().data(), assembler_.size()});
    answer_ = assembler_.bytes();
    // A refusal that never completes is no answer, not a success.
    if (collected != result::Ok || assembler_.state() != AnswerAssembler::State::Complete) return result::NoAnswer;
    return static_cast<Result>(answerErrorCode(answer_));
}

}  // namespace zirok::protocol
