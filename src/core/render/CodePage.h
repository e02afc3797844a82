#pragma once
// The code pages a description can be read in: the DOS pages 437 (the default), 850, 852 and
// 866, Windows-1252, ISO-8859-1 and UTF-8. Each single-byte page maps every byte to one
// character and back, so a text read in it and stored unedited comes back byte for byte.
//
// Two views of a byte: the page's own character (what iconv gives: the C0 controls and DEL are
// themselves; the five bytes Windows-1252 leaves undefined are the C1 controls of the same
// number) and the character shown for it. Every single-byte page shows 0x01-0x1F and 0x7F as the
// DOS glyphs (smileys, suits, arrows, the house), so an escape character is visible; TAB, LF and
// CR stay control characters for the editor. Where a glyph is a letter of the page's upper half
// (the pilcrow and section sign of 0x14 and 0x15 outside page 437) the byte shows as its control
// picture (U+2414, U+2415) instead, and control pictures give their bytes back on every page.
//
// UTF-8 is not a byte table: a valid sequence is its character, and every byte that is not part
// of a valid sequence is shown as a private-use stand-in (U+F780 + byte - 0x80) that goes back as
// that byte. The C0 controls but TAB, LF and CR, and DEL, are shown as their control pictures
// (U+2401-U+241F, U+2421). A valid sequence that itself encodes a stand-in, a control picture or
// the line or paragraph separator (which the editor uses for lone line ends) is read as stand-ins
// of its bytes, so the mapping stays one to one.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

enum class CodePage { Cp437, Cp850, Cp852, Cp866, Windows1252, Iso8859_1, Utf8 };

inline constexpr std::array<CodePage, 7> kAllCodePages = {
    CodePage::Cp437,       CodePage::Cp850,     CodePage::Cp852, CodePage::Cp866,
    CodePage::Windows1252, CodePage::Iso8859_1, CodePage::Utf8};

// "CP437", "CP850", "CP852", "CP866", "Windows-1252", "ISO-8859-1", "UTF-8".
std::string_view codePageName(CodePage page);
// A name as codePageName gives it, or a usual alias ("437", "cp850", "1252", "latin1", "utf8"),
// without regard to case.
std::optional<CodePage> parseCodePage(std::string_view name);

bool isDosCodePage(CodePage page);

// The page's own character for a byte (single-byte pages; UTF-8 gives the byte's stand-in above
// 0x7F).
char32_t pageChar(CodePage page, unsigned char b);
// The character a screen shows for a byte (single-byte pages; see above).
char32_t screenChar(CodePage page, unsigned char b);

// The byte a character stands for in a single-byte page: its screen character, its own
// character, or (on page 437) a look-alike other programs write. Nothing when the page lacks it.
std::optional<unsigned char> byteFor(CodePage page, char32_t c);

// True when the bytes are valid UTF-8 and hold at least one multi-byte sequence.
bool looksLikeUtf8(std::string_view bytes);

// The page to read a text in: UTF-8 when `detectUtf8` and the text looks like UTF-8, else
// `chosen`.
CodePage pageForText(std::string_view bytes, CodePage chosen, bool detectUtf8 = true);

// Decodes one character at bytes[pos] and advances pos: screen characters for the single-byte
// pages; a sequence or a stand-in for UTF-8.
char32_t decodeNext(CodePage page, std::string_view bytes, std::size_t& pos);

// Appends the bytes of one character; false (nothing appended) when the page lacks it.
bool encodeChar(CodePage page, char32_t c, std::string& out);

// A character for a message: "U+20AC" followed by the character itself in quotes when it is
// printable ("U+20AC '€'"), as UTF-8.
std::string describeChar(char32_t c);

} // namespace korvel
