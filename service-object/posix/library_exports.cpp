// The C entry points of libzirok.so. Nothing may leave through them as an
// exception: every failure is an HRESULT.
#include <dlfcn.h>
#include "platform/unicode_text.hpp"

#include <filesystem>
#include <optional>
#include <string>

#include "registration/server_registration.hpp"
#include "registration/zirok_identity.hpp"
#include "service-object/posix/service_object.hpp"
#include "service-object/posix/zirok_server.h"

namespace {

namespace hresult = zirok::platform::hresult;
constexpr std::int32_t kFalse = 1;
constexpr std::int32_t kNoInterface = static_cast<std::int32_t>(0x80004002);
constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(0x8007000E);
constexpr std::int32_t kInvalidArg = static_cast<std::int32_t>(0x80070057);

bool isOurClass(const char* classId) {
    return zirok::interfaces::findClass(zirok::registration::zirokLibrary(), classId) != nullptr;
}

// The absolute path of this library as it was loaded, for the registry to
// lead hosts back to it; nothing when it cannot be told or is not UTF-8.
std::optional<std::u16string> ownPath() {
    static const char anchor = 0;
    Dl_info info{};
    if (!dladdr(&anchor, &info) || !info.dli_fname) return {};
    std::error_code error;
    const auto path = std::filesystem::absolute(info.dli_fname, error).lexically_normal();
    if (error) return {};
    return zirok::platform::utf8ToWide(path.string());
}

}  // namespace

extern "C" {

const zirok::interfaces::TypeLibraryDesc* ZirokInterfaceTables() {
    return &zirok::registration::zirokLibrary();
}

std::int32_t ZirokCreateInstance(const char* classId, const char* interfaceId,
                                 std::shared_ptr<zirok::platform::Dispatch>* object) {
    if (!classId || !interfaceId || !object) return kInvalidArg;
    if (!isOurClass(classId)) return hresult::kClassNotRegistered;
    try {
        auto created = zirok::so::posix::ServiceObject::create()->queryInterface(interfaceId);
        if (!created) return kNoInterface;
        *object = std::move(created);
        return hresult::kOk;
    } catch (...) {
        return kOutOfMemory;
    }
}

std::int32_t ZirokCreateObject(const char* classId,
                               std::shared_ptr<zirok::platform::Dispatch>* object) {
    return ZirokCreateInstance(classId, "ISOZirok", object);
}

std::int32_t DllCanUnloadNow() {
    return zirok::so::posix::ServiceObject::liveObjects() == 0 ? hresult::kOk : kFalse;
}

std::int32_t DllRegisterServer() {
    const auto path = ownPath();
    if (!path) return hresult::kFail;
    return zirok::registration::registerServer(*path);
}

std::int32_t DllUnregisterServer() {
    return zirok::registration::unregisterServer();
}
}
