// korvel-cli diz and embed, driven as a script would, against archives made by `zip`.
#include "KorvelCli.h"

#include <gtest/gtest.h>

using namespace korvel::test;

namespace {

class CliDescriptions : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(t / "src/file_id.diz", "\xC9\xCD\xBB\r\n\xC8\xCD\xBC\r\n");
        writeFile(t / "src/readme.txt", "read me");
        writeFile(t / "src/MY.nfo", "nfo");
        writeFile(t / "src/data.bin", std::string(100000, 'd'));
        ASSERT_EQ(zipTool((t / "src"), "../MY.GAME.ZIP file_id.diz readme.txt MY.nfo data.bin"), 0);
        ASSERT_EQ(zipTool((t / "src"), "../plain.zip data.bin"), 0);
        writeFile(t / "list.ext", "info.nfo\r\n\r\n<filename>.nfo\r\n");
        zip = shellQuote(t / "MY.GAME.ZIP");
    }
    TempDir t;
    std::string zip;
};

TEST_F(CliDescriptions, DizPrintsTheBytesAndNamesTheMember) {
    struct Case {
        std::string args, out, caption;
        int status;
    };
    const std::string list = " --custom-list " + shellQuote(t / "list.ext");
    const Case cases[] = {
        {zip, "\xC9\xCD\xBB\r\n\xC8\xCD\xBC\r\n", "file_id.diz\n", 0},
        {"--mode readme " + zip, "read me", "readme.txt\n", 0},
        {"--mode filename " + zip, "", "MY.GAME.txt\n", 1},
        {"--mode custom" + list + " " + zip, "nfo", "MY.nfo\n", 0},
        {"--mode custom --custom info.nfo " + zip, "", "info.nfo\n", 1},
        {"--mode custom " + zip, "", "", 1}, // an empty list tries nothing
        {shellQuote(t / "plain.zip"), "", "file_id.diz\n", 1},
        {list + " " + shellQuote(t / "plain.zip"), "", "file_id.diz\n", 1},
        {shellQuote(t / "missing.zip"), "",
         "korvel-cli: " + t / "missing.zip" + ": not a readable zip archive\n", 1},
        {shellQuote(t / "src/readme.txt"), "",
         "korvel-cli: " + t / "src/readme.txt" + ": not a readable zip archive\n", 1},
    };
    for (const Case& c : cases) {
        const CliRun r = runCli(t, "diz " + c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.out, c.out) << c.args;
        EXPECT_EQ(r.err, c.caption) << c.args;
    }
}

// Descriptions as DOS-era archives hold them: a NUL byte comes through whole, and a save over
// FILE_ID.DIZ replaces that member under its stored name.
TEST_F(CliDescriptions, DescriptionsAsStoredByOtherPrograms) {
    ASSERT_EQ(python(t.path().string(), "import zipfile\nwith zipfile.ZipFile('dos.zip', 'w', 8) as z:\n"
                                        "    z.writestr('FILE_ID.DIZ', b'nul\\x00byte\\r\\n')\n"
                                        "    z.writestr('GAME.EXE', b'MZ')\n"),
              0);
    const std::string dos = shellQuote(t / "dos.zip");
    CliRun r = runCli(t, "diz " + dos);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("nul\0byte\r\n", 10));
    writeFile(t / "new.txt", std::string("new\0text\r\n", 10));
    r = runCli(t, "embed " + dos + " file_id.diz " + shellQuote(t / "new.txt"));
    EXPECT_EQ(r.status, 0) << r.err;
    std::string names;
    ASSERT_EQ(run("unzip -Z1 " + dos, &names), 0);
    EXPECT_EQ(names, "FILE_ID.DIZ\nGAME.EXE\n");
    EXPECT_EQ(runCli(t, "diz " + dos).out, std::string("new\0text\r\n", 10));
    for (const char* level : {"10", "", "x", "-1"}) {
        r = runCli(t, std::string("embed --level '") + level + "' " + dos + " file_id.diz " +
                          shellQuote(t / "new.txt"));
        EXPECT_EQ(r.status, 1) << level;
        EXPECT_EQ(r.err, "korvel-cli: Error setting Zip Options\n") << level;
        r = runCli(t, std::string("zip '--fLevel=") + level + "' " + dos + " " + shellQuote(t / "new.txt"));
        EXPECT_EQ(r.status, 1) << level;
        EXPECT_NE(r.err.find("Error setting Zip Options"), std::string::npos) << level << r.err;
    }
}

TEST_F(CliDescriptions, DizRefusesBadArguments) {
    EXPECT_EQ(runCli(t, "diz").status, 2);
    EXPECT_EQ(runCli(t, "diz --mode sideways " + zip).status, 2);
    EXPECT_EQ(runCli(t, "diz --custom-list " + shellQuote(t / "nope.ext") + " " + zip).status, 2);
    EXPECT_EQ(runCli(t, "diz " + zip + " " + zip).status, 2);
}

TEST_F(CliDescriptions, EmbedReplacesTheMemberAndKeepsTheOthers) {
    writeFile(t / "new.diz", "new\r\ntext\xB1\r\n");
    std::string before, after;
    run("unzip -v " + zip + " | grep -v file_id.diz | sed -n '/^--/,/^--/p'", &before);
    writeFile(t / "file_id.diz", "a user's file beside the archive");
    const CliRun r = runCli(t, "embed " + zip + " file_id.diz " + shellQuote(t / "new.diz"));
    EXPECT_EQ(r.status, 0) << r.err;
    std::string stored;
    EXPECT_EQ(run("unzip -p " + zip + " file_id.diz", &stored), 0);
    EXPECT_EQ(stored, "new\r\ntext\xB1\r\n");
    run("unzip -v " + zip + " | grep -v file_id.diz | sed -n '/^--/,/^--/p'", &after);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(unzipTestPasses(t / "MY.GAME.ZIP"));
    EXPECT_EQ(readFile(t / "file_id.diz"), "a user's file beside the archive");
    EXPECT_EQ(runCli(t, "diz " + zip).out, "new\r\ntext\xB1\r\n");
}

TEST_F(CliDescriptions, AFailedEmbedLeavesTheArchiveAlone) {
    writeFile(t / "new.diz", "x");
    const std::string damaged = t / "damaged.zip";
    const std::string whole = readFile(t / "MY.GAME.ZIP");
    writeFile(damaged, whole.substr(0, whole.size() - 30)); // no end of central directory
    const std::string before = readFile(damaged);
    CliRun r = runCli(t, "embed " + shellQuote(damaged) + " file_id.diz " + shellQuote(t / "new.diz"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not saved"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(damaged), before);

    r = runCli(t, "embed " + shellQuote(t / "absent.zip") + " file_id.diz " + shellQuote(t / "new.diz"));
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(fs::exists(t / "absent.zip"));

    const std::string original = readFile(t / "MY.GAME.ZIP");
    r = runCli(t, "embed --level x " + zip + " file_id.diz " + shellQuote(t / "new.diz"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "korvel-cli: Error setting Zip Options\n");
    r = runCli(t, "embed " + zip + " sub/file_id.diz " + shellQuote(t / "new.diz"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot create file"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(t / "MY.GAME.ZIP"), original);
    EXPECT_EQ(runCli(t, "embed " + zip + " file_id.diz").status, 2);
    EXPECT_EQ(runCli(t, "embed " + zip + " file_id.diz " + shellQuote(t / "nothing.txt")).status, 2);
}

} // namespace
