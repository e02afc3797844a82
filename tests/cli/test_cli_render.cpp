// korvel-cli diz --png, --text and --sauce against ansilove, on ANSI and SAUCE files made here:
// the same picture size and the same colours in every character cell. The glyph shapes come
// from different fonts, so a cell is compared by the set of colours it shows.
#include "ArchiveFixtures.h"
#include "RenderSupport.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include <set>

using namespace korvel::test;

namespace {

const std::string cli = std::string(KORVEL_BIN_DIR) + "/korvel-cli";

struct PictureCase {
    const char* name;
    std::string file;
    std::string ourArgs;      // beside --png
    std::string ansiloveArgs; // beside -o
};

// The colours of each cell, row by row.
std::vector<std::set<QRgb>> cellColours(const QImage& img, int cellWidth) {
    std::vector<std::set<QRgb>> cells;
    for (int cy = 0; cy + 16 <= img.height(); cy += 16)
        for (int cx = 0; cx + cellWidth <= img.width(); cx += cellWidth) {
            std::set<QRgb> c;
            for (int y = cy; y < cy + 16; ++y)
                for (int x = cx; x < cx + cellWidth; ++x)
                    c.insert(img.pixel(x, y) & 0xFFFFFF);
            cells.push_back(c);
        }
    return cells;
}

std::string colourText(const std::set<QRgb>& s) {
    std::string out;
    for (QRgb c : s)
        out += QColor(c).name().toStdString() + " ";
    return out;
}

std::string allColours() {
    std::string s;
    for (int bold = 0; bold < 2; ++bold)
        for (int bg = 40; bg <= 47; ++bg) {
            for (int fg = 30; fg <= 37; ++fg)
                s += "\x1b[" + std::to_string(bold) + ";" + std::to_string(fg) + ";" + std::to_string(bg) +
                     "mA\xDB ";
            s += "\x1b[0m\r\n";
        }
    return s;
}

// Every byte but the few that steer (TAB, LF, CR, the end-of-file mark, ESC), in lines of 80.
std::string everyByte() {
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != 9 && b != 10 && b != 13 && b != 26 && b != 27)
            all.push_back(static_cast<char>(b));
    return all.substr(0, 80) + "\r\n" + all.substr(80, 80) + "\r\n" + all.substr(160) + "\r\n";
}

std::string withSauce(const std::string& text, SauceFields f) {
    return text + sauceTail(f, static_cast<std::uint32_t>(text.size()));
}

SauceFields sauceOf(std::uint16_t width, std::uint8_t flags) {
    SauceFields f;
    f.title = "Test";
    f.width = width;
    f.flags = flags;
    return f;
}

const PictureCase kPictures[] = {
    {"colours", allColours(), "", ""},
    {"cursor",
     "\x1b[2J\x1b[5;10H\x1b[1;36mhere\x1b[s\x1b[1;1H\x1b[41mtop\x1b[u\x1b[32m!\x1b[2A\x1b[3DUP\x1b[4BDOWN"
     "\x1b[10C\x1b[44mfwd\x1b[0m\r\n",
     "", ""},
    // Not compared: ESC[K, which ansilove leaves undone (it keeps the characters a DOS screen
    // erases); the interpreter's own tests cover it.
    {"box_nine_columns",
     "\xC9\xCD\xCD\xBB \xDA\xC4\xBF\r\n\xC8\xCD\xCD\xBC \xC0\xC4\xD9 \xB0\xB1\xB2\xDB\r\n", "--nine", "-b 9"},
    {"ice_from_sauce",
     withSauce("\x1b[5;41;33mblink\x1b[0m \x1b[5;1;44;37mbright\x1b[0m\r\n", sauceOf(80, 0x01)), "", "-S"},
    {"blink_without_ice", withSauce("\x1b[5;41;33mblink\x1b[0m\r\n", sauceOf(80, 0x00)), "", "-S"},
    {"sauce_width_40",
     withSauce(std::string(100, 'x') + "\x1b[31m" + std::string(30, 'y') + "\r\n", sauceOf(40, 0)), "", "-S"},
    {"every_byte_full_lines", everyByte(), "", ""},
    {"dos_glyphs",
     "\x01\x02\x03\x04\x05\x06\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1c\x1d\x1e\x1f\x7f"
     "\x80\x9b\xe0\xf1\xfe\r\n",
     "", ""},
};

class CliPicture : public ::testing::TestWithParam<PictureCase> {};

std::string caseName(const ::testing::TestParamInfo<PictureCase>& i) {
    return i.param.name;
}

} // namespace

