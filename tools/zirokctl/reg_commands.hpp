#pragma once
// The registry subcommands: self-registration of a server library and
// registry-editor text in and out of the store. Each returns the exit status
// and reports failures on `err`.
#include <ostream>
#include <string>

namespace zirok::ctl {

// Loads the library at `path` and calls DllRegisterServer or DllUnregisterServer.
int registerServer(const std::string& path, bool unregister, std::ostream& err);

int importRegFile(const std::string& file, std::ostream& err);
// `key` empty: both hives.
int exportRegText(const std::string& key, std::ostream& out, std::ostream& err);

}  // namespace zirok::ctl
