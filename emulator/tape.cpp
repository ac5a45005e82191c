#include "emulator/tape.hpp"

#include "emulator/cp866_text.hpp"

namespace zirok::emulator::tape {

void print(RegisterState& state, std::string utf8Line) {
    state.printed.push_back(std::move(utf8Line));
}

void printDevice(RegisterState& state, std::string_view cp866Line) {
    print(state, cp866ToUtf8(cp866Line));
}

std::size_t widthOf(std::string_view utf8) {
    std::size_t width = 0;
    for (char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
    }
    return width;
}

std::string centered(std::string_view utf8) {
    const std::size_t width = widthOf(utf8);
    if (width >= kWidth) return std::string(utf8);
    return std::string((kWidth - width) / 2, ' ') + std::string(utf8);
}

std::string leftRight(std::string_view left, std::string_view right) {
    const std::size_t used = widthOf(left) + widthOf(right);
    if (used < kWidth)
        return std::string(left) + std::string(kWidth - used, ' ') + std::string(right);
    const std::size_t rightWidth = widthOf(right);
    return std::string(left) + "\n" +
           std::string(rightWidth < kWidth ? kWidth - rightWidth : 0, ' ') + std::string(right);
}

std::string rule(char c) {
    return std::string(kWidth, c);
}

}  // namespace zirok::emulator::tape
