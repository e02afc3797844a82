#include "engineclient/EngineLibrary.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {

namespace {
bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}
} // namespace

SharedLibrary::~SharedLibrary() {
    // Engines stay mapped until the process ends: their callbacks and static state may still be
    // referenced, and unloading gains nothing.
}

void SharedLibrary::unload() {
    if (handle_)
        ::dlclose(handle_);
    handle_ = nullptr;
}

std::string SharedLibrary::executableDir() {
    static const std::string dir = [] {
        std::string buf(4096, '\0');
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n <= 0 || static_cast<size_t>(n) >= buf.size())
            return std::string(".");
        buf.resize(static_cast<size_t>(n));
        const auto slash = buf.rfind('/');
        if (slash == std::string::npos)
            return std::string(".");
        return slash == 0 ? std::string("/") : buf.substr(0, slash);
    }();
    return dir;
}

std::unique_ptr<SharedLibrary> SharedLibrary::loadPath(const std::string& path, std::string* error) {
    void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        if (error) {
            const char* why = ::dlerror();
            *error = why ? why : "cannot be loaded";
        }
        return nullptr;
    }
    std::string real = path;
    link_map* lm = nullptr;
    if (::dlinfo(h, RTLD_DI_LINKMAP, &lm) == 0 && lm && lm->l_name && *lm->l_name)
        real = lm->l_name;
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(h, real));
}

std::unique_ptr<SharedLibrary> SharedLibrary::load(const std::string& fileName, std::string* error) {
    const std::string beside = executableDir() + "/" + fileName;
    if (exists(beside))
        return loadPath(beside, error);
    return loadPath(fileName, error); // no "/": the system search path
}

std::string SharedLibrary::find(const std::string& fileName) {
    const std::string beside = executableDir() + "/" + fileName;
    if (exists(beside))
        return beside;
    if (auto lib = loadPath(fileName))
        return lib->path();
    return {};
}

void* SharedLibrary::symbol(const char* name) const {
    return handle_ ? ::dlsym(handle_, name) : nullptr;
}

} // namespace korvel
