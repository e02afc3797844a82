// The language file vocabulary, the reader with the profile rules and its encodings, the stored
// language setting and the shipped language files.
#include "core/lang/LanguageFile.h"
#include "core/lang/LanguageSetting.h"
#include "core/lang/LanguageTable.h"
#include "core/lang/LanguageText.h"
#include "core/text/Utf8.h"

#include "FileBytes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using namespace korvel::lang;
using korvel::test::readFile;
using korvel::test::TempDir;
using korvel::test::writeFile;

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

const Key& row(std::string_view section, std::string_view key) {
    for (const Key& k : keyTable())
        if (k.section == section && k.key == key)
            return k;
    throw std::runtime_error("no such key");
}

std::string textOf(const std::vector<Assignment>& list, std::string_view section, std::string_view key) {
    for (const auto& a : list)
        if (a.key->section == section && a.key->key == key)
            return a.text;
    throw std::runtime_error("no assignment");
}

} // namespace

// --- the table -------------------------------------------------------------------------------

// The keys of the eleven original sections come first, in their reading order (with "Catalogue
// folder..." among the menu items); the description view's keys follow in a section of their own.
TEST(LanguageTable, ElevenSectionsNinetySixKeysInReadingOrder) {
    auto table = keyTable();
    // the 96 of the original vocabulary, "Catalogue folder...", the ZIP-only save message and
    // the description view's five
    ASSERT_EQ(table.size(), 96u + 1u + 1u + 5u);
    std::vector<std::string_view> sections;
    for (const Key& k : table)
        if (sections.empty() || sections.back() != k.section)
            sections.push_back(k.section);
    // Every section is one run of rows, in this order.
    EXPECT_EQ(sections, (std::vector<std::string_view>{
                            "Buttons", "Menu", "Tabs", "Packer", "MP3", "FileManager", "Zip options",
                            "Unpacker", "Custom files", "Lang setup", "Dialogs", "Description"}));
    EXPECT_EQ(table.front().key, "view");
    EXPECT_EQ(table[96].key, "File");
    EXPECT_EQ(table.back().key, "RawText");
}

TEST(LanguageTable, KeysAndTargetsAreUnique) {
    std::set<std::pair<std::string, std::string>> keys;
    std::set<std::tuple<std::string_view, std::string_view, Special>> targets;
    for (const Key& k : keyTable()) {
        EXPECT_TRUE(keys.insert({lower(k.section), lower(k.key)}).second) << k.section << "/" << k.key;
        ASSERT_FALSE(k.first.empty()) << k.key;
        for (const Target& t : {k.first, k.second}) {
            if (!t.empty()) {
                EXPECT_TRUE(targets.insert({t.window, t.control, t.special}).second)
                    << "two keys set " << t.window << "." << t.control;
            }
        }
    }
}

TEST(LanguageTable, SecondTargetsAndSpecialTexts) {
    std::vector<std::string> seconds;
    for (const Key& k : keyTable())
        if (!k.second.empty())
            seconds.push_back(std::string(k.second.control.empty() ? "@" : k.second.control));
    EXPECT_EQ(seconds,
              (std::vector<std::string>{"@", "Ck_V2", "Lab1", "Lab2", "Lab3", "Lab4", "Lab5", "Lab6"}));
    EXPECT_EQ(row("Buttons", "custom").second.special, Special::AllCustomCaption);
    EXPECT_EQ(row("Dialogs", "Copying").first.special, Special::CopyPrompt);
    EXPECT_EQ(row("Dialogs", "Moving").first.special, Special::MovePrompt);
    EXPECT_EQ(row("Dialogs", "File").first.special, Special::CountWord);
    EXPECT_TRUE(row("Zip options", "MTitle").first.isWindowTitle());
    EXPECT_EQ(row("Zip options", "MTitle").first.window, "FrmZipOpt");
    EXPECT_EQ(row("Menu", "10").first.control, "M_Font");
    EXPECT_EQ(row("Menu", "1").first.control, "Options1");
    // "\n" in a default is one line feed.
    EXPECT_EQ(std::count(row("Custom files", "LabelUp").defaultText.begin(),
                         row("Custom files", "LabelUp").defaultText.end(), '\n'),
              4);
}

