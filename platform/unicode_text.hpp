#pragma once
// UTF-8 and UTF-16 text, for the edges where the system meets files, command
// lines and paths that are UTF-8 on POSIX.
#include <optional>
#include <string>
#include <string_view>

namespace zirok::platform {

// Nothing when the bytes are not valid UTF-8.
std::optional<std::u16string> utf8ToWide(std::string_view text);
// An unpaired surrogate becomes U+FFFD.
std::string wideToUtf8(std::u16string_view text);

// UTF-16 as little-endian bytes, as Windows stores it (registry data, files);
// a trailing odd byte is dropped.
std::string wideToUtf16Le(std::u16string_view text);
std::u16string utf16LeToWide(std::string_view bytes);

}  // namespace zirok::platform
