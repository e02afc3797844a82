// Archives as other programs make them: zip, 7z, bsdtar and Python's zipfile, made here by those
// tools, and the oddities old packers and self-extractors leave, built byte by byte. For each,
// listing, print and extraction agree with Python's zipfile (and the names with unzip) on which
// members are there and what bytes they hold.
#include "ArchiveFixtures.h"
#include "EngineCalls.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace korvel::test;

namespace {

// Python helpers for the byte-built archives: raw(...) describes a member as stored, write(...)
// lays the members out with an optional prefix, member count and trailing name tricks.
const char* const kBuilder = R"(
import struct, zlib, lzma, subprocess, zipfile, bz2
def deflate(d):
    c = zlib.compressobj(9, zlib.DEFLATED, -15); return c.compress(d) + c.flush()
def zstd(d):
    return subprocess.run(["zstd", "-q", "-c"], input=d, stdout=subprocess.PIPE, check=True).stdout
def raw(name, data, method=0, comp=None, system=3, attr=None, lextra=b"", cextra=b"", lsizes=None):
    name = name.encode("latin-1") if isinstance(name, str) else name
    return dict(name=name, data=data, comp=data if comp is None else comp, method=method,
                system=system, attr=(0o100644 << 16) if attr is None else attr,
                lextra=lextra, cextra=cextra, lsizes=lsizes)
def link(name, target):
    return raw(name, target.encode(), attr=0o120777 << 16)
def write(path, members, prefix=b"", count=None):
    out, cd = bytearray(prefix), bytearray()
    for m in members:
        off = len(out) - len(prefix)
        crc = zlib.crc32(m["data"])
        cs, us = m["lsizes"] if m["lsizes"] is not None else (len(m["comp"]), len(m["data"]))
        out += struct.pack("<IHHHHHIIIHH", 0x04034b50, 20, 0, m["method"], 0x6000, 0x5a21, crc, cs, us,
                           len(m["name"]), len(m["lextra"])) + m["name"] + m["lextra"] + m["comp"]
        cd += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014b50, (m["system"] << 8) | 20, 20, 0, m["method"],
                          0x6000, 0x5a21, crc, len(m["comp"]), len(m["data"]), len(m["name"]),
                          len(m["cextra"]), 0, 0, 0, m["attr"], off) + m["name"] + m["cextra"]
    n = len(members) if count is None else count
    cdoff = len(out) - len(prefix)
    out += cd + struct.pack("<IHHHHIIH", 0x06054b50, 0, 0, n, n, len(cd), cdoff, 0)
    open(path, "wb").write(out)
)";

// Python's zipfile reading an archive: one line per member, "name-hex TAB status TAB bytes-hex".
// XZ and Zstandard members, which zipfile does not decode, are decoded here from their raw data.
const char* const kReference = R"(
import sys, struct, zipfile, lzma, subprocess
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        st, d = "ok", b""
        try:
            d = z.read(i)
        except NotImplementedError:
            st = "unsupported"
            if i.compress_type in (93, 95):
                z.fp.seek(i.header_offset)
                h = z.fp.read(30)
                n, e = struct.unpack("<HH", h[26:30])
                z.fp.seek(i.header_offset + 30 + n + e)
                r = z.fp.read(i.compress_size)
                d = lzma.decompress(r) if i.compress_type == 95 else subprocess.run(
                    ["zstd", "-q", "-d", "-c"], input=r, stdout=subprocess.PIPE, check=True).stdout
                st = "ok"
        except Exception:
            st = "error"
        print(i.filename.encode("utf-8", "surrogateescape").hex(), st, d.hex(), sep="\t")
)";

std::string unhex(const std::string& h) {
    std::string out;
    for (size_t i = 0; i + 1 < h.size(); i += 2)
        out += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
    return out;
}

struct Ref {
    std::string name, status, data;
};

std::vector<Ref> pythonReads(const TempDir& t, const std::string& zip) {
    writeFile(t / "reference.py", kReference);
    std::string out;
    run("python3 " + shellQuote(t / "reference.py") + " " + shellQuote(zip), &out);
    std::vector<Ref> refs;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::string n, s, d;
        std::getline(f, n, '\t');
        std::getline(f, s, '\t');
        std::getline(f, d, '\t');
        refs.push_back({unhex(n), s, unhex(d)});
    }
    return refs;
}

