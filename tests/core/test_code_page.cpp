// The code pages of the description view against the system's iconv, byte by byte, and the round
// trip of a text through the editor's characters.
#include "core/description/DescriptionText.h"
#include "core/render/CodePage.h"

#include "Shell.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

#include <random>

using namespace korvel;

namespace {

std::string runIconv(const std::string& from, const std::string& bytes, bool* ok) {
    korvel::test::TempDir dir;
    const std::string in = korvel::test::writeFile(dir / "in.bin", bytes);
    std::string out;
    *ok =
        korvel::test::run(
            "iconv -f " + from + " -t UTF-32BE " + korvel::test::shellQuote(in) + " 2>/dev/null", &out) == 0;
    return out;
}

char32_t utf32At(const std::string& out, std::size_t i) {
    char32_t c = 0;
    for (std::size_t k = 0; k < 4; ++k)
        c = (c << 8) | static_cast<unsigned char>(out[4 * i + k]);
    return c;
}

// What iconv gives for each byte 0x00-0xFF; nothing for a byte it refuses. All bytes in one run
// when iconv takes them all, else byte by byte.
std::vector<std::optional<char32_t>> iconvTable(const std::string& from) {
    std::string all;
    for (int b = 0; b <= 0xFF; ++b)
        all.push_back(static_cast<char>(b));
    bool ok = false;
    std::vector<std::optional<char32_t>> table(256);
    const std::string out = runIconv(from, all, &ok);
    if (ok && out.size() == 4 * 256) {
        for (std::size_t b = 0; b < 256; ++b)
            table[b] = utf32At(out, b);
        return table;
    }
    for (int b = 0; b <= 0xFF; ++b) {
        const std::string one = runIconv(from, std::string(1, static_cast<char>(b)), &ok);
        if (ok && one.size() == 4)
            table[b] = utf32At(one, 0);
    }
    return table;
}

struct PageCase {
    CodePage page;
    const char* iconvName;
};

class CodePageAgainstIconv : public ::testing::TestWithParam<PageCase> {};

} // namespace

// Every byte 0x00-0xFF: the page's own character is what iconv gives; where iconv refuses a byte
// (the five holes of Windows-1252) the byte still has a character of its own. Each byte's screen
// character and its own character both give the byte back, and no two bytes share a character.
TEST_P(CodePageAgainstIconv, EveryByte) {
    const auto [page, name] = GetParam();
    std::set<char32_t> seen;
    const auto table = iconvTable(name);
    int refused = 0;
    for (int b = 0; b <= 0xFF; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const auto& expected = table[b];
        refused += !expected;
        if (expected) {
            EXPECT_EQ(pageChar(page, byte), *expected) << name << " byte " << b;
        }
        EXPECT_EQ(byteFor(page, pageChar(page, byte)), byte) << name << " byte " << b;
        EXPECT_EQ(byteFor(page, screenChar(page, byte)), byte) << name << " byte " << b;
        EXPECT_TRUE(seen.insert(screenChar(page, byte)).second) << name << " byte " << b;
    }
    EXPECT_EQ(refused, page == CodePage::Windows1252 ? 5 : 0) << name;
}

INSTANTIATE_TEST_SUITE_P(Pages, CodePageAgainstIconv,
                         ::testing::Values(PageCase{CodePage::Cp437, "CP437"},
                                           PageCase{CodePage::Cp850, "CP850"},
                                           PageCase{CodePage::Cp852, "CP852"},
                                           PageCase{CodePage::Cp866, "CP866"},
                                           PageCase{CodePage::Windows1252, "CP1252"},
                                           PageCase{CodePage::Iso8859_1, "ISO-8859-1"}));

