#include "protocol/codepage.hpp"

#include <array>
#include <cstdint>

namespace zirok::protocol {

namespace {

using Table = std::array<std::uint8_t, 256>;

constexpr Table makeToDevice() {
    Table t{};
    for (int b = 0; b < 256; ++b) t[b] = static_cast<std::uint8_t>(b);
    for (int b = 0xC0; b <= 0xEF; ++b) t[b] = static_cast<std::uint8_t>(b - 0x40);
    for (int b = 0xF0; b <= 0xFF; ++b) t[b] = static_cast<std::uint8_t>(b - 0x10);
    t[0xA8] = 0xF0;  // Ё
    t[0xB8] = 0xF1;  // ё
    t[0xB9] = 0xFC;  // №
    return t;
}

constexpr Table makeFromDevice() {
    Table t{};
    for (int b = 0; b < 256; ++b) t[b] = static_cast<std::uint8_t>(b);
    for (int b = 0x80; b <= 0xAF; ++b) t[b] = static_cast<std::uint8_t>(b + 0x40);
    for (int b = 0xE0; b <= 0xEF; ++b) t[b] = static_cast<std::uint8_t>(b + 0x10);
    t[0xF0] = 0xA8;
    t[0xF1] = 0xB8;
    t[0xFC] = 0xB9;
    return t;
}

constexpr Table kToDevice = makeToDevice();
constexpr Table kFromDevice = makeFromDevice();

void mapInPlace(std::string& text, const Table& table) {
    for (char& c : text) c = static_cast<char>(table[static_cast<std::uint8_t>(c)]);
}

}  // namespace

void toDeviceTextInPlace(std::string& text) { mapInPlace(text, kToDevice); }
void fromDeviceTextInPlace(std::string& text) { mapInPlace(text, kFromDevice); }

std::string toDeviceText(std::string_view windows1251) {
    std::string out(windows1251);
    toDeviceTextInPlace(out);
    return out;
}

std::string fromDeviceText(std::string_view cp866) {
    std::string out(cp866);
    fromDeviceTextInPlace(out);
    return out;
}

}  // namespace zirok::protocol
