// korvel-cli catalog over a tree of archives made here by `zip`, Python's zipfile, `7z` and
// `bsdtar`: good ones, ones without a description, damaged and encrypted ones, nested folders,
// names with blanks and Latin-1 bytes. FILES.BBS is compared line by line, the JSON read back by
// Python, the HTML page opened in headless Chromium with its search box filled in.
#include "KorvelCli.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace korvel::test;

namespace {

const std::string cli = std::string(KORVEL_BIN_DIR) + "/korvel-cli";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string l = text.substr(start, end - start);
        if (!l.empty() && l.back() == '\r')
            l.pop_back();
        out.push_back(l);
        start = end + 1;
    }
    return out;
}

std::string padded(const std::string& name, std::uintmax_t size, const std::string& first) {
    std::string line = name;
    line.append(name.size() < 12 ? 12 - name.size() : 0, ' ');
    const std::string s = std::to_string(size);
    return line + " " + std::string(s.size() < 8 ? 8 - s.size() : 0, ' ') + s + " 12-31-95  " + first;
}

class CatalogCli : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        const std::string src = t / "src";
        writeFile(src + "/file_id.diz", "\xC9\xCD\xCD\xBB Space Game \xB1\xB2\r\n\xC8\xCD\xCD\xBC v1.0\r\n");
        writeFile(src + "/readme.txt", "Read me first\r\n");
        writeFile(src + "/data.bin", std::string(5000, 'd'));
        std::string many;
        for (int i = 1; i <= 50; ++i)
            many += "line " + std::to_string(i) + "\r\n";
        writeFile(src + "/many/file_id.diz", many);
        writeFile(src + "/ansi/file_id.diz", "\x1B[1;33mGold\x1B[0m and \x1B[34mblue\x1B[0m\r\n");
        const std::string f = t / "files";
        fs::create_directories(f + "/sub/deeper");
        ASSERT_EQ(zipTool(src, "-0 " + shellQuote(f + "/GAME.ZIP") + " file_id.diz data.bin"), 0);
        ASSERT_EQ(zipTool(src, shellQuote(f + "/readme only.zip") + " readme.txt"), 0);
        ASSERT_EQ(zipTool(src, shellQuote(f + "/nodesc.zip") + " data.bin"), 0);
        ASSERT_EQ(zipTool(src, "-P secret " + shellQuote(f + "/secret.zip") + " file_id.diz"), 0);
        ASSERT_EQ(zipTool(src + "/many", shellQuote(f + "/sub/many.zip") + " file_id.diz"), 0);
        ASSERT_EQ(zipTool(src + "/ansi", shellQuote(f + "/sub/deeper/ANSI.ZIP") + " file_id.diz"), 0);
        // Other formats through the archive reader: a 7z with a description, a tar.xz without one
        // and a lone compressed file, which is no archive at all.
        writeFile(src + "/seven/file_id.diz", "Seven tools\r\n");
        ASSERT_EQ(run("cd " + shellQuote(src + "/seven") + " && 7z a -bd " +
                      shellQuote(f + "/sub/deeper/tools.7z") + " file_id.diz >/dev/null"),
                  0);
        ASSERT_EQ(run("bsdtar -cJf " + shellQuote(f + "/sub/deeper/docs.tar.xz") + " -C " + shellQuote(src) +
                      " data.bin"),
                  0);
        ASSERT_EQ(run("gzip -c " + shellQuote(src + "/data.bin") + " >" +
                      shellQuote(f + "/sub/deeper/data.bin.gz")),
                  0);
        writeFile(f + "/garbage.zip", "this was never an archive");
        writeFile(f + "/sub/notes.txt", "not an archive");
        // A Latin-1 file name, a truncated archive and one whose description's bytes are damaged.
        ASSERT_EQ(python(t / "", "import zipfile\n"
                                 "with zipfile.ZipFile(open(b'files/caf\\xe9 bar.zip', 'wb'), 'w', "
                                 "zipfile.ZIP_DEFLATED) as z:\n"
                                 "    z.writestr('FILE_ID.DIZ', b'Caf\\x82 tunes\\r\\n')\n"
                                 "with zipfile.ZipFile('files/crc.zip', 'w', zipfile.ZIP_STORED) as z:\n"
                                 "    z.writestr('file_id.diz', 'GOODTEXT' * 4)\n"
                                 "b = bytearray(open('files/crc.zip', 'rb').read())\n"
                                 "i = b.find(b'GOODTEXT'); b[i:i+4] = b'EVIL'\n"
                                 "open('files/crc.zip', 'wb').write(b)\n"
                                 "b = open('files/GAME.ZIP', 'rb').read()\n"
                                 "open('files/damaged.zip', 'wb').write(b[:len(b) // 2])\n"),
                  0);
        for (const auto& e : fs::recursive_directory_iterator(f))
            setMtime(e.path().string(), 820368000); // 12-31-95 00:00 UTC
        files = f;
    }

    CliRun korvel(const std::string& args) { return runCli(t, "catalog " + args, "TZ=UTC"); }
    std::uintmax_t size(const std::string& rel) { return fs::file_size(files + "/" + rel); }

    TempDir t;
    std::string files;
};

