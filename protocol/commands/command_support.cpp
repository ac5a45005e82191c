#include "protocol/commands/command_support.hpp"

#include <algorithm>

#include "platform/ansi_text.hpp"
#include "protocol/codepage.hpp"

namespace zirok::protocol::detail {

namespace {
constexpr std::size_t kAnswerDataOffset = 6;
}

std::string deviceText(const RegisterLink& link, std::string_view text) {
    return link.activeConversion() ? toDeviceText(text) : std::string(text);
}

std::string deviceText(const RegisterLink& link, std::string_view text, std::size_t limit) {
    std::string converted = deviceText(link, text);
    if (converted.size() > limit) converted.resize(limit);
    return converted;
}

std::string narrow(std::u16string_view text) {
    return platform::wideToAnsi(text);
}

void appendTextOrEmpty(ParamBuffer& params, std::string_view text) {
    if (text.empty()) {
        params.appendEmpty();
    } else {
        params.appendText(text);
    }
}

void appendTrailingTexts(ParamBuffer& params, std::initializer_list<std::string_view> texts) {
    std::size_t sent = 0;  // texts up to the last non-empty one
    std::size_t i = 0;
    for (std::string_view text : texts) {
        ++i;
        if (!text.empty()) sent = i;
    }
    i = 0;
    for (std::string_view text : texts) {
        if (++i > sent) break;
        appendTextOrEmpty(params, text);
    }
}

ParamBuffer& startRequest(RegisterLink& link) {
    link.params().clear();
    return link.params();
}

void copyAnswer(const RegisterLink& link, FrameBuffer& out) {
    out = link.answer();
}

std::size_t answerEtxOffset(const FrameBuffer& answer) {
    const auto from = answer.begin() + kAnswerDataOffset;
    return static_cast<std::size_t>(std::find(from, answer.end(), ETX) - answer.begin());
}

ZirokDate dateOf(const platform::LocalDateTime& now) {
    return {static_cast<std::uint8_t>(now.year % 100), static_cast<std::uint8_t>(now.month),
            static_cast<std::uint8_t>(now.day)};
}

ZirokTime timeOf(const platform::LocalDateTime& now) {
    return {static_cast<std::uint8_t>(now.hour), static_cast<std::uint8_t>(now.minute),
            static_cast<std::uint8_t>(now.second)};
}

}  // namespace zirok::protocol::detail
