#include "archive/ZipUnzip.h"

#include "archive/ZipWait.h"
#include "engineclient/ArchiveEngine.h"
#include "platform/BytePath.h"
#include "platform/Prompts.h"
#include "platform/WindowPlacement.h"
#include "widgets/DizPage.h"
#include "widgets/MFileExplorer.h"
#include "widgets/MainWindowState.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <stdexcept>

namespace korvel {
namespace {

constexpr int DialogHeight = 360;
constexpr int RowHeight = 16;
// Character columns of the listing line: size (7), two blanks, "mm-dd-yy hh:mm", two blanks, name.
constexpr int DateColumn = 9;
constexpr int NameColumn = 25;
// At most this many problem lines are spelled out after an extraction.
constexpr int MaxProblemLines = 12;

QString trimmedPath(const QString& s) {
    int b = 0, e = static_cast<int>(s.size());
    while (b < e && s[b].unicode() <= 32)
        ++b;
    while (e > b && s[e - 1].unicode() <= 32)
        --e;
    return s.mid(b, e - b);
}

QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& text, bool blue) {
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(QString::fromLatin1(name));
    if (blue) {
        QPalette p = c->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 255));
        c->setPalette(p);
    }
    return c;
}

QString withoutTrailingSlash(QString path) {
    path = QDir::cleanPath(path);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// The engine's notes about members it could not extract.
QStringList problemLines(const std::string& printed) {
    QStringList lines;
    for (const QByteArray& raw : QByteArray::fromStdString(printed).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1String("error:")) || line.startsWith(QLatin1String("warning:")) ||
            line.startsWith(QLatin1String("skipping:")))
            lines << line;
    }
    return lines;
}

} // namespace

QFont TFrmUnzip::listFont() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(13);
    return f;
}

QString TFrmUnzip::literalPattern(const QString& memberName) {
    QString p;
    p.reserve(memberName.size());
    for (QChar c : memberName) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('['))
            p += QLatin1Char('[') + c + QLatin1Char(']');
        else
            p += c;
    }
    return p;
}

