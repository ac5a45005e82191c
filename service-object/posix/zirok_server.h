#pragma once
// What libzirok.so exports, for the hosts that load it. Besides the two
// entry points every type-library server has (ZirokInterfaceTables,
// ZirokCreateObject), it creates its class for a chosen interface, as
// CoCreateInstance does with an interface id, and registers itself.
#include <cstdint>
#include <memory>

#include "interfaces/type_library_server.h"

extern "C" {

// Creates an SOZirok object and hands out the interface `interfaceId` names:
// "ISOZirok", "ISvcFiscal" or "IDispatch" for the fiscal printer,
// "IDrawer" or "ISO_OPOSCashDrawer" for the cash drawer, or one of their
// IIDs. Returns S_OK, REGDB_E_CLASSNOTREG for another class id,
// E_NOINTERFACE (0x80004002) for another interface, E_INVALIDARG for a null
// argument. Never throws. The library must stay loaded while the object lives.
ZIROK_SERVER_EXPORT std::int32_t ZirokCreateInstance(
    const char* classId, const char* interfaceId,
    std::shared_ptr<zirok::platform::Dispatch>* object);

// S_OK when no object of the library is alive, S_FALSE (1) otherwise.
ZIROK_SERVER_EXPORT std::int32_t DllCanUnloadNow();

// Self-registration: the COM class and the OPOS device entries. S_OK or
// E_FAIL (0x80004005).
ZIROK_SERVER_EXPORT std::int32_t DllRegisterServer();
ZIROK_SERVER_EXPORT std::int32_t DllUnregisterServer();
}

using ZirokCreateInstanceFn = decltype(&ZirokCreateInstance);
using DllCanUnloadNowFn = decltype(&DllCanUnloadNow);
using DllRegisterServerFn = decltype(&DllRegisterServer);
using DllUnregisterServerFn = decltype(&DllUnregisterServer);
