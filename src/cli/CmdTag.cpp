// korvel-cli tag: writes the named fields into the ID3v1 and/or ID3v2 tag of an MP3 file through
// the same tag objects the audio page uses; fields not named keep what the file holds.
#include "cli/Command.h"
#include "core/audio/ID3v1.h"
#include "core/audio/ID3v2.h"
#include "core/audio/TagText.h"

#include <cstdio>
#include <map>
#include <optional>

namespace korvel::cli {
namespace {

constexpr const char* Usage =
    "[--v1] [--v2] [--title T] [--artist A] [--album A] [--year Y] [--genre G] [--comment C] FILE";

int usageError(const char* why) {
    std::fprintf(stderr, "korvel-cli tag: %s\nusage: korvel-cli tag %s\n", why, Usage);
    return 2;
}

int runTag(const Args& args) {
    bool v1 = false, v2 = false;
    std::map<std::string, std::string> fields; // option name -> ISO-8859-1 text
    std::string file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--v1") {
            v1 = true;
        } else if (a == "--v2") {
            v2 = true;
        } else if (a == "--title" || a == "--artist" || a == "--album" || a == "--year" || a == "--genre" ||
                   a == "--comment") {
            if (i + 1 >= args.size())
                return usageError(("missing value for " + a).c_str());
            bool lossy = false;
            fields[a.substr(2)] = Utf8ToLatin1(args[++i], &lossy);
            if (lossy)
                std::fprintf(stderr, "korvel-cli tag: %s: characters outside ISO-8859-1 became '?'\n",
                             a.c_str());
        } else if (a.size() > 1 && a[0] == '-') {
            return usageError(("unknown option " + a).c_str());
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
    auto named = [&](const char* key) -> const std::string* {
        auto it = fields.find(key);
        return it == fields.end() ? nullptr : &it->second;
    };

    std::optional<std::uint8_t> genreIndex;
    if (const std::string* g = named("genre")) {
        genreIndex = GenreIndexOf(*g);
        if (v1 && !genreIndex)
            return usageError(
                ("unknown ID3v1 genre '" + *g + "' (give a name of the list or 0 to 255)").c_str());
    }

    int result = 0;
    if (v1) {
        TID3v1 tag;
        if (!tag.LoadTag(file)) {
            std::fprintf(stderr, "Can not save V1 tag to the file: %s\n", file.c_str());
            result = 1;
        } else {
            if (auto* t = named("title"))
                tag.SetTitle(*t);
            if (auto* t = named("artist"))
                tag.SetArtist(*t);
            if (auto* t = named("album"))
                tag.SetAlbum(*t);
            if (auto* t = named("year"))
                tag.SetYear(*t);
            if (auto* t = named("comment"))
                tag.SetComment(*t);
            if (genreIndex)
                tag.SetGenreIndex(*genreIndex);
            if (!tag.WriteTag(file)) {
                std::fprintf(stderr, "Can not save V1 tag to the file: %s\n", file.c_str());
                result = 1;
            }
        }
    }
    if (v2) {
        TID3v2 tag;
        bool ok = tag.LoadTag(file);
        if (ok) {
            if (auto* t = named("title"))
                tag.SetTitle(*t);
            if (auto* t = named("artist"))
                tag.SetArtist(*t);
            if (auto* t = named("album"))
                tag.SetAlbum(*t);
            if (auto* t = named("year"))
                tag.SetYear(*t);
            if (auto* t = named("comment"))
                tag.SetComment(*t);
            if (auto* g = named("genre")) // a genre number stands for its name
                tag.SetGenre(genreIndex && *genreIndex < GenreNames.size()
                                 ? std::string(GenreNames[*genreIndex])
                             : genreIndex && *genreIndex == TID3v1::NoGenre ? std::string()
                                                                            : *g);
            ok = tag.WriteTag(file);
        }
        if (!ok) {
            std::fprintf(stderr, "Can not save V2 tag to the file: %s\n", file.c_str());
            result = 1;
        }
    }
    return result;
}

KORVEL_CLI_COMMAND("tag", Usage, runTag);

} // namespace
} // namespace korvel::cli
