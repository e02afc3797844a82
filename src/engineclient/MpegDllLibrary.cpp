#include "engineclient/MpegDllLibrary.h"

#include "engineclient/EngineLibrary.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
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

std::string MpegDllLibrary::errorText(int32_t code) {
    if (code >= 0 && code < 6)
        return kErrorTexts[code];
    return "MPEG library error " + std::to_string(code);
}

int32_t MpegDllLibrary::playToEnd(const std::string& file, const std::string& pcmOut) {
    if (!loaded_)
        return MPEGDLL_OK;
    Open(file.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (int32_t e = LastError())
        return e;
    SetOutputDevice(pcmOut.empty() ? MPEGDLL_DEVICE_DEFAULT : MPEGDLL_DEVICE_PCMFILE, pcmOut.c_str());
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

std::vector<std::string> MpegDllLibrary::candidates(const std::string& folder) {
    std::vector<std::string> files;
    auto add = [&](const std::string& dir) {
        std::error_code ec;
        std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(dir) / kFileName, ec);
        std::string f = p.lexically_normal().string();
        if (std::find(files.begin(), files.end(), f) == files.end())
            files.push_back(f);
    };
    if (!folder.empty())
        add(folder);
    add(SharedLibrary::executableDir());
    if (folder.empty())
        files.push_back(kFileName);
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
    // SharedLibrary's destructor does not unload, so a player thread of the library keeps its code.
    lib_.reset();
    loaded_ = false;
    clearEntries();
}

MpegDllLibrary::Result MpegDllLibrary::load(const std::string& folder) {
    release();
    fileName_.clear();
    missing_.clear();
    for (const std::string& file : candidates(folder)) {
        // A path is taken as it is; a plain name goes to the system's library search.
        struct stat st;
        if (file.find('/') != std::string::npos && ::stat(file.c_str(), &st) != 0)
            continue;
        if (auto lib = SharedLibrary::loadPath(file)) {
            lib_ = std::move(lib);
            fileName_ = file;
            break;
        }
    }
    if (!lib_)
        return Result::CannotLoad;

    void* found[19] = {};
    for (int i = 0; i < 19; ++i) {
        found[i] = lib_->symbol(kEntryNames[i]);
        if (!found[i]) {
            missing_ = kEntryNames[i];
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