TFrmUnzip::TFrmUnzip(MainWindowState* main, QWidget* parent)
    : QDialog(parent ? parent : static_cast<QWidget*>(main)), main_(main) {
    setObjectName(QStringLiteral("FrmUnzip"));
    setWindowTitle(QStringLiteral("Decompressing"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    if (main_) {
        main_->FrmUnzip = this;
        SelectedArchives = [this] { return main_->DIZPage->LFile->SelectedFilenames(); };
    }

    // --- the left part: the list, the destination, the scope and the buttons ---
    auto* left = new QWidget(this);
    left->setObjectName(QStringLiteral("LeftPart"));
    left->setGeometry(0, 0, NarrowWidth, DialogHeight);
    auto* lv = new QVBoxLayout(left);
    lv->setContentsMargins(8, 8, 8, 8);
    lv->setSpacing(6);

    auto* headings = new QWidget(left);
    headings->setObjectName(QStringLiteral("Headings"));
    Label2 = new QLabel(QStringLiteral("Size (bytes)"), headings);
    Label3 = new QLabel(QStringLiteral("Date / Hour"), headings);
    Label4 = new QLabel(QStringLiteral("Filename"), headings);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4->setObjectName(QStringLiteral("Label4"));
    headings->setFixedHeight(Label2->sizeHint().height());
    lv->addWidget(headings);

    FilesList = new QListWidget(left);
    FilesList->setObjectName(QStringLiteral("FilesList"));
    FilesList->setFont(listFont());
    FilesList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FilesList->setUniformItemSizes(true);
    FilesList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FilesList->setStyleSheet(QStringLiteral("QListWidget::item { height: %1px; }").arg(RowHeight));
    lv->addWidget(FilesList, 1);

    auto* destRow = new QHBoxLayout;
    Label1 = new QLabel(QStringLiteral("Decompress to:"), left);
    Label1->setObjectName(QStringLiteral("Label1"));
    T_Dir = new QLineEdit(QDir::tempPath(), left);
    T_Dir->setObjectName(QStringLiteral("T_Dir"));
    destRow->addWidget(Label1);
    destRow->addWidget(T_Dir, 1);
    lv->addLayout(destRow);

    auto* scopeRow = new QHBoxLayout;
    R_all = new QRadioButton(QStringLiteral("Unzip all"), left);
    R_all->setObjectName(QStringLiteral("R_all"));
    R_sel = new QRadioButton(QStringLiteral("Unzip only selected"), left);
    R_sel->setObjectName(QStringLiteral("R_sel"));
    R_all->setChecked(true);
    scopeRow->addWidget(R_all);
    scopeRow->addWidget(R_sel);
    scopeRow->addStretch(1);
    lv->addLayout(scopeRow);

    auto* buttonRow = new QHBoxLayout;
    B_Options = new QPushButton(QStringLiteral("Options"), left);
    B_Options->setObjectName(QStringLiteral("B_Options"));
    B_Options->setCheckable(true);
    B_Abort = new QPushButton(QStringLiteral("Cancel"), left);
    B_Abort->setObjectName(QStringLiteral("B_Abort"));
    B_Unzip = new QPushButton(QStringLiteral("Unzip !"), left);
    B_Unzip->setObjectName(QStringLiteral("B_Unzip"));
    B_Unzip->setDefault(true);
    buttonRow->addWidget(B_Options);
    buttonRow->addStretch(1);
    buttonRow->addWidget(B_Abort);
    buttonRow->addWidget(B_Unzip);
    lv->addLayout(buttonRow);

    // --- the right part: engine options and the folder view ---
    auto* right = new QWidget(this);
    right->setObjectName(QStringLiteral("RightPart"));
    right->setGeometry(NarrowWidth, 0, WideWidth - NarrowWidth, DialogHeight);
    auto* rv = new QVBoxLayout(right);
    rv->setContentsMargins(0, 8, 8, 8);
    rv->setSpacing(4);
    GroupBox1 = new QGroupBox(QStringLiteral(" Engine options (in blue most commons)"), right);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* gv = new QVBoxLayout(GroupBox1);
    gv->setContentsMargins(6, 4, 6, 4);
    gv->setSpacing(1);
    chExtractOnlyNewer =
        makeCheck(GroupBox1, "chExtractOnlyNewer", QStringLiteral("extract only newer files"), false);
    chUFlag = makeCheck(GroupBox1, "chUFlag", QStringLiteral("extract only newer/new files"), false);
    chOFlag = makeCheck(GroupBox1, "chOFlag", QStringLiteral("always overwrite files"), true);
    chC_flag = makeCheck(GroupBox1, "chC_flag", QStringLiteral("case insensitive"), false);
    chDFlag = makeCheck(GroupBox1, "chDFlag", QStringLiteral("extract with path"), true);
    chC_flag->setChecked(true);
    for (QCheckBox* c : {chExtractOnlyNewer, chUFlag, chOFlag, chC_flag, chDFlag})
        gv->addWidget(c);
    rv->addWidget(GroupBox1);
    Label5 = new QLabel(QStringLiteral("Extract to directory:"), right);
    Label5->setObjectName(QStringLiteral("Label5"));
    rv->addWidget(Label5);
    Ltree = new TMFileExplorer(right, QStringLiteral("Ltree"));
    Ltree->setFileType(files::ftNormal);
    Ltree->ContextAction = false;
    Ltree->setMask(QStringLiteral("*.*"));
    Ltree->setDirectory(QStringLiteral("/"));
    rv->addWidget(Ltree, 1);
    right->hide();

    setFixedSize(NarrowWidth, DialogHeight);

    connect(B_Options, &QPushButton::clicked, this, &TFrmUnzip::B_OptionsClick);
    connect(B_Abort, &QPushButton::clicked, this, &TFrmUnzip::B_AbortClick);
    connect(B_Unzip, &QPushButton::clicked, this, &TFrmUnzip::B_UnzipClick);
    connect(Ltree, &TMFileExplorer::OnClick, this, &TFrmUnzip::LtreeClick);
    connect(Ltree, &TMFileExplorer::directoryChanged, this, &TFrmUnzip::LtreeChange);
}

TFrmUnzip::~TFrmUnzip() {
    // When the main window goes first it takes this dialog with it, and is no longer the instance.
    if (main_ && MainWindowState::instance() == main_ && main_->FrmUnzip == this)
        main_->FrmUnzip = nullptr;
}

QStringList& TFrmUnzip::MemberNames() {
    return main_ ? main_->MemberNames : memberNames_;
}
QStringList& TFrmUnzip::ExtractNames() {
    return main_ ? main_->ExtractNames : extractNames_;
}

void TFrmUnzip::layoutHeadings() {
    // The headings stand over the listing line's columns, measured in the list's own font.
    const QFontMetrics fm(FilesList->font());
    const int cw = fm.horizontalAdvance(QLatin1Char('0'));
    QWidget* headings = Label2->parentWidget();
    if (QLayout* l = headings->parentWidget()->layout())
        l->activate();
    const int x0 = FilesList->viewport()->mapTo(this, QPoint(0, 0)).x() -
                   headings->mapTo(this, QPoint(0, 0)).x() +
                   FilesList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, FilesList) + 1;
    Label2->move(x0, 0);
    Label3->move(x0 + DateColumn * cw, 0);
    Label4->move(x0 + NameColumn * cw, 0);
    // Headings wider than their column are set smaller rather than run into the next one.
    QFont f = font();
    for (QLabel* l : {Label2, Label3, Label4})
        l->setFont(f);
    const auto fits = [&] {
        for (QLabel* l : {Label2, Label3, Label4})
            l->adjustSize();
        return Label2->geometry().right() + 4 < Label3->x() && Label3->geometry().right() + 4 < Label4->x();
    };
    while (!fits() && QFontInfo(f).pixelSize() > 8) {
        f.setPixelSize(QFontInfo(f).pixelSize() - 1);
        for (QLabel* l : {Label2, Label3, Label4})
            l->setFont(f);
    }
}

void TFrmUnzip::fitGroupTitle() {
    // The group's caption is long for the narrow right-hand part: it is set smaller until it
    // fits; the check boxes keep the dialog's font.
    QFont f = font();
    const int room = GroupBox1->parentWidget()->width() - 24;
    while (QFontMetrics(f).horizontalAdvance(GroupBox1->title()) > room && QFontInfo(f).pixelSize() > 8)
        f.setPixelSize(QFontInfo(f).pixelSize() - 1);
    GroupBox1->setFont(f);
    QFont own = font();
    own.setPixelSize(QFontInfo(font()).pixelSize()); // set, so not taken from the group
    for (QCheckBox* c : {chExtractOnlyNewer, chUFlag, chOFlag, chC_flag, chDFlag})
        c->setFont(own);
}

void TFrmUnzip::setDialogWidth(int w) {
    findChild<QWidget*>(QStringLiteral("RightPart"))->setVisible(w > NarrowWidth);
    setFixedSize(w, DialogHeight);
}

void TFrmUnzip::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous())
        return; // back from being minimised: not a new showing
    FormShow();
    centreOnFirstShow(*this, centred_);
}

