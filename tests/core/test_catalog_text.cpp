// The catalogue's text pieces: formats by content and name, plain lines, SAUCE, ANSI to HTML,
// the FILES.BBS layout, JSON quoting and the progress line.
#include "core/catalog/AnsiHtml.h"
#include "core/catalog/ArchiveFormat.h"
#include "core/catalog/CatalogText.h"
#include "core/catalog/CatalogWriters.h"
#include "core/catalog/DescriptionBody.h"
#include "core/catalog/ProgressLine.h"
#include "core/render/Sauce.h"
#include "core/text/Utf8.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

using namespace korvel::catalog;
using namespace std::string_literals;
using Lines = std::vector<std::string>;

TEST(CatalogFormats, ContentThenName) {
    struct Case {
        std::string head, name, content, byName;
    };
    std::string tar(512, '\0');
    tar.replace(257, 5, "ustar");
    const Case cases[] = {
        {"PK\x03\x04rest"s, "a.zip", "zip", "zip"},
        {"PK\x05\x06"s, "EMPTY.ZIP", "zip", "zip"},
        {"7z\xBC\xAF\x27\x1C\0\4"s, "a.7z", "7z", "7z"},
        {"Rar!\x1A\x07\x01\0"s, "A.RAR", "rar", "rar"},
        {"MSCF\0\0\0\0"s, "a.cab", "cab", "cab"},
        {"\x21\x5A-lh5-"s, "game.lzh", "lha", "lha"},
        {"\x60\xEA"s, "a.arj", "arj", "arj"},
        {tar, "x.tar", "tar", "tar"},
        {"\x1F\x8B\x08"s, "x.tar.gz", "gzip", "gzip"},
        {"\x28\xB5\x2F\xFD"s, "x.tar.zst", "zstd", "zstd"},
        {"070701000000"s, "initrd.cpio", "cpio", "cpio"},
        {"070707000000"s, "old", "cpio", ""},
        {"garbage", "broken.Zip", "", "zip"},
        {"MZ\x90\0"s, "setup.exe", "", ""},
        {"", "readme.txt", "", ""},
        {"PK\x03\x04"s, ".zip", "zip", ""}, // a bare extension is a hidden file's name
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatFromContent(c.head), c.content) << c.name;
        EXPECT_EQ(formatFromName(c.name), c.byName) << c.name;
    }
}

