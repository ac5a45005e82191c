#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Byte layout of the register's frames as the register sees them: requests
// come in, answers go out. Pure functions, no I/O.
namespace zirok::emulator {

inline constexpr char kStx = 0x02;
inline constexpr char kEtx = 0x03;
inline constexpr char kFs = 0x1C;

// The host builds requests in 1029-byte buffers, so nothing longer is a request.
inline constexpr std::size_t kMaxRequestBytes = 1029;
// STX, password(4), id, code(2), ETX, checksum(2).
inline constexpr std::size_t kMinRequestBytes = 11;

struct Request {
    std::string password;
    std::uint8_t id = 0;
    std::uint8_t code = 0;
    std::vector<std::string> fields;
    bool checksumOk = false;
};

struct Answer {
    std::uint8_t id = 0;
    std::uint8_t code = 0;
    std::uint8_t error = 0;
    std::vector<std::string> fields;
};

// XOR of every byte.
std::uint8_t xorOf(std::string_view bytes);

// Two upper-case hex digits.
std::string hexByte(std::uint8_t value);

// Reads two hex digits of either case.
std::optional<std::uint8_t> parseHexByte(std::string_view digits);

// A frame that is not shaped like a request (no STX, too short, no ETX three
// bytes from the end, a command code that is not hex) gives nullopt. A frame
// shaped right but with a wrong checksum parses with checksumOk false, because
// the register still answers it (with a checksum error). Every FS ends one field,
// so a lone FS is an empty field; bytes after the last FS form one more field.
std::optional<Request> parseRequest(std::string_view frame);

// Builds the request the host would send; the inverse of parseRequest.
std::string encodeRequest(std::string_view password, std::uint8_t id, std::uint8_t code,
                          const std::vector<std::string>& fields);

std::string encodeAnswer(const Answer& answer);

}  // namespace zirok::emulator
