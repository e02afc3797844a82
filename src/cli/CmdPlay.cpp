// korvel-cli play FILE [--pcm OUT]: plays an MP3 file to its end through the decoder library,
// or decodes it into raw PCM (signed 16 bit, native byte order) with --pcm.
#include "cli/Command.h"
#include "engineclient/MpegDllLibrary.h"

#include <cstdio>
#include <filesystem>

namespace {

int play(const korvel::cli::Args& args) {
    std::string file, pcm;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--pcm" && i + 1 < args.size())
            pcm = args[++i];
        else if (file.empty() && args[i].rfind("--", 0) != 0)
            file = args[i];
        else {
            std::fprintf(stderr, "usage: korvel-cli play FILE [--pcm OUT]\n");
            return 2;
        }
    }
    if (file.empty()) {
        std::fprintf(stderr, "usage: korvel-cli play FILE [--pcm OUT]\n");
        return 2;
    }
    std::error_code ec;
    const std::string cwd = std::filesystem::current_path(ec).string();

    korvel::MpegDllLibrary lib;
    switch (lib.load(cwd)) {
    case korvel::MpegDllLibrary::Result::CannotLoad:
        std::fprintf(stderr, "korvel-cli: Can't load MPEG library\n");
        return 1;
    case korvel::MpegDllLibrary::Result::MissingEntry:
        std::fprintf(stderr, "korvel-cli: MPEG library not loaded\n");
        return 1;
    case korvel::MpegDllLibrary::Result::Loaded:
        break;
    }
    if (!lib.init()) {
        std::fprintf(stderr, "korvel-cli: %s\n", korvel::MpegDllLibrary::errorText(lib.LastError()).c_str());
        return 1;
    }
    int32_t e = lib.playToEnd(file, pcm);
    if (e) {
        std::fprintf(stderr, "korvel-cli: %s: %s\n", file.c_str(),
                     korvel::MpegDllLibrary::errorText(e).c_str());
        return 1;
    }
    return 0;
}

} // namespace

KORVEL_CLI_COMMAND("play", "FILE [--pcm OUT]   play an MP3 file, or decode it to raw PCM", play);
