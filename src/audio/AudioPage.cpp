#include "audio/AudioPage.h"

#include "core/audio/MPEGaudio.h"
#include "core/audio/StreamInfo.h"
#include "core/audio/TagEdits.h"
#include "platform/PathText.h"
#include "platform/Prompts.h"
#include "widgets/DizPage.h"
#include "widgets/EditingKeys.h"
#include "widgets/MainWindowState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

namespace korvel {
namespace {

constexpr int V1TextLimit = static_cast<int>(TID3v1::TextCapacity);
constexpr int YearLimit = static_cast<int>(TID3v1::YearCapacity);
const QString Title = QStringLiteral("Korvel 2002");

std::string localPath(const QString& file) {
    return pathBytes(file);
}

// ID3v1 texts are ISO-8859-1 bytes, ID3v2 texts UTF-8.
QString tagText(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
QString v2Text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    return l;
}

QLineEdit* makeEdit(QWidget* parent, const char* name, int limit = 0) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (limit > 0)
        e->setMaxLength(limit);
    return e;
}

QComboBox* makeGenreBox(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert); // a typed genre is not added to the shared list
    c->setMaxVisibleItems(20);
    return c;
}

// A tab's column of widgets, spaced alike on both tabs.
QVBoxLayout* makeTabColumn(QWidget* tab) {
    auto* v = new QVBoxLayout(tab);
    v->setContentsMargins(6, 6, 6, 6);
    v->setSpacing(4);
    return v;
}

// The grid of a tag's six fields, each beside its label (prefix and row number): artist, title,
// album, then year (four digits wide) and genre side by side, then the comment.
QGridLayout* makeTagRows(QWidget* tab, const char* labelPrefix, const std::array<QWidget*, 6>& fields,
                         Qt::Alignment commentLabel) {
    auto* g = new QGridLayout;
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(3);
    fields[3]->setMaximumWidth(fields[3]->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    static const char* const kCaptions[] = {"Artist", "Title", "Album", "Year", "Genre", "Comment"};
    auto label = [&](int i) {
        const QByteArray name = QByteArray(labelPrefix) + QByteArray::number(i + 1);
        return makeLabel(tab, name.constData(), QString::fromLatin1(kCaptions[i]));
    };
    for (int row = 0; row < 3; ++row) {
        g->addWidget(label(row), row, 0);
        g->addWidget(fields[static_cast<std::size_t>(row)], row, 1, 1, 3);
    }
    g->addWidget(label(3), 3, 0);
    g->addWidget(fields[3], 3, 1);
    g->addWidget(label(4), 3, 2, Qt::AlignRight);
    g->addWidget(fields[4], 3, 3);
    g->addWidget(label(5), 4, 0, commentLabel);
    g->addWidget(fields[5], 4, 1, 1, 3);
    g->setColumnStretch(3, 1);
    return g;
}

} // namespace

TAudioPage::TAudioPage(MainWindowState& main)
    : QObject(&main), main_(main), CurrentV1Tag_(std::make_unique<TID3v1>()),
      CurrentV2Tag_(std::make_unique<TID3v2>()) {
    setObjectName(QStringLiteral("AudioPage"));
    // The page lies over the description editor: nothing of the editor may show around the tabs.
    main.DIZPage->MP3Panel->setAutoFillBackground(true);
    buildTabV1(main.DIZPage->TabV1);
    buildTabV2(main.DIZPage->TabV2);

    // Marking keys: the line edits, and the edit part of both genre boxes.
    for (QWidget* w :
         {static_cast<QWidget*>(MP_artist), static_cast<QWidget*>(MP_title), static_cast<QWidget*>(MP_album),
          static_cast<QWidget*>(MP_year), static_cast<QWidget*>(CB_Genre->lineEdit()),
          static_cast<QWidget*>(MP_comment), static_cast<QWidget*>(MP_artist2),
          static_cast<QWidget*>(MP_Title2), static_cast<QWidget*>(MP_Album2), static_cast<QWidget*>(MP_Year2),
          static_cast<QWidget*>(CB_genre2->lineEdit()), static_cast<QWidget*>(M_Comment)})
        w->installEventFilter(this); // the comment memo too: an edit made only there must count
    // A genre changed by the user: picked from the list or typed.
    for (QComboBox* box : {CB_Genre, CB_genre2}) {
        connect(box, &QComboBox::activated, this, &TAudioPage::CB_GenreChange);
        connect(box->lineEdit(), &QLineEdit::textEdited, this, &TAudioPage::CB_GenreChange);
    }
    connect(B_CopyTo, &QPushButton::clicked, this, &TAudioPage::B_CopyToClick);
    connect(B_CopyFrom, &QPushButton::clicked, this, &TAudioPage::B_CopyFromClick);
}