// unzip's own list of member names (unzip -Z1), or nothing when unzip cannot read the archive.
std::vector<std::string> unzipNames(const std::string& zip) {
    std::string out;
    run("unzip -Z1 " + shellQuote(zip) + " 2>/dev/null", &out);
    std::vector<std::string> names;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);)
        names.push_back(l);
    return names;
}

struct ForeignCase {
    const char* label;
    const char* script;           // shell commands run in the test folder, making a.zip
    bool plainNames = true;       // names compare as text with Python and unzip
    bool unzipLists = true;       // unzip -Z1 lists it (its members are compared)
    const char* unsupported = ""; // the method named for members nobody here decodes
};

class Foreign : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(Foreign, ListingPrintAndExtractionAgreeWithPythonAndUnzip) {
    const ForeignCase& c = GetParam();
    TempDir t;
    writeFile(t / "builder.py", kBuilder);
    writeFile(t / "in/file_id.diz", "\xC9\xCD\xBB DOS \xC8\xCD\xBC\r\n");
    std::string big;
    for (int i = 0; i < 30000; ++i)
        big += std::to_string(i * 7919) + (i % 9 ? " " : "\r\n");
    writeFile(t / "in/docs/readme.txt", big);
    ASSERT_EQ(run("cd " + shellQuote(t.path().string()) + " && (" + c.script + ") >/dev/null 2>&1"), 0);
    const std::string zip = t / "a.zip";
    const std::vector<Ref> refs = pythonReads(t, zip);
    ASSERT_FALSE(refs.empty());

    ASSERT_EQ(listArchive(zip), PK_OK);
    const std::vector<Listed> listed = Recorder::listed;
    ASSERT_EQ(listed.size(), refs.size());
    if (c.plainNames) {
        for (size_t i = 0; i < refs.size(); ++i)
            EXPECT_EQ(listed[i].name, refs[i].name) << i;
        if (c.unzipLists) {
            std::vector<std::string> ours;
            for (const auto& l : listed)
                ours.push_back(l.name);
            EXPECT_EQ(unzipNames(zip), ours);
        }
    }

    Request x(zip, t / "out");
    x.d.ndflag = 1;
    x.d.fQuiet = 0;
    const int extracted = x.call();
    std::string notes;
    for (const auto& p : Recorder::printed)
        notes += p;
    bool anyUnsupported = false;
    for (size_t i = 0; i < refs.size(); ++i) {
        const Ref& r = refs[i];
        const std::string& name = listed[i].name;
        SCOPED_TRACE(name);
        if (name.empty() || name.back() == '/')
            continue;
        std::string printed;
        const int p = printMember(zip, name, &printed);
        if (r.status == "ok") {
            EXPECT_EQ(p, PK_OK);
            EXPECT_EQ(printed, r.data.substr(0, UZ_PRINT_LIMIT));
            if (c.plainNames) {
                EXPECT_EQ(readFile(t / ("out/" + name)), r.data);
            }
        } else {
            anyUnsupported = true;
            EXPECT_EQ(p, PK_UNSUPP);
            EXPECT_EQ(printed, "");
            EXPECT_NE(notes.find(name + "  unsupported compression method: " + c.unsupported),
                      std::string::npos)
                << notes;
        }
    }
    EXPECT_EQ(extracted, anyUnsupported ? PK_UNSUPP : PK_OK) << notes;
}

