// The zip engine: every option of the options record on real files, checked with the unzip tool.
#include "ArchiveFixtures.h"
#include "EngineCalls.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace korvel::test;

namespace {

// Member names of an archive as the unzip tool sees them.
std::vector<std::string> toolNames(const std::string& zip) {
    std::string out;
    run("unzip -Z1 " + shellQuote(zip) + " 2>/dev/null", &out);
    std::vector<std::string> names;
    std::istringstream in(out);
    std::string l;
    while (std::getline(in, l))
        names.push_back(l);
    std::sort(names.begin(), names.end());
    return names;
}

std::string toolPrint(const std::string& zip, const std::string& member) {
    std::string out;
    run("unzip -p " + shellQuote(zip) + " " + shellQuote(member), &out);
    return out;
}

using Names = std::vector<std::string>;

// Runs before any other test of this program touches the options.
TEST(ZipEngine, InitialOptionsAreGrowAndLevelSix) {
    ZPOPT o = ZpGetOptions();
    EXPECT_TRUE(o.fGrow);
    EXPECT_EQ(o.fLevel, '6');
    EXPECT_FALSE(o.fJunkDir || o.fMove || o.fDeleteEntries || o.fUpdate || o.fFreshen || o.fRecurse ||
                 o.fSystem);
}

TEST(ZipEngine, KeepsTheLastAcceptedOptionsAndRefusesNonDigitLevels) {
    ZPOPT o = zipOptions('9');
    o.fJunkDir = -1;
    ASSERT_EQ(ZpSetOptions(&o), 1);
    for (char bad : {'a', ' ', '\0', '/', ':'}) {
        ZPOPT b = zipOptions(bad);
        EXPECT_EQ(ZpSetOptions(&b), 0) << int(bad);
    }
    EXPECT_EQ(ZpSetOptions(nullptr), 0);
    ZPOPT now = ZpGetOptions();
    EXPECT_EQ(now.fLevel, '9');
    EXPECT_EQ(now.fJunkDir, -1);
    EXPECT_EQ(now.fRecurse, 1);
}

TEST(ZipEngine, VersionQueryAnswersTheCheckedValues) {
    EXPECT_STREQ(ZpVersionValue("CompanyName"), "Info-ZIP");
    EXPECT_STREQ(ZpVersionValue("FileVersion"), "2.3");
    EXPECT_EQ(ZpVersionValue("ProductName"), nullptr);
}

class ZipOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(t / "src/a.txt", std::string(20000, 'a'));
        writeFile(t / "src/sub/b.txt", "bbb");
        writeFile(t / "src/.hidden", "h");
        zip = t / "out.zip";
    }
    TempDir t;
    std::string zip;
};

TEST_F(ZipOptionsTest, RecursedArchivePassesUnzipTestAndKeepsPaths) {
    ASSERT_EQ(zipFiles(zip, {t / "src"}, zipOptions()), ZE_OK);
    EXPECT_TRUE(unzipTestPasses(zip));
    std::string rel = (t.path() / "src").string().substr(1); // leading "/" is not stored
    EXPECT_EQ(toolNames(zip), (Names{rel + "/", rel + "/a.txt", rel + "/sub/", rel + "/sub/b.txt"}));
    EXPECT_EQ(toolPrint(zip, rel + "/a.txt"), std::string(20000, 'a'));
}

TEST_F(ZipOptionsTest, SystemAndHiddenFilesOnlyWhenAsked) {
    ZPOPT o = zipOptions();
    o.fJunkDir = -1;
    ASSERT_EQ(zipFiles(zip, {t / "src"}, o), ZE_OK);
    EXPECT_EQ(toolNames(zip), (Names{"a.txt", "b.txt"}));
    o.fSystem = -1;
    ASSERT_EQ(zipFiles(zip, {t / "src"}, o), ZE_OK);
    EXPECT_EQ(toolNames(zip), (Names{".hidden", "a.txt", "b.txt"}));
}

