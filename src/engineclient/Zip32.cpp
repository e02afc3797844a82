#include "engineclient/Zip32.h"

#include "engineclient/EngineLibrary.h"
#include "engineclient/Engines.h"
#include "engineclient/NameVector.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

namespace korvel {

std::string zipDllNotFoundMessage(const std::string& library) {
    return "Cannot find " + library +
           ".\nThe Dll must be in the application directory, the path,\nthe Windows "
           "directory or the Windows System directory.";
}

std::string zipDllWrongVersionMessage(const std::string& library) {
    return library + " has the wrong version number.\nInsure that you have the correct dll's installed, and "
                     "that \nan older dll is not in your path or Windows System directory.";
}

bool Check_ZipDllVersion(const std::string& libraryPath) {
    const std::string name = kZipLibrary;
    struct stat st;
    if (libraryPath.empty() || ::stat(libraryPath.c_str(), &st) != 0)
        throw ZipDllError(zipDllNotFoundMessage(name));
    auto lib = SharedLibrary::loadPath(libraryPath);
    if (!lib)
        throw ZipDllError(zipDllWrongVersionMessage(name));
    auto query = lib->function<const char* (*)(const char*)>("ZpVersionValue");
    const char* company = query ? query("CompanyName") : nullptr;
    const char* version = query ? query("FileVersion") : nullptr;
    if (!company || !version || std::strcmp(company, "Info-ZIP") != 0 || std::strcmp(version, "2.3") != 0)
        throw ZipDllError(zipDllWrongVersionMessage(name));
    return true;
}

bool Check_ZipDllVersion() {
    return Check_ZipDllVersion(SharedLibrary::find(kZipLibrary));
}

bool Check_UnzipDll(const std::string& libraryPath) {
    const std::string name = kUnzipLibrary;
    struct stat st;
    if (libraryPath.empty() || ::stat(libraryPath.c_str(), &st) != 0)
        throw ZipDllError(zipDllNotFoundMessage(name));
    auto lib = SharedLibrary::loadPath(libraryPath);
    if (!lib || !lib->symbol("Wiz_SingleEntryUnzip"))
        throw ZipDllError(zipDllWrongVersionMessage(name));
    return true;
}

bool Check_UnzipDll() {
    return Check_UnzipDll(SharedLibrary::find(kUnzipLibrary));
}

extern "C" int ZipPrint(char*, unsigned long length) {
    return static_cast<int>(length);
}
extern "C" char* ZipComment(char* text) {
    return text;
}
extern "C" int ZipPassword(char*, int, const char*, const char*) {
    return 1;
}
extern "C" int ZipService(const char*, unsigned long) {
    return 0;
}

int Init_ZipUserFunctions(ZIPUSERFUNCTIONS& f) {
    f.print = ZipPrint;
    f.comment = ZipComment;
    f.password = ZipPassword;
    f.ServiceApplication = ZipService;
    std::lock_guard<std::recursive_mutex> g(engineLock());
    return Engines::zip().ZpInit(&f);
}

ZPOPT defaultZipOptions() {
    ZPOPT o{};
    o.fGrow = -1;
    o.fRecurse = 1;
    o.fLevel = '6';
    return o;
}

ZPOPT embeddingZipOptions(char level) {
    ZPOPT o{};
    o.fExtra = -1;
    o.fJunkDir = -1;
    o.fGrow = -1;
    o.fRecurse = 0;
    o.fLevel = level;
    return o;
}

char zipLevelFromText(const std::string& text) {
    return text.empty() ? '6' : text[0];
}

int ZpSetOptions(const ZPOPT& options) {
    std::lock_guard<std::recursive_mutex> g(engineLock());
    return Engines::zip().ZpSetOptions(&options);
}

ZPOPT ZpGetOptions() {
    std::lock_guard<std::recursive_mutex> g(engineLock());
    return Engines::zip().ZpGetOptions();
}

int ZpArchive(const std::string& archive, const std::vector<std::string>& names) {
    std::string path = archive;
    NameVector v(names);
    ZCL c;
    c.argc = v.count();
    c.lpszZipFN = path.data();
    c.FNV = v.data();
    std::lock_guard<std::recursive_mutex> g(engineLock());
    return Engines::zip().ZpArchive(c);
}

} // namespace korvel