TEST_F(CatalogCli, FilesBbsLineByLine) {
    const std::string out = t / "FILES.BBS";
    const CliRun r =
        korvel("--recursive --max-lines 4 --output " + shellQuote(out) + " " + shellQuote(files));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, ""); // silent without a terminal
    const std::string ind(32, ' ');
    const std::vector<std::string> expected = {
        padded("caf\x82 bar.zip", size("caf\xE9 bar.zip"), "Caf\x82 tunes"),
        padded("crc.zip", size("crc.zip"), "(damaged: file_id.diz is damaged)"),
        padded("damaged.zip", size("damaged.zip"),
               "(damaged: not a ZIP archive, or its directory is damaged)"),
        padded("GAME.ZIP", size("GAME.ZIP"), "\xC9\xCD\xCD\xBB Space Game \xB1\xB2"),
        ind + "\xC8\xCD\xCD\xBC v1.0",
        padded("garbage.zip", size("garbage.zip"),
               "(damaged: not a ZIP archive, or its directory is damaged)"),
        padded("nodesc.zip", size("nodesc.zip"), "(no description)"),
        padded("readme only.zip", size("readme only.zip"), "Read me first"),
        padded("secret.zip", size("secret.zip"), "(encrypted: file_id.diz is encrypted)"),
        padded("sub/many.zip", size("sub/many.zip"), "line 1"),
        ind + "line 2",
        ind + "line 3",
        ind + "line 4",
        ind + "(46 more lines)",
        padded("sub/deeper/ANSI.ZIP", size("sub/deeper/ANSI.ZIP"), "Gold and blue"),
        padded("sub/deeper/docs.tar.xz", size("sub/deeper/docs.tar.xz"), "(no description)"),
        padded("sub/deeper/tools.7z", size("sub/deeper/tools.7z"), "Seven tools"),
    };
    EXPECT_EQ(lines(readFile(out)), expected);
    EXPECT_NE(readFile(out).find("\r\n"), std::string::npos);

    // Without --recursive only the top folder; without --output the catalogue goes to stdout.
    const CliRun flat = korvel("--mode readme " + shellQuote(files));
    EXPECT_EQ(flat.status, 0) << flat.err;
    const auto got = lines(flat.out);
    ASSERT_EQ(got.size(), 8u) << flat.out;
    EXPECT_EQ(got[3], padded("GAME.ZIP", size("GAME.ZIP"), "(no description)"));
    EXPECT_EQ(got[6], padded("readme only.zip", size("readme only.zip"), "Read me first"));
}

TEST_F(CatalogCli, JsonParsesBack) {
    const std::string out = t / "catalog.json";
    const CliRun r =
        korvel("--format json --recursive --output " + shellQuote(out) + " " + shellQuote(files));
    ASSERT_EQ(r.status, 0) << r.err;
    writeFile(t / "check.py",
              "import json, sys\n"
              "for line in open(sys.argv[1], encoding='utf-8'):\n"
              "    o = json.loads(line)\n"
              "    raw = bytes.fromhex(o['path_bytes']) if 'path_bytes' in o else o['path'].encode()\n"
              "    assert raw.startswith(sys.argv[2].encode()), raw\n"
              "    assert o['modified'] == '1995-12-31T00:00:00Z', o['modified']\n"
              "    d = o.get('description', '').split('\\n')[0]\n"
              "    print('|'.join([o['name'], o['status'], o.get('member', ''), d, o.get('reason', ''),\n"
              "                    str(o['size'] > 0), o['format']]))\n");
    std::string printed;
    ASSERT_EQ(run("python3 " + shellQuote(t / "check.py") + " " + shellQuote(out) + " " + shellQuote(files),
                  &printed),
              0);
    EXPECT_EQ(printed,
              "caf\u00e9 bar.zip|found|file_id.diz|Caf\u00e9 tunes||True|zip\n"
              "crc.zip|damaged|||file_id.diz is damaged|True|zip\n"
              "damaged.zip|damaged|||not a ZIP archive, or its directory is damaged|True|zip\n"
              "GAME.ZIP|found|file_id.diz|\u2554\u2550\u2550\u2557 Space Game \u2592\u2593||True|zip\n"
              "garbage.zip|damaged|||not a ZIP archive, or its directory is damaged|True|zip\n"
              "nodesc.zip|none||||True|zip\n"
              "readme only.zip|found|readme.txt|Read me first||True|zip\n"
              "secret.zip|encrypted|||file_id.diz is encrypted|True|zip\n"
              "sub/many.zip|found|file_id.diz|line 1||True|zip\n"
              "sub/deeper/ANSI.ZIP|found|file_id.diz|Gold and blue||True|zip\n"
              "sub/deeper/docs.tar.xz|none||||True|tar\n"
              "sub/deeper/tools.7z|found|file_id.diz|Seven tools||True|7z\n");
}

