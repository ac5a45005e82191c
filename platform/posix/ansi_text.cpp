#include <iconv.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "platform/ansi_text.hpp"

namespace zirok::platform {

namespace {

// The code page's 256 characters, taken once from the C library's tables,
// and the reverse map sorted for binary search.
struct CodePageTables {
    std::array<char16_t, 256> toWide{};
    std::vector<std::pair<char16_t, unsigned char>> fromWide;

    CodePageTables() {
        iconv_t cd = iconv_open("UTF-16LE", "CP1251");
        for (int b = 0; b < 256; ++b) {
            char in = static_cast<char>(b);
            unsigned char out[4] = {};
            char* inPtr = &in;
            char* outPtr = reinterpret_cast<char*>(out);
            size_t inLeft = 1, outLeft = sizeof out;
            const bool ok = cd != reinterpret_cast<iconv_t>(-1) &&
                            iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1);
            // 0x98 is the one byte Windows-1251 leaves undefined; keep it as itself.
            toWide[b] = ok ? static_cast<char16_t>(out[0] | out[1] << 8) : static_cast<char16_t>(b);
            fromWide.emplace_back(toWide[b], static_cast<unsigned char>(b));
        }
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
        std::sort(fromWide.begin(), fromWide.end());
    }
};

const CodePageTables& tables() {
    static const CodePageTables instance;
    return instance;
}

}  // namespace

int ansiCodePage() { return 1251; }

std::string wideToAnsi(std::u16string_view text) {
    const auto& map = tables().fromWide;
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        auto it = std::lower_bound(map.begin(), map.end(), std::make_pair(c, static_cast<unsigned char>(0)));
        out += it != map.end() && it->first == c ? static_cast<char>(it->second) : '?';
    }
    return out;
}

std::u16string ansiToWide(std::string_view text) {
    const auto& map = tables().toWide;
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out += map[static_cast<unsigned char>(c)];
    return out;
}

}  // namespace zirok::platform
