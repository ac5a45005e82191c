#include "protocol/commands/pictures.hpp"

#include "protocol/commands/command_support.hpp"
#include "protocol/commands/table_commands.hpp"

namespace zirok::protocol {

namespace {

constexpr std::uint8_t kLoadLogo = 0x15;
constexpr std::uint8_t kDeleteLogo = 0x16;
constexpr std::uint8_t kLoadPicture = 0x18;
constexpr std::uint8_t kPrintPicture = 0x55;
constexpr std::uint8_t kPrintStoredPicture = 0x56;
constexpr std::uint8_t kPrintPngPicture = 0x67;
constexpr int kDeleteLogoTimeoutMs = 90000;

}  // namespace

Result LoadLogo(RegisterLink& link, const std::string& port, std::string_view bmp) {
    if (!link.transportLoaded()) return result::NotConnected;
    // The length counts the ESC byte that leads the block on the line.
    detail::startRequest(link).appendInt(static_cast<std::int64_t>(bmp.size()) + 1);
    const Result outcome = link.exchangeWithBlock(port, kLoadLogo, bmp);
    if (outcome == result::Ok) SetLogoFlag(link, port, true);
    return outcome;
}

Result DeleteLogo(RegisterLink& link, const std::string& port) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link);
    const Result outcome = link.exchange(port, kDeleteLogo, {.timeoutMs = kDeleteLogoTimeoutMs});
    if (outcome == result::Ok) SetLogoFlag(link, port, false);
    return outcome;
}

Result LoadPicture(RegisterLink& link, const std::string& port, int width, int height, int number,
                   std::string_view raster) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(width);
    params.appendInt(height);
    params.appendInt(0);
    params.appendInt(number);
    params.appendInt(number);
    return link.exchangeWithBlock(port, kLoadPicture, raster);
}

Result PrintPicture(RegisterLink& link, const std::string& port, int width, int height,
                    int alignment, std::string_view raster) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(width);
    params.appendInt(height);
    params.appendInt(alignment);
    return link.exchangeWithBlock(port, kPrintPicture, raster);
}

Result PrintStoredPicture(RegisterLink& link, const std::string& port, int alignment, int number) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(alignment);
    params.appendInt(number);
    return link.exchange(port, kPrintStoredPicture);
}

Result PrintPngPicture(RegisterLink& link, const std::string& port, int width, int height,
                       int alignment, std::string_view png) {
    if (!link.transportLoaded()) return result::NotConnected;
    auto& params = detail::startRequest(link);
    params.appendInt(static_cast<std::int64_t>(png.size()));
    params.appendInt(width);
    params.appendInt(height);
    params.appendInt(alignment);
    return link.exchangeWithBlock(port, kPrintPngPicture, png);
}

}  // namespace zirok::protocol
