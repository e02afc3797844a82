#include "core/description/DescriptionText.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace korvel;
using namespace std::string_literals;

TEST(DescriptionText, EveryByteButNulComesBackAfterShowingAndStoring) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(displayToDescription(descriptionToDisplay(all)), all);
    std::string reversed(all.rbegin(), all.rend());
    EXPECT_EQ(displayToDescription(descriptionToDisplay(reversed)), reversed);
}

// Random texts heavy in CR and LF, the bytes whose meaning depends on their neighbours.
TEST(DescriptionText, RandomTextsWithMixedLineEndsComeBackUnchanged) {
    std::mt19937 random(437);
    const char lineBytes[] = {'\r', '\n', 'a', '\xDB', '\t'};
    for (int round = 0; round < 2000; ++round) {
        std::string s(random() % 40, ' ');
        for (auto& c : s)
            c = random() % 2 ? lineBytes[random() % 5] : static_cast<char>(1 + random() % 255);
        ASSERT_EQ(displayToDescription(descriptionToDisplay(s)), s) << "round " << round;
    }
}

struct DisplayCase {
    std::string bytes;
    std::u32string shown;
};
class DescriptionDisplay : public testing::TestWithParam<DisplayCase> {};

TEST_P(DescriptionDisplay, LineEndsAndLoneCrLf) {
    EXPECT_EQ(descriptionToDisplay(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DescriptionDisplay,
    testing::Values(DisplayCase{"a\r\nb\r\n", U"a\nb\n"}, DisplayCase{"a\nb", U"a\u2028b"},
                    DisplayCase{"a\rb", U"a♪b"}, DisplayCase{"\r\r\n\n\r", U"♪\n\u2028♪"},
                    DisplayCase{"\x01\t\x7F", U"☺\t⌂"}, DisplayCase{"a\0b"s, U"a\u2400b"},
                    DisplayCase{"\xC9\xCD\xBB\r\n\xBA \xBA\r\n\xC8\xCD\xBC", U"╔═╗\n║ ║\n╚═╝"}));

struct SaveCase {
    std::u32string text;
    std::string bytes;
};
class DescriptionSaveBytes : public testing::TestWithParam<SaveCase> {};

TEST_P(DescriptionSaveBytes, EveryLineEndIsCrLfAndNoCrIsDoubled) {
    EXPECT_EQ(displayToDescription(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, DescriptionSaveBytes,
                         testing::Values(SaveCase{U"a\nb\n", "a\r\nb\r\n"}, SaveCase{U"a\r\nb", "a\r\nb"},
                                         SaveCase{U"a\u2029b", "a\r\nb"}, SaveCase{U"a\r\u2029b", "a\r\nb"},
                                         SaveCase{U"a\u2028b", "a\nb"}, SaveCase{U"a\rb", "a\rb"},
                                         SaveCase{U"a\r\r\nb", "a\r\r\nb"}, SaveCase{U"\n\n", "\r\n\r\n"},
                                         SaveCase{U"é ░ ☺", "\x82 \xB0 \x01"}));

TEST(DescriptionText, CharactersOutsideTheCodePageAreStoredAsQuestionMarksAndCounted) {
    std::size_t missing = 0;
    EXPECT_EQ(displayToDescription(U"price: 5€\n", &missing), "price: 5?\r\n");
    EXPECT_EQ(missing, 1u);
}

struct PieceCase {
    const char* name;
    std::vector<std::string> pieces;
    std::string text;
};
class PrintPieces : public testing::TestWithParam<PieceCase> {};

TEST_P(PrintPieces, EachPieceStartsOnALineOfItsOwn) {
    PrintCapture capture;
    for (const auto& p : GetParam().pieces)
        capture.add(p.data(), p.size());
    EXPECT_EQ(capture.text(), GetParam().text);
    EXPECT_FALSE(capture.truncated());
}

INSTANTIATE_TEST_SUITE_P(Cases, PrintPieces,
                         testing::Values(PieceCase{"one", {"abc\r\n"}, "abc\r\n"},
                                         PieceCase{"midLine", {"abc", "def"}, "abc\r\ndef"},
                                         PieceCase{"atCrLf", {"abc\r\n", "def\r\n"}, "abc\r\ndef\r\n"},
                                         PieceCase{"insideCrLf", {"abc\r", "\ndef"}, "abc\r\ndef"},
                                         PieceCase{"afterLoneLf", {"abc\n", "def"}, "abc\ndef"},
                                         PieceCase{"afterLoneCr", {"abc\r", "def"}, "abc\r\r\ndef"},
                                         PieceCase{"keepsZeroBytes", {"ab\0cd"s, "ef"}, "ab\0cd\r\nef"s},
                                         PieceCase{
                                             "emptyPiecesAddNothing", {"", "\0x"s, "", "ab"}, "\0x\r\nab"s}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PrintCapture, NeverReadsBeyondThePieceLength) {
    const char buffer[] = {'a', 'b', 'c', 'd'}; // no zero byte
    PrintCapture capture;
    capture.add(buffer, 2);
    EXPECT_EQ(capture.text(), "ab");
    capture.add(nullptr, 5);
    EXPECT_EQ(capture.text(), "ab");
}

TEST(PrintCapture, TextBeyondTheLimitIsDropped) {
    PrintCapture capture(10);
    capture.add("123456", 6);
    capture.add("abcdef", 6);
    EXPECT_EQ(capture.text(), "123456\r\nab");
    EXPECT_TRUE(capture.truncated());
    capture.add("x", 1);
    EXPECT_EQ(capture.text().size(), 10u);
    capture.clear();
    EXPECT_TRUE(capture.text().empty());
    EXPECT_FALSE(capture.truncated());
}
