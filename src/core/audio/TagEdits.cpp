#include "core/audio/TagEdits.h"

#include "core/audio/TagText.h"

namespace korvel {

std::optional<TagField> TagFieldNamed(std::string_view name) {
    for (const auto& [field, fieldName] : TagFieldNames)
        if (fieldName == name)
            return field;
    return std::nullopt;
}

std::uint8_t V1GenreOf(std::string_view text) {
    auto index = GenreIndexOf(Trim32(text));
    return index ? *index : static_cast<std::uint8_t>(254);
}

std::string V2GenreOf(std::string_view text) {
    std::string t = Trim32(text);
    auto index = GenreIndexOf(t); // a name of the list in any case, or a number
    if (!index || t.empty())
        return t;
    if (*index < GenreNames.size())
        return std::string(GenreNames[*index]);
    return *index == TID3v1::NoGenre ? std::string() : t;
}

bool ApplyEdits(const TagEdits& edits, TID3v1& tag) {
    bool lost = false;
    auto latin1 = [&lost](const std::string& utf8) {
        bool lossy = false;
        std::string text = Utf8ToLatin1(utf8, &lossy);
        lost = lost || lossy;
        return text;
    };
    if (auto& t = edits[TagField::Title])
        tag.SetTitle(latin1(*t));
    if (auto& t = edits[TagField::Artist])
        tag.SetArtist(latin1(*t));
    if (auto& t = edits[TagField::Album])
        tag.SetAlbum(latin1(*t));
    if (auto& t = edits[TagField::Year])
        tag.SetYear(latin1(*t));
    if (auto& t = edits[TagField::Genre])
        tag.SetGenreIndex(V1GenreOf(*t));
    if (auto& t = edits[TagField::Comment])
        tag.SetComment(latin1(*t));
    return !lost;
}

void ApplyEdits(const TagEdits& edits, TID3v2& tag) {
    if (auto& t = edits[TagField::Title])
        tag.SetTitle(*t);
    if (auto& t = edits[TagField::Artist])
        tag.SetArtist(*t);
    if (auto& t = edits[TagField::Album])
        tag.SetAlbum(*t);
    if (auto& t = edits[TagField::Year])
        tag.SetYear(*t);
    if (auto& t = edits[TagField::Genre])
        tag.SetGenre(V2GenreOf(*t));
    if (auto& t = edits[TagField::Comment])
        tag.SetComment(*t);
}

TagSaveResult SaveTags(const std::string& fileName, const TID3v1* v1, const TID3v2* v2) {
    TagSaveResult result;
    if (v1 && !v2) {
        result.V1Saved = v1->WriteTag(fileName);
        return result;
    }
    if (v2 && !v1) {
        result.V2Saved = v2->WriteTag(fileName);
        result.V2Reason = TID3v2::DamageText(v2->LastDamage());
        return result;
    }
    if (!v1 && !v2)
        return result;

    // Both: read what the file holds now, then write it anew in one step.
    TID3v2 existing;
    TID3v1 oldV1;
    std::int64_t size = 0;
    {
        FileSource source;
        if (!source.Open(fileName) || !existing.LoadTag(source) || !oldV1.LoadTag(source))
            return result;
        size = source.Size();
    }
    if (existing.TagDamage() != TID3v2::Damage::None) {
        result.V2Reason = TID3v2::DamageText(existing.TagDamage());
        return result;
    }
    auto tag = v2->BuildTag(existing);
    if (!tag)
        return result;
    const std::int64_t audioStart = existing.HasTag() ? existing.TagSize() : 0;
    auto block = v1->BuildBlock();
    std::vector<std::uint8_t> blockBytes(block.begin(), block.end());
    std::vector<FilePiece> pieces;
    pieces.push_back(FilePiece::New(std::move(*tag)));
    if (oldV1.HasTag() && oldV1.TagOffset() >= audioStart) {
        pieces.push_back(FilePiece::Old(audioStart, oldV1.TagOffset()));
        pieces.push_back(FilePiece::New(std::move(blockBytes)));
        pieces.push_back(FilePiece::Old(oldV1.TagOffset() + static_cast<std::int64_t>(TID3v1::BlockSize)));
    } else {
        pieces.push_back(FilePiece::Old(audioStart));
        pieces.push_back(FilePiece::New(std::move(blockBytes)));
    }
    if (RewriteFile(fileName, pieces, size))
        result.V1Saved = result.V2Saved = true;
    return result;
}

} // namespace korvel
