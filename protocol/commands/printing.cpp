#include "protocol/commands/printing.hpp"

#include "platform/ansi_text.hpp"
#include "protocol/codepage.hpp"
#include "protocol/commands/command_support.hpp"

namespace zirok::protocol {

namespace {

constexpr std::uint8_t kPrintText = 0x40;
constexpr std::uint8_t kPrintBarcode = 0x41;
constexpr std::uint8_t kPrintMessage = 0x49;
constexpr std::uint8_t kCommand65 = 0x65;
constexpr std::uint8_t kCommand66 = 0x66;
constexpr std::uint8_t kGetQrSize = 0x88;

constexpr int kQrSymbology = 8;
constexpr int kQrSizeRequest = 5;
constexpr std::size_t kLineLimit = 56;
constexpr unsigned kPrintPauseMs = 20;

// Windows-1251 text as UTF-8. Every character of the code page lies in the
// basic plane, so one to three bytes each.
std::string windows1251ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char16_t c : platform::ansiToWide(text)) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

Result textCommand(RegisterLink& link, const std::string& port, std::uint8_t code,
                   std::string_view text) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link).appendText(text);
    return link.exchange(port, code);
}

}  // namespace

Result PrintText(RegisterLink& link, const std::string& port, const std::string& text,
                 int attributes) {
    if (!link.transportLoaded()) return result::NotConnected;
    if (text.empty()) return result::Ok;
    auto& params = detail::startRequest(link);
    params.appendText(detail::deviceText(link, text, kLineLimit));
    params.appendInt(attributes);
    return link.printExchange(port, kPrintText, true, {.pauseMs = kPrintPauseMs});
}

Result PrintBarcode(RegisterLink& link, const std::string& port, int position, int width,
                    int height, int symbology, const std::string& data, bool packaged) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(position);
    params.appendInt(width);
    params.appendInt(height);
    params.appendInt(symbology);
    if (symbology == kQrSymbology && !link.activeConversion()) {
        params.appendText(windows1251ToUtf8(fromDeviceText(data)));
    } else {
        params.appendText(data);
    }
    return link.printExchange(port, kPrintBarcode, packaged, {.pauseMs = kPrintPauseMs});
}

Result PrintMessage(RegisterLink& link, const std::string& port, int attributes,
                    const std::string& text, bool packaged) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(0);
    params.appendInt(attributes);
    params.appendText(detail::deviceText(link, text, kLineLimit));
    return link.printExchange(port, kPrintMessage, packaged, {.pauseMs = kPrintPauseMs});
}

Result GetQrSize(RegisterLink& link, const std::string& port, const std::string& text,
                 FrameBuffer& answer) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(kQrSizeRequest);
    params.appendText(text);
    const Result outcome = link.exchange(port, kGetQrSize);
    if (outcome == result::Ok) detail::copyAnswer(link, answer);
    return outcome;
}

Result Command65(RegisterLink& link, const std::string& port, const std::string& fields) {
    return textCommand(link, port, kCommand65, fields);
}

Result Command66(RegisterLink& link, const std::string& port, const std::string& fields) {
    return textCommand(link, port, kCommand66, toDeviceText(fields));
}

}  // namespace zirok::protocol
