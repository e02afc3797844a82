// Every field of the unzip request on real archives made by the zip tool.
#include "ArchiveFixtures.h"
#include "EngineCalls.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace korvel::test;

namespace {

class UnzipOptions : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(t / "src/readme.txt", "readme v2");
        writeFile(t / "src/with blank.txt", "blank");
        writeFile(t / "src/File_ID.DIZ", "diz");
        writeFile(t / "src/sub/deep.c", "int main;");
        for (const char* f : {"src/readme.txt", "src/with blank.txt", "src/File_ID.DIZ", "src/sub/deep.c"})
            setMtime(t / f, kArchiveTime);
        ASSERT_EQ(zipTool(t.path().string(), "-r a.zip src"), 0);
        zip = t / "a.zip";
    }
    Request extract(const std::string& dest = "out") { return Request(zip, t / dest); }

    static constexpr time_t kArchiveTime = 1600000000; // Sep 2020
    TempDir t;
    std::string zip;
};

TEST_F(UnzipOptions, WithoutPathsFilesLandInTheDestinationItself) {
    Request r = extract();
    EXPECT_EQ(r.call(), PK_OK);
    EXPECT_EQ(readFile(t / "out/deep.c"), "int main;");
    EXPECT_EQ(readFile(t / "out/readme.txt"), "readme v2");
    EXPECT_FALSE(fs::exists(t / "out/src"));
}

TEST_F(UnzipOptions, WithPathsKeepsFoldersAndTimes) {
    Request r = extract();
    r.d.ndflag = 1;
    EXPECT_EQ(r.call(), PK_OK);
    EXPECT_EQ(readFile(t / "out/src/sub/deep.c"), "int main;");
    EXPECT_EQ(mtimeOf(t / "out/src/sub/deep.c"), kArchiveTime);
}

TEST_F(UnzipOptions, DestinationFolderIsCreatedWhenMissing) {
    Request r = extract("not/yet/there");
    EXPECT_EQ(r.call(), PK_OK);
    EXPECT_EQ(readFile(t / "not/yet/there/readme.txt"), "readme v2");
}

TEST_F(UnzipOptions, ExistingFilesAreKeptUnlessOverwriteIsOn) {
    writeFile(t / "out/readme.txt", "mine");
    Request keep = extract();
    EXPECT_EQ(keep.call(), PK_OK);
    EXPECT_EQ(readFile(t / "out/readme.txt"), "mine");
    Request over = extract();
    over.d.noflag = 1;
    EXPECT_EQ(over.call(), PK_OK);
    EXPECT_EQ(readFile(t / "out/readme.txt"), "readme v2");
}

TEST_F(UnzipOptions, PromptToOverwriteAsksTheReplaceCallback) {
    writeFile(t / "out/readme.txt", "mine");
    writeFile(t / "out/deep.c", "mine too");
    Request r = extract();
    r.d.PromptToOverwrite = 1;
    Recorder::reset();
    Recorder::replaceAnswer = 1; // the program's answer: anything but yes keeps the file
    EXPECT_EQ(r.call(), PK_OK);
    EXPECT_EQ(Recorder::replaceAsked.size(), 2u);
    EXPECT_EQ(readFile(t / "out/readme.txt"), "mine");
    Recorder::reset();
    Recorder::replaceAnswer = UZ_REPLACE_YES;
    EXPECT_EQ(r.call(), PK_OK);
    EXPECT_EQ(readFile(t / "out/readme.txt"), "readme v2");
    EXPECT_EQ(readFile(t / "out/deep.c"), "int main;");
}

struct NewerCase {
    const char* label;
    bool onlyNewer; // ExtractOnlyNewer
    bool uflag;     // nUflag
    bool olderReplaced, newerReplaced, missingCreated;
};

class NewerOptions : public UnzipOptions, public ::testing::WithParamInterface<NewerCase> {};

TEST_P(NewerOptions, CompareWithTheFilesOnDisk) {
    const auto& c = GetParam();
    writeFile(t / "out/readme.txt", "older");
    setMtime(t / "out/readme.txt", kArchiveTime - 3600);
    writeFile(t / "out/deep.c", "newer");
    setMtime(t / "out/deep.c", kArchiveTime + 3600);
    Request r = extract();
    r.d.ExtractOnlyNewer = c.onlyNewer;
    r.d.nUflag = c.uflag;
    EXPECT_EQ(r.call(), PK_OK);
    EXPECT_EQ(readFile(t / "out/readme.txt") == "readme v2", c.olderReplaced);
    EXPECT_EQ(readFile(t / "out/deep.c") == "int main;", c.newerReplaced);
    EXPECT_EQ(fs::exists(t / "out/File_ID.DIZ"), c.missingCreated);
}

INSTANTIATE_TEST_SUITE_P(Flags, NewerOptions,
                         ::testing::Values(NewerCase{"onlyNewer", true, false, true, false, false},
                                           NewerCase{"newerAndNew", false, true, true, false, true},
                                           NewerCase{"both", true, true, true, false, false},
                                           NewerCase{"neither", false, false, false, false, true}),
                         [](const auto& i) { return std::string(i.param.label); });

struct MatchCase {
    const char* label;
    std::vector<std::string> include, exclude;
    bool caseInsensitive;
    std::vector<std::string> expected; // extracted file names (no paths)
    int result;
};

class NameMatching : public UnzipOptions, public ::testing::WithParamInterface<MatchCase> {};

