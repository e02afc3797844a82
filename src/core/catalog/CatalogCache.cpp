#include "core/catalog/CatalogCache.h"

#include "core/catalog/OutputFile.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace korvel::catalog {
namespace {

constexpr std::string_view kMagic = "KORVEL CATALOGUE CACHE 1\n";

void putNumber(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void putText(std::string& out, std::string_view s) {
    putNumber(out, s.size());
    out += s;
}

class Reader {
public:
    explicit Reader(std::string_view data) : data_(data) {}
    bool number(std::uint64_t& v) {
        if (data_.size() - pos_ < 8)
            return false;
        v = 0;
        for (int i = 0; i < 8; ++i)
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(data_[pos_ + i])) << (8 * i);
        pos_ += 8;
        return true;
    }
    bool text(std::string& s) {
        std::uint64_t n;
        if (!number(n) || n > data_.size() - pos_)
            return false;
        s.assign(data_.substr(pos_, n));
        pos_ += n;
        return true;
    }
    bool atEnd() const { return pos_ == data_.size(); }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

bool kept(FindStatus s) {
    return s != FindStatus::Unreadable && s != FindStatus::Unsupported;
}

} // namespace

CatalogCache CatalogCache::load(const std::string& file, const std::string& signature) {
    CatalogCache cache;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return cache;
    const std::string data((std::istreambuf_iterator<char>(in)), {});
    if (!data.starts_with(kMagic))
        return cache;
    Reader r(std::string_view(data).substr(kMagic.size()));
    std::string sig;
    if (!r.text(sig) || sig != signature)
        return cache;
    std::unordered_map<std::string, Record> records;
    while (!r.atEnd()) {
        std::string path, status;
        Record rec;
        std::uint64_t size, mtime;
        if (!r.text(path) || !r.number(size) || !r.number(mtime) || !r.text(rec.format) || !r.text(status) ||
            !r.text(rec.finding.member) || !r.text(rec.finding.bytes) || !r.text(rec.finding.reason) ||
            !statusFromWord(status, rec.finding.status))
            return cache; // cut short or not ours: start afresh
        rec.size = size;
        rec.mtimeNs = static_cast<std::int64_t>(mtime);
        records[path] = std::move(rec);
    }
    cache.records_ = std::move(records);
    return cache;
}

bool CatalogCache::save(const std::string& file, const std::string& signature,
                        const std::vector<CatalogEntry>& entries, std::string* error) {
    std::string out(kMagic);
    putText(out, signature);
    for (const auto& e : entries) {
        if (!kept(e.finding.status))
            continue;
        putText(out, e.file.path);
        putNumber(out, e.file.size);
        putNumber(out, static_cast<std::uint64_t>(e.file.mtimeNs));
        putText(out, e.file.format);
        putText(out, statusWord(e.finding.status));
        putText(out, e.finding.member);
        putText(out, e.finding.bytes);
        putText(out, e.finding.reason);
    }
    return writeFileWhole(file, out, error);
}

const Finding* CatalogCache::lookup(const ArchiveFile& a) const {
    const auto it = records_.find(a.path);
    if (it == records_.end())
        return nullptr;
    const Record& r = it->second;
    if (r.size != a.size || r.mtimeNs != a.mtimeNs || r.format != a.format)
        return nullptr;
    return &r.finding;
}

} // namespace korvel::catalog
