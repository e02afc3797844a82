#include "core/audio/StreamInfo.h"

#include <algorithm>
#include <cmath>

namespace korvel {

std::string FormatDuration(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    seconds = std::min(seconds, 1e12);
    auto tenths = static_cast<long long>(std::llround(seconds * 10)); // halves away from zero
    long long whole = tenths / 10;
    std::string text = whole ? std::to_string(whole) : std::string();
    return text + "." + std::to_string(tenths % 10) + " sec.";
}

StreamInfoTexts MakeStreamInfoTexts(const TMPEGaudio& audio) {
    StreamInfoTexts t;
    t.FileSize = std::to_string(audio.FileSizeBytes()) + " bytes";
    t.BitRate = (audio.IsVbr() ? "VBR " : "CBR ") + std::to_string(audio.BitRateKbps()) + " kbit/s";
    t.SampleRate = std::to_string(audio.SampleRateHz()) + " hz";
    t.MPEGType = std::string(audio.VersionText()) + " " + std::string(audio.LayerText());
    t.Duration = FormatDuration(audio.DurationSeconds());
    t.Mode = std::string(audio.ChannelModeText());
    t.Encoder = audio.EncoderText();
    return t;
}

} // namespace korvel
