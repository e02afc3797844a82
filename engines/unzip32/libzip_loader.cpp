#include "libzip_loader.h"

#include <dlfcn.h>

namespace korvel::engine {

namespace {

template <typename F> bool bind(void* lib, const char* name, F& fn) {
    fn = reinterpret_cast<F>(dlsym(lib, name));
    return fn != nullptr;
}

const LibZip* load() {
    void* lib = dlopen("libzip.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        lib = dlopen("libzip.so", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return nullptr;
    static LibZip z;
    if (bind(lib, "zip_open", z.open) && bind(lib, "zip_discard", z.discard) &&
        bind(lib, "zip_get_num_entries", z.numEntries) && bind(lib, "zip_name_locate", z.nameLocate) &&
        bind(lib, "zip_fopen_index_encrypted", z.fopenIndexEncrypted) &&
        bind(lib, "zip_error_clear", z.errorClear) && bind(lib, "zip_fread", z.fread) &&
        bind(lib, "zip_fclose", z.fclose))
        return &z;
    dlclose(lib);
    return nullptr;
}

} // namespace

const LibZip* libZip() {
    static const LibZip* const z = load();
    return z;
}

} // namespace korvel::engine
