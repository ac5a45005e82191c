#pragma once
// The written form of a call: `Method arg ...`, one call a line.
//
// Arguments: decimal integers; true and false; decimal amounts with up to
// four decimals (currency); strings in double quotes with the escapes \\ \"
// \n \r \t and \xHH, a raw byte read through the ANSI code page. Text is
// UTF-8. A # outside a string starts a comment.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation.hpp"

namespace zirok::ctl {

struct Call {
    std::string method;
    std::vector<platform::Variant> args;  // integer, boolean, currency or string
};

// Nothing for a blank or comment-only line. Raises std::invalid_argument
// naming what is wrong.
std::optional<Call> parseCall(std::string_view line);

// Every call of a script, one per line. Raises std::invalid_argument with the
// line number.
std::vector<Call> parseScript(std::string_view text);

}  // namespace zirok::ctl
