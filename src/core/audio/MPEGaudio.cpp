#include "core/audio/MPEGaudio.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace korvel {

const std::array<std::string_view, 7> EncoderNames = {"Unknown", "Xing", "FhG",  "LAME",
                                                      "Blade",   "GoGo", "Shine"};

namespace {

constexpr std::array<std::string_view, 4> VersionNames = {"MPEG 2.5", "MPEG ?", "MPEG 2", "MPEG 1"};
constexpr std::array<std::string_view, 4> LayerNames = {"Layer ?", "Layer III", "Layer II", "Layer I"};
constexpr std::array<std::string_view, 5> ChannelModeNames = {"Stereo", "Joint Stereo", "Dual Channel",
                                                              "Mono", "Unknown"};

// Bit rates in kbit/s for codes 0 to 15 (0 and 15 give 0).
using RateRow = std::array<std::uint16_t, 16>;
constexpr RateRow Mpeg1Layer1 = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0};
constexpr RateRow Mpeg1Layer2 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
constexpr RateRow Mpeg1Layer3 = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr RateRow Mpeg2Layer1 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0};
constexpr RateRow Mpeg2Layer23 = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::int32_t bigEndian32(std::span<const std::uint8_t> w, std::size_t at) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(w[at]) << 24 |
                                     static_cast<std::uint32_t>(w[at + 1]) << 16 |
                                     static_cast<std::uint32_t>(w[at + 2]) << 8 | w[at + 3]);
}

bool bytesAre(std::span<const std::uint8_t> w, std::size_t at, std::string_view text) {
    return at + text.size() <= w.size() && std::memcmp(w.data() + at, text.data(), text.size()) == 0;
}

} // namespace

void TMPEGaudio::Clear() {
    fileSizeBytes_ = 0;
    audioStart_ = 0;
    endEncoderTag_.clear();
    endEncoderTagNextByte_ = 0;
    vbrInfo_ = VbrHeaderInfo{};
    firstFrame_ = FrameHeaderInfo{};
    firstFrame_.VersionCode = 1;
    firstFrame_.SampleRateCode = 3;
    firstFrame_.ChannelModeCode = 4;
    firstFrame_.ModeExtensionCode = 4;
    firstFrame_.EmphasisCode = 2;
    id3v1Tag_.Clear();
    id3v2Tag_.Clear();
}

bool TMPEGaudio::IsHeaderValid(std::span<const std::uint8_t> b) {
    if (b.size() < 4)
        return false;
    return b[0] == 0xFF && (b[1] & 0xE0) == 0xE0    // 11-bit sync
           && ((b[1] >> 3) & 3) != 1                // reserved version
           && ((b[1] >> 1) & 3) != 0                // reserved layer
           && (b[2] >> 4) != 15 && (b[2] >> 4) != 0 // bad and free-format bit rates
           && ((b[2] >> 2) & 3) != 3                // reserved sample rate
           && (b[3] & 3) != 2;                      // reserved emphasis
}

FrameHeaderInfo TMPEGaudio::DecodeHeader(std::span<const std::uint8_t, 4> b) {
    FrameHeaderInfo f;
    std::copy(b.begin(), b.end(), f.HeaderBytes.begin());
    f.VersionCode = (b[1] >> 3) & 3;
    f.LayerCode = (b[1] >> 1) & 3;
    f.HasCrc = (b[1] & 1) == 0;
    f.BitRateCode = b[2] >> 4;
    f.SampleRateCode = (b[2] >> 2) & 3;
    f.Padded = (b[2] & 2) != 0;
    f.PrivateFlag = (b[2] & 1) != 0;
    f.ChannelModeCode = b[3] >> 6;
    f.ModeExtensionCode = (b[3] >> 4) & 3;
    f.CopyrightFlag = (b[3] & 8) != 0;
    f.OriginalFlag = (b[3] & 4) != 0;
    f.EmphasisCode = b[3] & 3;
    return f;
}

std::uint16_t TMPEGaudio::TableBitRate(const FrameHeaderInfo& f) {
    if (f.BitRateCode > 15)
        return 0;
    const RateRow* row = nullptr;
    if (f.VersionCode == 3)
        row = f.LayerCode == 3   ? &Mpeg1Layer1
              : f.LayerCode == 2 ? &Mpeg1Layer2
              : f.LayerCode == 1 ? &Mpeg1Layer3
                                 : nullptr;
    else if (f.VersionCode == 2 || f.VersionCode == 0)
        row = f.LayerCode == 3 ? &Mpeg2Layer1 : f.LayerCode != 0 ? &Mpeg2Layer23 : nullptr;
    return row ? (*row)[f.BitRateCode] : 0;
}

