#pragma once
// Type names and icons of the file lists, decided by the file NAME only (the extension): files
// are never opened to find their type. Each key (folder, drive, extension) is looked up once;
// the names come from core's TypeNames, the icons from the icon theme.

#include "core/files/TypeNames.h"

#include <QIcon>
#include <QString>

#include <string>
#include <vector>

namespace korvel {

class FileTypes {
public:
    static FileTypes& instance();

    files::TypeKeys& keys() { return names_.keys(); }
    files::TypeNames& typeNames() { return names_; }
    const QString& name(std::uint32_t id);
    // The same name as UTF-8 bytes, for sorting by type.
    std::string_view nameUtf8(std::uint32_t id);
    // Needs a QApplication (icons come from the style and the icon theme).
    QIcon icon(std::uint32_t id);

private:
    FileTypes() = default;
    files::TypeNames names_;
    std::vector<QString> texts_;
    std::vector<bool> resolved_;
    std::vector<QIcon> icons_;
    std::vector<bool> iconResolved_;
};

} // namespace korvel
