#pragma once
// A path or member name between the windows (QString) and the engine client (the file
// system's bytes). The conversion is lossless both ways (see PathText.h): names that are not
// valid UTF-8 keep their bytes.

#include "platform/PathText.h"

#include <QStringList>

#include <string>
#include <vector>

namespace korvel {

inline std::vector<std::string> pathBytes(const QStringList& paths) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& p : paths)
        out.push_back(pathBytes(p));
    return out;
}

} // namespace korvel
