#include "platform/unicode_text.hpp"

#include <iconv.h>

#include <cerrno>

namespace zirok::platform {

namespace {

// One iconv conversion, kept open for the thread: the store converts line by
// line.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Appends the conversion of `in` to `out`. On an invalid or cut sequence
    // stops and returns how much of `in` was used; in.size() on success.
    std::size_t run(std::string_view in, std::string& out) {
        if (!ok()) return 0;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) break;
        }
        return in.size() - inLeft;
    }

  private:
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t cd_;
};

}  // namespace

std::string wideToUtf16Le(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::u16string utf16LeToWide(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
}

std::optional<std::u16string> utf8ToWide(std::string_view text) {
    thread_local Converter converter("UTF-16LE", "UTF-8");
    std::string bytes;
    if (converter.run(text, bytes) != text.size()) return std::nullopt;
    return utf16LeToWide(bytes);
}

std::string wideToUtf8(std::u16string_view text) {
    thread_local Converter converter("UTF-8", "UTF-16LE");
    const std::string bytes = wideToUtf16Le(text);
    std::string out;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t used = converter.run(rest, out);
        if (used == rest.size()) break;
        out += "\xEF\xBF\xBD";  // the unpaired surrogate
        rest.remove_prefix(used + 2);
    }
    return out;
}

}  // namespace zirok::platform
