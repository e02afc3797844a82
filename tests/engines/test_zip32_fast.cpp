// Saving a description into an existing archive takes the zip engine's raw-copy path when it
// understands the archive, libzip's otherwise. Either way: the archive tests sound with `unzip
// -t`, every other member keeps its bytes and CRC, the comment stays, and a failure anywhere
// leaves the archive byte for byte as it was, with no temporary file left beside it.
#include "ArchiveFixtures.h"
#include "EngineCalls.h"

#include <gtest/gtest.h>

#include <map>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

using namespace korvel::test;

namespace {

ZPOPT embedding(char level = '6') {
    ZPOPT o{};
    o.fExtra = -1;
    o.fJunkDir = -1;
    o.fGrow = -1;
    o.fLevel = level;
    return o;
}

// `unzip -v` lines by member name (sizes, method, CRC, name: the date is left out).
std::map<std::string, std::string> crcLines(const std::string& zip) {
    std::string out;
    run("unzip -v " + shellQuote(zip) + " 2>/dev/null", &out);
    std::map<std::string, std::string> lines;
    std::istringstream in(out);
    std::string l;
    while (std::getline(in, l)) {
        std::istringstream f(l);
        std::string len, method, size, pct, date, time, crc, name;
        if (f >> len >> method >> size >> pct >> date >> time >> crc && std::getline(f >> std::ws, name) &&
            crc.size() == 8 && crc.find_first_not_of("0123456789abcdef") == std::string::npos)
            lines[name] = len + " " + method + " " + size + " " + crc;
    }
    return lines;
}

std::string member(const std::string& zip, const std::string& name) {
    std::string out;
    run("unzip -p " + shellQuote(zip) + " " + shellQuote(name), &out);
    return out;
}

std::string comment(const std::string& zip) {
    std::string out;
    run("unzip -zq " + shellQuote(zip) + " 2>/dev/null", &out);
    return out;
}

// Files in the folder other than the ones named: leftovers of a failed save.
std::vector<std::string> strays(const TempDir& t, std::vector<std::string> known) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(t.path())) {
        const std::string n = e.path().filename().string();
        if (std::find(known.begin(), known.end(), n) == known.end())
            out.push_back(n);
    }
    return out;
}

struct Maker {
    const char* label;
    const char* command; // run in the folder holding a.txt, b.bin, file_id.diz; makes t.zip
    const char* after = "true";
    bool raw = true; // the raw-copy path takes it (its records say "2.0 unx"; libzip's "6.3")
};

class FastSave : public ::testing::TestWithParam<Maker> {};

