// The folder lister, row texts, sort rules and Directory rules, on real folders in a temp dir.
#include "core/files/DirectoryRules.h"
#include "core/files/EntrySort.h"
#include "core/files/EntryText.h"
#include "core/files/FolderLister.h"
#include "core/files/Wildcard.h"

#include "FileBytes.h"
#include "FileTimes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace korvel::files;
using namespace korvel::test;

namespace {

// The folder of a test, with empty files (sparse when sized: no disk used) and folders made in it.
struct Folder : korvel::test::TempDir {
    std::string file(const std::string& name, std::uint64_t size = 0) const {
        std::string p = writeFile(path + "/" + name, "");
        if (size) {
            EXPECT_EQ(::truncate(p.c_str(), static_cast<off_t>(size)), 0);
        }
        return p;
    }
    std::string dir(const std::string& name) const {
        fs::create_directories(path + "/" + name);
        return path + "/" + name;
    }
    const std::string path = TempDir::path().string();
};

std::vector<std::string> names(const std::vector<Entry>& rows) {
    std::vector<std::string> n;
    for (const auto& e : rows)
        n.push_back(e.name);
    return n;
}

std::vector<Entry> listSorted(const std::string& dir, const std::string& mask, unsigned ft = 0) {
    auto rows = listFolder(dir, mask, ft);
    SortState s;
    s.reverse = true;
    s.columnClick(0);
    sortEntries(rows, s, false, nullptr);
    return rows;
}

} // namespace

// --- wildcards ------------------------------------------------------------------------------

struct WildCase {
    const char* pattern;
    const char* name;
    bool match;
};
class Wildcards : public ::testing::TestWithParam<WildCase> {};
TEST_P(Wildcards, MatchLikeTheWindowsFinder) {
    EXPECT_EQ(wildcardMatch(GetParam().pattern, GetParam().name), GetParam().match)
        << GetParam().pattern << " vs " << GetParam().name;
}
INSTANTIATE_TEST_SUITE_P(
    Mask, Wildcards,
    ::testing::Values(WildCase{"*.zip", "a.zip", true}, WildCase{"*.zip", "A.ZIP", true},
                      WildCase{"*.ZIP", "a.Zip", true}, WildCase{"*.zip", "a.zip.txt", false},
                      WildCase{"*.zip", "zip", false}, WildCase{"*.*", "README", true},
                      WildCase{"*", ".hidden", true}, WildCase{"?.mp3", "a.mp3", true},
                      WildCase{"?.mp3", "ab.mp3", false}, WildCase{"a*b*c", "aXXbYYc", true},
                      WildCase{"a*b*c", "aXXbYY", false}, WildCase{"readme.*", "readme", true},
                      WildCase{"readme.*", "README.TXT", true}, WildCase{"*.", "noext", true},
                      WildCase{"*.", "has.ext", false}, WildCase{"", "a", false},
                      WildCase{" *.mp3", "x.mp3", false}, WildCase{" *.mp3", " x.mp3", true},
                      WildCase{"sub/*.zip", "a.zip", false}));

// --- the two passes and the mask ------------------------------------------------------------

TEST(FolderLister, FoldersFirstThenEachMaskPieceWithoutDeduplication) {
    Folder t;
    t.dir("x.zip"); // a folder named like an archive: listed once, as a folder
    t.dir("music");
    t.file("b.zip");
    t.file("a.MP3");
    t.file("notes.txt");
    t.file("both.zip.mp3");
    auto rows = listFolder(t.path, "*.zip;*.mp3", 0);
    // Folders, then the .zip piece, then the .mp3 piece, before any sorting.
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].kind, EntryKind::Dir);
    EXPECT_EQ(rows[1].kind, EntryKind::Dir);
    EXPECT_EQ(rows[2].name, "b.zip");
    std::vector<std::string> mp3s{rows[3].name, rows[4].name};
    std::sort(mp3s.begin(), mp3s.end());
    EXPECT_EQ(mp3s, (std::vector<std::string>{"a.MP3", "both.zip.mp3"}));

    auto twice = listFolder(t.path, "*.zip;*.ZIP;*.mp3", 0);
    EXPECT_EQ(std::count_if(twice.begin(), twice.end(), [](const Entry& e) { return e.name == "b.zip"; }), 2);

    auto sorted = listSorted(t.path, "*.zip;*.mp3");
    EXPECT_EQ(names(sorted), (std::vector<std::string>{"music", "x.zip", "a.MP3", "b.zip", "both.zip.mp3"}));
}

