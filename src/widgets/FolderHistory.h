#pragma once
// The folder box and drive box beside a file list: the folder box keeps a history of the folders
// shown (at most 30, oldest dropped first, repeats kept), the drive box lists the volume roots.
// Only the user's own changes of a box move the list; the program's setting of their texts does not.

#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QWidget;

namespace korvel {

class TMFileExplorer;

class FolderHistory {
public:
    static constexpr int MaxEntries = 30;

    // An editable box that never adds what the user types to its list.
    static QComboBox* makeBox(QWidget* parent, const QString& name);
    // Calls onChange when the user picks an item or types into the box.
    static void onUserChange(QComboBox* box, std::function<void(const QString& text)> onChange);
    static void fillDrives(QComboBox* driveBox, const QStringList& roots);
    // The history update: a folder box text that differs from the list's Directory appends the
    // Directory; then the boxes show the Directory and its drive part.
    static void update(QComboBox* dirBox, QComboBox* driveBox, const TMFileExplorer* list);
};

} // namespace korvel
