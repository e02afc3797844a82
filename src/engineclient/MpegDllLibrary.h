#pragma once
// Finding and binding the decoder library libmpegdll.so at run time: the folder given first
// (the program's start folder), then the folder of the executable, so that playback works
// whatever folder the program is started from. A library is accepted only with all 19 entry
// points. Paths are the file system's bytes.

#include "mpegdll.h"

#include <memory>
#include <string>
#include <vector>

namespace korvel {

class SharedLibrary;

class MpegDllLibrary {
public:
    static constexpr const char* kFileName = "libmpegdll.so";

    enum class Result { Loaded, CannotLoad, MissingEntry };

    MpegDllLibrary();
    ~MpegDllLibrary(); // a bound library stays loaded: its player thread may still run
    MpegDllLibrary(const MpegDllLibrary&) = delete;
    MpegDllLibrary& operator=(const MpegDllLibrary&) = delete;

    // The files tried for `folder`, in order: the folder, then the executable's folder; with no
    // folder, the executable's folder and then the system's library search.
    static std::vector<std::string> candidates(const std::string& folder);
    // Loads the first candidate that loads and binds its entries. A library missing an entry is
    // unloaded again, and `missing` names the entry.
    Result load(const std::string& folder);
    bool isLoaded() const { return loaded_; }
    // The file that was loaded, and the first entry found missing.
    const std::string& fileName() const { return fileName_; }
    const std::string& missing() const { return missing_; }
    // Forgets a loaded library without unloading it.
    void release();

    static const char* const kEntryNames[19];
    // The message for a library error code ("Output device failure" for 5, ...).
    static std::string errorText(int32_t code);

    // Plays a file to its end: through the pcmfile device into `pcmOut`, or the sound output
    // when it is empty. Answers 0 or the library's error code.
    int32_t playToEnd(const std::string& file, const std::string& pcmOut);

    mpegdll_init_fn init = nullptr;
    mpegdll_deinit_fn deinit = nullptr;
    mpegdll_Open_fn Open = nullptr;
    mpegdll_Pause_fn Pause = nullptr;
    mpegdll_Restart_fn Restart = nullptr;
    mpegdll_Stop_fn Stop = nullptr;
    mpegdll_SetPriority_fn SetPriority = nullptr;
    mpegdll_SetOutputDevice_fn SetOutputDevice = nullptr;
    mpegdll_Play_fn Play = nullptr;
    mpegdll_Close_fn Close = nullptr;
    mpegdll_GetFrequency_fn GetFrequency = nullptr;
    mpegdll_GetBitrate_fn GetBitrate = nullptr;
    mpegdll_GetLayer_fn GetLayer = nullptr;
    mpegdll_GetPlayerMode_fn GetPlayerMode = nullptr;
    mpegdll_GetCurrentPos_fn GetCurrentPos = nullptr;
    mpegdll_GetLength_fn GetLength = nullptr;
    mpegdll_ResetPlayerMode_fn ResetPlayerMode = nullptr;
    mpegdll_Seek_fn Seek = nullptr;
    mpegdll_LastError_fn LastError = nullptr;

private:
    void clearEntries();
    std::unique_ptr<SharedLibrary> lib_;
    bool loaded_ = false;
    std::string fileName_, missing_;
};

} // namespace korvel
