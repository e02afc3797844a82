// korvel-cli loads no Qt library: not linked against one, and none loaded by any command while
// it runs (LD_DEBUG=libs names every library the loader maps, dlopen'ed engines included).
#include "../support/ArchiveFixtures.h"

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
    }
    static void TearDownTestSuite() { delete t; }
    static TempDir* t;
};
TempDir* NoQt::t = nullptr;

TEST_P(NoQt, CommandLoadsNoQtLibrary) {
    std::string args = GetParam();
    for (std::string::size_type at; (at = args.find("@")) != std::string::npos;)
        args.replace(at, 1, t->path().string());
    std::string log;
    run("cd " + shellQuote(t->path().string()) + " && LD_DEBUG=libs " + cli + " " + args + " 2>&1 >/dev/null",
        &log);
    EXPECT_NE(log.find("calling init"), std::string::npos) << "no loader trace for: " << args;
    EXPECT_EQ(log.find("libQt"), std::string::npos) << args << " loaded Qt:\n" << log.substr(0, 4000);
}

INSTANTIATE_TEST_SUITE_P(Commands, NoQt,
                         ::testing::Values("help", "list @/a.zip", "print @/a.zip file_id.diz", "diz @/a.zip",
                                           "extract @/a.zip @/out", "zip @/new.zip @/src/file_id.diz",
                                           "embed @/a.zip readme.txt @/src/file_id.diz", "mp3 @/song.mp3",
                                           "tag @/song.mp3", "ls @", "ls drives",
                                           "play @/song.mp3 --pcm @/out.pcm", "copy -y @/src @/copied"));

// Reading an archive without encrypted members loads neither libzip nor the crypto library under
// it: the unzip engine loads them only to decrypt.
class NoCrypto : public NoQt {};

TEST_P(NoCrypto, ReadingCommandLoadsNoLibzip) {
    std::string args = GetParam();
    for (std::string::size_type at; (at = args.find("@")) != std::string::npos;)
        args.replace(at, 1, t->path().string());
    std::string log;
    run("LD_DEBUG=libs " + cli + " " + args + " 2>&1 >/dev/null", &log);
    EXPECT_NE(log.find("calling init"), std::string::npos) << "no loader trace for: " << args;
    EXPECT_EQ(log.find("libzip.so"), std::string::npos) << args << " loaded libzip";
    EXPECT_EQ(log.find("libcrypto"), std::string::npos) << args << " loaded libcrypto";
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
