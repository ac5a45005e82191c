#pragma once
#include <string>
#include <string_view>

namespace zirok::logging {

// Where the driver keeps its trace files (and the files that live beside them).
//
// tempFolder: the system's temporary folder, ending with its separator.
// osMajorVersion: Windows numbering; 6 is the first with separate Local and
//   Roaming per-user folders, and older systems keep traces in the temporary
//   folder.
// roamingFolder: the per-user roaming folder where the platform names it
//   directly (POSIX); empty where it is read off the temporary folder, which
//   on Windows sits in the user's "Local" folder beside "Roaming".
//
// The "Local" marker must be a whole folder level: a user called "Localadmin"
// must not send traces to C:\Users\Roaming\.
std::string logFolderFor(std::string_view tempFolder, int osMajorVersion,
                         std::string_view roamingFolder);

// The folder for this machine and user.
std::string currentLogFolder();

}  // namespace zirok::logging
