#include "core/render/ScreenPicture.h"

#include "core/text/Cp437.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace korvel {
namespace {

void put32(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v >> 24));
    out.push_back(static_cast<char>(v >> 16));
    out.push_back(static_cast<char>(v >> 8));
    out.push_back(static_cast<char>(v));
}

void chunk(std::string& out, const char* type, std::string_view data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.append(type, 4);
    out.append(data);
    uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(out.data() + start), static_cast<uInt>(data.size() + 4));
    put32(out, static_cast<std::uint32_t>(crc));
}

bool extendsIntoNinthColumn(char32_t c) {
    if (c < 0x2500 || c > 0x25FF)
        return false;
    const auto b = cp437::fromUnicode(c);
    return b && *b >= 0xC0 && *b <= 0xDF;
}

} // namespace

const std::array<std::uint32_t, 16>& dosPalette() {
    static const std::array<std::uint32_t, 16> p = {
        0x000000, 0xAA0000, 0x00AA00, 0xAA5500, 0x0000AA, 0xAA00AA, 0x00AAAA, 0xAAAAAA,
        0x555555, 0xFF5555, 0x55FF55, 0xFFFF55, 0x5555FF, 0xFF55FF, 0x55FFFF, 0xFFFFFF,
    };
    return p;
}

IndexedPicture drawScreen(const CellScreen& screen, const PsfFont& font, bool nineColumns) {
    const int fw = font.width();
    const int cw = fw + (nineColumns && fw == 8 ? 1 : 0);
    const int ch = font.height();
    const int rows = std::max(1, screen.height());
    IndexedPicture pic;
    pic.width = screen.width() * cw;
    pic.height = rows * ch;
    pic.pixels.assign(static_cast<std::size_t>(pic.width) * pic.height, 0);
    for (int cy = 0; cy < rows; ++cy)
        for (int cx = 0; cx < screen.width(); ++cx) {
            const Cell& cell = screen.at(cx, cy);
            const char32_t c = cell.ch == 0 ? U' ' : cell.ch;
            const std::uint32_t g = font.glyphFor(c);
            const bool extend = cw > fw && extendsIntoNinthColumn(c);
            for (int y = 0; y < ch; ++y) {
                std::uint8_t* out =
                    &pic.pixels[(static_cast<std::size_t>(cy) * ch + y) * pic.width + cx * cw];
                const std::uint32_t bits = font.row(g, y);
                for (int x = 0; x < fw; ++x)
                    out[x] = (bits & (0x80000000u >> x)) ? cell.fg : cell.bg;
                if (cw > fw)
                    out[fw] = extend && (bits & (0x80000000u >> (fw - 1))) ? cell.fg : cell.bg;
            }
        }
    return pic;
}

std::string encodePng(const IndexedPicture& picture) {
    const std::size_t rowBytes = (static_cast<std::size_t>(picture.width) + 1) / 2;
    std::string raw;
    raw.resize((rowBytes + 1) * picture.height);
    char* p = raw.data();
    for (int y = 0; y < picture.height; ++y) {
        *p++ = 0; // filter: none
        const std::uint8_t* in = &picture.pixels[static_cast<std::size_t>(y) * picture.width];
        for (int x = 0; x + 1 < picture.width; x += 2)
            *p++ = static_cast<char>((in[x] << 4) | (in[x + 1] & 0x0F));
        if (picture.width % 2)
            *p++ = static_cast<char>(in[picture.width - 1] << 4);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
              reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
              Z_DEFAULT_COMPRESSION);
    packed.resize(packedSize);

    std::string out("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    put32(header, static_cast<std::uint32_t>(picture.width));
    put32(header, static_cast<std::uint32_t>(picture.height));
    header += std::string("\x04\x03\x00\x00\x00", 5); // 4 bits, palette, deflate, no filter, no interlace
    chunk(out, "IHDR", header);
    std::string palette;
    for (std::uint32_t c : dosPalette()) {
        palette.push_back(static_cast<char>(c >> 16));
        palette.push_back(static_cast<char>(c >> 8));
        palette.push_back(static_cast<char>(c));
    }
    chunk(out, "PLTE", palette);
    chunk(out, "IDAT", packed);
    chunk(out, "IEND", {});
    return out;
}

} // namespace korvel
