#pragma once
// Loading the outside libraries (the archive engines, the decoder) at run time by file name:
// first from the program's own folder, then along the system's library search path.

#include <QString>

#include <memory>

namespace korvel {

class SharedLibrary {
public:
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads `fileName` (e.g. "libzip32.so") beside the executable, else through the system
    // search path. nullptr when found nowhere; `error` then says why.
    static std::unique_ptr<SharedLibrary> load(const QString& fileName, QString* error = nullptr);
    // Loads the library at exactly this path.
    static std::unique_ptr<SharedLibrary> loadPath(const QString& path, QString* error = nullptr);

    // Where a library of that file name would be loaded from, or an empty string.
    static QString find(const QString& fileName);
    // The folder of the running executable.
    static QString executableDir();

    void* symbol(const char* name) const;
    template <typename F> F function(const char* name) const { return reinterpret_cast<F>(symbol(name)); }
    const QString& path() const { return path_; }

private:
    SharedLibrary(void* handle, QString path) : handle_(handle), path_(std::move(path)) {}
    void* handle_;
    QString path_;
};

} // namespace korvel
