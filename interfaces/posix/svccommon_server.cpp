// The SvcCommon type-library server.
#include "interfaces/posix/stub_server.hpp"
#include "interfaces/type_library_server.h"

extern "C" {

const zirok::interfaces::TypeLibraryDesc* ZirokInterfaceTables() {
    return &zirok::interfaces::svcCommonLibrary();
}

std::int32_t ZirokCreateObject(const char* classId,
                               std::shared_ptr<zirok::platform::Dispatch>* object) {
    return zirok::interfaces::createStubObject(zirok::interfaces::svcCommonLibrary(), classId,
                                               object);
}
}