TEST(FolderLister, EmptyMaskPieceFindsNothingAndMissingFolderIsEmpty) {
    Folder t;
    t.file("a.zip");
    EXPECT_EQ(listFolder(t.path, "", 0).size(), 0u);
    EXPECT_EQ(listFolder(t.path, "*.zip;", 0).size(), 1u);
    EXPECT_TRUE(listFolder(t.path + "/nope", "*.*", 0).empty());
    EXPECT_TRUE(listFolder(t.file("plain"), "*.*", 0).empty());
}

// --- the attribute filter -------------------------------------------------------------------

struct FilterCase {
    unsigned fileType;
    std::vector<std::string> expected;
};
class AttributeFilter : public ::testing::TestWithParam<FilterCase> {};
TEST_P(AttributeFilter, AdmitsOnlyTheAttributesAsked) {
    Folder t;
    t.file("plain.txt");
    t.file(".hidden.txt");
    std::string ro = t.file("readonly.txt");
    ::chmod(ro.c_str(), 0444);
    std::string rodir = t.dir("rodir");
    ::chmod(rodir.c_str(), 0555);
    t.dir(".hiddendir");
    std::string fifo = t.path + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0); // opening it would block: the lister must not
    ASSERT_EQ(::symlink("/nonexistent/target", (t.path + "/broken").c_str()), 0);
    EXPECT_EQ(names(listSorted(t.path, "*.*", GetParam().fileType)), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(FileType, AttributeFilter,
                         ::testing::Values(FilterCase{0, {"plain.txt"}},
                                           FilterCase{ftHidden | ftNormal,
                                                      {".hiddendir", ".hidden.txt", "plain.txt"}},
                                           FilterCase{ftReadOnly, {"rodir", "plain.txt", "readonly.txt"}},
                                           FilterCase{ftSystem, {"broken", "pipe", "plain.txt"}},
                                           FilterCase{ftReadOnly | ftHidden | ftSystem,
                                                      {".hiddendir", "rodir", ".hidden.txt", "broken", "pipe",
                                                       "plain.txt", "readonly.txt"}}));

TEST(FolderLister, AttributeLetters) {
    Folder t;
    std::string ro = t.file(".ro");
    ::chmod(ro.c_str(), 0400);
    ::mkfifo((t.path + "/p").c_str(), 0644);
    auto rows = listSorted(t.path, "*.*", ftReadOnly | ftHidden | ftSystem);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(attributeText(rows[0].attrs), "RH");
    EXPECT_EQ(attributeText(rows[1].attrs), "S");
    EXPECT_EQ(attributeText(0), "");
}

// --- texts ----------------------------------------------------------------------------------

struct SizeCase {
    std::uint64_t bytes;
    const char* text;
};
class SizeTexts : public ::testing::TestWithParam<SizeCase> {};
TEST_P(SizeTexts, OfRealSparseFiles) {
    Folder t;
    t.file("f", GetParam().bytes);
    auto rows = listFolder(t.path, "*.*", 0);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].size, GetParam().bytes);
    EXPECT_EQ(sizeColumnText(rows[0]), GetParam().text);
}
INSTANTIATE_TEST_SUITE_P(Sizes, SizeTexts,
                         ::testing::Values(SizeCase{0, "0"}, SizeCase{999999999, "999999999"},
                                           SizeCase{1024001023, "1024001023"},
                                           SizeCase{1024001024, "1000001K"}, SizeCase{2000000000, "1953125K"},
                                           SizeCase{2147483648ull, "2097152K"},
                                           SizeCase{5000000000ull, "4882812K"}));

TEST(EntryText, FolderSizeIsOneBlankAndDriveSizesInKB) {
    Entry d;
    d.kind = EntryKind::Dir;
    EXPECT_EQ(sizeColumnText(d), " ");
    EXPECT_EQ(kbText(0), "0 KB");
    EXPECT_EQ(kbText(1023), "0 KB");
    EXPECT_EQ(kbText(1024ull * 999), "999 KB");
    EXPECT_EQ(kbText(1024ull * 1000), "1,000 KB");
    EXPECT_EQ(kbText(1024ull * 1234567890), "1,234,567,890 KB");
}

