#include "cli/TagPrint.h"

#include "core/audio/TagText.h"

#include <cstdio>

namespace korvel::cli {

std::string EscapeTagText(std::string_view latin1) {
    std::string plain;
    for (char ch : latin1) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case 0:
            plain += "\\0";
            break;
        case '\n':
            plain += "\\n";
            break;
        case '\r':
            plain += "\\r";
            break;
        case '\t':
            plain += "\\t";
            break;
        case '\\':
            plain += "\\\\";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                plain += hex;
            } else {
                plain += ch;
            }
        }
    }
    return Latin1ToUtf8(plain);
}

static void line(const char* prefix, const char* name, std::string_view text) {
    std::printf("%s %s: %s\n", prefix, name, EscapeTagText(text).c_str());
}

void PrintTags(const TID3v1& v1, const TID3v2& v2) {
    if (!v1.HasTag()) {
        std::printf("ID3v1: none\n");
    } else {
        std::printf("ID3v1: v1.%d\n", v1.TagRevision() == 2 ? 1 : 0);
        line("ID3v1", "Title", v1.TitleField());
        line("ID3v1", "Artist", v1.ArtistField());
        line("ID3v1", "Album", v1.AlbumField());
        line("ID3v1", "Year", v1.YearField());
        line("ID3v1", "Comment", v1.CommentField());
        std::printf("ID3v1 Track: %d\n", v1.TrackNumber());
        std::string genre = std::to_string(v1.GenreIndex());
        if (!v1.GenreName().empty())
            genre += " " + std::string(v1.GenreName());
        std::printf("ID3v1 Genre: %s\n", genre.c_str());
    }
    if (!v2.HasTag()) {
        std::printf("ID3v2: none\n");
        return;
    }
    std::printf("ID3v2: v2.%d, %d bytes%s\n", v2.MajorVersion(), v2.TagSize(),
                v2.MajorVersion() == 3 ? "" : " (only version 2.3 texts are read)");
    if (v2.MajorVersion() != 3)
        return;
    line("ID3v2", "Title", v2.TitleField());
    line("ID3v2", "Artist", v2.ArtistField());
    line("ID3v2", "Album", v2.AlbumField());
    line("ID3v2", "Year", v2.YearField());
    line("ID3v2", "Genre", v2.GenreField());
    line("ID3v2", "Comment", v2.CommentField());
    std::printf("ID3v2 Track: %d\n", v2.TrackNumber());
    std::string ids;
    for (const auto& f : v2.Frames())
        ids += (ids.empty() ? "" : " ") + f.Id;
    line("ID3v2", "Frames", ids);
}

} // namespace korvel::cli
