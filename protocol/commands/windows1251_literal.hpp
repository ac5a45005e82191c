#pragma once
// Russian texts the driver sends or shows, written as readable UTF-8 in the
// source and turned into Windows-1251 bytes while compiling. A character the
// code page lacks stops the build instead of reaching the register as "?".
#include <cstddef>
#include <string_view>

namespace zirok::protocol {

template <std::size_t N>
class Windows1251Literal {
  public:
    consteval Windows1251Literal(const char8_t (&utf8)[N]) {
        std::size_t i = 0;
        while (i + 1 < N) {  // the terminating zero is not part of the text
            const unsigned lead = utf8[i];
            char32_t code = 0;
            if (lead < 0x80) {
                code = lead;
                i += 1;
            } else if ((lead & 0xE0) == 0xC0 && i + 2 < N) {
                code = (lead & 0x1F) << 6 | (utf8[i + 1] & 0x3F);
                i += 2;
            } else if ((lead & 0xF0) == 0xE0 && i + 3 < N) {
                code = (lead & 0x0F) << 12 | (utf8[i + 1] & 0x3F) << 6 | (utf8[i + 2] & 0x3F);
                i += 3;
            } else {
                throw "malformed UTF-8";
            }
            bytes_[size_++] = static_cast<char>(encode(code));
        }
    }

    constexpr std::string_view view() const { return {bytes_, size_}; }
    constexpr operator std::string_view() const { return view(); }

  private:
    static consteval unsigned encode(char32_t code) {
        if (code < 0x80) return code;
        if (code >= 0x0410 && code <= 0x044F) return 0xC0 + (code - 0x0410);  // А..я
        if (code == 0x0401) return 0xA8;                                      // Ё
        if (code == 0x0451) return 0xB8;                                      // ё
        if (code == 0x2116) return 0xB9;                                      // №
        throw "character outside Windows-1251's Russian letters";
    }

    char bytes_[N]{};
    std::size_t size_ = 0;
};

}  // namespace zirok::protocol
