#pragma once
// gzip and raw deflate through zlib.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

// True when the bytes start with the gzip magic number.
bool isGzip(std::string_view bytes);

// The uncompressed bytes of a gzip stream; nothing when it is damaged or would exceed `limit`.
std::optional<std::string> gunzip(std::string_view bytes, std::size_t limit);

} // namespace korvel
