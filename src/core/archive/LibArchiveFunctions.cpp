#include "core/archive/LibArchiveFunctions.h"

#include <dlfcn.h>

namespace korvel {

namespace {

constexpr const char* kLibrary = "libarchive.so.13";

LibArchiveFunctions load() {
    LibArchiveFunctions f;
    void* h = ::dlopen(kLibrary, RTLD_LAZY | RTLD_LOCAL);
    if (!h) {
        const char* why = ::dlerror();
        f.error = std::string("cannot load ") + kLibrary + ": " + (why ? why : "unknown error");
        return f;
    }
    // Left open: the reader may be used until the process ends.
    std::string missing;
#define KORVEL_LIBARCHIVE_RESOLVE(name)                                                                      \
    f.name = reinterpret_cast<decltype(f.name)>(::dlsym(h, #name));                                          \
    if (!f.name)                                                                                             \
        missing += missing.empty() ? #name : ", " #name;
    KORVEL_LIBARCHIVE_FUNCTIONS(KORVEL_LIBARCHIVE_RESOLVE)
#undef KORVEL_LIBARCHIVE_RESOLVE
    if (!missing.empty())
        f.error = std::string("cannot load ") + kLibrary + ": it lacks " + missing;
    return f;
}

} // namespace

const LibArchiveFunctions& libArchive() {
    static const LibArchiveFunctions functions = load();
    return functions;
}

} // namespace korvel
