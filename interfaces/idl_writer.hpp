#pragma once
// The interface definition text of a type library, written from the tables,
// for the Windows build to compile into the servers' type libraries (and to
// compare with a type library that exists).
#include <string>

#include "interfaces/interface_table.hpp"

namespace zirok::interfaces {

std::string writeIdl(const TypeLibraryDesc& lib);

}  // namespace zirok::interfaces
