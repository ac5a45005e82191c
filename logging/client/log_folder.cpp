#include "logging/client/log_folder.hpp"

#include "platform/folders.hpp"

namespace zirok::logging {

namespace {

constexpr int kFirstRoamingVersion = 6;

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string driverLogsUnder(std::string folder, char separator) {
    if (folder.empty() || !isSeparator(folder.back())) folder += separator;
    for (const char* level : {"Brightfold", "ZIROK OPOS Driver", "Logs"}) {
        folder += level;
        folder += separator;
    }
    return folder;
}

std::string_view::size_type findLocalLevel(std::string_view folder) {
    constexpr std::string_view kLocal = "Local";
    for (auto pos = folder.find(kLocal); pos != std::string_view::npos;
         pos = folder.find(kLocal, pos + 1)) {
        auto end = pos + kLocal.size();
        bool starts = pos > 0 && isSeparator(folder[pos - 1]);
        bool ends = end == folder.size() || isSeparator(folder[end]);
        if (starts && ends) return pos;
    }
    return std::string_view::npos;
}

}  // namespace

std::string logFolderFor(std::string_view tempFolder, int osMajorVersion,
                         std::string_view roamingFolder) {
    if (osMajorVersion < kFirstRoamingVersion) return std::string(tempFolder);
    if (!roamingFolder.empty()) {
        char separator = isSeparator(roamingFolder.back()) ? roamingFolder.back() : '/';
        return driverLogsUnder(std::string(roamingFolder), separator);
    }
    auto pos = findLocalLevel(tempFolder);
    if (pos == std::string_view::npos) return std::string(tempFolder);
    return driverLogsUnder(std::string(tempFolder.substr(0, pos)) + "Roaming", tempFolder[pos - 1]);
}

std::string currentLogFolder() {
    // POSIX has no Local/Roaming split under its temporary folder: it names the
    // per-user folder directly, and every version has one.
    return logFolderFor(platform::tempFolder(), kFirstRoamingVersion, platform::userDataFolder());
}

}  // namespace zirok::logging
