#pragma once
// Any register command, for the application's own use of the register.
#include <cstdint>
#include <string>

#include "protocol/register_link.hpp"

namespace zirok::protocol {

// Sends `code` with `text` (converted to the register's code page; FS inside
// it separates fields). On success `text` becomes the answer from its data
// on: the fields with their separators, the ETX and the two checksum
// characters. Codes 0x40..0x49 and 0x52 print, so in package mode they are
// written without reading an answer and `text` comes back empty. On failure
// `text` is left as it was.
Result SendTextCommand(RegisterLink& link, const std::string& port, std::uint8_t code,
                       std::string& text);

}  // namespace zirok::protocol
