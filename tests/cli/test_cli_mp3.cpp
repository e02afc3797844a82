// korvel-cli mp3 and tag, driven as a script would.
#include "AudioTestSupport.h"
#include "core/audio/StreamInfo.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>

using namespace korvel::test;

namespace {

const std::string Cli = std::string(KORVEL_BIN_DIR) + "/korvel-cli";

std::string cli(const std::string& args, int* status = nullptr) {
    return run(Cli + " " + args + " 2>&1", status);
}

// An MP3 made by lame from a sine the test writes (encoded once, copied for each test).
std::string makeMp3(const TempDir& dir, const std::string& name) {
    static TempDir once;
    static const std::string encoded = [] {
        auto mp3 = once / "src.mp3";
        encodeTone(mp3, 44100, 2, 3.0, "lame --quiet -b 128");
        return mp3;
    }();
    auto mp3 = dir / (name + ".mp3");
    writeBytes(mp3, readBytes(encoded));
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
    // Constant bit rate with LAME's "Info" header: the duration follows from its frame count.
    EXPECT_NE(out.find("\nDuration: 3.0 sec.\nMode: Joint Stereo\nEncoder: "), std::string::npos) << out;
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
    auto f = dir / "x.mp3";
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
    out = cli("tag --v2 --title T " + quote(dir / "missing.mp3"), &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("Can not save V2 tag to the file: "), std::string::npos) << out;
    out = cli("mp3 " + quote(dir / "missing.mp3"), &status);
    EXPECT_EQ(status, 1);
    out = cli("mp3 " + quote(f), &status); // zeros: readable, no stream
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("no usable MPEG audio stream"), std::string::npos) << out;
    EXPECT_NE(out.find("BitRate: \n"), std::string::npos) << out;
}

// --- tags written by other programs ---------------------------------------------------------------

namespace {

// Python helpers the cases use: mutagen to write and read tags, and byte-level changes that no
// tagger makes on request (a second frame of a kind, unsynchronisation, an extended header).
const char* PyHelpers = R"PY(
import sys, struct, zlib
from mutagen.id3 import ID3, APIC, TIT2, TPE1, TALB, TYER, TDRC, TCON, COMM, USLT, TXXX, TRCK
def syncsafe(n): return bytes([(n >> 21) & 127, (n >> 14) & 127, (n >> 7) & 127, n & 127])
def unsync_size(b): return (b[0] << 21) | (b[1] << 14) | (b[2] << 7) | b[3]
def split(path):
    d = open(path, 'rb').read()
    size = unsync_size(d[6:10]) + 10
    return d[:10], d[10:size], d[size:]
def join(path, header, body, rest, flags=None):
    h = bytearray(header)
    if flags is not None: h[5] = flags
    h[6:10] = syncsafe(len(body))
    open(path, 'wb').write(bytes(h) + body + rest)
def frame(version, fid, data, flags=0):
    size = syncsafe(len(data)) if version == 4 else struct.pack('>I', len(data))
    return fid.encode() + size + struct.pack('>H', flags) + data
def png():
    raw = b'\x00\xff\x00\x00'
    def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 1, 1, 8, 2, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
def rich(path, version):
    t = ID3()
    t.add(TIT2(encoding=3 if version == 4 else 1, text='Τίτλος Заголовок 标题'))
    t.add(TPE1(encoding=1, text='Исполнитель'))
    t.add(TALB(encoding=0, text='Album'))
    t.add(TRCK(encoding=0, text='3/12'))
    t.add(TCON(encoding=0, text='(17)'))
    t.add(COMM(encoding=1, lang='eng', desc='iTunNORM', text=' 00000A1B 00000C2D'))
    t.add(COMM(encoding=1, lang='eng', desc='', text='Главный комментарий'))
    t.add(COMM(encoding=0, lang='eng', desc='iTunSMPB', text=' 00000000 00000210'))
    t.add(USLT(encoding=1, lang='eng', desc='', text='la la\nla'))
    t.add(APIC(encoding=0, mime='image/png', type=3, desc='cover', data=png() * 50))
    t.add(TXXX(encoding=1, desc='mood', text='calm'))
    t.save(path, v2_version=version)
)PY";

// What mutagen reads from a file's tag: its version, then every frame but the title, in order.
const char* PyDump = R"PY(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], load_v1=False)
print('version', t.version[:2], 'size', t.size)
for f in t.values():
    if f.FrameID != 'TIT2': print(f.HashKey, repr(f))
print('title', t.get('TIT2'))
d = open(sys.argv[1], 'rb').read()
print('second tag', d[t.size:t.size + 3] == b'ID3')
)PY";

struct PeerCase {
    const char* name;
    std::string make;          // shell command, "$F" is the file
    std::string versionBefore; // mutagen's (major, minor)
    std::string versionAfter;
    std::string title; // what our reader shows before
    std::string artist;
    std::string comment;
};

