#include "core/audio/ID3v2.h"

#include "core/audio/TagText.h"

#include <algorithm>
#include <cstring>

namespace korvel {

namespace {

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

void putBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

std::string bytesText(std::span<const std::uint8_t> bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// The text of an encoded string: 1 UTF-16 with byte order mark, 2 UTF-16 big-endian, 3 UTF-8.
std::string decode(std::uint8_t encoding, std::span<const std::uint8_t> bytes) {
    if (encoding == 1 || encoding == 2)
        return Utf16ToLatin1(bytes, encoding == 2);
    return Utf8ToLatin1(bytesText(bytes));
}

// Undoes the unsynchronisation of a tag body: every 0xFF 0x00 becomes 0xFF.
std::vector<std::uint8_t> resynchronise(std::span<const std::uint8_t> body) {
    std::vector<std::uint8_t> out;
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        out.push_back(body[i]);
        if (body[i] == 0xFF && i + 1 < body.size() && body[i + 1] == 0x00)
            ++i;
    }
    return out;
}

constexpr std::uint16_t CompressedOrEncrypted = 0x00C0;

} // namespace

void TID3v2::Clear() {
    hasTag_ = false;
    majorVersion_ = 0;
    tagSize_ = 0;
    title_.clear();
    artist_.clear();
    album_.clear();
    trackNumber_ = 0;
    year_.clear();
    genre_.clear();
    comment_.clear();
    frames_.clear();
    slotFrame_.fill(-1);
}

void TID3v2::SetTitle(std::string_view text) {
    title_ = TrimRight32(text);
}
void TID3v2::SetArtist(std::string_view text) {
    artist_ = TrimRight32(text);
}
void TID3v2::SetAlbum(std::string_view text) {
    album_ = TrimRight32(text);
}
void TID3v2::SetYear(std::string_view text) {
    year_ = TrimRight32(text);
}
void TID3v2::SetGenre(std::string_view text) {
    genre_ = TrimRight32(text);
}
void TID3v2::SetComment(std::string_view text) {
    comment_ = TrimRight32(text);
}

std::int64_t TID3v2::TotalTagSize(std::span<const std::uint8_t, HeaderSize> h, std::int64_t fileSize) {
    std::int64_t size = (static_cast<std::int64_t>(h[6]) << 21) + (static_cast<std::int64_t>(h[7]) << 14) +
                        (static_cast<std::int64_t>(h[8]) << 7) + h[9] + static_cast<std::int64_t>(HeaderSize);
    return size > fileSize ? 0 : size;
}

std::array<std::uint8_t, TID3v2::HeaderSize> TID3v2::BuildTagHeader(std::uint32_t framesSize) {
    return {'I',
            'D',
            '3',
            3,
            0,
            0,
            static_cast<std::uint8_t>((framesSize >> 21) & 0x7F),
            static_cast<std::uint8_t>((framesSize >> 14) & 0x7F),
            static_cast<std::uint8_t>((framesSize >> 7) & 0x7F),
            static_cast<std::uint8_t>(framesSize & 0x7F)};
}

std::uint8_t TID3v2::ParseTrackNumber(std::string_view text) {
    std::string t = Trim32(text);
    if (auto slash = t.find('/'); slash != std::string::npos)
        t.resize(slash);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        negative = t[i++] == '-';
    if (i == t.size())
        return 0;
    std::int64_t value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            return 0;
        value = value * 10 + (t[i] - '0');
        if (value > 0x80000000LL)
            return 0; // does not fit a 32-bit number
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFFLL)
        return 0;
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFF);
}

std::string TID3v2::StripGenreCode(std::string_view text) {
    std::string t = Trim32(text);
    if (auto close = t.rfind(')'); close != std::string::npos)
        t.erase(0, close + 1);
    return t;
}

