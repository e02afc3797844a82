#pragma once
// The two archive engines, loaded once per process: libzip32.so and libunzip32.so. Every engine
// call of the program goes through these function tables while holding engineLock(), so one
// engine call runs at a time (the engines keep process-wide state).

#include "zipengines.h"

#include <mutex>
#include <string>

namespace korvel {

inline constexpr const char* kZipLibrary = "libzip32.so";
inline constexpr const char* kUnzipLibrary = "libunzip32.so";

struct ZipEngine {
    int (*ZpInit)(const ZIPUSERFUNCTIONS*) = nullptr;
    int (*ZpSetOptions)(const ZPOPT*) = nullptr;
    ZPOPT (*ZpGetOptions)() = nullptr;
    int (*ZpArchive)(ZCL) = nullptr;
    const char* (*ZpVersionValue)(const char*) = nullptr;
};

struct UnzipEngine {
    int (*Wiz_SingleEntryUnzip)(int, char**, int, char**, DCL*, USERFUNCTIONS*) = nullptr;
};

class Engines {
public:
    // Loads both engines (once; later calls answer from the first). On failure `error` names
    // the library that is missing or incomplete and the engines stay unusable.
    static bool load(std::string* error = nullptr);
    // Loads the engines from this folder instead (tests, tools). Replaces nothing already loaded.
    static bool loadFrom(const std::string& dir, std::string* error = nullptr);
    // Loads the unzip engine alone, for work that only reads archives: a process that lists or
    // prints does not pay for mapping the zip engine.
    static bool loadUnzip(std::string* error = nullptr);
    static bool loaded();

    // The engines, each loaded on first use; they throw std::runtime_error when it cannot be.
    static const ZipEngine& zip();
    static const UnzipEngine& unzip();
};

std::recursive_mutex& engineLock();

} // namespace korvel
