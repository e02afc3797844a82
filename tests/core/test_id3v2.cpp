#include "AudioTestSupport.h"
#include "core/audio/ID3v2.h"

#include <csignal>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace korvel;
using namespace korvel::test;

namespace {

Bytes frame(const std::string& id, const std::string& data, std::uint32_t sizeField = 0xFFFFFFFE) {
    Bytes b(id.begin(), id.end());
    std::uint32_t size = sizeField == 0xFFFFFFFE ? static_cast<std::uint32_t>(data.size()) : sizeField;
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(static_cast<std::uint8_t>(size >> s));
    b.push_back(0);
    b.push_back(0);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

Bytes tag(std::uint8_t version, const std::vector<Bytes>& frames, std::size_t padding = 0,
          std::uint8_t flags = 0) {
    Bytes body;
    for (const auto& f : frames)
        body.insert(body.end(), f.begin(), f.end());
    body.resize(body.size() + padding, 0);
    auto size = static_cast<std::uint32_t>(body.size());
    Bytes b(10 + body.size());
    std::array<std::uint8_t, 10> header = {'I',
                                           'D',
                                           '3',
                                           version,
                                           0,
                                           flags,
                                           static_cast<std::uint8_t>((size >> 21) & 0x7F),
                                           static_cast<std::uint8_t>((size >> 14) & 0x7F),
                                           static_cast<std::uint8_t>((size >> 7) & 0x7F),
                                           static_cast<std::uint8_t>(size & 0x7F)};
    std::copy(header.begin(), header.end(), b.begin());
    std::copy(body.begin(), body.end(), b.begin() + 10);
    return b;
}

Bytes audio(std::size_t n = 4000) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(0x55 ^ (i * 13));
    return b;
}

Bytes cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TID3v2 parse(const Bytes& file) {
    TID3v2 t;
    t.LoadFromBytes(file, static_cast<std::int64_t>(file.size()));
    return t;
}

// Loads the tag of `path`, lets `edit` change it, writes it and reads it again into `back`.
testing::AssertionResult rewrite(const std::string& path, TID3v2& back,
                                 const std::function<void(TID3v2&)>& edit) {
    TID3v2 t;
    if (!t.LoadTag(path))
        return testing::AssertionFailure() << "no tag loaded from " << path;
    edit(t);
    if (!t.WriteTag(path))
        return testing::AssertionFailure() << "the tag was not written to " << path;
    if (!back.LoadTag(path))
        return testing::AssertionFailure() << "the written tag was not loaded from " << path;
    return testing::AssertionSuccess();
}

std::string utf16le(const std::u16string& s) {
    std::string out = "\xFF\xFE";
    for (char16_t c : s) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

} // namespace

struct TrackCase {
    const char* text;
    int number;
};
class ParseTrackNumber : public testing::TestWithParam<TrackCase> {};
TEST_P(ParseTrackNumber, GivesTheNumberBeforeTheSlashAsAByte) {
    EXPECT_EQ(TID3v2::ParseTrackNumber(GetParam().text), GetParam().number) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(Texts, ParseTrackNumber,
                         testing::Values(TrackCase{"7/12", 7}, TrackCase{"x", 0}, TrackCase{" 3 \0", 3},
                                         TrackCase{"300", 44}, TrackCase{"", 0}, TrackCase{"/5", 0},
                                         TrackCase{"12a", 0}, TrackCase{"99999999999", 0}));

struct GenreCase {
    const char* text;
    const char* genre;
};
class StripGenreCode : public testing::TestWithParam<GenreCase> {};
TEST_P(StripGenreCode, NamesTheGenreOfCodesNumbersAndTexts) {
    EXPECT_EQ(TID3v2::StripGenreCode(GetParam().text), GetParam().genre);
}
INSTANTIATE_TEST_SUITE_P(Texts, StripGenreCode,
                         testing::Values(GenreCase{"(17)", "Rock"}, GenreCase{"(17)Rock", "Rock"},
                                         GenreCase{"17", "Rock"}, GenreCase{"Rock", "Rock"},
                                         GenreCase{"Rock (live)", "Rock (live)"}, GenreCase{"  Pop\t", "Pop"},
                                         GenreCase{"(1)(2)Jazz", "Jazz"}, GenreCase{"(RX)", "Remix"},
                                         GenreCase{"((Live))", "(Live))"}, GenreCase{"200", "200"},
                                         GenreCase{"(17", "(17"}, GenreCase{"", ""}));

TEST(ID3v2Header, SizeIsFourSevenBitGroupsPlusTheHeader) {
    std::array<std::uint8_t, 10> h = {'I', 'D', '3', 3, 0, 0, 0x01, 0x02, 0x03, 0x04};
    std::int64_t expected = (1 << 21) + (2 << 14) + (3 << 7) + 4 + 10;
    EXPECT_EQ(TID3v2::TotalTagSize(h, expected), expected);
    EXPECT_EQ(TID3v2::TotalTagSize(h, expected - 1), 0);
    auto built = TID3v2::BuildTagHeader(20015 - 10);
    EXPECT_EQ(built[3], 3);
    EXPECT_EQ(built[6], 0);
    EXPECT_EQ(built[7], 1);
    EXPECT_EQ(built[8], (20005 >> 7) & 0x7F);
    EXPECT_EQ(built[9], 20005 & 0x7F);
    EXPECT_EQ(TID3v2::TotalTagSize(built, 1 << 30), 20015);
}

TEST(ID3v2Read, TheSevenFramesOfAVersion23Tag) {
    Bytes file =
        cat(tag(3,
                {frame("TIT2", std::string("\0  Title \0\0", 11)), frame("TPE1", std::string("\0Artist", 7)),
                 frame("TALB", std::string("\0Album", 6)),
                 frame("TRCK", std::string("\0"
                                           "4/9",
                                           4)),
                 frame("TYER", std::string("\0"
                                           "1987",
                                           5)),
                 frame("TCON", std::string("\0(17)Rock", 9)), frame("TXXX", std::string("\0x\0y", 4)),
                 frame("COMM", std::string("\0engdesc\0the text", 17))},
                64),
            audio());
    TID3v2 t = parse(file);
    EXPECT_TRUE(t.HasTag());
    EXPECT_EQ(t.MajorVersion(), 3);
    EXPECT_EQ(t.TitleField(), "Title");
    EXPECT_EQ(t.ArtistField(), "Artist");
    EXPECT_EQ(t.AlbumField(), "Album");
    EXPECT_EQ(t.TrackNumber(), 4);
    EXPECT_EQ(t.YearField(), "1987");
    EXPECT_EQ(t.GenreField(), "Rock");
    EXPECT_EQ(t.CommentField(), "the text"); // the only comment, though it has a description
    ASSERT_EQ(t.Frames().size(), 8u);
    EXPECT_EQ(t.Frames()[6].Id, "TXXX");
}

TEST(ID3v2Read, FirstFrameOfTheSameKindShows) {
    TID3v2 t =
        parse(tag(3, {frame("TIT2", std::string("\0one", 4)), frame("TIT2", std::string("\0two", 4))}));
    EXPECT_EQ(t.TitleField(), "one");
    EXPECT_EQ(t.Frames().size(), 2u);
}

TEST(ID3v2Read, Version24TextsAreRead) {
    Bytes file = cat(tag(4, {frame("TIT2", std::string("\x03Title", 6))}), audio());
    TID3v2 t = parse(file);
    EXPECT_TRUE(t.HasTag());
    EXPECT_EQ(t.MajorVersion(), 4);
    EXPECT_EQ(t.TagSize(), 10 + 16);
    EXPECT_EQ(t.TitleField(), "Title");
}

TEST(ID3v2Read, LongTextsAreReadWhole) {
    std::string title(300, 't');
    std::string comment(20000, 'c');
    TID3v2 t =
        parse(tag(3, {frame("TIT2", "\0" + title), frame("COMM", std::string("\0eng\0", 5) + comment)}));
    EXPECT_EQ(t.TitleField(), title);
    EXPECT_EQ(t.CommentField(), comment);
}

TEST(ID3v2Read, Utf16AndUtf8TextsAreDecoded) {
    std::string commData =
        std::string("\x01", 1) + "eng" + utf16le(u"") + std::string(2, '\0') + utf16le(u"na\u00EFve");
    TID3v2 t = parse(tag(3, {frame("TIT2", "\x01" + utf16le(u"Caf\u00E9 \u65E5") + std::string(2, '\0')),
                             frame("TPE1", std::string("\x02\0A\0B", 5)),
                             frame("TALB", "\x03"
                                           "Caf\xC3\xA9"),
                             frame("COMM", commData)}));
    EXPECT_EQ(t.TitleField(), "Caf\xC3\xA9 \xE6\x97\xA5");
    EXPECT_EQ(t.ArtistField(), "AB");
    EXPECT_EQ(t.AlbumField(), "Caf\xC3\xA9");
    EXPECT_EQ(t.CommentField(), "na\xC3\xAFve");
}

TEST(ID3v2Read, UnsynchronisedTagAndExtendedHeader) {
    Bytes plain = frame("TIT2", std::string("\0\xFF\xE0x", 4));
    Bytes unsynced = {plain.begin(), plain.begin() + 11};
    unsynced.insert(unsynced.end(), {0xFF, 0x00, 0xE0, 'x'});
    EXPECT_EQ(parse(tag(3, {unsynced}, 0, 0x80)).TitleField(), "\xC3\xBF\xC3\xA0x");

    Bytes ext = {0, 0, 0, 6, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(parse(tag(3, {ext, frame("TIT2", std::string("\0Ext", 4))}, 0, 0x40)).TitleField(), "Ext");
}

TEST(ID3v2Read, HostileSizesNeverReadPastTheTag) {
    // A frame claiming 0xFFFFFFFF bytes is read up to the tag's end.
    Bytes huge = tag(3, {frame("TIT2", std::string("\0Start", 6), 0xFFFFFFFF)});
    huge = cat(huge, audio(100));
    TID3v2 t = parse(huge);
    EXPECT_EQ(t.TitleField(), "");
    EXPECT_EQ(t.TagDamage(), TID3v2::Damage::DamagedFrames);
    // A tag claiming more than the file holds has size 0; what the file holds is shown.
    Bytes tooBig = tag(3, {frame("TIT2", std::string("\0T", 2))});
    tooBig[6] = 0x7F;
    t = parse(tooBig);
    EXPECT_TRUE(t.HasTag());
    EXPECT_EQ(t.TagSize(), 0);
    EXPECT_EQ(t.TitleField(), "T");
    EXPECT_EQ(t.TagDamage(), TID3v2::Damage::SizePastEnd);
    // Frames of size 0, a truncated frame header, an extended header larger than the tag.
    t = parse(tag(3, {frame("TIT2", ""), frame("TPE1", ""), Bytes{'T', 'A', 'L'}}));
    EXPECT_EQ(t.Frames().size(), 2u);
    t = parse(tag(3, {Bytes{0xFF, 0xFF, 0xFF, 0xFF}}, 0, 0x40));
    EXPECT_TRUE(t.Frames().empty());
    for (std::size_t n = 0; n < 12; ++n) { // every prefix of a header
        Bytes b = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20, 'T', 'I'};
        b.resize(n);
        t = parse(b);
        EXPECT_EQ(t.HasTag(), n >= 10);
    }
}

TEST(ID3v2Write, BuildsAVersion23TagOfTheSevenFramesWithoutPadding) {
    TID3v2 t;
    t.SetTitle("T");
    t.SetComment(std::string(20000, 'c'));
    auto bytes = t.BuildTag(TID3v2{});
    ASSERT_TRUE(bytes);
    // header + TIT2 (10 + 2) + COMM (10 + 20005)
    ASSERT_EQ(bytes->size(), 10u + 12u + 10u + 20005u);
    EXPECT_EQ(TID3v2::TotalTagSize(std::span<const std::uint8_t, 10>(bytes->data(), 10), 1 << 30),
              static_cast<std::int64_t>(bytes->size()));
    EXPECT_EQ(std::string(bytes->begin() + 22, bytes->begin() + 26), "COMM");
    EXPECT_EQ((*bytes)[28], (20005 >> 8) & 0xFF);
    EXPECT_EQ((*bytes)[29], 20005 & 0xFF);
    EXPECT_EQ(std::string(bytes->begin() + 32, bytes->begin() + 36), std::string("\0eng", 4));

    TID3v2 empty;
    auto bare = empty.BuildTag(TID3v2{});
    ASSERT_TRUE(bare);
    EXPECT_EQ(*bare, (Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0}));
}

TEST(ID3v2Write, KeepsOtherFramesInOrderAndUnchangedFramesAsTheyWere) {
    TempDir dir;
    auto f = dir / "keep.mp3";
    Bytes apic = frame("APIC", std::string("\0image/png\0\x03\0", 13) + std::string(5000, '\x89'));
    Bytes uslt = frame("USLT", std::string("\0eng\0lyrics", 11));
    Bytes title16 = frame("TIT2", "\x01" + utf16le(u"\u65E5\u672C"));
    Bytes track = frame("TRCK", std::string("\0"
                                            "7/12",
                                            5));
    Bytes txxx = frame("TXXX", std::string("\0k\0v", 4));
    Bytes a = audio();
    writeBytes(
        f, cat(tag(3, {apic, title16, uslt, frame("TPE1", std::string("\0Old", 4)), track, txxx}, 100), a));

    TID3v2 t;
    ASSERT_TRUE(t.LoadTag(f));
    EXPECT_EQ(t.TitleField(), "\xE6\x97\xA5\xE6\x9C\xAC");
    t.SetArtist("New");
    t.SetAlbum("Album");
    ASSERT_TRUE(t.WriteTag(f));

    Bytes written = readBytes(f);
    TID3v2 back;
    ASSERT_TRUE(back.LoadTag(f));
    std::vector<std::string> ids;
    for (const auto& fr : back.Frames())
        ids.push_back(fr.Id);
    EXPECT_EQ(ids, (std::vector<std::string>{"APIC", "TIT2", "USLT", "TPE1", "TRCK", "TXXX", "TALB"}));
    EXPECT_EQ(back.Frames()[1].Data, Bytes(title16.begin() + 10, title16.end())); // UTF-16 title kept
    EXPECT_EQ(back.Frames()[4].Data, Bytes(track.begin() + 10, track.end()));     // "7/12" kept
    EXPECT_EQ(back.Frames()[0].Data, Bytes(apic.begin() + 10, apic.end()));
    EXPECT_EQ(back.ArtistField(), "New");
    EXPECT_EQ(back.AlbumField(), "Album");
    EXPECT_EQ(back.TrackNumber(), 7);
    // No padding, and the audio follows unchanged.
    ASSERT_EQ(written.size(), static_cast<std::size_t>(back.TagSize()) + a.size());
    EXPECT_TRUE(std::equal(a.begin(), a.end(), written.begin() + back.TagSize()));
}

TEST(ID3v2Write, KeepsVersion24AndTagsUntaggedFiles) {
    TempDir dir;
    auto f = dir / "v4.mp3";
    Bytes a = audio();
    writeBytes(f, cat(tag(4, {frame("TIT2", std::string("\x03Title", 6))}, 50), a));
    TID3v2 back;
    ASSERT_TRUE(rewrite(f, back, [](TID3v2& t) { t.SetTitle("Still 2.4"); }));
    EXPECT_EQ(back.MajorVersion(), 4);
    EXPECT_EQ(back.TitleField(), "Still 2.4");
    EXPECT_EQ(back.Frames().size(), 1u);

    auto g = dir / "plain.mp3";
    writeBytes(g, a);
    TID3v2 empty;
    ASSERT_TRUE(empty.LoadTag(g));
    ASSERT_TRUE(empty.WriteTag(g));
    EXPECT_EQ(readBytes(g), cat(Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0}, a));

