#pragma once
// Small text helpers the frames and the answer readers are built from.
#include <cstdint>
#include <string>
#include <string_view>

namespace zirok::protocol {

inline constexpr char FS = 0x1C;  // field separator

// Two upper-case hexadecimal digits.
std::string byteToHex(std::uint8_t value);

// A hexadecimal text, upper or lower case, with or without a leading "$";
// an empty, invalid or over-long (more than 8 digits) text gives 0. Eight
// digits wrap into the signed 32-bit range, as the register's tools read them.
std::int32_t hexToNumber(std::string_view text);

// The text with `fill` added in front until it is at least `width` long.
std::string padLeft(std::string_view text, char fill, std::size_t width);

// The k-th (1-based) run of characters not in `separators`; runs of
// separators count as one, so empty pieces are skipped. Empty when absent.
std::string_view splitCollapsing(std::string_view text, std::string_view separators, std::size_t k);

// The k-th (1-based) piece between separators, empty pieces included.
// Empty when the text has fewer pieces.
std::string_view splitKeeping(std::string_view text, std::string_view separators, std::size_t k);

// Every occurrence of `search`, scanning left to right, replaced; an empty
// search text leaves the text as it is.
std::string replaceAll(std::string_view text, std::string_view search, std::string_view replacement);

}  // namespace zirok::protocol
