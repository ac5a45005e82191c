#pragma once
// The registry entries of an in-process automation server, in COM's layout
// under HKEY_LOCAL_MACHINE\SOFTWARE\Classes: ProgID -> CLSID -> the server
// library's path, with the type library and its interfaces. Hosts find the
// library the same way through these keys on every platform.
#include <optional>
#include <string>
#include <string_view>

#include "interfaces/interface_table.hpp"
#include "platform/registry.hpp"

namespace zirok::registration {

// "SOFTWARE\Classes"; every path below is relative to it, in the local-machine hive.
inline constexpr std::u16string_view kClassesRoot = u"SOFTWARE\\Classes";

// Writes the class (ProgID, CLSID with InprocServer32 and no threading model)
// and the type library with its interfaces, all leading to `serverPath`.
// Raises platform::RegistryError when a key cannot be created or written.
void registerInprocServer(platform::RegistryStore& store, const interfaces::TypeLibraryDesc& lib,
                          const interfaces::ClassDesc& cls, std::u16string_view serverPath);

// Removes what registerInprocServer wrote. Keys that are already gone are no
// failure; one that exists and cannot be deleted raises RegistryError.
void unregisterInprocServer(platform::RegistryStore& store, const interfaces::TypeLibraryDesc& lib,
                            const interfaces::ClassDesc& cls);

// The class id a ProgID names, and the server path registered for a class
// id; nothing when the key or its default value is missing or empty.
std::optional<std::u16string> classIdOfProgId(const platform::RegistryStore& store,
                                              std::u16string_view progId);
std::optional<std::u16string> inprocServerPath(const platform::RegistryStore& store,
                                               std::u16string_view classId);

}  // namespace zirok::registration
