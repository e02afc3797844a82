#pragma once
// The seven texts the audio page shows about an MP3 file's stream ("CBR 128 kbit/s",
// "44100 hz", "MPEG 1 Layer III", "215.3 sec.", ...), shared by the page and korvel-cli.

#include "core/audio/MPEGaudio.h"

#include <array>
#include <string>
#include <string_view>

namespace korvel {

struct StreamInfoTexts {
    std::string FileSize;   // "4012345 bytes"
    std::string BitRate;    // "CBR 128 kbit/s", "VBR 190 kbit/s"
    std::string SampleRate; // "44100 hz"
    std::string MPEGType;   // "MPEG 1 Layer III"
    std::string Duration;   // "215.3 sec.", ".5 sec."
    std::string Mode;       // "Joint Stereo"
    std::string Encoder;    // "LAME 3.100"

    // In the order of the captions.
    std::array<std::string, 7> InOrder() const {
        return {FileSize, BitRate, SampleRate, MPEGType, Duration, Mode, Encoder};
    }
};

// The captions of the seven rows, in the page's order.
inline constexpr std::array<std::string_view, 7> StreamInfoCaptions = {
    "FileSize", "BitRate", "Sample rate", "MPEG Type", "Duration", "Mode", "Encoder"};

// The texts for an analysed stream (meant for one that IsUsable).
StreamInfoTexts MakeStreamInfoTexts(const TMPEGaudio& audio);

// Seconds with exactly one decimal and no leading zero below one second, then " sec.":
// 215.27 gives "215.3 sec.", 0.5 gives ".5 sec.".
std::string FormatDuration(double seconds);

} // namespace korvel
