#include "tools/zirokctl/call_syntax.hpp"

#include <charconv>
#include <limits>
#include <stdexcept>

#include "platform/ansi_text.hpp"
#include "platform/unicode_text.hpp"

namespace zirok::ctl {

using platform::Variant;

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

[[noreturn]] void fail(const std::string& what) {
    throw std::invalid_argument(what);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::u16string widen(std::string_view utf8) {
    auto wide = platform::utf8ToWide(utf8);
    if (!wide) fail("a string is not valid UTF-8");
    return *wide;
}

// `text` starts at the opening quote; on return `pos` is past the closing one.
std::u16string readString(std::string_view text, std::size_t& pos) {
    std::u16string out;
    std::string plain;  // UTF-8 run between escapes
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            out += widen(plain);
            ++pos;
            return out;
        }
        if (c != '\\') {
            plain += c;
            continue;
        }
        if (++pos == text.size()) break;
        switch (text[pos]) {
            case '\\':
                plain += '\\';
                break;
            case '"':
                plain += '"';
                break;
            case 'n':
                plain += '\n';
                break;
            case 'r':
                plain += '\r';
                break;
            case 't':
                plain += '\t';
                break;
            case 'x': {
                const int high = pos + 1 < text.size() ? hexDigit(text[pos + 1]) : -1;
                const int low = pos + 2 < text.size() ? hexDigit(text[pos + 2]) : -1;
                if (high < 0 || low < 0) fail("\\x needs two hex digits");
                out += widen(plain);
                plain.clear();
                out += platform::ansiToWide(std::string(1, static_cast<char>(high * 16 + low)));
                pos += 2;
                break;
            }
            default:
                fail(std::string("unknown escape \\") + text[pos]);
        }
    }
    fail("a string has no closing quote");
}

// An integer, or an amount when it has a fraction or does not fit 32 bits.
Variant readNumber(std::string_view token) {
    std::string_view digits = token;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
        digits.remove_prefix(1);
    const auto dot = digits.find('.');
    const std::string_view whole = digits.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : digits.substr(dot + 1);
    auto allDigits = [](std::string_view s) {
        for (char c : s) {
            if (!isDigit(c)) return false;
        }
        return true;
    };
    if (whole.empty() || !allDigits(whole) || !allDigits(fraction) ||
        (dot != std::string_view::npos && fraction.empty())) {
        fail("not a number: " + std::string(token));
    }
    if (fraction.size() > 4) fail("more than four decimals: " + std::string(token));

    std::string scaled(whole);
    scaled += fraction;
    scaled.append(4 - fraction.size(), '0');
    std::int64_t units = 0;
    const auto [end, error] = std::from_chars(scaled.data(), scaled.data() + scaled.size(), units);
    if (error != std::errc() || end != scaled.data() + scaled.size()) {
        fail("out of range: " + std::string(token));
    }
    if (negative) units = -units;
    if (dot == std::string_view::npos && units % 10000 == 0) {
        const std::int64_t value = units / 10000;
        if (value >= std::numeric_limits<std::int32_t>::min() &&
            value <= std::numeric_limits<std::int32_t>::max()) {
            return Variant(static_cast<std::int32_t>(value));
        }
    }
    return Variant(platform::Currency{units});
}

Variant readWord(std::string_view token) {
    if (token == "true") return Variant(true);
    if (token == "false") return Variant(false);
    return readNumber(token);
}

bool isMethodName(std::string_view token) {
    if (token.empty() || isDigit(token.front())) return false;
    for (char c : token) {
        if (!(isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_')) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<Call> parseCall(std::string_view line) {
    Call call;
    std::size_t pos = 0;
    bool first = true;
    while (true) {
        while (pos < line.size() && isBlank(line[pos])) ++pos;
        if (pos == line.size() || line[pos] == '#') break;
        if (line[pos] == '"') {
            if (first) fail("a call starts with a method name");
            const std::u16string text = readString(line, pos);
            call.args.push_back(Variant(text));
            if (pos < line.size() && !isBlank(line[pos])) fail("a string must end its argument");
        } else {
            const std::size_t start = pos;
            while (pos < line.size() && !isBlank(line[pos])) ++pos;
            const std::string_view token = line.substr(start, pos - start);
            if (first) {
                if (!isMethodName(token)) fail("not a method name: " + std::string(token));
                call.method = token;
            } else {
                call.args.push_back(readWord(token));
            }
        }
        first = false;
    }
    if (first) return std::nullopt;
    return call;
}

std::vector<Call> parseScript(std::string_view text) {
    std::vector<Call> calls;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        try {
            if (auto call = parseCall(line)) calls.push_back(std::move(*call));
        } catch (const std::invalid_argument& e) {
            fail("line " + std::to_string(lineNumber) + ": " + e.what());
        }
    }
    return calls;
}

}  // namespace zirok::ctl
