#include "tools/zirokctl/service_loader.hpp"
#include "platform/unicode_text.hpp"

#include <cstdio>
#include <stdexcept>

#include "platform/registry.hpp"
#include "registration/com_class_keys.hpp"
#include "service-object/posix/zirok_server.h"

namespace zirok::ctl {

namespace {

using platform::utf8ToWide;
using platform::wideToUtf8;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what);
}

std::string hex(std::int32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

std::u16string progIdOfDevice(const platform::RegistryStore& store, const std::string& path) {
    const auto wide = utf8ToWide(path);
    if (!wide) fail("the device name is not valid UTF-8");
    auto key = store.openKey(platform::RegistryHive::LocalMachine, *wide);
    if (!key) fail("no device key HKEY_LOCAL_MACHINE\\" + path);
    if (key->valueType(std::u16string_view()) != platform::RegistryType::String ||
        key->readString(std::u16string_view()).empty()) {
        fail("the device key HKEY_LOCAL_MACHINE\\" + path + " names no service object");
    }
    return key->readString(std::u16string_view());
}

}  // namespace

const interfaces::InterfaceDesc* classInterface(const std::string& deviceClass) {
    if (deviceClass == "FiscalPrinter") return &interfaces::svcFiscalInterface();
    if (deviceClass == "CashDrawer") return &interfaces::cashDrawerInterface();
    return nullptr;
}

LoadedService loadService(const std::string& deviceClass, const std::string& deviceName) {
    const interfaces::InterfaceDesc* itf = classInterface(deviceClass);
    if (!itf) fail("unknown device class " + deviceClass);

    const platform::RegistryStore store = platform::registry();
    const std::u16string progId = progIdOfDevice(
        store, "SOFTWARE\\OLEforRetail\\ServiceOPOS\\" + deviceClass + "\\" + deviceName);
    const auto classId = registration::classIdOfProgId(store, progId);
    if (!classId) fail("the class " + wideToUtf8(progId) + " is not registered");
    const auto path = registration::inprocServerPath(store, *classId);
    if (!path) fail("the class " + wideToUtf8(*classId) + " has no in-process server");

    std::string error;
    auto library = platform::Library::load(wideToUtf8(*path), &error);
    if (!library) fail("cannot load " + wideToUtf8(*path) + ": " + error);
    auto create = library->function<ZirokCreateInstanceFn>("ZirokCreateInstance");
    if (!create) fail(wideToUtf8(*path) + " does not create service objects");

    std::shared_ptr<platform::Dispatch> object;
    const std::string clsid = wideToUtf8(*classId);
    const std::int32_t hr = create(clsid.c_str(), std::string(itf->guid).c_str(), &object);
    if (hr != platform::hresult::kOk || !object) {
        fail("creating " + clsid + " for " + std::string(itf->name) + " failed with " + hex(hr));
    }
    return LoadedService(std::move(library), std::move(object), *itf);
}

}  // namespace zirok::ctl
