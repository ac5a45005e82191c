#pragma once
#include <string>
#include <string_view>

#include "emulator/register_state.hpp"

// The paper tape: what the register prints, as UTF-8 lines in the printed
// order. Lines go to RegisterState::printed, where the owner collects them.
namespace zirok::emulator::tape {

// Characters on a line of the 80 mm roll.
inline constexpr std::size_t kWidth = 48;

void print(RegisterState& state, std::string utf8Line);
// A text the register keeps in code page 866.
void printDevice(RegisterState& state, std::string_view cp866Line);

// Characters (not bytes) of a UTF-8 text.
std::size_t widthOf(std::string_view utf8);
std::string centered(std::string_view utf8);
// Left text, spaces, right text; on two lines when they do not fit one.
std::string leftRight(std::string_view left, std::string_view right);
std::string rule(char c = '-');

}  // namespace zirok::emulator::tape
