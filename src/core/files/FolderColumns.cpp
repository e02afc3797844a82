#include "core/files/FolderColumns.h"

#include "core/files/EntryText.h"

namespace korvel::files {

std::vector<Entry> driveEntries(const std::vector<MountedVolume>& volumes) {
    std::vector<Entry> rows;
    rows.reserve(volumes.size());
    for (const MountedVolume& v : volumes) {
        Entry e;
        e.kind = EntryKind::Drive;
        e.typeId = TypeKeys::DriveId;
        e.name = v.displayName;
        e.root = v.root;
        if (e.root.empty() || e.root.back() != '/')
            e.root += '/';
        e.driveType = v.typeText;
        e.size = v.total;
        e.free = v.free;
        rows.push_back(std::move(e));
    }
    return rows;
}

std::string columnText(const Entry& e, int column, bool drives, TypeNames& types) {
    if (drives) {
        switch (column) {
        case 0:
            return e.name;
        case 1:
            return e.driveType;
        case 2:
            return kbText(e.size);
        case 3:
            return kbText(e.free);
        default:
            return {};
        }
    }
    switch (column) {
    case 0:
        return e.name;
    case 1:
        return sizeColumnText(e);
    case 2:
        return std::string(types.name(e.typeId));
    case 3:
        return modifiedText(e.mtime, e.mtimeValid);
    case 4:
        return attributeText(e.attrs);
    default:
        return {};
    }
}

} // namespace korvel::files
