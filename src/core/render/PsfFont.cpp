#include "core/render/PsfFont.h"

#include "core/render/CodePage.h"
#include "core/render/Gzip.h"
#include "core/text/Cp437.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace korvel {
namespace {

constexpr std::size_t kMaxFontFile = 4u << 20;

std::uint32_t le(std::string_view b, std::size_t at, int size) {
    std::uint32_t v = 0;
    for (int i = size; i-- > 0;)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

bool fail(std::string* error, const char* text) {
    if (error)
        *error = text;
    return false;
}

} // namespace

std::optional<PsfFont> PsfFont::parse(std::string_view bytes, std::string* error) {
    std::string inflated;
    if (isGzip(bytes)) {
        auto raw = gunzip(bytes, kMaxFontFile);
        if (!raw) {
            fail(error, "damaged gzip data");
            return std::nullopt;
        }
        inflated = std::move(*raw);
        bytes = inflated;
    }
    PsfFont f;
    std::size_t glyphsAt, glyphBytes;
    bool unicode;
    bool psf2 = false;
    if (bytes.size() >= 4 && static_cast<unsigned char>(bytes[0]) == 0x36 &&
        static_cast<unsigned char>(bytes[1]) == 0x04) {
        const auto mode = static_cast<unsigned char>(bytes[2]);
        f.width_ = 8;
        f.height_ = static_cast<unsigned char>(bytes[3]);
        f.glyphCount_ = (mode & 0x01) ? 512 : 256;
        unicode = (mode & 0x06) != 0;
        glyphsAt = 4;
        glyphBytes = static_cast<std::size_t>(f.height_);
    } else if (bytes.size() >= 32 && le(bytes, 0, 4) == 0x864AB572u) {
        psf2 = true;
        const std::uint32_t header = le(bytes, 8, 4);
        unicode = (le(bytes, 12, 4) & 1) != 0;
        f.glyphCount_ = le(bytes, 16, 4);
        glyphBytes = le(bytes, 20, 4);
        f.height_ = static_cast<int>(le(bytes, 24, 4));
        f.width_ = static_cast<int>(le(bytes, 28, 4));
        glyphsAt = header;
        if (header < 32 || header > bytes.size() || f.glyphCount_ > 65536) {
            fail(error, "damaged PSF2 header");
            return std::nullopt;
        }
    } else {
        fail(error, "not a PSF font");
        return std::nullopt;
    }
    const std::size_t rowBytes = (static_cast<std::size_t>(f.width_) + 7) / 8;
    if (f.width_ < 1 || f.width_ > 32 || f.height_ < 1 || f.height_ > 32 || f.glyphCount_ == 0 ||
        glyphBytes < rowBytes * f.height_ || glyphsAt + f.glyphCount_ * glyphBytes > bytes.size()) {
        fail(error, "unsupported or truncated font");
        return std::nullopt;
    }
    f.rows_.resize(f.glyphCount_ * f.height_);
    for (std::size_t g = 0; g < f.glyphCount_; ++g)
        for (int y = 0; y < f.height_; ++y) {
            std::uint32_t bits = 0;
            const std::size_t at = glyphsAt + g * glyphBytes + y * rowBytes;
            for (std::size_t k = 0; k < rowBytes; ++k)
                bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + k])) << (24 - 8 * k);
            f.rows_[g * f.height_ + y] = bits;
        }

    if (unicode) {
        std::size_t p = glyphsAt + f.glyphCount_ * glyphBytes;
        for (std::uint32_t g = 0; g < f.glyphCount_ && p < bytes.size(); ++g) {
            bool inSequence = false; // characters after a sequence start only combine; skip them
            if (psf2) {
                while (p < bytes.size()) {
                    const auto b = static_cast<unsigned char>(bytes[p]);
                    if (b == 0xFF) {
                        ++p;
                        break;
                    }
                    if (b == 0xFE) {
                        inSequence = true;
                        ++p;
                        continue;
                    }
                    std::size_t q = p;
                    const char32_t c = decodeNext(CodePage::Utf8, bytes, q);
                    p = q;
                    if (!inSequence)
                        f.map_.try_emplace(c, g);
                }
            } else {
                while (p + 1 < bytes.size()) {
                    const std::uint32_t v = le(bytes, p, 2);
                    p += 2;
                    if (v == 0xFFFF)
                        break;
                    if (v == 0xFFFE) {
                        inSequence = true;
                        continue;
                    }
                    if (!inSequence)
                        f.map_.try_emplace(static_cast<char32_t>(v), g);
                }
            }
        }
    }
    if (auto q = f.find(0xFFFD))
        f.fallback_ = *q;
    else if (auto q2 = f.find(U'?'))
        f.fallback_ = *q2;
    return f;
}

std::optional<PsfFont> PsfFont::load(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fail(error, "cannot open the font file");
        return std::nullopt;
    }
    std::string bytes;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        bytes.append(buf, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxFontFile) {
            fail(error, "font file too large");
            return std::nullopt;
        }
    }
    return parse(bytes, error);
}

std::string PsfFont::findDefault() {
    static const char* const kFolders[] = {"/usr/share/consolefonts", "/usr/share/kbd/consolefonts"};
    // Fonts that hold the whole DOS glyph set in 8x16, the VGA look first.
    static const char* const kNames[] = {"default8x16.psfu.gz", "Uni2-VGA16.psf.gz",  "Uni1-VGA16.psf.gz",
                                         "Uni3-Fixed16.psf.gz", "Lat15-VGA16.psf.gz", "cp437-8x16.psfu.gz"};
    std::error_code ec;
    for (const char* name : kNames)
        for (const char* folder : kFolders) {
            const auto p = std::filesystem::path(folder) / name;
            if (std::filesystem::is_regular_file(p, ec))
                return p.string();
        }
    return {};
}

std::optional<std::uint32_t> PsfFont::find(char32_t c) const {
    if (!map_.empty()) {
        auto it = map_.find(c);
        if (it != map_.end())
            return it->second;
        return std::nullopt;
    }
    // No Unicode table: the font is in DOS order.
    if (auto b = cp437::fromUnicode(c); b && *b < glyphCount_)
        return *b;
    return std::nullopt;
}

bool PsfFont::covers(char32_t c) const {
    return find(c).has_value();
}

std::uint32_t PsfFont::glyphFor(char32_t c) const {
    if (auto g = find(c))
        return *g;
    return fallback_;
}

} // namespace korvel
