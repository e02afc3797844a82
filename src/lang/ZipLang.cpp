#include "lang/ZipLang.h"

#include "core/lang/LanguageSetting.h"
#include "platform/PathText.h"
#include "platform/Prompts.h"
#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

namespace korvel {
namespace {

constexpr int FormWidth = 341, FormHeight = 198;
// A row for a file shipped beside the program keeps the file's full path here.
constexpr int ShippedPathRole = Qt::UserRole + 1;

std::string localPath(const QString& s) {
    return pathBytes(s);
}

bool endsWithKvl(const std::string& name) {
    if (name.size() < 4)
        return false;
    std::string end = name.substr(name.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return std::tolower(c); });
    return end == ".kvl";
}

// The names (bytes, Latin-1 ones too) of the language files in folder, sorted without regard to
// case. withOthers: anything but a folder counts, hidden files too; otherwise regular files that
// are not hidden.
std::vector<std::string> languageFileNames(const std::string& folder, bool withOthers) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code kind;
        if (!endsWithKvl(name) || it->is_directory(kind) ||
            (!withOthers && (name.front() == '.' || !it->is_regular_file(kind))))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = QString::compare(pathText(a), pathText(b), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

QToolButton* speedButton(QWidget* parent, const char* name, const QString& text, const QColor& color,
                         bool bold = false) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumWidth(80);
    QPalette p = b->palette();
    p.setColor(QPalette::ButtonText, color);
    b->setPalette(p);
    if (bold) {
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
    }
    return b;
}

} // namespace

