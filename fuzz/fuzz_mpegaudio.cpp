// The MPEG stream analyser: any bytes as a whole file; every text the audio page shows.
#include "core/audio/StreamInfo.h"

#include <cstdlib>

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySource source({data, size});
    TMPEGaudio audio;
    if (!audio.Analyse(source))
        std::abort(); // memory never fails to read
    auto texts = MakeStreamInfoTexts(audio);
    (void)audio.IsUsable();
    (void)audio.GuessEncoder();
    if (!audio.FirstFrame().Located && (audio.BitRateKbps() != 0 || texts.MPEGType != "MPEG ? Layer ?"))
        std::abort();
    return 0;
}
