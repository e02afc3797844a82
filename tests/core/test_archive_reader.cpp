// The archive reader on archives made here by the real tools (7z, bsdtar, gcab, python's
// tarfile) and on RAR and LHA archives built byte by byte; hostile archives of every kind.
#include "core/archive/ArchiveNames.h"
#include "core/archive/ArchiveReader.h"
#include "core/archive/ArchiveSniff.h"
#include "core/files/TypeKeys.h"

#include "ArchiveBytes.h"
#include "ArchiveFixtures.h"

#include <gtest/gtest.h>

#include <functional>

using namespace korvel;
using namespace korvel::test;

namespace {

// A description with DOS line ends and box-drawing bytes, which must come through unchanged.
const std::string kDiz = "\xc9\xcd\xcd\xbb GAME v1.0\r\n\xc8\xcd\xcd\xbc (c) 1994\r\n";

struct Maker {
    const char* label;
    ArchiveFormat format;
    // Writes the archive of the files below `dir`/src (listed in `files`) to `out`.
    std::function<int(const std::string& dir, const std::string& out)> make;
};

std::string files() {
    return "FILE_ID.DIZ readme.txt GAME.txt sub/info.nfo";
}

void writeSources(const std::string& dir) {
    writeFile(dir + "/src/FILE_ID.DIZ", kDiz);
    writeFile(dir + "/src/readme.txt", "read me\r\n");
    writeFile(dir + "/src/GAME.txt", "game text\n");
    writeFile(dir + "/src/sub/info.nfo", "nfo\n");
}

std::vector<ByteMember> byteMembers() {
    return {{"FILE_ID.DIZ", kDiz},
            {"readme.txt", "read me\r\n"},
            {"GAME.txt", "game text\n"},
            {"sub", "", ByteMember::Kind::Folder},
            {"sub/info.nfo", "nfo\n"}};
}

// `command` over the files below `dir`/src, writing `out`.
int tool(const std::string& dir, const std::string& command, const std::string& out) {
    return archiveTool(dir + "/src", command, out, files());
}

int bsdtar(const std::string& dir, const std::string& opts, const std::string& out) {
    return tool(dir, "bsdtar " + opts + " -cf", out);
}

int bytes(const std::string& out, const std::string& content) {
    writeFile(out, content);
    return 0;
}

std::vector<Maker> makers() {
    return {
        {"7z", ArchiveFormat::SevenZip, [](auto& d, auto& o) { return tool(d, "7z a -bd", o); }},
        {"7z_lzma2_solid", ArchiveFormat::SevenZip,
         [](auto& d, auto& o) { return tool(d, "7z a -bd -ms=on -mx=9", o); }},
        {"tar", ArchiveFormat::Tar, [](auto& d, auto& o) { return bsdtar(d, "", o); }},
        {"tar_gz", ArchiveFormat::Tar, [](auto& d, auto& o) { return bsdtar(d, "-z", o); }},
        {"tar_bz2", ArchiveFormat::Tar, [](auto& d, auto& o) { return bsdtar(d, "-j", o); }},
        {"tar_xz", ArchiveFormat::Tar, [](auto& d, auto& o) { return bsdtar(d, "-J", o); }},
        {"tar_zst", ArchiveFormat::Tar, [](auto& d, auto& o) { return bsdtar(d, "--zstd", o); }},
        {"ustar_by_7z", ArchiveFormat::Tar, [](auto& d, auto& o) { return tool(d, "7z a -bd -ttar", o); }},
        {"cpio", ArchiveFormat::Cpio, [](auto& d, auto& o) { return bsdtar(d, "--format cpio", o); }},
        {"iso", ArchiveFormat::Iso9660, [](auto& d, auto& o) { return bsdtar(d, "--format iso9660", o); }},
        {"cab", ArchiveFormat::Cab, [](auto& d, auto& o) { return tool(d, "gcab -c", o); }},
        {"cab_compressed", ArchiveFormat::Cab, [](auto& d, auto& o) { return tool(d, "gcab -c -z", o); }},
        {"rar4", ArchiveFormat::Rar, [](auto&, auto& o) { return bytes(o, rar4Archive(byteMembers())); }},
        {"rar5", ArchiveFormat::Rar5, [](auto&, auto& o) { return bytes(o, rar5Archive(byteMembers())); }},
        {"lha", ArchiveFormat::Lha, [](auto&, auto& o) { return bytes(o, lhaArchive(byteMembers())); }},
    };
}

class Formats : public ::testing::TestWithParam<Maker> {};

TEST_P(Formats, DetectsListsReadsAndExtracts) {
    const Maker& m = GetParam();
    TempDir t;
    writeSources(t.path());
    const std::string archive = t / "GAME.arc"; // the name says nothing: content decides
    ASSERT_EQ(m.make(t.path(), archive), 0);
    const ArchiveReader& r = archiveReader();

    EXPECT_EQ(r.detect(archive), m.format);

    std::vector<std::string> names;
    ArchiveResult listed = r.list(archive, [&](const ArchiveEntry& e) {
        if (e.type == ArchiveEntry::Type::File) {
            names.push_back(e.name);
            if (e.name == "FILE_ID.DIZ") {
                EXPECT_EQ(e.size, kDiz.size());
                EXPECT_GT(e.mtime, 0);
            }
        }
        return true;
    });
    ASSERT_TRUE(listed.ok()) << listed.message;
    for (const char* want : {"FILE_ID.DIZ", "readme.txt", "GAME.txt"})
        EXPECT_NE(std::find(names.begin(), names.end(), want), names.end()) << want;

    // The first name in the order asked wins, wherever it lies in the archive; case is ignored.
    FoundMember f;
    ASSERT_TRUE(r.readFirstOf(archive, {"file_id.diz", "readme.txt"}, true, 4 << 20, f).ok());
    EXPECT_EQ(f.index, 0u);
    EXPECT_EQ(f.name, "FILE_ID.DIZ");
    EXPECT_EQ(f.bytes, kDiz);
    ASSERT_TRUE(r.readFirstOf(archive, {"missing.txt", "game.txt", "readme.txt"}, true, 4 << 20, f).ok());
    EXPECT_EQ(f.index, 1u);
    EXPECT_EQ(f.bytes, "game text\n");
    EXPECT_EQ(r.readFirstOf(archive, {"file_id.diz"}, false, 4 << 20, f).status, ArchiveStatus::NotFound);
    EXPECT_EQ(r.readFirstOf(archive, {"info.nfo"}, true, 4 << 20, f).status, ArchiveStatus::NotFound)
        << "names are matched whole, folders included";
    ASSERT_TRUE(r.readFirstOf(archive, {"*/info.nfo"}, true, 4 << 20, f).ok());
    ASSERT_TRUE(r.readFirstOf(archive, {"FILE_ID.DIZ"}, true, 5, f).ok());
    EXPECT_TRUE(f.truncated);
    EXPECT_EQ(f.bytes, kDiz.substr(0, 5));

    // Extraction with folders; the bytes equal what bsdtar delivers for the same member.
    ExtractReport report;
    ExtractRequest all;
    all.withPaths = true;
    ArchiveResult x = r.extract(archive, t / "out", all, report);
    ASSERT_TRUE(x.ok()) << x.message;
    EXPECT_EQ(readFile(t / "out/FILE_ID.DIZ"), kDiz);
    EXPECT_EQ(readFile(t / "out/sub/info.nfo"), "nfo\n");
    std::string peer;
    run("bsdtar -xOf " + shellQuote(archive) + " FILE_ID.DIZ", &peer);
    EXPECT_EQ(peer, kDiz);
}

INSTANTIATE_TEST_SUITE_P(Archives, Formats, ::testing::ValuesIn(makers()),
                         [](const auto& info) { return std::string(info.param.label); });

// Files that are not archives read here: a single compressed file is not an archive.
TEST(NotAnArchive, SingleCompressedFilesTextsAndZip) {
    TempDir t;
    writeFile(t / "readme.txt", "just a text file\n");
    writeFile(t / "empty", "");
    std::string noise;
    for (int i = 0; i < 5000; ++i)
        noise += static_cast<char>((i * 7919) & 0xFF);
    writeFile(t / "noise.bin", noise);
    ASSERT_EQ(run("cd " + shellQuote(t.path()) +
                  " && gzip -k readme.txt && bzip2 -k readme.txt && xz -k readme.txt && zstd -q readme.txt "
                  "&& zip -q a.zip readme.txt"),
              0);
    const ArchiveReader& r = archiveReader();
    for (const char* n : {"readme.txt", "empty", "noise.bin", "readme.txt.gz", "readme.txt.bz2",
                          "readme.txt.xz", "readme.txt.zst", "missing.7z"}) {
        EXPECT_EQ(r.detect(t / n), ArchiveFormat::None) << n;
        FoundMember f;
        const ArchiveStatus s = r.readFirstOf(t / n, {"*"}, true, 100, f).status;
        EXPECT_TRUE(s == ArchiveStatus::NotAnArchive || s == ArchiveStatus::CannotOpen) << n;
    }
    EXPECT_EQ(r.detect(t / "a.zip"), ArchiveFormat::Zip);
    EXPECT_EQ(r.list(t / "a.zip", [](const ArchiveEntry&) { return true; }).status,
              ArchiveStatus::NotAnArchive);
}

struct Refusal {
    const char* label;
    std::function<void(const std::string& dir, const std::string& out)> make;
    ArchiveStatus status;
};

std::vector<Refusal> refusals() {
    auto sevenZip = [](const std::string& opts) {
        return [opts](const std::string& d, const std::string& o) {
            writeFile(d + "/FILE_ID.DIZ", kDiz);
            writeFile(d + "/big.bin", std::string(6000, 'x') + kDiz);
            run("cd " + shellQuote(d) + " && 7z a -bd " + opts + " " + shellQuote(o) +
                " FILE_ID.DIZ big.bin >/dev/null");
        };
    };
    return {
        {"encrypted_7z", sevenZip("-pSECRET"), ArchiveStatus::Encrypted},
        {"encrypted_7z_headers", sevenZip("-pSECRET -mhe=on"), ArchiveStatus::Encrypted},
        {"split_7z",
         [sevenZip](auto& d, auto& o) {
             fs::create_directories(d + "/parts");
             sevenZip("-v2k -mx=0")(d, d + "/parts/set.7z");
             fs::copy_file(d + "/parts/set.7z.001", o);
         },
         ArchiveStatus::MultiVolume},
        {"rar4_volume", [](auto&, auto& o) { writeFile(o, rar4Archive(byteMembers(), true)); },
         ArchiveStatus::MultiVolume},
        {"rar5_volume", [](auto&, auto& o) { writeFile(o, rar5Archive(byteMembers(), true)); },
         ArchiveStatus::MultiVolume},
    };
}

class Refused : public ::testing::TestWithParam<Refusal> {};

TEST_P(Refused, GivesAClearMessage) {
    const Refusal& c = GetParam();
    TempDir t;
    const std::string archive = t / (c.status == ArchiveStatus::MultiVolume ? "set.7z.001" : "locked.arc");
    c.make(t.path(), archive);
    const ArchiveReader& r = archiveReader();
    EXPECT_TRUE(isReaderArchive(archive)) << "still an archive of its format";
    FoundMember f;
    const ArchiveResult got = r.readFirstOf(archive, {"file_id.diz"}, true, 4 << 20, f);
    EXPECT_EQ(got.status, c.status) << got.message;
    EXPECT_FALSE(got.message.empty());
    ExtractReport report;
    const ArchiveResult x = r.extract(archive, t / "out", ExtractRequest{}, report);
    EXPECT_EQ(x.status, c.status) << x.message;
    EXPECT_FALSE(fs::exists(t / "out/FILE_ID.DIZ"));
}

INSTANTIATE_TEST_SUITE_P(Archives, Refused, ::testing::ValuesIn(refusals()),
                         [](const auto& info) { return std::string(info.param.label); });

// Hostile archives: nothing may appear outside `out`, which sits in `jail` beside `victim`.
struct Hostile {
    const char* label;
    std::function<void(const std::string& jail, const std::string& archive)> make;
};

std::string py(const std::string& body) {
    return "python3 - <<'EOF'\nimport tarfile, io, sys\n" + body + "\nEOF\n";
}

// A tar built by python's tarfile: entries "name" (file), "name->target" (symlink),
// "name=>target" (hard link), with the compression given.
std::function<void(const std::string&, const std::string&)> tarOf(std::vector<std::string> entries,
                                                                  std::string mode = "w") {
    return [entries, mode](const std::string& jail, const std::string& archive) {
        std::string body = "t = tarfile.open(" + std::string("'") + archive + "', '" + mode +
                           "', format=tarfile.GNU_FORMAT)\n";
        for (const auto& e : entries) {
            std::string name = e, target;
            std::string kind = "REGTYPE";
            if (auto p = e.find("->"); p != std::string::npos) {
                name = e.substr(0, p), target = e.substr(p + 2), kind = "SYMTYPE";
            } else if (auto q = e.find("=>"); q != std::string::npos) {
                name = e.substr(0, q), target = e.substr(q + 2), kind = "LNKTYPE";
            }
            body += "i = tarfile.TarInfo('" + name + "'); i.type = tarfile." + kind + "; i.linkname = '" +
                    target +
                    "'; data = b'evil'; i.size = len(data) if i.type == tarfile.REGTYPE else 0\n"
                    "t.addfile(i, io.BytesIO(data) if i.type == tarfile.REGTYPE else None)\n";
        }
        body += "t.close()\n";
        ASSERT_EQ(run("cd " + shellQuote(jail) + " && " + py(body)), 0);
    };
}

std::function<void(const std::string&, const std::string&)> bsdtarRenamed(std::string format,
                                                                          std::string to) {
    return [format, to](const std::string& jail, const std::string& archive) {
        writeFile(jail + "/src/evil.txt", "evil");
        ASSERT_EQ(run("cd " + shellQuote(jail + "/src") + " && bsdtar -P --format " + format + " -s ',^," +
                      to + ",' -cf " + shellQuote(archive) + " evil.txt"),
                  0);
    };
}

// Real links on disk archived by bsdtar in `format`: lnk -> ../victim, and d/l -> .. beside
// e -> d/l/../victim (inside by its letters, outside once d/l is followed).
std::function<void(const std::string&, const std::string&)> linksBy(std::string format) {
    return [format](const std::string& jail, const std::string& archive) {
        const std::string src = jail + "/links";
        fs::create_directories(src + "/d");
        fs::create_symlink("../victim", src + "/lnk");
        fs::create_symlink("..", src + "/d/l");
        fs::create_symlink("d/l/../victim", src + "/e");
        ASSERT_EQ(run("cd " + shellQuote(src) + " && bsdtar --format " + format + " -cf " +
                      shellQuote(archive) + " d d/l lnk e"),
                  0);
    };
}

std::vector<Hostile> hostiles() {
    const std::string up = "../victim/evil.txt";
    return {
        {"tar_dotdot", tarOf({up})},
        {"tar_absolute", tarOf({"/tmp/korvel-absolute-evil.txt"})},
        {"tar_link_out", tarOf({"lnk->../victim", "lnk/evil.txt"})},
        {"tar_link_absolute", tarOf({"lnk->/tmp", "lnk/korvel-evil.txt"})},
        // d/l points at the destination itself, which is fine; e through it would leave.
        {"tar_link_chain", tarOf({"d/l->..", "e->d/l/../victim", "e/evil.txt"})},
        {"tar_link_chain_deep", tarOf({"a->.", "b->a/a/a/..", "b/victim/evil.txt"})},
        {"tar_hardlink_out", tarOf({"h=>../victim/keep.txt", "h2=>/etc/passwd"})},
        {"tar_gz_dotdot", tarOf({up}, "w:gz")},
        {"tar_xz_link_out", tarOf({"lnk->../victim", "lnk/evil.txt"}, "w:xz")},
        {"7z_dotdot", bsdtarRenamed("7zip", "../victim/")},
        {"7z_absolute", bsdtarRenamed("7zip", "/tmp/korvel-7z-")},
        {"cpio_dotdot", bsdtarRenamed("cpio", "../victim/")},
        {"7z_links", linksBy("7zip")},
        {"cpio_links", linksBy("cpio")},
        {"iso_links", linksBy("iso9660")},
        {"rar4_dotdot",
         [](auto&, auto& a) {
             writeFile(a, rar4Archive({{"../victim/evil.txt", "evil"}}));
         }},
        {"rar4_link_out",
         [](auto&, auto& a) {
             writeFile(
                 a, rar4Archive({{"lnk", "../victim", ByteMember::Kind::Symlink}, {"lnk/evil.txt", "evil"}}));
         }},
        {"rar5_absolute",
         [](auto&, auto& a) {
             writeFile(a, rar5Archive({{"/tmp/korvel-rar5-evil.txt", "evil"}}));
         }},
        {"rar5_link_out",
         [](auto&, auto& a) {
             writeFile(
                 a, rar5Archive({{"lnk", "../victim", ByteMember::Kind::Symlink}, {"lnk/evil.txt", "evil"}}));
         }},
        {"lha_dotdot",
         [](auto&, auto& a) {
             writeFile(a, lhaArchive({{"../victim/evil.txt", "evil"}}));
         }},
        {"lha_absolute",
         [](auto&, auto& a) {
             writeFile(a, lhaArchive({{"/tmp/korvel-lha-evil.txt", "evil"}}));
         }},
    };
}

class HostileArchive : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileArchive, WritesNothingOutsideTheDestination) {
    TempDir t;
    const std::string jail = t.path().string();
    writeFile(jail + "/victim/keep.txt", "keep");
    const std::string archive = jail + "/hostile.arc";
    GetParam().make(jail, archive);
    for (bool withPaths : {true, false}) {
        ExtractRequest rq;
        rq.withPaths = withPaths;
        rq.overwrite = true;
        ExtractReport report;
        archiveReader().extract(archive, jail + "/out", rq, report);
        EXPECT_FALSE(fs::exists(jail + "/victim/evil.txt"));
        EXPECT_EQ(readFile(jail + "/victim/keep.txt"), "keep");
        for (const char* p :
             {"/tmp/korvel-absolute-evil.txt", "/tmp/korvel-evil.txt", "/tmp/korvel-7z-evil.txt",
              "/tmp/korvel-rar5-evil.txt", "/tmp/korvel-lha-evil.txt"})
            EXPECT_FALSE(fs::exists(p)) << p;
        // Every link made inside resolves inside.
        for (const auto& e : fs::recursive_directory_iterator(jail + "/out")) {
            if (!e.is_symlink())
                continue;
            const auto real = fs::weakly_canonical(e.path());
            EXPECT_EQ(real.string().rfind(fs::canonical(jail + "/out").string(), 0), 0u)
                << e.path() << " -> " << real;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Archives, HostileArchive, ::testing::ValuesIn(hostiles()),
                         [](const auto& info) { return std::string(info.param.label); });

// Damaged archives: no crash, and the file a damaged member would replace stays as it was.
struct Damage {
    const char* label;
    std::function<int(const std::string& dir, const std::string& out)> make;
};

TEST(DamagedArchive, TruncationReplacesNothing) {
    std::vector<Damage> cases = {
        {"7z",
         [](auto& d, auto& o) {
             return run("cd " + shellQuote(d) + " && 7z a -bd " + shellQuote(o) + " big.txt >/dev/null");
         }},
        {"tar_gz",
         [](auto& d, auto& o) {
             return run("cd " + shellQuote(d) + " && bsdtar -zcf " + shellQuote(o) + " big.txt");
         }},
        {"tar_xz",
         [](auto& d, auto& o) {
             return run("cd " + shellQuote(d) + " && bsdtar -Jcf " + shellQuote(o) + " big.txt");
         }},
        {"cab",
         [](auto& d, auto& o) {
             return run("cd " + shellQuote(d) + " && gcab -cz " + shellQuote(o) + " big.txt");
         }},
        {"rar4",
         [](auto& d, auto& o) {
             writeFile(o, rar4Archive({{"big.txt", readFile(d + "/big.txt")}}));
             return 0;
         }},
        {"rar5",
         [](auto& d, auto& o) {
             writeFile(o, rar5Archive({{"big.txt", readFile(d + "/big.txt")}}));
             return 0;
         }},
        {"lha",
         [](auto& d, auto& o) {
             writeFile(o, lhaArchive({{"big.txt", readFile(d + "/big.txt")}}));
             return 0;
         }},
    };
    std::string big;
    for (int i = 0; i < 40000; ++i)
        big += std::to_string(i * 2654435761u) + "\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir t;
        writeFile(t / "big.txt", big);
        ASSERT_EQ(c.make(t.path(), t / "whole.arc"), 0);
        const std::string whole = readFile(t / "whole.arc");
        for (double keep : {0.3, 0.6, 0.95}) {
            writeFile(t / "cut.arc", whole.substr(0, static_cast<std::size_t>(whole.size() * keep)));
            writeFile(t / "out/big.txt", "mine");
            ExtractRequest rq;
            rq.overwrite = true;
            ExtractReport report;
            const ArchiveResult x = archiveReader().extract(t / "cut.arc", t / "out", rq, report);
            EXPECT_FALSE(x.ok());
            EXPECT_EQ(readFile(t / "out/big.txt"), "mine");
            FoundMember f;
            EXPECT_FALSE(archiveReader().readFirstOf(t / "cut.arc", {"big.txt"}, true, 4 << 20, f).ok() &&
                         f.bytes == big);
            for (const auto& e : fs::directory_iterator(t / "out"))
                EXPECT_EQ(e.path().filename(), "big.txt") << "no temporary file is left";
        }
    }
}

TEST(Bomb, ExtractionStopsAtTheBound) {
    TempDir t;
    ASSERT_EQ(run("cd " + shellQuote(t.path()) +
                  " && head -c 8000000 /dev/zero > zeros && bsdtar -zcf bomb.tgz zeros && rm zeros"),
              0);
    ExtractRequest rq;
    rq.maxTotalBytes = 1 << 20;
    ExtractReport report;
    EXPECT_EQ(archiveReader().extract(t / "bomb.tgz", t / "out", rq, report).status, ArchiveStatus::TooLarge);
    EXPECT_TRUE(fs::is_empty(t / "out"));
}

// The boxes of the Extract dialog, on a tar holding "Readme.TXT" dated 2001.
struct Boxes {
    const char* label;
    bool overwrite, onlyNewer, newerOrNew, ignoreCase;
    const char* existing; // content already at out/Readme.TXT, nullptr: none
    time_t existingTime;
    const char* expect; // content afterwards, nullptr: not there
};

class ExtractBoxes : public ::testing::TestWithParam<Boxes> {};

TEST_P(ExtractBoxes, DecideWhatIsWritten) {
    const Boxes& b = GetParam();
    TempDir t;
    writeFile(t / "src/Readme.TXT", "archived");
    setMtime(t / "src/Readme.TXT", 1000000000);
    ASSERT_EQ(run("cd " + shellQuote(t / "src") + " && bsdtar -Jcf ../a.tar.xz Readme.TXT"), 0);
    if (b.existing) {
        writeFile(t / "out/Readme.TXT", b.existing);
        setMtime(t / "out/Readme.TXT", b.existingTime);
    }
    ExtractRequest rq;
    rq.names = {"readme.txt"};
    rq.overwrite = b.overwrite;
    rq.onlyNewer = b.onlyNewer;
    rq.newerOrNew = b.newerOrNew;
    rq.ignoreCase = b.ignoreCase;
    ExtractReport report;
    archiveReader().extract(t / "a.tar.xz", t / "out", rq, report);
    if (b.expect)
        EXPECT_EQ(readFile(t / "out/Readme.TXT"), b.expect);
    else
        EXPECT_FALSE(fs::exists(t / "out/Readme.TXT"));
}

INSTANTIATE_TEST_SUITE_P(
    Archives, ExtractBoxes,
    ::testing::Values(
        Boxes{"new_file", false, false, false, true, nullptr, 0, "archived"},
        Boxes{"case_counts", false, false, false, false, nullptr, 0, nullptr},
        Boxes{"kept_without_overwrite", false, false, false, true, "mine", 2000000000, "mine"},
        Boxes{"overwritten", true, false, false, true, "mine", 2000000000, "archived"},
        Boxes{"only_newer_skips_new", false, true, false, true, nullptr, 0, nullptr},
        Boxes{"only_newer_replaces_older", false, true, false, true, "mine", 900000000, "archived"},
        Boxes{"only_newer_keeps_newer", true, true, false, true, "mine", 2000000000, "mine"},
        Boxes{"newer_or_new_adds", false, false, true, true, nullptr, 0, "archived"},
        Boxes{"newer_or_new_keeps_newer", false, false, true, true, "mine", 2000000000, "mine"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(VolumeNames, LookLikeParts) {
    for (const char* yes : {"a.7z.001", "GAME.R00", "x.z01", "set.part2.rar", "set.PART1.RAR"})
        EXPECT_TRUE(looksLikeVolumeName(yes)) << yes;
    for (const char* no : {"a.7z", "game.rar", "x.zip", "part.rar", "r00"})
        EXPECT_FALSE(looksLikeVolumeName(no)) << no;
}

} // namespace

namespace {

// The browser's type names come from the name alone; compressed tars keep both extensions.
TEST(ArchiveNames, TypeNamesByExtension) {
    const std::pair<const char*, const char*> rows[] = {
        {"GAME.7Z", "7-Zip archive"},
        {"demo.LZH", "LHA archive"},
        {"x.tar.gz", "Tar archive (gzip-compressed)"},
        {"X.TAR.XZ", "Tar archive (xz-compressed)"},
        {"disk.iso", "ISO 9660 image"},
        {"setup.cab", "Cabinet archive"},
        {"notes.gz", ""},
        {"a.star.gz", ""},
    };
    for (const auto& [name, type] : rows)
        EXPECT_EQ(archiveTypeName(files::TypeKeys::keyFor(files::EntryKind::File, name)), type) << name;
}

} // namespace