TEST(CatalogText, PlainLines) {
    struct Case {
        std::string text;
        Lines lines;
    };
    const Case cases[] = {
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"\r\n\r\n  first  \nsecond\rthird\r\n\r\n\r\n", {"  first", "second", "third"}},
        {"a\tb\r\n12345678\tc", {"a       b", "12345678        c"}},
        {"\x1B[1;33mGold\x1B[0m\x1B[5Cgap\x1B[2J", {"Gold     gap"}},
        {"nul\0byte"s, {"nulbyte"}},
        {"\xC9\xCD\xBB\r\n\xC8\xCD\xBC", {"\xC9\xCD\xBB", "\xC8\xCD\xBC"}},
        {"", {}},
        {"\r\n \r\n", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(plainLines(c.text), c.lines) << c.text;
}

std::string sauce(const std::string& title, const std::string& author, int comments) {
    std::string rec = "SAUCE00";
    auto pad = [&](const std::string& s, std::size_t n) { rec += s + std::string(n - s.size(), ' '); };
    pad(title, 35);
    pad(author, 20);
    pad("Group", 20);
    rec += "19960131";
    rec += "\x10\0\0\0"s;   // file size 16
    rec += "\x01\x01"s;     // character, ANSi
    rec += "\x50\0\x19\0"s; // 80 x 25
    rec += "\0\0\0\0"s;
    rec += static_cast<char>(comments);
    rec += '\x01';
    rec += "IBM VGA" + std::string(15, '\0');
    std::string block;
    if (comments) {
        block = "COMNT";
        for (int i = 0; i < comments; ++i)
            block += "comment " + std::to_string(i) + std::string(64 - 9, ' ');
    }
    return block + rec;
}

TEST(CatalogText, SauceIsReadAndLeftOutOfTheText) {
    const std::string withComments = "Art\r\n\x1A"s + sauce("Title", "Artist", 2);
    DescriptionBody b = descriptionBody(withComments);
    EXPECT_EQ(b.text, "Art\r\n");
    ASSERT_TRUE(b.sauce);
    EXPECT_EQ(b.sauce->title, "Title");
    EXPECT_EQ(b.sauce->author, "Artist");
    EXPECT_EQ(b.sauce->group, "Group");
    EXPECT_EQ(b.sauce->date, "19960131");
    EXPECT_EQ(b.sauce->fileSize, 16u);
    EXPECT_EQ(b.sauce->tInfo1, 80);
    EXPECT_EQ(b.sauce->tInfo2, 25);
    EXPECT_EQ(b.sauce->fontName, "IBM VGA");
    EXPECT_EQ(b.sauce->comments, (Lines{"comment 0", "comment 1"}));

    const std::string withEndMark = "Plain\x1A"
                                    "after the end mark";
    b = descriptionBody(withEndMark);
    EXPECT_EQ(b.text, "Plain");
    EXPECT_FALSE(b.sauce);
    b = descriptionBody("short SAUCE00"); // too short to hold a record
    EXPECT_EQ(b.text, "short SAUCE00");
    EXPECT_FALSE(b.sauce);
    // A comment count that points before the start of the file is not believed.
    const std::string badCount = sauce("T", "A", 200);
    b = descriptionBody(badCount);
    EXPECT_TRUE(b.sauce);
    EXPECT_TRUE(b.sauce->comments.empty());
}

TEST(CatalogText, AnsiColoursBecomeSpans) {
    struct Case {
        std::string text, html;
    };
    const Case cases[] = {
        {"plain <&>", "plain &lt;&amp;&gt;"},
        {"\x1B[1;33mgold\x1B[0m grey", "<span class=\"f11\">gold</span> grey"},
        {"\x1B[44;37mblue bg\x1B[m", "<span class=\"f7 b4\">blue bg</span>"},
        {"\x1B[31mred\r\nstill red", "<span class=\"f1\">red</span>\n<span class=\"f1\">still red</span>"},
        {"\x1B[7minverse", "<span class=\"f0 b7\">inverse</span>"},
        {"a\x1B[3Cb\x1B[10;1Hc", "a   bc"},
        {"\xB0\xB1\xB2\xDB", "\u2591\u2592\u2593\u2588"},
        {"\x1B[38;5;200mx", "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ansiToHtml(c.text, cp437ToUtf8), c.html) << c.text;
}

TEST(CatalogText, NamesAndJson) {
    EXPECT_EQ(nameToUtf8("caf\xE9 \xE0.zip"), "caf\u00e9 \u00e0.zip");
    EXPECT_EQ(nameToUtf8("caf\u00e9.zip"), "caf\u00e9.zip");
    EXPECT_FALSE(korvel::utf8::isValid("\xE9"));
    EXPECT_FALSE(korvel::utf8::isValid("\xED\xA0\x80")); // a surrogate
    EXPECT_TRUE(korvel::utf8::isValid("\u2591"));
    EXPECT_EQ(jsonQuote("a\"b\\c\r\n\x1B\x7F\u00e9"), "\"a\\\"b\\\\c\\r\\n\\u001b\\u007f\u00e9\"");
}

TEST(CatalogText, ProgressLine) {
    EXPECT_EQ(progressLine(0, 100, 0.0), "0/100 archives");
    EXPECT_EQ(progressLine(50, 100, 0.05), "50/100 archives");
    EXPECT_EQ(progressLine(250, 1000, 0.5), "250/1000 archives  500/s  0:02 left");
    EXPECT_EQ(progressLine(1, 10000, 1.0), "1/10000 archives  1/s  2:46:39 left");
    EXPECT_EQ(progressLine(100, 100, 2.0), "100/100 archives  50/s  0:00 left");
}

namespace {

CatalogEntry entry(const std::string& name, std::uint64_t size, FindStatus status,
                   const std::string& bytes = {}, const std::string& reason = {}) {
    CatalogEntry e;
    e.file.path = "/files/" + name;
    e.file.name = name;
    e.file.size = size;
    e.file.mtimeNs = 820368000LL * 1000000000; // 12-31-95 00:00 UTC
    e.file.format = "zip";
    e.finding.status = status;
    e.finding.member = status == FindStatus::Found ? "FILE_ID.DIZ" : "";
    e.finding.bytes = bytes;
    e.finding.reason = reason;
    return e;
}

} // namespace

TEST(CatalogWriters, FilesBbsLayout) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    std::string longText;
    for (int i = 1; i <= 50; ++i)
        longText += "line " + std::to_string(i) + "\r\n";
    const std::vector<CatalogEntry> entries = {
        entry("GAME.ZIP", 123456, FindStatus::Found, "\xC9\xCD\xBB Game \xC8\r\nsecond line\r\n"),
        entry("sub/a long name.zip", 7, FindStatus::NoDescription),
        entry("caf\xE9.zip", 99, FindStatus::Damaged, {}, "not a ZIP archive, or its directory is damaged"),
        entry("LONG.ZIP", 5, FindStatus::Found, longText),
        entry("ENC.ZIP", 1, FindStatus::Encrypted, {}, "file_id.diz is encrypted"),
        entry("EMPTY.ZIP", 1, FindStatus::Found, "\r\n"),
    };
    WriteOptions o;
    o.maxLines = 3;
    const std::string ind(32, ' ');
    std::string expected =
        "GAME.ZIP       123456 12-31-95  \xC9\xCD\xBB Game \xC8\r\n" + ind +
        "second line\r\n"
        "sub/a long name.zip        7 12-31-95  (no description)\r\n"
        "caf\x82.zip           99 12-31-95  (damaged: not a ZIP archive, or its directory is "
        "damaged)\r\n"
        "LONG.ZIP            5 12-31-95  line 1\r\n" +
        ind + "line 2\r\n" + ind + "line 3\r\n" + ind +
        "(47 more lines)\r\n"
        "ENC.ZIP             1 12-31-95  (encrypted: file_id.diz is encrypted)\r\n"
        "EMPTY.ZIP           1 12-31-95  (empty description)\r\n";
    EXPECT_EQ(writeBbs(entries, o), expected);

    o.bbsUtf8 = true;
    const std::string utf8 = writeBbs({entries[0], entries[2]}, o);
    EXPECT_EQ(utf8,
              "GAME.ZIP       123456 12-31-95  \u2554\u2550\u2557 Game \u255a\r\n" + ind +
                  "second line\r\n"
                  "caf\u00e9.zip           99 12-31-95  (damaged: not a ZIP archive, or its directory is "
                  "damaged)\r\n");
}

TEST(CatalogWriters, JsonLinesCarryEveryField) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const std::vector<CatalogEntry> entries = {
        entry("A.ZIP", 10, FindStatus::Found, "\x1B[1mHi\x1B[0m \xB1\r\n\x1A"s + sauce("T", "A", 0)),
        entry("caf\xE9.zip", 3, FindStatus::Unreadable, {}, "Permission denied"),
    };
    const std::string json = writeJson(entries, WriteOptions{});
    EXPECT_EQ(
        json,
        "{\"path\":\"/files/A.ZIP\",\"name\":\"A.ZIP\",\"size\":10,\"modified\":\"1995-12-31T00:00:00Z\","
        "\"format\":\"zip\",\"status\":\"found\",\"member\":\"FILE_ID.DIZ\",\"description\":\"Hi "
        "\u2592\\n\",\"ansi\":true,\"sauce\":{\"title\":\"T\",\"author\":\"A\",\"group\":\"Group\","
        "\"date\":\"19960131\",\"file_size\":16,\"data_type\":1,\"file_type\":1,\"tinfo\":[80,25,0,0],"
        "\"flags\":1,\"font\":\"IBM VGA\",\"comments\":[]}}\n"
        "{\"path\":\"/files/caf\u00e9.zip\",\"path_bytes\":\"2f66696c65732f636166e92e7a6970\","
        "\"name\":\"caf\u00e9.zip\",\"size\":3,\"modified\":\"1995-12-31T00:00:00Z\",\"format\":\"zip\","
        "\"status\":\"unreadable\",\"reason\":\"Permission denied\"}\n");
}

TEST(CatalogWriters, HtmlHasContentsSearchAndTheHook) {
    const std::vector<CatalogEntry> entries = {entry("A&B.ZIP", 1, FindStatus::Found, "\x1B[32mgreen"),
                                               entry("C.ZIP", 1, FindStatus::NoDescription)};
    WriteOptions o;
    std::string html = writeHtml(entries, o);
    EXPECT_NE(html.find("<li id=\"t0\"><a href=\"#a0\">A&amp;B.ZIP</a></li>"), std::string::npos);
    EXPECT_NE(html.find("<pre class=\"diz\"><span class=\"f2\">green</span></pre>"), std::string::npos);
    EXPECT_NE(html.find("<p class=\"note\">(no description)</p>"), std::string::npos);
    EXPECT_NE(html.find("id=\"search\""), std::string::npos);
    o.text.toHtml = [](std::string_view text) { return "[cells:" + std::string(text) + "]"; };
    o.text.css = ".cell{}";
    html = writeHtml(entries, o);
    EXPECT_NE(html.find("<pre class=\"diz\">[cells:\x1B[32mgreen]</pre>"), std::string::npos);
    EXPECT_NE(html.find(".cell{}"), std::string::npos);
    EXPECT_EQ(html.find(".f0{"), std::string::npos);
}
