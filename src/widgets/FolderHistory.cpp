#include "widgets/FolderHistory.h"

#include "platform/Volumes.h"
#include "widgets/MFileExplorer.h"

#include <QComboBox>
#include <QLineEdit>

namespace korvel {

QComboBox* FolderHistory::makeBox(QWidget* parent, const QString& name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(MaxEntries);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(4);
    return box;
}

void FolderHistory::onUserChange(QComboBox* box, std::function<void(const QString&)> onChange) {
    QObject::connect(box, &QComboBox::textActivated, box, [onChange](const QString& t) { onChange(t); });
    QObject::connect(box->lineEdit(), &QLineEdit::textEdited, box,
                     [onChange](const QString& t) { onChange(t); });
}

void FolderHistory::fillDrives(QComboBox* driveBox, const QStringList& roots) {
    const QString text = driveBox->currentText();
    driveBox->clear();
    driveBox->addItems(roots);
    driveBox->setEditText(text);
}

void FolderHistory::update(QComboBox* dirBox, QComboBox* driveBox, const TMFileExplorer* list) {
    const QString dir = list->Directory();
    if (dirBox->currentText() != dir) {
        dirBox->addItem(dir);
        while (dirBox->count() > MaxEntries)
            dirBox->removeItem(0);
    }
    if (dirBox->currentText() != dir)
        dirBox->setEditText(dir);
    const QString drive = Volumes::drivePart(dir);
    if (driveBox->currentText() != drive)
        driveBox->setEditText(drive);
}

} // namespace korvel
