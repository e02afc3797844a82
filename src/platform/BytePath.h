#pragma once
// A path or member name between the windows (QString) and the engine client (the file
// system's bytes): the local 8-bit encoding both ways, as QFile uses it.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace korvel {

inline std::string pathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

inline QString pathText(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

inline std::vector<std::string> pathBytes(const QStringList& paths) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& p : paths)
        out.push_back(pathBytes(p));
    return out;
}

} // namespace korvel
