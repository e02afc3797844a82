// korvel-cli mp3 FILE: the stream information of the audio page, then both tags.
#include "cli/Command.h"
#include "cli/TagPrint.h"
#include "core/audio/ID3v1.h"
#include "core/audio/ID3v2.h"
#include "core/audio/MPEGaudio.h"
#include "core/audio/StreamInfo.h"

#include <cstdio>

namespace korvel::cli {
namespace {

int runMp3(const Args& args) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::fprintf(stderr, "usage: korvel-cli mp3 FILE\n");
        return 2;
    }
    const std::string& file = args[0];
    TMPEGaudio audio;
    if (!audio.Analyse(file)) {
        std::fprintf(stderr, "korvel-cli: cannot read %s\n", file.c_str());
        return 1;
    }
    StreamInfoTexts texts;
    if (audio.IsUsable())
        texts = MakeStreamInfoTexts(audio);
    else
        std::fprintf(stderr, "korvel-cli: %s: no usable MPEG audio stream\n", file.c_str());
    auto values = texts.InOrder();
    for (std::size_t i = 0; i < values.size(); ++i)
        std::printf("%.*s: %s\n", static_cast<int>(StreamInfoCaptions[i].size()),
                    StreamInfoCaptions[i].data(), values[i].c_str());

    TID3v1 v1;
    TID3v2 v2;
    v1.LoadTag(file);
    v2.LoadTag(file);
    PrintTags(v1, v2);
    return 0;
}

KORVEL_CLI_COMMAND("mp3", "FILE  (stream information and tags of an MP3 file)", runMp3);

} // namespace
} // namespace korvel::cli
