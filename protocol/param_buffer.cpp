#include "protocol/param_buffer.hpp"

#include <charconv>
#include <cstring>

#include "protocol/text_helpers.hpp"

namespace zirok::protocol {

namespace {

constexpr std::int64_t kPowersOfTen[] = {1,
                                         10,
                                         100,
                                         1000,
                                         10000,
                                         100000,
                                         1000000,
                                         10000000,
                                         100000000,
                                         1000000000,
                                         10000000000,
                                         100000000000,
                                         1000000000000,
                                         10000000000000,
                                         100000000000000,
                                         1000000000000000,
                                         10000000000000000,
                                         100000000000000000,
                                         1000000000000000000};
constexpr int kMaxDecimals = 18;

char* twoDigits(char* out, unsigned value) {
    *out++ = static_cast<char>('0' + value / 10 % 10);
    *out++ = static_cast<char>('0' + value % 10);
    return out;
}

}  // namespace

void ParamBuffer::clear() {
    bytes_.fill(' ');
    length_ = 0;
    overflowed_ = false;
}

void ParamBuffer::appendField(std::string_view text) {
    if (overflowed_ || text.size() + 1 > kMaxRequestData - length_) {
        overflowed_ = true;
        return;
    }
    if (!text.empty()) std::memcpy(bytes_.data() + length_, text.data(), text.size());
    length_ += text.size();
    bytes_[length_++] = FS;
}

void ParamBuffer::appendInt(std::int64_t value) {
    char text[24];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    appendField({text, static_cast<std::size_t>(end - text)});
}

void ParamBuffer::appendText(std::string_view text) {
    if (!text.empty()) appendField(text);
}

void ParamBuffer::appendEmpty() { appendField({}); }

void ParamBuffer::appendDecimal(std::int64_t value, int valueDecimals, int decimals) {
    if (value == 0) {
        appendField("0");
        return;
    }
    if (valueDecimals < 0 || valueDecimals > kMaxDecimals || decimals < 0 || decimals > kMaxDecimals) {
        overflowed_ = true;  // a caller's mistake; nothing sensible can be sent
        return;
    }
    // Work on the magnitude in unsigned arithmetic so INT64_MIN cannot overflow.
    const bool negative = value < 0;
    unsigned __int128 magnitude = negative ? -static_cast<unsigned __int128>(value) : value;
    if (decimals > valueDecimals) {
        magnitude *= static_cast<std::uint64_t>(kPowersOfTen[decimals - valueDecimals]);
    } else if (decimals < valueDecimals) {
        const auto divisor = static_cast<std::uint64_t>(kPowersOfTen[valueDecimals - decimals]);
        magnitude = (magnitude + divisor / 2) / divisor;
    }
    const auto scale = static_cast<std::uint64_t>(kPowersOfTen[decimals]);
    const auto whole = static_cast<std::uint64_t>(magnitude / scale);
    auto fraction = static_cast<std::uint64_t>(magnitude % scale);

    char text[48];
    char* out = text;
    if (negative) *out++ = '-';
    out = std::to_chars(out, text + sizeof text, whole).ptr;
    if (decimals > 0) {
        *out++ = '.';
        for (int i = decimals - 1; i >= 0; --i) {
            out[i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        out += decimals;
    }
    appendField({text, static_cast<std::size_t>(out - text)});
}

void ParamBuffer::appendDate(const ZirokDate& date) {
    char text[6];
    char* out = twoDigits(text, date.Day);
    out = twoDigits(out, date.Month);
    twoDigits(out, date.Year);
    appendField({text, sizeof text});
}

void ParamBuffer::appendTime(const ZirokTime& time) {
    char text[6];
    char* out = twoDigits(text, time.Hour);
    out = twoDigits(out, time.Min);
    twoDigits(out, time.Sec);
    appendField({text, sizeof text});
}

}  // namespace zirok::protocol
