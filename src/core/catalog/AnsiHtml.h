#pragma once
// A description with ANSI colours as HTML for a <pre> box. The text is read as a stream: the
// colour sequences (SGR) become spans with the classes "f0".."f15" (foreground, bright colours
// from bold) and "b0".."b15" (background), a cursor-forward sequence becomes its blanks, and
// every other sequence (cursor positioning, clearing) is left out. Art that moves the cursor
// around needs the character-cell screen instead; the catalogue takes that as its HTML hook.

#include <functional>
#include <string>
#include <string_view>

namespace korvel::catalog {

using ToUtf8 = std::function<std::string(std::string_view bytes)>;

std::string ansiToHtml(std::string_view text, const ToUtf8& toUtf8);

// The 16 colours of the classes above, as CSS rules for the page.
std::string ansiPaletteCss();

} // namespace korvel::catalog
