#pragma once
// The serial ports the register may stand behind, by their Windows names
// (COMn), and the user's choice among several USB ports. Friendly names come
// from the platform's port list ("USB Serial Device (COM7)"); the port name
// is always cut out of them, so a port the platform names oddly is skipped
// rather than guessed.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serial_ports.hpp"

namespace zirok::protocol {

// Which ports a listing keeps.
enum class PortFilter {
    All = 0,
    Removable = 1,  // USB ports
    Fixed = 2,
};

// The port name inside a friendly name: from its first "COM" (as written,
// case-sensitive) up to, not including, the first ")" after it. Empty when
// there is no "COM" or no ")" after it.
std::string cutPortName(std::string_view friendlyName);

// Appends to `out` the ports of `ports` that `filter` keeps and whose
// upper-cased friendly name contains "COM": the cut port name, or the whole
// friendly name when `fullNames`. An empty cut is never appended; a whole
// name is, whatever its cut gives.
void appendPortNames(const std::vector<platform::SerialPort>& ports, PortFilter filter,
                     bool fullNames, std::vector<std::string>& out);

// The present ports of this computer, appended to `out`.
void listAllPorts(std::vector<std::string>& out);
void listUsbPorts(std::vector<std::string>& out, bool fullNames = false);

// The tester's listing: mode 0 every port, 1 only removable, 2 only fixed;
// always cut names. Another mode lists nothing.
void listPorts(std::vector<std::string>& out, int mode);

// Asks the user to pick one of the USB ports (the platform's port choice,
// full friendly names offered, the first selected). The cut port name of
// what the user confirmed, which is empty when a typed text holds no port
// name; nothing when the choice was cancelled.
std::optional<std::string> selectUsbPort();

}  // namespace zirok::protocol