TEST(EntryText, ModifiedTextDropsTheTimeAtMidnight) {
    Folder t;
    EXPECT_TRUE(setMtime(t.file("midnight"), localTime(2002, 3, 4, 0, 0)));
    EXPECT_TRUE(setMtime(t.file("afternoon"), localTime(2002, 12, 31, 13, 5)));
    EXPECT_TRUE(setMtime(t.file("oneminute"), localTime(1999, 1, 2, 0, 1)));
    auto rows = listSorted(t.path, "*.*");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(modifiedText(rows[0].mtime), "12/31/2002 13:05");
    EXPECT_EQ(modifiedText(rows[1].mtime), "03/04/2002");
    EXPECT_EQ(modifiedText(rows[2].mtime), "01/02/1999 00:01");
    EXPECT_EQ(modifiedText(rows[0].mtime, false), "");
}

// --- sorting --------------------------------------------------------------------------------

TEST(EntrySort, ColumnClickRule) {
    SortState s; // column 0, reversed
    s.columnClick(0);
    EXPECT_EQ(s.column, 0);
    EXPECT_FALSE(s.reverse);
    s.columnClick(0);
    EXPECT_TRUE(s.reverse);
    s.columnClick(1);
    EXPECT_EQ(s.column, 1);
    EXPECT_TRUE(s.reverse);
    s.columnClick(1);
    EXPECT_FALSE(s.reverse);
    s.columnClick(3);
    EXPECT_TRUE(s.reverse);
}

