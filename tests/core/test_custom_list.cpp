#include "core/description/CustomList.h"

#include "FileBytes.h"
#include "TempDir.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace korvel;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

struct ParseCase {
    const char* name;
    std::string contents;
    Names names;
};
class CustomListParse : public testing::TestWithParam<ParseCase> {};
TEST_P(CustomListParse, OneNamePerLineEmptyLinesSkippedSpacesKept) {
    EXPECT_EQ(parseCustomList(GetParam().contents), GetParam().names);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, CustomListParse,
    testing::Values(ParseCase{"crlf", "file.nfo\r\n\r\n<filename>.txt\r\n", {"file.nfo", "<filename>.txt"}},
                    ParseCase{"lf", "a\nb\n\n", {"a", "b"}}, ParseCase{"cr", "a\rb", {"a", "b"}},
                    ParseCase{"noFinalLineEnd", "a\r\nb", {"a", "b"}},
                    ParseCase{"spacesKept", "  a b  \r\n \r\n", {"  a b  ", " "}},
                    ParseCase{"caseKept", "README.NFO\r\nreadme.nfo\r\n", {"README.NFO", "readme.nfo"}},
                    ParseCase{"empty", "", {}}, ParseCase{"onlyLineEnds", "\r\n\n\r\r\n", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CustomList, WritingPutsCrLfAfterEveryNameAndSkipsEmptyNames) {
    EXPECT_EQ(formatCustomList({"file.nfo", "", " x ", "<filename>.txt"}),
              "file.nfo\r\n x \r\n<filename>.txt\r\n");
    EXPECT_EQ(formatCustomList({}), "");
}

TEST(CustomList, PathIsTheStartFolderAndTheFixedName) {
    EXPECT_EQ(customListPath("/home/u"), "/home/u/korvel2k.ext");
    EXPECT_EQ(customListPath("/home/u/"), "/home/u/korvel2k.ext");
}

class CustomListFile : public testing::Test {
protected:
    korvel::test::TempDir tmp;
    fs::path dir = tmp.path();
};

TEST_F(CustomListFile, WrittenListReadsBackAndAMissingFileIsAnEmptyList) {
    const auto path = customListPath(dir.string());
    auto missing = readCustomList(path);
    EXPECT_TRUE(missing.missing);
    EXPECT_TRUE(missing.error.empty());
    EXPECT_TRUE(missing.names.empty());

    std::string error;
    const Names names{"file.nfo", " spaced ", "<filename>.txt", "\xE9t\xE9.nfo"};
    ASSERT_TRUE(writeCustomList(path, names, &error)) << error;
    auto read = readCustomList(path);
    EXPECT_FALSE(read.missing);
    EXPECT_TRUE(read.error.empty());
    EXPECT_EQ(read.names, names);

    ASSERT_TRUE(writeCustomList(path, {"one"}, &error));
    EXPECT_EQ(readCustomList(path).names, Names{"one"});
}

// Root may write into a read-only folder, so the failures are forced by paths that no one can
// create: a folder that does not exist, and a folder whose "parent" is a regular file.
TEST_F(CustomListFile, WriteFailuresAreReported) {
    korvel::test::writeFile(dir / "plain", "x");
    for (const fs::path& bad : {dir / "missing" / "korvel2k.ext", dir / "plain" / "korvel2k.ext"}) {
        std::string error;
        EXPECT_FALSE(writeCustomList(bad.string(), {"a"}, &error));
        EXPECT_FALSE(error.empty());
    }
}

// A save replaces the list whole: one that fails part way (here the disk takes only a few
// bytes) leaves the old list and no temporary; one that succeeds keeps the file's permissions
// and, for a linked list, the link.
TEST_F(CustomListFile, SavingReplacesTheListWholeAndKeepsWhatTheFileWas) {
    const auto path = customListPath(dir.string());
    const Names old{"file_id.diz", "readme.nfo"};
    ASSERT_TRUE(writeCustomList(path, old, nullptr));
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl {
            8, 8
        };
        ::setrlimit(RLIMIT_FSIZE, &rl);
        ::_exit(writeCustomList(path, {"a-longer-name.txt", "another.nfo"}, nullptr) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "the cut-short save was reported done";
    EXPECT_EQ(readCustomList(path).names, old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
        << "a temporary was left";

    fs::rename(path, dir / "lists.txt");
    fs::create_symlink("lists.txt", path);
    fs::permissions(dir / "lists.txt", fs::perms::owner_read | fs::perms::owner_write,
                    fs::perm_options::replace);
    ASSERT_TRUE(writeCustomList(path, {"new.nfo"}, nullptr));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(readCustomList((dir / "lists.txt").string()).names, Names{"new.nfo"});
    EXPECT_EQ(fs::status(dir / "lists.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(CustomListFile, AnUnreadableFileIsAnErrorNotAMissingFile) {
    fs::create_directory(dir / "korvel2k.ext");
    auto read = readCustomList(customListPath(dir.string()));
    EXPECT_FALSE(read.missing);
    EXPECT_FALSE(read.error.empty());
    EXPECT_TRUE(read.names.empty());
}

TEST(CustomList, AddRefusesExactDuplicatesWhateverTheLength) {
    Names list;
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        EXPECT_EQ(checkNewCustomName(list, name), CustomNameCheck::Ok);
        list.push_back(name);
        for (const auto& listed : list)
            EXPECT_EQ(checkNewCustomName(list, listed), CustomNameCheck::Duplicate) << list.size();
    }
    EXPECT_EQ(checkNewCustomName(list, "A"), CustomNameCheck::Ok);
    EXPECT_EQ(checkNewCustomName(list, " a"), CustomNameCheck::Ok);
    EXPECT_EQ(checkNewCustomName(list, ""), CustomNameCheck::Empty);
    EXPECT_EQ(checkNewCustomName(list, "x\ny"), CustomNameCheck::LineBreak);
    EXPECT_EQ(checkNewCustomName(list, "x\r"), CustomNameCheck::LineBreak);
}
