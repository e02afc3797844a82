// The unzip engine reads archives made by the real zip tool: stored, deflated, with folders,
// zip64, CP437 names. Its listing agrees with `unzip -Z -l`; print and extraction give back the
// original bytes.
#include "ArchiveFixtures.h"
#include "EngineCalls.h"

#include <gtest/gtest.h>

#include <map>

using namespace korvel::test;

namespace {

// A small tree with text, binary and empty files, nested folders and a name with blanks.
std::map<std::string, std::string> makeTree(const std::string& root) {
    std::map<std::string, std::string> files;
    files["src/file_id.diz"] = "\xC9\xCD\xCD\xBB KORVEL \xC8\xCD\xCD\xBC\r\n";
    files["src/readme.txt"] = std::string(5000, 'r');
    files["src/empty.bin"] = "";
    std::string bin;
    for (int i = 0; i < 70000; ++i)
        bin += static_cast<char>((i * 7919) >> 3);
    files["src/deep/er/binary.dat"] = bin;
    files["src/with blank.txt"] = "blank name\n";
    for (auto& [name, data] : files)
        writeFile(root + "/" + name, data);
    return files;
}

struct PeerCase {
    const char* label;
    const char* zipArgs;
    const char* method; // method name expected for the big files
};

class ZipToolArchives : public ::testing::TestWithParam<PeerCase> {};

TEST_P(ZipToolArchives, ListingAgreesWithZipinfo) {
    TempDir t;
    makeTree(t.path().string());
    ASSERT_EQ(zipTool(t.path().string(), std::string(GetParam().zipArgs) + " a.zip src"), 0);
    const std::string zip = t / "a.zip";
    ASSERT_EQ(listArchive(zip), PK_OK);

    std::string out;
    ASSERT_EQ(run("unzip -Z -l " + shellQuote(zip), &out), 0);
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::istringstream in(out);
    std::string l;
    size_t i = 0;
    while (std::getline(in, l)) {
        // "-rw-r--r--  3.0 unx     6 tx     6 stor 26-Dec-08 14:00 src/file_id.diz"
        std::istringstream f(l);
        std::string perms, ver, os, size, tx, csize, method, date, time, name;
        if (!(f >> perms >> ver >> os >> size >> tx >> csize >> method >> date >> time) || date.size() != 9 ||
            date[2] != '-' || time.size() != 5 || size.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::getline(f, name);
        name.erase(0, 1);
        ASSERT_LT(i, Recorder::listed.size());
        const Listed& x = Recorder::listed[i++];
        SCOPED_TRACE(l);
        EXPECT_EQ(x.name, name);
        EXPECT_EQ(x.size, std::stoull(size));
        EXPECT_EQ(x.csize, std::stoull(csize));
        EXPECT_EQ(x.yr, static_cast<unsigned>(std::stoi(date.substr(0, 2))));
        EXPECT_EQ(std::string(months[x.mo - 1]), date.substr(3, 3));
        EXPECT_EQ(x.dy, static_cast<unsigned>(std::stoi(date.substr(7, 2))));
        EXPECT_EQ(x.hh, static_cast<unsigned>(std::stoi(time.substr(0, 2))));
        EXPECT_EQ(x.mm, static_cast<unsigned>(std::stoi(time.substr(3, 2))));
    }
    EXPECT_EQ(i, Recorder::listed.size());
    EXPECT_GE(i, 8u);
}

TEST_P(ZipToolArchives, PrintAndExtractGiveTheOriginalBytes) {
    TempDir t;
    auto files = makeTree(t.path().string());
    ASSERT_EQ(zipTool(t.path().string(), std::string(GetParam().zipArgs) + " a.zip src"), 0);
    const std::string zip = t / "a.zip";
    for (auto& [name, data] : files) {
        std::string got;
        EXPECT_EQ(printMember(zip, name, &got), PK_OK) << name;
        EXPECT_EQ(got, data) << name;
    }
    Request r(zip, t / "out");
    r.d.ndflag = 1;
    EXPECT_EQ(r.call(), PK_OK);
    for (auto& [name, data] : files)
        EXPECT_EQ(readFile(t / ("out/" + name)), data) << name;
    EXPECT_TRUE(fs::is_directory(t / "out/src/deep/er"));
}

TEST_P(ZipToolArchives, MethodAndCrcAreReported) {
    TempDir t;
    makeTree(t.path().string());
    ASSERT_EQ(zipTool(t.path().string(), std::string(GetParam().zipArgs) + " a.zip src"), 0);
    ASSERT_EQ(listArchive(t / "a.zip"), PK_OK);
    std::string out;
    run("unzip -v " + shellQuote(t / "a.zip"), &out);
    for (const auto& x : Recorder::listed) {
        if (x.name == "src/deep/er/binary.dat") {
            EXPECT_EQ(x.method, GetParam().method);
            char crc[16];
            std::snprintf(crc, sizeof crc, "%08lx", x.crc);
            EXPECT_NE(out.find(crc), std::string::npos) << crc;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Peers, ZipToolArchives,
                         ::testing::Values(PeerCase{"stored", "-r -0", "Stored"},
                                           PeerCase{"deflated", "-r -9", "Defl:N"},
                                           PeerCase{"noextra", "-r -X", "Defl:N"},
                                           PeerCase{"zip64", "-r -fz", "Defl:N"}),
                         [](const auto& info) { return std::string(info.param.label); });

// A member name in code page 437 without the UTF-8 flag, as DOS tools wrote them.
std::string cp437Archive(const TempDir& t) {
    python(t.path().string(), R"(
import struct, zlib
name = "caf\u00e9_\u2591.txt".encode("cp437")
data = b"DOS name\r\n"
crc = zlib.crc32(data)
lh = struct.pack("<IHHHHHIIIHH", 0x04034b50, 20, 0, 0, 0x2c20, 0x2c2c, crc, len(data), len(data), len(name), 0) + name + data
cd = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014b50, 20, 20, 0, 0, 0x2c20, 0x2c2c, crc, len(data), len(data), len(name), 0, 0, 0, 0, 0x20, 0) + name
eocd = struct.pack("<IHHHHIIH", 0x06054b50, 0, 0, 1, 1, len(cd), len(lh), 0)
open("cp.zip", "wb").write(lh + cd + eocd)
)");
    return t / "cp.zip";
}

TEST(Cp437Names, AreDecodedForListingPrintAndExtraction) {
    TempDir t;
    const std::string zip = cp437Archive(t);
    ASSERT_EQ(listArchive(zip), PK_OK);
    ASSERT_EQ(Recorder::listed.size(), 1u);
    EXPECT_EQ(Recorder::listed[0].name, "caf\xC3\xA9_\xE2\x96\x91.txt"); // "café_░.txt" in UTF-8
    EXPECT_EQ(Recorder::listed[0].mo, 1u);
    EXPECT_EQ(Recorder::listed[0].dy, 12u);
    EXPECT_EQ(Recorder::listed[0].yr, 2u);
    EXPECT_EQ(Recorder::listed[0].hh, 5u);
    EXPECT_EQ(Recorder::listed[0].mm, 33u);
    std::string got;
    EXPECT_EQ(printMember(zip, "CAF\xC3\xA9_*.TXT", &got), PK_OK);
    EXPECT_EQ(got, "DOS name\r\n");
    Request r(zip, t / "out");
    EXPECT_EQ(r.call(), PK_OK);
    EXPECT_EQ(readFile(t / "out/caf\xC3\xA9_\xE2\x96\x91.txt"), "DOS name\r\n");
}

// The same stored bytes, not UTF-8, from two hosts: written on DOS they are code page 437, as
// unzip takes them; written on Unix (Latin-1 names from old disks, zipped by `zip`) they are the
// file system's bytes, listed, printed and extracted as such.
TEST(NonUtf8Names, FollowTheHostThatWroteThem) {
    const std::pair<int, std::string> hosts[] = {{0, "caf\xCE\x98.txt"}, {3, "caf\xE9.txt"}};
    for (const auto& [host, expected] : hosts) {
        TempDir t;
        python(
            t.path().string(),
            R"(
import struct, zlib
name, data = b"caf\xe9.txt", b"old disk\r\n"
crc = zlib.crc32(data)
lh = struct.pack("<IHHHHHIIIHH", 0x04034b50, 20, 0, 0, 0x2c20, 0x2c2c, crc, len(data), len(data), len(name), 0) + name + data
cd = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014b50, ()" +
                std::to_string(host) +
                R"( << 8) | 20, 20, 0, 0, 0x2c20, 0x2c2c, crc, len(data), len(data), len(name), 0, 0, 0, 0, 0x20, 0) + name
eocd = struct.pack("<IHHHHIIH", 0x06054b50, 0, 0, 1, 1, len(cd), len(lh), 0)
open("n.zip", "wb").write(lh + cd + eocd)
)");
        const std::string zip = t / "n.zip";
        ASSERT_EQ(listArchive(zip), PK_OK) << host;
        ASSERT_EQ(Recorder::listed.size(), 1u) << host;
        EXPECT_EQ(Recorder::listed[0].name, expected) << host;
        std::string got;
        EXPECT_EQ(printMember(zip, expected, &got), PK_OK) << host;
        EXPECT_EQ(got, "old disk\r\n") << host;
        Request r(zip, t / "out");
        EXPECT_EQ(r.call(), PK_OK) << host;
        EXPECT_EQ(readFile(t / ("out/" + expected)), "old disk\r\n") << host;
    }
}

TEST(Utf8Names, FromTheZipToolRoundTrip) {
    TempDir t;
    writeFile(t / "src/\xC3\xBC"
                  "ber.txt",
              "u");
    ASSERT_EQ(zipTool(t.path().string(), "-r a.zip src"), 0);
    ASSERT_EQ(listArchive(t / "a.zip"), PK_OK);
    ASSERT_EQ(Recorder::listed.size(), 2u);
    EXPECT_EQ(Recorder::listed[1].name, "src/\xC3\xBC"
                                        "ber.txt");
}

} // namespace

namespace {

// Listing and print read the directory directly, extraction through libzip: both must see the
// same names, whatever bytes the names hold.
TEST(NameDecoding, ListingAndExtractionAgree) {
    TempDir t;
    // Raw name bytes, written by hand: code page 437, control bytes, valid UTF-8, the UTF-8 flag.
    python(t.path().string(), R"(
import struct, zlib
names = [(b'plain.txt', 0), (b'\x82t\x82.txt', 0), (b'ctl\x01\x82.txt', 0), (b'tab\tname\x7f\x99.txt', 0),
         ('\u00fcber.txt'.encode('utf-8'), 0), ('flagged\u00e9.txt'.encode('utf-8'), 0x800)]
local = b''; central = b''
for raw, flag in names:
    data = b'content of ' + raw
    crc = zlib.crc32(data)
    off = len(local)
    local += struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, flag, 0, 0, 0x2c2c, crc, len(data), len(data), len(raw), 0) + raw + data
    central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 20, 20, flag, 0, 0, 0x2c2c, crc, len(data), len(data), len(raw), 0, 0, 0, 0, 0, off) + raw
eocd = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, len(names), len(names), len(central), len(local), 0)
open('names.zip', 'wb').write(local + central + eocd)
)");
    const std::string zip = t / "names.zip";
    ASSERT_EQ(listArchive(zip), PK_OK);
    const std::vector<Listed> listed = Recorder::listed;
    ASSERT_EQ(listed.size(), 6u);
    Request r(zip, t / "out");
    EXPECT_EQ(r.call(), PK_OK);
    for (const auto& l : listed) {
        EXPECT_TRUE(fs::exists(t / ("out/" + l.name))) << l.name;
        std::string got;
        EXPECT_EQ(printMember(zip, l.name, &got, false), PK_OK) << l.name;
        EXPECT_EQ(readFile(t / ("out/" + l.name)), got) << l.name;
    }
}

