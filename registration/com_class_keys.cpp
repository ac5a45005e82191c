#include "registration/com_class_keys.hpp"

#include <vector>

namespace zirok::registration {

using platform::RegistryError;
using platform::RegistryHive;
using platform::RegistryKey;
using platform::RegistryStore;

namespace {

constexpr auto kMachine = RegistryHive::LocalMachine;
// The automation marshaler that serves every dual interface.
constexpr std::u16string_view kAutomationProxy = u"{00020424-0000-0000-C000-000000000046}";

std::u16string wide(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

std::u16string under(std::u16string_view path) {
    std::u16string full(kClassesRoot);
    full += u'\\';
    full += path;
    return full;
}

std::u16string versionText(const interfaces::TypeLibraryDesc& lib) {
    return wide(std::to_string(lib.versionMajor) + "." + std::to_string(lib.versionMinor));
}

// A created key with its default value set.
RegistryKey keyWithDefault(RegistryStore& store, const std::u16string& path,
                           std::u16string_view value) {
    auto key = store.createKey(kMachine, under(path));
    if (!key) throw RegistryError(u"Failed to create key '" + under(path) + u"'");
    key->writeString(std::u16string_view(), value);
    return *key;
}

std::u16string folderOf(std::u16string_view path) {
    const auto slash = path.find_last_of(u"/\\");
    return std::u16string(slash == std::u16string_view::npos ? std::u16string_view()
                                                             : path.substr(0, slash + 1));
}

std::vector<std::u16string> ownedKeys(const interfaces::TypeLibraryDesc& lib,
                                      const interfaces::ClassDesc& cls) {
    std::vector<std::u16string> keys = {wide(interfaces::progId(lib, cls)),
                                        u"CLSID\\" + wide(cls.guid), u"TypeLib\\" + wide(lib.guid)};
    for (const interfaces::InterfaceDesc* itf : lib.interfaces) {
        keys.push_back(u"Interface\\" + wide(itf->guid));
    }
    return keys;
}

std::optional<std::u16string> defaultValue(const RegistryStore& store, const std::u16string& path) {
    auto key = store.openKey(kMachine, under(path));
    if (!key || key->valueType(std::u16string_view()) != platform::RegistryType::String) {
        return std::nullopt;
    }
    std::u16string value = key->readString(std::u16string_view());
    if (value.empty()) return std::nullopt;
    return value;
}

}  // namespace

void registerInprocServer(RegistryStore& store, const interfaces::TypeLibraryDesc& lib,
                          const interfaces::ClassDesc& cls, std::u16string_view serverPath) {
    const std::u16string progId = wide(interfaces::progId(lib, cls));
    const std::u16string classId = wide(cls.guid);
    const std::u16string libId = wide(lib.guid);
    const std::u16string version = versionText(lib);
    const std::u16string description = wide(cls.documentation);

    keyWithDefault(store, progId, description);
    keyWithDefault(store, progId + u"\\CLSID", classId);

    const std::u16string clsidKey = u"CLSID\\" + classId;
    keyWithDefault(store, clsidKey, description);
    keyWithDefault(store, clsidKey + u"\\ProgID", progId);
    // No ThreadingModel: every instance lives in the main single-threaded apartment.
    keyWithDefault(store, clsidKey + u"\\InprocServer32", serverPath);
    keyWithDefault(store, clsidKey + u"\\TypeLib", libId);
    keyWithDefault(store, clsidKey + u"\\Version", version);

    const std::u16string libKey = u"TypeLib\\" + libId + u"\\" + version;
    keyWithDefault(store, libKey, wide(lib.helpString));
    keyWithDefault(store, libKey + u"\\0\\win32", serverPath);
    keyWithDefault(store, libKey + u"\\FLAGS", u"0");
    keyWithDefault(store, libKey + u"\\HELPDIR", folderOf(serverPath));

    for (const interfaces::InterfaceDesc* itf : lib.interfaces) {
        const std::u16string itfKey = u"Interface\\" + wide(itf->guid);
        keyWithDefault(store, itfKey, wide(itf->name));
        keyWithDefault(store, itfKey + u"\\ProxyStubClsid32", kAutomationProxy);
        RegistryKey typeLib = keyWithDefault(store, itfKey + u"\\TypeLib", libId);
        typeLib.writeString(std::u16string_view(u"Version"), version);
    }
}

void unregisterInprocServer(RegistryStore& store, const interfaces::TypeLibraryDesc& lib,
                            const interfaces::ClassDesc& cls) {
    for (const std::u16string& path : ownedKeys(lib, cls)) {
        const std::u16string full = under(path);
        if (store.keyExists(kMachine, full) && !store.deleteKey(kMachine, full)) {
            throw RegistryError(u"Failed to delete key '" + full + u"'");
        }
    }
}

std::optional<std::u16string> classIdOfProgId(const RegistryStore& store,
                                              std::u16string_view progId) {
    return defaultValue(store, std::u16string(progId) + u"\\CLSID");
}

std::optional<std::u16string> inprocServerPath(const RegistryStore& store,
                                               std::u16string_view classId) {
    return defaultValue(store, u"CLSID\\" + std::u16string(classId) + u"\\InprocServer32");
}

}  // namespace zirok::registration
