// A description saved into an archive whose member is stored in another case (FILE_ID.DIZ, as DOS
// packers wrote it) replaces that member under its stored name: one member, the new bytes, on
// both of the zip engine's paths (the raw-copy path and libzip's).
#include "ArchiveFixtures.h"
#include "EngineCalls.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace korvel::test;

namespace {

struct NameCase {
    const char* label;
    const char* members;  // Python list of (name, bytes, method) written in this order
    const char* expected; // the member names afterwards, in order, joined by "|"
    bool latestTime;      // an option the raw-copy path leaves to libzip
};

class CaseBlindReplace : public ::testing::TestWithParam<NameCase> {};

TEST_P(CaseBlindReplace, LeavesOneMemberUnderItsStoredName) {
    const NameCase& c = GetParam();
    TempDir t;
    ASSERT_EQ(
        python(t.path().string(), std::string("import zipfile\nwith zipfile.ZipFile('a.zip', 'w') as z:\n"
                                              "    for n, d, m in ") +
                                      c.members + ": z.writestr(n, d, m)\n"),
        0);
    writeFile(t / "save/file_id.diz", "new text\r\n");
    ZPOPT o{};
    o.fExtra = -1;
    o.fJunkDir = -1;
    o.fGrow = -1;
    o.fLatestTime = c.latestTime ? -1 : 0;
    o.fLevel = '6';
    ASSERT_EQ(zipFiles(t / "a.zip", {t / "save/file_id.diz"}, o), ZE_OK);
    EXPECT_TRUE(unzipTestPasses(t / "a.zip"));

    std::string names;
    ASSERT_EQ(run("python3 -c \"import zipfile; print('|'.join(zipfile.ZipFile('" + t / "a.zip" +
                      "').namelist()), end='')\"",
                  &names),
              0);
    EXPECT_EQ(names, c.expected);
    std::string got;
    EXPECT_EQ(printMember(t / "a.zip", "file_id.diz", &got), PK_OK);
    EXPECT_EQ(got, "new text\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Archives, CaseBlindReplace,
    ::testing::Values(
        NameCase{"upperStored", "[('A.TXT', 'a', 0), ('FILE_ID.DIZ', 'old', 0), ('Z.TXT', 'z', 0)]",
                 "A.TXT|FILE_ID.DIZ|Z.TXT", false},
        NameCase{"upperDeflated", "[('FILE_ID.DIZ', 'old' * 99, 8), ('Z.TXT', 'z', 8)]", "FILE_ID.DIZ|Z.TXT",
                 false},
        NameCase{"duplicates", "[('FILE_ID.DIZ', 'old', 8), ('x', 'x', 0), ('file_id.diz', 'older', 8)]",
                 "FILE_ID.DIZ|x", false},
        NameCase{"exactName", "[('file_id.diz', 'old', 8)]", "file_id.diz", false},
        NameCase{"noneYet", "[('a', 'a', 8)]", "a|file_id.diz", false},
        NameCase{"upperThroughLibzip", "[('FILE_ID.DIZ', 'old', 8), ('Z.TXT', 'z', 8)]", "FILE_ID.DIZ|Z.TXT",
                 true},
        NameCase{"duplicatesThroughLibzip",
                 "[('File_Id.Diz', 'a', 0), ('x', 'x', 0), ('FILE_ID.DIZ', 'b', 8)]", "File_Id.Diz|x", true}),
    [](const auto& i) { return std::string(i.param.label); });

} // namespace
