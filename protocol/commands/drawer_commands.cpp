#include "protocol/commands/drawer_commands.hpp"

#include "protocol/commands/command_support.hpp"

namespace zirok::protocol {

namespace {
constexpr std::uint8_t kOpenDrawer = 0x80;
}

Result OpenDrawer(RegisterLink& link, const std::string& port) {
    if (!link.transportLoaded()) return result::NotConnected;
    detail::startRequest(link);
    return link.exchange(port, kOpenDrawer);
}

}  // namespace zirok::protocol
