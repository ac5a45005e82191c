#include "protocol/commands/fn_info.hpp"

#include <algorithm>

#include "protocol/commands/command_support.hpp"
#include "protocol/text_helpers.hpp"

namespace zirok::protocol {

namespace {

constexpr std::uint8_t kGetFnInfo = 0x78;
constexpr std::size_t kDataOffset = 6;
constexpr std::size_t kMaxData = 1022;

bool takesArgument(int request) {
    return request == 10 || request == 11 || request == 12 || request == 15;
}

}  // namespace

Result GetFnInfo(RegisterLink& link, const std::string& port, int request, std::int64_t argument,
                 std::string& data) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(request);
    if (takesArgument(request)) params.appendInt(argument);
    const Result outcome = link.exchange(port, kGetFnInfo);
    if (outcome != result::Ok) return outcome;
    const FrameBuffer& answer = link.answer();
    const std::size_t end = std::min(detail::answerEtxOffset(answer), kDataOffset + kMaxData);
    data.assign(answer.data() + kDataOffset, end - kDataOffset);
    std::replace(data.begin(), data.end(), FS, ';');
    return outcome;
}

Result GetFnInfoAnswer(RegisterLink& link, const std::string& port, int request,
                       FrameBuffer& answer) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link).appendInt(request);
    const Result outcome = link.exchange(port, kGetFnInfo);
    if (outcome == result::Ok) detail::copyAnswer(link, answer);
    return outcome;
}

}  // namespace zirok::protocol
