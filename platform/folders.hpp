#pragma once
// Folders the package keeps its state in. Every returned folder ends with the
// platform's separator.
#include <string>

namespace zirok::platform {

char pathSeparator();

// $ZIROK_HOME, default ~/.config/zirok: holds registry/ and ports/.
std::string zirokHome();

// The system's temporary folder.
std::string tempFolder();

// The per-user application data folder (Windows: the roaming application
// data folder; POSIX: $XDG_STATE_HOME, default ~/.local/state).
std::string userDataFolder();

// Creates every missing level of an absolute folder path; true when the
// folder exists afterwards.
bool createFolders(const std::string& path);

}  // namespace zirok::platform
