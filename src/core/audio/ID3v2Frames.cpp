#include "core/audio/ID3v2Frames.h"

#include <algorithm>
#include <array>
#include <utility>

namespace korvel {

namespace {

// Frame flags of version 2.3 (format byte) and 2.4.
constexpr std::uint16_t Compressed23 = 0x0080;
constexpr std::uint16_t Encrypted23 = 0x0040;
constexpr std::uint16_t Grouped23 = 0x0020;
constexpr std::uint16_t Grouped24 = 0x0040;
constexpr std::uint16_t Compressed24 = 0x0008;
constexpr std::uint16_t Encrypted24 = 0x0004;
constexpr std::uint16_t Unsync24 = 0x0002;
constexpr std::uint16_t DataLength24 = 0x0001;

std::uint32_t bigEndian(const std::uint8_t* p, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | p[i];
    return v;
}

std::uint32_t syncsafe(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] & 0x7F) << 21 | static_cast<std::uint32_t>(p[1] & 0x7F) << 14 |
           static_cast<std::uint32_t>(p[2] & 0x7F) << 7 | (p[3] & 0x7F);
}

// Reads frames; `clean` tells whether the walk ended at the body's end or at zero padding.
ID3v2FrameList readFrames(std::uint8_t version, std::span<const std::uint8_t> body, bool plainSizes,
                          bool tagUnsynchronised, bool& clean) {
    ID3v2FrameList list;
    clean = true;
    const std::size_t idSize = version == 2 ? 3 : 4;
    const std::size_t headerSize = version == 2 ? 6 : 10;
    std::size_t pos = 0;
    while (pos + headerSize <= body.size()) {
        const std::uint8_t* h = body.data() + pos;
        std::string id(reinterpret_cast<const char*>(h), idSize);
        if (!IsFrameId(id, version)) {
            clean = h[0] == 0;
            break; // padding
        }
        if (version == 4 && !plainSizes && ((h[4] | h[5] | h[6] | h[7]) & 0x80)) {
            list.Damaged = true; // no syncsafe size
            break;
        }
        std::uint32_t size = version == 2                  ? bigEndian(h + 3, 3)
                             : version == 4 && !plainSizes ? syncsafe(h + 4)
                                                           : bigEndian(h + 4, 4);
        std::size_t dataAt = pos + headerSize;
        if (size > body.size() - dataAt) {
            list.Damaged = true; // the frame runs past the tag
            break;
        }
        ID3v2Frame frame;
        frame.Id = std::move(id);
        if (version != 2)
            frame.Flags = static_cast<std::uint16_t>(h[8] << 8 | h[9]);
        frame.Data.assign(body.begin() + static_cast<std::ptrdiff_t>(dataAt),
                          body.begin() + static_cast<std::ptrdiff_t>(dataAt + size));
        frame.Unsynchronised = version == 4 && tagUnsynchronised;
        list.Frames.push_back(std::move(frame));
        pos = dataAt + size;
    }
    return list;
}

