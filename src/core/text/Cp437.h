#pragma once
// The DOS code page 437, both ways. Descriptions are DOS texts: their bytes are shown as the
// glyphs a DOS screen showed (smileys, card suits, accented letters, box drawing, shading
// blocks) and stored back as the same bytes.
//
// Bytes 0x01-0x1F are shown as their DOS glyphs, except the three a text editor needs as
// control characters: TAB (0x09), LF (0x0A) and CR (0x0D) stay themselves, and the text layer
// above decides which of them are line ends (core/description/DescriptionText.h). 0x7F is the
// house glyph, 0x80-0xFF are the letters and drawing characters of the code page (0xFF is the
// no-break space). NUL maps to U+0000.
//
// On the way back every glyph gives its byte, and so do the C0 control characters U+0001-U+001F
// and U+007F themselves, so a text that holds either form is stored the same. A few look-alike
// characters that other programs write for the Greek and mathematical glyphs (Greek beta for
// 0xE1, micro sign mu for 0xE6, ohm sign for 0xEA, n-ary sum for 0xE4, ...) are accepted too.

#include <optional>
#include <string>
#include <string_view>

namespace korvel::cp437 {

// The character byte b is shown as.
char32_t toUnicode(unsigned char b);

// The byte that stands for c, or nothing when the code page has no such character.
std::optional<unsigned char> fromUnicode(char32_t c);

// Byte for byte through toUnicode.
std::u32string decode(std::string_view bytes);

// Character for character through fromUnicode; characters the code page lacks become
// `replacement`, and their number is added to *unmappable when it is given.
std::string encode(std::u32string_view text, char replacement = '?', std::size_t* unmappable = nullptr);

} // namespace korvel::cp437
