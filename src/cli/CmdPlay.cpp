// korvel-cli play FILE [--pcm OUT]: plays an MP3 file to its end through the decoder library,
// or decodes it into raw PCM (signed 16 bit, native byte order) with --pcm.
#include "cli/Command.h"
#include "platform/MpegDllLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

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
    // The executable's folder is found through the application object.
    int argc = 1;
    char name[] = "korvel-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    korvel::MpegDllLibrary lib;
    switch (lib.load(QDir::currentPath())) {
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
        std::fprintf(stderr, "korvel-cli: %s\n",
                     qPrintable(korvel::MpegDllLibrary::errorText(lib.LastError())));
        return 1;
    }
    int32_t e = lib.playToEnd(QString::fromLocal8Bit(file.c_str()), QString::fromLocal8Bit(pcm.c_str()));
    if (e) {
        std::fprintf(stderr, "korvel-cli: %s: %s\n", file.c_str(),
                     qPrintable(korvel::MpegDllLibrary::errorText(e)));
        return 1;
    }
    return 0;
}

} // namespace

KORVEL_CLI_COMMAND("play", "FILE [--pcm OUT]   play an MP3 file, or decode it to raw PCM", play);
