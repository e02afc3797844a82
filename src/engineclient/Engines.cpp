#include "engineclient/Engines.h"

#include "engineclient/EngineLibrary.h"

#include <stdexcept>

namespace korvel {

namespace {

struct Loaded {
    bool ok = false;
    bool tried = false;
    std::string error;
    std::unique_ptr<SharedLibrary> zipLib, unzipLib;
    ZipEngine zip;
    UnzipEngine unzip;
};

Loaded& loadedEngines() {
    static Loaded l;
    return l;
}

std::mutex& loadLock() {
    static std::mutex m;
    return m;
}

bool bind(Loaded& l, std::unique_ptr<SharedLibrary> z, std::unique_ptr<SharedLibrary> u) {
    ZipEngine ze;
    ze.ZpInit = z->function<decltype(ze.ZpInit)>("ZpInit");
    ze.ZpSetOptions = z->function<decltype(ze.ZpSetOptions)>("ZpSetOptions");
    ze.ZpGetOptions = z->function<decltype(ze.ZpGetOptions)>("ZpGetOptions");
    ze.ZpArchive = z->function<decltype(ze.ZpArchive)>("ZpArchive");
    ze.ZpVersionValue = z->function<decltype(ze.ZpVersionValue)>("ZpVersionValue");
    if (!ze.ZpInit || !ze.ZpSetOptions || !ze.ZpGetOptions || !ze.ZpArchive) {
        l.error = std::string(kZipLibrary) + " lacks the zip entry points.";
        return false;
    }
    UnzipEngine ue;
    ue.Wiz_SingleEntryUnzip = u->function<decltype(ue.Wiz_SingleEntryUnzip)>("Wiz_SingleEntryUnzip");
    if (!ue.Wiz_SingleEntryUnzip) {
        l.error = std::string(kUnzipLibrary) + " lacks Wiz_SingleEntryUnzip.";
        return false;
    }
    l.zip = ze;
    l.unzip = ue;
    l.zipLib = std::move(z);
    l.unzipLib = std::move(u);
    l.ok = true;
    l.error.clear();
    return true;
}

bool loadWith(const std::string& dir, std::string* error) {
    std::lock_guard<std::mutex> g(loadLock());
    Loaded& l = loadedEngines();
    if (!l.ok) {
        l.tried = true;
        auto open = [&](const char* name) {
            std::string why;
            auto lib = dir.empty() ? SharedLibrary::load(name, &why)
                                   : SharedLibrary::loadPath(dir + "/" + name, &why);
            if (!lib)
                l.error = std::string("Cannot find ") + name + " (" + why + ").";
            return lib;
        };
        auto z = open(kZipLibrary);
        std::unique_ptr<SharedLibrary> u;
        if (z)
            u = open(kUnzipLibrary);
        if (z && u)
            bind(l, std::move(z), std::move(u));
    }
    if (!l.ok && error)
        *error = l.error;
    return l.ok;
}

} // namespace

bool Engines::load(std::string* error) {
    return loadWith(std::string(), error);
}
bool Engines::loadFrom(const std::string& dir, std::string* error) {
    return loadWith(dir, error);
}
bool Engines::loaded() {
    return loadedEngines().ok;
}

const ZipEngine& Engines::zip() {
    if (!loaded() && !load())
        throw std::runtime_error(loadedEngines().error);
    return loadedEngines().zip;
}

const UnzipEngine& Engines::unzip() {
    if (!loaded() && !load())
        throw std::runtime_error(loadedEngines().error);
    return loadedEngines().unzip;
}

std::recursive_mutex& engineLock() {
    static std::recursive_mutex m;
    return m;
}

} // namespace korvel
