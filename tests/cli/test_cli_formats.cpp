// korvel-cli list / print / diz / extract / embed on archives of other formats than ZIP, made here
// by 7z, bsdtar and gcab or built byte by byte (RAR, LHA); the peer bsdtar checks the bytes.
#include "ArchiveBytes.h"
#include "KorvelCli.h"

#include <gtest/gtest.h>

#include <functional>

using namespace korvel::test;

namespace {

const std::string kDiz = "\xDB\xB2 desc \xB2\xDB\r\n";
constexpr std::uint32_t kTime = 1015491900; // 2002-03-07 09:05:00 UTC

// Runs korvel-cli in UTC; stdout into *out, stderr into *err.
int korvel(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    TempDir t;
    const CliRun r = runCli(t, args, "TZ=UTC0");
    if (out)
        *out = r.out;
    if (err)
        *err = r.err;
    return r.status;
}

struct Format {
    const char* label;
    std::function<void(const std::string& src, const std::string& out)> make;
};

std::function<void(const std::string&, const std::string&)> tool(const std::string& cmd) {
    return [cmd](const std::string& src, const std::string& out) {
        ASSERT_EQ(run("cd " + shellQuote(src) + " && " + cmd + " " + shellQuote(out) +
                      " FILE_ID.DIZ sub/b.txt >/dev/null"),
                  0);
    };
}

std::vector<korvel::test::ByteMember> members() {
    return {{"FILE_ID.DIZ", kDiz, ByteMember::Kind::File, kTime},
            {"sub", "", ByteMember::Kind::Folder, kTime},
            {"sub/b.txt", "bee\n", ByteMember::Kind::File, kTime}};
}

class CliFormats : public ::testing::TestWithParam<Format> {};

TEST_P(CliFormats, ListPrintDizExtractAndEmbed) {
    TempDir t;
    writeFile(t / "src/FILE_ID.DIZ", kDiz);
    writeFile(t / "src/sub/b.txt", "bee\n");
    run("TZ=UTC0 touch -d '2002-03-07 09:05:00' " + shellQuote(t / "src/FILE_ID.DIZ") + " " +
        shellQuote(t / "src/sub/b.txt"));
    const std::string archive = t / "GAME.arc";
    GetParam().make(t / "src", archive);
    const std::string a = shellQuote(archive);

    std::string out, err;
    ASSERT_EQ(korvel("list " + a, &out, &err), 0) << err;
    EXPECT_NE(out.find("     12   3- 7- 2  9: 5  FILE_ID.DIZ\n"), std::string::npos) << out;
    EXPECT_NE(out.find("sub/b.txt\n"), std::string::npos) << out;

    EXPECT_EQ(korvel("print " + a + " file_id.diz", &out), 0);
    EXPECT_EQ(out, kDiz);
    EXPECT_EQ(korvel("print --case-sensitive " + a + " file_id.diz", &out, &err), 1);
    EXPECT_NE(err.find("no member matched"), std::string::npos) << err;

    EXPECT_EQ(korvel("diz " + a, &out, &err), 0);
    EXPECT_EQ(out, kDiz);
    EXPECT_EQ(err, "file_id.diz\n");
    EXPECT_EQ(korvel("diz --mode readme " + a, &out, &err), 1);
    EXPECT_EQ(err, "readme.txt\n");

    EXPECT_EQ(korvel("extract --ndflag " + a + " " + shellQuote(t / "ours")), 0);
    fs::create_directories(t / "peer");
    ASSERT_EQ(run("bsdtar -xf " + a + " -C " + shellQuote(t / "peer")), 0);
    for (const char* f : {"FILE_ID.DIZ", "sub/b.txt"})
        EXPECT_EQ(readFile(t / (std::string("ours/") + f)), readFile(t / (std::string("peer/") + f))) << f;
    EXPECT_EQ(korvel("extract " + a + " " + shellQuote(t / "flat") + " '*.txt'"), 0);
    EXPECT_EQ(readFile(t / "flat/b.txt"), "bee\n");
    EXPECT_FALSE(fs::exists(t / "flat/FILE_ID.DIZ"));

    writeFile(t / "new.diz", "new");
    const std::string before = readFile(archive);
    EXPECT_EQ(korvel("embed " + a + " file_id.diz " + shellQuote(t / "new.diz"), nullptr, &err), 1);
    EXPECT_NE(err.find("Descriptions can be saved into ZIP archives only"), std::string::npos) << err;
    EXPECT_EQ(readFile(archive), before);
}

INSTANTIATE_TEST_SUITE_P(
    Archives, CliFormats,
    ::testing::Values(Format{"sevenzip", tool("7z a -bd")}, Format{"tar_gz", tool("bsdtar -zcf")},
                      Format{"tar_bz2", tool("bsdtar -jcf")}, Format{"tar_zst", tool("bsdtar --zstd -cf")},
                      Format{"cpio", tool("bsdtar --format cpio -cf")},
                      Format{"iso", tool("bsdtar --format iso9660 -cf")}, Format{"cab", tool("gcab -c")},
                      Format{"rar4", [](auto&, auto& o) { writeFile(o, rar4Archive(members())); }},
                      Format{"rar5", [](auto&, auto& o) { writeFile(o, rar5Archive(members())); }},
                      Format{"lha", [](auto&, auto& o) { writeFile(o, lhaArchive(members())); }}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CliFormatsRefused, EncryptedAndSplitArchivesSayWhy) {
    TempDir t;
    writeFile(t / "src/file_id.diz", "secret");
    ASSERT_EQ(run("cd " + shellQuote(t / "src") + " && 7z a -bd -pX ../locked.7z file_id.diz >/dev/null"), 0);
    writeFile(t / "part1.rar", rar5Archive({{"file_id.diz", "part"}}, true));
    for (const auto& [name, words] : std::vector<std::pair<std::string, std::string>>{
             {"locked.7z", "encrypted"}, {"part1.rar", "multi-volume"}}) {
        std::string out, err;
        EXPECT_EQ(korvel("diz " + shellQuote(t / name), &out, &err), 1) << name;
        EXPECT_NE(err.find(words), std::string::npos) << err;
        EXPECT_EQ(korvel("extract " + shellQuote(t / name) + " " + shellQuote(t / "out"), &out, &err), 1);
        EXPECT_NE(err.find(words), std::string::npos) << err;
    }
}

} // namespace
