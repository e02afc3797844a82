#include "audio/PlayerPanel.h"

#include "audio/MPEGPlay.h"
#include "platform/Prompts.h"
#include "widgets/DizPage.h"
#include "widgets/MFileExplorer.h"
#include "widgets/MainWindowState.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

#include <exception>

namespace korvel {
namespace {

QToolButton* mediaButton(QFrame* panel, const char* name, QStyle::StandardPixmap face, const QString& tip) {
    auto* b = new QToolButton(panel);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(panel->style()->standardIcon(face));
    b->setIconSize(QSize(20, 20));
    b->setToolTip(tip);
    b->setAutoRaise(false);
    b->setFixedSize(34, 28);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

TPlayerPanel::TPlayerPanel(MainWindowState& main) : QObject(&main), main_(main) {
    setObjectName(QStringLiteral("PlayerPanel"));
    MPEG1 = new TMPEGPlayer(this);
    MPEG1->setObjectName(QStringLiteral("MPEG1"));
    // The main window's settings: no stream events, normal priority, no position timer, no
    // auto-play, the default output.
    MPEG1->setSeekable(false);
    MPEG1->setFromStream(false);
    MPEG1->setUseTimer(false);
    MPEG1->setTimerFreq(0);
    MPEG1->setAutoPlay(false);
    MPEG1->setStartPos(0);
    MPEG1->setEndPos(0);
    MPEG1->OnPosUpdate = [this](int pos, int len) { MPEG1PosUpdate(pos, len); };

    QFrame* panel = main.DIZPage->MPanel;
    panel->setFrameShape(QFrame::StyledPanel);
    auto* h = new QHBoxLayout(panel);
    h->setContentsMargins(4, 2, 4, 2);
    h->setSpacing(2);
    VrMediaButton1 = mediaButton(panel, "VrMediaButton1", QStyle::SP_MediaPlay, QStringLiteral("Play"));
    VrMediaButton3 = mediaButton(panel, "VrMediaButton3", QStyle::SP_MediaStop, QStringLiteral("Stop"));
    h->addWidget(VrMediaButton1);
    h->addWidget(VrMediaButton3);
    h->addStretch(1);
    connect(VrMediaButton1, &QToolButton::clicked, this, &TPlayerPanel::VrMediaButton1Click);
    connect(VrMediaButton3, &QToolButton::clicked, this, &TPlayerPanel::VrMediaButton3Click);
}

TPlayerPanel* TPlayerPanel::of(const MainWindowState& main) {
    return main.findChild<TPlayerPanel*>(QStringLiteral("PlayerPanel"), Qt::FindDirectChildrenOnly);
}

template <typename F> bool TPlayerPanel::guarded(F&& step) {
    try {
        step();
        return true;
    } catch (const TMPEGError& e) {
        Prompts::current().showError(&main_, QStringLiteral("Korvel 2002"), e.message());
    } catch (const std::exception& e) {
        Prompts::current().showError(&main_, QStringLiteral("Korvel 2002"), QString::fromLocal8Bit(e.what()));
    }
    return false;
}

bool TPlayerPanel::InitPlayer(const QString& startDir) {
    MPEG1->setPathToDLL(startDir);
    return guarded([this] { MPEG1->LoadDecoder(); });
}

void TPlayerPanel::VrMediaButton1Click() {
    guarded([this] {
        MPEG1->setStreamName(main_.DIZPage->LFile->SelectedPath());
        MPEG1->OpenInput();
        MPEG1->StartPlayback();
    });
}

void TPlayerPanel::VrMediaButton3Click() {
    guarded([this] {
        MPEG1->StopPlayback();
        MPEG1->CloseInput();
    });
}

void TPlayerPanel::MPEG1PosUpdate(int, int) {}

} // namespace korvel
