#include "interfaces/posix/stub_server.hpp"

#include "interfaces/stub_object.hpp"

namespace zirok::interfaces {

std::int32_t createStubObject(const TypeLibraryDesc& lib, const char* classId,
                              std::shared_ptr<platform::Dispatch>* object) noexcept {
    constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(0x8007000E);
    constexpr std::int32_t kInvalidArg = static_cast<std::int32_t>(0x80070057);
    if (!classId || !object) return kInvalidArg;
    const ClassDesc* cls = findClass(lib, classId);
    if (!cls || !cls->hasFactory) return platform::hresult::kClassNotRegistered;
    try {
        *object = makeStubObject(*cls);
    } catch (...) {
        return kOutOfMemory;
    }
    return platform::hresult::kOk;
}

}  // namespace zirok::interfaces
