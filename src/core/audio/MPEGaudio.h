#pragma once
// Analysis of the MPEG audio stream of an MP3 file without decoding it: version, layer, bit rate
// (and whether it varies), sample rate, channel mode, duration and a guess at the encoder. At most
// three windows of 3458 bytes are read (behind the ID3v2 tag, if needed the middle of the file,
// and the end of the file), so a file of any size costs the same.

#include "core/audio/ByteSource.h"
#include "core/audio/ID3v1.h"
#include "core/audio/ID3v2.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvel {

struct VbrHeaderInfo {
    bool Located = false;
    std::string Signature; // "Xing", "Info" (constant bit rate) or "VBRI"
    std::int32_t TotalFrames = 0;
    std::int32_t TotalBytes = 0;
    std::uint8_t QualityByte = 0;
    std::string VendorText;  // the eight bytes behind a Xing header's fields, zero bytes included
    char VendorNextByte = 0; // the byte after them: LAME's version text runs to nine ("LAME3.100")
};

struct FrameHeaderInfo {
    bool Located = false;
    std::int32_t StartOffset = 0; // within the window in which the frame was found
    std::uint16_t ByteLength = 0;
    bool ZeroSideInfo = false;
    std::array<std::uint8_t, 4> HeaderBytes{};
    std::uint8_t VersionCode = 0; // 0 MPEG 2.5, 1 reserved, 2 MPEG 2, 3 MPEG 1
    std::uint8_t LayerCode = 0;   // 0 reserved, 1 Layer III, 2 Layer II, 3 Layer I
    bool HasCrc = false;
    std::uint16_t BitRateCode = 0;
    std::uint16_t SampleRateCode = 0;
    bool Padded = false;
    bool PrivateFlag = false;
    std::uint8_t ChannelModeCode = 0; // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono, 4 unknown
    std::uint8_t ModeExtensionCode = 0;
    bool CopyrightFlag = false;
    bool OriginalFlag = false;
    std::uint8_t EmphasisCode = 0;
};

enum class EncoderKind { Unknown, Xing, FhG, LAME, Blade, GoGo, Shine };
extern const std::array<std::string_view, 7> EncoderNames;

class TMPEGaudio {
public:
    static constexpr std::int32_t WindowSize = 3458;
    static constexpr std::int32_t MinWindow = 1729;
    using Window = std::array<std::uint8_t, WindowSize>;

    TMPEGaudio() { Clear(); }

    void Clear();
    // Analyses a file. True when it could be read (whether or not a stream was found); when no
    // frame is found the object is cleared.
    bool Analyse(const std::string& fileName);
    bool Analyse(ByteSource& source);

    // The stream holds a located frame, a bit rate of 8 to 448 kbit/s and lasts at least 0.1 s.
    bool IsUsable() const;
    // A Xing or VBRI header was found; an "Info" header marks a constant bit rate.
    bool IsVbr() const { return vbrInfo_.Located && vbrInfo_.Signature != "Info"; }
    // Where the audio begins: behind the ID3v2 tag and any tag stacked behind it.
    std::int64_t AudioStart() const { return audioStart_; }
    std::string_view VersionText() const;
    std::string_view LayerText() const;
    std::string_view ChannelModeText() const;
    std::uint16_t BitRateKbps() const;
    std::uint16_t SampleRateHz() const;
    double DurationSeconds() const;
    EncoderKind GuessEncoder() const;
    std::string EncoderText() const;

    std::int64_t FileSizeBytes() const { return fileSizeBytes_; }
    const std::string& EndEncoderTag() const { return endEncoderTag_; }
    const VbrHeaderInfo& VbrInfo() const { return vbrInfo_; }
    const FrameHeaderInfo& FirstFrame() const { return firstFrame_; }
    const TID3v1& Id3v1Tag() const { return id3v1Tag_; }
    const TID3v2& Id3v2Tag() const { return id3v2Tag_; }

    // The building blocks, on bytes.
    static bool IsHeaderValid(std::span<const std::uint8_t> b);
    static FrameHeaderInfo DecodeHeader(std::span<const std::uint8_t, 4> b);
    static std::uint16_t TableBitRate(const FrameHeaderInfo& f);
    static std::uint16_t TableSampleRate(const FrameHeaderInfo& f);
    static int SamplesCoefficient(const FrameHeaderInfo& f);
    static int PaddingSize(const FrameHeaderInfo& f);
    static std::uint16_t ComputeFrameLength(const FrameHeaderInfo& f);
    static int VbrHeaderOffset(const FrameHeaderInfo& f);
    // Looks for two consecutive valid headers in a window; fills FirstFrame (and VbrInfo).
    void FindFirstFrame(std::span<const std::uint8_t> window);
    void ReadVbrHeader(std::span<const std::uint8_t> window, std::size_t offset);
    // "LAME" and four characters, or "GOGO", scanning back from the window's last eight bytes.
    // nextByte gets the byte after the eight of a "LAME" text (0 when there is none).
    static std::string ScanEncoderTag(std::span<const std::uint8_t> window, std::uint16_t frameLength,
                                      char& nextByte);

private:
    std::int64_t fileSizeBytes_ = 0;
    std::int64_t audioStart_ = 0;
    std::string endEncoderTag_;
    char endEncoderTagNextByte_ = 0;
    VbrHeaderInfo vbrInfo_;
    FrameHeaderInfo firstFrame_;
    TID3v1 id3v1Tag_;
    TID3v2 id3v2Tag_;
};

} // namespace korvel
