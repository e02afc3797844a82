#include "core/description/DescriptionSave.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace korvel {
namespace fs = std::filesystem;
namespace {

bool isStorableMemberName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// A new folder of our own below base, readable by us alone. Folder creation is atomic, so a
// name someone else already holds is never taken over.
std::optional<fs::path> makePrivateFolder(const fs::path& base, std::string* reason, fs::path* tried) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    std::error_code ec;
    for (int attempt = 0; attempt < 64; ++attempt) {
        char name[40];
        std::snprintf(name, sizeof name, "korvel-desc-%016llx", static_cast<unsigned long long>(random()));
        fs::path folder = base / name;
        *tried = folder;
        if (fs::create_directory(folder, ec)) {
            fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
            if (!ec)
                return folder;
            fs::remove(folder, ec);
            break;
        }
        if (ec)
            break;
    }
    if (reason)
        *reason = ec ? ec.message() : "no free folder name";
    return std::nullopt;
}

} // namespace

char embeddingLevel(std::string_view levelBoxText) {
    return levelBoxText.empty() ? '6' : levelBoxText.front();
}

std::unique_ptr<DescriptionTempFile> DescriptionTempFile::create(const std::string& memberName,
                                                                 std::string_view bytes,
                                                                 std::string* failedPath, std::string* reason,
                                                                 const fs::path& base) {
    std::error_code ec;
    fs::path root = base.empty() ? fs::temp_directory_path(ec) : base;
    auto fail = [&](const fs::path& p, const std::string& why) -> std::unique_ptr<DescriptionTempFile> {
        if (failedPath)
            *failedPath = p.string();
        if (reason)
            *reason = why;
        return nullptr;
    };
    if (ec)
        return fail(fs::path(root) / memberName, ec.message());
    if (!isStorableMemberName(memberName))
        return fail(root / memberName, "not a member name that can be stored at the archive's root");

    std::string why;
    fs::path tried = root;
    auto folder = makePrivateFolder(root, &why, &tried);
    if (!folder)
        return fail(tried, why); // the folder that could not be made, not a file never tried
    // From here the folder is ours: the object removes it whatever happens next.
    std::unique_ptr<DescriptionTempFile> file(new DescriptionTempFile(*folder, *folder / memberName));

    std::FILE* f = std::fopen(file->path_.c_str(), "wb");
    if (!f)
        return fail(file->path_, std::strerror(errno));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const int writeErrno = errno;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed)
        return fail(file->path_, std::strerror(written ? errno : writeErrno));
    return file;
}

DescriptionTempFile::~DescriptionTempFile() {
    std::error_code ec;
    fs::remove(path_, ec);
    fs::remove(folder_, ec);
}

} // namespace korvel
