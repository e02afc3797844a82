#include "archive/PackerPage.h"

#include "archive/ZipWait.h"
#include "engineclient/ArchiveEngine.h"
#include "platform/BytePath.h"
#include "platform/Prompts.h"
#include "widgets/FolderHistory.h"
#include "widgets/MFileExplorer.h"

#include <QComboBox>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <stdexcept>

#include <filesystem>

namespace korvel {
namespace {

// At most this many file names are spelled out in a message.
constexpr int MaxNamesShown = 12;

bool isBlank(const QString& s) {
    for (QChar c : s)
        if (c.unicode() > 32)
            return false;
    return true;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, bool step) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    if (step) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 128));
        l->setPalette(p);
    }
    return l;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint = {}) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

QString nameList(const QStringList& names) {
    QString text;
    for (int i = 0; i < names.size() && i < MaxNamesShown; ++i)
        text += QLatin1Char('\n') + names.at(i);
    if (names.size() > MaxNamesShown)
        text += QStringLiteral("\n... and %1 more").arg(names.size() - MaxNamesShown);
    return text;
}

std::optional<QString> runSaveDialog(QWidget* parent, const QString& start) {
    QFileDialog dlg(parent, QStringLiteral("Save As"), start, QStringLiteral("Compressed files (*.zip)"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(QStringLiteral("zip"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return dlg.selectedFiles().constFirst();
}

} // namespace

QString TPackerPage::defaultArchivePath() {
    return QDir::home().filePath(QStringLiteral("zipped.zip"));
}

QString TPackerPage::withZipExtension(const QString& fileName) {
    const QString leaf = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    if (leaf.lastIndexOf(QLatin1Char('.')) > 0)
        return fileName;
    return fileName + QStringLiteral(".zip");
}

TPackerPage::TPackerPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PackPage"));
    PageLayout = new QVBoxLayout(this);
    PageLayout->setContentsMargins(4, 4, 4, 4);
    PageLayout->setSpacing(4);

    auto* top = new QHBoxLayout;
    Lstep1 = makeLabel(this, "Lstep1", QStringLiteral("step 1:"), true);
    Ldrag = makeLabel(this, "Ldrag", QStringLiteral("Drag from here files to be zipped..."), false);
    Ldrop = makeLabel(this, "Ldrop", QStringLiteral("... and drop here"), false);
    top->addWidget(Lstep1);
    top->addWidget(Ldrag);
    top->addStretch(1);
    top->addWidget(Ldrop);
    top->addStretch(1);
    PageLayout->addLayout(top);

    Splitter2 = new QSplitter(Qt::Horizontal, this);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setChildrenCollapsible(false);
    PageLayout->addWidget(Splitter2, 1);

    PanelLFM = new QFrame(Splitter2);
    PanelLFM->setObjectName(QStringLiteral("PanelLFM"));
    auto* g = new QGridLayout(PanelLFM);
    g->setContentsMargins(0, 0, 0, 0);
    g->setSpacing(2);
    SBLFM = new QToolButton(PanelLFM);
    SBLFM->setObjectName(QStringLiteral("SBLFM"));
    SBLFM->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    SBLFM->setToolTip(QStringLiteral("Up one folder"));
    SBLFM->setFocusPolicy(Qt::NoFocus);
    CB_DriveC = FolderHistory::makeBox(PanelLFM, QStringLiteral("CB_DriveC"));
    CBDirC = FolderHistory::makeBox(PanelLFM, QStringLiteral("CBDirC"));
    LFileMgr = new TMFileExplorer(PanelLFM, QStringLiteral("LFileMgr"));
    LFileMgr->setViewStyle(TMFileExplorer::vsSmallIcon);
    LFileMgr->setDragMode(TMFileExplorer::dmAutomatic);
    g->addWidget(SBLFM, 0, 0);
    g->addWidget(CB_DriveC, 0, 1);
    g->addWidget(CBDirC, 0, 2);
    g->addWidget(LFileMgr, 1, 0, 1, 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(2, 3);
    Splitter2->addWidget(PanelLFM);

    ListaZip = new QListWidget(Splitter2);
    ListaZip->setObjectName(QStringLiteral("ListaZip"));
    ListaZip->setSelectionMode(QAbstractItemView::SingleSelection);
    ListaZip->setUniformItemSizes(true);
    ListaZip->viewport()->setAcceptDrops(true);
    ListaZip->setDragDropMode(QAbstractItemView::NoDragDrop);
    ListaZip->viewport()->installEventFilter(this);
    ListaZip->installEventFilter(this);
    Splitter2->addWidget(ListaZip);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 1);

    auto* bottom = new QHBoxLayout;
    Lstep2 = makeLabel(this, "Lstep2", QStringLiteral("step 2:"), true);
    edtZipFileName = new QLineEdit(defaultArchivePath(), this);
    edtZipFileName->setObjectName(QStringLiteral("edtZipFileName"));
    btnSaveTo = makeButton(this, "btnSaveTo", QStringLiteral("Choose zip file name..."),
                           QStringLiteral("Name of the archive file"));
    B_ZipOpt =
        makeButton(this, "B_ZipOpt", QStringLiteral("Options..."), QStringLiteral("ZIP engine options"));
    Lstep3 = makeLabel(this, "Lstep3", QStringLiteral("step 3:"), true);
    B_ZipThem = makeButton(this, "B_ZipThem", QStringLiteral("Zip!"));
    QFont bold = B_ZipThem->font();
    bold.setBold(true);
    B_ZipThem->setFont(bold);
    bottom->addWidget(Lstep2);
    bottom->addWidget(edtZipFileName, 1);
    bottom->addWidget(btnSaveTo);
    bottom->addWidget(B_ZipOpt);
    bottom->addSpacing(12);
    bottom->addWidget(Lstep3);
    bottom->addWidget(B_ZipThem);
    PageLayout->addLayout(bottom);

    connect(SBLFM, &QToolButton::clicked, this, &TPackerPage::SBLFMClick);
    FolderHistory::onUserChange(CB_DriveC, [this](const QString&) { CB_DriveCChange(); });
    FolderHistory::onUserChange(CBDirC, [this](const QString&) { CBDirCChange(); });
    connect(LFileMgr, &TMFileExplorer::OnClick, this, &TPackerPage::LFileMgrClick);
    connect(btnSaveTo, &QPushButton::clicked, this, &TPackerPage::btnSaveToClick);
    connect(B_ZipOpt, &QPushButton::clicked, this, &TPackerPage::B_ZipOptClick);
    connect(B_ZipThem, &QPushButton::clicked, this, &TPackerPage::B_ZipThemClick);
}

void TPackerPage::SBLFMClick() {
    LFileMgr->UpOneLevel();
}
void TPackerPage::CB_DriveCChange() {
    LFileMgr->setDirectory(CB_DriveC->currentText());
}
void TPackerPage::CBDirCChange() {
    LFileMgr->setDirectory(CBDirC->currentText());
}
void TPackerPage::LFileMgrClick() {
    FolderHistory::update(CBDirC, CB_DriveC, LFileMgr);
}

// --- the packer list ------------------------------------------------------------------------

bool TPackerPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListaZip->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* d = static_cast<QDragMoveEvent*>(event);
            if (ListaZipDragOver(TMFileExplorer::dragSource(d->mimeData())))
                d->acceptProposedAction();
            else
                d->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* d = static_cast<QDropEvent*>(event);
            TMFileExplorer* source = TMFileExplorer::dragSource(d->mimeData());
            if (!ListaZipDragOver(source)) {
                d->ignore();
                return true;
            }
            ListaZipDragDrop(source);
            d->acceptProposedAction();
            return true;
        }
        default:
            break;
        }
    } else if (watched == ListaZip && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Delete) {
            ListaZipKeyDown(k->key());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TPackerPage::ListaZipDragOver(const TMFileExplorer* source) const {
    return source != nullptr;
}

void TPackerPage::ListaZipDragDrop(const TMFileExplorer* source) {
    if (!source)
        return;
    // The file last clicked in LFileMgr; before any click there is nothing to add.
    const QString path = LFileMgr->SelectedPath();
    if (isBlank(path))
        return;
    ListaZip->addItem(path);
}

void TPackerPage::ListaZipKeyDown(int key) {
    if (key != Qt::Key_Delete)
        return;
    const int row = ListaZip->currentRow();
    if (row < 0 || !ListaZip->item(row)->isSelected())
        return;
    delete ListaZip->takeItem(row);
}

QStringList TPackerPage::listedFiles() const {
    QStringList names;
    names.reserve(ListaZip->count());
    for (int i = 0; i < ListaZip->count(); ++i)
        names << ListaZip->item(i)->text();
    return names;
}

// --- steps 2 and 3 ----------------------------------------------------------------------------

void TPackerPage::btnSaveToClick() {
    const QString start = edtZipFileName->text();
    const std::optional<QString> picked = SaveDialog ? SaveDialog(start) : runSaveDialog(this, start);
    if (!picked || picked->isEmpty())
        return;
    edtZipFileName->setText(withZipExtension(*picked));
}

void TPackerPage::B_ZipOptClick() {
    if (ShowZipOptions)
        ShowZipOptions();
}

void TPackerPage::B_ZipThemClick() {
    if (ListaZip->count() > 0)
        Zip_Files(edtZipFileName->text(), listedFiles());
}

void TPackerPage::Zip_Files(const QString& archive, const QStringList& names) {
    if (isBlank(archive) || names.isEmpty())
        return;
    int result = ZE_OK;
    QString failure;
    const std::string path = pathBytes(archive);
    const std::vector<std::string> files = pathBytes(names);
    try {
        // No options are set here: the engine applies those it holds.
        result = runWithBusyWindow([&]() -> int { return ArchiveEngine::add(path, files); }, WaitWindow);
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    if (failure.isEmpty() && result == ZE_OK)
        return;

    QStringList vanished;
    for (const QString& n : names) {
        std::error_code ec;
        if (!std::filesystem::exists(std::filesystem::symlink_status(pathBytes(n), ec)) &&
            !vanished.contains(n))
            vanished << n;
    }
    QString text;
    if (!failure.isEmpty()) {
        text = QStringLiteral("Nothing was zipped: %1").arg(failure);
    } else if (result == ZE_TEMP || result == ZE_FORM || result == ZE_MEM || result == ZE_READ ||
               result == ZE_PARMS || result == ZE_ABORT) {
        text = QStringLiteral("The archive %1 was not written: %2.")
                   .arg(archive, QString::fromStdString(ArchiveEngine::zipResultText(result)));
    } else if (!vanished.isEmpty()) {
        text = QStringLiteral("These listed files no longer exist and were not added to %1:").arg(archive) +
               nameList(vanished);
    } else {
        text = QStringLiteral("Not every listed file could be added to %1: %2.")
                   .arg(archive, QString::fromStdString(ArchiveEngine::zipResultText(result)));
    }
    Prompts::current().showError(this, QStringLiteral("Zip packer"), text);
}

} // namespace korvel
