#include "registration/device_keys.hpp"

#include <array>

#include "protocol/commands/windows1251_literal.hpp"
#include "registration/zirok_identity.hpp"

namespace zirok::registration {

using platform::RegistryHive;
using platform::RegistryKey;
using platform::RegistryType;
using Kind = DeviceValue::Kind;

namespace {

constexpr protocol::Windows1251Literal kDescription{u8"Фискальный регистратор ZIROK"};
constexpr std::string_view kProgId = "Zirok.SOZirok";

constexpr DeviceValue kFiscalPrinterValues[] = {
    {"", Kind::Text, kProgId, 0, Refresh::Rewrite},
    {"Password", Kind::Text, "MNVK"},
    {"Port", Kind::Text, "USB"},
    {"Protocol", Kind::Text, "NONE"},
    {"CodePage", Kind::Text, "1251"},
    {"Debug", Kind::Integer, {}, 1},
    {"Timeout", Kind::Integer, {}, 5},
    {"BaudRate", Kind::Text, "57600"},
    {"Description", Kind::Text, kDescription},
    {"CharPerLine", Kind::Text, "40"},
    {"Service", Kind::ServicePath},
    {"Version", Kind::Text, kDriverVersion, 0, Refresh::Rewrite},
    {"Autosearch", Kind::Text, "0", 0, Refresh::DeleteAndWrite},
    {"QuantityDecimal", Kind::Integer, {}, 1000, Refresh::DeleteAndWrite},
    {"PackageMode", Kind::Integer, {}, 1},
};

constexpr DeviceValue kOtherDeviceValues[] = {
    {"", Kind::Text, kProgId, 0, Refresh::Rewrite},
    {"Service", Kind::ServicePath},
};

constexpr std::array kDeviceKeys = {
    DeviceKey{"SOFTWARE\\OLEforRetail\\ServiceOPOS\\LineDisplay\\Zirok", kOtherDeviceValues},
    DeviceKey{"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\Zirok", kOtherDeviceValues},
    DeviceKey{"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\Zirok", kFiscalPrinterValues},
};

RegistryType registryType(Kind kind) {
    return kind == Kind::Integer ? RegistryType::Integer : RegistryType::String;
}

void apply(RegistryKey& key, const DeviceValue& value, std::u16string_view servicePath) {
    const RegistryType present = key.valueType(value.name);
    switch (value.refresh) {
        case Refresh::KeepIfSameType:
            if (present == registryType(value.kind)) return;
            if (present != RegistryType::Absent) key.deleteValue(value.name);
            break;
        case Refresh::DeleteAndWrite:
            if (present != RegistryType::Absent) key.deleteValue(value.name);
            break;
        case Refresh::Rewrite:
            break;
    }
    switch (value.kind) {
        case Kind::Text:
            key.writeString(value.name, value.text);
            break;
        case Kind::Integer:
            key.writeInteger(value.name, value.number);
            break;
        case Kind::ServicePath:
            // Wide: a path may hold characters Windows-1251 lacks.
            key.writeString(std::u16string(value.name.begin(), value.name.end()), servicePath);
            break;
    }
}

}  // namespace

std::span<const DeviceKey> deviceKeys() {
    return kDeviceKeys;
}

void writeDeviceKeys(platform::RegistryStore& store, std::u16string_view servicePath) {
    for (const DeviceKey& device : kDeviceKeys) {
        auto key = store.createKey(RegistryHive::LocalMachine, device.path);
        if (!key) continue;
        for (const DeviceValue& value : device.values) apply(*key, value, servicePath);
    }
}

bool removeDeviceKeys(platform::RegistryStore& store) {
    bool allGone = true;
    for (auto it = kDeviceKeys.rbegin(); it != kDeviceKeys.rend(); ++it) {
        if (store.keyExists(RegistryHive::LocalMachine, it->path) &&
            !store.deleteKey(RegistryHive::LocalMachine, it->path)) {
            allGone = false;
        }
    }
    return allGone;
}

}  // namespace zirok::registration
