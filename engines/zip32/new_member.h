// A member the zip engine's raw-copy path adds: its local header, its data (stored, or deflated
// with zlib), and its central directory record.
#pragma once

#include "fast_add.h"

#include <cstdint>
#include <string>

namespace korvel::engine {

// A new member written at `offset`, the end of `out`: its central directory record comes back in
// `rec`. kFastPathDeclined for sizes this path does not write (zip64 members).
int writeMember(int out, uint64_t offset, const FastItem& it, int level, bool noExtra, std::string& rec);

} // namespace korvel::engine
