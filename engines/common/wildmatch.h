// Member name patterns as the classic unzip tool reads them: "*" any run of characters (folder
// separators included), "?" any one character, "[...]" one character of a set with ranges
// ("a-z") and "!" or "^" to negate. Case folding, when asked for, is ASCII only.
#pragma once

#include <string_view>

namespace korvel::engine {

bool hasWildcards(std::string_view pattern);
bool wildmatch(std::string_view pattern, std::string_view name, bool ignoreCase);

} // namespace korvel::engine
