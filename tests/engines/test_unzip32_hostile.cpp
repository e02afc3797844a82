// Hostile and broken archives: nothing is ever written outside the destination, damaged input
// gives an error result and never a crash, encrypted members are skipped.
#include "ArchiveFixtures.h"
#include "EngineCalls.h"

#include <gtest/gtest.h>

using namespace korvel::test;

namespace {

// Everything found below `dir`, as relative paths.
std::vector<std::string> tree(const std::string& dir) {
    std::vector<std::string> out;
    if (!fs::exists(dir))
        return out;
    for (auto& e : fs::recursive_directory_iterator(dir))
        out.push_back(fs::relative(e.path(), dir).string());
    std::sort(out.begin(), out.end());
    return out;
}

class Hostile : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(t / "outside");
        fs::create_directories(t / "dest");
    }
    // Builds evil.zip from Python statements adding to the ZipFile `z`; `sym(name, target)` adds
    // a link member.
    std::string build(const std::string& body) {
        python(t.path().string(), "import zipfile\n"
                                  "def sym(z, name, target):\n"
                                  "    i = zipfile.ZipInfo(name); i.create_system = 3\n"
                                  "    i.external_attr = (0o120777 << 16); z.writestr(i, target)\n"
                                  "with zipfile.ZipFile('evil.zip', 'w') as z:\n" +
                                      body + "\n    z.writestr('good.txt', 'good')\n");
        return t / "evil.zip";
    }
    int extract(const std::string& zip, bool withPaths, bool overwrite = true) {
        Request r(zip, t / "dest");
        r.d.ndflag = withPaths;
        r.d.noflag = overwrite;
        return r.call();
    }
    TempDir t;
};

struct EscapeCase {
    const char* label;
    const char* body; // python lines (indented 4) adding the hostile members
};

class Escapes : public Hostile, public ::testing::WithParamInterface<EscapeCase> {};