TEST(EntrySort, EachColumnWithFoldersFirstAndTheReversal) {
    Folder t;
    EXPECT_TRUE(setMtime(t.dir("Dir"), localTime(2001, 1, 1, 10, 0)));
    EXPECT_TRUE(setMtime(t.file("b.txt", 300), localTime(2003, 1, 1, 10, 0)));
    EXPECT_TRUE(setMtime(t.file("A.zip", 5000000000ull), localTime(2002, 1, 1, 10, 0)));
    EXPECT_TRUE(setMtime(t.file("c.mp3", 20), localTime(2004, 1, 1, 10, 0)));
    auto rows = listFolder(t.path, "*.*", 0);
    auto typeName = [](std::uint32_t) { return std::string_view(); };
    auto order = [&](int column, bool reverse) {
        SortState s{column, reverse};
        auto r = rows;
        sortEntries(r, s, false, typeName);
        return names(r);
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(order(0, false), (V{"Dir", "A.zip", "b.txt", "c.mp3"}));
    EXPECT_EQ(order(0, true), (V{"c.mp3", "b.txt", "A.zip", "Dir"}));
    EXPECT_EQ(order(1, true), (V{"A.zip", "b.txt", "c.mp3", "Dir"})); // largest first, folders last
    EXPECT_EQ(order(1, false), (V{"Dir", "c.mp3", "b.txt", "A.zip"}));
    EXPECT_EQ(order(3, true), (V{"c.mp3", "b.txt", "A.zip", "Dir"})); // latest first
    EXPECT_EQ(order(3, false), (V{"Dir", "A.zip", "b.txt", "c.mp3"}));
}

TEST(EntrySort, TypeColumnComparesTypeNamesIgnoringCase) {
    std::vector<Entry> rows(3);
    rows[0].name = "1";
    rows[0].typeId = 7;
    rows[1].name = "2";
    rows[1].typeId = 8;
    rows[2].name = "3";
    rows[2].typeId = 9;
    auto typeName = [](std::uint32_t id) -> std::string_view {
        return id == 7 ? "zip archive" : id == 8 ? "MP3 audio" : "Plain text";
    };
    sortEntries(rows, SortState{2, false}, false, typeName);
    EXPECT_EQ(names(rows), (std::vector<std::string>{"2", "3", "1"}));
}

TEST(EntrySort, DriveColumnsCompareTypeTextsAndSizesAsNumbers) {
    std::vector<Entry> rows(2);
    rows[0].kind = rows[1].kind = EntryKind::Drive;
    rows[0].name = "b";
    rows[0].driveType = "Fixed";
    rows[0].size = 9 * 1024;
    rows[0].free = 100 * 1024;
    rows[1].name = "a";
    rows[1].driveType = "CDROM";
    rows[1].size = 10 * 1024;
    rows[1].free = 0;
    auto by = [&](int col) {
        auto r = rows;
        sortEntries(r, SortState{col, false}, true, nullptr);
        return r[0].name;
    };
    EXPECT_EQ(by(0), "a");
    EXPECT_EQ(by(1), "a");
    EXPECT_EQ(by(2), "b"); // 9 KB < 10 KB although "9" > "10" as text
    EXPECT_EQ(by(3), "a");
}

// --- Directory rules ------------------------------------------------------------------------

TEST(DirectoryRules, DrivesNameInAnyCaseIsKeptAsGiven) {
    Folder t;
    for (const char* name : {"drives", "Drives", "DRIVES", "dRiVeS"}) {
        auto c = changeDirectory(t.path + "/", name);
        EXPECT_EQ(c.kind, DirectoryChange::Drives) << name;
        EXPECT_EQ(c.value, name);
    }
    EXPECT_EQ(changeDirectory("drives", "DRIVES").kind, DirectoryChange::Ignore);
    EXPECT_EQ(changeDirectory("drives", "drive").kind, DirectoryChange::Ignore);
}

TEST(DirectoryRules, FoldersGetATrailingSlashAndMissingOnesAreIgnored) {
    Folder t;
    t.dir("Data");
    t.file("file.txt");
    const std::string data = t.path + "/Data";
    auto c = changeDirectory("drives", data);
    EXPECT_EQ(c.kind, DirectoryChange::Folder);
    EXPECT_EQ(c.value, data + "/");
    // The same text again does nothing; without the slash it differs and lists again.
    EXPECT_EQ(changeDirectory(data + "/", data + "/").kind, DirectoryChange::Ignore);
    EXPECT_EQ(changeDirectory(data + "/", data).kind, DirectoryChange::Folder);
    // Names differ by case here: another capitalisation is another (missing) folder.
    EXPECT_EQ(changeDirectory(data + "/", t.path + "/DATA").kind, DirectoryChange::Ignore);
    EXPECT_EQ(changeDirectory(data + "/", t.path + "/nope").kind, DirectoryChange::Ignore);
    EXPECT_EQ(changeDirectory(data + "/", t.path + "/file.txt").kind, DirectoryChange::Ignore);
    EXPECT_EQ(changeDirectory(data + "/", "").kind, DirectoryChange::Ignore);
    // Relative to the folder shown; "." and ".." resolved.
    EXPECT_EQ(changeDirectory(data + "/", "..").value, t.path + "/");
    EXPECT_EQ(changeDirectory(t.path + "/", "Data").value, data + "/");
    EXPECT_EQ(changeDirectory(t.path + "/", "./Data/../Data").value, data + "/");
    EXPECT_EQ(changeDirectory("drives", "Data").kind, DirectoryChange::Ignore);
    // Doubled slashes, typed into a folder box after the root, still name the root.
    EXPECT_EQ(changeDirectory("drives", "//").value, "/");
    EXPECT_EQ(changeDirectory("/", "///").value, "/");
    EXPECT_EQ(changeDirectory("drives", "//" + data.substr(1)).value, data + "/");
    EXPECT_EQ(changeDirectory("drives", "/").value, "/");
}

TEST(DirectoryRules, UpOneLevel) {
    const std::vector<std::string> roots{"/", "/home", "/media/usb"};
    EXPECT_EQ(upOneLevel("/", roots), "Drives");
    EXPECT_EQ(upOneLevel("/home/", roots), "Drives");
    EXPECT_EQ(upOneLevel("/media/usb/", roots), "Drives");
    EXPECT_EQ(upOneLevel("/media/", roots), "/");
    EXPECT_EQ(upOneLevel("/home/user/docs/", roots), "/home/user/");
    EXPECT_EQ(upOneLevel("/home/user", roots), "/home/");
    EXPECT_EQ(upOneLevel("/tmp/", {}), "/");
    EXPECT_EQ(upOneLevel("drives", roots), "");
    EXPECT_EQ(upOneLevel("DRIVES", roots), "");
}

TEST(DirectoryRules, DrivePartIsTheRootOfTheHoldingVolume) {
    const std::vector<std::string> roots{"/", "/home", "/media/usb"};
    EXPECT_EQ(drivePart("/etc/", roots), "/");
    EXPECT_EQ(drivePart("/home/", roots), "/home");
    EXPECT_EQ(drivePart("/home/user/x.zip", roots), "/home");
    EXPECT_EQ(drivePart("/homework/", roots), "/"); // a name that only starts like a root
    EXPECT_EQ(drivePart("/media/usb/a/b/", roots), "/media/usb");
    EXPECT_EQ(drivePart("drives", roots), "");
    EXPECT_EQ(drivePart("Drives", roots), "");
}
