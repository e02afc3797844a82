#include "core/catalog/SourceByFormat.h"

namespace korvel::catalog {

Finding SourceByFormat::find(const std::string& path, std::string_view format) const {
    const auto it = sources_.find(format);
    if (it != sources_.end())
        return it->second->find(path, format);
    Finding f;
    f.status = FindStatus::Unsupported;
    f.reason = std::string(format) + " archives are not read by this program";
    return f;
}

std::string SourceByFormat::signature() const {
    std::string s;
    for (const auto& [format, source] : sources_)
        s += "[" + format + ":" + source->signature() + "]";
    return s;
}

} // namespace korvel::catalog