TEST_P(NameMatching, SelectsTheMembersClassicUnzipWould) {
    const auto& c = GetParam();
    Request r = extract();
    r.d.C_flag = c.caseInsensitive;
    EXPECT_EQ(r.call(c.include, c.exclude), c.result);
    std::vector<std::string> got;
    if (fs::exists(t / "out"))
        for (auto& e : fs::directory_iterator(t / "out"))
            got.push_back(e.path().filename().string());
    std::sort(got.begin(), got.end());
    auto want = c.expected;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, NameMatching,
    ::testing::Values(
        MatchCase{"exact", {"src/readme.txt"}, {}, true, {"readme.txt"}, PK_OK},
        MatchCase{"caseFolded", {"SRC/FILE_ID.diz"}, {}, true, {"File_ID.DIZ"}, PK_OK},
        MatchCase{"caseKept", {"SRC/FILE_ID.diz"}, {}, false, {}, PK_FIND},
        MatchCase{"starCrossesFolders", {"*.c"}, {}, true, {"deep.c"}, PK_OK},
        MatchCase{"star", {"src/*.txt"}, {}, true, {"readme.txt", "with blank.txt"}, PK_OK},
        MatchCase{"question", {"src/?eadme.txt"}, {}, true, {"readme.txt"}, PK_OK},
        MatchCase{"set", {"src/[rw]*"}, {}, true, {"readme.txt", "with blank.txt"}, PK_OK},
        MatchCase{"negatedSet", {"src/[!rws]*"}, {}, true, {"File_ID.DIZ"}, PK_OK},
        MatchCase{"range", {"src/[a-f]*"}, {}, true, {"File_ID.DIZ"}, PK_OK},
        MatchCase{"blankInName", {"src/with blank.txt"}, {}, true, {"with blank.txt"}, PK_OK},
        MatchCase{"exclude", {}, {"*.txt"}, true, {"File_ID.DIZ", "deep.c"}, PK_OK},
        MatchCase{"partlyUnmatched", {"src/readme.txt", "nothing"}, {}, true, {"readme.txt"}, PK_WARN},
        MatchCase{"nothing", {"nothing*"}, {}, true, {}, PK_FIND}),
    [](const auto& i) { return std::string(i.param.label); });

TEST_F(UnzipOptions, SpaceToUnderscoreRenamesOnDisk) {
    Request r = extract();
    r.d.SpaceToUnderscore = 1;
    EXPECT_EQ(r.call({"*blank*"}), PK_OK);
    EXPECT_EQ(readFile(t / "out/with_blank.txt"), "blank");
}

TEST_F(UnzipOptions, TestModeReadsButWritesNothing) {
    Request r = extract();
    r.d.ntflag = 1;
    EXPECT_EQ(r.call(), PK_OK);
    EXPECT_FALSE(fs::exists(t / "out"));
}

TEST_F(UnzipOptions, NotQuietReportsEachMemberThroughPrint) {
    Recorder::reset();
    Request r = extract();
    r.d.fQuiet = 0;
    EXPECT_EQ(r.call({"src/readme.txt"}), PK_OK);
    ASSERT_EQ(Recorder::printed.size(), 1u);
    EXPECT_NE(Recorder::printed[0].find("src/readme.txt"), std::string::npos);
}

TEST_F(UnzipOptions, ListingFillsTheTotals) {
    Recorder::reset();
    Request r(zip);
    r.d.nvflag = 1;
    USERFUNCTIONS f = Recorder::functions();
    r.d.lpszZipFN = r.archive.data();
    EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &r.d, &f), PK_OK);
    EXPECT_EQ(f.NumMembers, 6u); // src/, src/sub/ and four files
    EXPECT_EQ(f.TotalSize, 9u + 5u + 3u + 9u);
}

TEST_F(UnzipOptions, PrintDeliversEachMemberInOnePieceNulTerminated) {
    std::string got;
    EXPECT_EQ(printMember(zip, "src/readme.txt", &got), PK_OK);
    ASSERT_EQ(Recorder::printed.size(), 1u);
    EXPECT_EQ(got, "readme v2");
    EXPECT_EQ(printMember(zip, "src/sub/", &got), PK_FIND);   // folders have no bytes
    EXPECT_EQ(printMember(zip, "readme.txt", &got), PK_FIND); // names match whole
}

TEST(UnzipPrint, EmptyMemberIsFoundAndDeliveredAsNothing) {
    TempDir t;
    writeFile(t / "empty.txt", "");
    ASSERT_EQ(zipTool(t.path().string(), "a.zip empty.txt"), 0);
    std::string got = "x";
    EXPECT_EQ(printMember(t / "a.zip", "empty.txt", &got), PK_OK);
    EXPECT_EQ(got, "");
}

TEST(UnzipPrint, IsBoundedAtFourMebibytes) {
    TempDir t;
    writeFile(t / "big.txt", std::string(UZ_PRINT_LIMIT + 1000000, 'z'));
    ASSERT_EQ(zipTool(t.path().string(), "-9 a.zip big.txt"), 0);
    std::string got;
    EXPECT_EQ(printMember(t / "a.zip", "big.txt", &got), PK_OK);
    EXPECT_EQ(got.size(), UZ_PRINT_LIMIT);
    EXPECT_EQ(Recorder::printed.size(), 1u);
}

TEST(UnzipExtract, MoreThanAThousandNamesAreAllExtracted) {
    TempDir t;
    std::vector<std::string> names;
    for (int i = 0; i < 1500; ++i) {
        names.push_back("f/" + std::to_string(i) + ".txt");
        writeFile(t / names.back(), std::to_string(i));
    }
    ASSERT_EQ(zipTool(t.path().string(), "-r -0 a.zip f"), 0);
    Request r(t / "a.zip", t / "out");
    EXPECT_EQ(r.call(names), PK_OK);
    size_t n = 0;
    for (auto& e : fs::directory_iterator(t / "out")) {
        (void)e;
        ++n;
    }
    EXPECT_EQ(n, 1500u);
    EXPECT_EQ(readFile(t / "out/1499.txt"), "1499");
}

} // namespace
