#include "protocol/commands/fn_registration.hpp"

#include "protocol/commands/command_support.hpp"
#include "protocol/text_helpers.hpp"

namespace zirok::protocol {

namespace {

constexpr std::uint8_t kRegisterFn = 0x60;
constexpr std::uint8_t kWriteSerialNumber = 0x90;
constexpr std::uint8_t kCommand9C = 0x9C;
constexpr int kSerialNumberTimeoutMs = 30000;
constexpr int kCommand9CTimeoutMs = 15000;
constexpr std::size_t kSerialNumberWidth = 14;

}  // namespace

Result RegisterFn(RegisterLink& link, const std::string& port, FnOperation operation,
                  const std::string& text2, const std::string& text3, std::int64_t number4,
                  std::int64_t number5, const std::string& cashier) {
    if (!link.transportLoaded()) return result::NotConnected;
    const auto now = platform::localNow();
    auto& params = detail::startRequest(link);
    params.appendInt(static_cast<int>(operation));
    // An empty registration text must still take its place, or every field
    // after it would reach the register one position early.
    detail::appendTextOrEmpty(params, text2);
    detail::appendTextOrEmpty(params, text3);
    params.appendInt(number4);
    params.appendInt(number5);
    detail::appendTextOrEmpty(params, cashier);
    params.appendDate(detail::dateOf(now));
    params.appendTime(detail::timeOf(now));
    return link.exchange(port, kRegisterFn);
}

Result WriteSerialNumber(RegisterLink& link, const std::string& port, const std::string& serial) {
    if (!link.transportLoaded()) return result::NotConnected;
    const auto now = platform::localNow();
    auto& params = detail::startRequest(link);
    params.appendDate(detail::dateOf(now));
    params.appendTime(detail::timeOf(now));
    params.appendText(padLeft(serial, ' ', kSerialNumberWidth));
    return link.exchange(port, kWriteSerialNumber, {.timeoutMs = kSerialNumberTimeoutMs});
}

Result Command9C(RegisterLink& link, const std::string& port) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link);
    return link.exchange(port, kCommand9C, {.timeoutMs = kCommand9CTimeoutMs});
}

}  // namespace zirok::protocol
