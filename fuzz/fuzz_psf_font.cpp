// The console font reader over any bytes (plain and gzip-compressed PSF1 and PSF2): a font it
// takes must answer every glyph lookup inside its own glyphs.
#include "core/render/PsfFont.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto font = PsfFont::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!font)
        return 0;
    for (char32_t c : {U' ', U'A', U'\u2588', U'\uFFFD', U'\U0001F600'}) {
        const std::uint32_t g = font->glyphFor(c);
        if (g >= font->glyphCount())
            std::abort();
        for (int y = 0; y < font->height(); ++y)
            (void)font->row(g, y);
    }
    return 0;
}
