#include "protocol/answer_fields.hpp"

#include <charconv>
#include <cstring>
#include <string>

#include "protocol/text_helpers.hpp"

namespace zirok::protocol {

namespace {

constexpr std::size_t kDataOffset = 6;

std::string_view answerData(const FrameBuffer& answer) {
    const char* begin = answer.data() + kDataOffset;
    const void* zero = std::memchr(begin, 0, answer.size() - kDataOffset);
    const char* end = zero ? static_cast<const char*>(zero) : answer.data() + answer.size();
    return {begin, static_cast<std::size_t>(end - begin)};
}

std::string_view trim(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string_view field(const FrameBuffer& answer, std::size_t k) {
    return splitCollapsing(answerData(answer), std::string_view(&FS, 1), k + 1);
}

}  // namespace

std::optional<std::int64_t> parseInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> parseFloating(std::string_view text) {
    text = trim(text);
    if (text.empty() || text.size() > 64) return std::nullopt;
    char copy[65];
    std::memcpy(copy, text.data(), text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (copy[i] == ',') copy[i] = '.';
    const char* begin = copy[0] == '+' ? copy + 1 : copy;
    double value = 0;
    auto [end, ec] = std::from_chars(begin, copy + text.size(), value, std::chars_format::fixed);
    if (ec != std::errc{} || end != copy + text.size()) return std::nullopt;
    return value;
}

std::optional<std::int64_t> parseDecimal(std::string_view text, int decimals) {
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || decimals < 0 || decimals > 9) return std::nullopt;
    __int128 whole = 0;
    std::int64_t fraction = 0;
    int fractionDigits = 0;
    bool roundUp = false;
    bool seenPoint = false;
    bool seenDigit = false;
    for (char c : text) {
        if (c == '.' || c == ',') {
            if (seenPoint) return std::nullopt;
            seenPoint = true;
        } else if (c >= '0' && c <= '9') {
            seenDigit = true;
            if (!seenPoint) {
                whole = whole * 10 + (c - '0');
                if (whole > INT64_MAX) return std::nullopt;
            } else if (fractionDigits < decimals) {
                fraction = fraction * 10 + (c - '0');
                ++fractionDigits;
            } else if (fractionDigits++ == decimals) {
                roundUp = c >= '5';
            }
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit) return std::nullopt;
    std::int64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    for (int i = std::min(fractionDigits, decimals); i < decimals; ++i) fraction *= 10;
    const __int128 value = whole * scale + fraction + (roundUp ? 1 : 0);
    if (value > INT64_MAX) return std::nullopt;
    return static_cast<std::int64_t>(negative ? -value : value);
}

std::string_view answerText(const FrameBuffer& answer, std::size_t k) { return field(answer, k); }

std::int64_t answerInteger(const FrameBuffer& answer, std::size_t k) {
    return parseInteger(field(answer, k)).value_or(0);
}

double answerFloating(const FrameBuffer& answer, std::size_t k) {
    return parseFloating(field(answer, k)).value_or(0.0);
}

std::int64_t answerDecimal(const FrameBuffer& answer, std::size_t k, int decimals) {
    return parseDecimal(field(answer, k), decimals).value_or(0);
}

std::optional<ZirokDate> answerDate(const FrameBuffer& answer, std::size_t k) {
    const auto value = parseInteger(trim(field(answer, k)));
    if (!value || *value <= 0) return std::nullopt;
    return ZirokDate{static_cast<std::uint8_t>(*value % 100), static_cast<std::uint8_t>(*value / 100 % 100),
                     static_cast<std::uint8_t>(*value / 10000 % 100)};
}

std::optional<ZirokTime> answerTime(const FrameBuffer& answer, std::size_t k) {
    const auto value = parseInteger(trim(field(answer, k)));
    if (!value || *value < 0) return std::nullopt;
    return ZirokTime{static_cast<std::uint8_t>(*value / 10000 % 100), static_cast<std::uint8_t>(*value / 100 % 100),
                     static_cast<std::uint8_t>(*value % 100)};
}

}  // namespace zirok::protocol
