#pragma once
#include <string>
#include <string_view>

// The register keeps and prints its texts in code page 866; the paper tape and
// the emulator's own sources are UTF-8.
namespace zirok::emulator {

std::string cp866ToUtf8(std::string_view cp866);

// Characters code page 866 lacks become '?'.
std::string utf8ToCp866(std::string_view utf8);

}  // namespace zirok::emulator
