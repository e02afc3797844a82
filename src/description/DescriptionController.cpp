#include "description/DescriptionController.h"

#include "core/description/ArchiveDescription.h"
#include "description/Cust_ext.h"
#include "description/DescriptionDisplay.h"
#include "description/DescriptionView.h"
#include "platform/BytePath.h"
#include "platform/Prompts.h"
#include "widgets/DizPage.h"
#include "widgets/EditingKeys.h"
#include "widgets/MainWindowState.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>

namespace korvel {
namespace {

const char* const kMemberProperty = "korvelMember";
const char* const kCutNote = "This description is larger than 4 MiB: only its beginning is shown, read-only. "
                             "Saving it here would cut it, so it cannot be saved.";
const char* const kCustomNameProperty = "korvelCustomName";
const char* const kCustomTextProperty = "korvelCustomText";

QString escapeMnemonic(QString s) {
    return s.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

DescriptionController::DescriptionController(MainWindowState& main)
    : QObject(&main), main_(main), display_(new DescriptionDisplay(main)) {
    TDizPage* page = main.DIZPage;
    main.hooks.ViewInfo = [this](const QString& path) { ViewInfo(path); };
    main.hooks.Embed = [this] { return Embed(main_.ShownFile, captionMember()); };

    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(page->B_Auto), static_cast<QAbstractButton*>(page->B_FileID),
          static_cast<QAbstractButton*>(page->B_Readme), static_cast<QAbstractButton*>(page->B_Filename)})
        connect(b, &QAbstractButton::clicked, this, [this] { main_.GetInfo(main_.CurrentFile); });
    // Pressing B_Custom makes it the pressed choice and drops the custom menu under it; only a
    // chosen entry (GestCust) looks the description up.
    page->B_Custom->setPopupMode(QToolButton::InstantPopup);
    customButton_ = page->B_Custom;
    customButton_->installEventFilter(this);
    connect(page->B_view, &QAbstractButton::clicked, this, &DescriptionController::B_viewClick);
    // "Save info" is handled here (a description that did not reach the archive stays marked);
    // the main window's plain handler steps aside.
    disconnect(page->B_Save, &QToolButton::clicked, &main_, nullptr);
    connect(page->B_Save, &QAbstractButton::clicked, this, &DescriptionController::B_SaveClick);
    editor_ = page->DIZEdit;
    keepLineEndsCrLf(editor_);
    editor_->installEventFilter(this);
    // The note under the editor for a description too large to edit; the audio view hides it.
    cutNote_ = new QLabel(QString::fromLatin1(kCutNote), main.DIZPage->Cornice);
    cutNote_->setObjectName(QStringLiteral("DIZNote"));
    cutNote_->setWordWrap(true);
    cutNote_->hide();
    if (auto* grid = qobject_cast<QGridLayout*>(main.DIZPage->Cornice->layout()))
        grid->addWidget(cutNote_, 2, 0);
    audioPanel_ = main.DIZPage->MP3Panel;
    audioPanel_->installEventFilter(this);
    setCaptionMember(page->Cornice->title());
}

void DescriptionController::setCustomFile(TCustom_ext* custom) {
    custom_ = custom;
    if (!custom)
        return;
    custom->setStartDir(main_.StartDir);
    custom->setAllCustomCaption([this] { return main_.AllCustomCaption; });
    custom->setCustomMenu(main_.DIZPage->CustMenu, main_.DIZPage->B_Custom,
                          [this](QAction* entry) { GestCust(entry); });
    main_.hooks.ShowCustomFile = [custom] {
        custom->show();
        custom->raise();
        custom->activateWindow();
    };
}

bool DescriptionController::isEditingKey(int key, Qt::KeyboardModifiers modifiers) {
    return korvel::isEditingKey(key, modifiers);
}

SearchMode DescriptionController::currentMode() const {
    const TDizPage* p = main_.DIZPage;
    if (p->B_FileID->isChecked())
        return SearchMode::FileId;
    if (p->B_Readme->isChecked())
        return SearchMode::Readme;
    if (p->B_Filename->isChecked())
        return SearchMode::ArchiveText;
    if (p->B_Custom->isChecked())
        return SearchMode::Custom;
    return SearchMode::Automatic;
}

QString DescriptionController::customCaption() const {
    const QToolButton* b = main_.DIZPage->B_Custom;
    const QVariant name = b->property(kCustomNameProperty);
    if (name.isValid() && b->text() == b->property(kCustomTextProperty).toString())
        return name.toString();
    return b->text(); // set by a language, or never chosen from the menu
}

QString DescriptionController::captionMember() const {
    const QGroupBox* c = main_.DIZPage->Cornice;
    const QVariant member = c->property(kMemberProperty);
    if (member.isValid() && c->title() == escapeMnemonic(member.toString()))
        return member.toString();
    return c->title();
}

void DescriptionController::setCaptionMember(const QString& member) {
    main_.DIZPage->Cornice->setProperty(kMemberProperty, member);
    main_.DIZPage->Cornice->setTitle(escapeMnemonic(member));
}

LookupRequest DescriptionController::lookupSettings(const QString& path) const {
    LookupRequest req;
    req.archivePath = pathBytes(path);
    req.mode = currentMode();
    // A custom name is a member name: the bytes it stands for, Latin-1 ones too.
    req.customCaption = pathBytes(customCaption());
    req.allCustomCaption = pathBytes(main_.AllCustomCaption);
    if (custom_)
        req.customNames = custom_->customNameList();
    return req;
}

void DescriptionController::ViewInfo(const QString& path) {
    ArchiveResult problem;
    const LookupResult r =
        lookUpDescriptionRouted(lookupSettings(path), lookUpDescriptionInArchive, &problem);
    display_->showDescription(r.text);
    showCut(r.cut);
    if (r.caption)
        setCaptionMember(pathText(*r.caption)); // the member a save writes, byte for byte
    // A damaged archive shows an empty editor without a word, as a damaged ZIP does; an archive
    // that needs a password or its other volumes, or libarchive that cannot be loaded, is said so.
    if (problem.status == ArchiveStatus::Encrypted || problem.status == ArchiveStatus::MultiVolume ||
        problem.status == ArchiveStatus::Unavailable)
        Prompts::current().inform(&main_, main_.windowTitle(), pathText(problem.message));
}

void DescriptionController::GestCust(QAction* entry) {
    QToolButton* b = main_.DIZPage->B_Custom;
    const QString name = entry->data().isValid() ? entry->data().toString() : entry->text();
    b->setText(escapeMnemonic(name));
    b->setProperty(kCustomNameProperty, name);
    b->setProperty(kCustomTextProperty, b->text());
    b->setChecked(true);
    main_.GetInfo(main_.CurrentFile);
}

void DescriptionController::B_viewClick() {
    main_.DIZPage->B_autoview->setChecked(false);
    main_.GetInfo(main_.CurrentFile);
}

void DescriptionController::showCut(bool cut) {
    cut_ = cut;
    main_.DIZPage->DIZEdit->setReadOnly(cut);
    cutNote_->setVisible(cut);
}

void DescriptionController::DIZEditKeyDown(QKeyEvent* key) {
    if (cut_ || !korvel::isEditingKey(*key))
        return;
    main_.Modified = true;
    main_.DIZPage->B_Save->setEnabled(true);
}

bool DescriptionController::Embed(const QString& archive, const QString& member) {
    // Only the zip engine writes descriptions into archives; the edit stays for the user.
    notZip_ = isReaderArchive(pathBytes(archive));
    if (notZip_) {
        Prompts::current().inform(&main_, main_.windowTitle(), main_.ZipOnlySaveText);
        return false;
    }
    if (cut_) {
        // Only the beginning of the member is here: storing it would cut the description.
        last_ = EmbedOutcome{};
        last_.status = EmbedOutcome::Status::EngineFailed;
        last_.reason = "the description is shown cut";
        Prompts::current().showError(&main_, main_.windowTitle(), QString::fromLatin1(kCutNote));
        return true;
    }
    const char level = embeddingLevel_ ? embeddingLevel_() : '6';
    const std::optional<std::string> bytes = display_->bytesToStore();
    if (!bytes) {
        last_ = EmbedOutcome{};
        last_.status = EmbedOutcome::Status::TempFileFailed; // nothing tried: the edit stays unsaved
        return false;
    }
    last_ = embedDescription(pathBytes(archive), pathBytes(member), *bytes, level, tempBase_);
    if (!last_.saved()) {
        const QString text = pathText(embedFailureText(last_, pathBytes(archive)));
        if (last_.status == EmbedOutcome::Status::OptionsRefused)
            Prompts::current().inform(&main_, main_.windowTitle(), text);
        else
            Prompts::current().showError(&main_, main_.windowTitle(), text);
    }
    return last_.status != EmbedOutcome::Status::TempFileFailed;
}

void DescriptionController::B_SaveClick() {
    const bool description = main_.DIZPage->MP3Panel->isHidden();
    if (!main_.SaveChanges())
        return; // the text file could not be made: the edit stays unsaved
    // A description that did not reach the archive stays marked, so "Save info" can try again.
    if (description && (notZip_ || !last_.saved()))
        return;
    main_.Modified = false;
    main_.DIZPage->B_Save->setEnabled(false);
}

bool DescriptionController::eventFilter(QObject* watched, QEvent* event) {
    // Only the two watched widgets are looked at (the main window may be going away).
    if (event->type() == QEvent::KeyPress && watched == editor_) {
        DIZEditKeyDown(static_cast<QKeyEvent*>(event));
    } else if (event->type() == QEvent::Show && watched == audioPanel_) {
        cutNote_->hide();
    } else if (event->type() == QEvent::MouseButtonPress && watched == customButton_) {
        if (customButton_->isEnabled())
            customButton_->setChecked(true);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvel
