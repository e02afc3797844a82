#include "core/render/CodePage.h"

#include "core/text/Cp437.h"
#include "core/text/Utf8.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace korvel {
namespace {

using UpperHalf = std::array<char16_t, 128>;

// Bytes 0x80-0xFF of each page, as the C library's iconv maps them. The five bytes Windows-1252
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) are the C1 controls of the same number.
// clang-format off
constexpr UpperHalf kCp850 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};
constexpr UpperHalf kCp852 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x016F, 0x0107, 0x00E7,
    0x0142, 0x00EB, 0x0150, 0x0151, 0x00EE, 0x0179, 0x00C4, 0x0106,
    0x00C9, 0x0139, 0x013A, 0x00F4, 0x00F6, 0x013D, 0x013E, 0x015A,
    0x015B, 0x00D6, 0x00DC, 0x0164, 0x0165, 0x0141, 0x00D7, 0x010D,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0104, 0x0105, 0x017D, 0x017E,
    0x0118, 0x0119, 0x00AC, 0x017A, 0x010C, 0x015F, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x011A,
    0x015E, 0x2563, 0x2551, 0x2557, 0x255D, 0x017B, 0x017C, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x0102, 0x0103,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x0111, 0x0110, 0x010E, 0x00CB, 0x010F, 0x0147, 0x00CD, 0x00CE,
    0x011B, 0x2518, 0x250C, 0x2588, 0x2584, 0x0162, 0x016E, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x0143, 0x0144, 0x0148, 0x0160, 0x0161,
    0x0154, 0x00DA, 0x0155, 0x0170, 0x00FD, 0x00DD, 0x0163, 0x00B4,
    0x00AD, 0x02DD, 0x02DB, 0x02C7, 0x02D8, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x02D9, 0x0171, 0x0158, 0x0159, 0x25A0, 0x00A0,
};
constexpr UpperHalf kCp866 = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};
constexpr UpperHalf kWindows1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};
// clang-format on

constexpr char32_t kStandInBase = 0xF700; // stand-in of byte b (0x80-0xFF): kStandInBase + b
constexpr char32_t kControlPictures = 0x2400;
constexpr char32_t kDeletePicture = 0x2421;

const UpperHalf* upperHalf(CodePage page) {
    switch (page) {
    case CodePage::Cp850:
        return &kCp850;
    case CodePage::Cp852:
        return &kCp852;
    case CodePage::Cp866:
        return &kCp866;
    case CodePage::Windows1252:
        return &kWindows1252;
    default:
        return nullptr;
    }
}

struct ReverseTable {
    std::array<std::pair<char32_t, unsigned char>, 128> entries{};
    explicit ReverseTable(const UpperHalf& t) {
        for (unsigned i = 0; i < 128; ++i)
            entries[i] = {t[i], static_cast<unsigned char>(0x80 + i)};
        std::sort(entries.begin(), entries.end());
    }
    std::optional<unsigned char> find(char32_t c) const {
        auto it = std::lower_bound(entries.begin(), entries.end(), std::pair<char32_t, unsigned char>{c, 0});
        if (it != entries.end() && it->first == c)
            return it->second;
        return std::nullopt;
    }
};

const ReverseTable& reverseOf(CodePage page) {
    static const ReverseTable cp850(kCp850), cp852(kCp852), cp866(kCp866), w1252(kWindows1252);
    switch (page) {
    case CodePage::Cp850:
        return cp850;
    case CodePage::Cp852:
        return cp852;
    case CodePage::Cp866:
        return cp866;
    default:
        return w1252;
    }
}

// Characters the UTF-8 reading uses for bytes of their own (the stand-ins, the control pictures,
// and the line and paragraph separators the editor uses for lone line ends).
bool isUtf8Picture(char32_t c) {
    return c == 0x2028 || c == 0x2029 || (c >= kControlPictures && c <= kDeletePicture) ||
           (c >= kStandInBase + 0x80 && c <= kStandInBase + 0xFF);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch; };
               return lower(x) == lower(y);
           });
}

} // namespace

std::string_view codePageName(CodePage page) {
    switch (page) {
    case CodePage::Cp437:
        return "CP437";
    case CodePage::Cp850:
        return "CP850";
    case CodePage::Cp852:
        return "CP852";
    case CodePage::Cp866:
        return "CP866";
    case CodePage::Windows1252:
        return "Windows-1252";
    case CodePage::Iso8859_1:
        return "ISO-8859-1";
    case CodePage::Utf8:
        return "UTF-8";
    }
    return "CP437";
}

