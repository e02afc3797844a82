#pragma once
// The SAUCE record at the end of an art or info file: 128 bytes starting "SAUCE00" with title,
// author, group, date, the file type and its width, flags and font name; before it an optional
// comment block ("COMNT" and 64-byte lines), and before that, usually, the DOS end-of-file mark
// (0x1A). Everything from the end-of-file mark on is the file's tail: it is not part of the text
// a person edits, and a save writes it back unchanged.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

struct SauceRecord {
    std::string title;  // 35 bytes, trailing blanks and NULs removed (all fields alike)
    std::string author; // 20
    std::string group;  // 20
    std::string date;   // "CCYYMMDD"
    std::uint32_t fileSize = 0;
    std::uint8_t dataType = 0;
    std::uint8_t fileType = 0;
    std::uint16_t tInfo1 = 0, tInfo2 = 0, tInfo3 = 0, tInfo4 = 0;
    std::uint8_t flags = 0;
    std::string fontName; // TInfoS, 22 bytes
    std::vector<std::string> comments;

    // Character (1) or binary text (5) files keep their width in TInfo1 (binary text: in the
    // file type, as half the width).
    std::optional<int> width() const;
    // The iCE colour flag: blink gives a bright background.
    bool iceColors() const { return (flags & 0x01) != 0; }
    // 1 for 8-pixel letter spacing, 2 for 9 pixels, 0 when not said.
    int letterSpacing() const { return (flags >> 1) & 0x03; }
    // "CCYY-MM-DD" when the date is eight digits, else the date as stored.
    std::string displayDate() const;
};

// A file's bytes split into the text and its tail.
struct SauceSplit {
    std::string_view text;             // what the editor and the views see
    std::string_view tail;             // end-of-file mark, comment block and record, verbatim
    std::optional<SauceRecord> record; // when a record was found
};

// Finds a SAUCE record at the end of `bytes`. A record whose comment count points outside the
// file or at something that is not a comment block is still used, without comments, and the
// tail then starts at the record. An end-of-file mark right before the comment block or record
// belongs to the tail. Without a record the whole input is text and the tail is empty.
SauceSplit splitSauce(std::string_view bytes);

} // namespace korvel
