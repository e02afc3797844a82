#pragma once
// The ID3v2 tag at the start of an MP3 file. Of version 2.3 tags the seven text frames title,
// artist, album, track, year, genre and comment are read; of every version the tag size, which
// tells where the audio begins. Writing always makes a version 2.3 tag: the seven frames from the
// fields, followed by every other frame of an existing 2.3 tag unchanged and in order.

#include "core/audio/ByteSource.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// One frame of a version 2.3 tag as it lies in the tag.
struct ID3v2Frame {
    std::string Id;                 // four characters
    std::uint16_t Flags = 0;        // as read, not interpreted
    std::vector<std::uint8_t> Data; // the frame data, whole
};

class TID3v2 {
public:
    static constexpr std::size_t HeaderSize = 10;
    // The frames handled, in the order of the slots and of the frames written.
    static constexpr std::array<std::string_view, 7> FrameIds = {"TIT2", "TPE1", "TALB", "TRCK",
                                                                 "TYER", "TCON", "COMM"};
    enum Slot { TitleSlot, ArtistSlot, AlbumSlot, TrackSlot, YearSlot, GenreSlot, CommentSlot };
    // The largest tag the 28 bits of the size field can describe.
    static constexpr std::int64_t MaxTagSize = 0x0FFFFFFF + HeaderSize;

    TID3v2() { Clear(); }

    void Clear();

    // True when the first 10 bytes could be read, whether or not there is a tag.
    bool LoadTag(const std::string& fileName);
    bool LoadTag(ByteSource& source);
    // Learns only HasTag, MajorVersion and TagSize (what the stream analyser needs).
    bool LoadHeader(ByteSource& source);
    // Parses a tag from the first bytes of a file of fileSize bytes (bytes may hold fewer).
    void LoadFromBytes(std::span<const std::uint8_t> bytes, std::int64_t fileSize);
    // Rebuilds the file with a new version 2.3 tag. True when the file was rebuilt; on failure the
    // file is unchanged.
    bool WriteTag(const std::string& fileName) const;

    // The complete tag WriteTag puts in front of the audio, given the tag the file holds now
    // (nothing when it would not fit the 28-bit size field).
    std::optional<std::vector<std::uint8_t>> BuildTag(const TID3v2& existing) const;

    // b6 * 2^21 + b7 * 2^14 + b8 * 2^7 + b9 + 10, or 0 when that exceeds the file size.
    static std::int64_t TotalTagSize(std::span<const std::uint8_t, HeaderSize> header, std::int64_t fileSize);
    // "ID3", version 3, revision 0, flags 0, and the size of the frames in four 7-bit groups.
    static std::array<std::uint8_t, HeaderSize> BuildTagHeader(std::uint32_t framesSize);
    // The number before the first "/", 0 when it is no number; only the low eight bits remain.
    static std::uint8_t ParseTrackNumber(std::string_view text);
    // The text behind the last ")", trimmed: "(17)Rock" gives "Rock".
    static std::string StripGenreCode(std::string_view text);
    // The text of a frame as the slots hold it: the encoding byte, then the data; UTF-16 and
    // UTF-8 texts decoded to ISO-8859-1.
    static std::string SlotText(const ID3v2Frame& frame);

    bool HasTag() const { return hasTag_; }
    std::uint8_t MajorVersion() const { return majorVersion_; }
    std::int32_t TagSize() const { return tagSize_; }
    const std::string& TitleField() const { return title_; }
    const std::string& ArtistField() const { return artist_; }
    const std::string& AlbumField() const { return album_; }
    std::uint8_t TrackNumber() const { return trackNumber_; }
    const std::string& YearField() const { return year_; }
    const std::string& GenreField() const { return genre_; }
    const std::string& CommentField() const { return comment_; }
    // Every frame of the version 2.3 tag last loaded, in file order.
    const std::vector<ID3v2Frame>& Frames() const { return frames_; }

    // Each setter removes trailing characters with codes 0 to 32. Texts are ISO-8859-1 bytes.
    void SetTitle(std::string_view text);
    void SetArtist(std::string_view text);
    void SetAlbum(std::string_view text);
    void SetYear(std::string_view text);
    void SetGenre(std::string_view text);
    void SetComment(std::string_view text);

private:
    // The field of one slot as it would be written.
    std::string fieldOf(int slot) const;
    // The text written into the frame of one slot (empty: no frame).
    std::string writeTextOf(int slot) const;

    bool hasTag_ = false;
    std::uint8_t majorVersion_ = 0;
    std::int32_t tagSize_ = 0;
    std::string title_, artist_, album_;
    std::uint8_t trackNumber_ = 0;
    std::string year_, genre_, comment_;
    std::vector<ID3v2Frame> frames_;
    std::array<int, 7> slotFrame_{}; // index into frames_ of the frame each slot took, or -1
};

} // namespace korvel
