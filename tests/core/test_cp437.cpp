#include "core/text/Cp437.h"

#include "Shell.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace cp437 = korvel::cp437;

namespace {

std::u32string utf8ToCodePoints(const std::string& s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t c = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < s.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(c);
        i += 1 + extra;
    }
    return out;
}

// The bytes run through `iconv -f CP437 -t UTF-8`.
std::u32string iconvFromCp437(const std::string& bytes) {
    korvel::test::TempDir dir;
    const std::string in = korvel::test::writeFile(dir / "in.bin", bytes);
    std::string out;
    korvel::test::run("iconv -f CP437 -t UTF-8 " + korvel::test::shellQuote(in), &out);
    return utf8ToCodePoints(out);
}

} // namespace

// The printable ASCII range and the whole upper half agree with the system's converter. The
// bytes 0x01-0x1F and 0x7F are left out on purpose: iconv gives the control characters there,
// while the display table gives the DOS glyphs (smileys, suits, arrows, the house), keeping
// only TAB, LF and CR as control characters.
TEST(Cp437, AgreesWithIconvOnAsciiAndTheUpperHalf) {
    std::string bytes;
    for (int b = 0x20; b <= 0x7E; ++b)
        bytes.push_back(static_cast<char>(b));
    for (int b = 0x80; b <= 0xFF; ++b)
        bytes.push_back(static_cast<char>(b));
    const std::u32string expected = iconvFromCp437(bytes);
    ASSERT_EQ(expected.size(), bytes.size()) << "iconv did not convert every byte";
    for (std::size_t i = 0; i < bytes.size(); ++i)
        EXPECT_EQ(cp437::toUnicode(static_cast<unsigned char>(bytes[i])), expected[i])
            << "byte 0x" << std::hex << (static_cast<unsigned char>(bytes[i]) + 0);
}

struct GlyphCase {
    unsigned char byte;
    char32_t glyph;
};
class Cp437Glyphs : public testing::TestWithParam<GlyphCase> {};

TEST_P(Cp437Glyphs, ShownAsTheDosScreenShowedThem) {
    EXPECT_EQ(cp437::toUnicode(GetParam().byte), GetParam().glyph);
    EXPECT_EQ(cp437::fromUnicode(GetParam().glyph), GetParam().byte);
}

INSTANTIATE_TEST_SUITE_P(ControlRange, Cp437Glyphs,
                         testing::Values(GlyphCase{0x01, U'☺'}, GlyphCase{0x03, U'♥'}, GlyphCase{0x07, U'•'},
                                         GlyphCase{0x08, U'◘'}, GlyphCase{0x09, U'\t'},
                                         GlyphCase{0x0A, U'\n'}, GlyphCase{0x0D, U'\r'},
                                         GlyphCase{0x0E, U'♫'}, GlyphCase{0x10, U'►'}, GlyphCase{0x14, U'¶'},
                                         GlyphCase{0x1A, U'→'}, GlyphCase{0x1F, U'▼'}, GlyphCase{0x7F, U'⌂'},
                                         GlyphCase{0xB0, U'░'}, GlyphCase{0xC9, U'╔'}, GlyphCase{0xDB, U'█'},
                                         GlyphCase{0xFF, 0x00A0}));

TEST(Cp437, EveryByteComesBackThroughItsCharacter) {
    std::set<char32_t> seen;
    for (int b = 0; b < 256; ++b) {
        const char32_t c = cp437::toUnicode(static_cast<unsigned char>(b));
        EXPECT_TRUE(seen.insert(c).second) << "two bytes share U+" << std::hex << static_cast<unsigned>(c);
        EXPECT_EQ(cp437::fromUnicode(c), b);
    }
}

TEST(Cp437, ControlCharactersAndTheGlyphsOfTabLfCrGiveTheSameByte) {
    for (char32_t c = 1; c < 0x20; ++c)
        EXPECT_EQ(cp437::fromUnicode(c), c);
    EXPECT_EQ(cp437::fromUnicode(0x7F), 0x7F);
    EXPECT_EQ(cp437::fromUnicode(U'○'), 0x09);
    EXPECT_EQ(cp437::fromUnicode(U'◙'), 0x0A);
    EXPECT_EQ(cp437::fromUnicode(U'♪'), 0x0D);
    EXPECT_EQ(cp437::fromUnicode(U'β'), 0xE1);
    EXPECT_EQ(cp437::fromUnicode(U'μ'), 0xE6);
}

TEST(Cp437, CharactersTheCodePageLacksAreReplacedAndCounted) {
    std::size_t missing = 0;
    EXPECT_EQ(cp437::encode(U"€ 1 漢 ╬ é", '?', &missing), "? 1 ? \xCE \x82");
    EXPECT_EQ(missing, 2u);
    EXPECT_FALSE(cp437::fromUnicode(0x110000));
    EXPECT_FALSE(cp437::fromUnicode(0xFFFD));
}
