#pragma once
// Readers of an answer frame's fields. The data runs from offset 6 to the
// first zero byte (so it includes the ETX and checksum run at the end) and
// splits at FS; runs of FS count as one, so an empty field takes no index.
#include <cstdint>
#include <optional>
#include <string_view>

#include "protocol/date_time.hpp"
#include "protocol/frame.hpp"

namespace zirok::protocol {

// The k-th (0-based) field, unchanged; empty when absent.
std::string_view answerText(const FrameBuffer& answer, std::size_t k);

// The field as a decimal integer; anything else reads as 0.
std::int64_t answerInteger(const FrameBuffer& answer, std::size_t k);

// The field, trimmed, as a number with "." or "," as the decimal point;
// unreadable reads as 0. For values the register shows as floating.
double answerFloating(const FrameBuffer& answer, std::size_t k);

// The field, trimmed, as an exact fixed-point number scaled to `decimals`
// digits (4 gives OPOS currency); digits beyond are rounded half away from
// zero. Unreadable reads as 0. Money never goes through floating point.
std::int64_t answerDecimal(const FrameBuffer& answer, std::size_t k, int decimals = 4);

// DDMMYY; a value of 0 or an unreadable text is not read.
std::optional<ZirokDate> answerDate(const FrameBuffer& answer, std::size_t k);

// HHMMSS; an unreadable text is not read. "000000" is midnight, a time the
// register's clock really shows once a day, so it reads as 00:00:00.
std::optional<ZirokTime> answerTime(const FrameBuffer& answer, std::size_t k);

// Parsers of one field's text, shared with the readers above.
std::optional<std::int64_t> parseInteger(std::string_view text);
std::optional<double> parseFloating(std::string_view text);
std::optional<std::int64_t> parseDecimal(std::string_view text, int decimals);

}  // namespace zirok::protocol
