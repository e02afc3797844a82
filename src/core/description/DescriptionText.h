#pragma once
// A description's bytes as the editor shows them, and the editor's text as the bytes stored.
//
// The editor's text is a sequence of characters in which U+000A (or U+2029, the paragraph
// separator of a text document) ends a line. Line ends are where the bytes hold CR LF, and they
// are stored as CR LF. A lone LF (a Unix line end) is shown as a line break too, but as
// U+2028, the line separator, so that it goes back as the single byte it was; a lone CR is
// shown as its DOS glyph (eighth note) and goes back as CR. Every other byte goes through the
// code page 437 table, NUL as the symbol for null (U+2400), which the table lacks. So every byte
// value comes back unchanged after showing and storing.
//
// Readers of a Qt text document must take its raw text (QTextDocument::toRawText): the plain
// text turns the no-break space (byte 0xFF) into a blank and the line separator into a line end.

#include "core/render/CodePage.h"

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

// The characters that stand for the line-end bytes in the editor's text.
inline constexpr char32_t kLineEnd = U'\n';             // CR LF
inline constexpr char32_t kParagraphSeparator = 0x2029; // CR LF as a text document holds it
inline constexpr char32_t kLoneLineFeed = 0x2028;       // LF alone
inline constexpr char32_t kLoneCarriageReturn = 0x266A; // CR alone: its DOS glyph, eighth note
inline constexpr char32_t kNulByte = 0x2400;            // NUL: the symbol for null

// The editor's text for the bytes of a description.
std::u32string descriptionToDisplay(std::string_view bytes);
// The same in another code page (core/render/CodePage.h): the line ends as above, every other
// character through the page's screen characters. In UTF-8 a lone CR is its control picture
// (U+240D) instead of the eighth note, which UTF-8 text may hold for itself.
std::u32string descriptionToDisplay(std::string_view bytes, CodePage page);

// The bytes to store for the editor's text: every line end CR LF (a CR already before a line end
// is not doubled), U+2028 LF, everything else through the code page 437 table. Characters the
// code page lacks are stored as "?" and counted in *unmappable when it is given.
std::string displayToDescription(std::u32string_view text, std::size_t* unmappable = nullptr);
// The same for a code page; the first character the page lacks is given in *firstMissing (the
// bytes then hold "?" for it and must not be stored).
std::string displayToDescription(std::u32string_view text, CodePage page,
                                 std::optional<char32_t>* firstMissing = nullptr);

// Gathers what the unzip engine prints for one member. Each piece counts whole, by the length it
// came with (a zero byte in a description is kept), and starts on a line of its own: when the
// text so far does not end with a line end, CR LF is put between. A boundary that falls at a
// line end, or between the CR and the LF of one, adds nothing, so a description delivered in
// pieces along its lines comes through byte for byte. Text beyond `limit` bytes is dropped.
class PrintCapture {
public:
    explicit PrintCapture(std::size_t limit = std::numeric_limits<std::size_t>::max()) : limit_(limit) {}

    void add(const char* piece, std::size_t length);
    const std::string& text() const { return text_; }
    // Whether text was dropped at the limit.
    bool truncated() const { return truncated_; }
    void clear() {
        text_.clear();
        truncated_ = false;
    }

private:
    void append(std::string_view s);

    std::size_t limit_;
    std::string text_;
    bool truncated_ = false;
};

} // namespace korvel