TAudioPage::~TAudioPage() = default;

TAudioPage* TAudioPage::of(const MainWindowState& main) {
    return main.findChild<TAudioPage*>(QStringLiteral("AudioPage"), Qt::FindDirectChildrenOnly);
}

void TAudioPage::buildTabV1(QWidget* tab) {
    auto* v = makeTabColumn(tab);
    MP_artist = makeEdit(tab, "MP_artist", V1TextLimit);
    MP_title = makeEdit(tab, "MP_title", V1TextLimit);
    MP_album = makeEdit(tab, "MP_album", V1TextLimit);
    MP_year = makeEdit(tab, "MP_year", YearLimit);
    CB_Genre = makeGenreBox(tab, "CB_Genre");
    MP_comment = makeEdit(tab, "MP_comment", V1TextLimit);
    v->addLayout(
        makeTagRows(tab, "Label", {MP_artist, MP_title, MP_album, MP_year, CB_Genre, MP_comment}, {}));
    Ck_V1 = new QCheckBox(QStringLiteral("Use this format on saving info"), tab);
    Ck_V1->setObjectName(QStringLiteral("Ck_V1"));
    Ck_V1->setChecked(true);
    v->addWidget(Ck_V1);

    // The stream information, read only.
    auto* info = new QFrame(tab);
    info->setObjectName(QStringLiteral("StreamInfo"));
    info->setFrameShape(QFrame::StyledPanel);
    info->setFrameShadow(QFrame::Sunken);
    auto* ig = new QGridLayout(info);
    ig->setContentsMargins(8, 6, 8, 6);
    ig->setHorizontalSpacing(12);
    ig->setVerticalSpacing(2);
    struct Row {
        const char* caption;
        const char* captionText;
        QLabel** value;
        const char* valueName;
    };
    const Row rows[] = {
        {"L1", "FileSize", &LFileSize, "LFileSize"},        {"L2", "BitRate", &LBitRate, "LBitRate"},
        {"L5", "Sample rate", &LSampleRate, "LSampleRate"}, {"L4", "MPEG Type", &LMPEGType, "LMPEGType"},
        {"L6", "Duration", &LDuration, "LDuration"},        {"L3", "Mode", &LChannelMode, "LChannelMode"},
        {"L7", "Encoder", &LEncoder, "LEncoder"},
    };
    int r = 0;
    for (const Row& row : rows) {
        QLabel* caption = makeLabel(info, row.caption, QString::fromLatin1(row.captionText));
        QLabel* value = makeLabel(info, row.valueName, QString());
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        ig->addWidget(caption, r, 0);
        ig->addWidget(value, r, 1);
        *row.value = value;
        ++r;
    }
    ig->setColumnStretch(1, 1);
    v->addWidget(info);
    v->addStretch(1);
}

