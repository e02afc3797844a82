// The ANSI interpreter, the SAUCE reader and the text export over files built byte by byte.
#include "RenderSupport.h"
#include "core/render/AnsiInterpreter.h"
#include "core/render/DescriptionRender.h"
#include "core/render/Sauce.h"
#include "core/render/ScreenPicture.h"

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::SauceFields;
using korvel::test::sauceTail;

namespace {

struct CellCase {
    const char* name;
    std::string text;
    bool ice;
    int x, y;    // the cell looked at
    char32_t ch; // its character
    int fg, bg;  // its colours
    int height;  // rows of the screen
};

class AnsiCells : public ::testing::TestWithParam<CellCase> {};

std::string printName(const ::testing::TestParamInfo<CellCase>& i) {
    return i.param.name;
}

} // namespace

TEST_P(AnsiCells, ShowsWhatADosScreenShowed) {
    const CellCase& c = GetParam();
    AnsiOptions o;
    o.iceColors = c.ice;
    const CellScreen s = interpretAnsi(c.text, o);
    const Cell& cell = s.at(c.x, c.y);
    EXPECT_EQ(cell.ch, c.ch);
    EXPECT_EQ(cell.fg, c.fg);
    EXPECT_EQ(cell.bg, c.bg);
    EXPECT_EQ(s.height(), c.height);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, AnsiCells,
    ::testing::Values(CellCase{"plain", "AB", false, 1, 0, U'B', 7, 0, 1},
                      CellCase{"red_on_blue", "\x1b[31;44mX", false, 0, 0, U'X', 1, 4, 1},
                      CellCase{"bold_is_bright", "\x1b[1;32mX", false, 0, 0, U'X', 10, 0, 1},
                      CellCase{"blink_without_ice", "\x1b[5;41mX", false, 0, 0, U'X', 7, 1, 1},
                      CellCase{"blink_with_ice", "\x1b[5;41mX", true, 0, 0, U'X', 7, 9, 1},
                      CellCase{"reset", "\x1b[1;31m\x1b[0mX", false, 0, 0, U'X', 7, 0, 1},
                      CellCase{"empty_sgr_resets", "\x1b[1;31m\x1b[mX", false, 0, 0, U'X', 7, 0, 1},
                      CellCase{"reverse", "\x1b[7mX", false, 0, 0, U'X', 0, 7, 1},
                      CellCase{"position", "\x1b[3;5HX", false, 4, 2, U'X', 7, 0, 3},
                      CellCase{"position_f", "\x1b[2;2fX", false, 1, 1, U'X', 7, 0, 2},
                      CellCase{"forward", "A\x1b[5CX", false, 6, 0, U'X', 7, 0, 1},
                      CellCase{"forward_stops_at_edge", "\x1b[500CX", false, 79, 0, U'X', 7, 0, 1},
                      CellCase{"back", "ABCD\x1b[2DX", false, 2, 0, U'X', 7, 0, 1},
                      CellCase{"up", "\r\n\r\nA\x1b[2AX", false, 1, 0, U'X', 7, 0, 3},
                      CellCase{"down", "A\x1b[3BX", false, 1, 3, U'X', 7, 0, 4},
                      CellCase{"save_restore", "AB\x1b[s\x1b[5;5HZ\x1b[uX", false, 2, 0, U'X', 7, 0, 5},
                      CellCase{"clear_screen", "ABC\x1b[2JX", false, 0, 0, U'X', 7, 0, 1},
                      CellCase{"cleared_cell", "ABC\x1b[2JX", false, 1, 0, U' ', 7, 0, 1},
                      CellCase{"clear_line_to_end", "ABCD\x1b[2D\x1b[44m\x1b[K", false, 3, 0, U' ', 7, 4, 1},
                      CellCase{"clear_line_keeps_start", "ABCD\x1b[2D\x1b[K", false, 1, 0, U'B', 7, 0, 1},
                      CellCase{"wraps_at_width", std::string(80, '-') + "X", false, 0, 1, U'X', 7, 0, 2},
                      CellCase{"full_line_then_crlf", std::string(80, '-') + "\r\nX", false, 0, 2, U'X', 7, 0,
                               3},
                      CellCase{"lf_returns", "AB\nX", false, 0, 1, U'X', 7, 0, 2},
                      CellCase{"tab", "A\tX", false, 8, 0, U'X', 7, 0, 1},
                      CellCase{"dos_glyph", "\x01\xDB", false, 1, 0, U'\u2588', 7, 0, 1},
                      CellCase{"smiley", "\x01", false, 0, 0, U'\u263A', 7, 0, 1},
                      CellCase{"eof_ends",
                               "A\x1a"
                               "BBBB",
                               false, 1, 0, U' ', 7, 0, 1},
                      CellCase{"unknown_sequence_skipped", "\x1b[?7hX", false, 0, 0, U'X', 7, 0, 1},
                      CellCase{"bright_codes", "\x1b[93;104mX", false, 0, 0, U'X', 11, 12, 1},
                      CellCase{"far_row", "\x1b[9999;1HX", false, 0, 9998, U'X', 7, 0, 9999},
                      CellCase{"row_beyond_the_bound", "\x1b[99999;1HX", false, 0, 13106, U'X', 7, 0, 13107}),
    printName);

TEST(AnsiScreen, WidthComesFromTheCaller) {
    AnsiOptions o;
    o.width = 40;
    const CellScreen s = interpretAnsi(std::string(41, 'x'), o);
    EXPECT_EQ(s.width(), 40);
    EXPECT_EQ(s.height(), 2);
}