TEST_F(ZipOptionsTest, WithoutRecurseAFolderIsStoredAlone) {
    ZPOPT o = zipOptions();
    o.fRecurse = 0;
    ASSERT_EQ(zipFiles(zip, {t / "src", t / "src/a.txt"}, o), ZE_OK);
    std::string rel = (t.path() / "src").string().substr(1);
    EXPECT_EQ(toolNames(zip), (Names{rel + "/", rel + "/a.txt"}));
}

struct LevelCase {
    char level;
    const char* method; // as zipinfo shows it
};

class ZipLevels : public ZipOptionsTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(ZipLevels, LevelChoosesTheMethod) {
    ZPOPT o = zipOptions(GetParam().level);
    o.fJunkDir = -1;
    ASSERT_EQ(zipFiles(zip, {t / "src/a.txt"}, o), ZE_OK);
    EXPECT_TRUE(unzipTestPasses(zip));
    std::string out;
    run("unzip -Z -s " + shellQuote(zip), &out);
    EXPECT_NE(out.find(GetParam().method), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(Levels, ZipLevels,
                         ::testing::Values(LevelCase{'0', "stor"}, LevelCase{'1', "def"},
                                           LevelCase{'6', "def"}, LevelCase{'9', "def"}),
                         [](const auto& i) { return std::string(1, i.param.level); });

TEST_F(ZipOptionsTest, GrowAddsToTheArchiveWithoutItTheArchiveIsReplaced) {
    ZPOPT o = zipOptions();
    o.fJunkDir = -1;
    ASSERT_EQ(zipFiles(zip, {t / "src/a.txt"}, o), ZE_OK);
    ASSERT_EQ(zipFiles(zip, {t / "src/sub/b.txt"}, o), ZE_OK);
    EXPECT_EQ(toolNames(zip), (Names{"a.txt", "b.txt"}));
    o.fGrow = 0;
    ASSERT_EQ(zipFiles(zip, {t / "src/sub/b.txt"}, o), ZE_OK);
    EXPECT_EQ(toolNames(zip), (Names{"b.txt"}));
    EXPECT_TRUE(unzipTestPasses(zip));
}

TEST_F(ZipOptionsTest, AMemberAddedUnderAnExistingNameIsReplaced) {
    ZPOPT o = zipOptions();
    o.fJunkDir = -1;
    ASSERT_EQ(zipFiles(zip, {t / "src/a.txt"}, o), ZE_OK);
    writeFile(t / "src/a.txt", "edited description");
    ASSERT_EQ(zipFiles(zip, {t / "src/a.txt", t / "src/a.txt"}, o), ZE_OK); // twice: still one member
    EXPECT_EQ(toolNames(zip), (Names{"a.txt"}));
    EXPECT_EQ(toolPrint(zip, "a.txt"), "edited description");
    EXPECT_TRUE(unzipTestPasses(zip));
}

TEST_F(ZipOptionsTest, MoveDeletesTheAddedFilesAfterSuccessOnly) {
    ZPOPT o = zipOptions();
    o.fJunkDir = -1;
    o.fMove = -1;
    // A failing run (one file cannot be read) deletes nothing.
    EXPECT_EQ(zipFiles(zip, {t / "src/a.txt", "/proc/self/mem"}, o), ZE_READ);
    EXPECT_TRUE(fs::exists(t / "src/a.txt"));
    EXPECT_FALSE(fs::exists(zip));
    ASSERT_EQ(zipFiles(zip, {t / "src/a.txt"}, o), ZE_OK);
    EXPECT_FALSE(fs::exists(t / "src/a.txt"));
    EXPECT_TRUE(fs::exists(t / "src/sub/b.txt"));
    EXPECT_EQ(toolPrint(zip, "a.txt"), std::string(20000, 'a'));
}

TEST_F(ZipOptionsTest, MoveWithRecurseRemovesTheEmptiedFolders) {
    ZPOPT o = zipOptions();
    o.fMove = -1;
    o.fSystem = -1;
    ASSERT_EQ(zipFiles(zip, {t / "src"}, o), ZE_OK);
    EXPECT_FALSE(fs::exists(t / "src"));
    EXPECT_TRUE(unzipTestPasses(zip));
}

TEST_F(ZipOptionsTest, DeleteEntriesRemovesMatchingMembers) {
    ZPOPT o = zipOptions();
    o.fJunkDir = -1;
    o.fSystem = -1;
    ASSERT_EQ(zipFiles(zip, {t / "src"}, o), ZE_OK);
    ZPOPT d = zipOptions();
    d.fDeleteEntries = -1;
    EXPECT_EQ(zipFiles(zip, {"*.txt"}, d), ZE_OK);
    EXPECT_EQ(toolNames(zip), (Names{".hidden"}));
    EXPECT_EQ(zipFiles(zip, {"nothing"}, d), ZE_NONE);
    EXPECT_TRUE(fs::exists(t / "src/a.txt")); // files on disk untouched
    EXPECT_TRUE(unzipTestPasses(zip));
}

struct FreshCase {
    const char* label;
    bool update, freshen;
    bool newerReplaced, olderReplaced, newAdded;
};

class ZipUpdate : public ZipOptionsTest, public ::testing::WithParamInterface<FreshCase> {};

TEST_P(ZipUpdate, ComparesWithTheMembersTimes) {
    const auto& c = GetParam();
    ZPOPT o = zipOptions();
    o.fJunkDir = -1;
    writeFile(t / "n/newer.txt", "old newer");
    writeFile(t / "n/older.txt", "old older");
    setMtime(t / "n/newer.txt", 1500000000);
    setMtime(t / "n/older.txt", 1500000000);
    ASSERT_EQ(zipFiles(zip, {t / "n/newer.txt", t / "n/older.txt"}, o), ZE_OK);
    writeFile(t / "n/newer.txt", "new newer");
    setMtime(t / "n/newer.txt", 1500003600);
    writeFile(t / "n/older.txt", "new older");
    setMtime(t / "n/older.txt", 1400000000);
    writeFile(t / "n/fresh.txt", "fresh");
    o.fUpdate = c.update;
    o.fFreshen = c.freshen;
    zipFiles(zip, {t / "n/newer.txt", t / "n/older.txt", t / "n/fresh.txt"}, o);
    EXPECT_EQ(toolPrint(zip, "newer.txt") == "new newer", c.newerReplaced);
    EXPECT_EQ(toolPrint(zip, "older.txt") == "new older", c.olderReplaced);
    auto names = toolNames(zip);
    EXPECT_EQ(std::count(names.begin(), names.end(), "fresh.txt") == 1, c.newAdded);
    EXPECT_TRUE(unzipTestPasses(zip));
}

INSTANTIATE_TEST_SUITE_P(Modes, ZipUpdate,
                         ::testing::Values(FreshCase{"plain", false, false, true, true, true},
                                           FreshCase{"update", true, false, true, false, true},
                                           FreshCase{"freshen", false, true, true, false, false}),
                         [](const auto& i) { return std::string(i.param.label); });

TEST_F(ZipOptionsTest, LatestTimeDatesTheArchiveAfterItsNewestMember) {
    setMtime(t / "src/a.txt", 1300000000);
    setMtime(t / "src/sub/b.txt", 1300000100);
    ZPOPT o = zipOptions();
    o.fJunkDir = -1;
    o.fLatestTime = -1;
    ASSERT_EQ(zipFiles(zip, {t / "src/a.txt", t / "src/sub/b.txt"}, o), ZE_OK);
    EXPECT_EQ(mtimeOf(zip), 1300000100);
}

TEST_F(ZipOptionsTest, ExtraAttributesAreLeftOutWithFExtra) {
    auto hasUT = [&] {
        std::string out;
        run("unzip -Z -v " + shellQuote(zip), &out);
        return out.find("0x5455") != std::string::npos;
    };
    ZPOPT o = zipOptions();
    o.fJunkDir = -1;
    ASSERT_EQ(zipFiles(zip, {t / "src/a.txt"}, o), ZE_OK);
    EXPECT_TRUE(hasUT());
    o.fExtra = -1;
    o.fGrow = 0;
    ASSERT_EQ(zipFiles(zip, {t / "src/a.txt"}, o), ZE_OK);
    EXPECT_FALSE(hasUT());
}

TEST_F(ZipOptionsTest, AFailedUpdateLeavesTheArchiveByteIdentical) {
    ZPOPT o = zipOptions();
    o.fJunkDir = -1;
    ASSERT_EQ(zipFiles(zip, {t / "src/a.txt"}, o), ZE_OK);
    const std::string before = readFile(zip);
    writeFile(t / "src/a.txt", "changed");
    EXPECT_EQ(zipFiles(zip, {t / "src/a.txt", "/proc/self/mem"}, o), ZE_READ);
    EXPECT_EQ(readFile(zip), before);
    o.fGrow = 0; // even a replacing run keeps the old archive when it fails
    EXPECT_EQ(zipFiles(zip, {t / "src/sub/b.txt", "/proc/self/mem"}, o), ZE_READ);
    EXPECT_EQ(readFile(zip), before);
    for (auto& e : fs::directory_iterator(t.path()))
        EXPECT_EQ(e.path().filename().string().find(".zip."), std::string::npos) << "temporary left behind";
}

TEST_F(ZipOptionsTest, NothingToAddLeavesAnExistingArchiveAlone) {
    ZPOPT o = zipOptions();
    o.fJunkDir = -1;
    ASSERT_EQ(zipFiles(zip, {t / "src/a.txt"}, o), ZE_OK);
    const std::string before = readFile(zip);
    o.fGrow = 0;
    EXPECT_EQ(zipFiles(zip, {t / "missing.txt"}, o), ZE_NONE);
    EXPECT_EQ(readFile(zip), before);
}

TEST_F(ZipOptionsTest, ANonZipFileIsNeverOverwrittenWhenGrowing) {
    writeFile(zip, "this is my letter, not an archive");
    EXPECT_EQ(zipFiles(zip, {t / "src/a.txt"}, zipOptions()), ZE_FORM);
    EXPECT_EQ(readFile(zip), "this is my letter, not an archive");
}

TEST_F(ZipOptionsTest, TheArchiveIsNotAddedToItself) {
    std::string inside = t / "src/self.zip";
    ZPOPT o = zipOptions();
    o.fJunkDir = -1;
    ASSERT_EQ(zipFiles(inside, {t / "src/a.txt"}, o), ZE_OK);
    ASSERT_EQ(zipFiles(inside, {t / "src"}, o), ZE_OK);
    EXPECT_EQ(toolNames(inside), (Names{"a.txt", "b.txt"}));
}

TEST_F(ZipOptionsTest, ServiceCallbackCancelsAndTheArchiveStaysAsItWas) {
    ZPOPT o = zipOptions();
    o.fJunkDir = -1;
    ASSERT_EQ(zipFiles(zip, {t / "src/a.txt"}, o), ZE_OK);
    const std::string before = readFile(zip);
    ZIPUSERFUNCTIONS f{};
    f.ServiceApplication = [](const char*, unsigned long) { return 1; };
    ZpInit(&f);
    EXPECT_EQ(zipFiles(zip, {t / "src/sub/b.txt"}, o), ZE_ABORT);
    ZIPUSERFUNCTIONS none{};
    ZpInit(&none);
    EXPECT_EQ(readFile(zip), before);
}

TEST_F(ZipOptionsTest, OurArchivesReadBackThroughOurUnzipEngine) {
    ASSERT_EQ(zipFiles(zip, {t / "src"}, zipOptions('9')), ZE_OK);
    std::string rel = (t.path() / "src").string().substr(1);
    std::string got;
    EXPECT_EQ(printMember(zip, rel + "/sub/b.txt", &got), PK_OK);
    EXPECT_EQ(got, "bbb");
}

} // namespace