// --- reading ---------------------------------------------------------------------------------

TEST(LanguageFileRead, EmptyFileGivesEveryDefault) {
    auto list = LanguageFile(std::string_view()).assignments();
    ASSERT_EQ(list.size(), keyTable().size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].key, &keyTable()[i]);
        EXPECT_EQ(list[i].text, keyTable()[i].defaultText);
    }
    // The first tab's form caption "ZIP and MP3 info" becomes the table's text.
    EXPECT_EQ(textOf(list, "Tabs", "Diz"), "Info ZIP files");
}

TEST(LanguageFileRead, UnreadablePathsGiveDefaults) {
    TempDir dir;
    std::string big(LanguageFile::MaxFileSize + 1, ' ');
    std::string_view head = "[Tabs]\nDiz=Big\n";
    big.replace(0, head.size(), head);
    for (const std::string& path :
         {dir.path().string() + "/missing.kvl", dir.path().string(), dir.path().string() + "/", std::string(),
          writeFile(dir / "big.kvl", big), std::string("/dev/zero")}) {
        auto f = LanguageFile::load(path);
        EXPECT_EQ(f.text("Tabs", "Diz", "Info ZIP files"), "Info ZIP files") << path;
    }
}

struct ReadCase {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    std::string expected;
};

class LanguageFileValue : public ::testing::TestWithParam<ReadCase> {};

