// Barcodes and QR codes asked for inside printed text by an escape sequence.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ansi_text.hpp"
#include "protocol/codepage.hpp"
#include "protocol/commands.hpp"
#include "protocol/commands/windows1251_literal.hpp"
#include "service-object/opos_constants.hpp"
#include "service-object/zirok_impl.hpp"

namespace zirok::so {

namespace {

using protocol::Windows1251Literal;

constexpr Windows1251Literal kUnsupportedSymbology{u8"Данный тип штрих-кода не поддерживается"};

// Where the printed text goes relative to the bars, in the order the markers
// are looked for.
struct Marker {
    std::string_view text;
    int position;
};
constexpr Marker kMarkers[] = {{"pT", 1}, {"pB", 2}, {"pA", 3}, {"pN", 0}};
// The marker must close the escape's head: ESC, "|" and at most a few digits.
constexpr std::size_t kLastMarkerIndex = 6;

constexpr std::int32_t kUpcA = 101;
constexpr std::int32_t kEan13 = 104;
constexpr std::int32_t kQrCode = 204;

// OPOS symbology to the register's code, and whose sizes it prints with.
enum class Size { FixedUpc, Configured, Qr };
struct Symbology {
    std::int32_t opos;
    int code;
    Size size;
};
constexpr Symbology kSymbologies[] = {
    {kUpcA, 0, Size::FixedUpc},    {102, 1, Size::Configured}, {103, 3, Size::Configured},
    {kEan13, 2, Size::Configured}, {106, 5, Size::Configured}, {107, 6, Size::Configured},
    {108, 4, Size::Configured},    {110, 9, Size::Configured}, {kQrCode, 8, Size::Qr},
};
constexpr int kUpcWidth = 2;
constexpr int kUpcHeight = 50;

// The symbology digits between "|" and the marker; -1 when they are not a
// number (an empty piece included).
std::int32_t symbologyNumber(std::string_view digits) {
    if (digits.empty()) return -1;
    std::int32_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9' || value > 100000) return -1;
        value = value * 10 + (c - '0');
    }
    return value == 0 ? kEan13 : value;
}

}  // namespace

bool TSOZirok::printBarcodeEscape(const std::string& text, bool upcFromSettings, bool inDocument,
                                  std::int32_t& result) {
    if (text.size() < 2 || text[0] != '\x1b' || text[1] != '|') return false;
    if (text.size() >= 5 && text.compare(3, 2, "fT") == 0) return false;
    const Marker* marker = nullptr;
    std::size_t at = std::string::npos;
    for (const Marker& m : kMarkers) {
        const std::size_t found = text.find(m.text);
        if (found != std::string::npos && found <= kLastMarkerIndex) {
            marker = &m;
            at = found;
            break;
        }
    }
    if (!marker) return false;

    const std::int32_t symbology = symbologyNumber(std::string_view(text).substr(2, at - 2));
    const Symbology* entry = nullptr;
    for (const Symbology& s : kSymbologies)
        if (s.opos == symbology) entry = &s;
    if (!entry) {
        props_.setNumber(pidx::ResultCode, opos::E_EXTENDED);
        props_.setNumber(pidx::ResultCodeExtended, efptr::BAD_ITEM_DESCRIPTION);
        const std::u16string wide = platform::ansiToWide(kUnsupportedSymbology);
        props_.setString(pidx::CheckHealthText, wide);
        props_.setString(pidx::FptrErrorString, wide);
        result = opos::E_EXTENDED;
        return true;
    }

    int width = barcodeWidth_;
    int height = barcodeHeight_;
    if (entry->size == Size::Qr) {
        width = qrCodeSize_;
        height = 0;
    } else if (entry->size == Size::FixedUpc && !upcFromSettings) {
        width = kUpcWidth;
        height = kUpcHeight;
    }
    // Always the register's code page: with conversion off the protocol layer
    // turns QR data back from it into UTF-8, so data left in Windows-1251
    // would come out garbled.
    std::string data = text.substr(at + marker->text.size());
    protocol::toDeviceTextInPlace(data);
    result = GetSystemError(protocol::PrintBarcode(link(), portName_, marker->position, width,
                                                   height, entry->code, data, inDocument));
    return true;
}

}  // namespace zirok::so
