#pragma once
// The OPOS device entries the service object is found and configured
// through, with the settings a freshly installed device starts from.
#include <span>
#include <string>
#include <string_view>

#include "platform/registry.hpp"

namespace zirok::registration {

// How registration treats a value that is already there.
enum class Refresh {
    KeepIfSameType,  // a value of the right type stays; another type is deleted and rewritten
    Rewrite,         // written on every registration
    DeleteAndWrite,  // deleted whatever its type, then written
};

struct DeviceValue {
    enum class Kind { Text, Integer, ServicePath };
    std::string_view name;  // empty: the key's default value
    Kind kind;
    std::string_view text = {};  // Windows-1251
    std::int32_t number = 0;
    Refresh refresh = Refresh::KeepIfSameType;
};

struct DeviceKey {
    std::string_view path;  // in the local-machine hive
    std::span<const DeviceValue> values;
};

// Line display, cash drawer, fiscal printer: the order registration writes them in.
std::span<const DeviceKey> deviceKeys();

// Creates each device key and applies its values; a key that cannot be
// created is skipped. Raises platform::RegistryError when a value cannot be
// written.
void writeDeviceKeys(platform::RegistryStore& store, std::u16string_view servicePath);

// Deletes each existing device key with all its subkeys, fiscal printer
// first. False when a key that exists could not be deleted; the others are
// still tried.
bool removeDeviceKeys(platform::RegistryStore& store);

}  // namespace zirok::registration
