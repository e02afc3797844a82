#pragma once
// A description through the archive engines: the lookup over the unzip engine's print request,
// and the save that adds the edited text to the archive through the zip engine. The main
// window's description view and korvel-cli run the same two functions.

#include "core/description/DescriptionLookup.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace korvel {

// The lookup of `request`: one print request per candidate tried, each member's text gathered
// as the print callback delivers it (pieces cut at their first zero byte, at most the engine's
// print bound). CapturePrint is set for the run and put back afterwards.
LookupResult lookUpDescriptionInArchive(const LookupRequest& request);

struct EmbedOutcome {
    enum class Status {
        Saved,          // the member now holds the bytes
        TempFileFailed, // the text file could not be written: nothing else was tried
        OptionsRefused, // the zip engine refused the embedding options: the archive was not touched
        ArchiveMissing, // no archive at that path: nothing was created
        EngineFailed,   // the zip engine reported a failure: the archive is as it was
    };
    Status status = Status::Saved;
    std::string failedPath; // TempFileFailed: the file that could not be written
    std::string reason;     // TempFileFailed: why; EngineFailed: the engine's account
    int engineResult = 0;   // the zip engine's result (ZE_*)
    bool saved() const { return status == Status::Saved; }
};

// Stores `bytes` into `archive` as the member `member` at the archive's root, replacing a member
// of that name: the bytes go to a text file named after the member in a private temporary
// folder (below `tempBase` when given), the zip engine gets the embedding options with `level`
// and adds that one file without its folder, and the file and its folder are removed. The
// embedding options stay in force in the zip engine afterwards. The engine writes the archive
// anew beside it and puts it in place only when everything was written, so a failed save leaves
// the archive exactly as it was.
EmbedOutcome embedDescription(const std::string& archive, const std::string& member, std::string_view bytes,
                              char level, const std::filesystem::path& tempBase = {});

// One line for the user or the terminal about a save that did not store the description
// (empty for a saved one), holding the archive's and the file's names as bytes. "Cannot create file %s" for a
// text file that could not be made.
std::string embedFailureText(const EmbedOutcome& outcome, const std::string& archive);

} // namespace korvel