std::string TID3v2::SlotText(const ID3v2Frame& frame) {
    const auto& d = frame.Data;
    if (d.empty() || (frame.Flags & CompressedOrEncrypted))
        return {};
    std::uint8_t enc = d[0];
    if (enc < 1 || enc > 3)
        return bytesText(d);
    std::span<const std::uint8_t> rest(d.data() + 1, d.size() - 1);
    if (frame.Id != "COMM")
        return std::string(1, '\0') + decode(enc, rest);
    // Comment: language, short description, terminator, text.
    std::size_t langLen = std::min<std::size_t>(3, rest.size());
    std::string out = std::string(1, '\0') + bytesText(rest.first(langLen));
    rest = rest.subspan(langLen);
    std::size_t unit = enc == 3 ? 1 : 2;
    std::size_t end = rest.size();
    for (std::size_t i = 0; i + unit <= rest.size(); i += unit) {
        if (rest[i] == 0 && (unit == 1 || rest[i + 1] == 0)) {
            end = i;
            break;
        }
    }
    out += decode(enc, rest.first(end));
    if (end < rest.size()) {
        out += '\0';
        out += decode(enc, rest.subspan(end + unit));
    }
    return out;
}

void TID3v2::LoadFromBytes(std::span<const std::uint8_t> bytes, std::int64_t fileSize) {
    Clear();
    if (bytes.size() < HeaderSize || std::memcmp(bytes.data(), "ID3", 3) != 0)
        return;
    hasTag_ = true;
    majorVersion_ = bytes[3];
    tagSize_ = static_cast<std::int32_t>(TotalTagSize(bytes.first<HeaderSize>(), fileSize));
    if (majorVersion_ != 3 || tagSize_ == 0)
        return;

    std::uint8_t flags = bytes[5];
    auto tagEnd = std::min<std::size_t>(static_cast<std::size_t>(tagSize_), bytes.size());
    std::span<const std::uint8_t> body = bytes.subspan(HeaderSize, tagEnd - HeaderSize);
    std::vector<std::uint8_t> plain;
    if (flags & 0x80) {
        plain = resynchronise(body);
        body = plain;
    }
    if (flags & 0x40) { // extended header: its size, then that many bytes
        if (body.size() < 4)
            return;
        std::uint64_t ext = 4ull + bigEndian32(body.data());
        if (ext > body.size())
            return;
        body = body.subspan(static_cast<std::size_t>(ext));
    }

    std::array<std::string, 7> slots;
    std::size_t pos = 0;
    while (pos + 10 <= body.size()) {
        const std::uint8_t* h = body.data() + pos;
        if (h[0] < 'A' || h[0] > 'Z')
            break; // padding
        ID3v2Frame frame;
        frame.Id = bytesText({h, 4});
        std::uint32_t size = bigEndian32(h + 4);
        frame.Flags = static_cast<std::uint16_t>(h[8] << 8 | h[9]);
        std::size_t dataAt = pos + 10;
        std::size_t available = body.size() - dataAt;
        std::size_t n = std::min<std::size_t>(size, available);
        frame.Data.assign(body.begin() + static_cast<std::ptrdiff_t>(dataAt),
                          body.begin() + static_cast<std::ptrdiff_t>(dataAt + n));
        for (std::size_t s = 0; s < FrameIds.size(); ++s) {
            if (frame.Id == FrameIds[s]) {
                slots[s] = SlotText(frame);
                slotFrame_[s] = static_cast<int>(frames_.size());
            }
        }
        frames_.push_back(std::move(frame));
        if (size > available)
            break; // the frame runs past the tag
        pos = dataAt + size;
    }

    title_ = Trim32(slots[TitleSlot]);
    artist_ = Trim32(slots[ArtistSlot]);
    album_ = Trim32(slots[AlbumSlot]);
    year_ = Trim32(slots[YearSlot]);
    trackNumber_ = ParseTrackNumber(slots[TrackSlot]);
    genre_ = StripGenreCode(slots[GenreSlot]);
    const std::string& c = slots[CommentSlot];
    comment_ = c.size() > 4 ? Trim32(std::string_view(c).substr(4)) : std::string();
}

bool TID3v2::LoadHeader(ByteSource& source) {
    Clear();
    std::array<std::uint8_t, HeaderSize> header{};
    if (source.ReadAt(0, header) != static_cast<std::int64_t>(HeaderSize))
        return false;
    if (std::memcmp(header.data(), "ID3", 3) == 0) {
        hasTag_ = true;
        majorVersion_ = header[3];
        tagSize_ = static_cast<std::int32_t>(TotalTagSize(header, source.Size()));
    }
    return true;
}

