// A member's stored bytes turned back into its contents, for the print and extraction requests.
// The engine decodes what the libraries of the system decode: stored, deflated (zlib), bzip2
// (libbz2), LZMA and XZ (liblzma) and Zstandard (libzstd). Other methods (Shrink, Reduce,
// Implode, Deflate64, PPMd, ...) are named, never mistaken for damaged data.
#pragma once

#include "central_dir.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace korvel::engine {

// Whether this engine decodes members of that compression method.
bool methodDecodable(uint16_t method);
// The method's name for messages: "Deflate64", "Implode", "PPMd", "method 77" ...
std::string methodFullName(uint16_t method);
// The name of the listing: unzip's short names for the methods decoded here ("Stored",
// "Defl:N", "BZip2" ...), the full names of the others ("Deflate64", "PPMd" ...).
const char* methodListingName(uint16_t method);

enum class Decoded {
    Ok,          // every byte delivered; size and CRC agree with the directory
    Cut,         // `limit` bytes were delivered and the member holds more
    Damaged,     // bad compressed data, wrong size or CRC, data ends early
    Unsupported, // a method this engine does not decode
    Stopped,     // the receiver answered false (it could not take the bytes)
    Memory       // a decoder could not be set up
};

// Decodes the stored bytes `data` of member `e` and hands the contents to `out` in pieces, at
// most `limit` bytes in all. Bytes may already have been handed out when the result is Damaged:
// callers that must not keep partial contents gather or write to a temporary first.
Decoded decodeMember(const CdEntry& e, std::string_view data, uint64_t limit,
                     const std::function<bool(const char*, size_t)>& out);

} // namespace korvel::engine