INSTANTIATE_TEST_SUITE_P(
    Archives, Foreign,
    ::testing::Values(
        ForeignCase{"zipDeflate", "cd in && zip -qr ../a.zip ."},
        ForeignCase{"zipBzip2", "cd in && zip -qr -Z bzip2 ../a.zip ."},
        ForeignCase{"zipStreamed", "cd in && cat docs/readme.txt | zip -q ../a.zip - && zip -qr ../a.zip ."},
        ForeignCase{"zipWithPrefix",
                    "cd in && zip -qr ../z.zip . && cd .. && head -c 5000 /dev/urandom > a.zip "
                    "&& cat z.zip >> a.zip"},
        ForeignCase{"sevenZipDeflate", "cd in && 7z a -tzip -mm=Deflate ../a.zip ."},
        ForeignCase{"sevenZipBzip2", "cd in && 7z a -tzip -mm=BZip2 ../a.zip ."},
        ForeignCase{"sevenZipLzma", "cd in && 7z a -tzip -mm=LZMA ../a.zip .", true, true},
        ForeignCase{"sevenZipDeflate64", "cd in && 7z a -tzip -mm=Deflate64 ../a.zip .", true, true,
                    "Deflate64"},
        ForeignCase{"sevenZipPpmd", "cd in && 7z a -tzip -mm=PPMd ../a.zip .", true, true, "PPMd"},
        ForeignCase{"bsdtar", "cd in && bsdtar --format zip -cf ../a.zip ."},
        ForeignCase{"bsdtarStored",
                    "cd in && bsdtar --format zip --options zip:compression=store -cf ../a.zip ."},
        ForeignCase{
            "pythonEveryMethod",
            "python3 -c \"import zipfile\nfor m, n in ((0, 's'), (8, 'd'), (12, 'b'), (14, 'l')):\n"
            "    with zipfile.ZipFile('a.zip', 'a', m) as z: z.write('in/docs/readme.txt', n + '.txt')\""},
        ForeignCase{"pythonZip64",
                    "python3 -c \"import zipfile\nwith zipfile.ZipFile('a.zip', 'w', 8) as z:\n"
                    "    with z.open('FILE_ID.DIZ', 'w', force_zip64=True) as f: "
                    "f.write(open('in/docs/readme.txt', 'rb').read())\""},
        ForeignCase{"xzAndZstd",
                    "python3 -c \"exec(open('builder.py').read())\nd = open('in/docs/readme.txt', "
                    "'rb').read()\nwrite('a.zip', [raw('x.txt', d, 95, lzma.compress(d)), "
                    "raw('z.txt', d, 93, zstd(d))])\"",
                    true, true},
        ForeignCase{"lowMemberCount", "python3 -c \"exec(open('builder.py').read())\nwrite('a.zip', "
                                      "[raw('a.txt', b'one'), raw('b.txt', b'two'), raw('c.txt', b'three')], "
                                      "count=1)\""},
        ForeignCase{"oddExtraFields",
                    "python3 -c \"exec(open('builder.py').read())\nd = b'padded' * 99\nwrite('a.zip', "
                    "[raw('pad.txt', d, 8, deflate(d), lextra=b'\\\\x35\\\\xd9\\\\x07\\\\x00' + bytes(7), "
                    "cextra=b'UT\\\\x05\\\\x00\\\\x01\\\\x00\\\\x00\\\\x00\\\\x60\\\\x00'), "
                    "raw('odd.txt', b'odd', lextra=b'\\\\x00\\\\x00\\\\x00')])\""},
        ForeignCase{"localSizesDiffer",
                    "python3 -c \"exec(open('builder.py').read())\nd = b'sizes' * 999\nwrite('a.zip', "
                    "[raw('s.txt', d, 8, deflate(d), lsizes=(0, 0)), raw('t.txt', b'x', lsizes=(7, 9))])\""},
        ForeignCase{
            "signaturesInNames",
            "python3 -c \"exec(open('builder.py').read())\nwrite('a.zip', [raw('PK\\\\x06\\\\x06.txt', "
            "b'a'), raw('zz_PK\\\\x06\\\\x07_0123456789abcdef', b'b')])\"",
            false}),
    [](const auto& i) { return std::string(i.param.label); });

// Links whose targets each stay inside, but that together would lead out: b -> ".", a -> "b/..".
// Whatever their order, nothing extracted points outside the destination.
class LinkChains : public ::testing::TestWithParam<const char*> {};

