// korvel-cli mp3 and tag, driven as a script would.
#include "AudioTestSupport.h"
#include "core/audio/StreamInfo.h"

#include <gtest/gtest.h>

using namespace korvel::test;

namespace {

const std::string Cli = std::string(KORVEL_BIN_DIR) + "/korvel-cli";

std::string cli(const std::string& args, int* status = nullptr) {
    return run(Cli + " " + args + " 2>&1", status);
}

// An MP3 made by lame from a sine the test writes.
std::string makeMp3(const TempDir& dir, const std::string& name) {
    auto wav = dir.file(name + ".wav");
    auto mp3 = dir.file(name + ".mp3");
    makeSourceWav(wav, 44100, 2, 3.0);
    run("lame --quiet -b 128 " + quote(wav) + " " + quote(mp3));
    return mp3;
}

} // namespace

TEST(CliMp3, PrintsTheSevenTextsThenBothTags) {
    if (!haveTool("lame"))
        GTEST_SKIP() << "lame is not installed (scripts/setup installs it)";
    TempDir dir;
    auto mp3 = makeMp3(dir, "song");
    int status = 0;
    std::string out = cli("mp3 " + quote(mp3), &status);
    EXPECT_EQ(status, 0);
    auto size = std::filesystem::file_size(mp3);
    std::string expected = "FileSize: " + std::to_string(size) +
                           " bytes\n"
                           "BitRate: CBR 128 kbit/s\n"
                           "Sample rate: 44100 hz\n"
                           "MPEG Type: MPEG 1 Layer III\n";
    EXPECT_EQ(out.substr(0, expected.size()), expected) << out;
    // Constant bit rate: the duration follows from the size (no ID3v2 tag, the frames start at 0).
    std::string duration = korvel::FormatDuration(static_cast<double>(size) * 8 / 128 / 1000);
    EXPECT_NE(out.find("\nDuration: " + duration + "\nMode: Joint Stereo\nEncoder: "), std::string::npos)
        << out;
    EXPECT_NE(out.find("\nID3v1: none\nID3v2: none\n"), std::string::npos) << out;
}

TEST(CliTag, WritesNamedFieldsAndKeepsTheOthers) {
    if (!haveTool("lame") || !haveTool("id3v2"))
        GTEST_SKIP() << "lame or id3v2 is not installed (scripts/setup installs them)";
    TempDir dir;
    auto mp3 = makeMp3(dir, "tagged");
    run("id3v2 -t 'Old Title' -a 'Old Artist' -y 1990 -g 17 -c 'Old comment' -T 4 " + quote(mp3));

    int status = 0;
    cli("tag --v1 --v2 --title 'Caf\xC3\xA9' --genre 'hard rock' --comment 'Two\nlines' " + quote(mp3),
        &status);
    EXPECT_EQ(status, 0);
    std::string out = cli("mp3 " + quote(mp3));
    for (const char* line :
         {"ID3v1: v1.1\n", "ID3v1 Title: Caf\xC3\xA9\n", "ID3v1 Artist: Old Artist\n", "ID3v1 Year: 1990\n",
          "ID3v1 Comment: Two\\nlines\n", "ID3v1 Track: 4\n", "ID3v1 Genre: 79 Hard Rock\n", "ID3v2: v2.3, ",
          "ID3v2 Title: Caf\xC3\xA9\n", "ID3v2 Artist: Old Artist\n", "ID3v2 Genre: Hard Rock\n",
          "ID3v2 Track: 4\n", "ID3v2 Comment: Two\\nlines\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
    std::string peer = run("id3v2 -l " + quote(mp3));
    EXPECT_NE(peer.find("TCON (Content type): Hard Rock"), std::string::npos) << peer;
    EXPECT_NE(peer.find("TPE1 (Lead performer(s)/Soloist(s)): Old Artist"), std::string::npos) << peer;

    // Without --v1/--v2 only the ID3v1 tag is written, as on the audio page.
    cli("tag --artist Solo " + quote(mp3), &status);
    EXPECT_EQ(status, 0);
    out = cli("mp3 " + quote(mp3));
    EXPECT_NE(out.find("ID3v1 Artist: Solo\n"), std::string::npos) << out;
    EXPECT_NE(out.find("ID3v2 Artist: Old Artist\n"), std::string::npos) << out;
}

TEST(CliTag, BadArgumentsAndFilesAreReported) {
    TempDir dir;
    auto f = dir.file("x.mp3");
    writeBytes(f, Bytes(500, 0));
    int status = 0;
    std::string out = cli("tag --genre 'No Such Genre' " + quote(f), &status);
    EXPECT_EQ(status, 2);
    EXPECT_NE(out.find("unknown ID3v1 genre"), std::string::npos) << out;
    EXPECT_EQ(readBytes(f), Bytes(500, 0));
    cli("tag --title", &status);
    EXPECT_EQ(status, 2);
    cli("tag --bogus " + quote(f), &status);
    EXPECT_EQ(status, 2);
    out = cli("tag --v2 --title T " + quote(dir.file("missing.mp3")), &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("Can not save V2 tag to the file: "), std::string::npos) << out;
    out = cli("mp3 " + quote(dir.file("missing.mp3")), &status);
    EXPECT_EQ(status, 1);
    out = cli("mp3 " + quote(f), &status); // zeros: readable, no stream
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("no usable MPEG audio stream"), std::string::npos) << out;
    EXPECT_NE(out.find("BitRate: \n"), std::string::npos) << out;
}