bool TID3v2::LoadTag(ByteSource& source) {
    if (!LoadHeader(source))
        return false;
    if (!hasTag_ || majorVersion_ != 3 || tagSize_ == 0)
        return true;
    std::vector<std::uint8_t> tag(static_cast<std::size_t>(tagSize_));
    std::int64_t n = source.ReadAt(0, tag);
    if (n < static_cast<std::int64_t>(HeaderSize))
        return true; // the frames cannot be read: the header is all there is
    tag.resize(static_cast<std::size_t>(n));
    LoadFromBytes(tag, source.Size());
    return true;
}

bool TID3v2::LoadTag(const std::string& fileName) {
    FileSource source;
    if (!source.Open(fileName)) {
        Clear();
        return false;
    }
    return LoadTag(source);
}

std::string TID3v2::fieldOf(int slot) const {
    switch (slot) {
    case TitleSlot:
        return title_;
    case ArtistSlot:
        return artist_;
    case AlbumSlot:
        return album_;
    case TrackSlot:
        return std::to_string(trackNumber_);
    case YearSlot:
        return year_;
    case GenreSlot:
        return genre_;
    default:
        return comment_;
    }
}

std::string TID3v2::writeTextOf(int slot) const {
    switch (slot) {
    case TrackSlot:
        return trackNumber_ ? std::to_string(trackNumber_) : std::string();
    case CommentSlot:
        return comment_.empty() ? std::string() : std::string("eng\0", 4) + comment_;
    default:
        return fieldOf(slot);
    }
}

std::optional<std::vector<std::uint8_t>> TID3v2::BuildTag(const TID3v2& existing) const {
    std::vector<std::uint8_t> out(HeaderSize);
    auto emit = [&out](std::string_view id, std::uint16_t flags, std::span<const std::uint8_t> data,
                       bool encodingByte) {
        std::size_t size = data.size() + (encodingByte ? 1 : 0);
        if (size > 0x0FFFFFFF)
            return false;
        out.insert(out.end(), id.begin(), id.end());
        putBigEndian32(out, static_cast<std::uint32_t>(size));
        out.push_back(static_cast<std::uint8_t>(flags >> 8));
        out.push_back(static_cast<std::uint8_t>(flags));
        if (encodingByte)
            out.push_back(0);
        out.insert(out.end(), data.begin(), data.end());
        return out.size() <= static_cast<std::size_t>(MaxTagSize);
    };

    // Frames of an existing 2.3 tag survive: a slot whose field is unchanged keeps its frame as it
    // was (with its encoding, "7/12" track text or genre code), and every frame that is not one
    // of the seven follows the seven, in its old order.
    bool keep = existing.hasTag_ && existing.majorVersion_ == 3 && existing.tagSize_ > 0;
    for (int s = 0; s < static_cast<int>(FrameIds.size()); ++s) {
        int old = keep ? existing.slotFrame_[s] : -1;
        if (old >= 0 && existing.fieldOf(s) == fieldOf(s)) {
            const ID3v2Frame& f = existing.frames_[static_cast<std::size_t>(old)];
            if (!emit(f.Id, f.Flags, f.Data, false))
                return std::nullopt;
            continue;
        }
        std::string text = writeTextOf(s);
        if (!text.empty() &&
            !emit(FrameIds[s], 0, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, true))
            return std::nullopt;
    }
    if (keep) {
        for (const auto& f : existing.frames_) {
            if (std::find(FrameIds.begin(), FrameIds.end(), f.Id) == FrameIds.end() &&
                !emit(f.Id, f.Flags, f.Data, false))
                return std::nullopt;
        }
    }
    auto header = BuildTagHeader(static_cast<std::uint32_t>(out.size() - HeaderSize));
    std::copy(header.begin(), header.end(), out.begin());
    return out;
}

bool TID3v2::WriteTag(const std::string& fileName) const {
    TID3v2 existing;
    {
        FileSource source;
        if (!source.Open(fileName) || !existing.LoadTag(source))
            return false;
    }
    auto tag = BuildTag(existing);
    if (!tag)
        return false;
    return ReplaceFileHead(fileName, *tag, existing.hasTag_ ? existing.tagSize_ : 0);
}

} // namespace korvel
