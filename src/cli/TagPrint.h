#pragma once
// Printing of tag fields for korvel-cli: one "name: value" line per field, in UTF-8 (ID3v1 texts
// converted from ISO-8859-1) with control characters escaped (\0, \n, \r, \t, \xHH, and \\ for "\").

#include "core/audio/ID3v1.h"
#include "core/audio/ID3v2.h"

#include <string>
#include <string_view>

namespace korvel::cli {

// Control characters escaped; other bytes unchanged.
std::string EscapeControls(std::string_view text);
// An ISO-8859-1 text escaped and converted to UTF-8.
std::string EscapeTagText(std::string_view latin1);
void PrintTags(const TID3v1& v1, const TID3v2& v2);

} // namespace korvel::cli
