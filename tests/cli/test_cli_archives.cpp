// korvel-cli list / print / extract / zip, driven as a script would.
#include "ArchiveFixtures.h"

#include <gtest/gtest.h>

using namespace korvel::test;

namespace {

const std::string cli = std::string(KORVEL_BIN_DIR) + "/korvel-cli";

int korvel(const std::string& args, std::string* out = nullptr) {
    return run(cli + " " + args + " 2>/dev/null", out);
}

class CliArchives : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(t / "src/file_id.diz", "\xDB\xB2 desc \xB2\xDB\r\n");
        writeFile(t / "src/big.bin", std::string(12345678, 'b'));
        run("TZ=UTC0 touch -d '2002-03-07 09:05:00' " + shellQuote(t / "src/file_id.diz") + " " +
            shellQuote(t / "src/big.bin"));
        ASSERT_EQ(zipTool(t.path().string(), "-j a.zip src/file_id.diz src/big.bin"), 0);
        zip = shellQuote(t / "a.zip");
    }
    TempDir t;
    std::string zip;
};

TEST_F(CliArchives, ListPrintsTheListingLines) {
    std::string out;
    ASSERT_EQ(run("TZ=UTC0 " + cli + " list " + zip, &out), 0);
    EXPECT_EQ(out, "     12   3- 7- 2  9: 5  file_id.diz\n"
                   "12345678   3- 7- 2  9: 5  big.bin\n");
    EXPECT_EQ(korvel("list " + shellQuote(t / "src/file_id.diz")), 1);
    EXPECT_EQ(korvel("list"), 2);
}

TEST_F(CliArchives, PrintWritesTheBytesAndFailsWhenNotFound) {
    std::string out;
    EXPECT_EQ(korvel("print " + zip + " FILE_ID.DIZ", &out), 0);
    EXPECT_EQ(out, "\xDB\xB2 desc \xB2\xDB\r\n");
    EXPECT_EQ(korvel("print --case-sensitive " + zip + " FILE_ID.DIZ", &out), 1);
    EXPECT_EQ(korvel("print " + zip + " readme.txt", &out), 1);
    EXPECT_EQ(out, "");
}

TEST_F(CliArchives, ExtractHonoursTheFlags) {
    writeFile(t / "out/file_id.diz", "mine");
    EXPECT_EQ(korvel("extract " + zip + " " + shellQuote(t / "out") + " '*.diz'"), 0);
    EXPECT_EQ(readFile(t / "out/file_id.diz"), "mine");
    EXPECT_FALSE(fs::exists(t / "out/big.bin"));
    EXPECT_EQ(korvel("extract --noflag " + zip + " " + shellQuote(t / "out")), 0);
    EXPECT_EQ(readFile(t / "out/file_id.diz"), "\xDB\xB2 desc \xB2\xDB\r\n");
    EXPECT_EQ(fs::file_size(t / "out/big.bin"), 12345678u);
    EXPECT_EQ(korvel("extract --bogus " + zip + " out"), 2);
    EXPECT_EQ(korvel("extract " + zip + " " + shellQuote(t / "out") + " nothing"), 1);
}

TEST_F(CliArchives, ZipAddsAndRefusesABadLevel) {
    const std::string n = shellQuote(t / "n.zip");
    EXPECT_EQ(korvel("zip --fJunkDir " + n + " " + shellQuote(t / "src")), 0);
    EXPECT_TRUE(unzipTestPasses(t / "n.zip"));
    std::string out;
    korvel("list " + n, &out);
    EXPECT_NE(out.find("  file_id.diz\n"), std::string::npos);
    EXPECT_EQ(out.find("src/"), std::string::npos);
    EXPECT_EQ(run(cli + " zip --fLevel=x " + n + " " + shellQuote(t / "src") + " 2>&1", &out), 1);
    EXPECT_NE(out.find("Error setting Zip Options"), std::string::npos);
    EXPECT_EQ(korvel("zip --fDeleteEntries " + n + " big.bin"), 0);
    korvel("list " + n, &out);
    EXPECT_EQ(out.find("big.bin"), std::string::npos);
}

// Names that are not UTF-8 (Latin-1 from old disks), given as raw bytes: archive, folder and
// member names reach the archives and the output as those very bytes.
TEST(CliLatin1Names, TravelAsBytes) {
    TempDir t;
    const std::string dir = t / "d\xe9j\xe0", arch = dir + "/caf\xe9.zip",
                      member = "l\xe9"
                               "eme.txt";
    const std::string a = shellQuote(arch), m = shellQuote(member), errFile = t / "err.txt";
    writeFile(t / "src/file_id.diz", "diz\r\n");
    writeFile(t / ("src/" + member), "Latin-1 member\r\n");
    fs::create_directories(dir + "/s\xe9rie");
    ASSERT_EQ(zipTool(t / "src", a + " file_id.diz " + m), 0);
    std::string listed;
    EXPECT_EQ(korvel("list " + a, &listed), 0);
    EXPECT_NE(listed.find("  " + member + "\n"), std::string::npos) << listed;
    struct Case {
        std::string args, out, err; // err: what stderr starts with
        int status;
    };
    const Case cases[] = {
        {"diz " + a, "diz\r\n", "file_id.diz\n", 0},
        {"diz --mode custom --custom " + m + " " + a, "Latin-1 member\r\n", member + "\n", 0},
        {"diz --mode filename " + a, "", "caf\xe9.txt\n", 1},
        {"diz " + shellQuote(dir + "/absent\xe9.zip"), "",
         "korvel-cli: " + dir + "/absent\xe9.zip: not a readable zip archive\n", 1},
        {"print " + a + " " + m, "Latin-1 member\r\n", "", 0},
        {"print " + a +
             " 'n\xe9"
             "ant.txt'",
         "",
         "korvel-cli: " + arch +
             ": n\xe9"
             "ant.txt: ",
         1},
        {"extract " + a + " " + shellQuote(dir + "/s\xe9rie") + " " + m, "", "", 0},
        {"zip " + shellQuote(dir + "/n\xe9o.zip") + " " + shellQuote(dir + "/s\xe9rie/" + member), "", "", 0},
        // The Latin-1 member takes a new text, then goes.
        {"embed " + a + " " + m + " " + shellQuote(t / "src/file_id.diz"), "", "", 0},
        {"print " + a + " " + m, "diz\r\n", "", 0},
        {"zip --fDeleteEntries " + a + " " + m, "", "", 0},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(run(cli + " " + c.args + " 2>" + shellQuote(errFile), &out), c.status) << c.args;
        EXPECT_EQ(out, c.out) << c.args;
        EXPECT_EQ(readFile(errFile).substr(0, c.err.size()), c.err) << c.args;
    }
    EXPECT_EQ(readFile(dir + "/s\xe9rie/" + member), "Latin-1 member\r\n");
    const std::string made = dir + "/n\xe9o.zip", inMade = (dir + "/s\xe9rie/" + member).substr(1);
    EXPECT_TRUE(unzipTestPasses(made));
    std::string names;
    run("unzip -Z1 " + shellQuote(made), &names);
    EXPECT_EQ(names, inMade + "\n");
    run("unzip -Z1 " + a, &names);
    EXPECT_EQ(names, "file_id.diz\n");
    EXPECT_TRUE(unzipTestPasses(arch));
    EXPECT_EQ(korvel("list " + shellQuote(made), &listed), 0);
    EXPECT_NE(listed.find("  " + inMade + "\n"), std::string::npos) << listed;
}

} // namespace
