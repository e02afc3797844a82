#include "cli/TagPrint.h"

#include "core/audio/TagText.h"
#include "core/text/Utf8.h"

#include <cstdio>

namespace korvel::cli {

std::string EscapeTagText(std::string_view latin1) {
    return utf8::fromLatin1(EscapeControls(latin1));
}

std::string EscapeControls(std::string_view text) {
    std::string plain;
    for (char ch : text) {
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
    return plain;
}

static void line(const char* prefix, const char* name, std::string_view text) {
    std::printf("%s %s: %s\n", prefix, name, EscapeTagText(text).c_str());
}

static void lineUtf8(const char* name, std::string_view text) {
    std::printf("ID3v2 %s: %s\n", name, EscapeControls(text).c_str());
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
    std::printf("ID3v2: v2.%d, %lld bytes\n", v2.MajorVersion(),
                static_cast<long long>(v2.TagSize() ? v2.TagSize() : v2.DeclaredSize()));
    if (v2.TagDamage() != TID3v2::Damage::None)
        std::printf("ID3v2 Damage: %s\n", TID3v2::DamageText(v2.TagDamage()).c_str());
    lineUtf8("Title", v2.TitleField());
    lineUtf8("Artist", v2.ArtistField());
    lineUtf8("Album", v2.AlbumField());
    lineUtf8("Year", v2.YearField());
    lineUtf8("Genre", v2.GenreField());
    lineUtf8("Comment", v2.CommentField());
    std::printf("ID3v2 Track: %d\n", v2.TrackNumber());
    std::string ids;
    for (const auto& f : v2.Frames())
        ids += (ids.empty() ? "" : " ") + f.Id;
    lineUtf8("Frames", ids);
}

} // namespace korvel::cli