TLangForm::TLangForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LangForm"));
    setWindowTitle(QStringLiteral("Customize language"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Please select your favourite language:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    {
        QFont f = Label1->font();
        f.setPixelSize(13);
        Label1->setFont(f);
        QPalette p = Label1->palette();
        p.setColor(QPalette::WindowText, Qt::blue);
        Label1->setPalette(p);
    }

    Label2 = new QLabel(
        QStringLiteral(
            "NOTE: you can create your own version by adding a new KVL file (=KorvelLanguage)  in the "
            "program directory, using ENGLISH.KVL as a template. Afterwards, if you send me your "
            "custom file, I'll include it (with your name) in the future releases of Korvel."),
        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setTextFormat(Qt::PlainText);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignCenter);
    {
        QFont f = Label2->font();
        f.setPointSizeF(f.pointSizeF() * 0.85);
        Label2->setFont(f);
        QPalette p = Label2->palette();
        p.setColor(QPalette::WindowText, QColor(128, 0, 0));
        Label2->setPalette(p);
    }

    auto* Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    FileBox = new QListWidget(Panel2);
    FileBox->setObjectName(QStringLiteral("FileBox"));
    FileBox->setSelectionMode(QAbstractItemView::SingleSelection);
    // The list takes the room the texts leave; it does not set the window's size.
    FileBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    FileBox->setMinimumHeight(60);
    auto* panel2Layout = new QVBoxLayout(Panel2);
    panel2Layout->setContentsMargins(0, 0, 0, 0);
    panel2Layout->addWidget(FileBox);

    auto* Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    B_Def = speedButton(Panel1, "B_Def", QStringLiteral("Set as default"), Qt::blue);
    B_cancel = speedButton(Panel1, "B_cancel", QStringLiteral("Cancel"), Qt::red);
    B_OK = speedButton(Panel1, "B_OK", QStringLiteral("OK"), QColor(0, 160, 0), true);
    auto* panel1Layout = new QHBoxLayout(Panel1);
    panel1Layout->setContentsMargins(0, 0, 0, 0);
    panel1Layout->addWidget(B_Def);
    panel1Layout->addStretch();
    panel1Layout->addWidget(B_cancel);
    panel1Layout->addWidget(B_OK);

    auto* middle = new QHBoxLayout;
    middle->addWidget(Label2, 1);
    middle->addWidget(Panel2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->addWidget(Label1);
    layout->addLayout(middle, 1);
    layout->addWidget(Panel1);

    connect(B_OK, &QToolButton::clicked, this, &TLangForm::B_OKClick);
    connect(B_Def, &QToolButton::clicked, this, &TLangForm::B_DefClick);
    connect(B_cancel, &QToolButton::clicked, this, &TLangForm::B_cancelClick);
    connect(FileBox, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        // The heading over the shipped files is no language: a double click on it does nothing.
        if (item && (item->flags() & Qt::ItemIsSelectable))
            FileBoxDblClick();
    });

    setWindows({});
    programDir_ = QCoreApplication::applicationDirPath();
    fitToTexts();
}

void TLangForm::setProgramDir(const QString& programDir) {
    programDir_ = programDir;
    refreshFileBox();
}

void TLangForm::setStartDir(const QString& startDir) {
    startDir_ = startDir;
    FileBox->clear();
    refreshFileBox();
}

void TLangForm::setWindows(const QList<QWidget*>& windows) {
    windows_.clear();
    for (QWidget* w : windows)
        if (w && w != this)
            windows_.append(w);
    windows_.append(this);
}

QList<QWidget*> TLangForm::windows() const {
    QList<QWidget*> out;
    for (const auto& w : windows_)
        if (w)
            out.append(w.data());
    return out;
}

void TLangForm::refreshFileBox() {
    const QString selected = FileBox->currentItem() && FileBox->currentItem()->isSelected()
                                 ? FileBox->currentItem()->text()
                                 : QString();
    FileBox->clear();
    if (startDir_.isEmpty())
        return;
    // The file list box of the start-up folder: files only, names matched like "*.kvl" on the
    // system the files were made for, that is without regard to case.
    const std::string start = localPath(startDir_);
    for (const std::string& name : languageFileNames(start, true))
        FileBox->addItem(pathText(name));
    // Then the files shipped beside the program, under their heading, so that a start from any
    // folder can always choose one, whatever files of its own the folder holds.
    if (!programDir_.isEmpty()) {
        std::error_code ec;
        const std::filesystem::path shipped = std::filesystem::absolute(localPath(programDir_), ec);
        if (!ec && std::filesystem::is_directory(shipped, ec) &&
            !std::filesystem::equivalent(shipped, start, ec)) {
            const std::vector<std::string> own = languageFileNames(shipped.string(), false);
            // A heading row that cannot be chosen, then the names as they are.
            if (!own.empty()) {
                auto* heading = new QListWidgetItem(QStringLiteral("Shipped with Korvel:"), FileBox);
                heading->setFlags(Qt::ItemIsEnabled);
                QFont f = heading->font();
                f.setItalic(true);
                heading->setFont(f);
                heading->setToolTip(pathText(shipped.string()));
            }
            for (const std::string& name : own) {
                const QString full = pathText(lang::joinPath(shipped.string(), name));
                auto* item = new QListWidgetItem(pathText(name), FileBox);
                item->setData(ShippedPathRole, full);
                item->setToolTip(full);
            }
        }
    }
    if (!selected.isEmpty()) {
        const auto found = FileBox->findItems(selected, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (!found.isEmpty())
            FileBox->setCurrentItem(found.front());
    }
}

QString TLangForm::selectedPath() const {
    const auto items = FileBox->selectedItems();
    if (items.isEmpty())
        return {};
    const QString shipped = items.front()->data(ShippedPathRole).toString();
    if (!shipped.isEmpty())
        return shipped;
    return pathText(lang::joinPath(localPath(startDir_), localPath(items.front()->text())));
}

LanguageResult TLangForm::ApplyLanguage(const QString& path) {
    QWidget* messageParent = isVisible() ? this : (windows_.isEmpty() ? nullptr : windows_.front().data());
    LanguageResult result = korvel::ApplyLanguage(path, windows(), messageParent);
    if (receiver_ && result.specials.any())
        receiver_(result.specials);
    fitToTexts();
    return result;
}

QString TLangForm::ApplyStoredLanguage() {
    const std::string name = lang::storedLanguage(localPath(startDir_));
    // A shipped file is stored with its folder and taken as is.
    const QString stored = pathText(name);
    if (!lang::isDefaultLanguage(name))
        ApplyLanguage(QDir::isAbsolutePath(stored) ? stored
                                                   : pathText(lang::joinPath(localPath(startDir_), name)));
    return stored;
}

void TLangForm::B_OKClick() {
    const QString path = selectedPath();
    if (!path.isEmpty())
        ApplyLanguage(path);
    accept();
}

void TLangForm::FileBoxDblClick() {
    ApplyLanguage(selectedPath());
    accept();
}

void TLangForm::B_DefClick() {
    const auto items = FileBox->selectedItems();
    // The name of a file of the start-up folder; a shipped file with its folder.
    QString name = items.isEmpty() ? QString() : items.front()->text();
    if (!items.isEmpty() && !items.front()->data(ShippedPathRole).toString().isEmpty())
        name = items.front()->data(ShippedPathRole).toString();
    if (!lang::storeLanguage(localPath(startDir_), localPath(name))) {
        const QString ini = pathText(lang::joinPath(localPath(startDir_), lang::SettingsFileName));
        Prompts::current().showError(this, QApplication::applicationName(),
                                     QStringLiteral("Cannot store the language in %1.").arg(ini));
    }
    ApplyLanguage(selectedPath());
    accept();
}

void TLangForm::B_cancelClick() {
    reject();
}

void TLangForm::showEvent(QShowEvent* event) {
    refreshFileBox();
    fitToTexts();
    centreOnScreen(*this);
    QDialog::showEvent(event);
}

void TLangForm::keyPressEvent(QKeyEvent* event) {
    // Enter in the list takes the selected language, as "OK" does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        B_OKClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TLangForm::fitToTexts() {
    // The window keeps its size unless a language's texts need more room.
    layout()->activate();
    const QMargins m = layout()->contentsMargins();
    int width = std::max({FormWidth, layout()->minimumSize().width(),
                          B_Def->sizeHint().width() + B_cancel->sizeHint().width() +
                              B_OK->sizeHint().width() + 4 * layout()->spacing() + m.left() + m.right()});
    int height = FormHeight;
    if (layout()->hasHeightForWidth())
        height = std::max(height, layout()->totalHeightForWidth(width));
    height = std::max(height, layout()->minimumSize().height());
    setFixedSize(width, height);
}

} // namespace korvel