std::optional<CodePage> parseCodePage(std::string_view name) {
    struct Alias {
        std::string_view name;
        CodePage page;
    };
    static constexpr Alias kAliases[] = {
        {"437", CodePage::Cp437},
        {"cp437", CodePage::Cp437},
        {"ibm437", CodePage::Cp437},
        {"850", CodePage::Cp850},
        {"cp850", CodePage::Cp850},
        {"ibm850", CodePage::Cp850},
        {"852", CodePage::Cp852},
        {"cp852", CodePage::Cp852},
        {"ibm852", CodePage::Cp852},
        {"866", CodePage::Cp866},
        {"cp866", CodePage::Cp866},
        {"ibm866", CodePage::Cp866},
        {"1252", CodePage::Windows1252},
        {"cp1252", CodePage::Windows1252},
        {"windows-1252", CodePage::Windows1252},
        {"iso-8859-1", CodePage::Iso8859_1},
        {"iso8859-1", CodePage::Iso8859_1},
        {"latin1", CodePage::Iso8859_1},
        {"latin-1", CodePage::Iso8859_1},
        {"utf-8", CodePage::Utf8},
        {"utf8", CodePage::Utf8},
    };
    for (const auto& a : kAliases)
        if (equalsIgnoringCase(a.name, name))
            return a.page;
    return std::nullopt;
}

bool isDosCodePage(CodePage page) {
    return page == CodePage::Cp437 || page == CodePage::Cp850 || page == CodePage::Cp852 ||
           page == CodePage::Cp866;
}

char32_t pageChar(CodePage page, unsigned char b) {
    if (b < 0x80)
        return b;
    switch (page) {
    case CodePage::Cp437:
        return cp437::toUnicode(b);
    case CodePage::Iso8859_1:
        return b;
    case CodePage::Utf8:
        return kStandInBase + b;
    default:
        return (*upperHalf(page))[b - 0x80];
    }
}

char32_t screenChar(CodePage page, unsigned char b) {
    if (b < 0x20 || b == 0x7F) {
        const char32_t picture = b == 0x7F ? kDeletePicture : kControlPictures + b;
        if (page == CodePage::Utf8)
            return b == 0 || b == '\t' || b == '\n' || b == '\r' ? char32_t(b) : picture;
        const char32_t glyph = cp437::toUnicode(b);
        // The pilcrow and section sign of 0x14 and 0x15 are letters of the upper half of other
        // pages: there the bytes show as their control pictures, so every byte keeps a
        // character of its own.
        if (page != CodePage::Cp437 && glyph >= 0x80 && byteFor(page, glyph).value_or(b) != b)
            return picture;
        return glyph;
    }
    return pageChar(page, b);
}

std::optional<unsigned char> byteFor(CodePage page, char32_t c) {
    if (c < 0x80)
        return static_cast<unsigned char>(c);
    if (page != CodePage::Utf8 &&
        ((c > kControlPictures && c < kControlPictures + 0x20) || c == kDeletePicture))
        return static_cast<unsigned char>(c == kDeletePicture ? 0x7F : c - kControlPictures);
    switch (page) {
    case CodePage::Cp437:
        return cp437::fromUnicode(c);
    case CodePage::Iso8859_1:
        if (c <= 0xFF)
            return static_cast<unsigned char>(c);
        break;
    case CodePage::Utf8:
        if (c >= kStandInBase + 0x80 && c <= kStandInBase + 0xFF)
            return static_cast<unsigned char>(c - kStandInBase);
        if (c >= kControlPictures && c < kControlPictures + 0x20)
            return static_cast<unsigned char>(c - kControlPictures);
        if (c == kDeletePicture)
            return 0x7F;
        return std::nullopt;
    default:
        if (auto b = reverseOf(page).find(c))
            return b;
        break;
    }
    // The DOS glyphs of the lower half, on every single-byte page.
    if (auto b = cp437::fromUnicode(c); b && *b < 0x80)
        return b;
    return std::nullopt;
}

bool looksLikeUtf8(std::string_view bytes) {
    bool multiByte = false;
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const auto [c, len] = utf8::sequenceAt(bytes, i);
        if (len == 0)
            return false;
        multiByte = true;
        i += len;
    }
    return multiByte;
}

CodePage pageForText(std::string_view bytes, CodePage chosen, bool detectUtf8) {
    if (chosen == CodePage::Utf8)
        return chosen;
    return detectUtf8 && looksLikeUtf8(bytes) ? CodePage::Utf8 : chosen;
}

char32_t decodeNext(CodePage page, std::string_view bytes, std::size_t& pos) {
    const auto b = static_cast<unsigned char>(bytes[pos]);
    if (page != CodePage::Utf8 || b < 0x80) {
        ++pos;
        return screenChar(page, b);
    }
    const auto [c, len] = utf8::sequenceAt(bytes, pos);
    if (len == 0 || isUtf8Picture(c)) {
        ++pos;
        return kStandInBase + b;
    }
    pos += len;
    return c;
}

bool encodeChar(CodePage page, char32_t c, std::string& out) {
    if (page == CodePage::Utf8) {
        if (auto b = byteFor(page, c)) {
            out.push_back(static_cast<char>(*b));
            return true;
        }
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        utf8::append(out, c);
        return true;
    }
    if (auto b = byteFor(page, c)) {
        out.push_back(static_cast<char>(*b));
        return true;
    }
    return false;
}

std::string describeChar(char32_t c) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    std::string out = code;
    if (c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0) && c <= 0x10FFFF &&
        !(c >= 0xD800 && c <= 0xDFFF)) {
        out += " '";
        utf8::append(out, c);
        out += "'";
    }
    return out;
}

} // namespace korvel
