#include "platform/EngineLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>
#include <link.h>

namespace korvel {

SharedLibrary::~SharedLibrary() {
    // Engines stay mapped until the process ends: their callbacks and static state may still be
    // referenced, and unloading gains nothing.
}

QString SharedLibrary::executableDir() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}

std::unique_ptr<SharedLibrary> SharedLibrary::loadPath(const QString& path, QString* error) {
    void* h = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        if (error)
            *error = QString::fromLocal8Bit(::dlerror());
        return nullptr;
    }
    QString real = path;
    link_map* lm = nullptr;
    if (::dlinfo(h, RTLD_DI_LINKMAP, &lm) == 0 && lm && lm->l_name && *lm->l_name)
        real = QFile::decodeName(lm->l_name);
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(h, real));
}

std::unique_ptr<SharedLibrary> SharedLibrary::load(const QString& fileName, QString* error) {
    const QString beside = QDir(executableDir()).filePath(fileName);
    if (QFileInfo::exists(beside))
        return loadPath(beside, error);
    return loadPath(fileName, error); // no "/": the system search path
}

QString SharedLibrary::find(const QString& fileName) {
    const QString beside = QDir(executableDir()).filePath(fileName);
    if (QFileInfo::exists(beside))
        return beside;
    if (auto lib = loadPath(fileName))
        return lib->path();
    return {};
}

void* SharedLibrary::symbol(const char* name) const {
    return ::dlsym(handle_, name);
}

} // namespace korvel
