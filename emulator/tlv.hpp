#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/decimal.hpp"
#include "emulator/register_clock.hpp"

// The fiscal storage's tagged values: tag (2 bytes), length (2 bytes), value,
// numbers little-endian. A container's value is itself a run of TLVs.
namespace zirok::emulator::tlv {

std::string raw(std::uint16_t tag, std::string_view value);
// Unsigned integer in `width` bytes (1, 2 or 4).
std::string number(std::uint16_t tag, std::uint32_t value, int width = 4);
// Kopecks in as few bytes as hold them (at least one).
std::string money(std::uint16_t tag, Kopecks value);
std::string text(std::uint16_t tag, std::string_view cp866);
std::string time(std::uint16_t tag, Moment moment);
// Thousandths: one byte of decimal places (3), then the number.
std::string quantity(std::uint16_t tag, std::int64_t thousandths);
// Two leading bytes, then the sign big-endian, as the storage prints it.
std::string fiscalSign(std::uint16_t tag, std::uint32_t sign);
std::string container(std::uint16_t tag, const std::vector<std::string>& members);

// One decoded TLV; `value` is the raw bytes.
struct Entry {
    std::uint16_t tag = 0;
    std::string value;
};

// The TLVs one after another in `bytes`; stops at the first that does not fit.
std::vector<Entry> entries(std::string_view bytes);
std::uint64_t unsignedOf(std::string_view littleEndian);

// Bytes as upper-case hexadecimal text, two characters a byte.
std::string hex(std::string_view bytes);

}  // namespace zirok::emulator::tlv
