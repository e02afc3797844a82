#include "description/DescriptionDisplay.h"

#include "core/description/DescriptionText.h"
#include "core/render/PsfFont.h"
#include "core/render/ScreenPicture.h"
#include "platform/PathText.h"
#include "platform/Prompts.h"
#include "widgets/DizPage.h"
#include "widgets/MainWindowState.h"

#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTextDocument>

namespace korvel {
namespace {

const char* const kPageProperty = "korvelCodePage";

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QImage toImage(const IndexedPicture& pic) {
    QImage img(pic.width, pic.height, QImage::Format_Indexed8);
    QList<QRgb> colours;
    for (std::uint32_t c : dosPalette())
        colours.push_back(0xFF000000u | c);
    img.setColorTable(colours);
    for (int y = 0; y < pic.height; ++y)
        std::memcpy(img.scanLine(y), &pic.pixels[static_cast<std::size_t>(y) * pic.width],
                    static_cast<std::size_t>(pic.width));
    return img;
}

bool writeBytes(const QString& path, const std::string& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool ok =
        f.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
    return f.flush() && ok;
}

} // namespace

DescriptionDisplay::DescriptionDisplay(MainWindowState& main) : QObject(&main), main_(main) {
    auto* group = new QActionGroup(this);
    QAction* first = main.M_CodePage->actions().isEmpty() ? nullptr : main.M_CodePage->actions().front();
    for (CodePage page : kAllCodePages) {
        auto* a = new QAction(
            QString::fromLatin1(codePageName(page).data(), static_cast<qsizetype>(codePageName(page).size())),
            main.M_CodePage);
        a->setObjectName(QStringLiteral("M_CodePage_") + a->text());
        a->setCheckable(true);
        a->setProperty(kPageProperty, static_cast<int>(page));
        group->addAction(a);
        main.M_CodePage->insertAction(first, a);
        pageItems_.push_back(a);
        connect(a, &QAction::triggered, this, [this, page] { chooseCodePage(page); });
    }
    if (first)
        main.M_CodePage->insertSeparator(first);
    connect(main.M_DetectUtf8, &QAction::triggered, this, &DescriptionDisplay::chooseDetectUtf8);
    connect(main.M_RawText, &QAction::triggered, this, &DescriptionDisplay::showRawText);
    connect(main.M_ExportPicture, &QAction::triggered, this, &DescriptionDisplay::M_ExportPictureClick);
    connect(main.M_ExportText, &QAction::triggered, this, &DescriptionDisplay::M_ExportTextClick);
    connect(main.M_CodePage, &QMenu::aboutToShow, this, &DescriptionDisplay::syncMenu);
    askSavePath = [this](const QString& title, const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(&main_, title, suggested, filter);
    };
}

const ViewSetting& DescriptionDisplay::setting() const {
    loadSetting();
    return setting_;
}

void DescriptionDisplay::loadSetting() const {
    if (settingLoaded_ || main_.StartDir.isEmpty())
        return;
    setting_ = storedViewSetting(pathBytes(main_.StartDir));
    settingLoaded_ = true;
}

void DescriptionDisplay::storeSetting() {
    if (!main_.StartDir.isEmpty() && !storeViewSetting(pathBytes(main_.StartDir), setting_))
        Prompts::current().showError(&main_, main_.windowTitle(),
                                     QStringLiteral("Cannot write %1.").arg(main_.inStartDir("korvel.ini")));
}

void DescriptionDisplay::syncMenu() {
    loadSetting();
    for (QAction* a : pageItems_)
        a->setChecked(a->property(kPageProperty).toInt() == static_cast<int>(setting_.page));
    main_.M_DetectUtf8->setChecked(setting_.detectUtf8);
}

void DescriptionDisplay::showDescription(std::string_view bytes) {
    loadSetting();
    shown_.assign(bytes);
    RenderChoice choice;
    choice.page = setting_.page;
    choice.detectUtf8 = setting_.detectUtf8;
    layout_ = layOutDescription(shown_, choice);
    page_ = layout_.page;
    text_.assign(layout_.parts.text);
    tail_.assign(layout_.parts.tail);
    ansi_ = layout_.ansi;
    const std::u32string shownText = descriptionToDisplay(text_, page_);
    main_.DIZPage->DIZEdit->setPlainText(
        QString::fromUcs4(shownText.data(), static_cast<qsizetype>(shownText.size())));

    TDizPage* p = main_.DIZPage;
    sauceLines_ = sauceFieldLines(layout_.parts);
    if (sauceLines_.empty()) {
        p->LSauce->clear();
        p->LSauce->hide();
    } else {
        std::string oneLine = sauceLines_;
        while (!oneLine.empty() && oneLine.back() == '\n')
            oneLine.pop_back();
        p->LSauce->setText(fromUtf8(oneLine));
        p->LSauce->show();
    }
    render();
}

bool DescriptionDisplay::pictureShown() const {
    return main_.DIZPage->DIZStack->currentWidget() == main_.DIZPage->DIZPictureArea;
}

void DescriptionDisplay::render() {
    TDizPage* p = main_.DIZPage;
    const PsfFont* f = ansi_ && !main_.M_RawText->isChecked() ? font() : nullptr;
    if (!f) {
        p->DIZPicture->clear();
        p->DIZStack->setCurrentWidget(main_.DIZPage->DIZEdit);
        return;
    }
    // A picture is at most 32,767 pixels high on screen: the view shows the first 2,000 rows
    // (an export writes them all).
    constexpr int kShownRows = 2000;
    const CellScreen screen = describeScreen(layout_);
    const IndexedPicture pic = drawScreen(screen, *f, layout_.nineColumns, kShownRows);
    p->DIZPicture->setToolTip(
        screen.height() > kShownRows
            ? QStringLiteral("The first %1 of %2 lines; \"Export picture...\" writes them all.")
                  .arg(kShownRows)
                  .arg(screen.height())
            : QString());
    p->DIZPicture->setPixmap(QPixmap::fromImage(toImage(pic)));
    p->DIZPicture->resize(pic.width, pic.height);
    p->DIZStack->setCurrentWidget(p->DIZPictureArea);
}

const PsfFont* DescriptionDisplay::font() {
    if (!fontTried_) {
        fontTried_ = true;
        const std::string path = PsfFont::findDefault();
        if (!path.empty())
            if (auto f = PsfFont::load(path))
                font_ = std::make_unique<PsfFont>(std::move(*f));
    }
    return font_.get();
}

void DescriptionDisplay::showRawText(bool raw) {
    main_.M_RawText->setChecked(raw);
    if (raw) {
        main_.DIZPage->DIZStack->setCurrentWidget(main_.DIZPage->DIZEdit);
        return;
    }
    // Back to the picture: of the text as it is now, edits included.
    if (auto bytes = currentBytes(false))
        showDescription(*bytes);
    else
        render();
}

std::optional<std::string> DescriptionDisplay::currentBytes(bool tell) {
    const QList<uint> ucs4 = main_.DIZPage->DIZEdit->document()->toRawText().toUcs4();
    const std::u32string text(ucs4.begin(), ucs4.end());
    std::optional<char32_t> missing;
    std::string bytes = displayToDescription(text, page_, &missing);
    if (missing) {
        if (tell)
            Prompts::current().showError(
                &main_, main_.windowTitle(),
                QStringLiteral("The character %1 is not in the code page %2.\nThe description was not saved.")
                    .arg(fromUtf8(describeChar(*missing)), fromUtf8(std::string(codePageName(page_)))));
        return std::nullopt;
    }
    return bytes + tail_;
}

std::optional<std::string> DescriptionDisplay::bytesToStore() {
    return currentBytes(true);
}

void DescriptionDisplay::chooseCodePage(CodePage page) {
    changeReading([&] { setting_.page = page; });
}

void DescriptionDisplay::chooseDetectUtf8(bool on) {
    changeReading([&] { setting_.detectUtf8 = on; });
}

// A new way of reading the shown text: its bytes as they are now, edits included, read again.
void DescriptionDisplay::changeReading(const std::function<void()>& change) {
    loadSetting();
    const auto bytes = currentBytes(false);
    if (!bytes) {
        Prompts::current().showError(
            &main_, main_.windowTitle(),
            QStringLiteral("The edited text holds a character the code page %1 lacks; "
                           "the code page stays as it was.")
                .arg(fromUtf8(std::string(codePageName(page_)))));
        syncMenu();
        return;
    }
    change();
    storeSetting();
    syncMenu();
    showDescription(*bytes);
}

bool DescriptionDisplay::exportPicture(const QString& path) {
    const PsfFont* f = font();
    if (!f) {
        Prompts::current().showError(&main_, main_.windowTitle(),
                                     QStringLiteral("No console font was found in /usr/share/consolefonts."));
        return false;
    }
    const auto bytes = currentBytes(true);
    if (!bytes)
        return false;
    const DescriptionLayout l = exportLayout(*bytes);
    return writeExport(path, screenPng(describeScreen(l), *f, l.nineColumns));
}

bool DescriptionDisplay::exportText(const QString& path) {
    const auto bytes = currentBytes(true);
    return bytes && writeExport(path, descriptionAsUtf8(exportLayout(*bytes)));
}

// The shown text's bytes as an export lays them out: in the code page they are shown in. The
// layout looks into `bytes`.
DescriptionLayout DescriptionDisplay::exportLayout(std::string_view bytes) const {
    RenderChoice choice;
    choice.page = page_;
    choice.detectUtf8 = false;
    return layOutDescription(bytes, choice);
}

bool DescriptionDisplay::writeExport(const QString& path, const std::string& bytes) {
    if (writeBytes(path, bytes))
        return true;
    Prompts::current().showError(&main_, main_.windowTitle(), QStringLiteral("Cannot write %1.").arg(path));
    return false;
}

// The member on screen without its extension: the start of an export's file name.
QString DescriptionDisplay::exportBaseName() const {
    return QFileInfo(main_.DIZPage->Cornice->title().replace(QStringLiteral("&&"), QStringLiteral("&")))
        .completeBaseName();
}

void DescriptionDisplay::M_ExportPictureClick() {
    const QString base = exportBaseName();
    const QString path = askSavePath(main_.M_ExportPicture->text().remove(QLatin1Char('&')),
                                     base + QStringLiteral(".png"), QStringLiteral("PNG pictures (*.png)"));
    if (!path.isEmpty())
        exportPicture(path);
}

void DescriptionDisplay::M_ExportTextClick() {
    const QString base = exportBaseName();
    const QString path = askSavePath(main_.M_ExportText->text().remove(QLatin1Char('&')),
                                     base + QStringLiteral(".txt"), QStringLiteral("Text files (*.txt)"));
    if (!path.isEmpty())
        exportText(path);
}

} // namespace korvel
