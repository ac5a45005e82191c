#include "protocol/commands/raw_commands.hpp"

#include <algorithm>

#include "protocol/commands/command_support.hpp"

namespace zirok::protocol {

namespace {

constexpr std::size_t kDataOffset = 6;
constexpr std::size_t kChecksumDigits = 2;

bool isPrintCode(std::uint8_t code) {
    return (code >= 0x40 && code <= 0x49) || code == 0x52;
}

}  // namespace

Result SendTextCommand(RegisterLink& link, const std::string& port, std::uint8_t code,
                       std::string& text) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link).appendText(detail::deviceText(link, text));
    const bool packaged = isPrintCode(code);
    const Result outcome = link.printExchange(port, code, packaged);
    if (outcome != result::Ok) return outcome;
    if (packaged && link.packageMode()) {
        text.clear();
        return outcome;
    }
    const FrameBuffer& answer = link.answer();
    const std::size_t end =
        std::min(detail::answerEtxOffset(answer) + 1 + kChecksumDigits, answer.size());
    text.assign(answer.data() + kDataOffset, end - kDataOffset);
    return outcome;
}

}  // namespace zirok::protocol
