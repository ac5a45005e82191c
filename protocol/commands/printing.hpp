#pragma once
// Text lines, barcodes and QR codes, and the register's formatted-print
// commands. The print-type ones take part in package mode as noted.
#include <string>

#include "protocol/frame.hpp"
#include "protocol/register_link.hpp"

namespace zirok::protocol {

// 0x40. One line, converted and cut to 56; an empty text is not sent and
// gives 0. Written without an answer in package mode.
Result PrintText(RegisterLink& link, const std::string& port, const std::string& text,
                 int attributes);

// 0x41. `symbology` is the register's code; 8 is a QR code, whose data,
// when the application gives code page 866 (conversion off), goes back to
// Windows-1251 and then out as UTF-8. Other data is sent as given. Written
// without an answer in package mode when `packaged`.
Result PrintBarcode(RegisterLink& link, const std::string& port, int position, int width,
                    int height, int symbology, const std::string& data, bool packaged);

// 0x49. A message line, converted and cut to 56. Written without an answer
// in package mode when `packaged`.
Result PrintMessage(RegisterLink& link, const std::string& port, int attributes,
                    const std::string& text, bool packaged);

// 0x88. Field 0 of the answer is the size in dots of the QR code for `text`;
// copied only on success.
Result GetQrSize(RegisterLink& link, const std::string& port, const std::string& text,
                 FrameBuffer& answer);

// 0x65. `fields` is sent as it is; FS inside it separates the register's
// fields.
Result Command65(RegisterLink& link, const std::string& port, const std::string& fields);

// 0x66. As 0x65, but the text always goes to the register's code page.
Result Command66(RegisterLink& link, const std::string& port, const std::string& fields);

}  // namespace zirok::protocol
