#pragma once
// Printing of tag fields for korvel-cli: one "name: value" line per field, texts converted from
// ISO-8859-1 to UTF-8 with control characters escaped (\0, \n, \r, \t, \xHH, and \\ for "\").

#include "core/audio/ID3v1.h"
#include "core/audio/ID3v2.h"

#include <string>
#include <string_view>

namespace korvel::cli {

std::string EscapeTagText(std::string_view latin1);
void PrintTags(const TID3v1& v1, const TID3v2& v2);

} // namespace korvel::cli
