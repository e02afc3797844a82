#pragma once
// A description's bytes as the catalogue lists them: the text without a SAUCE record and without
// anything after the DOS end-of-file mark (0x1A), and that text as plain lines for the listings
// that cannot show colours.

#include "core/render/Sauce.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::catalog {

struct DescriptionBody {
    std::string_view text; // a view into the bytes given
    std::optional<SauceRecord> sauce;
    bool ansi = false; // the text holds ANSI escape sequences
};

DescriptionBody descriptionBody(std::string_view bytes);

// The lines of a text, still in its code page: line ends CR LF, LF or a lone CR; ANSI escape
// sequences left out (a cursor-forward one becomes its blanks); tabs expanded to the next
// multiple of eight; NUL bytes dropped; blanks at line ends and empty lines at the start and end
// left out.
std::vector<std::string> plainLines(std::string_view text);

} // namespace korvel::catalog
