#include "core/description/DescriptionLookup.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <map>

using namespace korvel;

namespace {

const std::string kAll = "all custom files";

// An archive as the print request sees it: members matched without regard to case.
using Members = std::map<std::string, std::string>;

struct FakeArchive {
    explicit FakeArchive(Members m = {}, std::string partial = {})
        : members(std::move(m)), partialOnMiss(std::move(partial)) {}

    std::map<std::string, std::string> members;
    std::string partialOnMiss; // what a failing request delivers before it fails
    std::vector<std::string> calls;

    PrintMember printer() {
        return [this](const std::string& name, std::string& bytes) {
            calls.push_back(name);
            for (const auto& [member, text] : members) {
                if (std::equal(member.begin(), member.end(), name.begin(), name.end(), [](char a, char b) {
                        return std::tolower(static_cast<unsigned char>(a)) ==
                               std::tolower(static_cast<unsigned char>(b));
                    })) {
                    bytes = text;
                    return 0;
                }
            }
            bytes = partialOnMiss;
            return 11;
        };
    }
};

LookupRequest request(SearchMode mode, std::vector<std::string> custom = {},
                      std::string customCaption = kAll) {
    return LookupRequest{"/data/zips/GAME.ZIP", mode, std::move(customCaption), kAll, std::move(custom)};
}

} // namespace

struct NameCase {
    std::string n, archiveText;
};
class ArchiveTextName : public testing::TestWithParam<NameCase> {};
TEST_P(ArchiveTextName, LastThreeCharactersBecomeTxt) {
    EXPECT_EQ(archiveTextName(GetParam().n), GetParam().archiveText);
}
INSTANTIATE_TEST_SUITE_P(Cases, ArchiveTextName,
                         testing::Values(NameCase{"GAME.ZIP", "GAME.txt"}, NameCase{"GAME.7z", "GAMEtxt"},
                                         NameCase{"abcd", "atxt"}, NameCase{"abc", "txt"},
                                         NameCase{"a", "txt"}, NameCase{"", "txt"},
                                         NameCase{"Été.zip", "Été.txt"}, NameCase{"archivé", "archtxt"},
                                         NameCase{"x.ÿÿÿ", "x.txt"}));

struct ExpandCase {
    std::string custom, n, expanded;
};
class CustomExpansion : public testing::TestWithParam<ExpandCase> {};
TEST_P(CustomExpansion, MarkerTakesTheArchiveNameUpToItsFirstDot) {
    EXPECT_EQ(expandCustomName(GetParam().custom, GetParam().n), GetParam().expanded);
}
INSTANTIATE_TEST_SUITE_P(Cases, CustomExpansion,
                         testing::Values(ExpandCase{"<filename>.nfo", "GAME.ZIP", "GAME.nfo"},
                                         ExpandCase{"<filename>.nfo", "MY.GAME.ZIP", "MY.nfo"},
                                         ExpandCase{"info.nfo", "MY.GAME.ZIP", "info.nfo"},
                                         ExpandCase{"x<filename>.diz", "GAME.ZIP", "GAME.diz"},
                                         ExpandCase{"<filename>.tar.txt", "GAME.ZIP", "GAME.tar.txt"},
                                         ExpandCase{"<filename>.nfo", "GAME", "nfo"},
                                         ExpandCase{"<filename>", "GAME.ZIP", "GAME.<filename>"},
                                         ExpandCase{"<FILENAME>.nfo", "GAME.ZIP", "<FILENAME>.nfo"},
                                         ExpandCase{" spaced .nfo ", "GAME.ZIP", " spaced .nfo "}));

TEST(DescriptionLookup, ArchiveFileNameIsThePartAfterTheLastSlash) {
    EXPECT_EQ(archiveFileName("/data/zips/GAME.ZIP"), "GAME.ZIP");
    EXPECT_EQ(archiveFileName("GAME.ZIP"), "GAME.ZIP");
    EXPECT_EQ(archiveFileName("/data/My Games/a.b.zip"), "a.b.zip");
}

