// The unzip engine keeps the parsed directory of the archives it printed from: repeated print
// requests must still see every change to the archive, and the name index must answer exactly as
// a walk over the directory would (case folding, case variants, wildcards, folders).
#include "ArchiveFixtures.h"
#include "EngineCalls.h"

#include <gtest/gtest.h>

using namespace korvel::test;

namespace {

// An archive of the given members, stored (so equal lengths give equal archive sizes).
void storedArchive(const TempDir& t, const std::string& zip,
                   const std::vector<std::pair<std::string, std::string>>& m, int dateYear = 2001) {
    std::string script = "import zipfile\nz = zipfile.ZipFile('" + zip + "', 'w', zipfile.ZIP_STORED)\n";
    for (auto& [name, data] : m) {
        std::string hex;
        for (unsigned char c : data) {
            char b[3];
            std::snprintf(b, sizeof b, "%02x", c);
            hex += b;
        }
        script += "z.writestr(zipfile.ZipInfo('" + name + "', (" + std::to_string(dateYear) +
                  ",1,1,0,0,0)), bytes.fromhex('" + hex + "'))\n";
    }
    script += "z.close()\n";
    ASSERT_EQ(python(t.path().string(), script), 0);
}

TEST(DirCache, SeesAnArchiveRewrittenWithTheSameSize) {
    TempDir t;
    const std::string zip = t / "a.zip";
    storedArchive(t, zip, {{"file_id.diz", "first text\r\n"}, {"other.txt", "x"}});
    std::string out;
    ASSERT_EQ(printMember(zip, "file_id.diz", &out), PK_OK);
    EXPECT_EQ(out, "first text\r\n");
    EXPECT_EQ(printMember(zip, "readme.txt"), PK_FIND);

    const auto before = std::filesystem::file_size(zip);
    const time_t when = mtimeOf(zip);
    storedArchive(t, zip, {{"file_id.diz", "other text\r\n"}, {"other.txt", "y"}});
    ASSERT_EQ(std::filesystem::file_size(zip), before);
    setMtime(zip, when + 10);
    ASSERT_EQ(printMember(zip, "file_id.diz", &out), PK_OK);
    EXPECT_EQ(out, "other text\r\n");

    // Rewritten in place with the old time put back: the change time still tells.
    storedArchive(t, zip, {{"file_id.diz", "third text\r\n"}, {"other.txt", "z"}});
    setMtime(zip, when + 10);
    ASSERT_EQ(printMember(zip, "file_id.diz", &out), PK_OK);
    EXPECT_EQ(out, "third text\r\n");
}

TEST(DirCache, SeesAMemberAddedAndAnArchiveReplacedByRename) {
    TempDir t;
    const std::string zip = t / "a.zip";
    storedArchive(t, zip, {{"other.txt", "x"}});
    EXPECT_EQ(printMember(zip, "file_id.diz"), PK_FIND);
    storedArchive(t, t / "b.zip", {{"other.txt", "x"}, {"FILE_ID.DIZ", "new"}});
    std::filesystem::rename(t / "b.zip", zip);
    std::string out;
    ASSERT_EQ(printMember(zip, "file_id.diz", &out), PK_OK);
    EXPECT_EQ(out, "new");
    std::filesystem::remove(zip);
    EXPECT_NE(printMember(zip, "file_id.diz"), PK_OK);
}

TEST(DirCache, KeepsTwoArchivesApart) {
    TempDir t;
    storedArchive(t, t / "a.zip", {{"file_id.diz", "A"}});
    storedArchive(t, t / "b.zip", {{"file_id.diz", "B"}});
    storedArchive(t, t / "c.zip", {{"file_id.diz", "C"}});
    for (int round = 0; round < 2; ++round) {
        for (const char* n : {"a", "b", "c", "a", "c"}) {
            std::string out;
            ASSERT_EQ(printMember(t / (std::string(n) + ".zip"), "file_id.diz", &out), PK_OK);
            EXPECT_EQ(out, std::string(1, static_cast<char>(std::toupper(n[0]))));
        }
    }
}

struct NameCase {
    const char* label;
    const char* asked;
    bool ignoreCase;
    int result;
    const char* delivered; // the members' texts, in directory order
};

class IndexedNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(IndexedNames, AnswerAsTheDirectoryWalkWould) {
    TempDir t;
    const std::string zip = t / "n.zip";
    storedArchive(t, zip,
                  {{"File_ID.diz", "1"},
                   {"sub/", ""},
                   {"sub/file_id.diz", "2"},
                   {"FILE_ID.DIZ", "3"},
                   {"readme.txt", "4"},
                   {"info.nfo", ""}});
    // First the index built during the walk, then the index kept.
    for (int round = 0; round < 3; ++round) {
        std::string out;
        EXPECT_EQ(printMember(zip, GetParam().asked, &out, GetParam().ignoreCase), GetParam().result);
        EXPECT_EQ(out, GetParam().delivered);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cache, IndexedNames,
    ::testing::Values(NameCase{"FoldedFindsEveryVariant", "file_id.diz", true, PK_OK, "13"},
                      NameCase{"ExactFindsOne", "FILE_ID.DIZ", false, PK_OK, "3"},
                      NameCase{"ExactMissesOtherCase", "file_id.diz", false, PK_FIND, ""},
                      NameCase{"PathNameIsWhole", "sub/FILE_ID.DIZ", true, PK_OK, "2"},
                      NameCase{"NoPartialMatch", "file_id", true, PK_FIND, ""},
                      NameCase{"Missing", "nothing.txt", true, PK_FIND, ""},
                      NameCase{"FolderHasNoText", "sub/", true, PK_FIND, ""},
                      NameCase{"EmptyMemberIsFound", "INFO.NFO", true, PK_OK, ""},
                      NameCase{"WildcardStillScans", "*file_id.diz", true, PK_OK, "123"},
                      NameCase{"SetPattern", "[r]eadme.*", true, PK_OK, "4"}),
    [](const auto& info) { return std::string(info.param.label); });

// What a kept index must give back from the directory it no longer parses: the offset of data in
// front of the archive, the archive comment, names decoded from code page 437 or the Unicode path
// field, and members asked by several names in directory order.
struct KeptCase {
    const char* label;
    const char* python; // writes k.zip; `z` is a ZipFile writing into `buf`
    std::vector<std::string> asked;
    bool comment;
    const char* delivered;
};

class KeptIndex : public ::testing::TestWithParam<KeptCase> {};

TEST_P(KeptIndex, AnswersAsTheFirstRequest) {
    TempDir t;
    ASSERT_EQ(python(t.path().string(), std::string("import io, struct, zipfile, zlib\n"
                                                    "buf = io.BytesIO()\n"
                                                    "z = zipfile.ZipFile(buf, 'w')\n") +
                                            GetParam().python),
              0);
    for (int round = 0; round < 3; ++round) {
        Recorder::reset();
        Request r(t / "k.zip", "");
        r.d.ncflag = 1;
        r.d.nzflag = GetParam().comment;
        EXPECT_EQ(r.call(GetParam().asked), PK_OK);
        std::string out;
        for (auto& p : Recorder::printed)
            out += p;
        EXPECT_EQ(out, GetParam().delivered);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cache, KeptIndex,
    ::testing::Values(
        KeptCase{"DataInFront",
                 "z.writestr('a.txt', 'A'); z.writestr('b.txt', 'B'); z.close()\n"
                 "open('k.zip', 'wb').write(b'MZ' * 500 + buf.getvalue())\n",
                 {"B.TXT"},
                 false,
                 "B"},
        KeptCase{"Comment",
                 "z.comment = b'the comment'; z.writestr('a.txt', 'A'); z.close()\n"
                 "open('k.zip', 'wb').write(buf.getvalue())\n",
                 {"a.txt"},
                 true,
                 "Athe comment"},
        KeptCase{"CodePage437Name",
                 "i = zipfile.ZipInfo('cafX.txt'); i.create_system = 0; z.writestr(i, 'C'); z.close()\n"
                 "open('k.zip', 'wb').write(buf.getvalue().replace(b'cafX', b'caf\\x82'))\n",
                 {"CAF\u00e9.txt"},
                 false,
                 "C"},
        KeptCase{"UnicodePathField",
                 "i = zipfile.ZipInfo('u.txt')\n"
                 "up = b'\\x01' + struct.pack('<I', zlib.crc32(b'u.txt')) + '\u00fc.txt'.encode()\n"
                 "i.extra = struct.pack('<HH', 0x7075, len(up)) + up; z.writestr(i, 'U'); z.close()\n"
                 "open('k.zip', 'wb').write(buf.getvalue())\n",
                 {"\u00fc.TXT"},
                 false,
                 "U"},
        KeptCase{"SeveralNamesInDirectoryOrder",
                 "z.writestr('a.txt', 'A'); z.writestr('B.txt', 'B'); z.writestr('b.txt', 'b'); z.close()\n"
                 "open('k.zip', 'wb').write(buf.getvalue())\n",
                 {"b.txt", "a.txt", "B.TXT"},
                 false,
                 "ABb"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(DirCache, ManyMembersAndAHostileDirectoryAfterAGoodOne) {
    TempDir t;
    const std::string zip = t / "many.zip";
    ASSERT_EQ(python(t.path().string(), "import zipfile\n"
                                        "z = zipfile.ZipFile('many.zip', 'w')\n"
                                        "for i in range(3000): z.writestr('m%05d.txt' % i, 'member %d' % i)\n"
                                        "z.close()\n"),
              0);
    std::string out;
    ASSERT_EQ(printMember(zip, "M02999.TXT", &out), PK_OK);
    EXPECT_EQ(out, "member 2999");
    // Damage the directory (first record's signature): the next request reads again and fails
    // cleanly instead of trusting the old index.
    std::string bytes = readFile(zip);
    const size_t cd = bytes.find("PK\x01\x02");
    ASSERT_NE(cd, std::string::npos);
    bytes[cd + 2] = 'X';
    writeFile(zip, bytes);
    setMtime(zip, mtimeOf(zip) + 5);
    EXPECT_NE(printMember(zip, "m02999.txt", &out), PK_OK);
}

} // namespace
