#include "platform/MpegDllLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <atomic>
#include <chrono>
#include <thread>

namespace korvel {

const char* const MpegDllLibrary::kEntryNames[19] = {
    "init",        "deinit",          "Open",          "Pause",     "Restart",         "Stop",
    "SetPriority", "SetOutputDevice", "Play",          "Close",     "GetFrequency",    "GetBitrate",
    "GetLayer",    "GetPlayerMode",   "GetCurrentPos", "GetLength", "ResetPlayerMode", "Seek",
    "LastError"};

namespace {
const char* const kErrorTexts[6] = {
    "MPEG library not loaded", "Internal decoder error",       "Incorrect mode",
    "Input stream error",      "Input stream is non-seekable", "Output device failure"};
} // namespace

QString MpegDllLibrary::errorText(int32_t code) {
    if (code >= 0 && code < 6)
        return QString::fromLatin1(kErrorTexts[code]);
    return QStringLiteral("MPEG library error %1").arg(code);
}

int32_t MpegDllLibrary::playToEnd(const QString& file, const QString& pcmOut) {
    if (!loaded_)
        return MPEGDLL_OK;
    const QByteArray name = QFile::encodeName(file), out = QFile::encodeName(pcmOut);
    Open(name.constData(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (int32_t e = LastError())
        return e;
    SetOutputDevice(pcmOut.isEmpty() ? MPEGDLL_DEVICE_DEFAULT : MPEGDLL_DEVICE_PCMFILE, out.constData());
    int32_t e = LastError();
    unsigned char end = 0;
    if (!e && Play(0, 0, &end) != 0)
        e = LastError();
    while (!e && !std::atomic_ref<unsigned char>(end).load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        GetCurrentPos(); // notices an output that stopped taking samples
        e = LastError();
    }
    Stop();
    Close();
    return e;
}

MpegDllLibrary::MpegDllLibrary() = default;

MpegDllLibrary::~MpegDllLibrary() = default;

QStringList MpegDllLibrary::candidates(const QString& folder) {
    QStringList files;
    auto add = [&](const QString& dir) {
        QString f = QDir::cleanPath(QDir(dir).absoluteFilePath(QString::fromLatin1(kFileName)));
        if (!files.contains(f))
            files << f;
    };
    if (!folder.isEmpty())
        add(folder);
    if (QCoreApplication::instance())
        add(QCoreApplication::applicationDirPath());
    if (folder.isEmpty())
        files << QString::fromLatin1(kFileName);
    return files;
}

void MpegDllLibrary::clearEntries() {
    init = nullptr;
    deinit = nullptr;
    Open = nullptr;
    Pause = nullptr;
    Restart = nullptr;
    Stop = nullptr;
    SetPriority = nullptr;
    SetOutputDevice = nullptr;
    Play = nullptr;
    Close = nullptr;
    GetFrequency = nullptr;
    GetBitrate = nullptr;
    GetLayer = nullptr;
    GetPlayerMode = nullptr;
    GetCurrentPos = nullptr;
    GetLength = nullptr;
    ResetPlayerMode = nullptr;
    Seek = nullptr;
    LastError = nullptr;
}

void MpegDllLibrary::release() {
    // QLibrary's destructor does not unload, so a player thread of the library keeps its code.
    lib_.reset();
    loaded_ = false;
    clearEntries();
}

MpegDllLibrary::Result MpegDllLibrary::load(const QString& folder) {
    release();
    fileName_.clear();
    missing_.clear();
    for (const QString& file : candidates(folder)) {
        // A path is taken as it is; a plain name goes to the system's library search.
        if (file.contains(QLatin1Char('/')) && !QFileInfo::exists(file))
            continue;
        auto lib = std::make_unique<QLibrary>(file);
        if (lib->load()) {
            lib_ = std::move(lib);
            fileName_ = file;
            break;
        }
    }
    if (!lib_)
        return Result::CannotLoad;

    void* found[19] = {};
    for (int i = 0; i < 19; ++i) {
        found[i] = reinterpret_cast<void*>(lib_->resolve(kEntryNames[i]));
        if (!found[i]) {
            missing_ = QString::fromLatin1(kEntryNames[i]);
            lib_->unload();
            lib_.reset();
            return Result::MissingEntry;
        }
    }
    int i = 0;
    auto bind = [&](auto& fn) { fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(found[i++]); };
    bind(init);
    bind(deinit);
    bind(Open);
    bind(Pause);
    bind(Restart);
    bind(Stop);
    bind(SetPriority);
    bind(SetOutputDevice);
    bind(Play);
    bind(Close);
    bind(GetFrequency);
    bind(GetBitrate);
    bind(GetLayer);
    bind(GetPlayerMode);
    bind(GetCurrentPos);
    bind(GetLength);
    bind(ResetPlayerMode);
    bind(Seek);
    bind(LastError);
    loaded_ = true;
    return Result::Loaded;
}

} // namespace korvel
