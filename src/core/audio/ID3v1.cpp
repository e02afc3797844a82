#include "core/audio/ID3v1.h"

#include "core/audio/TagText.h"
#include "posix_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel {

const std::array<std::string_view, 148> GenreNames = {"Blues",
                                                      "Classic Rock",
                                                      "Country",
                                                      "Dance",
                                                      "Disco",
                                                      "Funk",
                                                      "Grunge",
                                                      "Hip-Hop",
                                                      "Jazz",
                                                      "Metal",
                                                      "New Age",
                                                      "Oldies",
                                                      "Other",
                                                      "Pop",
                                                      "R&B",
                                                      "Rap",
                                                      "Reggae",
                                                      "Rock",
                                                      "Techno",
                                                      "Industrial",
                                                      "Alternative",
                                                      "Ska",
                                                      "Death Metal",
                                                      "Pranks",
                                                      "Soundtrack",
                                                      "Euro-Techno",
                                                      "Ambient",
                                                      "Trip-Hop",
                                                      "Vocal",
                                                      "Jazz+Funk",
                                                      "Fusion",
                                                      "Trance",
                                                      "Classical",
                                                      "Instrumental",
                                                      "Acid",
                                                      "House",
                                                      "Game",
                                                      "Sound Clip",
                                                      "Gospel",
                                                      "Noise",
                                                      "AlternRock",
                                                      "Bass",
                                                      "Soul",
                                                      "Punk",
                                                      "Space",
                                                      "Meditative",
                                                      "Instrumental Pop",
                                                      "Instrumental Rock",
                                                      "Ethnic",
                                                      "Gothic",
                                                      "Darkwave",
                                                      "Techno-Industrial",
                                                      "Electronic",
                                                      "Pop-Folk",
                                                      "Eurodance",
                                                      "Dream",
                                                      "Southern Rock",
                                                      "Comedy",
                                                      "Cult",
                                                      "Gangsta",
                                                      "Top 40",
                                                      "Christian Rap",
                                                      "Pop/Funk",
                                                      "Jungle",
                                                      "Native American",
                                                      "Cabaret",
                                                      "New Wave",
                                                      "Psychadelic",
                                                      "Rave",
                                                      "Showtunes",
                                                      "Trailer",
                                                      "Lo-Fi",
                                                      "Tribal",
                                                      "Acid Punk",
                                                      "Acid Jazz",
                                                      "Polka",
                                                      "Retro",
                                                      "Musical",
                                                      "Rock & Roll",
                                                      "Hard Rock",
                                                      "Folk",
                                                      "Folk-Rock",
                                                      "National Folk",
                                                      "Swing",
                                                      "Fast Fusion",
                                                      "Bebob",
                                                      "Latin",
                                                      "Revival",
                                                      "Celtic",
                                                      "Bluegrass",
                                                      "Avantgarde",
                                                      "Gothic Rock",
                                                      "Progessive Rock",
                                                      "Psychedelic Rock",
                                                      "Symphonic Rock",
                                                      "Slow Rock",
                                                      "Big Band",
                                                      "Chorus",
                                                      "Easy Listening",
                                                      "Acoustic",
                                                      "Humour",
                                                      "Speech",
                                                      "Chanson",
                                                      "Opera",
                                                      "Chamber Music",
                                                      "Sonata",
                                                      "Symphony",
                                                      "Booty Bass",
                                                      "Primus",
                                                      "Porn Groove",
                                                      "Satire",
                                                      "Slow Jam",
                                                      "Club",
                                                      "Tango",
                                                      "Samba",
                                                      "Folklore",
                                                      "Ballad",
                                                      "Power Ballad",
                                                      "Rhythmic Soul",
                                                      "Freestyle",
                                                      "Duet",
                                                      "Punk Rock",
                                                      "Drum Solo",
                                                      "A capella",
                                                      "Euro-House",
                                                      "Dance Hall",
                                                      "Goa",
                                                      "Drum & Bass",
                                                      "Club-House",
                                                      "Hardcore",
                                                      "Terror",
                                                      "Indie",
                                                      "BritPop",
                                                      "Negerpunk",
                                                      "Polsk Punk",
                                                      "Beat",
                                                      "Christian Gangsta Rap",
                                                      "Heavy Metal",
                                                      "Black Metal",
                                                      "Crossover",
                                                      "Contemporary Christian",
                                                      "Christian Rock",
                                                      "Merengue",
                                                      "Salsa",
                                                      "Trash Metal",
                                                      "Anime",
                                                      "JPop",
                                                      "Synthpop"};

