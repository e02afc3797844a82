#pragma once
// What one tag save changes, shared by the audio page and korvel-cli tag: the six editable fields
// (each a new UTF-8 text or nothing, to keep what the file holds), how they go into each tag
// format, and the save of both formats as one change of the file.

#include "core/audio/ID3v1.h"
#include "core/audio/ID3v2.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

enum class TagField { Title, Artist, Album, Year, Genre, Comment };

// The fields with the names korvel-cli takes them by ("--title", ...), in the page's order.
inline constexpr std::array<std::pair<TagField, std::string_view>, 6> TagFieldNames = {
    {{TagField::Title, "title"},
     {TagField::Artist, "artist"},
     {TagField::Album, "album"},
     {TagField::Year, "year"},
     {TagField::Genre, "genre"},
     {TagField::Comment, "comment"}}};
// The field of a name ("title"), if any.
std::optional<TagField> TagFieldNamed(std::string_view name);

struct TagEdits {
    std::array<std::optional<std::string>, 6> Texts; // UTF-8, by TagField

    std::optional<std::string>& operator[](TagField f) { return Texts[static_cast<std::size_t>(f)]; }
    const std::optional<std::string>& operator[](TagField f) const {
        return Texts[static_cast<std::size_t>(f)];
    }
};

// The ID3v1 genre byte for a genre text: a name of the list (any case) or a number 0 to 255, 255
// for an empty text, 254 for a text that names no genre of the list.
std::uint8_t V1GenreOf(std::string_view text);
// The ID3v2 genre text: a genre number (as "17") stands for its name, 255 for none.
std::string V2GenreOf(std::string_view text);

// Puts the edits into a tag. ID3v1 texts become ISO-8859-1 (characters outside it '?'); the result
// tells whether any character was lost that way.
bool ApplyEdits(const TagEdits& edits, TID3v1& tag);
void ApplyEdits(const TagEdits& edits, TID3v2& tag);

struct TagSaveResult {
    bool V1Saved = false;
    bool V2Saved = false;
    // Why the ID3v2 tag could not be written over, for the user (empty: no such reason).
    std::string V2Reason;
};

// Writes the given tags (either may be absent) into a file. Both at once are one change: the new
// file is written beside the old one and renamed over it, so both are saved or neither is.
TagSaveResult SaveTags(const std::string& fileName, const TID3v1* v1, const TID3v2* v2);

} // namespace korvel