void TFrmUnzip::FormShow() {
    // Fixed texts, whatever a language file put on the caption and the button (its "Title" and
    // "ZOptions" show only until the dialog opens).
    const QString archives = SelectedArchives ? SelectedArchives() : QString();
    setWindowTitle(QStringLiteral("Decompressing ") + archives);
    B_Options->setText(QStringLiteral("Options >>"));
    setDialogWidth(NarrowWidth);
    layoutHeadings();
    fitGroupTitle();
    Get_Contents(archives);
}

void TFrmUnzip::B_OptionsClick() {
    setDialogWidth(B_Options->isChecked() ? WideWidth : NarrowWidth);
}

void TFrmUnzip::B_AbortClick() {
    hide();
}

void TFrmUnzip::B_UnzipClick() {
    UnZip_SelectedFiles(SelectedArchives ? SelectedArchives() : QString(), R_all->isChecked());
}

void TFrmUnzip::LtreeClick() {
    if (Ltree->isDriveListing())
        return;
    const int row = Ltree->selectedRow();
    if (row >= 0 && Ltree->rowKind(row) == files::EntryKind::Dir)
        T_Dir->setText(withoutTrailingSlash(Ltree->rowPath(row)));
    else
        LtreeChange();
}

void TFrmUnzip::LtreeChange() {
    if (!Ltree->isDriveListing())
        T_Dir->setText(withoutTrailingSlash(Ltree->Directory()));
}