TEST_P(LanguageFileValue, Reads) {
    const auto& c = GetParam();
    auto list = LanguageFile(c.file).assignments();
    EXPECT_EQ(textOf(list, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ProfileRules, LanguageFileValue,
    ::testing::Values(
        ReadCase{"LowerCaseHeader", "[buttons]\nview=Vedi\n", "Buttons", "view", "Vedi"},
        ReadCase{"UpperCaseKey", "[BUTTONS]\nSAVE INFO=Salva\n", "Buttons", "save info", "Salva"},
        ReadCase{"MenuItemNotMenu", "[Menu]\n1=Opzioni\n10=Carattere...\n", "Menu", "10", "Carattere..."},
        ReadCase{"MenuTitleNotItem", "[Menu]\n10=Carattere...\n1=Opzioni\n", "Menu", "1", "Opzioni"},
        ReadCase{"ZeroAndDoubleZero", "[Menu]\n00=Esci\n0=File\n", "Menu", "0", "File"},
        ReadCase{"SameKeyOtherSection", "[Zip options]\n1=A\n[Unpacker]\n1=B\n", "Unpacker", "1", "B"},
        ReadCase{"EmptyValueEmpties", "[Buttons]\nview=\n", "Buttons", "view", ""},
        ReadCase{"BlanksTrimmed", "[Buttons]\n  view   =   Vedi ora  \t\n", "Buttons", "view", "Vedi ora"},
        ReadCase{"DoubleQuotes", "[Buttons]\nview=\"  Vedi \"\n", "Buttons", "view", "  Vedi "},
        ReadCase{"SingleQuotes", "[Buttons]\nview='Vedi'\n", "Buttons", "view", "Vedi"},
        ReadCase{"UnbalancedQuote", "[Buttons]\nview=\"Vedi\n", "Buttons", "view", "\"Vedi"},
        ReadCase{"InnerQuotesKept", "[Custom files]\nLabelUp=press \"Add\" now\n", "Custom files", "LabelUp",
                 "press \"Add\" now"},
        ReadCase{"FirstOccurrenceWins", "[Buttons]\nview=One\nview=Two\n", "Buttons", "view", "One"},
        ReadCase{"FirstSectionWins", "[Buttons]\nauto=A\n[Buttons]\nview=Two\n", "Buttons", "view", "View"},
        ReadCase{"CrLfLines", "[Buttons]\r\nview=Vedi\r\n", "Buttons", "view", "Vedi"},
        ReadCase{"MissingKeyDefault", "[Buttons]\nviewer=X\n", "Buttons", "view", "View"},
        ReadCase{"LineWithoutEqualsIgnored", "[Buttons]\nview\nview=Vedi\n", "Buttons", "view", "Vedi"},
        ReadCase{"EqualsInValue", "[Buttons]\nview=a=b\n", "Buttons", "view", "a=b"},
        ReadCase{"AmpersandKept", "[Custom files]\nButt_add=&Aggiungi>>\n", "Custom files", "Butt_add",
                 "&Aggiungi>>"},
        ReadCase{"Utf8Text", "[MP3]\nL3=Modalit\xC3\xA0\n", "MP3", "L3", "Modalit\xC3\xA0"},
        ReadCase{"Latin1Text", "[MP3]\nL3=Modalit\xE0\n", "MP3", "L3", "Modalit\xC3\xA0"},
        // One invalid byte anywhere makes the whole file Latin-1.
        ReadCase{"Latin1WholeFile", "[MP3]\nL3=\xC3\xA0\nL6=\xE0\n", "MP3", "L3", "\xC3\x83\xC2\xA0"},
        ReadCase{"Utf8ByteOrderMark", "\xEF\xBB\xBF[Buttons]\nview=Vedi\n", "Buttons", "view", "Vedi"},
        ReadCase{"Windows1252Euro", "[Buttons]\nview=\x80\n", "Buttons", "view", "\xE2\x82\xAC"},
        ReadCase{"Windows1252Quotes", "[MP3]\nL3=\x93Hi\x94 \x85\n", "MP3", "L3",
                 "\xE2\x80\x9CHi\xE2\x80\x9D \xE2\x80\xA6"},
        ReadCase{"Windows1252FreeCode", "[MP3]\nL3=\x81\x9D\n", "MP3", "L3", "\xC2\x81\xC2\x9D"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LanguageFileRead, EncodingDetected) {
    EXPECT_EQ(LanguageFile("[MP3]\nL3=Modalit\xC3\xA0\n").encoding(), Encoding::Utf8);
    EXPECT_EQ(LanguageFile("[MP3]\nL3=Modalit\xE0\n").encoding(), Encoding::Windows1252);
    EXPECT_EQ(LanguageFile("[MP3]\nL3=\xED\xA0\x80\n").encoding(), Encoding::Windows1252); // a surrogate
}

TEST(LanguageFileRead, ValuesCutAt2047Characters) {
    auto file = [](const std::string& v) { return "[Buttons]\nview=" + v + "\nauto=after\n"; };
    auto ascii = LanguageFile(file(std::string(3000, 'x'))).text("Buttons", "view", "");
    EXPECT_EQ(ascii, std::string(2047, 'x'));
    EXPECT_EQ(LanguageFile(file(std::string(2047, 'x'))).text("Buttons", "view", ""), std::string(2047, 'x'));

    // Latin-1: one byte is one character, so 2047 characters come out.
    auto latin1 = LanguageFile(file(std::string(3000, '\xE9'))).text("Buttons", "view", "");
    EXPECT_EQ(latin1.size(), 2 * 2047u);
    EXPECT_TRUE(korvel::utf8::isValid(latin1));

    // UTF-8: a character the limit cuts in two is dropped whole.
    std::string e;
    for (int i = 0; i < 1500; ++i)
        e += "\xC3\xA9";
    auto utf8 = LanguageFile(file(e)).text("Buttons", "view", "");
    EXPECT_EQ(utf8, e.substr(0, 2046));
    EXPECT_EQ(LanguageFile(file(e)).text("Buttons", "auto", ""), "after");
}

TEST(LanguageFileRead, LoadsFromDisk) {
    TempDir dir;
    auto path = writeFile(dir / "mine.kvl", "[Tabs]\nDiz=Descrizioni\n");
    auto list = LanguageFile::load(path).assignments();
    EXPECT_EQ(textOf(list, "Tabs", "Diz"), "Descrizioni");
    EXPECT_EQ(textOf(list, "Tabs", "Zip"), "Easy zip packer");
}

// --- UTF-8 ---------------------------------------------------------------------------------

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool valid;
};

class Utf8Validity : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Validity, Checks) {
    EXPECT_EQ(korvel::utf8::isValid(GetParam().bytes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8Validity,
    ::testing::Values(
        Utf8Case{"Ascii", "plain text", true}, Utf8Case{"Empty", "", true},
        Utf8Case{"TwoByte", "\xC3\xA9", true}, Utf8Case{"ThreeByte", "\xE2\x82\xAC", true},
        Utf8Case{"FourByte", "\xF0\x9F\x8E\xB5", true}, Utf8Case{"Max", "\xF4\x8F\xBF\xBF", true},
        Utf8Case{"AboveMax", "\xF4\x90\x80\x80", false}, Utf8Case{"OverlongTwo", "\xC0\xAF", false},
        Utf8Case{"OverlongThree", "\xE0\x80\xAF", false}, Utf8Case{"OverlongFour", "\xF0\x80\x80\xAF", false},
        Utf8Case{"Surrogate", "\xED\xA0\x80", false}, Utf8Case{"LoneContinuation", "\x80", false},
        Utf8Case{"CutAtEnd", "ab\xE2\x82", false}, Utf8Case{"Latin1Letter", "caf\xE9", false},
        Utf8Case{"F5Lead", "\xF5\x80\x80\x80", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8Text, Latin1ToUtf8AndCutSequences) {
    EXPECT_EQ(korvel::utf8::fromLatin1("a\xE9\xFF"), "a\xC3\xA9\xC3\xBF");
    EXPECT_EQ(withoutCutSequence("ab\xE2\x82"), "ab");
    EXPECT_EQ(withoutCutSequence("ab\xE2\x82\xAC"), "ab\xE2\x82\xAC");
    EXPECT_EQ(withoutCutSequence("ab\xF0"), "ab");
    EXPECT_EQ(withoutCutSequence("ab"), "ab");
}

// --- the language setting in korvel.ini ------------------------------------------------------

TEST(LanguageSetting, MissingFileSectionOrKeyMeansDefault) {
    TempDir dir;
    EXPECT_EQ(storedLanguage(dir.path().string()), "default");
    writeFile(dir / "korvel.ini", "[Other]\nLanguage=italiano.kvl\n");
    EXPECT_EQ(storedLanguage(dir.path().string()), "default");
    writeFile(dir / "korvel.ini", "[International]\nLang=italiano.kvl\n");
    EXPECT_EQ(storedLanguage(dir.path().string()), "default");
    writeFile(dir / "korvel.ini", "[international]\nlanguage = italiano.kvl\n");
    EXPECT_EQ(storedLanguage(dir.path().string()), "italiano.kvl");
}

TEST(LanguageSetting, OnlyExactDefaultMeansBuiltIn) {
    TempDir dir;
    writeFile(dir / "korvel.ini", "[International]\nLanguage=Default\n");
    EXPECT_EQ(storedLanguage(dir.path().string()), "Default");
    EXPECT_FALSE(isDefaultLanguage("Default"));
    EXPECT_FALSE(isDefaultLanguage(""));
    EXPECT_TRUE(isDefaultLanguage("default"));
    EXPECT_EQ(joinPath(dir.path().string(), "Default"), dir.path().string() + "/Default");
    EXPECT_EQ(joinPath("/", "x.kvl"), "/x.kvl");
}

TEST(LanguageSetting, StoreRoundTripKeepsTheRestOfTheFile) {
    TempDir dir;
    writeFile(dir / "korvel.ini",
              "; mine\r\n[Window]\r\nLeft=10\r\n[International]\r\nLanguage=old.kvl\r\nExtra=1\r\n");
    ASSERT_TRUE(storeLanguage(dir.path().string(), "deutsch.kvl"));
    EXPECT_EQ(storedLanguage(dir.path().string()), "deutsch.kvl");
    EXPECT_EQ(readFile(dir / "korvel.ini"),
              "; mine\r\n[Window]\r\nLeft=10\r\n[International]\r\nLanguage=deutsch.kvl\r\nExtra=1\r\n");
}

TEST(LanguageSetting, StoreCreatesTheFile) {
    TempDir dir;
    ASSERT_TRUE(storeLanguage(dir.path().string(), "italiano.kvl"));
    EXPECT_EQ(readFile(dir / "korvel.ini"), "[International]\r\nLanguage=italiano.kvl\r\n");
    EXPECT_EQ(storedLanguage(dir.path().string()), "italiano.kvl");
}

TEST(LanguageSetting, NamesThatTheProfileRulesWouldAlterRoundTrip) {
    TempDir dir;
    for (std::string name : {" lead.kvl", "trail.kvl ", "\"quoted\".kvl", "'q'", "", "a=b.kvl", "[x].kvl"}) {
        ASSERT_TRUE(storeLanguage(dir.path().string(), name)) << name;
        EXPECT_EQ(storedLanguage(dir.path().string()), name);
    }
    EXPECT_FALSE(storeLanguage(dir.path().string(), "two\nlines.kvl"));
    EXPECT_EQ(storedLanguage(dir.path().string()), "[x].kvl");
}

TEST(LanguageSetting, UnwritableFolderFails) {
    EXPECT_FALSE(storeLanguage("/nonexistent-korvel-folder/sub", "x.kvl"));
}

// --- the shipped files -----------------------------------------------------------------------

class ShippedLanguage : public ::testing::TestWithParam<std::string> {};

TEST_P(ShippedLanguage, HoldsExactlyTheTableKeys) {
    auto path = std::string(KORVEL_SOURCE_DIR) + "/lang/" + GetParam();
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(korvel::utf8::isValid(bytes));
    EXPECT_FALSE(bytes.starts_with("\xEF\xBB\xBF"));

    // Walk the file as written: sections and keys in the table's order, each once.
    std::vector<std::pair<std::string, std::string>> found;
    std::string section;
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        auto eq = line.find('=');
        ASSERT_NE(eq, std::string::npos) << line;
        ASSERT_FALSE(section.empty()) << line;
        found.emplace_back(section, line.substr(0, eq));
    }
    std::vector<std::pair<std::string, std::string>> expected;
    for (const Key& k : keyTable())
        expected.emplace_back(k.section, k.key);
    EXPECT_EQ(found, expected);

    auto file = LanguageFile(bytes);
    for (const auto& a : file.assignments()) {
        EXPECT_FALSE(a.text.empty()) << a.key->key;
        EXPECT_LE(std::count(a.text.begin(), a.text.end(), '&'), 1) << a.key->key;
        EXPECT_EQ(a.text.find('&') != std::string::npos,
                  a.key->defaultText.find('&') != std::string_view::npos)
            << a.key->section << "/" << a.key->key;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedLanguage,
                         ::testing::Values("english.kvl", "italiano.kvl", "deutsch.kvl"),
                         [](const auto& info) { return info.param.substr(0, info.param.find('.')); });

TEST(ShippedLanguages, EnglishHoldsTheBuiltInTexts) {
    auto file = LanguageFile::load(std::string(KORVEL_SOURCE_DIR) + "/lang/english.kvl");
    for (const auto& a : file.assignments()) {
        // A text is one line, so a line feed of a built-in text is written as a blank.
        std::string expected(a.key->defaultText);
        std::replace(expected.begin(), expected.end(), '\n', ' ');
        EXPECT_EQ(a.text, expected) << a.key->section << "/" << a.key->key;
    }
}

TEST(ShippedLanguages, TranslationsDifferFromEnglish) {
    for (const char* name : {"italiano.kvl", "deutsch.kvl"}) {
        auto file = LanguageFile::load(std::string(KORVEL_SOURCE_DIR) + "/lang/" + name);
        int same = 0;
        for (const auto& a : file.assignments())
            same += a.text == a.key->defaultText;
        // Names such as "readme.txt", "OK", "Album" or "Genre" stay as they are.
        EXPECT_LT(same, 12) << name;
    }
}
