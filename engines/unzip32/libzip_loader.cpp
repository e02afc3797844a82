#include "libzip_loader.h"

#include "symbol_binding.h"

namespace korvel::engine {

namespace {

const LibZip* load() {
    void* lib = dlopen("libzip.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        lib = dlopen("libzip.so", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return nullptr;
    static LibZip z;
    if (bindSymbol(lib, "zip_open", z.open) && bindSymbol(lib, "zip_discard", z.discard) &&
        bindSymbol(lib, "zip_get_num_entries", z.numEntries) &&
        bindSymbol(lib, "zip_name_locate", z.nameLocate) &&
        bindSymbol(lib, "zip_fopen_index_encrypted", z.fopenIndexEncrypted) &&
        bindSymbol(lib, "zip_error_clear", z.errorClear) && bindSymbol(lib, "zip_fread", z.fread) &&
        bindSymbol(lib, "zip_fclose", z.fclose))
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
