#pragma once
// Plays a text with ANSI escape sequences onto a character-cell screen, as a DOS screen with
// ANSI.SYS showed it:
// - SGR (ESC [ ... m): 0 reset, 1 bold (bright foreground), 5 blink (a bright background when the
//   iCE colour flag is set, else nothing a still picture shows), 7 reverse, 22/25/27 off again,
//   30-37 and 40-47 the eight colours, 39/49 the default colours, 90-97 and 100-107 bright ones;
// - cursor moves: A up, B down, C forward, D back (default 1), H and f position (row;column,
//   from 1), s save, u restore;
// - J clear screen (2: all, and the cursor goes home; 0: to the end; 1: to the cursor), K clear
//   line (0: to the end, 1: to the cursor, 2: all);
// - CR goes to the line's start, LF to the next line's start, TAB to the next multiple of 8, the
//   DOS end-of-file mark (0x1A) ends the text; a character in the last column moves the cursor
//   to the next line at once (80 characters and CR LF leave an empty line, as on DOS). Other
//   sequences are skipped, whole.
// Printable bytes are decoded through the code page: every other byte below 0x20 is shown as its
// DOS glyph on the single-byte pages.

#include "core/render/CellScreen.h"
#include "core/render/CodePage.h"

#include <string_view>

namespace korvel {

struct AnsiOptions {
    int width = 80;
    bool iceColors = false;
    CodePage page = CodePage::Cp437;
};

// True when the text holds an escape sequence (ESC followed by '[').
bool hasAnsiSequences(std::string_view text);

CellScreen interpretAnsi(std::string_view text, const AnsiOptions& options = {});

} // namespace korvel
