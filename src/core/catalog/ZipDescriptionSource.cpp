#include "core/catalog/ZipDescriptionSource.h"

#include "core/description/DescriptionText.h"
#include "posix_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace korvel::catalog {
namespace {

// The text gathered by the print callback of the request running on this thread.
thread_local PrintCapture* capture = nullptr;

extern "C" int catalogPrint(char* text, unsigned long length) {
    if (text && capture)
        capture->add(text, length);
    return static_cast<int>(length);
}
extern "C" int catalogReplace(char*) {
    return 1;
}
extern "C" int catalogPassword(char*, int, const char*, const char*) {
    return 1; // no password: encrypted members are skipped
}
extern "C" int catalogService(const char*, unsigned long) {
    return 0;
}

int printRequest(UnzipEntryPoint unzip, const std::string& archive, const std::string& member) {
    std::string path = archive, name = member;
    char empty[1] = {0};
    DCL d;
    std::memset(&d, 0, sizeof d);
    d.fQuiet = 2;
    d.fPrivilege = 1;
    d.ncflag = 1;
    d.nUflag = 1;
    d.C_flag = 1;
    d.lpszZipFN = path.data();
    d.lpszExtractDir = empty;
    USERFUNCTIONS f;
    std::memset(&f, 0, sizeof f);
    f.print = catalogPrint;
    f.replace = catalogReplace;
    f.password = catalogPassword;
    f.ServCallBk = catalogService;
    char* names[1] = {name.data()};
    return unzip(1, names, 0, nullptr, &d, &f);
}

// Why a file the engine would not open as an archive is not one: unreadable, or damaged.
Finding notAnArchive(const std::string& path) {
    Finding f;
    const posix::Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        f.status = FindStatus::Unreadable;
        f.reason = std::strerror(errno);
        return f;
    }
    char byte;
    const ssize_t n = posix::readFull(fd.get(), &byte, 1);
    const int err = errno;
    if (n < 0) {
        f.status = FindStatus::Unreadable;
        f.reason = std::strerror(err);
        return f;
    }
    f.status = FindStatus::Damaged;
    f.reason = n == 0 ? "empty file" : "not a ZIP archive, or its directory is damaged";
    return f;
}

} // namespace

ZipDescriptionSource::ZipDescriptionSource(UnzipEntryPoint unzip, LookupRequest lookup)
    : unzip_(unzip), lookup_(std::move(lookup)) {}

Finding ZipDescriptionSource::find(const std::string& path, std::string_view) const {
    LookupRequest req = lookup_;
    req.archivePath = path;
    PrintCapture text(UZ_PRINT_LIMIT);
    PrintCapture* const outer = capture;
    capture = &text;
    int worst = PK_FIND;
    std::string worstMember;
    const LookupResult r = lookUpDescription(req, [&](const std::string& member, std::string& bytes) {
        text.clear();
        const int rc = printRequest(unzip_, path, member);
        bytes = text.text();
        if (rc != PK_OK && rc != PK_FIND && (worst == PK_FIND || rc == PK_NOZIP)) {
            worst = rc;
            worstMember = member;
        }
        return rc;
    });
    capture = outer;

    if (r.found)
        return foundDescription(r);
    Finding f;
    switch (worst) {
    case PK_FIND:
        f.status = FindStatus::NoDescription;
        return f;
    case PK_NOZIP:
        return notAnArchive(path);
    case PK_BADPWD:
        f.status = FindStatus::Encrypted;
        f.reason = worstMember + " is encrypted";
        return f;
    case PK_MEM:
        f.status = FindStatus::Unreadable;
        f.reason = "out of memory";
        return f;
    default:
        f.status = FindStatus::Damaged;
        f.reason = worstMember + " is damaged";
        return f;
    }
}

std::string ZipDescriptionSource::signature() const {
    return "zip-engine;" + lookupSignature(lookup_);
}

std::string lookupSignature(const LookupRequest& lookup) {
    std::string s = "mode=" + std::to_string(static_cast<int>(lookup.mode));
    s += ";custom=" +
         (lookup.customCaption == lookup.allCustomCaption ? std::string("*") : lookup.customCaption);
    for (const auto& n : lookup.customNames)
        s += ";" + std::to_string(n.size()) + ":" + n;
    return s;
}

} // namespace korvel::catalog
