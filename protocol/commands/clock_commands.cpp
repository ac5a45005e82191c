#include "protocol/commands/clock_commands.hpp"

#include <string_view>

#include "protocol/answer_fields.hpp"
#include "protocol/commands/command_support.hpp"
#include "protocol/text_helpers.hpp"

namespace zirok::protocol {

namespace {

constexpr std::uint8_t kStartWork = 0x10;
constexpr std::uint8_t kGetDateTime = 0x13;
constexpr std::uint8_t kSetDateTime = 0x14;
constexpr Result kDateRefused = 10;
constexpr unsigned kPauseMs = 20;

}  // namespace

Result StartWork(RegisterLink& link, const std::string& port) {
    if (!link.transportLoaded()) return result::NotConnected;
    const auto now = platform::localNow();
    auto& params = detail::startRequest(link);
    params.appendDate(detail::dateOf(now));
    params.appendTime(detail::timeOf(now));
    return link.exchange(port, kStartWork, {.pauseMs = kPauseMs});
}

Result GetDateTime(RegisterLink& link, const std::string& port, ZirokDate& date, ZirokTime& time) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link);
    const Result outcome = link.exchange(port, kGetDateTime);
    if (outcome != result::Ok) return outcome;
    const auto readDate = answerDate(link.answer(), 0);
    const auto readTime = answerTime(link.answer(), 1);
    if (!readDate || !readTime) return result::BadDateTime;
    date = *readDate;
    time = *readTime;
    return result::Ok;
}

Result SetDateTime(RegisterLink& link, const std::string& port, const ZirokDate& date,
                   const ZirokTime& time) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendDate(date);
    params.appendTime(time);
    const Result outcome = link.exchange(port, kSetDateTime);
    if (outcome != kDateRefused) return outcome;

    // A refused setting is followed at once by a second frame whose data is
    // what the request buffer held once the refusal came in: the refusal's
    // own bytes up to its last field separator. Its answer is not read; the
    // input clear of the next request drops it.
    const FrameBuffer& refusal = link.answer();
    const std::string_view received(refusal.data(), detail::answerEtxOffset(refusal));
    const std::size_t lastFs = received.rfind(FS);
    link.params().clear();
    if (lastFs != std::string_view::npos) link.params().appendText(received.substr(0, lastFs));
    const Result repeated = link.sendFrame(port, kSetDateTime);
    return repeated == result::Ok ? kDateRefused : repeated;
}

Result SetDateTimeFromComputer(RegisterLink& link, const std::string& port) {
    const auto now = platform::localNow();
    return SetDateTime(link, port, detail::dateOf(now), detail::timeOf(now));
}

}  // namespace zirok::protocol