TEST_P(LinkChains, NoLinkLeadsOutOfTheDestination) {
    TempDir t;
    writeFile(t / "builder.py", kBuilder);
    writeFile(t / "outside/secret.txt", "secret");
    ASSERT_EQ(python(t.path().string(), std::string(kBuilder) + "write('a.zip', [" + GetParam() + "])\n"), 0);
    Request r(t / "a.zip", t / "dest/sub");
    r.d.ndflag = 1;
    const int rc = r.call();
    EXPECT_TRUE(rc == PK_OK || rc == PK_WARN) << rc;
    const fs::path dest = fs::canonical(t / "dest/sub");
    for (auto& e : fs::recursive_directory_iterator(dest, fs::directory_options::none)) {
        if (!fs::is_symlink(e.symlink_status()))
            continue;
        const fs::path where = fs::weakly_canonical(e.path());
        EXPECT_EQ(where.string().rfind(dest.string(), 0), 0u) << e.path() << " -> " << where;
    }
    EXPECT_TRUE(fs::exists(dest / "keep.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Orders, LinkChains,
    ::testing::Values(
        "link('b', '.'), link('a', 'b/..'), raw('keep.txt', b'k')",
        "link('a', 'b/..'), link('b', '.'), raw('keep.txt', b'k')",
        "link('d/up', '..'), link('d/u2', 'up/up'), link('e', 'd/up/d/up/..'), raw('keep.txt', b'k')",
        "link('x', 'y'), link('y', 'x'), link('z', 'x/..'), raw('keep.txt', b'k')"));

struct AttrCase {
    const char* label;
    int system;
    uint32_t attr;
    bool writable;
};
class Attributes : public ::testing::TestWithParam<AttrCase> {};

TEST_P(Attributes, TheReadOnlyAttributeReachesTheFile) {
    TempDir t;
    const AttrCase& c = GetParam();
    ASSERT_EQ(python(t.path().string(), std::string(kBuilder) + "write('a.zip', [raw('f.txt', b'x', system=" +
                                            std::to_string(c.system) + ", attr=" + std::to_string(c.attr) +
                                            ")])\n"),
              0);
    Request r(t / "a.zip", t / "out");
    ASSERT_EQ(r.call(), PK_OK);
    struct stat st {};
    ASSERT_EQ(::stat((t / "out/f.txt").c_str(), &st), 0);
    EXPECT_EQ((st.st_mode & 0222) != 0, c.writable) << std::oct << st.st_mode;
}

INSTANTIATE_TEST_SUITE_P(Hosts, Attributes,
                         ::testing::Values(AttrCase{"dosReadOnly", 0, 0x21, false},
                                           AttrCase{"dosWritable", 0, 0x20, true},
                                           AttrCase{"ntfsReadOnly", 10, 0x01, false},
                                           AttrCase{"vfatReadOnly", 14, 0x01, false},
                                           AttrCase{"unixReadOnly", 3, (0100444u << 16) | 1u, false},
                                           AttrCase{"unixWritable", 3, 0100644u << 16, true}),
                         [](const auto& i) { return std::string(i.param.label); });

// An LZMA member whose header asks for a 4 GiB dictionary decodes with no more than it needs.
TEST(HostileHeaders, AnLzmaDictionaryIsBoundedByTheMember) {
    TempDir t;
    ASSERT_EQ(python(t.path().string(),
                     std::string(kBuilder) +
                         "d = b'lzma member ' * 50\n"
                         "f = [{'id': lzma.FILTER_LZMA1, 'dict_size': 1 << 16}]\n"
                         "props = bytearray(lzma._encode_filter_properties(f[0]))\n"
                         "props[1:5] = b'\\xf0\\xff\\xff\\xff'\n"
                         "c = bytes([9, 20, 5, 0]) + bytes(props) + lzma.compress(d, format=lzma.FORMAT_RAW, "
                         "filters=f)\n"
                         "write('a.zip', [raw('l.txt', d, 14, c)])\n"),
              0);
    std::string got;
    EXPECT_EQ(printMember(t / "a.zip", "l.txt", &got), PK_OK);
    std::string want;
    for (int i = 0; i < 50; ++i)
        want += "lzma member ";
    EXPECT_EQ(got, want);
}

// A description bigger than the print bound is delivered cut, and the totals say so.
TEST(PrintBound, ACutDeliveryIsToldByTheTotals) {
    TempDir t;
    writeFile(t / "big/file_id.diz", std::string(5 * 1024 * 1024, 'x'));
    writeFile(t / "big/small.txt", "small");
    ASSERT_EQ(zipTool((t.path() / "big").string(), "../a.zip file_id.diz small.txt"), 0);
    for (const auto& [name, size, cut] :
         {std::tuple{"file_id.diz", 5u * 1024 * 1024, true}, std::tuple{"small.txt", 5u, false}}) {
        Recorder::reset();
        Request r(t / "a.zip", "");
        r.d.ncflag = 1;
        USERFUNCTIONS f = Recorder::functions();
        std::string n = name;
        char* v[] = {n.data()};
        r.d.lpszZipFN = r.archive.data();
        ASSERT_EQ(Wiz_SingleEntryUnzip(1, v, 0, nullptr, &r.d, &f), PK_OK);
        ASSERT_EQ(Recorder::printed.size(), 1u);
        const size_t delivered = Recorder::printed[0].size();
        EXPECT_EQ(delivered, std::min<size_t>(size, UZ_PRINT_LIMIT));
        EXPECT_EQ(f.TotalSize > delivered, cut);
        EXPECT_EQ(f.NumMembers, 1u);
    }
}

} // namespace