std::optional<std::uint8_t> GenreIndexOf(std::string_view text) {
    if (text.empty())
        return TID3v1::NoGenre;
    if (text.size() <= 3 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        int n = 0;
        for (char c : text)
            n = n * 10 + (c - '0');
        if (n <= 255)
            return static_cast<std::uint8_t>(n);
        return std::nullopt;
    }
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < GenreNames.size(); ++i) {
        std::string_view name = GenreNames[i];
        if (name.size() == text.size() && std::equal(name.begin(), name.end(), text.begin(),
                                                     [&](char a, char b) { return lower(a) == lower(b); }))
            return static_cast<std::uint8_t>(i);
    }
    return std::nullopt;
}

void TID3v1::Clear() {
    hasTag_ = false;
    tagOffset_ = -1;
    tagRevision_ = 1;
    title_.clear();
    artist_.clear();
    album_.clear();
    year_.clear();
    comment_.clear();
    trackNumber_ = 0;
    genreIndex_ = NoGenre;
}

std::string_view TID3v1::GenreName() const {
    return genreIndex_ < GenreNames.size() ? GenreNames[genreIndex_] : std::string_view{};
}

static std::string cut(std::string_view text, std::size_t capacity) {
    std::string t = TrimRight32(text);
    if (t.size() > capacity)
        t.resize(capacity);
    return t;
}

void TID3v1::SetTitle(std::string_view text) {
    title_ = cut(text, TextCapacity);
}
void TID3v1::SetArtist(std::string_view text) {
    artist_ = cut(text, TextCapacity);
}
void TID3v1::SetAlbum(std::string_view text) {
    album_ = cut(text, TextCapacity);
}
void TID3v1::SetYear(std::string_view text) {
    year_ = cut(text, YearCapacity);
}
void TID3v1::SetComment(std::string_view text) {
    comment_ = cut(text, TextCapacity);
}

std::uint8_t TID3v1::DetectRevision(std::span<const std::uint8_t, BlockSize> b) {
    if (b[125] == 0 && b[126] != 0)
        return 2;
    if (b[125] == 0x20 && b[126] != 0x20)
        return 2;
    return 1;
}

static std::string field(std::span<const std::uint8_t, TID3v1::BlockSize> b, std::size_t at, std::size_t n) {
    return TrimRight32(std::string_view(reinterpret_cast<const char*>(b.data() + at), n));
}

void TID3v1::LoadFromBlock(std::span<const std::uint8_t, BlockSize> b) {
    Clear();
    if (std::memcmp(b.data(), "TAG", 3) != 0)
        return;
    hasTag_ = true;
    tagRevision_ = DetectRevision(b);
    title_ = field(b, 3, 30);
    artist_ = field(b, 33, 30);
    album_ = field(b, 63, 30);
    year_ = field(b, 93, 4);
    if (tagRevision_ == 1) {
        comment_ = field(b, 97, 30);
    } else {
        comment_ = field(b, 97, 28);
        trackNumber_ = b[126];
    }
    genreIndex_ = b[127];
}

// Where the block lies, given the last 128 bytes before `end`: there, or just before trailers that
// other programs append behind it: an APE tag ("APETAGEX" footer) or an ID3v2 tag with a footer
// ("3DI"). Each trailer costs one more read.
static std::int64_t findBlock(ByteSource& source, std::int64_t end, TID3v1::Block block) {
    constexpr auto N = static_cast<std::int64_t>(TID3v1::BlockSize);
    for (int trailers = 0; trailers < 4 && end >= N; ++trailers) {
        if (std::memcmp(block.data(), "TAG", 3) == 0)
            return end - N;
        std::int64_t size = 0;
        if (std::memcmp(block.data() + 96, "APETAGEX", 8) == 0) {
            auto le32 = [&](std::size_t at) {
                return static_cast<std::uint32_t>(block[at]) |
                       static_cast<std::uint32_t>(block[at + 1]) << 8 |
                       static_cast<std::uint32_t>(block[at + 2]) << 16 |
                       static_cast<std::uint32_t>(block[at + 3]) << 24;
            };
            size = le32(96 + 12) +
                   ((le32(96 + 20) & 0x80000000u) ? 32 : 0); // footer included, header if flagged
            if (size < 32)
                return -1;
        } else if (std::memcmp(block.data() + 118, "3DI", 3) == 0 &&
                   (block[124] | block[125] | block[126] | block[127]) < 0x80) {
            size = (static_cast<std::int64_t>(block[124]) << 21 | block[125] << 14 | block[126] << 7 |
                    block[127]) +
                   20;
        } else {
            return -1;
        }
        if (size > end - N)
            return -1;
        end -= size;
        if (source.ReadAt(end - N, block) != N)
            return -1;
    }
    return -1;
}

