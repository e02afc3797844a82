#pragma once
// The Qt tests' side of FileBytes.h and TempDir.h: paths as QString, bytes as QByteArray, the
// same code underneath (a path goes to the file system as its local 8-bit bytes).

#include "FileBytes.h"
#include "TempDir.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace korvel::test {

inline std::string bytesOf(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

inline QString writeFile(const QString& path, const QByteArray& bytes) {
    writeFile(bytesOf(path), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return path;
}

inline QByteArray readFile(const QString& path) {
    return QByteArray::fromStdString(readFile(bytesOf(path)));
}

// TempDir with QTemporaryDir's calls, for the Qt tests.
class QtTempDir : public TempDir {
public:
    bool isValid() const { return true; }
    QString path() const { return QFile::decodeName(QByteArray::fromStdString(TempDir::path().string())); }
    QString filePath(const QString& name) const { return path() + '/' + name; }
};

} // namespace korvel::test
