#include "emulator/decimal.hpp"

#include <algorithm>
#include <charconv>

namespace zirok::emulator {

namespace {

constexpr std::int64_t kLimit = 1'000'000'000'000'000;  // 10^15
constexpr int kMaxDecimals = 18;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::int64_t> parseScaled(std::string_view text, int decimals) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find_first_of(".,");
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) return std::nullopt;

    __int128 value = 0;
    for (char c : whole) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > kLimit) return std::nullopt;
    }
    bool roundUp = false;
    for (std::size_t i = 0; i < fraction.size(); ++i) {
        const char c = fraction[i];
        if (!isDigit(c)) return std::nullopt;
        if (static_cast<int>(i) < decimals) {
            value = value * 10 + (c - '0');
        } else if (static_cast<int>(i) == decimals) {
            roundUp = c >= '5';
        }
    }
    for (int i = static_cast<int>(fraction.size()); i < decimals; ++i) value *= 10;
    if (roundUp) ++value;
    if (value > kLimit) return std::nullopt;
    const auto result = static_cast<std::int64_t>(value);
    return negative ? -result : result;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string formatScaled(std::int64_t value, int decimals) {
    // An int64 has at most 19 digits; more decimals than that only add zeros.
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    const bool negative = value < 0;
    // Works on the magnitude as unsigned, so INT64_MIN has one too.
    std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    // Digits from the right, the point after `decimals` of them.
    char text[48];
    char* end = text + sizeof text;
    char* at = end;
    int written = 0;
    do {
        if (decimals > 0 && written == decimals) *--at = '.';
        *--at = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++written;
    } while (magnitude != 0 || written <= decimals);
    if (negative) *--at = '-';
    return std::string(at, end);
}

std::int64_t divideRounded(__int128 numerator, __int128 denominator) {
    const bool negative = numerator < 0;
    const __int128 magnitude = negative ? -numerator : numerator;
    const __int128 quotient = (magnitude * 2 + denominator) / (denominator * 2);
    return static_cast<std::int64_t>(negative ? -quotient : quotient);
}

}  // namespace zirok::emulator
