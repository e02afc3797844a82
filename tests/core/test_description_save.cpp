#include "core/description/DescriptionSave.h"

#include "FileBytes.h"
#include "TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

using namespace korvel;
namespace fs = std::filesystem;
using korvel::test::readFile;
using korvel::test::writeFile;

namespace {

class DescriptionTempFileTest : public testing::Test {
protected:
    korvel::test::TempDir tmp;
    fs::path base = tmp.path();
};

} // namespace

TEST_F(DescriptionTempFileTest, HoldsTheBytesUnderTheMemberNameInAPrivateFolder) {
    const std::string bytes = "\xC9\xCD\xBB\r\nline two\r\n";
    fs::path folder, path;
    {
        std::string failed;
        auto file = DescriptionTempFile::create("file_id.diz", bytes, &failed, nullptr, base);
        ASSERT_TRUE(file) << failed;
        folder = file->folder();
        path = file->path();
        EXPECT_EQ(path.filename(), "file_id.diz");
        EXPECT_EQ(path.parent_path(), folder);
        EXPECT_EQ(folder.parent_path(), base);
        EXPECT_EQ(readFile(path), bytes);
        EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(fs::is_empty(base));
}

TEST_F(DescriptionTempFileTest, AUsersFileOfTheSameNameIsNeitherOverwrittenNorDeleted) {
    writeFile(base / "readme.txt", "the user's own readme");
    {
        auto file = DescriptionTempFile::create("readme.txt", "edited", nullptr, nullptr, base);
        ASSERT_TRUE(file);
        auto second = DescriptionTempFile::create("readme.txt", "another", nullptr, nullptr, base);
        ASSERT_TRUE(second);
        EXPECT_NE(file->path(), second->path());
        EXPECT_EQ(readFile(file->path()), "edited");
    }
    EXPECT_EQ(readFile(base / "readme.txt"), "the user's own readme");
}

class UnstorableMemberName : public testing::TestWithParam<std::string> {};
TEST_P(UnstorableMemberName, IsRefusedBeforeAnythingIsWritten) {
    const auto base = fs::temp_directory_path();
    std::string failed;
    EXPECT_FALSE(DescriptionTempFile::create(GetParam(), "x", &failed, nullptr, base));
    EXPECT_FALSE(failed.empty());
}
INSTANTIATE_TEST_SUITE_P(Names, UnstorableMemberName,
                         testing::Values("", ".", "..", "docs/info.txt", "../escape.txt", "/etc/passwd",
                                         std::string("a\0b", 3)));

// A base folder that cannot be written: run as root, a read-only folder is still writable, so
// the failure is forced by a base that does not exist or whose parent is a regular file.
TEST_F(DescriptionTempFileTest, AnUnwritableBaseNamesThePathThatFailed) {
    writeFile(base / "plain", "x");
    for (const fs::path& bad : {base / "missing", base / "plain" / "sub"}) {
        std::string failed, reason;
        EXPECT_FALSE(DescriptionTempFile::create("file_id.diz", "x", &failed, &reason, bad));
        // The private folder that could not be made: the path really tried.
        EXPECT_EQ(failed.rfind((bad / "korvel-desc-").string(), 0), 0u) << failed;
        EXPECT_FALSE(reason.empty());
    }
}

TEST_F(DescriptionTempFileTest, TheSystemTemporaryFolderIsUsedByDefault) {
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", base.c_str(), 1);
    {
        auto file = DescriptionTempFile::create("GAME.txt", "x", nullptr, nullptr);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->folder().parent_path(), base);
    }
    ::setenv("TMPDIR", (base / "missing").c_str(), 1);
    std::string failed;
    EXPECT_FALSE(DescriptionTempFile::create("GAME.txt", "x", &failed, nullptr));
    EXPECT_NE(failed.find("GAME.txt"), std::string::npos);
    if (old)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

TEST(DescriptionSave, EmbeddingLevelIsTheFirstCharacterOfTheBoxOrSix) {
    EXPECT_EQ(embeddingLevel(""), '6');
    EXPECT_EQ(embeddingLevel("9"), '9');
    EXPECT_EQ(embeddingLevel("3 fast"), '3');
}

TEST(DescriptionSave, PreparedBytesHaveCrLfLineEndsAndCodePage437) {
    EXPECT_EQ(prepareDescriptionSave(U"╔═╗\n║é║\u2029end"), "\xC9\xCD\xBB\r\n\xBA\x82\xBA\r\nend");
}
