#include "core/audio/ID3v2.h"

#include "core/audio/ID3v1.h"
#include "core/audio/ID3v2Text.h"
#include "core/audio/TagText.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace korvel {

namespace {

constexpr std::uint8_t Unsynchronised = 0x80;
constexpr std::uint8_t ExtendedHeader = 0x40; // in 2.2: compression
constexpr std::uint8_t Footer = 0x10;         // 2.4 only

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

std::uint32_t syncsafe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] & 0x7F) << 21 | static_cast<std::uint32_t>(p[1] & 0x7F) << 14 |
           static_cast<std::uint32_t>(p[2] & 0x7F) << 7 | (p[3] & 0x7F);
}

bool hasFooter(std::span<const std::uint8_t> header) {
    return header[3] == 4 && (header[5] & Footer);
}

// The identifiers a field is read from, first match first.
std::vector<std::string_view> idsOf(int slot, std::uint8_t version) {
    if (slot == TID3v2::YearSlot)
        return version == 4 ? std::vector<std::string_view>{"TDRC", "TYER"}
                            : std::vector<std::string_view>{"TYER", "TDRC"};
    return {TID3v2::FrameIds[static_cast<std::size_t>(slot)]};
}

std::string joined(const std::vector<std::string>& values) {
    std::string out;
    for (const auto& v : values)
        if (!v.empty())
            out += (out.empty() ? "" : "/") + v;
    return out;
}

} // namespace

