#include "tools/zirokctl/reg_commands.hpp"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/library.hpp"
#include "platform/registry.hpp"
#include "service-object/posix/zirok_server.h"

namespace zirok::ctl {

namespace {

std::string hex(std::int32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

}  // namespace

int registerServer(const std::string& path, bool unregister, std::ostream& err) {
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    std::string error;
    auto library = platform::Library::load(path, &error);
    if (!library) {
        err << "zirokctl: cannot load " << path << ": " << error << "\n";
        return 1;
    }
    auto call = library->function<DllRegisterServerFn>(entry);
    if (!call) {
        err << "zirokctl: " << path << " has no " << entry << "\n";
        return 1;
    }
    const std::int32_t hr = call();
    if (hr != platform::hresult::kOk) {
        err << "zirokctl: " << entry << " failed with " << hex(hr) << "\n";
        return 1;
    }
    return 0;
}

int importRegFile(const std::string& file, std::ostream& err) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        err << "zirokctl: cannot read " << file << "\n";
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    try {
        const auto report = platform::registry().importRegText(text.str());
        for (std::size_t line : report.skippedLines) {
            err << "zirokctl: " << file << ":" << line << ": line skipped\n";
        }
    } catch (const platform::RegistryError& e) {
        err << "zirokctl: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

int exportRegText(const std::string& key, std::ostream& out, std::ostream& err) {
    try {
        out << platform::registry().exportRegText(key);
    } catch (const platform::RegistryError& e) {
        err << "zirokctl: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace zirok::ctl
