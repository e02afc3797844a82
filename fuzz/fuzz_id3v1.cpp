// The ID3v1 block parser: any bytes as a file's end (also a block followed by an APE tag or an
// appended ID3v2 tag); a tag built from what was read reads back the same.
#include "core/audio/ID3v1.h"

#include <cstdlib>

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySource source({data, size});
    TID3v1 tag;
    bool read = tag.LoadTag(source);
    if (read != (size >= TID3v1::BlockSize))
        std::abort();
    if (!tag.HasTag())
        return 0;
    if (tag.TagOffset() < 0 ||
        tag.TagOffset() + static_cast<std::int64_t>(TID3v1::BlockSize) > static_cast<std::int64_t>(size))
        std::abort();
    auto block = tag.BuildBlock();
    TID3v1 again;
    again.LoadFromBlock(block);
    if (!again.HasTag() || again.TitleField() != tag.TitleField() ||
        again.ArtistField() != tag.ArtistField() || again.AlbumField() != tag.AlbumField() ||
        again.YearField() != tag.YearField() || again.GenreIndex() != tag.GenreIndex() ||
        again.TrackNumber() != tag.TrackNumber())
        std::abort();
    (void)tag.GenreName();
    return 0;
}
