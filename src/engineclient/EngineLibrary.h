#pragma once
// Loading the outside libraries (the archive engines, the decoder) at run time by file name:
// first from the program's own folder, then along the system's library search path. Paths are
// the file system's bytes.

#include <memory>
#include <string>

namespace korvel {

class SharedLibrary {
public:
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads `fileName` (e.g. "libzip32.so") beside the executable, else through the system
    // search path. nullptr when found nowhere; `error` then says why.
    static std::unique_ptr<SharedLibrary> load(const std::string& fileName, std::string* error = nullptr);
    // Loads the library at exactly this path (a name without "/" goes to the system search).
    static std::unique_ptr<SharedLibrary> loadPath(const std::string& path, std::string* error = nullptr);

    // Where a library of that file name would be loaded from, or an empty string.
    static std::string find(const std::string& fileName);
    // The folder of the running executable (no trailing "/").
    static std::string executableDir();

    void* symbol(const char* name) const;
    template <typename F> F function(const char* name) const { return reinterpret_cast<F>(symbol(name)); }
    const std::string& path() const { return path_; }
    // Unmaps the library now (a library whose entry points were found incomplete). Every other
    // library stays mapped until the process ends.
    void unload();

private:
    SharedLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    void* handle_;
    std::string path_;
};

} // namespace korvel
