#include "lifecycle_fixture.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/ansi_text.hpp"

namespace zirok::testing {

namespace fs = std::filesystem;

namespace {

bool isTimePrefix(std::string_view line) {
    if (line.size() < 10) return false;
    for (std::size_t i : {0, 1, 3, 4, 6, 7})
        if (line[i] < '0' || line[i] > '9') return false;
    return line[2] == ':' && line[5] == ':' && line.substr(8, 2) == ": ";
}

}  // namespace

LifecycleHome::LifecycleHome() {
    fs::create_directories(path() + "/dev");
    fs::create_directories(path() + "/sys");
    setenv("ZIROK_DEV_ROOT", (path() + "/dev").c_str(), 1);
    setenv("ZIROK_SYS_ROOT", (path() + "/sys").c_str(), 1);
    setenv("XDG_STATE_HOME", (path() + "/state").c_str(), 1);
}

LifecycleHome::~LifecycleHome() {
    unsetenv("ZIROK_DEV_ROOT");
    unsetenv("ZIROK_SYS_ROOT");
    unsetenv("XDG_STATE_HOME");
}

std::string LifecycleHome::devicePath(const std::string& node) const {
    return path() + "/dev/" + node;
}

void LifecycleHome::addFakeDevice(const std::string& node) const {
    std::ofstream(devicePath(node)).put('\n');
}

void LifecycleHome::linkPort(int comNumber, const std::string& target) const {
    fs::create_symlink(target, portLink(comNumber));
}

platform::RegistryKey LifecycleHome::deviceKey(std::u16string_view deviceName) const {
    std::u16string keyPath = u"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\";
    keyPath += deviceName;
    return *platform::registry().createKey(platform::RegistryHive::LocalMachine, keyPath);
}

std::string LifecycleHome::traceFolder() const {
    return path() + "/state/Brightfold/ZIROK OPOS Driver/Logs/";
}

std::vector<std::string> LifecycleHome::traceFiles() const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(traceFolder(), ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string LifecycleHome::traceText() const {
    std::string text;
    for (const std::string& name : traceFiles()) {
        std::ifstream file(traceFolder() + name, std::ios::binary);
        std::stringstream content;
        content << file.rdbuf();
        text += content.str();
    }
    return text;
}

std::vector<std::string> LifecycleHome::traceLines() const {
    std::vector<std::string> lines;
    const std::string text = traceText();
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + at, end - at);
        if (isTimePrefix(line)) line.remove_prefix(10);
        if (!line.empty() && line.back() == ';') line.remove_suffix(1);
        lines.emplace_back(line);
        at = end + 2;
    }
    return lines;
}

std::vector<std::string> LifecycleHome::traceLinesStartingWith(std::string_view prefix) const {
    std::vector<std::string> found;
    for (const std::string& line : traceLines())
        if (line.starts_with(prefix)) found.push_back(line);
    return found;
}

std::vector<std::string> LifecycleHome::commandsSent() const {
    // A request: STX, four password characters, the packet id, then the code.
    constexpr std::string_view kSent = "Send data: ";
    std::vector<std::string> codes;
    for (const std::string& line : traceLinesStartingWith(kSent))
        if (line.size() >= kSent.size() + 8) codes.push_back(line.substr(kSent.size() + 6, 2));
    return codes;
}

std::string cp1251(std::u16string_view text) {
    return platform::wideToAnsi(text);
}

}  // namespace zirok::testing
