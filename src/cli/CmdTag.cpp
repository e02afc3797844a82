// korvel-cli tag: writes the named fields into the ID3v1 and/or ID3v2 tag of an MP3 file through
// the same edits and save the audio page uses; fields not named keep what the file holds.
#include "cli/Command.h"
#include "core/audio/ID3v1.h"
#include "core/audio/ID3v2.h"
#include "core/audio/TagEdits.h"
#include "core/audio/TagText.h"

#include <cstdio>

namespace korvel::cli {
namespace {

constexpr const char* Usage =
    "[--v1] [--v2] [--title T] [--artist A] [--album A] [--year Y] [--genre G] [--comment C] FILE";

int usageError(const std::string& why) {
    std::fprintf(stderr, "korvel-cli tag: %s\nusage: korvel-cli tag %s\n", why.c_str(), Usage);
    return 2;
}

int runTag(const Args& args) {
    bool v1 = false, v2 = false;
    TagEdits edits;
    std::string file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto field =
            a.size() > 2 && a.starts_with("--") ? TagFieldNamed(std::string_view(a).substr(2)) : std::nullopt;
        if (a == "--v1") {
            v1 = true;
        } else if (a == "--v2") {
            v2 = true;
        } else if (field) {
            if (i + 1 >= args.size())
                return usageError("missing value for " + a);
            edits[*field] = ValidUtf8(args[++i]);
        } else if (a.size() > 1 && a[0] == '-') {
            return usageError("unknown option " + a);
        } else if (file.empty()) {
            file = a;
        } else {
            return usageError("more than one FILE");
        }
    }
    if (file.empty())
        return usageError("no FILE");
    if (!v1 && !v2)
        v1 = true; // as the audio page: ID3v1 unless asked otherwise
    if (const auto& g = edits[TagField::Genre]; g && v1 && V1GenreOf(*g) == 254 && Trim32(*g) != "254")
        return usageError("unknown ID3v1 genre '" + *g + "' (give a name of the list or 0 to 255)");

    TID3v1 tag1;
    TID3v2 tag2;
    bool read1 = !v1 || tag1.LoadTag(file);
    bool read2 = !v2 || tag2.LoadTag(file);
    TagSaveResult saved;
    if (read1 && read2) {
        if (v1 && !ApplyEdits(edits, tag1))
            std::fprintf(stderr,
                         "korvel-cli tag: characters outside ISO-8859-1 became '?' in the ID3v1 tag\n");
        if (v2)
            ApplyEdits(edits, tag2);
        saved = SaveTags(file, v1 ? &tag1 : nullptr, v2 ? &tag2 : nullptr);
    }
    int result = 0;
    if (v1 && !saved.V1Saved) {
        std::fprintf(stderr, "Can not save V1 tag to the file: %s\n", file.c_str());
        result = 1;
    }
    if (v2 && !saved.V2Saved) {
        std::fprintf(stderr, "Can not save V2 tag to the file: %s\n", file.c_str());
        result = 1;
    }
    if (!saved.V2Reason.empty())
        std::fprintf(stderr, "%s The file was left unchanged.\n", saved.V2Reason.c_str());
    return result;
}

KORVEL_CLI_COMMAND("tag", Usage, runTag);

} // namespace
} // namespace korvel::cli
