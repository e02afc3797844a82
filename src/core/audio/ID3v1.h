#pragma once
// The ID3v1 tag: the fixed 128-byte block at the end of an MP3 file ("TAG", title, artist, album,
// year, comment, in version 1.1 a track number, and a genre byte), before any APE tag or appended
// ID3v2 tag other programs put behind it; and the genre names shared by both tag editors.

#include "core/audio/ByteSource.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace korvel {

// The 148 genre names, indexed by the ID3v1 genre byte (0 to 79 the ID3v1 list, 80 to 147 its
// common extensions).
extern const std::array<std::string_view, 148> GenreNames;

// The genre byte for a name of the list (matched without regard to ASCII case) or a number 0 to
// 255; an empty text gives 255 (no genre). Nothing for any other text.
std::optional<std::uint8_t> GenreIndexOf(std::string_view nameOrNumber);

class TID3v1 {
public:
    static constexpr std::size_t BlockSize = 128;
    static constexpr std::size_t TextCapacity = 30;
    static constexpr std::size_t YearCapacity = 4;
    static constexpr std::uint8_t NoGenre = 255;
    using Block = std::array<std::uint8_t, BlockSize>;

    TID3v1() { Clear(); }

    void Clear();

    // Fills the fields from the file's last 128 bytes. True when the file could be read, whether or
    // not it holds a tag; false when it cannot be read or is shorter than 128 bytes.
    bool LoadTag(const std::string& fileName);
    bool LoadTag(ByteSource& source);
    // Replaces the file's tag where it lies (or adds one at the end) with the fields. True only when
    // the new block was written; on failure the file keeps its old length and contents.
    bool WriteTag(const std::string& fileName) const;
    // Removes the file's tag if it has one. True when the file could be read and any tag was cut off.
    bool StripTag(const std::string& fileName) const;

    // Where the block lies: the last 128 bytes, or just before an APE tag or an ID3v2 tag with a
    // footer that end the file. -1 when there is none.
    static std::int64_t FindTagOffset(ByteSource& source);
    // Fills the fields from a 128-byte block (which need not be a tag: then HasTag stays false).
    void LoadFromBlock(std::span<const std::uint8_t, BlockSize> block);
    // The block WriteTag writes.
    Block BuildBlock() const;
    // 2 (ID3v1.1) when byte 125 is 0 and byte 126 is not, or byte 125 is a blank and 126 is not;
    // otherwise 1 (ID3v1.0).
    static std::uint8_t DetectRevision(std::span<const std::uint8_t, BlockSize> block);

    bool HasTag() const { return hasTag_; }
    // Where the block read by LoadTag lies in the file (-1: no tag).
    std::int64_t TagOffset() const { return tagOffset_; }
    std::uint8_t TagRevision() const { return tagRevision_; }
    const std::string& TitleField() const { return title_; }
    const std::string& ArtistField() const { return artist_; }
    const std::string& AlbumField() const { return album_; }
    const std::string& YearField() const { return year_; }
    const std::string& CommentField() const { return comment_; }
    std::uint8_t TrackNumber() const { return trackNumber_; }
    std::uint8_t GenreIndex() const { return genreIndex_; }
    // The genre's name, or empty for 255 and other numbers outside the list.
    std::string_view GenreName() const;

    // Each text setter removes trailing characters with codes 0 to 32 and keeps at most the
    // capacity (30 bytes, the year 4). Texts are ISO-8859-1 bytes.
    void SetTitle(std::string_view text);
    void SetArtist(std::string_view text);
    void SetAlbum(std::string_view text);
    void SetYear(std::string_view text);
    void SetComment(std::string_view text);
    // Stored unchanged, also numbers outside the genre list.
    void SetGenreIndex(std::uint8_t index) { genreIndex_ = index; }

private:
    bool hasTag_ = false;
    std::int64_t tagOffset_ = -1;
    std::uint8_t tagRevision_ = 1;
    std::string title_, artist_, album_, year_, comment_;
    std::uint8_t trackNumber_ = 0;
    std::uint8_t genreIndex_ = NoGenre;
};

} // namespace korvel
