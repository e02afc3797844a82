#include "core/ProfileFile.h"

#include "TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

using korvel::ProfileFile;

TEST(ProfileFile, SectionsAndKeysMatchWithoutCase) {
    ProfileFile p("[International]\r\nLanguage=italiano.kvl\r\n");
    EXPECT_EQ(p.value("international", "LANGUAGE").value(), "italiano.kvl");
    EXPECT_FALSE(p.value("Other", "Language"));
    EXPECT_FALSE(p.value("International", "Lang"));
}

TEST(ProfileFile, BlanksTrimmedQuotesStrippedFirstOccurrenceWins) {
    ProfileFile p("[Buttons]\n  view =  \"  Look \"  \nview=Second\nsave info='Keep'\nempty=\n");
    EXPECT_EQ(p.value("Buttons", "view").value(), "  Look ");
    EXPECT_EQ(p.value("Buttons", "save info").value(), "Keep");
    EXPECT_EQ(p.value("Buttons", "empty").value(), "");
    EXPECT_EQ(p.value("Buttons", "missing", "dflt"), "dflt");
}

TEST(ProfileFile, OnlyTheFirstSectionOfANameCounts) {
    ProfileFile p("[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n");
    EXPECT_EQ(p.value("A", "x").value(), "1");
    EXPECT_FALSE(p.value("A", "z"));
    EXPECT_EQ(p.value("B", "y").value(), "2");
}

TEST(ProfileFile, ValueIsCutAt2047Characters) {
    std::string longValue(3000, 'x');
    ProfileFile p("[S]\nk=" + longValue + "\n");
    EXPECT_EQ(p.value("S", "k")->size(), 2047u);
}

TEST(ProfileFile, LinesOutsideSectionsAndWithoutEqualsAreIgnored) {
    ProfileFile p("k=0\n; comment\n[S]\nnot a key\nk=1\n");
    EXPECT_EQ(p.value("S", "k").value(), "1");
}

TEST(ProfileFile, SetValueReplacesAddsKeyOrSectionAndKeepsTheRest) {
    ProfileFile p("; mine\n[International]\nLanguage=old\n\n[Other]\nk=v\n");
    p.setValue("INTERNATIONAL", "language", "new.kvl");
    EXPECT_EQ(p.value("International", "Language").value(), "new.kvl");
    p.setValue("Other", "k2", "v2");
    p.setValue("Fresh", "a", "b");
    EXPECT_EQ(p.value("Other", "k").value(), "v");
    EXPECT_EQ(p.value("Other", "k2").value(), "v2");
    EXPECT_EQ(p.value("Fresh", "a").value(), "b");
    EXPECT_NE(p.contents().find("; mine"), std::string::npos);
}

TEST(ProfileFile, SaveAndLoadRoundTrip) {
    korvel::test::TempDir tmp;
    const auto& dir = tmp.path();
    auto path = (dir / "korvel.ini").string();
    ProfileFile p;
    p.setValue("International", "Language", "deutsch.kvl");
    ASSERT_TRUE(p.save(path));
    EXPECT_EQ(ProfileFile::load(path).value("International", "Language").value(), "deutsch.kvl");
    EXPECT_FALSE(ProfileFile::load((dir / "missing.ini").string()).value("International", "Language"));
    EXPECT_FALSE(p.save((dir / "no" / "such" / "dir.ini").string()));
    // Saving again keeps the permissions the user gave the file, and leaves nothing beside it.
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::replace);
    ASSERT_TRUE(p.save(path));
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()),
              1);
}
