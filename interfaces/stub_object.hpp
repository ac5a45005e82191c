#pragma once
// The do-nothing objects the type-library servers can create: every call
// succeeds and changes nothing, so a tool can instantiate a server's class
// to see that the server is registered and its interface binds.
#include <memory>

#include "interfaces/interface_table.hpp"
#include "platform/automation.hpp"

namespace zirok::interfaces {

// An object implementing the class's default interface. Out parameters come
// back as passed, except that the fiscal interface's text outputs of
// GetData, GetDate and GetTotalizer come back empty; the result is always
// the zero value of its type (0 or an empty text), never left undefined.
std::shared_ptr<platform::Dispatch> makeStubObject(const ClassDesc& cls);

}  // namespace zirok::interfaces
