#include "emulator/frame_codec.hpp"

namespace zirok::emulator {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Appends the fields, each closed by FS, then ETX and the checksum of
// everything after the STX.
std::string closeFrame(std::string frame, const std::vector<std::string>& fields) {
    for (const std::string& field : fields) {
        frame += field;
        frame += kFs;
    }
    frame += kEtx;
    frame += hexByte(xorOf(std::string_view(frame).substr(1)));
    return frame;
}

}  // namespace

std::uint8_t xorOf(std::string_view bytes) {
    std::uint8_t sum = 0;
    for (char c : bytes) sum ^= static_cast<std::uint8_t>(c);
    return sum;
}

std::string hexByte(std::uint8_t value) {
    return {kHexDigits[value >> 4], kHexDigits[value & 0x0F]};
}

std::optional<std::uint8_t> parseHexByte(std::string_view digits) {
    if (digits.size() != 2) return std::nullopt;
    const int high = hexValue(digits[0]);
    const int low = hexValue(digits[1]);
    if (high < 0 || low < 0) return std::nullopt;
    return static_cast<std::uint8_t>(high << 4 | low);
}

std::optional<Request> parseRequest(std::string_view frame) {
    if (frame.size() < kMinRequestBytes || frame.front() != kStx) return std::nullopt;
    const std::size_t etx = frame.size() - 3;
    if (frame[etx] != kEtx) return std::nullopt;
    const auto code = parseHexByte(frame.substr(6, 2));
    if (!code) return std::nullopt;

    Request request;
    request.password = std::string(frame.substr(1, 4));
    request.id = static_cast<std::uint8_t>(frame[5]);
    request.code = *code;
    const auto sent = parseHexByte(frame.substr(etx + 1, 2));
    request.checksumOk = sent && *sent == xorOf(frame.substr(1, etx));

    std::string_view data = frame.substr(8, etx - 8);
    while (!data.empty()) {
        const std::size_t fs = data.find(kFs);
        request.fields.emplace_back(data.substr(0, fs));
        data = fs == std::string_view::npos ? std::string_view() : data.substr(fs + 1);
    }
    return request;
}

std::string encodeRequest(std::string_view password, std::uint8_t id, std::uint8_t code,
                          const std::vector<std::string>& fields) {
    std::string frame(1, kStx);
    frame += password;
    frame += static_cast<char>(id);
    frame += hexByte(code);
    return closeFrame(std::move(frame), fields);
}

std::string encodeAnswer(const Answer& answer) {
    std::string frame(1, kStx);
    frame += static_cast<char>(answer.id);
    frame += hexByte(answer.code);
    frame += hexByte(answer.error);
    return closeFrame(std::move(frame), answer.fields);
}

}  // namespace zirok::emulator
