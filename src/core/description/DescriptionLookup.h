#pragma once
// Which member of an archive is its description: the candidate names, the order in which the
// search modes of the choice buttons try them, and the lookup itself over a function that
// prints one member (the unzip engine's print request in the program, anything in tests).

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

inline constexpr std::string_view kFileIdName = "file_id.diz";
inline constexpr std::string_view kReadmeName = "readme.txt";
inline constexpr std::string_view kFileNameMarker = "<filename>";

// N, the file-name part of an archive's path.
std::string archiveFileName(std::string_view archivePath);

// The archive-text candidate: the first (length of N minus 3) characters of N followed by
// "txt" (GAME.ZIP gives GAME.txt; a name of three characters or fewer gives "txt"). Characters
// are counted in UTF-8, so a name ending in accented letters is not cut inside one.
std::string archiveTextName(std::string_view n);

// A custom name that holds "<filename>": the characters of N up to and including its first "."
// (none when N has none), followed by what follows the custom name's own first "." (the whole
// custom name when it has none): <filename>.nfo gives GAME.nfo for GAME.ZIP and MY.nfo for
// MY.GAME.ZIP. A name without the marker is returned unchanged.
std::string expandCustomName(std::string_view custom, std::string_view n);

// The choice buttons: B_Auto, B_FileID, B_Readme, B_Filename, B_Custom.
enum class SearchMode { Automatic, FileId, Readme, ArchiveText, Custom };

// "auto", "fileid", "readme", "filename", "custom" (the korvel-cli spelling).
std::optional<SearchMode> parseSearchMode(std::string_view word);

struct LookupRequest {
    std::string archivePath;
    SearchMode mode = SearchMode::Automatic;
    // The caption of B_Custom and AllCustomCaption: equal (case counted) means every custom
    // name in list order, anything else means the caption itself as the one custom name.
    std::string customCaption;
    std::string allCustomCaption;
    std::vector<std::string> customNames; // the custom list, in list order
};

struct LookupPlan {
    std::vector<std::string> names; // to try in this order, expanded; the first found ends the search
    // The caption to show when none is found; without it the caption names the last name tried
    // (or stays as it was when there was nothing to try).
    std::optional<std::string> captionWhenNoneFound;
};

LookupPlan planLookup(const LookupRequest& request);

// Prints one member of the archive into `bytes` (which it receives empty); 0 means the member
// was found and delivered, anything else that it was not (missing, unreadable, no archive).
using PrintMember = std::function<int(const std::string& member, std::string& bytes)>;

struct LookupResult {
    bool found = false;
    // What the editor shows: the bytes of the member found, empty when none was (text a failed
    // attempt delivered is dropped).
    std::string text;
    // The caption of Cornice, which is also the member a save writes. Empty optional: nothing
    // was tried (all custom names with an empty list), the caption stays as it is.
    std::optional<std::string> caption;
    std::vector<std::string> tried; // one engine call each, in order
    // The member holds more than the engine delivers (its print bound): `text` is its beginning
    // only, to be shown read-only and never stored back.
    bool cut = false;
};

LookupResult runLookup(const LookupPlan& plan, const PrintMember& print);
inline LookupResult lookUpDescription(const LookupRequest& request, const PrintMember& print) {
    return runLookup(planLookup(request), print);
}

} // namespace korvel
