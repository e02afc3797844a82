// korvel-cli ls against its golden output, on a folder made here with fixed times and sizes.
#include "FileTimes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using korvel::test::localTime;
using korvel::test::setMtime;

namespace {

struct Result {
    std::string out;
    int status;
};

Result run(const std::string& args) {
    std::string cmd = std::string(KORVEL_BIN_DIR) + "/korvel-cli ls " + args + " 2>&1";
    Result r{{}, -1};
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buf{};
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
        r.out.append(buf.data(), n);
    r.status = WEXITSTATUS(::pclose(p));
    return r;
}

void make(const std::string& path, std::uint64_t size, int y, int mo, int d, int h, int mi) {
    if (!fs::exists(path))
        std::ofstream(path).close();
    if (size) {
        ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0);
    }
    ASSERT_TRUE(setMtime(path, localTime(y, mo, d, h, mi)));
}

class CliLs : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(dir + "/Albums");
        make(dir + "/Albums", 0, 2002, 5, 6, 7, 8);
        make(dir + "/song.MP3", 4000, 2002, 1, 2, 0, 0);
        make(dir + "/big.zip", 2000000000, 2001, 12, 31, 23, 59);
        make(dir + "/small.zip", 999999999, 2002, 2, 3, 4, 5);
        make(dir + "/readme.txt", 10, 2002, 2, 3, 4, 5);
        make(dir + "/.hidden.zip", 1, 2002, 2, 3, 4, 5);
        ::chmod((dir + "/small.zip").c_str(), 0444);
    }
    korvel::test::TempDir tmp;
    std::string dir = tmp.path().string();
};

} // namespace

struct GoldenCase {
    const char* name;
    const char* options;
    const char* out;
};

class CliLsGolden : public CliLs, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(CliLsGolden, PrintsTheListing) {
    auto r = run(std::string(GetParam().options) + " " + dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, GetParam().out);
}

const GoldenCase goldenCases[] = {
    {"Mask", "--mask '*.zip;*.mp3'",
     "Albums\t \tFile folder\t05/06/2002 07:08\t\n"
     "big.zip\t1953125K\tZip archive\t12/31/2001 23:59\t\n"
     "song.MP3\t4000\tMP3 audio\t01/02/2002\t\n"},
    // Dot files show, read-only ones do not.
    {"Hidden", "--hidden --mask '*.zip'",
     "Albums\t \tFile folder\t05/06/2002 07:08\t\n"
     ".hidden.zip\t1\tZip archive\t02/03/2002 04:05\tH\n"
     "big.zip\t1953125K\tZip archive\t12/31/2001 23:59\t\n"},
};

INSTANTIATE_TEST_SUITE_P(Options, CliLsGolden, ::testing::ValuesIn(goldenCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliLs, AllFilesByDefault) {
    auto r = run(dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Albums\t \tFile folder\t05/06/2002 07:08\t");
    EXPECT_NE(r.out.find("\nreadme.txt\t10\t"), std::string::npos);
    EXPECT_EQ(r.out.find("small.zip"), std::string::npos); // read-only: not without the filter
}

TEST(CliLsDrives, DriveListingInAnyCapitalisation) {
    for (const char* name : {"drives", "DRIVES"}) {
        auto r = run(name);
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("(/)\t"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(" KB\t"), std::string::npos) << r.out;
    }
}

TEST(CliLsErrors, MissingFolderAndBadArguments) {
    auto r = run("/nonexistent-korvel-folder");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("not a folder"), std::string::npos);
    EXPECT_EQ(run("").status, 2);
    EXPECT_EQ(run("--bogus /").status, 2);
}
