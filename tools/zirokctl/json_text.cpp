#include "tools/zirokctl/json_text.hpp"

#include <cstdio>

#include "platform/ansi_text.hpp"
#include "platform/unicode_text.hpp"

namespace zirok::ctl {

using platform::Variant;
using platform::VarType;

namespace {

std::string quoted(std::string_view utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

}  // namespace

std::string jsonString(std::u16string_view text) {
    return quoted(platform::wideToUtf8(text));
}

std::string jsonString(std::string_view text) {
    if (platform::utf8ToWide(text)) return quoted(text);
    return jsonString(platform::ansiToWide(text));
}

std::string jsonValue(const Variant& value) {
    const Variant& v = value.value();
    switch (v.type()) {
        case VarType::Empty:
            return "null";
        case VarType::I4:
            return std::to_string(v.asInt());
        case VarType::Bool:
            return v.asBool() ? "true" : "false";
        case VarType::Cy:
            // Exact: automation writes an amount as its decimal text.
            return platform::wideToUtf8(platform::coerce(v, VarType::BStr).asString());
        case VarType::BStr:
            return jsonString(v.asString());
        case VarType::Dispatch:
            return v.asDispatch() ? "\"<dispatch>\"" : "null";
    }
    return "null";
}

std::string callLine(const CallOutcome& o) {
    std::string line = "{\"call\": " + jsonString(std::string_view(o.method));
    if (o.error) return line + ", \"error\": " + jsonString(std::string_view(*o.error)) + "}";
    line += ", \"result\": " + jsonValue(o.result) + ", \"out\": {";
    for (std::size_t i = 0; i < o.out.size(); ++i) {
        if (i) line += ", ";
        line += jsonString(std::string_view(o.out[i].first)) + ": " + jsonValue(o.out[i].second);
    }
    line += "}, \"ResultCode\": " + jsonValue(o.resultCode) +
            ", \"ResultCodeExtended\": " + jsonValue(o.resultCodeExtended) +
            ", \"ErrorString\": " + jsonValue(o.errorString) + "}";
    return line;
}

std::string eventLine(std::string_view event, const std::vector<Variant>& args) {
    std::string line = "{\"event\": " + jsonString(event) + ", \"args\": [";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i) line += ", ";
        line += jsonValue(args[i]);
    }
    return line + "]}";
}

}  // namespace zirok::ctl