void TAudioPage::buildTabV2(QWidget* tab) {
    auto* v = makeTabColumn(tab);
    MP_artist2 = makeEdit(tab, "MP_artist2");
    MP_Title2 = makeEdit(tab, "MP_Title2");
    MP_Album2 = makeEdit(tab, "MP_Album2");
    MP_Year2 = makeEdit(tab, "MP_Year2", YearLimit);
    CB_genre2 = makeGenreBox(tab, "CB_genre2");
    M_Comment = new QPlainTextEdit(tab);
    M_Comment->setObjectName(QStringLiteral("M_Comment"));
    M_Comment->setTabChangesFocus(true);
    QGridLayout* g = makeTagRows(
        tab, "Lab", {MP_artist2, MP_Title2, MP_Album2, MP_Year2, CB_genre2, M_Comment}, Qt::AlignTop);
    g->setRowStretch(4, 1);
    v->addLayout(g, 1);
    Ck_V2 = new QCheckBox(QStringLiteral("Use this format on saving info"), tab);
    Ck_V2->setObjectName(QStringLiteral("Ck_V2"));
    v->addWidget(Ck_V2);
    auto* buttons = new QHBoxLayout;
    B_CopyTo = new QPushButton(QStringLiteral("Copy to ID3 v1"), tab);
    B_CopyTo->setObjectName(QStringLiteral("B_CopyTo"));
    B_CopyFrom = new QPushButton(QStringLiteral("Copy from ID3 v1"), tab);
    B_CopyFrom->setObjectName(QStringLiteral("B_CopyFrom"));
    for (QPushButton* b : {B_CopyTo, B_CopyFrom}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    v->addLayout(buttons);
}

void TAudioPage::FillGenres() {
    for (QComboBox* box : {CB_Genre, CB_genre2}) {
        box->clear();
        box->addItem(QString());
        for (std::string_view name : GenreNames)
            box->addItem(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
        box->setCurrentIndex(0);
    }
}

// --- showing a file ---------------------------------------------------------------------------

void TAudioPage::clearFields() {
    for (QLineEdit* e :
         {MP_title, MP_artist, MP_album, MP_year, MP_comment, MP_Title2, MP_artist2, MP_Album2, MP_Year2})
        e->clear();
    M_Comment->clear();
    for (QComboBox* box : {CB_Genre, CB_genre2}) {
        box->setCurrentIndex(box->count() > 0 ? 0 : -1);
        box->setEditText(box->count() > 0 ? box->itemText(0) : QString());
    }
}

void TAudioPage::showStreamInfo(const QString& file) {
    QLabel* const labels[] = {LFileSize, LBitRate, LSampleRate, LMPEGType, LDuration, LChannelMode, LEncoder};
    TMPEGaudio audio;
    if (audio.Analyse(localPath(file)) && audio.IsUsable()) {
        const StreamInfoTexts t = MakeStreamInfoTexts(audio);
        const auto texts = t.InOrder();
        for (std::size_t i = 0; i < texts.size(); ++i)
            labels[i]->setText(QString::fromLatin1(texts[i].data(), static_cast<qsizetype>(texts[i].size())));
        return;
    }
    // Without a usable stream nothing is known about it: the texts of the file shown before
    // would be wrong here.
    for (QLabel* l : labels)
        l->clear();
}

void TAudioPage::ViewMP3(const QString& file) {
    main_.DIZPage->Cornice->setTitle(QFileInfo(file).fileName());
    CurrentV1Tag_ = std::make_unique<TID3v1>();
    CurrentV2Tag_ = std::make_unique<TID3v2>();
    clearFields();
    showStreamInfo(file);

    const std::string path = localPath(file);
    if (CurrentV1Tag_->LoadTag(path) && CurrentV1Tag_->HasTag()) {
        const TID3v1& t = *CurrentV1Tag_;
        MP_title->setText(tagText(t.TitleField()));
        MP_artist->setText(tagText(t.ArtistField()));
        MP_album->setText(tagText(t.AlbumField()));
        MP_year->setText(tagText(t.YearField()));
        MP_comment->setText(tagText(t.CommentField()));
        const int entry = t.GenreIndex() < GenreNames.size() ? t.GenreIndex() + 1 : 0;
        if (entry < CB_Genre->count()) {
            CB_Genre->setCurrentIndex(entry);
            CB_Genre->setEditText(CB_Genre->itemText(entry));
        }
    }
    if (CurrentV2Tag_->LoadTag(path) && CurrentV2Tag_->HasTag()) {
        const TID3v2& t = *CurrentV2Tag_;
        MP_Title2->setText(v2Text(t.TitleField()));
        MP_artist2->setText(v2Text(t.ArtistField()));
        MP_Album2->setText(v2Text(t.AlbumField()));
        MP_Year2->setText(v2Text(t.YearField()));
        CB_genre2->setEditText(v2Text(t.GenreField()));
        M_Comment->setPlainText(v2Text(t.CommentField()));
    }
    shownV2_ = v2Texts();
}

std::array<QString, 6> TAudioPage::v1Texts() const {
    return {MP_title->text(), MP_artist->text(),       MP_album->text(),
            MP_year->text(),  CB_Genre->currentText(), MP_comment->text()};
}

std::array<QString, 6> TAudioPage::v2Texts() const {
    return {MP_Title2->text(), MP_artist2->text(),       MP_Album2->text(),
            MP_Year2->text(),  CB_genre2->currentText(), M_Comment->toPlainText()};
}

// --- saving -----------------------------------------------------------------------------------

std::uint8_t TAudioPage::selectedV1Genre() const {
    // The entry whose name the box shows (a picked entry, a typed or a copied name).
    return V1GenreOf(CB_Genre->currentText().toStdString());
}

void TAudioPage::IDTagWrite(const QString& file) {
    const bool v1 = Ck_V1->isChecked(), v2 = Ck_V2->isChecked();
    if (!v1 && !v2)
        return;
    if (v1) {
        // Every field of the first tab goes into the ID3v1 tag.
        TagEdits edits;
        const auto texts = v1Texts();
        for (std::size_t i = 0; i < texts.size(); ++i)
            edits.Texts[i] = texts[i].toStdString();
        ApplyEdits(edits, *CurrentV1Tag_);
    }
    if (v2) {
        // Only the fields changed since the file was shown: an untouched field keeps its frame
        // exactly as it is (its encoding, its month and day, its line ends).
        TagEdits edits;
        const auto texts = v2Texts();
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (texts[i] != shownV2_[i])
                edits.Texts[i] = texts[i].toStdString();
        ApplyEdits(edits, *CurrentV2Tag_);
    }
    const TagSaveResult saved =
        SaveTags(localPath(file), v1 ? CurrentV1Tag_.get() : nullptr, v2 ? CurrentV2Tag_.get() : nullptr);
    if (v1 && !saved.V1Saved)
        Prompts::current().inform(&main_, Title, QStringLiteral("Can not save V1 tag to the file: ") + file);
    if (v2 && saved.V2Saved)
        shownV2_ = v2Texts(); // what the file holds now: a field changed back later is an edit again
    if (v2 && !saved.V2Saved) {
        QString message = QStringLiteral("Can not save V2 tag to the file: ") + file;
        if (!saved.V2Reason.empty())
            message += QStringLiteral("\n") + QString::fromStdString(saved.V2Reason) +
                       QStringLiteral(" The file was left unchanged.");
        Prompts::current().inform(&main_, Title, message);
    }
}

// --- editing ----------------------------------------------------------------------------------

void TAudioPage::markModified() {
    main_.Modified = true;
    main_.DIZPage->B_Save->setEnabled(true);
}

bool TAudioPage::isMarkingKey(const QKeyEvent& e) {
    return isEditingKey(e);
}

void TAudioPage::MP_artistKeyDown(const QKeyEvent& e) {
    if (isMarkingKey(e))
        markModified();
}

bool TAudioPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        MP_artistKeyDown(static_cast<const QKeyEvent&>(*event));
    return QObject::eventFilter(watched, event); // the key goes on unchanged
}

void TAudioPage::CB_GenreChange() {
    markModified();
}

std::array<std::pair<QLineEdit*, QLineEdit*>, 4> TAudioPage::sharedLineFields() const {
    return {{{MP_artist, MP_artist2}, {MP_title, MP_Title2}, {MP_album, MP_Album2}, {MP_year, MP_Year2}}};
}

void TAudioPage::B_CopyFromClick() {
    for (auto [v1, v2] : sharedLineFields())
        v2->setText(v1->text());
    CB_genre2->setEditText(CB_Genre->currentText());
    M_Comment->setPlainText(MP_comment->text());
    Ck_V2->setChecked(true);
    markModified();
}

void TAudioPage::B_CopyToClick() {
    for (auto [v1, v2] : sharedLineFields())
        v1->setText(v2->text());
    // The genre entry follows the copied name, so that the ID3v1 genre saved is the one shown.
    const QString genre = CB_genre2->currentText();
    const int entry = CB_Genre->findText(genre, Qt::MatchFixedString);
    if (entry >= 0)
        CB_Genre->setCurrentIndex(entry);
    CB_Genre->setEditText(genre);
    MP_comment->setText(M_Comment->toPlainText());
    // The copied fields land on the ID3v1 tab: that is the format that must be saved.
    Ck_V1->setChecked(true);
    markModified();
}

} // namespace korvel