std::int64_t TID3v1::FindTagOffset(ByteSource& source) {
    Block block{};
    std::int64_t size = source.Size();
    if (size < static_cast<std::int64_t>(BlockSize) ||
        source.ReadAt(size - static_cast<std::int64_t>(BlockSize), block) !=
            static_cast<std::int64_t>(BlockSize))
        return -1;
    return findBlock(source, size, block);
}

bool TID3v1::LoadTag(ByteSource& source) {
    Clear();
    std::int64_t size = source.Size();
    if (size < static_cast<std::int64_t>(BlockSize))
        return false;
    Block block{};
    if (source.ReadAt(size - static_cast<std::int64_t>(BlockSize), block) !=
        static_cast<std::int64_t>(BlockSize))
        return false;
    std::int64_t at = findBlock(source, size, block);
    if (at >= 0 && at != size - static_cast<std::int64_t>(BlockSize) &&
        source.ReadAt(at, block) != static_cast<std::int64_t>(BlockSize))
        return false;
    LoadFromBlock(block);
    tagOffset_ = hasTag_ ? at : -1;
    return true;
}

bool TID3v1::LoadTag(const std::string& fileName) {
    FileSource source;
    if (!source.Open(fileName)) {
        Clear();
        return false;
    }
    return LoadTag(source);
}

TID3v1::Block TID3v1::BuildBlock() const {
    Block b{};
    std::memcpy(b.data(), "TAG", 3);
    auto put = [&b](std::size_t at, const std::string& text, std::size_t capacity) {
        std::memcpy(b.data() + at, text.data(), std::min(text.size(), capacity));
    };
    put(3, title_, 30);
    put(33, artist_, 30);
    put(63, album_, 30);
    put(93, year_, 4);
    put(97, comment_, 30);
    if (trackNumber_ > 0) {
        b[125] = 0;
        b[126] = trackNumber_;
    }
    b[127] = genreIndex_;
    return b;
}

static posix::Fd openForWriting(const std::string& fileName, off_t& size) {
    if (!MakeOwnerWritable(fileName))
        return {};
    posix::Fd fd(::open(fileName.c_str(), O_RDWR | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    size = st.st_size;
    return fd;
}

// Where the file's block lies (-1: none) and how long the file is; false when it cannot be read or
// is shorter than a block.
static bool locateBlock(const std::string& fileName, std::int64_t& at, std::int64_t& size) {
    FileSource source;
    if (!source.Open(fileName) || source.Size() < static_cast<std::int64_t>(TID3v1::BlockSize))
        return false;
    TID3v1 probe;
    if (!probe.LoadTag(source))
        return false;
    at = probe.TagOffset();
    size = source.Size();
    return true;
}

bool TID3v1::StripTag(const std::string& fileName) const {
    std::int64_t at = -1, size = 0;
    if (!locateBlock(fileName, at, size))
        return false;
    if (at < 0)
        return true;
    if (at + static_cast<std::int64_t>(BlockSize) != size) // a trailer follows: cut the block out
        return RewriteFile(fileName,
                           {FilePiece::Old(0, at), FilePiece::Old(at + static_cast<std::int64_t>(BlockSize))},
                           size);
    off_t now = 0;
    posix::Fd fd = openForWriting(fileName, now);
    if (!fd.valid())
        return false;
    Block block{};
    bool ok = now == size &&
              posix::preadExact(fd.get(), block.data(), block.size(), static_cast<std::uint64_t>(at)) &&
              std::memcmp(block.data(), "TAG", 3) == 0 && ::ftruncate(fd.get(), static_cast<off_t>(at)) == 0;
    return fd.close() && ok;
}

bool TID3v1::WriteTag(const std::string& fileName) const {
    // The new block overwrites the old tag in place (also one that other trailers follow) or is
    // appended; an append that fails part way is cut off again, so a failure never leaves the file
    // without its old tag or with half a new one.
    Block block = BuildBlock();
    std::int64_t at = -1, size = 0;
    if (!locateBlock(fileName, at, size))
        return false;
    off_t now = 0;
    posix::Fd fd = openForWriting(fileName, now);
    if (!fd.valid())
        return false;
    bool ok = now == size;
    if (ok) {
        bool replace = at >= 0;
        off_t pos = replace ? static_cast<off_t>(at) : now;
        ok = posix::pwriteFull(fd.get(), block.data(), block.size(), static_cast<std::uint64_t>(pos));
        if (!ok && !replace)
            (void)!::ftruncate(fd.get(), now);
        ok = ok && ::fsync(fd.get()) == 0;
    }
    return fd.close() && ok;
}

} // namespace korvel
