#pragma once
// A description as its author drew it: the file's SAUCE tail set apart, its text read in a code
// page and, when it holds ANSI escape sequences, played onto a DOS screen at the SAUCE width (80
// without one). What the picture and text exports of the window and of korvel-cli write.

#include "core/render/AnsiInterpreter.h"
#include "core/render/CellScreen.h"
#include "core/render/CodePage.h"
#include "core/render/Sauce.h"

#include <string>
#include <string_view>

namespace korvel {

struct RenderChoice {
    CodePage page = CodePage::Cp437; // the user's page
    bool detectUtf8 = true;          // read valid multi-byte UTF-8 as UTF-8 whatever the page
    bool nineColumns = false;        // 9-pixel cells (also when the SAUCE record asks for them)
};

struct DescriptionLayout {
    SauceSplit parts;
    CodePage page = CodePage::Cp437; // the page the text is read in
    bool ansi = false;               // the text holds escape sequences
    AnsiOptions ansiOptions;         // width, iCE colours, page
    bool nineColumns = false;
};

// Splits off the SAUCE tail and settles page, width and colours. `bytes` must outlive the result.
DescriptionLayout layOutDescription(std::string_view bytes, const RenderChoice& choice = {});

// The DOS screen of the text (plain text too: it is a text without sequences).
CellScreen describeScreen(const DescriptionLayout& layout);

// The text as UTF-8 without SAUCE and escape sequences: an ANSI text as the rows of its screen
// (trailing blanks cut, "\n" after each), a plain text character for character up to the DOS
// end-of-file mark, its line ends kept, NUL bytes left out.
std::string descriptionAsUtf8(const DescriptionLayout& layout);

// The rows of a screen as UTF-8 lines.
std::string screenAsUtf8(const CellScreen& screen);

// The SAUCE fields as "name: value" lines (title, author, group, date, width, font, iCE colours,
// then each comment line), or an empty text without a record.
std::string sauceFieldLines(const SauceSplit& parts);

} // namespace korvel
