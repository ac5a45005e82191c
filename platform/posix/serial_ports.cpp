#include "platform/serial_ports.hpp"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string_view>

#include "platform/folders.hpp"

// The COMn map. $ZIROK_HOME/ports/comN symbolic links (Wine's dosdevices
// layout; the name is case-insensitive) name devices explicitly and keep their
// number even when their target is missing: a dangling link is not offered as
// a port, but its number is not handed to another device either, so an
// unplugged adapter never lets its name slide onto a different line. Detected
// devices that no link names take the free numbers from COM1 up, in the order
// ttyS (only ports the kernel found hardware for), ttyUSB, ttyACM, each by
// number. ZIROK_DEV_ROOT and ZIROK_SYS_ROOT replace /dev and /sys (tests).

namespace zirok::platform {

namespace {

std::string envOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

bool sameLetter(char a, char b, bool ignoreCase) {
    if (!ignoreCase) return a == b;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(a) == lower(b);
}

// The number after `prefix` when `name` is the prefix followed by a plain
// decimal number (no sign, no leading zero, at most 6 digits); -1 otherwise.
long numberAfter(std::string_view name, std::string_view prefix, bool ignoreCase) {
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 6) return -1;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (!sameLetter(name[i], prefix[i], ignoreCase)) return -1;
    std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 1 && digits[0] == '0') return -1;
    long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

long comNumber(std::string_view name) {
    long n = numberAfter(name, "com", true);
    return n > 0 ? n : -1;
}

std::string comName(long number) {
    return "COM" + std::to_string(number);
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string canonicalPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

std::string linkText(const std::string& path) {
    char text[PATH_MAX];
    ssize_t n = readlink(path.c_str(), text, sizeof text);
    return n > 0 ? std::string(text, static_cast<std::size_t>(n)) : std::string();
}

bool exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

bool isRemovableDevice(const std::string& path) {
    std::string_view base = path;
    if (auto slash = base.rfind('/'); slash != std::string_view::npos)
        base.remove_prefix(slash + 1);
    return numberAfter(base, "ttyUSB", false) >= 0 || numberAfter(base, "ttyACM", false) >= 0;
}

// A ttyS node exists for every port the kernel reserved; only those with a
// device behind them and a known UART type are real ports.
bool isPresentUart(const std::string& sysRoot, const std::string& node) {
    const std::string folder = sysRoot + "/class/tty/" + node;
    if (!exists(folder + "/device")) return false;
    std::ifstream typeFile(folder + "/type");
    int type = -1;
    return !(typeFile >> type) || type != 0;  // 0 is PORT_UNKNOWN
}

// The port-name cut takes the first "COM" of a friendly name, so a target
// path must not carry one of its own.
std::string withoutUpperCom(std::string text) {
    for (auto at = text.find("COM"); at != std::string::npos; at = text.find("COM", at))
        text.replace(at, 3, "com");
    return text;
}

struct DetectedKind {
    const char* prefix;
    const char* friendlyName;
    bool removable;
    bool needsUartCheck;
};

constexpr DetectedKind kDetectedKinds[] = {
    {"ttyS", "Communications Port", false, true},
    {"ttyUSB", "USB Serial Port", true, false},
    {"ttyACM", "USB Serial Device", true, false},
};

}  // namespace

std::vector<SerialPort> enumerateSerialPorts() {
    std::map<long, SerialPort> ports;
    std::set<long> taken;
    std::set<std::string> linkedDevices;

    // Links first. When both comN and COMN exist, the first in byte order counts.
    const std::string linkFolder = zirokHome() + "ports/";
    for (const std::string& entry : folderEntries(linkFolder)) {
        long number = comNumber(entry);
        if (number < 0 || taken.count(number)) continue;
        const std::string path = linkFolder + entry;
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) continue;
        taken.insert(number);
        std::string device = canonicalPath(path);
        if (device.empty()) continue;  // dangling: the number stays reserved
        linkedDevices.insert(device);
        const std::string name = comName(number);
        ports[number] = {name, "Serial port " + withoutUpperCom(linkText(path)) + " (" + name + ")",
                         device, isRemovableDevice(device)};
    }

    const std::string devRoot = envOr("ZIROK_DEV_ROOT", "/dev");
    const std::string sysRoot = envOr("ZIROK_SYS_ROOT", "/sys");
    const std::vector<std::string> devEntries = folderEntries(devRoot);
    long next = 1;
    for (const DetectedKind& kind : kDetectedKinds) {
        std::vector<long> numbers;
        for (const std::string& entry : devEntries)
            if (long n = numberAfter(entry, kind.prefix, false); n >= 0) numbers.push_back(n);
        std::sort(numbers.begin(), numbers.end());
        for (long n : numbers) {
            const std::string node = kind.prefix + std::to_string(n);
            if (kind.needsUartCheck && !isPresentUart(sysRoot, node)) continue;
            std::string device = canonicalPath(devRoot + "/" + node);
            if (device.empty() || linkedDevices.count(device)) continue;
            while (taken.count(next)) ++next;
            taken.insert(next);
            const std::string name = comName(next);
            ports[next] = {name, std::string(kind.friendlyName) + " (" + name + ")", device,
                           kind.removable};
        }
    }

    std::vector<SerialPort> result;
    result.reserve(ports.size());
    for (auto& [number, port] : ports) result.push_back(std::move(port));
    return result;
}

std::string serialPortDevice(const std::string& name) {
    long number = comNumber(name);
    if (number < 0) return {};
    const std::string wanted = comName(number);
    for (const SerialPort& port : enumerateSerialPorts())
        if (port.name == wanted) return port.device;
    return {};
}

}  // namespace zirok::platform