TEST(AnsiScreen, HostileSizesStayBounded) {
    AnsiOptions o;
    o.width = 65535;
    const CellScreen s = interpretAnsi("\x1b[65535;65535HX\x1b[999999999B", o);
    EXPECT_LE(static_cast<std::size_t>(s.width()) * s.height(), CellScreen::kMaxCells);
}

// The tail (EOF mark, comments, record) is set apart and kept verbatim.
TEST(Sauce, SplitsTheTailOffAndReadsTheFields) {
    SauceFields f;
    f.title = "Korvel Logo";
    f.author = "Artist";
    f.group = "Group";
    f.width = 100;
    f.flags = 0x01 | 0x04; // iCE, 9-pixel letters
    f.comments = {"first comment", "second"};
    const std::string text = "\x1b[1;31mHello\r\n";
    const std::string file = text + sauceTail(f, static_cast<std::uint32_t>(text.size()));
    const SauceSplit s = splitSauce(file);
    ASSERT_TRUE(s.record);
    EXPECT_EQ(s.text, text);
    EXPECT_EQ(std::string(s.text) + std::string(s.tail), file);
    EXPECT_EQ(s.tail.front(), '\x1A');
    EXPECT_EQ(s.record->title, "Korvel Logo");
    EXPECT_EQ(s.record->author, "Artist");
    EXPECT_EQ(s.record->group, "Group");
    EXPECT_EQ(s.record->displayDate(), "1996-07-04");
    EXPECT_EQ(s.record->width(), 100);
    EXPECT_TRUE(s.record->iceColors());
    EXPECT_EQ(s.record->letterSpacing(), 2);
    EXPECT_EQ(s.record->fontName, "IBM VGA");
    EXPECT_EQ(s.record->comments, (std::vector<std::string>{"first comment", "second"}));

    const DescriptionLayout l = layOutDescription(file);
    EXPECT_EQ(l.ansiOptions.width, 100);
    EXPECT_TRUE(l.ansiOptions.iceColors);
    EXPECT_TRUE(l.nineColumns);
    EXPECT_TRUE(l.ansi);
}

TEST(Sauce, DamagedOrMissingRecords) {
    struct Case {
        const char* name;
        std::string file;
        bool record;
        std::size_t textSize;
    };
    SauceFields lying;
    lying.comments = {"x"};
    std::string noBlock = sauceTail(lying, 0);
    noBlock.erase(1, 5 + 64); // the count says one comment, but there is no block
    const Case cases[] = {
        {"none", "just text\r\n", false, 11},
        {"short", "SAUCE00", false, 7},
        {"no_eof_mark", "abc" + sauceTail(SauceFields{}, 3).substr(1), true, 3},
        {"comment_count_lies", "abc" + noBlock, true, 3},
        {"only_record", sauceTail(SauceFields{}, 0).substr(1), true, 0},
    };
    for (const auto& c : cases) {
        const SauceSplit s = splitSauce(c.file);
        EXPECT_EQ(s.record.has_value(), c.record) << c.name;
        EXPECT_EQ(s.text.size(), c.textSize) << c.name;
        EXPECT_EQ(std::string(s.text) + std::string(s.tail), c.file) << c.name;
    }
}

TEST(TextExport, EscapesAndSauceGo) {
    const std::string file =
        std::string("\x1b[1;33mHi \xB0\x1b[0m there  \r\nline 2") + sauceTail(SauceFields{}, 0);
    EXPECT_EQ(descriptionAsUtf8(layOutDescription(file)), "Hi \u2591 there\nline 2\n");
    const std::string plain = "caf\x82 \x01\r\nend\x1a"
                              "junk";
    EXPECT_EQ(descriptionAsUtf8(layOutDescription(plain)), "caf\u00E9 \u263A\r\nend");
    RenderChoice cyr;
    cyr.page = CodePage::Cp866;
    EXPECT_EQ(descriptionAsUtf8(layOutDescription("\x8f\xe0\xa8\xa2\xa5\xe2", cyr)), "Привет");
    EXPECT_EQ(descriptionAsUtf8(layOutDescription("Gr\xC3\xBC\xC3\x9F"
                                                  "e")),
              "Grüße");
}

TEST(SauceFields, PrintedAsNameValueLines) {
    SauceFields f;
    f.title = "T";
    f.author = "A";
    f.group = "G";
    f.comments = {"c1"};
    const std::string file = "x" + sauceTail(f, 1);
    EXPECT_EQ(sauceFieldLines(splitSauce(file)),
              "Title: T\nAuthor: A\nGroup: G\nDate: 1996-07-04\nWidth: 80\nFont: IBM VGA\niCE colours: no\n"
              "Comment: c1\n");
}

TEST(Picture, SizeAndPngSignature) {
    const CellScreen s = interpretAnsi("AB\r\nC");
    PsfFont font = *PsfFont::parse(std::string("\x36\x04\x00\x10", 4) + std::string(256 * 16, '\xFF'));
    const IndexedPicture eight = drawScreen(s, font);
    EXPECT_EQ(eight.width, 640);
    EXPECT_EQ(eight.height, 32);
    EXPECT_EQ(eight.pixels[0], 7); // a full glyph in the foreground
    const IndexedPicture nine = drawScreen(s, font, true);
    EXPECT_EQ(nine.width, 720);
    EXPECT_EQ(nine.pixels[8], 0); // the ninth column of a letter is background
    const std::string png = encodePng(eight);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST(Picture, DamagedFontsAreRefused) {
    const std::string cases[] = {
        "",
        "\x36\x04",
        std::string("\x36\x04\x00\x10", 4) + "short",
        std::string("\x72\xb5\x4a\x86", 4) + std::string(28, '\xFF'),
        std::string("\x1f\x8b\x08\x00garbage", 11),
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(PsfFont::parse(c, &error));
        EXPECT_FALSE(error.empty());
    }
}