void TID3v2::Clear() {
    hasTag_ = false;
    majorVersion_ = 0;
    flags_ = 0;
    tagSize_ = 0;
    declaredSize_ = 0;
    damage_ = Damage::None;
    title_.clear();
    artist_.clear();
    album_.clear();
    trackNumber_ = 0;
    trackText_.clear();
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

std::string TID3v2::DamageText(Damage damage) {
    switch (damage) {
    case Damage::None:
        return {};
    case Damage::SizePastEnd:
        return "Its ID3v2 tag claims more bytes than the file holds.";
    case Damage::DamagedFrames:
        return "Its ID3v2 tag is damaged: a frame runs past the end of the tag.";
    case Damage::UnknownVersion:
        return "Its ID3v2 tag is of a version that is not known.";
    case Damage::Unsupported:
        return "Its ID3v2 tag is compressed as a whole, which is not supported.";
    }
    return {};
}

std::int64_t TID3v2::TotalTagSize(std::span<const std::uint8_t, HeaderSize> h, std::int64_t fileSize) {
    std::int64_t size = (static_cast<std::int64_t>(h[6]) << 21) + (static_cast<std::int64_t>(h[7]) << 14) +
                        (static_cast<std::int64_t>(h[8]) << 7) + h[9] + static_cast<std::int64_t>(HeaderSize);
    if (hasFooter(h))
        size += static_cast<std::int64_t>(HeaderSize);
    return size > fileSize ? 0 : size;
}

std::array<std::uint8_t, TID3v2::HeaderSize>
TID3v2::BuildTagHeader(std::uint32_t framesSize, std::uint8_t version, std::uint8_t flags) {
    return {'I',
            'D',
            '3',
            version,
            0,
            flags,
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
    auto nameOf = [](std::string_view code) -> std::string {
        if (code == "RX")
            return "Remix";
        if (code == "CR")
            return "Cover";
        auto index = GenreIndexOf(code);
        if (index && !code.empty() && code.size() <= 3 && *index < GenreNames.size())
            return std::string(GenreNames[*index]);
        return std::string(code);
    };
    // A bare number: a genre of the list.
    if (!t.empty() && t.size() <= 3 &&
        std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return nameOf(t);
    // Codes in parentheses, then an optional refinement; "((" starts a text that begins with "(".
    std::string firstCode;
    std::size_t pos = 0;
    while (pos < t.size() && t[pos] == '(') {
        if (pos + 1 < t.size() && t[pos + 1] == '(') {
            ++pos; // the refinement is "(" and what follows
            break;
        }
        auto close = t.find(')', pos);
        if (close == std::string::npos)
            break;
        if (firstCode.empty())
            firstCode = t.substr(pos + 1, close - pos - 1);
        pos = close + 1;
    }
    std::string refinement = Trim32(std::string_view(t).substr(pos));
    if (!refinement.empty() || firstCode.empty())
        return refinement;
    return nameOf(firstCode);
}

const std::string& TID3v2::fieldOf(int slot) const {
    switch (slot) {
    case TitleSlot:
        return title_;
    case ArtistSlot:
        return artist_;
    case AlbumSlot:
        return album_;
    case TrackSlot:
        return trackText_;
    case YearSlot:
        return year_;
    case GenreSlot:
        return genre_;
    default:
        return comment_;
    }
}

void TID3v2::readFields() {
    const std::uint8_t version = WriteVersion();
    std::array<std::string, SlotCount> texts;
    for (int s = 0; s < SlotCount; ++s) {
        if (s == CommentSlot) {
            // The first comment without a description, else the first comment.
            int first = -1, plain = -1;
            ID3v2Comment firstText, plainText;
            for (std::size_t i = 0; i < frames_.size() && plain < 0; ++i) {
                if (frames_[i].Id != "COMM")
                    continue;
                auto content = FrameContent(frames_[i], version);
                auto c = content ? DecodeComment(*content) : std::nullopt;
                if (!c)
                    continue;
                if (first < 0) {
                    first = static_cast<int>(i);
                    firstText = *c;
                }
                if (c->Description.empty()) {
                    plain = static_cast<int>(i);
                    plainText = *c;
                }
            }
            slotFrame_[s] = plain >= 0 ? plain : first;
            texts[s] = plain >= 0 ? plainText.Text : firstText.Text;
            continue;
        }
        for (std::string_view id : idsOf(s, version)) {
            auto it =
                std::find_if(frames_.begin(), frames_.end(), [&](const ID3v2Frame& f) { return f.Id == id; });
            if (it == frames_.end())
                continue;
            slotFrame_[s] = static_cast<int>(it - frames_.begin());
            if (auto content = FrameContent(*it, version))
                texts[s] = joined(DecodeTextFrame(*content));
            break;
        }
    }
    title_ = Trim32(texts[TitleSlot]);
    artist_ = Trim32(texts[ArtistSlot]);
    album_ = Trim32(texts[AlbumSlot]);
    year_ = Trim32(texts[YearSlot]);
    trackText_ = Trim32(texts[TrackSlot]);
    trackNumber_ = ParseTrackNumber(trackText_);
    genre_ = StripGenreCode(texts[GenreSlot]);
    comment_ = Trim32(texts[CommentSlot]);
}

void TID3v2::LoadFromBytes(std::span<const std::uint8_t> bytes, std::int64_t fileSize) {
    Clear();
    if (bytes.size() < HeaderSize || std::memcmp(bytes.data(), "ID3", 3) != 0)
        return;
    auto header = bytes.first<HeaderSize>();
    hasTag_ = true;
    majorVersion_ = bytes[3];
    flags_ = bytes[5];
    declaredSize_ = TotalTagSize(header, std::numeric_limits<std::int64_t>::max());
    tagSize_ = static_cast<std::int32_t>(TotalTagSize(header, fileSize));
    if (majorVersion_ < 2 || majorVersion_ > 4) {
        damage_ = Damage::UnknownVersion;
        return;
    }
    if (majorVersion_ == 2 && (flags_ & ExtendedHeader)) {
        damage_ = Damage::Unsupported; // 2.2 compression: no scheme was ever defined
        return;
    }
    if (tagSize_ == 0)
        damage_ = Damage::SizePastEnd; // the frames the file holds are still shown

    std::int64_t bodyEnd = declaredSize_ - (hasFooter(header) ? static_cast<std::int64_t>(HeaderSize) : 0);
    auto end =
        static_cast<std::size_t>(std::min<std::int64_t>(bodyEnd, static_cast<std::int64_t>(bytes.size())));
    std::span<const std::uint8_t> body = bytes.subspan(HeaderSize, end - HeaderSize);
    std::vector<std::uint8_t> plain;
    if ((flags_ & Unsynchronised) && majorVersion_ != 4) {
        plain = Resynchronise(body);
        body = plain;
    }
    if (flags_ & ExtendedHeader) {
        if (body.size() < 4) {
            damage_ = Damage::DamagedFrames;
            return;
        }
        std::uint64_t ext = majorVersion_ == 4 ? syncsafe32(body.data()) : 4ull + bigEndian32(body.data());
        if (ext > body.size() || ext < 4) {
            damage_ = Damage::DamagedFrames;
            return;
        }
        body = body.subspan(static_cast<std::size_t>(ext));
    }
    ID3v2FrameList list = ReadFrames(majorVersion_, body, (flags_ & Unsynchronised) && majorVersion_ == 4);
    if (list.Damaged && damage_ == Damage::None)
        damage_ = Damage::DamagedFrames;
    frames_ = std::move(list.Frames);
    if (majorVersion_ == 2)
        for (auto& f : frames_)
            f = ConvertFrame22(f);
    readFields();
}

bool TID3v2::LoadHeader(ByteSource& source) {
    Clear();
    std::array<std::uint8_t, HeaderSize> header{};
    if (source.ReadAt(0, header) != static_cast<std::int64_t>(HeaderSize))
        return false;
    if (std::memcmp(header.data(), "ID3", 3) == 0) {
        hasTag_ = true;
        majorVersion_ = header[3];
        flags_ = header[5];
        declaredSize_ = TotalTagSize(header, std::numeric_limits<std::int64_t>::max());
        tagSize_ = static_cast<std::int32_t>(TotalTagSize(header, source.Size()));
    }
    return true;
}

bool TID3v2::LoadTag(ByteSource& source) {
    if (!LoadHeader(source))
        return false;
    if (!hasTag_)
        return true;
    std::vector<std::uint8_t> tag(static_cast<std::size_t>(std::min(declaredSize_, source.Size())));
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

std::optional<std::vector<std::uint8_t>> TID3v2::contentOf(int slot, const ID3v2Frame* old,
                                                           std::uint8_t version) const {
    const std::string& text = fieldOf(slot);
    if (text.empty())
        return std::nullopt;
    if (slot == CommentSlot) {
        ID3v2Comment c;
        if (old) // the comment keeps its language and description
            if (auto content = FrameContent(*old, version))
                if (auto was = DecodeComment(*content))
                    c = *was;
        c.Text = text;
        return EncodeComment(c, version);
    }
    return EncodeTextFrame(text, version);
}

std::optional<std::vector<std::uint8_t>> TID3v2::BuildTag(const TID3v2& existing) const {
    if (existing.damage_ != Damage::None)
        return std::nullopt;
    const bool had = existing.hasTag_;
    const std::uint8_t version = had ? existing.WriteVersion() : 3;
    std::vector<ID3v2Frame> frames = had ? existing.frames_ : std::vector<ID3v2Frame>{};
    std::vector<bool> dropped(frames.size(), false);
    std::vector<ID3v2Frame> added;
    for (int s = 0; s < SlotCount; ++s) {
        if (s == TrackSlot) // no setter: the track goes back as it was
            continue;
        int old = had ? existing.slotFrame_[s] : -1;
        if (old >= 0 && fieldOf(s) == existing.fieldOf(s))
            continue; // not edited: the frame keeps its bytes
        if (old < 0 && fieldOf(s).empty())
            continue;
        auto content = contentOf(s, old >= 0 ? &frames[static_cast<std::size_t>(old)] : nullptr, version);
        if (old >= 0) {
            ID3v2Frame& f = frames[static_cast<std::size_t>(old)];
            if (!content) {
                dropped[static_cast<std::size_t>(old)] = true;
                continue;
            }
            f.Data = std::move(*content);
            f.Flags &= 0xFF00; // status flags stay; compression, grouping and the like no longer apply
            f.Unsynchronised = false;
        } else {
            ID3v2Frame f;
            f.Id =
                s == YearSlot && version == 4 ? "TDRC" : std::string(FrameIds[static_cast<std::size_t>(s)]);
            f.Data = std::move(*content);
            added.push_back(std::move(f));
        }
    }
    std::vector<std::uint8_t> out(HeaderSize);
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (!dropped[i] && !AppendFrame(out, frames[i], version))
            return std::nullopt;
    for (const auto& f : added)
        if (!AppendFrame(out, f, version))
            return std::nullopt;
    if (out.size() > static_cast<std::size_t>(MaxTagSize))
        return std::nullopt;
    const std::uint8_t flags = had && version == 4 ? (existing.flags_ & Footer) : 0;
    auto header = BuildTagHeader(static_cast<std::uint32_t>(out.size() - HeaderSize), version, flags);
    std::copy(header.begin(), header.end(), out.begin());
    if (flags & Footer) {
        out.insert(out.end(), {'3', 'D', 'I'});
        out.insert(out.end(), header.begin() + 3, header.end());
    }
    return out;
}

bool TID3v2::WriteTag(const std::string& fileName) const {
    lastDamage_ = Damage::None;
    TID3v2 existing;
    std::int64_t size = 0;
    {
        FileSource source;
        if (!source.Open(fileName) || !existing.LoadTag(source))
            return false;
        size = source.Size();
    }
    if (existing.damage_ != Damage::None) {
        lastDamage_ = existing.damage_;
        return false;
    }
    auto tag = BuildTag(existing);
    if (!tag)
        return false;
    return RewriteFile(
        fileName, {FilePiece::New(std::move(*tag)), FilePiece::Old(existing.hasTag_ ? existing.tagSize_ : 0)},
        size);
}

} // namespace korvel