// Random bytes, every page: shown in the editor and stored unedited, they come back byte for byte
// (NUL aside, which the editor shows as a blank).
TEST(CodePageRoundTrip, UneditedTextComesBackByteForByte) {
    std::mt19937 rng(19);
    for (CodePage page : kAllCodePages) {
        for (int round = 0; round < 50; ++round) {
            std::string bytes(1 + rng() % 400, '\0');
            for (char& c : bytes)
                c = static_cast<char>(1 + rng() % 255);
            const std::u32string shown = descriptionToDisplay(bytes, page);
            std::optional<char32_t> missing;
            EXPECT_EQ(displayToDescription(shown, page, &missing), bytes) << codePageName(page);
            EXPECT_FALSE(missing);
        }
    }
}

TEST(CodePageRoundTrip, Utf8TextIsReadAsCharactersAndStoredAsItWas) {
    const std::string text = "Gr\xC3\xBC\xC3\x9F"
                             "e \xE2\x86\x90 \xE2\x90\x9B \xEF\x9E\x80 \xF0\x9F\x98\x80\x1B[1m\r\n";
    const std::u32string shown = descriptionToDisplay(text, CodePage::Utf8);
    EXPECT_EQ(shown.substr(0, 5), U"Grüße");
    EXPECT_NE(shown.find(U'\u2190'), std::u32string::npos);     // a real arrow stays an arrow
    EXPECT_NE(shown.find(U'\U0001F600'), std::u32string::npos); // four-byte sequences
    EXPECT_NE(shown.find(U'\u241B'), std::u32string::npos);     // ESC is visible
    EXPECT_EQ(displayToDescription(shown, CodePage::Utf8), text);
}

TEST(CodePageChoice, Utf8OnlyForValidMultiByteText) {
    struct Case {
        std::string bytes;
        CodePage expected;
    };
    const Case cases[] = {
        {"plain ASCII\r\n", CodePage::Cp437},
        {"caf\xC3\xA9", CodePage::Utf8},
        {"\xC4\xC4\xC4 box", CodePage::Cp437},          // DOS line drawing is no UTF-8
        {"\xC0\x80 overlong", CodePage::Cp437},         // overlong NUL
        {"\xED\xA0\x80 surrogate", CodePage::Cp437},    // encoded surrogate
        {"\xF4\x90\x80\x80 too high", CodePage::Cp437}, // beyond U+10FFFF
        {"cut \xE2\x86", CodePage::Cp437},              // truncated at the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pageForText(c.bytes, CodePage::Cp437), c.expected) << c.bytes;
        EXPECT_EQ(pageForText(c.bytes, CodePage::Cp437, false), CodePage::Cp437);
    }
}

// A typed character the page lacks is refused and named; the first such character is reported.
TEST(CodePageRefusal, NamesTheMissingCharacter) {
    struct Case {
        CodePage page;
        std::u32string text;
        char32_t missing;
    };
    const Case cases[] = {
        {CodePage::Cp437, U"price 5€", U'€'}, {CodePage::Cp866, U"Привет ä", U'ä'},
        {CodePage::Iso8859_1, U"a€b", U'€'},  {CodePage::Windows1252, U"Ω", U'Ω'},
        {CodePage::Cp852, U"ø", U'ø'},
    };
    for (const auto& c : cases) {
        std::optional<char32_t> missing;
        displayToDescription(c.text, c.page, &missing);
        ASSERT_TRUE(missing) << codePageName(c.page);
        EXPECT_EQ(*missing, c.missing);
    }
    EXPECT_EQ(describeChar(U'€'), "U+20AC '\xE2\x82\xAC'");
    EXPECT_EQ(describeChar(0x1B), "U+001B");
}

TEST(CodePageNames, ParseAliases) {
    for (CodePage page : kAllCodePages)
        EXPECT_EQ(parseCodePage(codePageName(page)), page);
    EXPECT_EQ(parseCodePage("cp866"), CodePage::Cp866);
    EXPECT_EQ(parseCodePage("latin1"), CodePage::Iso8859_1);
    EXPECT_EQ(parseCodePage("utf8"), CodePage::Utf8);
    EXPECT_FALSE(parseCodePage("ebcdic"));
}