TEST_P(FastSave, ReplacesOrAddsOneMemberAndKeepsEverythingElse) {
    for (const bool replace : {true, false}) {
        for (const char level : {'6', '0'}) {
            TempDir t;
            writeFile(t / "a.txt", std::string(20000, 'a') + "tail\n");
            std::string bin;
            for (int i = 0; i < 300000; ++i)
                bin += static_cast<char>((i * 2654435761u) >> 13);
            writeFile(t / "b.bin", bin);
            writeFile(t / "file_id.diz", "old description\r\n");
            const std::string zip = t / "t.zip";
            ASSERT_EQ(run("cd " + shellQuote(t.path().string()) + " && " + GetParam().command +
                          (replace ? " a.txt b.bin file_id.diz" : " a.txt b.bin") + " >/dev/null 2>&1 && " +
                          GetParam().after + " && " + "printf 'the comment\\n' | zip -qz t.zip >/dev/null"),
                      0);
            ASSERT_TRUE(unzipTestPasses(zip));
            const auto before = crcLines(zip);
            ::chmod(zip.c_str(), 0640);

            std::filesystem::create_directories(t / "new");
            const std::string desc = "\xC9\xCD\xBB new \xB0\xB1\xB2 text\r\n";
            writeFile(t / "new/file_id.diz", desc);
            ASSERT_EQ(zipFiles(zip, {t / "new/file_id.diz"}, embedding(level)), ZE_OK);

            EXPECT_TRUE(unzipTestPasses(zip)) << GetParam().label;
            EXPECT_EQ(member(zip, "file_id.diz"), desc);
            EXPECT_EQ(member(zip, "a.txt"), readFile(t / "a.txt"));
            EXPECT_EQ(member(zip, "b.bin"), bin);
            auto after = crcLines(zip);
            EXPECT_EQ(after.size(), before.size() + (replace ? 0 : 1));
            for (const char* n : {"a.txt", "b.bin"})
                EXPECT_EQ(after[n], before.at(n)) << n;
            EXPECT_NE(after["file_id.diz"].find(level == '0' ? "Stored" : "Defl:N"), std::string::npos);
            EXPECT_EQ(comment(zip), "the comment\n");
            std::string info;
            run("zipinfo " + shellQuote(zip) + " file_id.diz", &info);
            EXPECT_EQ(info.find(" 2.0 unx ") != std::string::npos, GetParam().raw) << info;
            struct stat st {};
            ::stat(zip.c_str(), &st);
            EXPECT_EQ(st.st_mode & 07777, 0640u);
            EXPECT_TRUE(strays(t, {"a.txt", "b.bin", "file_id.diz", "t.zip", "new"}).empty());
            // The engine's own reader agrees, and a second save over the first one works.
            std::string printed;
            EXPECT_EQ(printMember(zip, "FILE_ID.DIZ", &printed), PK_OK);
            EXPECT_EQ(printed, desc);
            writeFile(t / "new/file_id.diz", "second\r\n");
            ASSERT_EQ(zipFiles(zip, {t / "new/file_id.diz"}, embedding(level)), ZE_OK);
            EXPECT_TRUE(unzipTestPasses(zip));
            EXPECT_EQ(member(zip, "file_id.diz"), "second\r\n");
            EXPECT_EQ(crcLines(zip)["b.bin"], before.at("b.bin"));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Archives, FastSave,
    ::testing::Values(Maker{"deflated", "zip -q t.zip"}, Maker{"stored", "zip -q0 t.zip"},
                      Maker{"zip64", "zip -q -fz t.zip"}, Maker{"descriptors", "zip -q -fd t.zip"},
                      Maker{"streamed", "cat a.txt | zip -q - - > t.zip && zip -q t.zip"},
                      Maker{"selfExtractor", "zip -q t.zip",
                            "printf 'MZ stub' > s && cat t.zip >> s && mv s t.zip && zip -qA t.zip", false},
                      Maker{"python", "python3 -c \"import zipfile,sys; z=zipfile.ZipFile('t.zip','w',8); "
                                      "[z.write(n) for n in sys.argv[1:]]\""}),
    [](const auto& info) { return std::string(info.param.label); });

// An archive the save cannot read, and one it must not write: the archive stays as it was.
TEST(FastSaveFailure, DamagedDirectoryLeavesTheArchiveAlone) {
    TempDir t;
    writeFile(t / "a.txt", std::string(5000, 'a'));
    writeFile(t / "d/file_id.diz", "new\r\n");
    const std::string zip = t / "t.zip";
    ASSERT_EQ(zipTool(t.path().string(), "t.zip a.txt"), 0);
    for (const char* damage : {"signature", "offset", "count"}) {
        std::string bytes = readFile(zip);
        const size_t cd = bytes.find("PK\x01\x02");
        ASSERT_NE(cd, std::string::npos);
        std::string bad = bytes;
        if (std::string(damage) == "signature")
            bad[cd + 3] = 9;
        else if (std::string(damage) == "offset")
            bad[cd + 42] = 7; // the member's local header is not where the record says
        else
            bad[bad.size() - 22 + 10] = 5; // five members claimed
        writeFile(t / "bad.zip", bad);
        EXPECT_NE(zipFiles(t / "bad.zip", {t / "d/file_id.diz"}, embedding()), ZE_OK) << damage;
        EXPECT_EQ(readFile(t / "bad.zip"), bad) << damage;
        EXPECT_EQ(strays(t, {"a.txt", "d", "t.zip", "bad.zip"}), std::vector<std::string>{}) << damage;
    }
}

TEST(FastSaveFailure, AFullDiskLeavesTheArchiveByteIdentical) {
    TempDir t;
    std::string big;
    for (int i = 0; i < 2000000; ++i)
        big += static_cast<char>((i * 2654435761u) >> 11);
    writeFile(t / "big.bin", big);
    writeFile(t / "d/file_id.diz", "new\r\n");
    const std::string zip = t / "t.zip";
    ASSERT_EQ(zipTool(t.path().string(), "-0 t.zip big.bin"), 0);
    const std::string before = readFile(zip);
    // The save runs in a child that may write only half the archive's size.
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl {
            static_cast<rlim_t>(before.size() / 2), static_cast<rlim_t>(before.size() / 2)
        };
        ::setrlimit(RLIMIT_FSIZE, &rl);
        ::_exit(zipFiles(zip, {t / "d/file_id.diz"}, embedding()));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), ZE_OK);
    EXPECT_EQ(readFile(zip), before);
    EXPECT_EQ(strays(t, {"big.bin", "d", "t.zip"}), std::vector<std::string>{});
}

} // namespace