TEST_P(Escapes, NothingLandsOutsideAndTheRestExtracts) {
    std::string body = GetParam().body;
    std::string abs = (t.path() / "outside").string();
    for (size_t p; (p = body.find("@OUT@")) != std::string::npos;)
        body.replace(p, 5, abs);
    const std::string zip = build(body);
    ASSERT_TRUE(fs::exists(zip));
    for (bool withPaths : {true, false}) {
        SCOPED_TRACE(withPaths ? "with paths" : "without paths");
        int r = extract(zip, withPaths);
        EXPECT_TRUE(r == PK_OK || r == PK_WARN) << r;
        EXPECT_EQ(tree(t / "outside"), std::vector<std::string>{});
        EXPECT_EQ(readFile(t / "dest/good.txt"), "good");
        EXPECT_FALSE(fs::exists(t.path().parent_path() / "escape.txt"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, Escapes,
    ::testing::Values(EscapeCase{"absolute", "    z.writestr('@OUT@/abs.txt', 'x')"},
                      EscapeCase{"dotdot", "    z.writestr('../outside/escape.txt', 'x')\n"
                                           "    z.writestr('../../escape.txt', 'x')"},
                      EscapeCase{"dotdotInside", "    z.writestr('a/../../outside/escape.txt', 'x')"},
                      EscapeCase{"backslashes", "    z.writestr('..\\\\outside\\\\escape.txt', 'x')"},
                      EscapeCase{"absoluteLink", "    sym(z, 'link', '@OUT@')\n"
                                                 "    z.writestr('link/pwned.txt', 'x')"},
                      EscapeCase{"relativeLink", "    sym(z, 'up', '../outside')\n"
                                                 "    z.writestr('up/pwned.txt', 'x')"},
                      EscapeCase{"deepLink", "    sym(z, 'a/b/up', '../../../outside/f')\n"
                                             "    z.writestr('a/b/up', 'x')"}),
    [](const auto& i) { return std::string(i.param.label); });

TEST_F(Hostile, UnsafeMembersAreReportedAsWarnings) {
    const std::string zip = build("    z.writestr('../escape.txt', 'x')");
    EXPECT_EQ(extract(zip, true), PK_WARN);
}

TEST_F(Hostile, LinksThatStayInsideAreCreated) {
    const std::string zip =
        build("    z.writestr('docs/readme.txt', 'r')\n    sym(z, 'docs/alias', 'readme.txt')");
    EXPECT_EQ(extract(zip, true), PK_OK);
    EXPECT_TRUE(fs::is_symlink(t / "dest/docs/alias"));
    EXPECT_EQ(readFile(t / "dest/docs/alias"), "r");
}

TEST_F(Hostile, ExistingLinksInTheDestinationAreNotFollowed) {
    fs::create_directory_symlink(t / "outside", t / "dest/sub");
    writeFile(t / "outside/target.txt", "precious");
    fs::create_symlink(t / "outside/target.txt", t / "dest/file.txt");
    const std::string zip = build("    z.writestr('sub/x.txt', 'x')\n    z.writestr('file.txt', 'replaced')");
    extract(zip, true);
    EXPECT_EQ(tree(t / "outside"), std::vector<std::string>{"target.txt"});
    EXPECT_EQ(readFile(t / "outside/target.txt"), "precious");
    EXPECT_FALSE(fs::is_symlink(t / "dest/file.txt")); // the link itself was replaced
    EXPECT_EQ(readFile(t / "dest/file.txt"), "replaced");
}

struct BrokenCase {
    const char* label;
    std::string (*make)(const TempDir& t);
    bool listable = false; // the directory is sound, only member data is bad
};

std::string fromZipTool(const TempDir& t) {
    std::string data;
    for (int i = 0; i < 20000; ++i)
        data += std::to_string(i * 31) + " ";
    writeFile(t / "in/file_id.diz", data);
    zipTool((t.path() / "in").string(), "../ok.zip file_id.diz");
    return readFile(t / "ok.zip");
}

class Broken : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(Broken, EveryRequestFailsCleanly) {
    TempDir t;
    const std::string zip = t / "broken.zip";
    writeFile(zip, GetParam().make(t));
    EXPECT_EQ(listArchive(zip) == PK_OK, GetParam().listable);
    std::string got;
    EXPECT_NE(printMember(zip, "file_id.diz", &got), PK_OK);
    EXPECT_TRUE(got.empty()) << got.size() << " bytes delivered";
    Request r(zip, t / "dest");
    EXPECT_NE(r.call(), PK_OK);
    EXPECT_FALSE(fs::exists(t / "dest/file_id.diz"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, Broken,
    ::testing::Values(BrokenCase{"empty", [](const TempDir&) { return std::string(); }},
                      BrokenCase{"text", [](const TempDir&) { return std::string("just a letter\n"); }},
                      BrokenCase{"truncated",
                                 [](const TempDir& t) {
                                     std::string z = fromZipTool(t);
                                     return z.substr(0, z.size() / 2);
                                 }},
                      BrokenCase{"onlyTheEnd",
                                 [](const TempDir& t) {
                                     std::string z = fromZipTool(t);
                                     return z.substr(z.size() - 22);
                                 }},
                      BrokenCase{"damagedData",
                                 [](const TempDir& t) {
                                     std::string z = fromZipTool(t);
                                     for (size_t i = 200; i < 400; ++i)
                                         z[i] = static_cast<char>(z[i] ^ 0x5A);
                                     return z;
                                 },
                                 true},
                      BrokenCase{"wrongCrc",
                                 [](const TempDir& t) {
                                     std::string z = fromZipTool(t);
                                     size_t cd = z.rfind("PK\x01\x02");
                                     z[cd + 16] = static_cast<char>(z[cd + 16] ^ 1);
                                     z[14] = static_cast<char>(z[14] ^ 1);
                                     return z;
                                 },
                                 true}),
    [](const auto& i) { return std::string(i.param.label); });

TEST(BrokenPaths, MissingArchiveOrAFolderOrNullGiveErrors) {
    TempDir t;
    EXPECT_EQ(listArchive(t / "nope.zip"), PK_NOZIP);
    EXPECT_EQ(listArchive(t.path().string()), PK_NOZIP);
    DCL d{};
    d.nvflag = 1;
    EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &d, nullptr), PK_PARAM);
    EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, nullptr, nullptr), PK_PARAM);
}

TEST(BrokenData, AFailedMemberNeverDestroysTheFileItWouldReplace) {
    TempDir t;
    std::string z = fromZipTool(t);
    for (size_t i = 200; i < 400; ++i)
        z[i] = static_cast<char>(z[i] ^ 0x5A);
    writeFile(t / "bad.zip", z);
    writeFile(t / "dest/file_id.diz", "my own");
    Request r(t / "bad.zip", t / "dest");
    r.d.noflag = 1;
    EXPECT_EQ(r.call(), PK_ERR);
    EXPECT_EQ(readFile(t / "dest/file_id.diz"), "my own");
    EXPECT_EQ(tree(t / "dest"), std::vector<std::string>{"file_id.diz"}); // no temporary left
}

class Encrypted : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(t / "secret.txt", "top secret");
        writeFile(t / "plain.txt", "plain");
        ASSERT_EQ(zipTool(t.path().string(), "-P swordfish enc.zip secret.txt"), 0);
        ASSERT_EQ(zipTool(t.path().string(), "plain.zip plain.txt"), 0);
        // One archive holding both: the encrypted member and a plain one.
        ASSERT_EQ(run("cd " + shellQuote(t.path().string()) +
                      " && cp enc.zip both.zip && zip -q both.zip plain.txt"),
                  0);
        fs::remove(t / "secret.txt");
        fs::remove(t / "plain.txt");
    }
    TempDir t;
};

TEST_F(Encrypted, ListingMarksThem) {
    ASSERT_EQ(listArchive(t / "both.zip"), PK_OK);
    ASSERT_EQ(Recorder::listed.size(), 2u);
    EXPECT_EQ(Recorder::listed[0].crypt, 'E');
    EXPECT_EQ(Recorder::listed[1].crypt, ' ');
}

TEST_F(Encrypted, WithoutPasswordTheyAreSkippedAndTheRestExtracts) {
    std::string got;
    EXPECT_EQ(printMember(t / "both.zip", "secret.txt", &got), PK_BADPWD);
    EXPECT_EQ(got, "");
    Request r(t / "both.zip", t / "dest");
    EXPECT_EQ(r.call(), PK_BADPWD);
    EXPECT_FALSE(fs::exists(t / "dest/secret.txt"));
    EXPECT_EQ(readFile(t / "dest/plain.txt"), "plain");
}

TEST_F(Encrypted, APasswordFromTheCallbackOpensThem) {
    Recorder::reset();
    Recorder::password = "swordfish";
    Request r(t / "both.zip", t / "dest");
    USERFUNCTIONS f = Recorder::functions();
    r.d.lpszZipFN = r.archive.data();
    r.d.lpszExtractDir = r.dest.data();
    EXPECT_EQ(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &r.d, &f), PK_OK);
    EXPECT_EQ(readFile(t / "dest/secret.txt"), "top secret");
}

} // namespace
