#pragma once
// What the type-library servers libsvcfiscal.so and libsvccommon.so export,
// for the code that loads them. On Windows the same servers are COM
// in-process servers whose type libraries are written from the same tables.
#include <cstdint>
#include <memory>

#include "interfaces/interface_table.hpp"
#include "platform/automation.hpp"

#if defined(_WIN32)
#define ZIROK_SERVER_EXPORT __declspec(dllexport)
#else
#define ZIROK_SERVER_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// The type library the server carries; valid while the server stays loaded.
ZIROK_SERVER_EXPORT const zirok::interfaces::TypeLibraryDesc* ZirokInterfaceTables();

// Creates an instance of a class of the server by its class id (braces and
// case optional) into *object. Returns S_OK (0), or REGDB_E_CLASSNOTREG when
// the server has no factory for that class. Never throws. The server must
// stay loaded while any object it created is alive.
ZIROK_SERVER_EXPORT std::int32_t ZirokCreateObject(
    const char* classId, std::shared_ptr<zirok::platform::Dispatch>* object);
}

using ZirokInterfaceTablesFn = decltype(&ZirokInterfaceTables);
using ZirokCreateObjectFn = decltype(&ZirokCreateObject);
