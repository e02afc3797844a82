#include "engineclient/Engines.h"

#include "engineclient/EngineLibrary.h"

#include <stdexcept>

namespace korvel {

namespace {

struct Loaded {
    std::string error;
    std::unique_ptr<SharedLibrary> zipLib, unzipLib;
    ZipEngine zip;
    UnzipEngine unzip;
    bool zipOk() const { return zipLib != nullptr; }
    bool unzipOk() const { return unzipLib != nullptr; }
};

Loaded& loadedEngines() {
    static Loaded l;
    return l;
}

std::mutex& loadLock() {
    static std::mutex m;
    return m;
}

std::unique_ptr<SharedLibrary> open(Loaded& l, const std::string& dir, const char* name) {
    std::string why;
    auto lib =
        dir.empty() ? SharedLibrary::load(name, &why) : SharedLibrary::loadPath(dir + "/" + name, &why);
    if (!lib)
        l.error = std::string("Cannot find ") + name + " (" + why + ").";
    return lib;
}

bool bindZip(Loaded& l, std::unique_ptr<SharedLibrary> z) {
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
    l.zip = ze;
    l.zipLib = std::move(z);
    return true;
}

bool bindUnzip(Loaded& l, std::unique_ptr<SharedLibrary> u) {
    UnzipEngine ue;
    ue.Wiz_SingleEntryUnzip = u->function<decltype(ue.Wiz_SingleEntryUnzip)>("Wiz_SingleEntryUnzip");
    if (!ue.Wiz_SingleEntryUnzip) {
        l.error = std::string(kUnzipLibrary) + " lacks Wiz_SingleEntryUnzip.";
        return false;
    }
    l.unzip = ue;
    l.unzipLib = std::move(u);
    return true;
}

// Loads what is asked for and not yet loaded: the zip engine first, as the program's check does.
bool loadWith(const std::string& dir, bool wantZip, std::string* error) {
    std::lock_guard<std::mutex> g(loadLock());
    Loaded& l = loadedEngines();
    if (wantZip && !l.zipOk()) {
        if (auto z = open(l, dir, kZipLibrary))
            bindZip(l, std::move(z));
    }
    if ((!wantZip || l.zipOk()) && !l.unzipOk()) {
        if (auto u = open(l, dir, kUnzipLibrary))
            bindUnzip(l, std::move(u));
    }
    const bool ok = l.unzipOk() && (!wantZip || l.zipOk());
    if (ok)
        l.error.clear();
    else if (error)
        *error = l.error;
    return ok;
}

} // namespace

bool Engines::load(std::string* error) {
    return loadWith(std::string(), true, error);
}
bool Engines::loadFrom(const std::string& dir, std::string* error) {
    return loadWith(dir, true, error);
}
bool Engines::loadUnzip(std::string* error) {
    return loadWith(std::string(), false, error);
}
bool Engines::loaded() {
    return loadedEngines().zipOk() && loadedEngines().unzipOk();
}

const ZipEngine& Engines::zip() {
    if (!loadedEngines().zipOk() && !load())
        throw std::runtime_error(loadedEngines().error);
    return loadedEngines().zip;
}

const UnzipEngine& Engines::unzip() {
    if (!loadedEngines().unzipOk() && !loadUnzip())
        throw std::runtime_error(loadedEngines().error);
    return loadedEngines().unzip;
}

std::recursive_mutex& engineLock() {
    static std::recursive_mutex m;
    return m;
}

} // namespace korvel
