#include "protocol/commands/mark_codes.hpp"

#include <algorithm>

#include "protocol/commands/command_support.hpp"

namespace zirok::protocol {

namespace {

constexpr std::uint8_t kMarkCode = 0x79;
constexpr int kValidation = 1;
constexpr int kDecision = 2;
constexpr int kState = 6;
constexpr int kAddMarkCode = 15;

Result copiedExchange(RegisterLink& link, const std::string& port, FrameBuffer& answer,
                      const ExchangeOptions& options = {}) {
    const Result outcome = link.exchange(port, kMarkCode, options);
    if (outcome == result::Ok) detail::copyAnswer(link, answer);
    return outcome;
}

}  // namespace

Result MarkCodeRequest(RegisterLink& link, const std::string& port, int request,
                       const std::string& text, FrameBuffer& answer) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(request);
    params.appendText(text);
    return copiedExchange(link, port, answer);
}

Result MarkCodeValidation(RegisterLink& link, const std::string& port, const std::string& markCode,
                          int itemState, const std::string& quantity, int quantityMode,
                          int workMode, FrameBuffer& answer) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(kValidation);
    detail::appendTextOrEmpty(params, markCode);
    params.appendInt(0);
    params.appendInt(itemState);
    detail::appendTextOrEmpty(params, quantity);
    params.appendInt(quantityMode);
    params.appendInt(workMode);
    const Result outcome = link.exchange(
        port, kMarkCode, {.timeoutMs = link.defaultTimeout() + link.oismServerTimeout()});
    if (outcome != result::Ok) return outcome;
    const FrameBuffer& received = link.answer();
    const std::size_t etx = detail::answerEtxOffset(received);
    const std::size_t kept = etx > 0 ? etx - 1 : 0;
    answer.fill(0);
    std::copy_n(received.begin(), kept, answer.begin());
    return outcome;
}

Result MarkCodeDecision(RegisterLink& link, const std::string& port, int decision,
                        FrameBuffer& answer) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(kDecision);
    params.appendInt(decision);
    return copiedExchange(link, port, answer);
}

Result ReadMarkCodeState(RegisterLink& link, const std::string& port, FrameBuffer& answer) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link).appendInt(kState);
    return copiedExchange(link, port, answer);
}

Result AddMarkCode(RegisterLink& link, const std::string& port, const std::string& markCode,
                   int itemState, int validationState, int quantityMode) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(kAddMarkCode);
    detail::appendTextOrEmpty(params, markCode);
    params.appendInt(itemState);
    params.appendInt(0);
    params.appendInt(validationState);
    params.appendInt(quantityMode);
    return link.exchange(port, kMarkCode);
}

}  // namespace zirok::protocol
