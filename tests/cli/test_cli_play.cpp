// korvel-cli play, started from a folder other than its own: the decoder library is found beside
// the executable; what --pcm writes is what `mpg123 -s` decodes.
#include "AudioFixtures.h"

#include <gtest/gtest.h>

using namespace korvel::testaudio;

namespace {

struct CliResult {
    int status;
    std::string err;
};

// Runs korvel-cli with `args` in the folder `cwd`.
CliResult cli(const TempDir& dir, const std::string& cwd, const std::string& args) {
    std::string errFile = dir / "stderr.txt";
    int rc = sh("cd " + quote(cwd) + " && " + quote(KORVEL_BIN_DIR "/korvel-cli") + " " + args + " 2> " +
                quote(errFile));
    auto e = readFile(errFile);
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, std::string(e.begin(), e.end())};
}

class CliPlay : public ::testing::TestWithParam<const char*> {};

TEST_P(CliPlay, DecodesLikeMpg123FromAnyFolder) {
    TempDir dir;
    std::string mp3 = makeMp3(dir, "tone", 1.5, 44100, 2, "-b 160");
    ASSERT_FALSE(mp3.empty());
    auto reference = mpg123Decode(dir, mp3);
    ASSERT_FALSE(reference.empty());
    // The start folder holds no decoder library, or a file by that name that is none.
    std::string start = dir / "start";
    std::filesystem::create_directory(start);
    if (std::string(GetParam()) == "junk")
        std::ofstream(start + "/libmpegdll.so") << "not a library";
    CliResult r = cli(dir, start, "play " + quote(mp3) + " --pcm out.pcm");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(readFile(start + "/out.pcm") == reference);
}

INSTANTIATE_TEST_SUITE_P(StartFolder, CliPlay, ::testing::Values("empty", "junk"));

TEST(CliPlayErrors, MessagesAndExitCodes) {
    TempDir dir;
    CliResult r = cli(dir, dir.path().string(), "play " + quote(dir / "missing.mp3") + " --pcm out.pcm");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Input stream error"), std::string::npos) << r.err;
    r = cli(dir, dir.path().string(), "play");
    EXPECT_EQ(r.status, 2);
}

} // namespace
