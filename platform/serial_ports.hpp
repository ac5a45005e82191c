#pragma once
// Serial ports by their Windows names. Everything above this layer names a
// port COMn; only this layer knows which device stands behind it.
#include <string>
#include <vector>

namespace zirok::platform {

struct SerialPort {
    std::string name;          // "COM3"
    std::string friendlyName;  // ends in " (COM3)", as the port-name cut expects
    std::string device;        // the device path the name stands for
    bool removable = false;    // a USB port
};

// Every port, ordered by COM number.
std::vector<SerialPort> enumerateSerialPorts();

// The device path for a port name (case-insensitive "COMn"); empty when the
// name stands for no port.
std::string serialPortDevice(const std::string& name);

}  // namespace zirok::platform
