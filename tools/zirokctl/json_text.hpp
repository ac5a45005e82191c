#pragma once
// The JSON lines zirokctl prints: one object per call or event, strings as
// UTF-8.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/automation.hpp"

namespace zirok::ctl {

// A quoted JSON string. Wide text is written as UTF-8; a byte text that is
// not valid UTF-8 is taken as ANSI (Windows-1251) text.
std::string jsonString(std::u16string_view text);
std::string jsonString(std::string_view text);

// An integer, true/false, an exact decimal amount, a string, or null for an
// empty variant; a by-reference variant prints its target.
std::string jsonValue(const platform::Variant& value);

struct CallOutcome {
    std::string method;
    std::optional<std::string> error;                            // the call failed as a call
    platform::Variant result;                                    // empty when the method has none
    std::vector<std::pair<std::string, platform::Variant>> out;  // declaration order
    platform::Variant resultCode;
    platform::Variant resultCodeExtended;
    platform::Variant errorString;
};

std::string callLine(const CallOutcome& outcome);
std::string eventLine(std::string_view event, const std::vector<platform::Variant>& args);

}  // namespace zirok::ctl
