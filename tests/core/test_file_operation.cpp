// The file operation engine on real folder trees in temporary folders.
#include "core/files/FileOperation.h"
#include "core/files/Trash.h"

#include "FileBytes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace korvel::files;
using Kind = FileOpQuestion::Kind;
using korvel::test::readFile;
using korvel::test::writeFile;

namespace {

// Answers from a script, records what was asked and said; can cancel after some bytes.
class ScriptedHandler : public FileOpHandler {
public:
    std::deque<FileOpAnswer> answers;
    FileOpAnswer fallback = FileOpAnswer::Cancel;
    std::vector<FileOpQuestion> asked;
    std::vector<std::string> errors;
    std::uint64_t cancelAfterBytes = UINT64_MAX;
    FileOpProgress last;
    int progressCalls = 0;
    bool currentEverEmpty = true;

    FileOpAnswer ask(const FileOpQuestion& q) override {
        asked.push_back(q);
        if (answers.empty())
            return fallback;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    void error(const std::string& text) override { errors.push_back(text); }
    void progress(const FileOpProgress& p) override {
        last = p;
        ++progressCalls;
        if (!p.current.empty())
            currentEverEmpty = false;
    }
    bool cancelled() override { return last.bytesDone >= cancelAfterBytes; }
};

std::string randomBytes(std::size_t n, unsigned seed = 1) {
    std::mt19937_64 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(rng());
    return s;
}

// Every name below root, including hidden ones (temporary names must never be left behind).
void listInto(const fs::path& dir, const std::string& prefix, std::vector<std::string>& out) {
    for (const auto& e : fs::directory_iterator(dir)) {
        std::string name = prefix + e.path().filename().string();
        out.push_back(name);
        if (fs::symlink_status(e.path()).type() == fs::file_type::directory)
            listInto(e.path(), name + "/", out);
    }
}

std::vector<std::string> listTree(const fs::path& root) {
    std::vector<std::string> out;
    if (fs::symlink_status(root).type() == fs::file_type::directory)
        listInto(root, "", out);
    std::sort(out.begin(), out.end());
    return out;
}

// A temporary folder whose root is at hand as a path.
struct TempTree : korvel::test::TempDir {
    using TempDir::TempDir;
    const fs::path root = path();
};

bool run(FileOperation& op, ScriptedHandler& h) {
    return op.execute(h);
}

FileOperation makeOp(FileOpKind k, std::vector<std::string> from, std::vector<std::string> to = {},
                     unsigned flags = 0) {
    FileOperation op;
    op.operation = k;
    op.from = std::move(from);
    op.to = std::move(to);
    op.flags = flags;
    return op;
}

class FileOperationTest : public ::testing::Test {
protected:
    TempTree t;
    fs::path src() const { return t.root / "src"; }
    fs::path dst() const { return t.root / "dst"; }
    void SetUp() override {
        writeFile(src() / "a.txt", "alpha");
        writeFile(src() / "sub" / "b.bin", randomBytes(200000));
        writeFile(src() / "sub" / "deep" / "c.txt", "gamma");
        fs::create_directories(dst());
    }
};

} // namespace

TEST(FileOperationList, SplitsOnSemicolonAndDropsEmptyParts) {
    EXPECT_EQ(FileOperation::splitList("/a/x.txt;/b/y z.txt;;/c;"),
              (std::vector<std::string>{"/a/x.txt", "/b/y z.txt", "/c"}));
    EXPECT_TRUE(FileOperation::splitList("").empty());
    EXPECT_TRUE(FileOperation::splitList(";").empty());
}

TEST_F(FileOperationTest, CopyKeepsContentPermissionsAndTimes) {
    ::chmod((src() / "a.txt").c_str(), 0640);
    ::chmod((src() / "sub").c_str(), 0750);
    fs::last_write_time(src() / "a.txt", fs::file_time_type::clock::now() - std::chrono::hours(1000));
    auto op =
        makeOp(FileOpKind::Copy, {(src() / "a.txt").string(), (src() / "sub").string()}, {dst().string()});
    ScriptedHandler h;
    ASSERT_TRUE(run(op, h)) << (h.errors.empty() ? "" : h.errors[0]);
    EXPECT_TRUE(h.asked.empty());
    EXPECT_EQ(readFile(dst() / "a.txt"), "alpha");
    EXPECT_EQ(readFile(dst() / "sub" / "b.bin"), readFile(src() / "sub" / "b.bin"));
    EXPECT_EQ(readFile(dst() / "sub" / "deep" / "c.txt"), "gamma");
    EXPECT_EQ(fs::status(dst() / "a.txt").permissions(), fs::status(src() / "a.txt").permissions());
    EXPECT_EQ(fs::status(dst() / "sub").permissions(), fs::status(src() / "sub").permissions());
    EXPECT_EQ(fs::last_write_time(dst() / "a.txt"), fs::last_write_time(src() / "a.txt"));
    EXPECT_EQ(listTree(dst()),
              (std::vector<std::string>{"a.txt", "sub", "sub/b.bin", "sub/deep", "sub/deep/c.txt"}));
    // Progress: every item and byte counted, names shown.
    EXPECT_EQ(h.last.itemsDone, 5u);
    EXPECT_EQ(h.last.itemsTotal, 5u);
    EXPECT_EQ(h.last.bytesDone, 5u + 200000u + 5u);
    EXPECT_EQ(h.last.bytesTotal, h.last.bytesDone);
    EXPECT_FALSE(h.currentEverEmpty);
    EXPECT_TRUE(fs::exists(src() / "a.txt")); // a copy leaves the source
}

TEST_F(FileOperationTest, SimpleProgressShowsNoNames) {
    auto op = makeOp(FileOpKind::Copy, {src().string()}, {dst().string()}, SimpleProgress | Silent);
    ScriptedHandler h;
    ASSERT_TRUE(run(op, h));
    EXPECT_GT(h.progressCalls, 0);
    EXPECT_TRUE(h.currentEverEmpty);
}

TEST_F(FileOperationTest, SymbolicLinksAreCopiedAsLinksNeverFollowed) {
    fs::create_symlink("..", src() / "sub" / "loop");         // a loop back up
    fs::create_symlink("self", src() / "sub" / "self");       // points at itself
    fs::create_symlink("/nonexistent/x", src() / "dangling"); // points nowhere
    fs::create_symlink("a.txt", src() / "to-a");
    auto op = makeOp(FileOpKind::Copy, {src().string()}, {dst().string()});
    ScriptedHandler h;
    ASSERT_TRUE(run(op, h)) << (h.errors.empty() ? "" : h.errors[0]);
    for (auto [name, text] : {std::pair{"sub/loop", ".."},
                              {"sub/self", "self"},
                              {"dangling", "/nonexistent/x"},
                              {"to-a", "a.txt"}}) {
        fs::path p = dst() / "src" / name;
        ASSERT_TRUE(fs::is_symlink(fs::symlink_status(p))) << name;
        EXPECT_EQ(fs::read_symlink(p).string(), text);
    }
    EXPECT_EQ(listTree(dst() / "src").size(), listTree(src()).size());
}

TEST_F(FileOperationTest, FifoIsCopiedAsFifo) {
    ASSERT_EQ(::mkfifo((src() / "pipe").c_str(), 0600), 0);
    auto op = makeOp(FileOpKind::Copy, {(src() / "pipe").string()}, {dst().string()});
    ScriptedHandler h;
    ASSERT_TRUE(run(op, h));
    EXPECT_EQ(fs::symlink_status(dst() / "pipe").type(), fs::file_type::fifo);
}

// ---- the overwrite question ----

struct OverwriteCase {
    const char* name;
    std::vector<FileOpAnswer> answers;
    unsigned flags;
    std::size_t questions;
    bool firstReplaced, secondReplaced, result, cancelled;
};

class OverwriteTest : public FileOperationTest, public ::testing::WithParamInterface<OverwriteCase> {};

TEST_P(OverwriteTest, AnswersAreHonoured) {
    const auto& c = GetParam();
    writeFile(src() / "z.txt", "new z");
    writeFile(dst() / "a.txt", "old a");
    writeFile(dst() / "z.txt", "old z");
    auto op = makeOp(FileOpKind::Copy, {(src() / "a.txt").string(), (src() / "z.txt").string()},
                     {dst().string()}, c.flags);
    ScriptedHandler h;
    h.answers.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(run(op, h), c.result);
    EXPECT_EQ(op.wasCancelled(), c.cancelled);
    ASSERT_EQ(h.asked.size(), c.questions);
    if (!h.asked.empty()) {
        EXPECT_EQ(h.asked[0].kind, Kind::Overwrite);
        EXPECT_EQ(h.asked[0].path, (dst() / "a.txt").string());
        EXPECT_EQ(h.asked[0].source, (src() / "a.txt").string());
        EXPECT_NE(h.asked[0].text.find("\"a.txt\""), std::string::npos) << h.asked[0].text;
        EXPECT_NE(h.asked[0].text.find("Replace it (5 bytes"), std::string::npos) << h.asked[0].text;
    }
    EXPECT_EQ(readFile(dst() / "a.txt"), c.firstReplaced ? "alpha" : "old a");
    EXPECT_EQ(readFile(dst() / "z.txt"), c.secondReplaced ? "new z" : "old z");
    EXPECT_EQ(listTree(dst()), (std::vector<std::string>{"a.txt", "z.txt"})); // no temporary left
    EXPECT_TRUE(h.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, OverwriteTest,
    ::testing::Values(
        OverwriteCase{"YesYes", {FileOpAnswer::Yes, FileOpAnswer::Yes}, 0, 2, true, true, true, false},
        OverwriteCase{"YesToAll", {FileOpAnswer::YesToAll}, 0, 1, true, true, true, false},
        OverwriteCase{"NoThenYes", {FileOpAnswer::No, FileOpAnswer::Yes}, 0, 2, false, true, false, false},
        OverwriteCase{"YesThenNo", {FileOpAnswer::Yes, FileOpAnswer::No}, 0, 2, true, false, false, false},
        OverwriteCase{"Cancel", {FileOpAnswer::Cancel}, 0, 1, false, false, false, true},
        OverwriteCase{"NoConfirmation", {}, NoConfirmation, 0, true, true, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileOperationTest, FolderMergesAndAsksOnlyForFiles) {
    writeFile(dst() / "sub" / "deep" / "c.txt", "old");
    writeFile(dst() / "sub" / "mine.txt", "kept");
    auto op = makeOp(FileOpKind::Copy, {(src() / "sub").string()}, {dst().string()});
    ScriptedHandler h;
    h.answers = {FileOpAnswer::Yes};
    ASSERT_TRUE(run(op, h));
    ASSERT_EQ(h.asked.size(), 1u);
    EXPECT_EQ(h.asked[0].path, (dst() / "sub" / "deep" / "c.txt").string());
    EXPECT_EQ(readFile(dst() / "sub" / "deep" / "c.txt"), "gamma");
    EXPECT_EQ(readFile(dst() / "sub" / "mine.txt"), "kept");
}

TEST_F(FileOperationTest, FileAndFolderOfTheSameNameAreNotMixed) {
    fs::create_directories(dst() / "a.txt");
    auto op = makeOp(FileOpKind::Copy, {(src() / "a.txt").string()}, {dst().string()}, NoConfirmation);
    ScriptedHandler h;
    EXPECT_FALSE(run(op, h));
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_NE(h.errors[0].find("Cannot replace the folder"), std::string::npos) << h.errors[0];
    EXPECT_TRUE(fs::is_directory(dst() / "a.txt"));
}

// ---- creating the destination folder ----

struct MkDirCase {
    const char* name;
    unsigned flags;
    std::vector<FileOpAnswer> answers;
    std::size_t questions;
    bool created;
};

class CreateFolderTest : public FileOperationTest, public ::testing::WithParamInterface<MkDirCase> {};

TEST_P(CreateFolderTest, AsksUnlessTold) {
    const auto& c = GetParam();
    fs::path target = t.root / "new" / "folder";
    auto op = makeOp(FileOpKind::Copy, {(src() / "a.txt").string()}, {target.string()}, c.flags);
    ScriptedHandler h;
    h.answers.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(run(op, h), c.created);
    ASSERT_EQ(h.asked.size(), c.questions);
    if (c.questions) {
        EXPECT_EQ(h.asked[0].kind, Kind::CreateFolder);
        EXPECT_EQ(h.asked[0].text, "The folder \"" + target.string() + "\" does not exist.\n\nCreate it?");
    }
    EXPECT_EQ(fs::exists(target / "a.txt"), c.created);
    EXPECT_EQ(fs::exists(t.root / "new"), c.created);
}

INSTANTIATE_TEST_SUITE_P(Answers, CreateFolderTest,
                         ::testing::Values(MkDirCase{"Yes", 0, {FileOpAnswer::Yes}, 1, true},
                                           MkDirCase{"No", 0, {FileOpAnswer::No}, 1, false},
                                           MkDirCase{"NoConfirmMkDir", NoConfirmMkDir, {}, 0, true},
                                           MkDirCase{"NoConfirmation", NoConfirmation, {}, 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- data safety ----

struct RefusalCase {
    const char* name;
    FileOpKind kind;
    const char* from; // relative to the test root
    const char* to;
    const char* message;
};

class RefusalTest : public FileOperationTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, NothingChanges) {
    const auto& c = GetParam();
    fs::create_symlink(src() / "sub", t.root / "via-link");
    ASSERT_EQ(::link((src() / "a.txt").c_str(), (t.root / "hard.txt").c_str()), 0);
    auto before = listTree(t.root);
    auto op = makeOp(c.kind, {(t.root / c.from).string()}, {(t.root / c.to).string()}, NoConfirmation);
    ScriptedHandler h;
    EXPECT_FALSE(run(op, h));
    ASSERT_EQ(h.errors.size(), 1u);
    EXPECT_NE(h.errors[0].find(c.message), std::string::npos) << h.errors[0];
    EXPECT_TRUE(h.asked.empty());
    EXPECT_EQ(listTree(t.root), before);
    EXPECT_EQ(readFile(src() / "a.txt"), "alpha");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusalTest,
    ::testing::Values(
        RefusalCase{"CopyFolderIntoItself", FileOpKind::Copy, "src", "src", "into itself"},
        RefusalCase{"CopyFolderIntoSubfolder", FileOpKind::Copy, "src", "src/sub/deep", "into itself"},
        RefusalCase{"CopyFolderIntoSubfolderViaLink", FileOpKind::Copy, "src", "via-link/deep",
                    "into itself"},
        RefusalCase{"CopyFolderIntoNewSubfolder", FileOpKind::Copy, "src", "src/sub/new", "into itself"},
        RefusalCase{"MoveFolderIntoSubfolder", FileOpKind::Move, "src", "src/sub", "into itself"},
        RefusalCase{"CopyFileOntoItself", FileOpKind::Copy, "src/a.txt", "src", "onto itself"},
        RefusalCase{"CopyFileOntoItsHardLink", FileOpKind::Copy, "src/a.txt", "hard.txt", "onto itself"},
        RefusalCase{"MoveFileOntoItself", FileOpKind::Move, "src/a.txt", "src", "onto itself"},
        RefusalCase{"MoveFolderOntoItself", FileOpKind::Move, "src/sub", "src", "onto itself"},
        RefusalCase{"MissingSource", FileOpKind::Copy, "src/none.txt", "dst", "Cannot find"},
        RefusalCase{"DestinationIsAFile", FileOpKind::Copy, "src/sub", "src/a.txt", "is not a folder"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileOperationTest, MissingSourceStopsBeforeAnythingIsDone) {
    auto op =
        makeOp(FileOpKind::Move, {(src() / "a.txt").string(), (src() / "gone").string()}, {dst().string()});
    ScriptedHandler h;
    EXPECT_FALSE(run(op, h));
    EXPECT_TRUE(fs::exists(src() / "a.txt"));
    EXPECT_TRUE(listTree(dst()).empty());
}

TEST_F(FileOperationTest, CancelInTheMiddleOfALargeCopyLeavesNoHalfFile) {
    const std::string big = randomBytes(40 << 20, 7);
    writeFile(src() / "big.bin", big);
    for (bool existing : {false, true}) {
        if (existing)
            writeFile(dst() / "big.bin", "the old one"); // replaced only by a complete copy
        auto op = makeOp(FileOpKind::Copy, {(src() / "big.bin").string()}, {dst().string()}, NoConfirmation);
        ScriptedHandler h;
        h.cancelAfterBytes = 5 << 20;
        EXPECT_FALSE(run(op, h));
        EXPECT_TRUE(op.wasCancelled());
        EXPECT_TRUE(h.errors.empty());
        EXPECT_GE(h.last.bytesDone, 5u << 20);
        EXPECT_LT(h.last.bytesDone, big.size());
        if (existing) {
            EXPECT_EQ(readFile(dst() / "big.bin"), "the old one");
        }
        EXPECT_EQ(listTree(dst()),
                  existing ? std::vector<std::string>{"big.bin"} : std::vector<std::string>{});
        EXPECT_TRUE(readFile(src() / "big.bin") == big);
    }
}

// ---- move ----

TEST_F(FileOperationTest, MoveWithinOneFileSystemIsARename) {
    struct stat before, after;
    ASSERT_EQ(::stat((src() / "sub" / "b.bin").c_str(), &before), 0);
    auto op = makeOp(FileOpKind::Move, {(src() / "sub").string()}, {dst().string()});
    ScriptedHandler h;
    ASSERT_TRUE(run(op, h));
    ASSERT_EQ(::stat((dst() / "sub" / "b.bin").c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_FALSE(fs::exists(src() / "sub"));
}

TEST_F(FileOperationTest, MoveMergesIntoAnExistingFolderAndKeepsSkippedItems) {
    writeFile(dst() / "sub" / "deep" / "c.txt", "old");
    auto op = makeOp(FileOpKind::Move, {(src() / "sub").string()}, {dst().string()});
    ScriptedHandler h;
    h.answers = {FileOpAnswer::No};
    EXPECT_FALSE(run(op, h)); // one item was skipped
    EXPECT_EQ(readFile(dst() / "sub" / "deep" / "c.txt"), "old");
    EXPECT_EQ(readFile(src() / "sub" / "deep" / "c.txt"), "gamma"); // the skipped source stays
    EXPECT_TRUE(fs::exists(dst() / "sub" / "b.bin"));
    EXPECT_FALSE(fs::exists(src() / "sub" / "b.bin"));
}

class CrossFileSystemTest : public FileOperationTest {
protected:
    std::unique_ptr<TempTree> other;
    void SetUp() override {
        FileOperationTest::SetUp();
        struct stat a, b;
        if (::stat("/dev/shm", &b) != 0 || ::stat(t.root.c_str(), &a) != 0 || a.st_dev == b.st_dev ||
            ::access("/dev/shm", W_OK) != 0)
            GTEST_SKIP() << "/dev/shm is not a separate, writable file system here";
        other = std::make_unique<TempTree>("/dev/shm");
    }
};

TEST_F(CrossFileSystemTest, MoveCopiesChecksAndThenDeletesBothWays) {
    fs::create_symlink("../a.txt", src() / "sub" / "link");
    ::chmod((src() / "a.txt").c_str(), 0600);
    auto stamp = fs::last_write_time(src() / "sub" / "b.bin");
    auto tree = listTree(src());
    const std::string data = readFile(src() / "sub" / "b.bin");

    auto there = makeOp(FileOpKind::Move, {src().string()}, {other->root.string()});
    ScriptedHandler h;
    ASSERT_TRUE(run(there, h)) << (h.errors.empty() ? "" : h.errors[0]);
    EXPECT_FALSE(fs::exists(src()));
    EXPECT_EQ(listTree(other->root / "src"), tree);
    EXPECT_EQ(readFile(other->root / "src" / "sub" / "b.bin"), data);
    EXPECT_EQ(fs::read_symlink(other->root / "src" / "sub" / "link").string(), "../a.txt");
    EXPECT_EQ(fs::status(other->root / "src" / "a.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::last_write_time(other->root / "src" / "sub" / "b.bin"), stamp);

    auto back = makeOp(FileOpKind::Move, {(other->root / "src").string()}, {t.root.string()});
    ASSERT_TRUE(run(back, h));
    EXPECT_EQ(listTree(src()), tree);
    EXPECT_EQ(readFile(src() / "sub" / "b.bin"), data);
    EXPECT_TRUE(listTree(other->root).empty());
}

TEST_F(CrossFileSystemTest, FailedMoveLosesNothing) {
    // A folder in the way of one file stops the move: what was moved is complete, the rest stays.
    fs::create_directories(other->root / "sub" / "deep" / "c.txt");
    auto op = makeOp(FileOpKind::Move, {(src() / "sub").string()}, {other->root.string()});
    ScriptedHandler h;
    EXPECT_FALSE(run(op, h));
    ASSERT_EQ(h.errors.size(), 1u);
    for (const char* name : {"sub/b.bin", "sub/deep/c.txt"}) {
        bool here = fs::is_regular_file(src() / name), there = fs::is_regular_file(other->root / name);
        EXPECT_TRUE(here || there) << name;
    }
    EXPECT_EQ(readFile(src() / "sub" / "deep" / "c.txt"), "gamma");
}

TEST_F(CrossFileSystemTest, CancelledMoveKeepsTheSource) {
    const std::string big = randomBytes(24 << 20, 3);
    writeFile(src() / "big.bin", big);
    auto op = makeOp(FileOpKind::Move, {(src() / "big.bin").string()}, {other->root.string()});
    ScriptedHandler h;
    h.cancelAfterBytes = 4 << 20;
    EXPECT_FALSE(run(op, h));
    EXPECT_TRUE(op.wasCancelled());
    EXPECT_TRUE(readFile(src() / "big.bin") == big);
    EXPECT_TRUE(listTree(other->root).empty());
}

// ---- rename on collision, rename, several destinations, wildcards ----

TEST_F(FileOperationTest, RenameOnCollisionPicksFreeNames) {
    writeFile(dst() / "a.txt", "old");
    fs::create_directories(dst() / "sub");
    auto op = makeOp(FileOpKind::Copy, {(src() / "a.txt").string(), (src() / "sub").string()},
                     {dst().string()}, RenameOnCollision | WantMappingHandle);
    ScriptedHandler h;
    ASSERT_TRUE(run(op, h));
    EXPECT_TRUE(run(op, h));
    EXPECT_TRUE(h.asked.empty());
    EXPECT_EQ(readFile(dst() / "a.txt"), "old");
    EXPECT_EQ(readFile(dst() / "a (2).txt"), "alpha");
    EXPECT_EQ(readFile(dst() / "a (3).txt"), "alpha");
    EXPECT_EQ(readFile(dst() / "sub (3)" / "deep" / "c.txt"), "gamma");
    ASSERT_EQ(op.mappings().size(), 2u);
    EXPECT_EQ(op.mappings()[1].to, (dst() / "sub (3)").string());

    // Onto itself with a free name: a copy beside the original.
    auto self = makeOp(FileOpKind::Copy, {(src() / "a.txt").string()}, {src().string()}, RenameOnCollision);
    ASSERT_TRUE(run(self, h));
    EXPECT_EQ(readFile(src() / "a (2).txt"), "alpha");
}

TEST_F(FileOperationTest, RenameGivesNewNames) {
    auto op = makeOp(FileOpKind::Rename, {(src() / "a.txt").string()}, {"renamed.txt"});
    ScriptedHandler h;
    ASSERT_TRUE(run(op, h));
    EXPECT_EQ(readFile(src() / "renamed.txt"), "alpha");
    EXPECT_FALSE(fs::exists(src() / "a.txt"));

    writeFile(src() / "other.txt", "other");
    auto clash = makeOp(FileOpKind::Rename, {(src() / "renamed.txt").string()}, {"other.txt"});
    h.answers = {FileOpAnswer::No};
    EXPECT_FALSE(run(clash, h));
    ASSERT_EQ(h.asked.size(), 1u);
    EXPECT_EQ(h.asked[0].kind, Kind::Overwrite);
    EXPECT_EQ(readFile(src() / "other.txt"), "other");

    clash.flags = RenameOnCollision;
    ASSERT_TRUE(run(clash, h));
    EXPECT_EQ(readFile(src() / "other (2).txt"), "alpha");

    auto mismatch =
        makeOp(FileOpKind::Rename, {(src() / "sub").string(), (src() / "other.txt").string()}, {"x"});
    EXPECT_FALSE(run(mismatch, h));
    EXPECT_NE(h.errors.back().find("2 item(s) but 1 new name(s)"), std::string::npos);
}

TEST_F(FileOperationTest, MultipleDestinationsNameEachTarget) {
    auto op = makeOp(FileOpKind::Copy, {(src() / "a.txt").string(), (src() / "sub" / "deep").string()},
                     {(dst() / "one.txt").string(), (dst() / "x" / "two").string()}, MultiDestFiles);
    ScriptedHandler h;
    h.answers = {FileOpAnswer::Yes};
    ASSERT_TRUE(run(op, h));
    ASSERT_EQ(h.asked.size(), 1u); // the missing folder dst/x
    EXPECT_EQ(h.asked[0].kind, Kind::CreateFolder);
    EXPECT_EQ(readFile(dst() / "one.txt"), "alpha");
    EXPECT_EQ(readFile(dst() / "x" / "two" / "c.txt"), "gamma");
}

TEST_F(FileOperationTest, WildcardsAndFilesOnly) {
    writeFile(src() / "b.txt", "beta");
    writeFile(src() / ".hidden.txt", "h");
    auto op = makeOp(FileOpKind::Copy, {(src() / "*.txt").string()}, {dst().string()});
    ScriptedHandler h;
    ASSERT_TRUE(run(op, h));
    EXPECT_EQ(listTree(dst()), (std::vector<std::string>{"a.txt", "b.txt"}));

    fs::remove_all(dst());
    fs::create_directories(dst());
    auto all = makeOp(FileOpKind::Copy, {(src() / "*.*").string()}, {dst().string()}, FilesOnly);
    ASSERT_TRUE(run(all, h));
    EXPECT_EQ(listTree(dst()), (std::vector<std::string>{"a.txt", "b.txt"})); // not the folder sub

    auto none = makeOp(FileOpKind::Copy, {(src() / "*.mp3").string()}, {dst().string()});
    EXPECT_FALSE(run(none, h));
    EXPECT_NE(h.errors.back().find("No files match"), std::string::npos);
}

TEST_F(FileOperationTest, EmptyListDoesNothing) {
    auto op = makeOp(FileOpKind::Delete, {}, {});
    ScriptedHandler h;
    EXPECT_FALSE(run(op, h));
    EXPECT_TRUE(h.asked.empty());
    EXPECT_TRUE(h.errors.empty());
}

// ---- delete ----

struct DeleteCase {
    const char* name;
    std::vector<const char*> items;
    unsigned flags;
    FileOpAnswer answer;
    const char* question; // empty: none asked
    bool deleted;
};

class DeleteTest : public FileOperationTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, ConfirmsThenDeletes) {
    const auto& c = GetParam();
    std::vector<std::string> items;
    for (auto i : c.items)
        items.push_back((src() / i).string());
    auto op = makeOp(FileOpKind::Delete, items, {}, c.flags);
    ScriptedHandler h;
    h.answers = {c.answer};
    EXPECT_EQ(run(op, h), c.deleted);
    if (*c.question) {
        ASSERT_EQ(h.asked.size(), 1u);
        EXPECT_EQ(h.asked[0].kind, Kind::ConfirmDelete);
        std::string expected = c.question;
        auto at = expected.find('@');
        if (at != std::string::npos)
            expected.replace(at, 1, src().string());
        EXPECT_EQ(h.asked[0].text, expected);
    } else {
        EXPECT_TRUE(h.asked.empty());
    }
    for (const auto& i : items)
        EXPECT_EQ(fs::exists(i), !c.deleted) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeleteTest,
    ::testing::Values(
        DeleteCase{"OneFileYes", {"a.txt"}, 0, FileOpAnswer::Yes, "Delete \"@/a.txt\"?", true},
        DeleteCase{"OneFileNo", {"a.txt"}, 0, FileOpAnswer::No, "Delete \"@/a.txt\"?", false},
        DeleteCase{"Folder",
                   {"sub"},
                   0,
                   FileOpAnswer::Yes,
                   "Delete the folder \"@/sub\" and everything in it?",
                   true},
        DeleteCase{"Several", {"a.txt", "sub"}, 0, FileOpAnswer::Yes, "Delete these 2 items?", true},
        DeleteCase{"NoConfirmation", {"a.txt", "sub"}, NoConfirmation, FileOpAnswer::No, "", true},
        DeleteCase{
            "TrashOne", {"a.txt"}, AllowUndo, FileOpAnswer::Yes, "Move \"@/a.txt\" to the trash?", true},
        DeleteCase{"TrashSeveralNo",
                   {"a.txt", "sub"},
                   AllowUndo,
                   FileOpAnswer::No,
                   "Move these 2 items to the trash?",
                   false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileOperationTest, DeleteNeverFollowsLinks) {
    writeFile(t.root / "outside" / "keep.txt", "keep");
    fs::create_symlink(t.root / "outside", src() / "sub" / "out-link");
    fs::create_symlink("..", src() / "sub" / "loop");
    auto op = makeOp(FileOpKind::Delete, {src().string()}, {}, NoConfirmation);
    ScriptedHandler h;
    ASSERT_TRUE(run(op, h));
    EXPECT_FALSE(fs::exists(fs::symlink_status(src())));
    EXPECT_EQ(readFile(t.root / "outside" / "keep.txt"), "keep");
    EXPECT_EQ(h.last.itemsDone, 8u);
}

class TrashTest : public FileOperationTest {
protected:
    std::string savedXdg;
    bool hadXdg = false;
    void SetUp() override {
        FileOperationTest::SetUp();
        if (const char* x = std::getenv("XDG_DATA_HOME")) {
            hadXdg = true;
            savedXdg = x;
        }
        ::setenv("XDG_DATA_HOME", (t.root / "data").c_str(), 1);
    }
    void TearDown() override {
        if (hadXdg)
            ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }
};

TEST_F(TrashTest, TrashedItemsGetInfoFilesAndFreeNames) {
    writeFile(src() / "odd name%.txt", "odd");
    writeFile(dst() / "a.txt", "second a");
    auto op = makeOp(FileOpKind::Delete,
                     {(src() / "a.txt").string(), (dst() / "a.txt").string(),
                      (src() / "odd name%.txt").string(), (src() / "sub").string()},
                     {}, AllowUndo | NoConfirmation);
    ScriptedHandler h;
    ASSERT_TRUE(run(op, h)) << (h.errors.empty() ? "" : h.errors[0]);
    fs::path trash = t.root / "data" / "Trash";
    EXPECT_EQ(readFile(trash / "files" / "a.txt"), "alpha");
    EXPECT_EQ(readFile(trash / "files" / "a.txt.2"), "second a");
    EXPECT_EQ(readFile(trash / "files" / "sub" / "deep" / "c.txt"), "gamma");
    std::string info = readFile(trash / "info" / "a.txt.2.trashinfo");
    std::string root = fs::canonical(t.root).string();
    EXPECT_EQ(
        info.rfind("[Trash Info]\nPath=" + Trash::encodePath(root + "/dst/a.txt") + "\nDeletionDate=", 0), 0u)
        << info;
    std::string date = info.substr(info.find("DeletionDate=") + 13);
    EXPECT_EQ(date.size(), 20u) << date; // YYYY-MM-DDThh:mm:ss and a newline
    EXPECT_EQ(date[10], 'T');
    EXPECT_NE(readFile(trash / "info" / "odd name%.txt.trashinfo").find("/odd%20name%25.txt\n"),
              std::string::npos);
    EXPECT_EQ(fs::status(trash).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(src() / "a.txt"));
}

TEST_F(TrashTest, VolumeTrashIsUsedOnAnotherFileSystem) {
    struct stat a, b;
    if (::stat("/dev/shm", &b) != 0 || ::stat(t.root.c_str(), &a) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "/dev/shm is not a separate file system here";
    TempTree shm("/dev/shm");
    writeFile(shm.root / "gone.txt", "bye");
    Trash bin;
    ASSERT_TRUE(bin.put((shm.root / "gone.txt").string())) << bin.why();
    std::string volumeTrash = "/dev/shm/.Trash-" + std::to_string(::getuid());
    EXPECT_EQ(bin.trashedAs().rfind(volumeTrash + "/files/", 0), 0u) << bin.trashedAs();
    std::string info = readFile(bin.infoFile());
    // On a volume's trash the path is relative to the volume's top folder.
    EXPECT_NE(
        info.find("Path=" + Trash::encodePath(fs::relative(shm.root, "/dev/shm").string()) + "/gone.txt\n"),
        std::string::npos)
        << info;
    EXPECT_EQ(readFile(bin.trashedAs()), "bye");
    fs::remove(bin.trashedAs());
    fs::remove(bin.infoFile());
}

TEST_F(TrashTest, UnusableTrashAsksToDeletePermanently) {
    writeFile(t.root / "data", "a file where the trash folder should be");
    for (auto answer : {FileOpAnswer::No, FileOpAnswer::Yes}) {
        auto op = makeOp(FileOpKind::Delete, {(src() / "a.txt").string()}, {}, AllowUndo | NoConfirmation);
        ScriptedHandler h;
        h.answers = {answer};
        EXPECT_EQ(run(op, h), answer == FileOpAnswer::Yes);
        ASSERT_EQ(h.asked.size(), 1u);
        EXPECT_EQ(h.asked[0].kind, Kind::DeletePermanently);
        EXPECT_NE(h.asked[0].text.find("cannot be moved to the trash"), std::string::npos);
        EXPECT_EQ(fs::exists(src() / "a.txt"), answer == FileOpAnswer::No);
    }
}
