// The ID3v2 tag parser and writer: any bytes as a file's start, and the same bytes behind a tag
// header of version 2.2, 2.3 and 2.4 (the first byte picks it, the second gives the flags), so
// every version's frame walk is reached. A tag that is not damaged is written and parsed again:
// the same version, the same frames, the same fields; an edited title changes only its frame.
#include "core/audio/ID3v2.h"

#include <cstdlib>
#include <vector>

using namespace korvel;

namespace {

void check(std::span<const std::uint8_t> file) {
    MemorySource source(file);
    TID3v2 tag;
    if (tag.LoadTag(source) != (file.size() >= TID3v2::HeaderSize))
        std::abort();
    if (tag.TagSize() > static_cast<std::int64_t>(file.size()))
        std::abort();
    auto built = tag.BuildTag(tag);
    if (tag.TagDamage() != TID3v2::Damage::None) {
        if (built)
            std::abort(); // a damaged tag is never written over
        return;
    }
    if (!built)
        return; // too large for the size field
    TID3v2 again;
    again.LoadFromBytes(*built, static_cast<std::int64_t>(built->size()));
    if (again.TagDamage() != TID3v2::Damage::None || again.MajorVersion() != tag.WriteVersion() ||
        again.TagSize() != static_cast<std::int64_t>(built->size()))
        std::abort();
    if (!tag.HasTag())
        return;
    if (again.Frames().size() != tag.Frames().size())
        std::abort();
    for (std::size_t i = 0; i < tag.Frames().size(); ++i) {
        const auto& a = tag.Frames()[i];
        const auto& b = again.Frames()[i];
        std::uint16_t flags = a.Unsynchronised ? static_cast<std::uint16_t>(a.Flags | 0x0002) : a.Flags;
        if (a.Id != b.Id || a.Data != b.Data || flags != b.Flags)
            std::abort();
    }
    if (again.TitleField() != tag.TitleField() || again.ArtistField() != tag.ArtistField() ||
        again.AlbumField() != tag.AlbumField() || again.YearField() != tag.YearField() ||
        again.GenreField() != tag.GenreField() || again.CommentField() != tag.CommentField() ||
        again.TrackNumber() != tag.TrackNumber())
        std::abort();

    // An edited title: written in its frame, every other frame as it was.
    TID3v2 edited = tag;
    edited.SetTitle("Fuzz \xCE\xA4\xF0\x9F\x8E\xB5");
    auto written = edited.BuildTag(tag);
    if (!written)
        return;
    TID3v2 back;
    back.LoadFromBytes(*written, static_cast<std::int64_t>(written->size()));
    if (back.TitleField() != "Fuzz \xCE\xA4\xF0\x9F\x8E\xB5" || back.ArtistField() != tag.ArtistField() ||
        back.CommentField() != tag.CommentField())
        std::abort();
    std::size_t others = 0, othersBack = 0;
    for (const auto& f : tag.Frames())
        others += f.Id != "TIT2";
    for (const auto& f : back.Frames())
        othersBack += f.Id != "TIT2";
    if (others != othersBack)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check({data, size});
    if (size < 2)
        return 0;
    // The rest of the input behind a header of the chosen version whose size fits it.
    std::vector<std::uint8_t> file = {'I', 'D', '3', static_cast<std::uint8_t>(2 + data[0] % 3), 0, data[1]};
    auto body = static_cast<std::uint32_t>(size - 2);
    for (int shift = 21; shift >= 0; shift -= 7)
        file.push_back(static_cast<std::uint8_t>((body >> shift) & 0x7F));
    file.insert(file.end(), data + 2, data + size);
    check(file);
    return 0;
}
