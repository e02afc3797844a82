// korvel-cli loads no Qt library: not linked against one, and none loaded by any command while
// it runs (LD_DEBUG=libs names every library the loader maps, dlopen'ed engines included). ZIP
// work loads no libarchive either; the other formats load it when they are read.
#include "ArchiveFixtures.h"

#include <gtest/gtest.h>

using namespace korvel::test;

namespace {

const std::string cli = std::string(KORVEL_BIN_DIR) + "/korvel-cli";

class NoQt : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() {
        t = new TempDir;
        writeFile(*t / "src/file_id.diz", "desc\r\n");
        writeFile(*t / "song.mp3", std::string(4096, '\0'));
        ASSERT_EQ(zipTool(t->path().string(), "-j a.zip src/file_id.diz"), 0);
        ASSERT_EQ(run("cd " + shellQuote(*t / "src") + " && 7z a -bd ../a.7z file_id.diz >/dev/null"), 0);
        // A self-extracting ZIP: a program stub in front, the offsets adjusted by zip -A.
        ASSERT_EQ(run("cd " + shellQuote(t->path().string()) +
                      " && (printf 'MZ stub\\n'; cat a.zip) >sfx.zip && zip -qA sfx.zip"),
                  0);
    }
    static void TearDownTestSuite() { delete t; }
    static TempDir* t;
};
TempDir* NoQt::t = nullptr;

// Command-line arguments with "@" standing for the test folder.
std::string expand(const std::string& pattern, const std::string& folder) {
    std::string args = pattern;
    for (std::string::size_type at; (at = args.find("@")) != std::string::npos;)
        args.replace(at, 1, folder);
    return args;
}

// The loader's trace of korvel-cli ARGS, run in the test folder.
std::string loaderTrace(const std::string& pattern, const std::string& folder) {
    const std::string args = expand(pattern, folder);
    std::string log;
    run("cd " + shellQuote(folder) + " && LD_DEBUG=libs " + cli + " " + args + " 2>&1 >/dev/null", &log);
    EXPECT_NE(log.find("calling init"), std::string::npos) << "no loader trace for: " << args;
    return log;
}

TEST_P(NoQt, CommandLoadsNoQtLibrary) {
    const std::string log = loaderTrace(GetParam(), t->path().string());
    EXPECT_EQ(log.find("libQt"), std::string::npos) << GetParam() << " loaded Qt:\n" << log.substr(0, 4000);
}

const auto kZipCommands = ::testing::Values(
    "help", "list @/a.zip", "print @/a.zip file_id.diz", "diz @/a.zip", "extract @/a.zip @/out",
    "zip @/new.zip @/src/file_id.diz", "embed @/a.zip readme.txt @/src/file_id.diz", "mp3 @/song.mp3",
    "tag @/song.mp3", "ls @", "ls drives", "play @/song.mp3 --pcm @/out.pcm", "copy -y @/src @/copied");
INSTANTIATE_TEST_SUITE_P(Commands, NoQt, kZipCommands);

// libarchive (and libxml2, ICU ... under it) is loaded only to read an archive of another format.
class NoLibarchive : public NoQt {};

TEST_P(NoLibarchive, ZipWorkLoadsNoLibarchive) {
    const std::string log = loaderTrace(GetParam(), t->path().string());
    EXPECT_EQ(log.find("libarchive.so"), std::string::npos) << GetParam() << " loaded libarchive";
}

INSTANTIATE_TEST_SUITE_P(Commands, NoLibarchive, kZipCommands);

TEST_F(NoLibarchive, OtherFormatsLoadItWhenRead) {
    for (const char* args : {"list @/a.7z", "print @/a.7z FILE_ID.DIZ", "diz @/a.7z"}) {
        const std::string log = loaderTrace(args, t->path().string());
        EXPECT_NE(log.find("libarchive.so.13"), std::string::npos) << args;
    }
    std::string out;
    EXPECT_EQ(run(cli + " print " + shellQuote(*t / "a.7z") + " FILE_ID.DIZ", &out), 0);
    EXPECT_EQ(out, "desc\r\n");
    EXPECT_EQ(run(cli + " list " + shellQuote(*t / "a.7z"), &out), 0);
    EXPECT_NE(out.find("file_id.diz\n"), std::string::npos) << out;
}

// Without libarchive (hidden here by a private mount), ZIP work goes on and reading another
// format says why it cannot.
TEST_F(NoLibarchive, MissingLibraryIsSaidNotCrashed) {
    std::string lib;
    run("ldconfig -p | awk '/libarchive\\.so\\.13 /{print $NF; exit}' | xargs -r readlink -f | tr -d '\\n'",
        &lib);
    if (lib.empty() || run("unshare -rm true 2>/dev/null") != 0)
        GTEST_SKIP() << "cannot hide libarchive here (no private mount)";
    struct Case {
        const char* args;
        int exit;
        const char* says; // on stdout or stderr
    };
    const char* const cannot = "cannot load libarchive.so.13: ";
    for (const Case& c :
         {Case{"print @/a.zip file_id.diz", 0, "desc\r\n"}, Case{"diz @/sfx.zip", 0, "desc\r\n"},
          Case{"list @/sfx.zip", 0, "file_id.diz\n"}, Case{"list @/a.7z", 1, cannot},
          Case{"print @/a.7z FILE_ID.DIZ", 1, cannot}, Case{"diz @/a.7z", 1, cannot}}) {
        const std::string shell = "mount --bind /dev/null " + shellQuote(lib) + " && " + cli + " " +
                                  expand(c.args, t->path().string());
        std::string out;
        EXPECT_EQ(run("unshare -rm sh -c " + shellQuote(shell) + " 2>&1", &out), c.exit)
            << c.args << ": " << out;
        EXPECT_NE(out.find(c.says), std::string::npos) << c.args << ": " << out;
    }
}

// Reading an archive of deflated members without encryption loads neither libzip nor the crypto
// library under it, nor the decoders of other methods: the unzip engine loads each only when a
// member needs it.
class NoCrypto : public NoQt {};

TEST_P(NoCrypto, ReadingCommandLoadsNoLibzip) {
    const std::string log = loaderTrace(GetParam(), t->path().string());
    for (const char* lib : {"libzip.so", "libcrypto", "libbz2", "liblzma", "libzstd"})
        EXPECT_EQ(log.find(lib), std::string::npos) << GetParam() << " loaded " << lib;
}

INSTANTIATE_TEST_SUITE_P(Commands, NoCrypto,
                         ::testing::Values("list @/a.zip", "print @/a.zip file_id.diz", "diz @/a.zip"));

TEST(NoQtLinked, TheProgramNeedsNoQtLibrary) {
    std::string needed;
    ASSERT_EQ(run("readelf -d " + shellQuote(cli) + " 2>&1", &needed), 0);
    EXPECT_NE(needed.find("NEEDED"), std::string::npos);
    EXPECT_EQ(needed.find("libQt"), std::string::npos) << needed;
}

} // namespace
