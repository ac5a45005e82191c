#pragma once
#include <cstdint>
#include <memory>

#include "interfaces/interface_table.hpp"
#include "platform/automation.hpp"

namespace zirok::interfaces {

// The body of a server's ZirokCreateObject.
std::int32_t createStubObject(const TypeLibraryDesc& lib, const char* classId,
                              std::shared_ptr<platform::Dispatch>* object) noexcept;

}  // namespace zirok::interfaces
