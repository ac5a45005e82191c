#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

namespace zirok::emulator::testing {

// Frame bytes written the way the emulator's log shows them: "<STX>", "<ETX>"
// and "<FS>" stand for the control bytes, everything else is literal.
inline std::string wire(std::string_view text) {
    static constexpr std::pair<std::string_view, char> kNames[] = {
        {"<STX>", '\x02'}, {"<ETX>", '\x03'}, {"<FS>", '\x1C'}};
    std::string bytes;
    while (!text.empty()) {
        bool named = false;
        for (const auto& [name, byte] : kNames) {
            if (text.substr(0, name.size()) == name) {
                bytes += byte;
                text.remove_prefix(name.size());
                named = true;
                break;
            }
        }
        if (!named) {
            bytes += text.front();
            text.remove_prefix(1);
        }
    }
    return bytes;
}

// Frame bytes with their checksum worked out independently of the code under
// test: XOR of everything after the STX, as two upper-case hex digits.
inline std::string withChecksum(std::string_view frameUpToEtx) {
    std::uint8_t sum = 0;
    for (char c : frameUpToEtx.substr(1)) sum ^= static_cast<std::uint8_t>(c);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", sum);
    return std::string(frameUpToEtx) + hex;
}

// A request as the host sends it: body is the data part, fields already closed by FS.
inline std::string request(std::string_view password, char id, std::string_view code,
                           std::string_view body = {}) {
    return withChecksum("\x02" + std::string(password) + id + std::string(code) +
                        std::string(body) + "\x03");
}

inline bool checksumHolds(std::string_view frame) {
    return frame.size() >= 3 && withChecksum(frame.substr(0, frame.size() - 2)) == frame;
}

}  // namespace zirok::emulator::testing
