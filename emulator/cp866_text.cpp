#include "emulator/cp866_text.hpp"

#include <iconv.h>

#include <cerrno>

namespace zirok::emulator {

namespace {

// One conversion descriptor per direction and thread; iconv keeps shift state
// in it, so it is reset before every text.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::string convert(std::string_view text) {
        std::string out;
        if (!ok()) return std::string(text);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char buffer[256];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t done = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, outPtr);
            if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
            // A byte that does not convert: skip the whole UTF-8 sequence it starts.
            out += '?';
            std::size_t skip = 1;
            while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
            in += skip;
            inLeft -= skip;
        }
        return out;
    }

  private:
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t cd_;
};

}  // namespace

std::string cp866ToUtf8(std::string_view cp866) {
    thread_local Converter converter("UTF-8", "CP866");
    return converter.convert(cp866);
}

std::string utf8ToCp866(std::string_view utf8) {
    thread_local Converter converter("CP866", "UTF-8");
    return converter.convert(utf8);
}

}  // namespace zirok::emulator