// 2.2 identifiers and their 2.3 forms.
constexpr std::array<std::pair<std::string_view, std::string_view>, 75> Ids22 = {{
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
    {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"},
    {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"},
    {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"},
    {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"},
    {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"},
    {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
    {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"},
    {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"},
    {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"},
    {"WPB", "WPUB"}, {"WXX", "WXXX"}, {"TCP", "TCMP"}, {"TST", "TSOT"}, {"TSP", "TSOP"}, {"TSA", "TSOA"},
    {"TS2", "TSO2"}, {"TSC", "TSOC"}, {"TDR", "TDRL"}, {"TDS", "TDES"}, {"TID", "TGID"}, {"WFD", "WFED"},
    {"GP1", "GRP1"}, {"MVN", "MVNM"}, {"MVI", "MVIN"},
}};

} // namespace

bool IsFrameId(std::string_view id, std::uint8_t version) {
    if (id.size() != (version == 2 ? 3u : 4u))
        return false;
    return std::all_of(id.begin(), id.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

std::vector<std::uint8_t> Resynchronise(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0x00)
            ++i;
    }
    return out;
}

ID3v2FrameList ReadFrames(std::uint8_t version, std::span<const std::uint8_t> body, bool tagUnsynchronised) {
    bool clean = true;
    ID3v2FrameList list = readFrames(version, body, false, tagUnsynchronised, clean);
    if (version == 4 && (list.Damaged || !clean)) {
        bool plainClean = true;
        ID3v2FrameList plain = readFrames(version, body, true, tagUnsynchronised, plainClean);
        if (!plain.Damaged && plainClean)
            return plain;
    }
    return list;
}

std::optional<std::vector<std::uint8_t>> FrameContent(const ID3v2Frame& frame, std::uint8_t version) {
    std::span<const std::uint8_t> d = frame.Data;
    const std::uint16_t f = frame.Flags;
    if (version == 3) {
        if (f & (Compressed23 | Encrypted23))
            return std::nullopt;
        if (f & Grouped23)
            d = d.subspan(std::min<std::size_t>(1, d.size()));
        return std::vector<std::uint8_t>(d.begin(), d.end());
    }
    if (version == 4) {
        if (f & (Compressed24 | Encrypted24))
            return std::nullopt;
        if (f & Grouped24)
            d = d.subspan(std::min<std::size_t>(1, d.size()));
        if (f & DataLength24)
            d = d.subspan(std::min<std::size_t>(4, d.size()));
        if ((f & Unsync24) || frame.Unsynchronised)
            return Resynchronise(d);
    }
    return std::vector<std::uint8_t>(d.begin(), d.end());
}

bool AppendFrame(std::vector<std::uint8_t>& out, const ID3v2Frame& frame, std::uint8_t version) {
    const std::size_t size = frame.Data.size();
    if (size > 0x0FFFFFFF || frame.Id.size() != 4)
        return false;
    out.insert(out.end(), frame.Id.begin(), frame.Id.end());
    auto n = static_cast<std::uint32_t>(size);
    if (version == 4) {
        for (int shift = 21; shift >= 0; shift -= 7)
            out.push_back(static_cast<std::uint8_t>((n >> shift) & 0x7F));
    } else {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<std::uint8_t>(n >> shift));
    }
    std::uint16_t flags = frame.Flags;
    if (version == 4 && frame.Unsynchronised)
        flags |= Unsync24; // the tag header said so for every frame; now the frame says it itself
    out.push_back(static_cast<std::uint8_t>(flags >> 8));
    out.push_back(static_cast<std::uint8_t>(flags));
    out.insert(out.end(), frame.Data.begin(), frame.Data.end());
    return true;
}

ID3v2Frame ConvertFrame22(const ID3v2Frame& frame) {
    ID3v2Frame out;
    auto it = std::find_if(Ids22.begin(), Ids22.end(), [&](const auto& p) { return p.first == frame.Id; });
    out.Id = it != Ids22.end() ? std::string(it->second) : "X" + frame.Id;
    out.Data = frame.Data;
    if (frame.Id == "PIC" && frame.Data.size() >= 4) {
        // encoding, three-letter format, picture type...  ->  encoding, MIME type, 0, picture type...
        std::string format(reinterpret_cast<const char*>(frame.Data.data() + 1), 3);
        std::string lower;
        for (char c : format)
            lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        std::string mime = lower == "jpg" ? "image/jpeg" : lower == "-->" ? "-->" : "image/" + lower;
        out.Data.assign(1, frame.Data[0]);
        out.Data.insert(out.Data.end(), mime.begin(), mime.end());
        out.Data.push_back(0);
        out.Data.insert(out.Data.end(), frame.Data.begin() + 4, frame.Data.end());
    }
    return out;
}

} // namespace korvel
