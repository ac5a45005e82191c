#include "registration/server_registration.hpp"

#include <exception>

#include "platform/registry.hpp"
#include "registration/com_class_keys.hpp"
#include "registration/device_keys.hpp"
#include "registration/zirok_identity.hpp"

namespace zirok::registration {

namespace hresult = platform::hresult;

// Nothing may leave through the C entry points, so every failure is a result.
platform::HResult registerServer(std::u16string_view serverPath) {
    try {
        platform::RegistryStore store = platform::registry();
        registerInprocServer(store, zirokLibrary(), serviceObjectClass(), serverPath);
        writeDeviceKeys(store, serverPath);
        return hresult::kOk;
    } catch (const std::exception&) {
        return hresult::kFail;
    }
}

platform::HResult unregisterServer() {
    try {
        platform::RegistryStore store = platform::registry();
        unregisterInprocServer(store, zirokLibrary(), serviceObjectClass());
        return removeDeviceKeys(store) ? hresult::kOk : hresult::kFail;
    } catch (const std::exception&) {
        return hresult::kFail;
    }
}

}  // namespace zirok::registration
