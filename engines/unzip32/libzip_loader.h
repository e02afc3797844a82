// libzip, loaded the first time an encrypted member must be decrypted. The engine reads
// everything else itself, so the library (and the crypto library under it) costs nothing to
// programs that never meet an encrypted archive.
#pragma once

#include <zip.h>

namespace korvel::engine {

// The few libzip calls the engine makes, bound from the loaded library.
struct LibZip {
    decltype(&::zip_open) open;
    decltype(&::zip_discard) discard;
    decltype(&::zip_get_num_entries) numEntries;
    decltype(&::zip_name_locate) nameLocate;
    decltype(&::zip_fopen_index_encrypted) fopenIndexEncrypted;
    decltype(&::zip_error_clear) errorClear;
    decltype(&::zip_fread) fread;
    decltype(&::zip_fclose) fclose;
};

// The bound library, or nullptr when it cannot be loaded (encrypted members are then skipped
// as undecryptable). Loaded once per process; thread-safe.
const LibZip* libZip();

} // namespace korvel::engine
