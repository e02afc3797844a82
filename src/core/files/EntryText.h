#pragma once
// The texts of a file list row: size, modified time, attribute letters, drive sizes.

#include "core/files/Entry.h"

#include <cstdint>
#include <string>

namespace korvel::files {

// Plain byte count below 1,024,001,024 bytes, else the size in KB (rounded down) and "K".
std::string sizeText(std::uint64_t bytes);

// Local time as "mm/dd/yyyy hh:nn" (24-hour clock); at midnight the date alone.
// Empty when the time cannot be converted.
std::string modifiedText(std::int64_t mtime, bool valid = true);

// "R", "H", "S" in that order, for the bits that are set.
std::string attributeText(std::uint8_t attrs);

// Bytes as KB with thousands separators and " KB" ("1,234 KB").
std::string kbText(std::uint64_t bytes);

// The size column of a row: " " for a folder.
std::string sizeColumnText(const Entry& e);

} // namespace korvel::files
