#pragma once
// The system's 8-bit (ANSI) code page and conversion to and from wide text.
// The service object works in Windows-1251, the code page of the Russian
// regional settings it is made for.
#include <string>
#include <string_view>

namespace zirok::platform {

int ansiCodePage();  // 1251

// Characters the code page cannot represent become "?", as Windows does.
std::string wideToAnsi(std::u16string_view text);
std::u16string ansiToWide(std::string_view text);

}  // namespace zirok::platform