std::string py(const std::string& body) {
    return mutagenPython() + " -c " + quote(std::string(PyHelpers) + body) + " \"$F\"";
}

// mutagen's rich tag as 2.`version`, its bytes then altered by `change` (Python, given the tag's
// header, body and the rest as h, b and r): the version stays and our reader shows the rich texts.
PeerCase richTag(const char* name, int version, const std::string& change = "") {
    const std::string v = std::to_string(version), read = "(2, " + v + ")";
    std::string script = "rich(sys.argv[1], " + v + ")";
    if (!change.empty())
        script += "\nh, b, r = split(sys.argv[1])\n" + change;
    return {name, py(script), read, read, "Τίτλος Заголовок 标题", "Исполнитель", "Главный комментарий"};
}

std::vector<PeerCase> peerCases() {
    std::vector<PeerCase> cases = {
        richTag("mutagen 2.3", 3),
        richTag("mutagen 2.4", 4),
        {"mid3v2", "mid3v2 -t 'Ελληνικά' -a 'Artist' -c 'first' -c 'iTunNORM:norm' --TXXX 'mood:calm' \"$F\"",
         "(2, 4)", "(2, 4)", "Ελληνικά", "Artist", "first"},
        {"id3v2", "id3v2 -2 -t 'Plain' -a 'Artist' -c 'A comment' -T 4/9 -g 17 --TXXX 'k:v' \"$F\"", "(2, 3)",
         "(2, 3)", "Plain", "Artist", "A comment"},
        richTag("two TPE1 in 2.3", 3,
                "b = b.rstrip(b'\\0') + frame(3, 'TPE1', b'\\x00Second Artist')\njoin(sys.argv[1], h, b, r)"),
        richTag("unsynchronised 2.3", 3,
                "from mutagen.id3._util import unsynch\njoin(sys.argv[1], h, unsynch.encode(b), r, 0x80)"),
        richTag("unsynchronised 2.4", 4,
                "from mutagen.id3._util import unsynch\nb = b.rstrip(b'\\0')\nout = b''\n"
                "while len(b) >= 10:\n"
                "    n = unsync_size(b[4:8]); data = unsynch.encode(b[10:10 + n])\n"
                "    out += b[:4] + syncsafe(len(data)) + b[8:10] + data; b = b[10 + n:]\n"
                "join(sys.argv[1], h, out, r, 0x80)"),
        richTag("extended header 2.3", 3, "join(sys.argv[1], h, b'\\0\\0\\0\\x06' + bytes(6) + b, r, 0x40)"),
        richTag("extended header 2.4", 4, "join(sys.argv[1], h, syncsafe(6) + b'\\x01\\x00' + b, r, 0x40)"),
        {"2.2 built byte by byte",
         py("body = b''.join(fid.encode() + struct.pack('>I', len(d))[1:] + d for fid, d in [\n"
            "  ('TT2', b'\\x01\\xff\\xfe' + 'Τίτλος'.encode('utf-16-le')), ('TP1', b'\\x00Artist 2.2'),\n"
            "  ('COM', b'\\x00engiTunNORM\\x00 0A'), ('COM', b'\\x00eng\\x00Comment 2.2'),\n"
            "  ('PIC', b'\\x00PNG\\x03cover\\x00' + png()), ('ULT', b'\\x00eng\\x00words'),\n"
            "  ('TXX', b'\\x00mood\\x00calm'), ('TCO', b'(17)')])\n"
            "d = open(sys.argv[1], 'rb').read()\n"
            "open(sys.argv[1], 'wb').write(b'ID3\\x02\\x00\\x00' + syncsafe(len(body) + 64) + body + "
            "bytes(64) + d)"),
         "(2, 2)", "(2, 3)", "Τίτλος", "Artist 2.2", "Comment 2.2"},
    };
    if (haveTool("eyeD3"))
        cases.push_back(
            {"eyeD3 2.3",
             py("open(sys.argv[1] + '.png', 'wb').write(png())") +
                 " && eyeD3 -Q --to-v2.3 -t 'Κείμενο' -a 'Художник' -c 'Main' --add-comment 'x:iTunNORM' "
                 "--user-text-frame 'mood:calm' --add-image \"$F.png:FRONT_COVER\" \"$F\" >/dev/null",
             "(2, 3)", "(2, 3)", "Κείμενο", "Художник", "Main"});
    if (haveTool("kid3-cli"))
        cases.push_back({"kid3-cli",
                         "kid3-cli -c 'set title \"日本語のタイトル\"' -c 'set artist \"Artist\"' -c 'set "
                         "comment \"Note\"' "
                         "-c 'set album \"Ünïcödé\"' \"$F\" >/dev/null",
                         "(2, 3)", "(2, 3)", "日本語のタイトル", "Artist", "Note"});
    return cases;
}

} // namespace

