#pragma once
// Matching of file names against the pieces of a file list's Mask ("*.zip", "*.*", "a?c.txt"),
// the way the Windows file finder does it: letters match without regard to ASCII case, "*" is
// any run of characters, "?" exactly one, "*.*" is every name, a trailing ".*" also matches a
// name without extension and a trailing "." stands for "no extension".

#include <string_view>

namespace korvel::files {

bool wildcardMatch(std::string_view pattern, std::string_view name);

} // namespace korvel::files