struct PlanCase {
    const char* name;
    LookupRequest request;
    std::vector<std::string> names;
    bool fileIdWhenNoneFound;
};
class SearchPlan : public testing::TestWithParam<PlanCase> {};
TEST_P(SearchPlan, NamesInTheOrderOfTheMode) {
    const auto plan = planLookup(GetParam().request);
    EXPECT_EQ(plan.names, GetParam().names);
    EXPECT_EQ(plan.captionWhenNoneFound.has_value(), GetParam().fileIdWhenNoneFound);
    if (plan.captionWhenNoneFound) {
        EXPECT_EQ(*plan.captionWhenNoneFound, "file_id.diz");
    }
}
INSTANTIATE_TEST_SUITE_P(
    Modes, SearchPlan,
    testing::Values(
        PlanCase{"autoAllCustom",
                 request(SearchMode::Automatic, {"file.nfo", "<filename>.nfo"}),
                 {"file_id.diz", "readme.txt", "GAME.txt", "file.nfo", "GAME.nfo"},
                 true},
        PlanCase{
            "autoEmptyList", request(SearchMode::Automatic), {"file_id.diz", "readme.txt", "GAME.txt"}, true},
        PlanCase{"autoOneCustom",
                 request(SearchMode::Automatic, {"a", "b"}, "<filename>.nfo"),
                 {"file_id.diz", "readme.txt", "GAME.txt", "GAME.nfo"},
                 true},
        PlanCase{"captionComparedWithCase",
                 request(SearchMode::Custom, {"a", "b"}, "All Custom Files"),
                 {"All Custom Files"},
                 false},
        PlanCase{"fileId", request(SearchMode::FileId, {"a"}), {"file_id.diz"}, false},
        PlanCase{"readme", request(SearchMode::Readme, {"a"}), {"readme.txt"}, false},
        PlanCase{"archiveText", request(SearchMode::ArchiveText, {"a"}), {"GAME.txt"}, false},
        PlanCase{"allCustom", request(SearchMode::Custom, {"a", "<filename>.nfo"}), {"a", "GAME.nfo"}, false},
        PlanCase{"allCustomEmpty", request(SearchMode::Custom), {}, false},
        PlanCase{"oneCustom", request(SearchMode::Custom, {"a", "b"}, "b"), {"b"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DescriptionLookup, AutomaticShowsFileIdBeforeReadmeAndTheReadmeButtonShowsTheReadme) {
    FakeArchive zip(Members{{"FILE_ID.DIZ", "diz"}, {"readme.txt", "read me"}});
    auto r = lookUpDescription(request(SearchMode::Automatic), zip.printer());
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.text, "diz");
    EXPECT_EQ(r.caption, "file_id.diz");
    EXPECT_EQ(r.tried.size(), 1u);
    r = lookUpDescription(request(SearchMode::Readme), zip.printer());
    EXPECT_EQ(r.text, "read me");
    EXPECT_EQ(r.caption, "readme.txt");
}

TEST(DescriptionLookup, AutomaticMissEndsEmptyUnderFileIdAfterThreeCalls) {
    FakeArchive zip(Members{{"other.txt", "x"}}, "partial text of a damaged member");
    auto r = lookUpDescription(request(SearchMode::Automatic), zip.printer());
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.text, "");
    EXPECT_EQ(r.caption, "file_id.diz");
    EXPECT_EQ(zip.calls, (std::vector<std::string>{"file_id.diz", "readme.txt", "GAME.txt"}));
}

TEST(DescriptionLookup, AutomaticFindsTheArchiveTextAndThenTheCustomNames) {
    FakeArchive zip(Members{{"game.TXT", "named after the archive"}});
    auto r = lookUpDescription(request(SearchMode::Automatic, {"x.nfo"}), zip.printer());
    EXPECT_EQ(r.text, "named after the archive");
    EXPECT_EQ(r.caption, "GAME.txt");

    FakeArchive custom(Members{{"GAME.nfo", "nfo"}, {"x.nfo", "x"}});
    r = lookUpDescription(request(SearchMode::Automatic, {"<filename>.nfo", "x.nfo"}), custom.printer());
    EXPECT_EQ(r.text, "nfo");
    EXPECT_EQ(r.caption, "GAME.nfo");
    EXPECT_EQ(custom.calls.size(), 4u);
}

TEST(DescriptionLookup, AfterPickingACustomNameAutomaticTriesOnlyThatOneFourth) {
    FakeArchive zip(Members{{"b.nfo", "b"}});
    auto r = lookUpDescription(request(SearchMode::Automatic, {"a.nfo", "b.nfo"}, "a.nfo"), zip.printer());
    EXPECT_FALSE(r.found);
    EXPECT_EQ(zip.calls, (std::vector<std::string>{"file_id.diz", "readme.txt", "GAME.txt", "a.nfo"}));
    EXPECT_EQ(r.caption, "file_id.diz");
}

TEST(DescriptionLookup, SingleMissKeepsTheNameAsCaptionAndDropsPartialText) {
    FakeArchive zip(Members{}, "half a member");
    auto r = lookUpDescription(request(SearchMode::ArchiveText), zip.printer());
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.text, "");
    EXPECT_EQ(r.caption, "GAME.txt");
}

TEST(DescriptionLookup, AllCustomStopsAtTheFirstFoundAndOnAMissNamesTheLastTried) {
    FakeArchive zip(Members{{"b", "B"}, {"c", "C"}});
    auto r = lookUpDescription(request(SearchMode::Custom, {"a", "b", "c"}), zip.printer());
    EXPECT_EQ(r.text, "B");
    EXPECT_EQ(r.tried, (std::vector<std::string>{"a", "b"}));

    FakeArchive none;
    r = lookUpDescription(request(SearchMode::Custom, {"a", "<filename>.nfo"}), none.printer());
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.caption, "GAME.nfo");
}

TEST(DescriptionLookup, AllCustomWithAnEmptyListTriesNothingAndLeavesTheCaption) {
    FakeArchive zip(Members{{"file_id.diz", "x"}});
    auto r = lookUpDescription(request(SearchMode::Custom), zip.printer());
    EXPECT_FALSE(r.found);
    EXPECT_FALSE(r.caption.has_value());
    EXPECT_TRUE(zip.calls.empty());
}

TEST(DescriptionLookup, SearchModeWords) {
    EXPECT_EQ(parseSearchMode("auto"), SearchMode::Automatic);
    EXPECT_EQ(parseSearchMode("fileid"), SearchMode::FileId);
    EXPECT_EQ(parseSearchMode("readme"), SearchMode::Readme);
    EXPECT_EQ(parseSearchMode("filename"), SearchMode::ArchiveText);
    EXPECT_EQ(parseSearchMode("custom"), SearchMode::Custom);
    EXPECT_FALSE(parseSearchMode("Auto"));
}