class CliTagPeers : public testing::TestWithParam<PeerCase> {};

TEST_P(CliTagPeers, ATitleSaveKeepsEveryOtherFrameAndTheAudio) {
    const PeerCase& c = GetParam();
    if (!haveTool("lame") || mutagenPython().empty())
        GTEST_SKIP() << "lame or mutagen is not installed (scripts/setup installs them)";
    TempDir dir;
    auto mp3 = makeMp3(dir, "peer");
    const Bytes audio = readBytes(mp3);
    int status = 0;
    run("F=" + quote(mp3) + "; " + c.make + " 2>&1", &status);
    ASSERT_EQ(status, 0) << c.make;
    const std::string dump = mutagenPython() + " -c " + quote(PyDump) + " " + quote(mp3) + " 2>&1";
    const std::string before = run(dump);
    ASSERT_NE(before.find("version " + c.versionBefore), std::string::npos) << before;

    // Our reader shows the texts of every version in full.
    std::string shown = cli("mp3 " + quote(mp3));
    EXPECT_NE(shown.find("ID3v2 Title: " + c.title + "\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("ID3v2 Artist: " + c.artist + "\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("ID3v2 Comment: " + c.comment + "\n"), std::string::npos) << shown;

    cli("tag --v2 --title X " + quote(mp3), &status);
    EXPECT_EQ(status, 0);
    std::string after = run(dump);
    EXPECT_NE(after.find("version " + c.versionAfter), std::string::npos) << after;
    EXPECT_NE(after.find("title X\n"), std::string::npos) << after;
    EXPECT_NE(after.find("second tag False"), std::string::npos) << after;
    // Every other frame as mutagen reads it, in the same order (the sizes aside).
    auto frames = [](const std::string& d) {
        return d.substr(d.find('\n') + 1, d.find("title ") - d.find('\n') - 1);
    };
    EXPECT_EQ(frames(after), frames(before));
    // The audio is unchanged behind the new tag.
    const Bytes now = readBytes(mp3);
    ASSERT_GE(now.size(), audio.size());
    EXPECT_TRUE(
        std::equal(audio.begin(), audio.end(), now.end() - static_cast<std::ptrdiff_t>(audio.size())));
    // Saving the same title again changes nothing.
    cli("tag --v2 --title X " + quote(mp3), &status);
    EXPECT_EQ(readBytes(mp3), now);
}

INSTANTIATE_TEST_SUITE_P(Taggers, CliTagPeers, testing::ValuesIn(peerCases()),
                         [](const testing::TestParamInfo<PeerCase>& info) {
                             std::string n;
                             for (char ch : std::string(info.param.name))
                                 n += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return n;
                         });

struct DamagedCase {
    const char* name;
    std::string damage; // python, on the tagged file sys.argv[1]
};

class CliTagDamaged : public testing::TestWithParam<DamagedCase> {};

TEST_P(CliTagDamaged, ADamagedTagIsNeverStackedOn) {
    if (!haveTool("lame") || mutagenPython().empty())
        GTEST_SKIP() << "lame or mutagen is not installed (scripts/setup installs them)";
    TempDir dir;
    auto mp3 = makeMp3(dir, "damaged");
    int status = 0;
    run("F=" + quote(mp3) + "; " + py("rich(sys.argv[1], 3)\n" + GetParam().damage) + " 2>&1", &status);
    ASSERT_EQ(status, 0);
    const Bytes before = readBytes(mp3);
    for (const char* formats : {"--v2", "--v1 --v2"}) {
        std::string out = cli(std::string("tag ") + formats + " --title X " + quote(mp3), &status);
        EXPECT_EQ(status, 1) << out;
        EXPECT_NE(out.find("Can not save V2 tag to the file: "), std::string::npos) << out;
        EXPECT_NE(out.find("The file was left unchanged."), std::string::npos) << out;
        EXPECT_EQ(readBytes(mp3), before) << formats; // both formats or neither
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tags, CliTagDamaged,
    testing::Values(DamagedCase{"size_past_the_end",
                                "h, b, r = split(sys.argv[1])\njoin(sys.argv[1], h, b, b'')\n"
                                "d = open(sys.argv[1], 'rb').read()\n"
                                "open(sys.argv[1], 'wb').write(d[:len(d) // 2])"},
                    DamagedCase{"frame_past_the_tag",
                                "h, b, r = split(sys.argv[1])\nb = b.rstrip(b'\\0')\n"
                                "join(sys.argv[1], h, b + b'TXXX\\x00\\x01\\x00\\x00\\x00\\x00k', r)"}),
    [](const testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.name); });