TEST_P(CliPicture, SameSizeAndCellColoursAsAnsilove) {
    const PictureCase& c = GetParam();
    TempDir t;
    const std::string in = t / "art.ans";
    writeFile(in, c.file);
    const std::string ours = t / "ours.png", theirs = t / "theirs.png";
    std::string err;
    ASSERT_EQ(
        run(cli + " diz --file --png " + shellQuote(ours) + " " + c.ourArgs + " " + shellQuote(in) + " 2>&1",
            &err),
        0)
        << err;
    ASSERT_EQ(
        run("ansilove -q " + c.ansiloveArgs + " -o " + shellQuote(theirs) + " " + shellQuote(in) + " 2>&1"),
        0);
    const QImage a(QString::fromStdString(ours)), b(QString::fromStdString(theirs));
    ASSERT_FALSE(a.isNull());
    ASSERT_FALSE(b.isNull());
    ASSERT_EQ(a.width(), b.width());
    ASSERT_EQ(a.height(), b.height());
    const int cellWidth = c.ourArgs.find("--nine") != std::string::npos ? 9 : 8;
    const auto ca = cellColours(a, cellWidth), cb = cellColours(b, cellWidth);
    const int columns = a.width() / cellWidth;
    int differences = 0;
    for (std::size_t i = 0; i < ca.size() && differences < 5; ++i)
        if (ca[i] != cb[i]) {
            ++differences;
            ADD_FAILURE() << "cell " << i % columns << "," << i / columns << ": ours " << colourText(ca[i])
                          << "ansilove " << colourText(cb[i]);
        }
}

INSTANTIATE_TEST_SUITE_P(Files, CliPicture, ::testing::ValuesIn(kPictures), caseName);

// The same through an archive made by zip: the description is looked up, then drawn.
TEST(CliRender, PictureAndTextOfAnArchivesDescription) {
    TempDir t;
    writeFile(t / "src/file_id.diz", "\x1b[1;31mKorvel \xB2\x1b[0m\r\nsecond line\r\n");
    ASSERT_EQ(zipTool(t / "src", "../art.zip file_id.diz"), 0);
    const std::string zip = shellQuote(t / "art.zip");

    std::string out;
    EXPECT_EQ(run(cli + " diz --text " + zip + " 2>/dev/null", &out), 0);
    EXPECT_EQ(out, "Korvel \u2593\nsecond line\n");
    EXPECT_EQ(run(cli + " diz --png " + shellQuote(t / "a.png") + " " + zip + " 2>/dev/null"), 0);
    const QImage img(QString::fromStdString(t / "a.png"));
    EXPECT_EQ(img.width(), 640);
    EXPECT_EQ(img.height(), 32);
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(run(cli + " diz --mode readme --png " + shellQuote(t / "b.png") + " " + zip + " 2>/dev/null"),
              1);
}

TEST(CliRender, SauceCodePagesAndRefusals) {
    TempDir t;
    SauceFields f = sauceOf(80, 0x01);
    f.author = "Somebody";
    f.comments = {"made for the test"};
    writeFile(t / "art.ans", withSauce("\x1b[1;31mKorvel\x1b[0m\r\n", f));
    std::string out;
    EXPECT_EQ(run(cli + " diz --file --sauce " + shellQuote(t / "art.ans"), &out), 0);
    EXPECT_EQ(out, "Title: Test\nAuthor: Somebody\nGroup: \nDate: 1996-07-04\nWidth: 80\nFont: IBM VGA\n"
                   "iCE colours: yes\nComment: made for the test\n");
    EXPECT_EQ(run(cli + " diz --file --text " + shellQuote(t / "art.ans"), &out), 0);
    EXPECT_EQ(out, "Korvel\n");

    writeFile(t / "cyr.txt", "\x8f\xe0\xa8\xa2\xa5\xe2\r\n");
    EXPECT_EQ(run(cli + " diz --file --codepage 866 --text " + shellQuote(t / "cyr.txt"), &out), 0);
    EXPECT_EQ(out, "Привет\r\n");
    EXPECT_EQ(
        run(cli + " diz --file --codepage klingon --text " + shellQuote(t / "cyr.txt") + " 2>/dev/null"), 2);
    EXPECT_EQ(run(cli + " diz --file --sauce " + shellQuote(t / "cyr.txt") + " 2>/dev/null"), 1);
    EXPECT_EQ(run(cli + " diz --file --png " + shellQuote(t / "x.png") + " --font " +
                  shellQuote(t / "cyr.txt") + " " + shellQuote(t / "cyr.txt") + " 2>/dev/null"),
              3);
}
