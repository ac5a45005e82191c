#pragma once
// The register's settings tables: reading an entry, writing one, and the
// fixed entries the driver writes.
#include <cstdint>
#include <string>

#include "protocol/frame.hpp"
#include "protocol/register_link.hpp"

namespace zirok::protocol {

// 0x11. Field 0 of the answer is the value; copied only on success.
Result ReadTable(RegisterLink& link, const std::string& port, int table, int index,
                 FrameBuffer& answer);

// 0x12 with an integer value. A negative POS number (table 10) is refused
// with 32 and nothing is sent.
Result WriteTable(RegisterLink& link, const std::string& port, int table, int index,
                  std::int64_t value);

// 0x12 with a text value, converted to the register's code page. Used as it
// is for the registration texts (71, 81, 82, 85), the key and data server
// address and port (77, 78) and the OISM parameters (200 + N).
Result WriteTableText(RegisterLink& link, const std::string& port, int table, int index,
                      const std::string& text);

// The POS number, table 10 field 0; 1 when it cannot be read.
std::int64_t ReadPosNumber(RegisterLink& link, const std::string& port);

// Table 10 entry 0.
Result SetPosNumber(RegisterLink& link, const std::string& port, std::int64_t number);

// Tables 30 and 31: header and trailer lines, by 0-based line number.
Result WriteHeaderLine(RegisterLink& link, const std::string& port, int line,
                       const std::string& text);
Result WriteTrailerLine(RegisterLink& link, const std::string& port, int line,
                        const std::string& text);

// Table 32: payment type names 1..15; an index outside is sent as the
// nearest end.
Result WritePaymentName(RegisterLink& link, const std::string& port, int index,
                        const std::string& name);

// Table 40: tax names 0..5; an index outside is sent as the nearest end.
Result WriteTaxName(RegisterLink& link, const std::string& port, int index,
                    const std::string& name);

// Table 41: tax rates 0..5 (an index outside is sent as the nearest end).
// `rate` is the rate in percent times 10000, as OPOS currency holds it.
Result WriteTaxRate(RegisterLink& link, const std::string& port, int index, std::int64_t rate);

// Table 50: department names 1..16.
Result WriteDepartmentName(RegisterLink& link, const std::string& port, int index,
                           const std::string& name);

// Entry 0 of a flag-word table (1 and 5): reads the word and writes it back
// with `setBits` set and `clearBits` cleared. When the word cannot be read
// nothing is written, so the other bits are never overwritten with a guess:
// the result is then the read's failure, or 241 when the register answered
// with something that is not a number.
Result ChangeTableFlags(RegisterLink& link, const std::string& port, int table,
                        std::int64_t setBits, std::int64_t clearBits);

// Table 5 entry 0, bit 1, cleared at every device claim.
Result ClearTable5Bit1(RegisterLink& link, const std::string& port);

// Table 1 entry 0, bit 2: whether the register prints its loaded logo.
// LoadLogo and DeleteLogo set and clear it.
Result SetLogoFlag(RegisterLink& link, const std::string& port, bool on);

}  // namespace zirok::protocol
