#include "emulator/tlv.hpp"

namespace zirok::emulator::tlv {

namespace {

std::string littleEndian(std::uint64_t value, int width) {
    std::string bytes;
    for (int i = 0; i < width; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

int minimalWidth(std::uint64_t value) {
    int width = 1;
    while (width < 8 && value >> (8 * width) != 0) ++width;
    return width;
}

}  // namespace

std::string raw(std::uint16_t tag, std::string_view value) {
    return littleEndian(tag, 2) + littleEndian(value.size(), 2) + std::string(value);
}

std::string number(std::uint16_t tag, std::uint32_t value, int width) {
    return raw(tag, littleEndian(value, width));
}

std::string money(std::uint16_t tag, Kopecks value) {
    const auto magnitude = static_cast<std::uint64_t>(value < 0 ? 0 : value);
    return raw(tag, littleEndian(magnitude, minimalWidth(magnitude)));
}

std::string text(std::uint16_t tag, std::string_view cp866) {
    return raw(tag, cp866);
}

std::string time(std::uint16_t tag, Moment moment) {
    return raw(tag, littleEndian(static_cast<std::uint64_t>(moment), 4));
}

std::string quantity(std::uint16_t tag, std::int64_t thousandths) {
    const auto magnitude = static_cast<std::uint64_t>(thousandths < 0 ? 0 : thousandths);
    return raw(tag, std::string(1, '\x03') + littleEndian(magnitude, minimalWidth(magnitude)));
}

std::string fiscalSign(std::uint16_t tag, std::uint32_t sign) {
    std::string value(2, '\0');
    for (int shift = 24; shift >= 0; shift -= 8) value += static_cast<char>(sign >> shift & 0xFF);
    return raw(tag, value);
}

std::string container(std::uint16_t tag, const std::vector<std::string>& members) {
    std::string value;
    for (const std::string& member : members) value += member;
    return raw(tag, value);
}

std::uint64_t unsignedOf(std::string_view littleEndian) {
    std::uint64_t value = 0;
    for (std::size_t i = littleEndian.size(); i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(littleEndian[i]);
    }
    return value;
}

std::vector<Entry> entries(std::string_view bytes) {
    std::vector<Entry> found;
    while (bytes.size() >= 4) {
        const auto tag = static_cast<std::uint16_t>(unsignedOf(bytes.substr(0, 2)));
        const auto length = static_cast<std::size_t>(unsignedOf(bytes.substr(2, 2)));
        if (bytes.size() - 4 < length) break;
        found.push_back(Entry{tag, std::string(bytes.substr(4, length))});
        bytes.remove_prefix(4 + length);
    }
    return found;
}

std::string hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

}  // namespace zirok::emulator::tlv
