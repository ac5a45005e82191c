#include "protocol/port_discovery.hpp"

#include "platform/ansi_text.hpp"
#include "platform/ui_hooks.hpp"

namespace zirok::protocol {

namespace {

bool containsComIgnoringCase(std::string_view text) {
    for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
        auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
        if (upper(text[i]) == 'C' && upper(text[i + 1]) == 'O' && upper(text[i + 2]) == 'M')
            return true;
    }
    return false;
}

bool keeps(PortFilter filter, const platform::SerialPort& port) {
    switch (filter) {
        case PortFilter::All:
            return true;
        case PortFilter::Removable:
            return port.removable;
        case PortFilter::Fixed:
            return !port.removable;
    }
    return false;
}

}  // namespace

std::string cutPortName(std::string_view friendlyName) {
    const auto com = friendlyName.find("COM");
    if (com == std::string_view::npos) return {};
    const std::string_view rest = friendlyName.substr(com);
    const auto close = rest.find(')');
    if (close == std::string_view::npos) return {};
    return std::string(rest.substr(0, close));
}

void appendPortNames(const std::vector<platform::SerialPort>& ports, PortFilter filter,
                     bool fullNames, std::vector<std::string>& out) {
    for (const platform::SerialPort& port : ports) {
        // The upper-cased test lets "Com" names through to the cut, which
        // then finds no "COM" and skips them: they are not taken as ports.
        if (!containsComIgnoringCase(port.friendlyName) || !keeps(filter, port)) continue;
        std::string name = fullNames ? port.friendlyName : cutPortName(port.friendlyName);
        if (!name.empty()) out.push_back(std::move(name));
    }
}

void listAllPorts(std::vector<std::string>& out) {
    appendPortNames(platform::enumerateSerialPorts(), PortFilter::All, false, out);
}

void listUsbPorts(std::vector<std::string>& out, bool fullNames) {
    appendPortNames(platform::enumerateSerialPorts(), PortFilter::Removable, fullNames, out);
}

void listPorts(std::vector<std::string>& out, int mode) {
    if (mode < 0 || mode > 2) return;
    appendPortNames(platform::enumerateSerialPorts(), static_cast<PortFilter>(mode), false, out);
}

std::optional<std::string> selectUsbPort() {
    std::vector<std::string> names;
    listUsbPorts(names, true);
    std::vector<std::u16string> entries;
    entries.reserve(names.size());
    for (const std::string& name : names) entries.push_back(platform::ansiToWide(name));
    const auto chosen = platform::choosePort(u"Dialog", u"Выберите порт:", entries);
    if (!chosen) return std::nullopt;
    return cutPortName(platform::wideToAnsi(*chosen));
}

}  // namespace zirok::protocol
