#pragma once
// The logo, pictures stored in the register, and pictures sent for printing.
// Each transfer is a command that the register acknowledges before it takes
// the bytes that follow.
#include <string>
#include <string_view>

#include "protocol/register_link.hpp"

namespace zirok::protocol {

// 0x15. `bmp` is the whole monochrome BMP file. On success the logo flag
// (table 1 bit 2) is set; that update does not change the result.
Result LoadLogo(RegisterLink& link, const std::string& port, std::string_view bmp);

// 0x16, waiting up to 90 s. On success the logo flag is cleared; that
// update does not change the result.
Result DeleteLogo(RegisterLink& link, const std::string& port);

// 0x18. Stores a raster (rows top first, width / 8 bytes each, bit 7 the
// leftmost dot) as picture `number`; `width` is a multiple of 8.
Result LoadPicture(RegisterLink& link, const std::string& port, int width, int height, int number,
                   std::string_view raster);

// 0x55. Prints a raster laid out as for LoadPicture; alignment 0..2.
Result PrintPicture(RegisterLink& link, const std::string& port, int width, int height,
                    int alignment, std::string_view raster);

// 0x56. Prints stored picture `number`; alignment 0..2.
Result PrintStoredPicture(RegisterLink& link, const std::string& port, int alignment, int number);

// 0x67. Prints a PNG file's bytes; alignment 0..2.
Result PrintPngPicture(RegisterLink& link, const std::string& port, int width, int height,
                       int alignment, std::string_view png);

}  // namespace zirok::protocol
