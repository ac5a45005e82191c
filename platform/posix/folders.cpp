#include "platform/folders.hpp"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zirok::platform {

namespace {

std::string withSeparator(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string envOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

}  // namespace

char pathSeparator() { return '/'; }

std::string zirokHome() { return withSeparator(envOr("ZIROK_HOME", homeFolder() + "/.config/zirok")); }

std::string tempFolder() { return withSeparator(envOr("TMPDIR", "/tmp")); }

std::string userDataFolder() {
    return withSeparator(envOr("XDG_STATE_HOME", homeFolder() + "/.local/state"));
}

bool createFolders(const std::string& path) {
    if (path.empty()) return false;
    struct stat st {};
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') continue;
        std::string level = path.substr(0, pos);
        if (stat(level.c_str(), &st) == 0) continue;
        if (mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace zirok::platform