void TFrmUnzip::Get_Contents(const QString& archive) {
    if (trimmedPath(archive).isEmpty())
        return;
    listedBytes_.clear();
    if (listWithReader(archive))
        return;
    QStringList& names = MemberNames();
    names.clear();
    FilesList->clear();
    std::vector<ArchiveMember> members;
    try {
        ArchiveEngine::list(pathBytes(archive), members);
    } catch (const std::exception&) {
        // No unzip engine: the list stays empty, as for an unreadable archive.
    }
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(members.size()));
    names.reserve(static_cast<qsizetype>(members.size()));
    // Member names are bytes (Latin-1 ones from old archives too): kept whole for extraction.
    for (const ArchiveMember& m : members) {
        names << pathText(m.name);
        lines << pathText(m.line);
    }
    FilesList->addItems(lines);
    listedArchive_ = archive;
}

ExtractFlags TFrmUnzip::flags() const {
    ExtractFlags f;
    f.ExtractOnlyNewer = chExtractOnlyNewer->isChecked();
    f.nUflag = chUFlag->isChecked();
    f.ndflag = chDFlag->isChecked();
    f.noflag = chOFlag->isChecked();
    f.C_flag = chC_flag->isChecked();
    return f;
}

void TFrmUnzip::UnZip_SelectedFiles(const QString& archive, bool all) {
    if (trimmedPath(archive).isEmpty())
        return;
    QStringList& chosen = ExtractNames();
    chosen.clear();
    const QString destination = T_Dir->text();
    if (trimmedPath(destination).isEmpty()) {
        // The engine would write into whatever folder the lists last made current.
        Prompts::current().showError(
            this, QStringLiteral("Unzip"),
            QStringLiteral("Type the folder to extract into under \"%1\".").arg(Label1->text()));
        return;
    }
    if (extractWithReader(archive, destination, all))
        return;
    const QStringList& members = MemberNames();
    const int rows = std::min(FilesList->count(), static_cast<int>(members.size()));
    for (int i = 0; i < rows; ++i)
        if (all || FilesList->item(i)->isSelected())
            chosen << members.at(i);
    if (chosen.isEmpty())
        return;

    // Every member of the archive listed: the engine takes them all at once. Otherwise each name
    // stands for itself only (no wildcards), and any number of them goes in one call.
    std::vector<std::string> include;
    if (!(chosen.size() == members.size() && archive == listedArchive_)) {
        include.reserve(static_cast<std::size_t>(chosen.size()));
        for (const QString& n : chosen)
            include.push_back(pathBytes(literalPattern(n)));
    }
    const ExtractFlags f = flags();
    const std::string path = pathBytes(archive), dest = pathBytes(destination);
    std::string printed;
    int result = PK_OK;
    QString failure;
    try {
        result = runWithBusyWindow(
            [&]() -> int { return ArchiveEngine::extract(path, dest, include, f, &printed); }, WaitWindow);
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    if (!failure.isEmpty()) {
        Prompts::current().showError(this, QStringLiteral("Unzip"),
                                     QStringLiteral("Nothing was extracted: %1").arg(failure));
        return;
    }
    if (result != PK_OK)
        reportProblems(archive, destination, result, problemLines(printed));
}

void TFrmUnzip::reportProblems(const QString& archive, const QString& destination, int result,
                               const QStringList& problems) {
    QString text;
    if (result == PK_NOZIP) {
        text = QStringLiteral("%1\nis not a readable zip archive; nothing was extracted.").arg(archive);
    } else {
        text =
            QStringLiteral("Not everything could be extracted from %1 into %2:\n").arg(archive, destination);
        if (problems.isEmpty()) {
            text += QString::fromStdString(ArchiveEngine::unzipResultText(result)) + QLatin1Char('.');
            if (result == PK_FIND || result == PK_WARN)
                text += QStringLiteral("\nThe archive may have changed since it was listed.");
        } else {
            for (int i = 0; i < problems.size() && i < MaxProblemLines; ++i)
                text += QLatin1Char('\n') + problems.at(i);
            if (problems.size() > MaxProblemLines)
                text += QStringLiteral("\n... and %1 more.").arg(problems.size() - MaxProblemLines);
            if (result == PK_BADPWD)
                text += QStringLiteral("\n\nEncrypted members need a password; none is given.");
        }
    }
    Prompts::current().showError(this, QStringLiteral("Unzip"), text);
}

} // namespace korvel