TEST(OddLayouts, DataBeforeTheArchiveAndDataDescriptorsAreRead) {
    TempDir t;
    writeFile(t / "f.txt", std::string(3000, 'f'));
    ASSERT_EQ(zipTool(t.path().string(), "a.zip f.txt"), 0);
    writeFile(t / "sfx.zip", std::string(1000, '\x90') + readFile(t / "a.zip"));
    ASSERT_EQ(run("cd " + shellQuote(t.path().string()) + " && zip -qA sfx.zip"), 0); // offsets adjusted
    std::string got;
    EXPECT_EQ(printMember(t / "sfx.zip", "f.txt", &got), PK_OK);
    EXPECT_EQ(got.size(), 3000u);
    // Streamed members carry their sizes after the data.
    ASSERT_EQ(run("cd " + shellQuote(t.path().string()) + " && cat f.txt | zip -q - - > stream.zip"), 0);
    EXPECT_EQ(printMember(t / "stream.zip", "-", &got), PK_OK);
    EXPECT_EQ(got, std::string(3000, 'f'));
    // Unadjusted offsets: whatever the result, no crash and no wrong bytes.
    writeFile(t / "raw.zip", std::string(1000, '\x90') + readFile(t / "a.zip"));
    if (printMember(t / "raw.zip", "f.txt", &got) == PK_OK) {
        EXPECT_EQ(got, std::string(3000, 'f'));
    }
}

} // namespace
