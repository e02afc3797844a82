// The ID3v2 tag parser and the tag rebuilt from it: any bytes as a file's start. A rebuilt
// version 2.3 tag gives the same fields and keeps every other frame.
#include "core/audio/ID3v2.h"

#include <algorithm>
#include <cstdlib>

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySource source({data, size});
    TID3v2 tag;
    if (tag.LoadTag(source) != (size >= TID3v2::HeaderSize))
        std::abort();
    if (tag.TagSize() > static_cast<std::int64_t>(size))
        std::abort();
    auto built = tag.BuildTag(tag);
    if (!built)
        return 0;
    TID3v2 again;
    again.LoadFromBytes(*built, static_cast<std::int64_t>(built->size()));
    if (again.MajorVersion() != 3 || again.TagSize() != static_cast<std::int64_t>(built->size()))
        std::abort();
    if (tag.MajorVersion() == 3 && tag.TagSize() > 0) {
        if (again.TitleField() != tag.TitleField() || again.ArtistField() != tag.ArtistField() ||
            again.AlbumField() != tag.AlbumField() || again.YearField() != tag.YearField() ||
            again.GenreField() != tag.GenreField() || again.CommentField() != tag.CommentField() ||
            again.TrackNumber() != tag.TrackNumber())
            std::abort();
        std::size_t others = 0, othersAgain = 0;
        for (const auto& f : tag.Frames())
            others +=
                std::find(TID3v2::FrameIds.begin(), TID3v2::FrameIds.end(), f.Id) == TID3v2::FrameIds.end();
        for (const auto& f : again.Frames())
            othersAgain +=
                std::find(TID3v2::FrameIds.begin(), TID3v2::FrameIds.end(), f.Id) == TID3v2::FrameIds.end();
        if (others != othersAgain)
            std::abort();
    }
    return 0;
}
