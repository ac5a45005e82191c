#pragma once
// Run-time libraries: the service object loads its transport and its trace
// library by name at run time and never links them.
#include <memory>
#include <string>

namespace zirok::platform {

class Library {
public:
    // nameOrPath: a bare file name (searched the platform's way) or a path.
    // Returns null and fills *error when the library cannot be loaded.
    static std::unique_ptr<Library> load(const std::string& nameOrPath, std::string* error = nullptr);

    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library();  // unloads

    void* symbol(const char* name) const;
    template <class Fn>
    Fn function(const char* name) const {
        return reinterpret_cast<Fn>(symbol(name));
    }
    const std::string& path() const { return path_; }

private:
    Library(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    void* handle_;
    std::string path_;
};

// The platform's file name for a library base name: "comdll" is
// "libcomdll.so" on POSIX and "COMDLL.DLL" on Windows.
std::string libraryFileName(const std::string& baseName);

// Folder, with a trailing separator, of the executable or shared library
// that holds the given address; empty when it cannot be told.
std::string moduleFolder(const void* addressInModule);

}  // namespace zirok::platform