std::uint16_t TMPEGaudio::TableSampleRate(const FrameHeaderInfo& f) {
    static constexpr std::uint16_t rates[4][3] = {
        {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    if (f.VersionCode > 3 || f.SampleRateCode > 2)
        return 0;
    return rates[f.VersionCode][f.SampleRateCode];
}

int TMPEGaudio::SamplesCoefficient(const FrameHeaderInfo& f) {
    // Layer I frames hold 384 samples, Layer II 1152 in every version, Layer III 1152 in MPEG 1
    // and 576 in MPEG 2 and 2.5. Eight times the coefficient is the number of samples.
    if (f.LayerCode == 3)
        return f.VersionCode == 3 ? 48 : 24;
    if (f.LayerCode == 2)
        return 144;
    return f.VersionCode == 3 ? 144 : 72;
}

int TMPEGaudio::PaddingSize(const FrameHeaderInfo& f) {
    if (!f.Padded)
        return 0;
    return f.LayerCode == 3 ? 4 : 1;
}

std::uint16_t TMPEGaudio::ComputeFrameLength(const FrameHeaderInfo& f) {
    std::uint32_t rate = TableSampleRate(f);
    if (rate == 0)
        return 0;
    std::uint32_t length = static_cast<std::uint32_t>(SamplesCoefficient(f)) * TableBitRate(f) * 1000 / rate;
    if (f.LayerCode == 3) // Layer I frames are whole slots of four bytes
        length = length / 4 * 4;
    return static_cast<std::uint16_t>(length + static_cast<std::uint32_t>(PaddingSize(f)));
}

int TMPEGaudio::VbrHeaderOffset(const FrameHeaderInfo& f) {
    bool mono = f.ChannelModeCode == 3;
    if (f.VersionCode == 3)
        return mono ? 21 : 36;
    return mono ? 13 : 21;
}

void TMPEGaudio::ReadVbrHeader(std::span<const std::uint8_t> w, std::size_t o) {
    // "Info" is the same header in a constant-bit-rate stream (LAME writes it there).
    if ((bytesAre(w, o, "Xing") || bytesAre(w, o, "Info")) && o + 128 <= w.size()) {
        vbrInfo_ = VbrHeaderInfo{};
        vbrInfo_.Located = true;
        vbrInfo_.Signature.assign(reinterpret_cast<const char*>(w.data() + o), 4);
        vbrInfo_.TotalFrames = bigEndian32(w, o + 8);
        vbrInfo_.TotalBytes = bigEndian32(w, o + 12);
        vbrInfo_.QualityByte = w[o + 119];
        vbrInfo_.VendorText.assign(reinterpret_cast<const char*>(w.data() + o + 120), 8);
        vbrInfo_.VendorNextByte = o + 128 < w.size() ? static_cast<char>(w[o + 128]) : 0;
    }
    if (bytesAre(w, o, "VBRI") && o + 18 <= w.size()) {
        vbrInfo_ = VbrHeaderInfo{};
        vbrInfo_.Located = true;
        vbrInfo_.Signature = "VBRI";
        vbrInfo_.QualityByte = w[o + 9];
        vbrInfo_.TotalBytes = bigEndian32(w, o + 10);
        vbrInfo_.TotalFrames = bigEndian32(w, o + 14);
    }
}

void TMPEGaudio::FindFirstFrame(std::span<const std::uint8_t> w) {
    firstFrame_ = FrameHeaderInfo{};
    if (w.size() < static_cast<std::size_t>(MinWindow))
        return;
    for (std::size_t p = 0; p + MinWindow <= w.size(); ++p) {
        if (!IsHeaderValid(w.subspan(p)))
            continue;
        firstFrame_ = DecodeHeader(w.subspan(p).first<4>());
        std::uint16_t length = ComputeFrameLength(firstFrame_);
        if (length == 0 || !IsHeaderValid(w.subspan(std::min(w.size(), p + length))))
            continue;
        firstFrame_.Located = true;
        firstFrame_.StartOffset = static_cast<std::int32_t>(p);
        firstFrame_.ByteLength = length;
        firstFrame_.ZeroSideInfo =
            p + 10 <= w.size() && std::all_of(w.begin() + static_cast<std::ptrdiff_t>(p + 4),
                                              w.begin() + static_cast<std::ptrdiff_t>(p + 10),
                                              [](std::uint8_t b) { return b == 0; });
        ReadVbrHeader(w, p + static_cast<std::size_t>(VbrHeaderOffset(firstFrame_)));
        return;
    }
}

std::string TMPEGaudio::ScanEncoderTag(std::span<const std::uint8_t> w, std::uint16_t frameLength,
                                       char& nextByte) {
    nextByte = 0;
    if (w.size() < 8)
        return {};
    std::size_t last = w.size() - 8;
    for (std::size_t i = 0; i <= 2u * frameLength && i <= last; ++i) {
        std::size_t at = last - i;
        if (bytesAre(w, at, "LAME")) {
            if (at + 8 < w.size())
                nextByte = static_cast<char>(w[at + 8]);
            return std::string(reinterpret_cast<const char*>(w.data() + at), 8);
        }
        if (bytesAre(w, at, "GOGO"))
            return "GOGO";
    }
    return {};
}

bool TMPEGaudio::Analyse(ByteSource& source) {
    Clear();
    fileSizeBytes_ = source.Size();
    // The analyser's own tags only tell where the audio lies; a file too short for a tag has none.
    if (!id3v1Tag_.LoadTag(source))
        id3v1Tag_.Clear();
    if (!id3v2Tag_.LoadHeader(source))
        id3v2Tag_.Clear();

    Window w{};
    // Reads count bytes at pos into the window, the rest of the window zero; alignEnd puts them
    // at the window's end instead of its start. Returns the count read or -1.
    auto readWindow = [&](std::int64_t pos, std::int64_t count, bool alignEnd) -> std::int64_t {
        w.fill(0);
        count = std::clamp<std::int64_t>(count, 0, WindowSize);
        std::size_t at = alignEnd ? static_cast<std::size_t>(WindowSize - count) : 0;
        return source.ReadAt(pos, std::span<std::uint8_t>(w).subspan(at, static_cast<std::size_t>(count)));
    };

    bool ok = true;
    // The audio begins behind the ID3v2 tag, and behind any further tags stacked after it.
    audioStart_ = id3v2Tag_.TagSize();
    for (int stacked = 0; stacked < 8 && audioStart_ > 0; ++stacked) {
        std::array<std::uint8_t, TID3v2::HeaderSize> h{};
        if (source.ReadAt(audioStart_, h) != static_cast<std::int64_t>(h.size()) ||
            std::memcmp(h.data(), "ID3", 3) != 0)
            break;
        std::int64_t more = TID3v2::TotalTagSize(h, fileSizeBytes_ - audioStart_);
        if (more == 0)
            break;
        audioStart_ += more;
    }
    std::int64_t n = readWindow(audioStart_, WindowSize, false);
    if (n < 0)
        ok = false;
    else
        FindFirstFrame(w);
    if (ok && !firstFrame_.Located && n == WindowSize) {
        // The middle of the audio, counted from where the audio begins.
        n = readWindow(audioStart_ + (fileSizeBytes_ - audioStart_) / 2, WindowSize, false);
        if (n < 0)
            ok = false;
        else
            FindFirstFrame(w);
    }
    if (ok && firstFrame_.Located && !vbrInfo_.Located) {
        std::int64_t end = id3v1Tag_.HasTag() ? id3v1Tag_.TagOffset() : fileSizeBytes_;
        std::int64_t pos = std::max<std::int64_t>(0, end - WindowSize);
        n = readWindow(pos, end - pos, true);
        if (n < 0)
            ok = false;
        else
            endEncoderTag_ = ScanEncoderTag(w, firstFrame_.ByteLength, endEncoderTagNextByte_);
    }
    if (!firstFrame_.Located)
        Clear();
    return ok;
}

bool TMPEGaudio::Analyse(const std::string& fileName) {
    FileSource source;
    if (!source.Open(fileName)) {
        Clear();
        return false;
    }
    return Analyse(source);
}

bool TMPEGaudio::IsUsable() const {
    auto rate = BitRateKbps();
    return firstFrame_.Located && rate >= 8 && rate <= 448 && DurationSeconds() >= 0.1;
}

std::string_view TMPEGaudio::VersionText() const {
    return VersionNames[firstFrame_.VersionCode & 3];
}
std::string_view TMPEGaudio::LayerText() const {
    return LayerNames[firstFrame_.LayerCode & 3];
}
std::string_view TMPEGaudio::ChannelModeText() const {
    return ChannelModeNames[std::min<std::size_t>(firstFrame_.ChannelModeCode, 4)];
}

std::uint16_t TMPEGaudio::BitRateKbps() const {
    if (vbrInfo_.Located && vbrInfo_.TotalFrames > 0) {
        // LAME counts the "Info" frame itself in the bytes of a constant-bit-rate stream, not in
        // its frames.
        double bytes = static_cast<double>(vbrInfo_.TotalBytes);
        if (vbrInfo_.Signature == "Info" && bytes > firstFrame_.ByteLength)
            bytes -= firstFrame_.ByteLength;
        double rate = (bytes / vbrInfo_.TotalFrames - PaddingSize(firstFrame_)) * SampleRateHz() /
                      SamplesCoefficient(firstFrame_) / 1000.0;
        rate = std::nearbyint(rate); // ties to the even neighbour
        return static_cast<std::uint16_t>(std::clamp(rate, 0.0, 65535.0));
    }
    return TableBitRate(firstFrame_);
}

std::uint16_t TMPEGaudio::SampleRateHz() const {
    return TableSampleRate(firstFrame_);
}

double TMPEGaudio::DurationSeconds() const {
    if (!firstFrame_.Located)
        return 0;
    if (vbrInfo_.Located && vbrInfo_.TotalFrames > 0) {
        auto rate = SampleRateHz();
        return rate ? static_cast<double>(SamplesCoefficient(firstFrame_)) * vbrInfo_.TotalFrames * 8 / rate
                    : 0;
    }
    auto kbps = TableBitRate(firstFrame_);
    if (kbps == 0)
        return 0;
    double audioBytes = static_cast<double>(fileSizeBytes_ - audioStart_ - firstFrame_.StartOffset);
    return std::max(0.0, audioBytes * 8 / kbps / 1000);
}

EncoderKind TMPEGaudio::GuessEncoder() const {
    if (!firstFrame_.Located)
        return EncoderKind::Unknown;
    const auto& f = firstFrame_;
    if (vbrInfo_.Located) {
        std::string_view vendor = vbrInfo_.VendorText;
        if (startsWith(vendor, "LAME"))
            return EncoderKind::LAME;
        if (startsWith(vendor, "GOGO") || startsWith(vendor, "MPGE"))
            return EncoderKind::GoGo;
        if (vbrInfo_.Signature == "Xing" || vbrInfo_.Signature == "Info")
            return EncoderKind::Xing;
        if (vbrInfo_.Signature == "VBRI")
            return EncoderKind::FhG;
        return EncoderKind::Unknown;
    }
    EncoderKind kind = EncoderKind::FhG;
    if (f.OriginalFlag && f.HasCrc)
        kind = EncoderKind::LAME;
    if (TableBitRate(f) <= 160 && f.ChannelModeCode == 0)
        kind = EncoderKind::Blade;
    if (f.CopyrightFlag && f.OriginalFlag && !f.HasCrc)
        kind = EncoderKind::Xing;
    if (f.ZeroSideInfo && f.OriginalFlag)
        kind = EncoderKind::Xing;
    if (f.ChannelModeCode == 2 && f.HasCrc)
        kind = EncoderKind::Shine;
    if (startsWith(endEncoderTag_, "LAME"))
        kind = EncoderKind::LAME;
    if (startsWith(endEncoderTag_, "GOGO"))
        kind = EncoderKind::GoGo;
    return kind;
}

std::string TMPEGaudio::EncoderText() const {
    EncoderKind kind = GuessEncoder();
    std::string text(EncoderNames[static_cast<std::size_t>(kind)]);
    const bool fromEnd = !endEncoderTag_.empty();
    const std::string& t = fromEnd ? endEncoderTag_ : vbrInfo_.VendorText;
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (kind == EncoderKind::LAME && t.size() >= 8 && digit(t[4]) && t[5] == '.' && digit(t[6]) &&
        digit(t[7])) {
        text += " " + t.substr(4, 4);
        // LAME 3.100 and later have a three-digit minor number: the eight bytes cut it to "3.10".
        const char next = fromEnd ? endEncoderTagNextByte_ : vbrInfo_.VendorNextByte;
        if (digit(next))
            text += next;
    }
    return text;
}

} // namespace korvel
