// The edits shared by the audio page and korvel-cli tag, and the save of both tag formats as one
// change of the file.
#include "AudioTestSupport.h"
#include "core/audio/TagEdits.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace korvel;
using namespace korvel::test;

namespace {

Bytes audio(std::size_t n = 3000) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(0x33 ^ (i * 11));
    return b;
}

Bytes cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes v1Block(const std::string& title) {
    Bytes b(128, 0);
    std::memcpy(b.data(), "TAG", 3);
    std::memcpy(b.data() + 3, title.data(), title.size());
    b[127] = 17;
    return b;
}

// An APE tag of 64 bytes: a header and a footer, both flagged as present.
Bytes apeTag() {
    Bytes b;
    for (int part = 0; part < 2; ++part) {
        Bytes p(32, 0);
        std::memcpy(p.data(), "APETAGEX", 8);
        p[8] = 0xD0;
        p[9] = 0x07; // version 2000
        p[12] = 32;  // size: the footer, no items
        p[23] = part == 0 ? 0xA0 : 0x80;
        b = cat(b, p);
    }
    return b;
}

// A 2.4 tag with a footer, as appended at a file's end.
Bytes appendedV2() {
    Bytes body = {'T', 'I', 'T', '2', 0, 0, 0, 2, 0, 0, 0, 'A'};
    Bytes head = {'I', 'D', '3', 4, 0, 0x10, 0, 0, 0, static_cast<std::uint8_t>(body.size())};
    Bytes foot = head;
    std::memcpy(foot.data(), "3DI", 3);
    return cat(cat(head, body), foot);
}

// Both tags of one file, loaded together.
struct BothTags {
    TID3v1 v1;
    TID3v2 v2;

    testing::AssertionResult load(const std::string& path) {
        if (!v1.LoadTag(path))
            return testing::AssertionFailure() << "no ID3v1 tag loaded from " << path;
        if (!v2.LoadTag(path))
            return testing::AssertionFailure() << "no ID3v2 tag loaded from " << path;
        return testing::AssertionSuccess();
    }
};

} // namespace

struct GenreCase {
    const char* text;
    int v1;
    const char* v2;
};
class GenreOf : public testing::TestWithParam<GenreCase> {};
TEST_P(GenreOf, NamesAndNumbersForBothFormats) {
    EXPECT_EQ(V1GenreOf(GetParam().text), GetParam().v1);
    EXPECT_EQ(V2GenreOf(GetParam().text), GetParam().v2);
}
INSTANTIATE_TEST_SUITE_P(
    Texts, GenreOf,
    testing::Values(GenreCase{"Rock", 17, "Rock"}, GenreCase{"hard rock", 79, "Hard Rock"},
                    GenreCase{"17", 17, "Rock"}, GenreCase{"", 255, ""}, GenreCase{"255", 255, ""},
                    GenreCase{"200", 200, "200"}, GenreCase{"Not a genre", 254, "Not a genre"},
                    GenreCase{"\xCE\xA1\xCE\xBF\xCE\xBA", 254, "\xCE\xA1\xCE\xBF\xCE\xBA"}));

TEST(TagEdits, FieldNamesAndWhereTheTextsGo) {
    EXPECT_EQ(TagFieldNamed("title"), TagField::Title);
    EXPECT_EQ(TagFieldNamed("comment"), TagField::Comment);
    EXPECT_FALSE(TagFieldNamed("track"));
    TagEdits e;
    e[TagField::Title] = "\xCE\xA9 Caf\xC3\xA9";
    e[TagField::Genre] = "Jazz";
    TID3v1 v1;
    v1.SetArtist("kept");
    EXPECT_FALSE(ApplyEdits(e, v1)); // the Omega is lost in ISO-8859-1
    EXPECT_EQ(v1.TitleField(), "? Caf\xE9");
    EXPECT_EQ(v1.ArtistField(), "kept");
    EXPECT_EQ(v1.GenreIndex(), 8);
    TID3v2 v2;
    ApplyEdits(e, v2);
    EXPECT_EQ(v2.TitleField(), "\xCE\xA9 Caf\xC3\xA9");
    EXPECT_EQ(v2.GenreField(), "Jazz");
}

struct SaveCase {
    const char* name;
    Bytes file;
    Bytes trailer; // what must still end the file
};
class SaveBoth : public testing::TestWithParam<SaveCase> {};
TEST_P(SaveBoth, OneTagOfEachInOneStep) {
    const SaveCase& c = GetParam();
    TempDir dir;
    auto f = dir / "both.mp3";
    writeBytes(f, c.file);
    BothTags t;
    ASSERT_TRUE(t.load(f));
    t.v1.SetTitle("New one");
    t.v2.SetTitle("\xCE\x9D\xCE\xAD\xCE\xBF");
    TagSaveResult r = SaveTags(f, &t.v1, &t.v2);
    EXPECT_TRUE(r.V1Saved && r.V2Saved);
    const Bytes now = readBytes(f);
    BothTags back;
    ASSERT_TRUE(back.load(f));
    EXPECT_EQ(back.v1.TitleField(), "New one");
    EXPECT_EQ(back.v2.TitleField(), "\xCE\x9D\xCE\xAD\xCE\xBF");
    // One TAG block, right before the trailer; the audio between the tags untouched.
    ASSERT_GE(back.v1.TagOffset(), 0);
    EXPECT_EQ(static_cast<std::size_t>(back.v1.TagOffset()) + 128 + c.trailer.size(), now.size());
    EXPECT_TRUE(std::equal(c.trailer.begin(), c.trailer.end(),
                           now.end() - static_cast<std::ptrdiff_t>(c.trailer.size())));
    const Bytes a = audio();
    EXPECT_TRUE(std::equal(a.begin(), a.end(), now.begin() + back.v2.TagSize()));
    EXPECT_EQ(back.v2.TagSize() + static_cast<std::int64_t>(a.size()), back.v1.TagOffset());
    // No temporary file is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}
INSTANTIATE_TEST_SUITE_P(
    Files, SaveBoth,
    testing::Values(SaveCase{"untagged", audio(), {}},
                    SaveCase{"v1_at_the_end", cat(audio(), v1Block("Old")), {}},
                    SaveCase{"v1_before_an_ape_tag", cat(cat(audio(), v1Block("Old")), apeTag()), apeTag()},
                    SaveCase{"v1_before_an_appended_v2", cat(cat(audio(), v1Block("Old")), appendedV2()),
                             appendedV2()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveBoth, NeitherWhenOneCannotBeWritten) {
    TempDir dir;
    auto f = dir / "damaged.mp3";
    // An ID3v2 tag whose frame runs past its end, then audio and an ID3v1 tag.
    Bytes file = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20, 'T', 'I', 'T', '2', 0, 0, 1, 0, 0, 0, 0, 'x'};
    file.resize(30, 0);
    file = cat(cat(file, audio()), v1Block("Old"));
    writeBytes(f, file);
    BothTags t;
    ASSERT_TRUE(t.load(f));
    t.v1.SetTitle("New");
    t.v2.SetTitle("New");
    TagSaveResult r = SaveTags(f, &t.v1, &t.v2);
    EXPECT_FALSE(r.V1Saved);
    EXPECT_FALSE(r.V2Saved);
    EXPECT_FALSE(r.V2Reason.empty());
    EXPECT_EQ(readBytes(f), file);
    r = SaveTags(dir / "missing.mp3", &t.v1, &t.v2);
    EXPECT_FALSE(r.V1Saved || r.V2Saved);
}
