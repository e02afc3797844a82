// The description lookup in 7-Zip, tar.xz, RAR and LHA archives gives what the print requests
// of the unzip engine give for the same members: text, caption and the names tried.
#include "core/description/ArchiveDescription.h"

#include "ArchiveBytes.h"
#include "ArchiveFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>

using namespace korvel;
using namespace korvel::test;

namespace {

const std::string kAll = "all custom files";

struct Case {
    const char* label;
    std::map<std::string, std::string> members; // name -> bytes
    SearchMode mode;
    std::string customCaption; // kAll: every custom name
    std::vector<std::string> customNames;
};

std::vector<Case> cases() {
    const std::map<std::string, std::string> both = {{"FILE_ID.DIZ", "diz\r\nline 2\r\n"},
                                                     {"readme.txt", "read"}};
    return {
        {"auto_file_id_first", both, SearchMode::Automatic, kAll, {}},
        {"readme_button", both, SearchMode::Readme, kAll, {}},
        {"auto_archive_text", {{"GAME.txt", "game"}, {"other.txt", "x"}}, SearchMode::Automatic, kAll, {}},
        {"auto_nothing", {{"other.txt", "x"}}, SearchMode::Automatic, kAll, {}},
        {"auto_custom_list",
         {{"GAME.nfo", "nfo"}, {"info.1st", "1st"}},
         SearchMode::Automatic,
         kAll,
         {"info.1st", "<filename>.nfo"}},
        {"auto_one_custom",
         {{"GAME.nfo", "nfo"}, {"info.1st", "1st"}},
         SearchMode::Automatic,
         "<filename>.nfo",
         {"info.1st"}},
        {"custom_none_found", {{"x", "x"}}, SearchMode::Custom, kAll, {"a.nfo", "b.nfo"}},
        {"custom_empty_list", {{"x", "x"}}, SearchMode::Custom, kAll, {}},
        {"filename_button_missing", both, SearchMode::ArchiveText, kAll, {}},
        {"in_a_folder_not_matched", {{"docs/file_id.diz", "deep"}}, SearchMode::FileId, kAll, {}},
        {"custom_wildcard", {{"docs/Info.NFO", "deep nfo"}}, SearchMode::Custom, "*.nfo", {}},
        {"keeps_zero_bytes", {{"file_id.diz", std::string("ab\0cd", 5)}}, SearchMode::Automatic, kAll, {}},
        {"empty_member_is_found",
         {{"file_id.diz", ""}, {"readme.txt", "r"}},
         SearchMode::Automatic,
         kAll,
         {}},
    };
}

// What the engine's print requests give: whole names, wildcards, case ignored, zero bytes kept.
PrintMember enginePrints(const std::map<std::string, std::string>& members) {
    return [members](const std::string& name, std::string& bytes) {
        for (const auto& [member, text] : members)
            if (memberNameMatches(name, member, true)) {
                bytes = text;
                return 0;
            }
        return 11;
    };
}

struct Format {
    const char* label;
    std::function<void(const std::string& dir, const std::map<std::string, std::string>&,
                       const std::string& out)>
        make;
};

std::vector<ByteMember> byteMembers(const std::map<std::string, std::string>& m) {
    std::vector<ByteMember> out;
    for (const auto& [name, bytes] : m)
        out.push_back({name, bytes});
    return out;
}

std::vector<Format> formats() {
    return {
        {"7z",
         [](auto& d, auto& m, auto& o) {
             ASSERT_EQ(archiveTool(d + "/src", "7z a -bd", o, writeMembers(d + "/src", m)), 0);
         }},
        {"tar_xz",
         [](auto& d, auto& m, auto& o) {
             ASSERT_EQ(archiveTool(d + "/src", "bsdtar -Jcf", o, writeMembers(d + "/src", m)), 0);
         }},
        {"rar5", [](auto&, auto& m, auto& o) { writeFile(o, rar5Archive(byteMembers(m))); }},
        {"lha", [](auto&, auto& m, auto& o) { writeFile(o, lhaArchive(byteMembers(m))); }},
    };
}

TEST(ArchiveDescription, SameAsThePrintRequests) {
    for (const Format& f : formats()) {
        for (const Case& c : cases()) {
            SCOPED_TRACE(std::string(f.label) + " " + c.label);
            TempDir t;
            const std::string archive = t / "GAME.7z";
            f.make(t.path(), c.members, archive);
            LookupRequest rq{archive, c.mode, c.customCaption, kAll, c.customNames};
            ArchiveResult problem;
            const LookupResult got = lookUpDescriptionInReader(rq, archiveReader(), &problem);
            const LookupResult want = lookUpDescription(rq, enginePrints(c.members));
            EXPECT_TRUE(problem.ok()) << problem.message;
            EXPECT_EQ(got.found, want.found);
            EXPECT_EQ(got.text, want.text);
            EXPECT_EQ(got.caption, want.caption);
            EXPECT_EQ(got.tried, want.tried);
        }
    }
}

TEST(ArchiveDescription, ReasonsAnArchiveCannotBeRead) {
    TempDir t;
    writeFile(t / "src/file_id.diz", "secret");
    ASSERT_EQ(run("cd " + shellQuote(t / "src") + " && 7z a -bd -pX ../locked.7z file_id.diz >/dev/null"), 0);
    writeFile(t / "vol.rar", rar4Archive({{"file_id.diz", "part"}}, true));
    writeFile(t / "GAME.ZIP", "PK\x03\x04 and the rest");
    for (const auto& [name, status] : std::vector<std::pair<std::string, ArchiveStatus>>{
             {"locked.7z", ArchiveStatus::Encrypted}, {"vol.rar", ArchiveStatus::MultiVolume}}) {
        ArchiveResult problem;
        const LookupResult r = lookUpDescriptionInReader({t / name, SearchMode::Automatic, kAll, kAll, {}},
                                                         archiveReader(), &problem);
        EXPECT_FALSE(r.found) << name;
        EXPECT_EQ(r.caption, "file_id.diz");
        EXPECT_EQ(problem.status, status) << name;
    }
    EXPECT_TRUE(startsLikeZip(t / "GAME.ZIP"));
    EXPECT_FALSE(startsLikeZip(t / "locked.7z"));
}

} // namespace
