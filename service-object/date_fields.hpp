#pragma once
// Dates and times the application writes as plain digits (DDMMYY...).
#include <cstddef>
#include <cstdint>
#include <string>

namespace zirok::so {

// Characters [first, first + count) of `text` as a decimal number. A piece
// that is missing or not a number fails the call (CallFailure): a clock set
// to a guess, or a report over some other period, is worse than a refusal.
std::int32_t dateField(const std::u16string& text, std::size_t first, std::size_t count);

}  // namespace zirok::so
