// libzip32.so: the zip engine. Keeps the options and callbacks it was given for the life of the
// process; ZpArchive (zip_archive.cpp) applies them.
#include "zip32_internal.h"

#include <cstring>
#include <mutex>

namespace korvel::engine {

namespace {

std::mutex stateLock;
ZPOPT currentOptions = [] {
    ZPOPT o{};
    o.fGrow = 1;
    o.fLevel = '6';
    return o;
}();
ZIPUSERFUNCTIONS currentCallbacks{};

} // namespace

ZPOPT options() {
    std::lock_guard<std::mutex> g(stateLock);
    return currentOptions;
}

ZIPUSERFUNCTIONS callbacks() {
    std::lock_guard<std::mutex> g(stateLock);
    return currentCallbacks;
}

} // namespace korvel::engine

using namespace korvel::engine;

extern "C" ZE_API int ZpInit(const ZIPUSERFUNCTIONS* lpZipUserFunc) {
    if (!lpZipUserFunc)
        return 0;
    std::lock_guard<std::mutex> g(stateLock);
    currentCallbacks = *lpZipUserFunc;
    return 1;
}

extern "C" ZE_API int ZpSetOptions(const ZPOPT* lpOpts) {
    if (!lpOpts || lpOpts->fLevel < '0' || lpOpts->fLevel > '9')
        return 0;
    std::lock_guard<std::mutex> g(stateLock);
    currentOptions = *lpOpts;
    return 1;
}

extern "C" ZE_API ZPOPT ZpGetOptions(void) {
    return options();
}

extern "C" ZE_API const char* ZpVersionValue(const char* name) {
    // The engine implements version 2.3 of the Info-ZIP library call interface.
    if (!name)
        return nullptr;
    if (std::strcmp(name, "CompanyName") == 0)
        return "Info-ZIP";
    if (std::strcmp(name, "FileVersion") == 0)
        return "2.3";
    return nullptr;
}