TEST_F(CatalogCli, HtmlSearchBoxFindsAnEntryInChromium) {
    if (run("command -v chromium >/dev/null") != 0)
        GTEST_SKIP() << "chromium is not installed (scripts/setup installs it)";
    const std::string out = t / "catalog.html";
    const CliRun r =
        korvel("--format html --recursive --output " + shellQuote(out) + " " + shellQuote(files));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string dom;
    ASSERT_EQ(run("DBUS_SESSION_BUS_ADDRESS=disabled: chromium --headless --no-sandbox --disable-gpu "
                  "--user-data-dir=" +
                      shellQuote(t / "profile") + " --dump-dom " +
                      shellQuote("file://" + out + "#search=SPACE%20game") + " 2>/dev/null",
                  &dom),
              0);
    // Twelve archives, one of them found by the two words; its entry shows, the others are hidden.
    EXPECT_NE(dom.find("<span id=\"count\">1 of 12 archives</span>"), std::string::npos)
        << dom.substr(0, 3000);
    EXPECT_NE(dom.find("<section class=\"entry\" id=\"a3\">"), std::string::npos);
    EXPECT_NE(dom.find("<section class=\"entry\" id=\"a0\" hidden=\"\">"), std::string::npos);
    EXPECT_NE(dom.find("<li id=\"t3\"><a href=\"#a3\">GAME.ZIP</a></li>"), std::string::npos);
    EXPECT_NE(dom.find("<li id=\"t9\" hidden=\"\">"), std::string::npos);
    EXPECT_NE(dom.find("\u2554\u2550\u2550\u2557 Space Game \u2592\u2593"), std::string::npos);
    // The ANSI description in colour.
    EXPECT_NE(dom.find("<span class=\"f11\">Gold</span> and <span class=\"f4\">blue</span>"),
              std::string::npos);
}

TEST_F(CatalogCli, SecondRunAnswersFromTheCache) {
    const std::string out = t / "FILES.BBS";
    const std::string args = "--recursive --output " + shellQuote(out) + " " + shellQuote(files);
    ASSERT_EQ(korvel(args).status, 0);
    const std::string first = readFile(out);
    EXPECT_TRUE(fs::exists(out + ".korvel-cache"));
    // Same size and time, another description: the cache answers; --no-cache looks again.
    const auto before = size("GAME.ZIP");
    writeFile(t / "src/file_id.diz", "\xC9\xCD\xCD\xBB Outer Game \xB1\xB2\r\n\xC8\xCD\xCD\xBC v1.0\r\n");
    fs::remove(files + "/GAME.ZIP");
    ASSERT_EQ(zipTool(t / "src", "-0 " + shellQuote(files + "/GAME.ZIP") + " file_id.diz data.bin"), 0);
    ASSERT_EQ(size("GAME.ZIP"), before);
    setMtime(files + "/GAME.ZIP", 820368000);
    ASSERT_EQ(korvel(args).status, 0);
    EXPECT_EQ(readFile(out), first);
    ASSERT_EQ(korvel("--no-cache " + args).status, 0);
    EXPECT_NE(readFile(out).find("Outer Game"), std::string::npos);
    // A changed time is a changed archive.
    setMtime(files + "/GAME.ZIP", 820368060);
    ASSERT_EQ(korvel(args).status, 0);
    EXPECT_NE(readFile(out).find("Outer Game"), std::string::npos);
}

TEST_F(CatalogCli, BadArguments) {
    const std::string cases[] = {"",
                                 "--format pdf " + files,
                                 "--mode sideways " + files,
                                 "--max-lines 0 " + files,
                                 "--custom-list /nonexistent " + files,
                                 "--bogus " + files};
    for (const auto& c : cases)
        EXPECT_EQ(korvel(c).status, 2) << c;
    const CliRun r = korvel(shellQuote(t / "missing"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read folder"), std::string::npos) << r.err;
}

TEST_F(CatalogCli, CtrlCLeavesNoHalfWrittenFile) {
    // Enough work to be caught midway: an archive of 60,000 members, linked under 300 names.
    ASSERT_EQ(python(t / "", "import zipfile, os\n"
                             "os.makedirs('big', exist_ok=True)\n"
                             "with zipfile.ZipFile('big/0.zip', 'w') as z:\n"
                             "    for i in range(60000): z.writestr('m%d' % i, '')\n"
                             "for i in range(1, 300): os.link('big/0.zip', 'big/%d.zip' % i)\n"),
              0);
    const std::string out = t / "out/FILES.BBS";
    writeFile(out, "old\r\n");
    // A signal that comes before the program has started ends it the default way: wait longer.
    int status = 0;
    for (int wait : {300, 800, 2000}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::execl(cli.c_str(), cli.c_str(), "catalog", "--no-cache", "--output", out.c_str(),
                    (t / "big").c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::usleep(static_cast<useconds_t>(wait) * 1000);
        ::kill(pid, SIGINT);
        ::waitpid(pid, &status, 0);
        if (WIFEXITED(status))
            break;
    }
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 0)
        GTEST_SKIP() << "the run ended before it could be stopped";
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_EQ(readFile(out), "old\r\n");
    std::size_t entries = 0;
    for (const auto& e : fs::directory_iterator(t / "out"))
        entries += e.path().filename() != "FILES.BBS";
    EXPECT_EQ(entries, 0u);
}

} // namespace
