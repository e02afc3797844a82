#pragma once
// The SAUCE record that ANSI and text artists append to their files: 128 bytes at the very end,
// starting "SAUCE00", optionally preceded by a comment block ("COMNT" and 64-byte lines) and by
// the DOS end-of-file mark 0x1A. The catalogue lists its fields and keeps it out of the text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::catalog {

struct SauceRecord {
    // Texts as stored (code page 437), trailing blanks and NULs removed.
    std::string title, author, group, date, font;
    std::uint32_t fileSize = 0;
    std::uint8_t dataType = 0, fileType = 0, flags = 0;
    std::uint16_t tInfo[4] = {0, 0, 0, 0};
    std::vector<std::string> comments;
};

struct SauceSplit {
    std::string_view text;             // what comes before the record, its comments and the 0x1A
    std::optional<SauceRecord> record; // when the bytes end with one
};

SauceSplit splitSauce(std::string_view bytes);

} // namespace korvel::catalog
