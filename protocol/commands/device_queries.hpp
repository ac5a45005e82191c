#pragma once
// Queries that read the register's counters, identity, last receipt and
// printer state. Each copies the whole answer frame to `answer` only when it
// succeeded; read its fields with the readers of answer_fields.hpp.
#include <cstdint>
#include <string>

#include "protocol/frame.hpp"
#include "protocol/register_link.hpp"

namespace zirok::protocol {

// 0x01. Requests used: 1, 2, 3, 5, 7, 9 and 3..6, 10, 11.
Result GetCounters(RegisterLink& link, const std::string& port, int request, FrameBuffer& answer);

// 0x02. Request 1: field 1 is the factory serial number, in the register's
// code page; 2: field 1 the firmware version; 5: field 1 the date and field 2
// the time of the last document.
Result GetDeviceInfo(RegisterLink& link, const std::string& port, int request, FrameBuffer& answer);

// 0x03. Request 1 or 2.
Result GetReceiptData(RegisterLink& link, const std::string& port, int request,
                      FrameBuffer& answer);

// 0x05. Request 1..9.
Result GetServiceInfo(RegisterLink& link, const std::string& port, int request,
                      FrameBuffer& answer);

// 0x04. The printer's flag word and what it means in words (Windows-1251),
// both set only on success.
Result GetPrinterStatus(RegisterLink& link, const std::string& port, std::int64_t& flags,
                        std::string& message);

// The words for a printer flag word: the texts of its known bits joined by
// " ИЛИ "; empty when the word is not positive or has no known bit set.
std::string printerStatusMessage(std::int64_t flags);

}  // namespace zirok::protocol