    auto tiny = dir / "tiny.mp3";
    writeBytes(tiny, Bytes(9, 1));
    EXPECT_FALSE(empty.LoadTag(tiny));
    EXPECT_FALSE(empty.WriteTag(tiny));
    EXPECT_EQ(readBytes(tiny), Bytes(9, 1));
}

TEST(ID3v2Write, LongTextsRoundTrip) {
    TempDir dir;
    auto f = dir / "long.mp3";
    writeBytes(f, audio());
    TID3v2 t;
    std::string title(300, 'T');
    std::string comment;
    for (int i = 0; i < 20000; ++i)
        comment += static_cast<char>('a' + i % 26);
    t.SetTitle(title);
    t.SetComment(comment);
    ASSERT_TRUE(t.WriteTag(f));
    TID3v2 back;
    ASSERT_TRUE(back.LoadTag(f));
    EXPECT_EQ(back.TitleField(), title);
    EXPECT_EQ(back.CommentField(), comment);
    EXPECT_EQ(back.TagSize(), 10 + (10 + 301) + (10 + 20005));
}

TEST(ID3v2Write, SavingThroughALinkRewritesTheTargetAndKeepsTheLink) {
    TempDir dir;
    auto target = dir / "target.mp3";
    auto link = dir / "link.mp3";
    writeBytes(target, audio());
    ::symlink(target.c_str(), link.c_str());
    ::chmod(target.c_str(), 0444);
    TID3v2 t;
    t.SetTitle("via link");
    ASSERT_TRUE(t.WriteTag(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    TID3v2 back;
    ASSERT_TRUE(back.LoadTag(target));
    EXPECT_EQ(back.TitleField(), "via link");
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_TRUE(st.st_mode & S_IWUSR); // a read-only file loses its read-only state on saving
}

namespace {

std::size_t entriesIn(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

} // namespace

TEST(ID3v2Write, AWriteThatFailsPartWayLeavesTheOriginalAndNoTemporaryFile) {
    TempDir dir;
    auto f = dir / "full.mp3";
    Bytes original = cat(tag(3, {frame("TIT2", std::string("\0Old", 4))}), audio(200000));
    writeBytes(f, original);
    TID3v2 t;
    ASSERT_TRUE(t.LoadTag(f));
    t.SetTitle("New");

    // A disk that fills up: no file may grow beyond 100 kB.
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    bool written = t.WriteTag(f);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(readBytes(f), original);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(ID3v2Write, AReadOnlyFolderLeavesTheOriginalByteIdentical) {
    TempDir dir;
    auto sub = dir.path() / "ro";
    std::filesystem::create_directory(sub);
    auto f = (sub / "song.mp3").string();
    Bytes original = cat(tag(3, {frame("TIT2", std::string("\0Old", 4))}), audio());
    writeBytes(f, original);
    ::chmod(sub.c_str(), 0555);
    bool immutable = false;
    if (::geteuid() == 0) { // root writes into read-only folders; an immutable folder stops it too
        int status = 0;
        run("chattr +i " + quote(sub.string()) + " 2>/dev/null", &status);
        immutable = status == 0;
        if (!immutable) {
            ::chmod(sub.c_str(), 0755);
            GTEST_SKIP()
                << "running as root and chattr +i is not available: a read-only folder does not stop root";
        }
    }
    TID3v2 t;
    ASSERT_TRUE(t.LoadTag(f));
    t.SetTitle("New");
    bool written = t.WriteTag(f);
    if (immutable)
        run("chattr -i " + quote(sub.string()));
    ::chmod(sub.c_str(), 0755);
    EXPECT_FALSE(written);
    EXPECT_EQ(readBytes(f), original);
    EXPECT_EQ(entriesIn(sub), 1u);
}

TEST(ID3v2Peers, Version23TagWrittenById3v2ToolReadsBack) {
    if (!haveTool("id3v2"))
        GTEST_SKIP() << "id3v2 is not installed (scripts/setup installs it)";
    TempDir dir;
    auto f = dir / "p.mp3";
    writeBytes(f, audio());
    int status = 0;
    run("id3v2 -2 -t 'Peer Title' -a 'Peer Artist' -A 'Peer Album' -y 2003 -c 'Peer comment' -T 5/10 -g 17 " +
            quote(f) + " >/dev/null 2>&1",
        &status);
    ASSERT_EQ(status, 0);
    TID3v2 t;
    ASSERT_TRUE(t.LoadTag(f));
    EXPECT_EQ(t.MajorVersion(), 3);
    EXPECT_EQ(t.TitleField(), "Peer Title");
    EXPECT_EQ(t.ArtistField(), "Peer Artist");
    EXPECT_EQ(t.AlbumField(), "Peer Album");
    EXPECT_EQ(t.YearField(), "2003");
    EXPECT_EQ(t.CommentField(), "Peer comment");
    EXPECT_EQ(t.TrackNumber(), 5);
    EXPECT_EQ(t.GenreField(), "Rock"); // "(17)": the genre code alone
}

TEST(ID3v2Peers, OurTagIsReadByMutagenAndId3v2Tool) {
    std::string py = mutagenPython();
    bool id3v2 = haveTool("id3v2");
    if (py.empty() && !id3v2)
        GTEST_SKIP() << "neither mutagen nor id3v2 is installed (scripts/setup installs both)";
    TempDir dir;
    auto f = dir / "ours.mp3";
    writeBytes(f, audio());
    TID3v2 t;
    t.SetTitle("Caf\xC3\xA9");
    t.SetArtist("Artist");
    t.SetAlbum("Album");
    t.SetYear("2021");
    t.SetGenre("Synthpop");
    t.SetComment("Line one");
    ASSERT_TRUE(t.WriteTag(f));
    if (!py.empty()) {
        std::string out =
            run(py + " -c " +
                quote("import sys; from mutagen.id3 import ID3\n"
                      "t = ID3(sys.argv[1], load_v1=False)\n"
                      "print(t.version, t['TIT2'].text[0], t['TPE1'].text[0], t['TALB'].text[0], "
                      "t['TCON'].text[0], t.getall('COMM')[0].lang, t.getall('COMM')[0].text[0], "
                      "sep='|')") +
                " " + quote(f));
        EXPECT_EQ(out, "(2, 3, 0)|Caf\xC3\xA9|Artist|Album|Synthpop|eng|Line one\n");
    }
    if (id3v2) {
        std::string out = run("id3v2 -l " + quote(f));
        EXPECT_NE(out.find("TPE1 (Lead performer(s)/Soloist(s)): Artist"), std::string::npos) << out;
        EXPECT_NE(out.find("TYER (Year): 2021"), std::string::npos) << out;
        EXPECT_NE(out.find("Line one"), std::string::npos) << out;
    }
}

TEST(ID3v2Peers, APictureAddedByMutagenSurvivesOurSave) {
    std::string py = mutagenPython();
    if (py.empty())
        GTEST_SKIP() << "mutagen is not installed (scripts/setup installs python3-mutagen)";
    TempDir dir;
    auto f = dir / "pic.mp3";
    writeBytes(f, audio());
    int status = 0;
    run(py + " -c " +
            quote("import sys; from mutagen.id3 import ID3, APIC, TIT2, TXXX\n"
                  "t = ID3()\n"
                  "t.add(TIT2(encoding=1, text='Old title'))\n"
                  "t.add(APIC(encoding=0, mime='image/png', type=3, desc='cover', data=bytes(range(256)) * "
                  "40))\n"
                  "t.add(TXXX(encoding=1, desc='mood', text='calm'))\n"
                  "t.save(sys.argv[1], v2_version=3)") +
            " " + quote(f),
        &status);
    ASSERT_EQ(status, 0);
    TID3v2 t;
    ASSERT_TRUE(t.LoadTag(f));
    EXPECT_EQ(t.TitleField(), "Old title");
    t.SetTitle("New title");
    ASSERT_TRUE(t.WriteTag(f));
    std::string out =
        run(py + " -c " +
            quote("import sys; from mutagen.id3 import ID3\n"
                  "t = ID3(sys.argv[1], load_v1=False)\n"
                  "p = t.getall('APIC')[0]\n"
                  "print(t['TIT2'].text[0], p.mime, int(p.type), p.desc, p.data == bytes(range(256)) * 40, "
                  "t['TXXX:mood'].text[0], sep='|')") +
            " " + quote(f));
    EXPECT_EQ(out, "New title|image/png|3|cover|True|calm\n");
}

// ---- The frame model: every version, encodings written, frames kept ----

namespace {

// A frame of version 2.2: three-character id and a three-byte size.
Bytes frame22(const std::string& id, const std::string& data) {
    Bytes b(id.begin(), id.end());
    for (int s = 16; s >= 0; s -= 8)
        b.push_back(static_cast<std::uint8_t>(data.size() >> s));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// A frame of version 2.4: syncsafe size and the given flags.
Bytes frame24(const std::string& id, const std::string& data, std::uint16_t flags = 0) {
    Bytes b(id.begin(), id.end());
    for (int s = 21; s >= 0; s -= 7)
        b.push_back(static_cast<std::uint8_t>((data.size() >> s) & 0x7F));
    b.push_back(static_cast<std::uint8_t>(flags >> 8));
    b.push_back(static_cast<std::uint8_t>(flags));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

std::string str(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

} // namespace

struct EncodingCase {
    std::uint8_t version;
    std::string title;    // UTF-8
    std::string expected; // the frame data written
};
class EncodingWritten : public testing::TestWithParam<EncodingCase> {};
TEST_P(EncodingWritten, Latin1WhenItFitsElseUtf16Or8) {
    const EncodingCase& c = GetParam();
    TempDir dir;
    auto f = dir / "enc.mp3";
    writeBytes(f, cat(tag(c.version, {frame("TPE1", std::string("\0A", 2))}), audio()));
    TID3v2 back;
    ASSERT_TRUE(rewrite(f, back, [&c](TID3v2& t) { t.SetTitle(c.title); }));
    EXPECT_EQ(back.MajorVersion(), c.version);
    ASSERT_EQ(back.Frames().size(), 2u);
    EXPECT_EQ(str(back.Frames()[1].Data), c.expected);
    EXPECT_EQ(back.TitleField(), c.title);
}
INSTANTIATE_TEST_SUITE_P(
    Texts, EncodingWritten,
    testing::Values(EncodingCase{3, "Caf\xC3\xA9", std::string("\0Caf\xE9", 5)},
                    EncodingCase{4, "Caf\xC3\xA9", std::string("\0Caf\xE9", 5)},
                    EncodingCase{3, "\xCE\xA9\xF0\x9F\x8E\xB5",
                                 std::string("\x01\xFF\xFE\xA9\x03\x3C\xD8\xB5\xDF", 9)}, // Omega, a note
                    EncodingCase{4, "\xCE\xA9\xF0\x9F\x8E\xB5", "\x03\xCE\xA9\xF0\x9F\x8E\xB5"}));

TEST(ID3v2Frames, Version22BecomesVersion23WithEveryFrameConverted) {
    TempDir dir;
    auto f = dir / "v22.mp3";
    std::string png = "\x89PNG-bytes";
    Bytes body = cat(
        cat(cat(frame22("TT2", std::string("\0Old", 4)), frame22("PIC", std::string("\0PNG\x03\0", 6) + png)),
            cat(frame22("COM", std::string("\0engiTunNORM\0 0A", 16)),
                frame22("COM", std::string("\0eng\0Main", 9)))),
        cat(frame22("TCO", std::string("\0(17)", 5)), frame22("CRM", "secret")));
    Bytes file = {'I', 'D', '3', 2, 0, 0, 0, 0, 0, 0};
    file[8] = static_cast<std::uint8_t>(body.size() >> 7);
    file[9] = static_cast<std::uint8_t>(body.size() & 0x7F);
    Bytes a = audio();
    writeBytes(f, cat(cat(file, body), a));
    TID3v2 t;
    ASSERT_TRUE(t.LoadTag(f));
    EXPECT_EQ(t.MajorVersion(), 2);
    EXPECT_EQ(t.TitleField(), "Old");
    EXPECT_EQ(t.CommentField(), "Main");
    EXPECT_EQ(t.GenreField(), "Rock");
    t.SetArtist("New");
    ASSERT_TRUE(t.WriteTag(f));
    TID3v2 back;
    ASSERT_TRUE(back.LoadTag(f));
    EXPECT_EQ(back.MajorVersion(), 3);
    std::vector<std::string> ids;
    for (const auto& fr : back.Frames())
        ids.push_back(fr.Id);
    EXPECT_EQ(ids, (std::vector<std::string>{"TIT2", "APIC", "COMM", "COMM", "TCON", "XCRM", "TPE1"}));
    EXPECT_EQ(str(back.Frames()[1].Data), std::string("\0image/png\0\x03\0", 13) + png);
    EXPECT_EQ(str(back.Frames()[5].Data), "secret");
    EXPECT_EQ(back.ArtistField(), "New");
    EXPECT_EQ(back.CommentField(), "Main");
    const Bytes now = readBytes(f);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), now.end() - static_cast<std::ptrdiff_t>(a.size())));
}

TEST(ID3v2Frames, Version24FramesKeepTheirBytesFlagsAndFooter) {
    TempDir dir;
    auto f = dir / "v24.mp3";
    // Per-frame unsynchronisation with a data length indicator, a grouped frame, a compressed one.
    Bytes unsynced = frame24("TALB", std::string("\0\0\0\x04\0\xFF\0\xE0x", 9), 0x0003);
    Bytes grouped = frame24("TPE1", std::string("\x07\x03Grouped", 9), 0x0040);
    Bytes compressed = frame24("TXXX", std::string("\0\0\0\x10xxxx", 8), 0x0009);
    Bytes body = cat(cat(unsynced, grouped), compressed);
    Bytes header = {'I', 'D', '3', 4, 0, 0x10, 0, 0, 0, static_cast<std::uint8_t>(body.size())};
    Bytes footer = header;
    std::memcpy(footer.data(), "3DI", 3);
    Bytes a = audio();
    writeBytes(f, cat(cat(cat(header, body), footer), a));
    TID3v2 t;
    ASSERT_TRUE(t.LoadTag(f));
    EXPECT_EQ(t.TagSize(), static_cast<std::int32_t>(20 + body.size()));
    EXPECT_EQ(t.AlbumField(), "\xC3\xBF\xC3\xA0x");
    EXPECT_EQ(t.ArtistField(), "Grouped");
    t.SetTitle("T");
    ASSERT_TRUE(t.WriteTag(f));
    const Bytes now = readBytes(f);
    // Header with the footer flag, the three frames byte for byte, the new title, the footer.
    Bytes title = frame24("TIT2", std::string("\0T", 2));
    Bytes expected = cat(cat(body, title), Bytes{});
    ASSERT_GE(now.size(), 20 + expected.size());
    EXPECT_EQ(now[5], 0x10);
    EXPECT_EQ(Bytes(now.begin() + 10, now.begin() + 10 + static_cast<std::ptrdiff_t>(expected.size())),
              expected);
    EXPECT_EQ(std::string(now.begin() + 10 + static_cast<std::ptrdiff_t>(expected.size()),
                          now.begin() + 13 + static_cast<std::ptrdiff_t>(expected.size())),
              "3DI");
    EXPECT_TRUE(std::equal(a.begin(), a.end(), now.end() - static_cast<std::ptrdiff_t>(a.size())));
}

TEST(ID3v2Frames, Version24WithPlainFrameSizesIsReadAndRepaired) {
    // Some programs write 2.4 frame sizes as plain 32-bit numbers; a frame of 200 bytes shows it.
    std::string text = "\x03" + std::string(199, 'a');
    Bytes plain = frame("TIT2", text); // plain sizes, as in 2.3
    Bytes next = frame("TPE1", std::string("\x03Z", 2));
    TID3v2 t = parse(cat(tag(4, {plain, next}), audio()));
    EXPECT_EQ(t.TagDamage(), TID3v2::Damage::None);
    EXPECT_EQ(t.TitleField(), std::string(199, 'a'));
    EXPECT_EQ(t.ArtistField(), "Z");
}

struct CommentCase {
    const char* name;
    std::vector<std::string> comments; // COMM frame data, in order
    std::string shown;
};
class CommentShown : public testing::TestWithParam<CommentCase> {};
TEST_P(CommentShown, FirstWithoutDescriptionElseFirst) {
    std::vector<Bytes> frames;
    for (const auto& c : GetParam().comments)
        frames.push_back(frame("COMM", c));
    EXPECT_EQ(parse(tag(3, frames)).CommentField(), GetParam().shown);
}
INSTANTIATE_TEST_SUITE_P(
    Frames, CommentShown,
    testing::Values(CommentCase{"itunes_first",
                                {std::string("\0engiTunNORM\0 0A 0B", 19), std::string("\0eng\0Main", 9),
                                 std::string("\0engiTunSMPB\0 00", 16)},
                                "Main"},
                    CommentCase{"only_described", {std::string("\0engiTunNORM\0 0A", 16)}, "0A"},
                    CommentCase{"utf16",
                                {std::string("\x01"
                                             "eng\xFF\xFE\0\0\xFF\xFE\xA3\x03",
                                             12),
                                 std::string("\0eng\0x", 6)},
                                "\xCE\xA3"},
                    CommentCase{"none", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ID3v2Frames, AnEditedCommentKeepsItsLanguageAndTheOtherComments) {
    TempDir dir;
    auto f = dir / "comm.mp3";
    Bytes norm = frame("COMM", std::string("\0engiTunNORM\0 0A", 16));
    Bytes smpb = frame("COMM", std::string("\0engiTunSMPB\0 00", 16));
    writeBytes(f, cat(tag(3, {norm, frame("COMM", std::string("\0deu\0Alt", 8)), smpb}), audio()));
    TID3v2 back;
    ASSERT_TRUE(rewrite(f, back, [](TID3v2& t) { t.SetComment("Neu"); }));
    ASSERT_EQ(back.Frames().size(), 3u);
    EXPECT_EQ(back.Frames()[0].Data, Bytes(norm.begin() + 10, norm.end()));
    EXPECT_EQ(str(back.Frames()[1].Data), std::string("\0deu\0Neu", 8));
    EXPECT_EQ(back.Frames()[2].Data, Bytes(smpb.begin() + 10, smpb.end()));
    // Emptied: only that frame goes.
    back.SetComment("");
    ASSERT_TRUE(back.WriteTag(f));
    ASSERT_TRUE(back.LoadTag(f));
    EXPECT_EQ(back.Frames().size(), 2u);
    EXPECT_EQ(back.CommentField(), "0A");
}

struct DamagedCase {
    const char* name;
    Bytes file;
    TID3v2::Damage damage;
};
class DamagedTag : public testing::TestWithParam<DamagedCase> {};
TEST_P(DamagedTag, IsNeverWrittenOver) {
    TempDir dir;
    auto f = dir / "damaged.mp3";
    writeBytes(f, GetParam().file);
    TID3v2 t;
    ASSERT_TRUE(t.LoadTag(f));
    EXPECT_EQ(t.TagDamage(), GetParam().damage);
    t.SetTitle("X");
    EXPECT_FALSE(t.WriteTag(f));
    EXPECT_EQ(t.LastDamage(), GetParam().damage);
    EXPECT_FALSE(TID3v2::DamageText(t.LastDamage()).empty());
    EXPECT_EQ(readBytes(f), GetParam().file);
}
INSTANTIATE_TEST_SUITE_P(
    Tags, DamagedTag,
    testing::Values(
        DamagedCase{"size_past_the_end",
                    [] {
                        Bytes b = tag(3, {frame("TIT2", std::string("\0T", 2))}, 100);
                        b[7] = 0x7F;
                        return cat(b, audio(300));
                    }(),
                    TID3v2::Damage::SizePastEnd},
        DamagedCase{"frame_past_the_tag", cat(tag(3, {frame("TIT2", std::string("\0T", 2), 5000)}), audio()),
                    TID3v2::Damage::DamagedFrames},
        DamagedCase{"version_5", cat(tag(5, {frame("TIT2", std::string("\0T", 2))}), audio()),
                    TID3v2::Damage::UnknownVersion},
        DamagedCase{"compressed_2_2", cat(tag(2, {}, 20, 0x40), audio()), TID3v2::Damage::Unsupported}),
    [](const auto& info) { return std::string(info.param.name); });
