#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Exact fixed-point numbers as the register reads and writes them in its
// fields. Amounts are kept as integers scaled by a power of ten; nothing here
// touches floating point.
namespace zirok::emulator {

// Money as the fiscal storage keeps it: hundredths of a rouble.
using Kopecks = std::int64_t;

// Reads "12", "-3.5", "0,25" scaled by 10^decimals. Digits beyond `decimals`
// are rounded half away from zero. Leading and trailing spaces are allowed;
// anything else that is not a number, or a magnitude past 10^15 once scaled,
// gives nullopt.
std::optional<std::int64_t> parseScaled(std::string_view text, int decimals);

// A whole decimal number, optionally signed, within int64.
std::optional<std::int64_t> parseInteger(std::string_view text);

// The value with exactly `decimals` (at most 18) digits after a ".".
std::string formatScaled(std::int64_t value, int decimals);

inline std::string formatKopecks(Kopecks value) {
    return formatScaled(value, 2);
}

// numerator / denominator rounded half away from zero; denominator > 0.
std::int64_t divideRounded(__int128 numerator, __int128 denominator);

}  // namespace zirok::emulator
