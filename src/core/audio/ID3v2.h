#pragma once
// The ID3v2 tag at the start of an MP3 file, of version 2.2, 2.3 or 2.4. The tag is held as its
// list of frames; the seven fields title, artist, album, track, year, genre and comment are a view
// of it, in UTF-8. Writing keeps the tag's version (2.2 becomes 2.3, its frames converted), puts
// the edited fields into the frames that showed them and keeps every other frame byte for byte and
// in order. A damaged tag is never written over.

#include "core/audio/ByteSource.h"
#include "core/audio/ID3v2Frames.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

class TID3v2 {
public:
    static constexpr std::size_t HeaderSize = 10;
    // The fields, in the order of the frames written into a new tag.
    enum Slot { TitleSlot, ArtistSlot, AlbumSlot, TrackSlot, YearSlot, GenreSlot, CommentSlot, SlotCount };
    // Their frames in version 2.3 (2.4 keeps the year in "TDRC").
    static constexpr std::array<std::string_view, 7> FrameIds = {"TIT2", "TPE1", "TALB", "TRCK",
                                                                 "TYER", "TCON", "COMM"};
    // The largest tag the 28 bits of the size field can describe.
    static constexpr std::int64_t MaxTagSize = 0x0FFFFFFF + HeaderSize;

    // Why a tag cannot be written over.
    enum class Damage { None, SizePastEnd, DamagedFrames, UnknownVersion, Unsupported };

    TID3v2() { Clear(); }

    void Clear();

    // True when the first 10 bytes could be read, whether or not there is a tag.
    bool LoadTag(const std::string& fileName);
    bool LoadTag(ByteSource& source);
    // Learns only HasTag, MajorVersion and TagSize (what the stream analyser needs).
    bool LoadHeader(ByteSource& source);
    // Parses a tag from the first bytes of a file of fileSize bytes (bytes may hold fewer).
    void LoadFromBytes(std::span<const std::uint8_t> bytes, std::int64_t fileSize);
    // Rebuilds the file with the tag holding the fields. True when the file was rebuilt; on failure
    // the file is unchanged. A file whose tag is damaged is refused (see LastDamage).
    bool WriteTag(const std::string& fileName) const;

    // The complete tag WriteTag puts in front of the audio in place of `existing` (the tag the file
    // holds now): its frames with the fields changed since it was read put in. Nothing when it
    // would not fit the 28-bit size field or `existing` is damaged.
    std::optional<std::vector<std::uint8_t>> BuildTag(const TID3v2& existing) const;

    // b6 * 2^21 + b7 * 2^14 + b8 * 2^7 + b9 + 10 (and 10 more for the footer of a 2.4 tag that
    // has one), or 0 when that exceeds the file size.
    static std::int64_t TotalTagSize(std::span<const std::uint8_t, HeaderSize> header, std::int64_t fileSize);
    // "ID3", the version, revision 0, the flags, and the size of the frames in four 7-bit groups.
    static std::array<std::uint8_t, HeaderSize>
    BuildTagHeader(std::uint32_t framesSize, std::uint8_t version = 3, std::uint8_t flags = 0);
    // The number before the first "/", 0 when it is no number; only the low eight bits remain.
    static std::uint8_t ParseTrackNumber(std::string_view text);
    // The genre a TCON text names: "(17)Rock", "(17)", "17" and "Rock" all give "Rock"; a
    // refinement after the codes wins, "((" starts a text with "(".
    static std::string StripGenreCode(std::string_view text);

    bool HasTag() const { return hasTag_; }
    std::uint8_t MajorVersion() const { return majorVersion_; }
    // The version a write produces: the tag's own, 2.3 for 2.2 and for a file without a tag.
    std::uint8_t WriteVersion() const { return majorVersion_ == 4 ? 4 : 3; }
    std::int32_t TagSize() const { return tagSize_; }
    // The size the header claims, also when it runs past the end of the file.
    std::int64_t DeclaredSize() const { return declaredSize_; }
    Damage TagDamage() const { return damage_; }
    // A sentence telling the user why a tag cannot be written over (empty for Damage::None).
    static std::string DamageText(Damage damage);

    const std::string& TitleField() const { return title_; }
    const std::string& ArtistField() const { return artist_; }
    const std::string& AlbumField() const { return album_; }
    std::uint8_t TrackNumber() const { return trackNumber_; }
    const std::string& YearField() const { return year_; }
    const std::string& GenreField() const { return genre_; }
    const std::string& CommentField() const { return comment_; }
    // Every frame of the tag last loaded, in file order (2.2 frames in their 2.3 form).
    const std::vector<ID3v2Frame>& Frames() const { return frames_; }
    // The frame each field was read from (-1: none).
    int FrameOf(Slot slot) const { return slotFrame_[slot]; }

    // Each setter removes trailing characters with codes 0 to 32. Texts are UTF-8.
    void SetTitle(std::string_view text);
    void SetArtist(std::string_view text);
    void SetAlbum(std::string_view text);
    void SetYear(std::string_view text);
    void SetGenre(std::string_view text);
    void SetComment(std::string_view text);

    // Where the damage of the last WriteTag lay (Damage::None when it was no damaged tag).
    Damage LastDamage() const { return lastDamage_; }

private:
    // The field of one slot as shown.
    const std::string& fieldOf(int slot) const;
    void readFields();
    // The frame content a changed field is written as, in place of `old` (nothing: no frame).
    std::optional<std::vector<std::uint8_t>> contentOf(int slot, const ID3v2Frame* old,
                                                       std::uint8_t version) const;

    bool hasTag_ = false;
    std::uint8_t majorVersion_ = 0;
    std::uint8_t flags_ = 0;
    std::int32_t tagSize_ = 0;
    std::int64_t declaredSize_ = 0;
    Damage damage_ = Damage::None;
    mutable Damage lastDamage_ = Damage::None;
    std::string title_, artist_, album_;
    std::uint8_t trackNumber_ = 0;
    std::string trackText_;
    std::string year_, genre_, comment_;
    std::vector<ID3v2Frame> frames_;
    std::array<int, SlotCount> slotFrame_{};
};

} // namespace korvel
