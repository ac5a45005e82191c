#pragma once
// What the service-object library does when an installer registers or
// removes it: the COM class and type library, then the OPOS device entries.
#include <string_view>

#include "platform/automation.hpp"

namespace zirok::registration {

// S_OK, or E_FAIL when the class could not be registered or a device value
// could not be written. `serverPath` is the library's own absolute path.
platform::HResult registerServer(std::u16string_view serverPath);

// S_OK, or E_FAIL when the class registration could not be removed (then
// nothing else is tried) or a device key could not be deleted (the others
// still are).
platform::HResult unregisterServer();

}  // namespace zirok::registration
