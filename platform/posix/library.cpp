#include "platform/library.hpp"

#include <dlfcn.h>

namespace zirok::platform {

std::unique_ptr<Library> Library::load(const std::string& nameOrPath, std::string* error) {
    dlerror();
    void* handle = dlopen(nameOrPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (error) {
            const char* why = dlerror();
            *error = why ? why : "cannot load " + nameOrPath;
        }
        return nullptr;
    }
    return std::unique_ptr<Library>(new Library(handle, nameOrPath));
}

Library::~Library() { dlclose(handle_); }

void* Library::symbol(const char* name) const { return dlsym(handle_, name); }

std::string libraryFileName(const std::string& baseName) { return "lib" + baseName + ".so"; }

std::string moduleFolder(const void* addressInModule) {
    Dl_info info{};
    if (!dladdr(addressInModule, &info) || !info.dli_fname) return {};
    std::string path = info.dli_fname;
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return "./";
    return path.substr(0, slash + 1);
}

}  // namespace zirok::platform
