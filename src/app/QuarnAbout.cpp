#include "app/QuarnAbout.h"

#include "platform/ProgramIcon.h"
#include "widgets/ScrollPanel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

#ifndef KORVEL_VERSION
#define KORVEL_VERSION "2.0.0"
#endif

namespace korvel {

QString TAboutBox::productName() {
    return QStringLiteral("Korvel 2002");
}

QString TAboutBox::versionText() {
    return QStringLiteral("Version %1").arg(QLatin1String(KORVEL_VERSION));
}

QStringList TAboutBox::historyLines() {
    return {
        QStringLiteral("= Korvel 2002"),
        QStringLiteral("Viewer embedded file_id.diz"),
        QStringLiteral("and managing ZIP files"),
        QString(),
        QStringLiteral("= Release history"),
        QString(),
        QStringLiteral("= 2.0 (2002)"),
        QStringLiteral("Korvel runs on Linux with Qt 6"),
        QStringLiteral("MP3 playback on the audio page"),
        QStringLiteral("ID3v2 tags beside ID3v1"),
        QStringLiteral("Two-pane file manager page"),
        QStringLiteral("Tray icon while minimised"),
        QStringLiteral("HTML help page (F1)"),
        QString(),
        QStringLiteral("= 1.6 (2001)"),
        QStringLiteral("Language files (*.kvl)"),
        QStringLiteral("and the language chooser"),
        QStringLiteral("Bit rate, duration and encoder"),
        QStringLiteral("of MP3 files, VBR included"),
        QString(),
        QStringLiteral("= 1.4 (2001)"),
        QStringLiteral("Zip packer page: drag files,"),
        QStringLiteral("name the archive, Zip!"),
        QStringLiteral("Zip engine options dialog"),
        QString(),
        QStringLiteral("= 1.2 (2000)"),
        QStringLiteral("Custom description names"),
        QStringLiteral("such as <filename>.nfo"),
        QStringLiteral("Extract dialog with"),
        QStringLiteral("'Unzip only selected'"),
        QString(),
        QStringLiteral("= 1.0 (2000)"),
        QStringLiteral("First release: shows file_id.diz,"),
        QStringLiteral("readme.txt and <archive>.txt"),
        QStringLiteral("in the DOS font, edits them"),
        QStringLiteral("and stores them back"),
        QString(),
        QStringLiteral("= Thanks"),
        QStringLiteral("The Info-ZIP group"),
        QStringLiteral("The libzip and mpg123 teams"),
        QStringLiteral("Everyone who wrote a language file"),
        QStringLiteral("and everyone who reported a bug"),
        QString(),
        QStringLiteral("Korvel is free software."),
        QStringLiteral("Bugs and wishes: see the"),
        QStringLiteral("project's issue tracker."),
    };
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Korvel"));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(programPixmap(64));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    ProductName = new QLabel(productName(), this);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont big = ProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    ProductName->setFont(big);
    ProductName->setStyleSheet(QStringLiteral("color: #a00000;"));

    Version = new QLabel(versionText(), this);
    Version->setObjectName(QStringLiteral("Version"));

    auto* purpose = new QLabel(QStringLiteral("Viewer embedded file_id.diz and managing ZIP files"), this);
    purpose->setObjectName(QStringLiteral("Copyright"));
    purpose->setWordWrap(true);
    purpose->setStyleSheet(QStringLiteral("color: #505050; font-style: italic;"));

    auto* title = new QVBoxLayout;
    title->addWidget(ProductName);
    title->addWidget(Version);
    title->addWidget(purpose);
    title->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(title, 1);

    // The comments and the history panel share one framed place; SP1 covers the comments while
    // it is shown.
    auto* place = new QFrame(this);
    place->setObjectName(QStringLiteral("Panel1"));
    place->setFrameShape(QFrame::StyledPanel);
    place->setFrameShadow(QFrame::Sunken);
    place->setFixedHeight(140);
    Comments = new QLabel(QStringLiteral("Shows the description inside a ZIP archive (file_id.diz, "
                                         "readme.txt or a name of your own), edits it and stores it "
                                         "back. Extracts and packs archives; reads, edits and plays "
                                         "MP3 files.\n\nPress History for the story so far."),
                          place);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignCenter);
    Comments->setMargin(8);
    SP1 = new ScrollPanel(place);
    SP1->setObjectName(QStringLiteral("SP1"));
    SP1->setLines(historyLines());
    auto* stack = new QStackedLayout(place);
    stack->setStackingMode(QStackedLayout::StackAll);
    stack->setContentsMargins(2, 2, 2, 2);
    stack->addWidget(SP1);
    stack->addWidget(Comments);
    SP1->raise();
    SP1->hide();

    Thanks = new QLabel(QStringLiteral("Thanks to the Info-ZIP group, the libzip and mpg123 teams, and to "
                                       "everyone who translated Korvel."),
                        this);
    Thanks->setObjectName(QStringLiteral("Thanks"));
    Thanks->setWordWrap(true);

    B_history = new QPushButton(QStringLiteral("History"), this);
    B_history->setObjectName(QStringLiteral("B_history"));
    B_history->setAutoDefault(false);
    B_Close = new QPushButton(QStringLiteral("Close"), this);
    B_Close->setObjectName(QStringLiteral("B_Close"));
    B_Close->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(B_history);
    buttons->addStretch();
    buttons->addWidget(B_Close);

    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(place);
    all->addWidget(Thanks);
    all->addLayout(buttons);
    setFixedSize(380, 340);

    connect(B_history, &QPushButton::clicked, this, &TAboutBox::B_historyClick);
    connect(B_Close, &QPushButton::clicked, this, &TAboutBox::B_CloseClick);
    connect(SP1, &ScrollPanel::stopPlay, this, &TAboutBox::SP1StopPlay);
}

void TAboutBox::B_historyClick() {
    if (!SP1->isHidden()) {
        SP1->stop();
        SP1->hide();
    } else {
        SP1->show();
        SP1->play();
    }
}

void TAboutBox::SP1StopPlay() {
    SP1->hide();
}

void TAboutBox::B_CloseClick() {
    SP1->stop();
    SP1->hide();
    accept();
}

void TAboutBox::hideEvent(QHideEvent* event) {
    SP1->stop();
    SP1->hide();
    QDialog::hideEvent(event);
}

} // namespace korvel
