#include "archive/ZipOptZ.h"

#include "engineclient/Zip32.h"
#include "platform/Prompts.h"
#include "platform/WindowPlacement.h"

#include <algorithm>

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvel {
namespace {

TFrmZipOpt* theFrmZipOpt = nullptr;

const QColor kCommon(0, 0, 255); // the commonly used options

QCheckBox* box(QWidget* parent, const char* name, const char* text, bool common) {
    auto* c = new QCheckBox(QString::fromLatin1(text), parent);
    c->setObjectName(QString::fromLatin1(name));
    if (common) {
        QPalette p = c->palette();
        p.setColor(QPalette::WindowText, kCommon);
        p.setColor(QPalette::ButtonText, kCommon);
        c->setPalette(p);
    }
    return c;
}

QPushButton* button(QWidget* parent, const char* name, const char* text) {
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TFrmZipOpt* TFrmZipOpt::instance() {
    return theFrmZipOpt;
}

TFrmZipOpt::TFrmZipOpt(QWidget* parent) : QDialog(parent) {
    theFrmZipOpt = this;
    setObjectName(QStringLiteral("FrmZipOpt"));
    setWindowTitle(QStringLiteral("Zip engine options"));
    setModal(false);

    GroupBox2 = new QGroupBox(QStringLiteral(" (in blue most commons) "), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    chSystem = box(GroupBox2, "chSystem", "Include system and hidden files", false);
    chVolume = box(GroupBox2, "chVolume", "Include volume label", false);
    chJunkDir = box(GroupBox2, "chJunkDir", "Do not add path", true);
    chRecurseDir = box(GroupBox2, "chRecurseDir", "Recurse file in subdirectory", true);
    chLatestTime = box(GroupBox2, "chLatestTime", "Set zip file time as latest file in it", false);
    Label2 = new QLabel(QStringLiteral("Compression level (0 - 9)"), GroupBox2);
    Label2->setObjectName(QStringLiteral("Label2"));
    {
        QPalette p = Label2->palette();
        p.setColor(QPalette::WindowText, kCommon);
        Label2->setPalette(p);
    }
    edtLevel = new QLineEdit(QStringLiteral("6"), GroupBox2);
    edtLevel->setObjectName(QStringLiteral("edtLevel"));
    edtLevel->setFixedWidth(edtLevel->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
    {
        QPalette p = edtLevel->palette();
        p.setColor(QPalette::Text, kCommon);
        edtLevel->setPalette(p);
        QFont f = edtLevel->font();
        f.setBold(true);
        edtLevel->setFont(f);
    }
    UpDown1 = new QWidget(GroupBox2);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    auto* ud = new QVBoxLayout(UpDown1);
    ud->setContentsMargins(0, 0, 0, 0);
    ud->setSpacing(0);
    UpDown1Up = new QToolButton(UpDown1);
    UpDown1Up->setObjectName(QStringLiteral("UpDown1Up"));
    UpDown1Up->setArrowType(Qt::UpArrow);
    UpDown1Down = new QToolButton(UpDown1);
    UpDown1Down->setObjectName(QStringLiteral("UpDown1Down"));
    UpDown1Down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {UpDown1Up, UpDown1Down}) {
        b->setFixedSize(16, 11);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        ud->addWidget(b);
    }
    chGrow = box(GroupBox2, "chGrow", "Allow appending to an existing zip file", true);
    chMove = box(GroupBox2, "chMove", "Delete files added or updated in zip file", false);
    chDeleteEntries = box(GroupBox2, "chDeleteEntries", "Delete files from zip file", false);
    chUpdate = box(GroupBox2, "chUpdate", "Update zip file--overwrite only if newer", true);
    chFreshen = box(GroupBox2, "chFreshen", "Freshen zip file--overwrite only", false);
    // The states stored with the form; every opening replaces them with the engine's options.
    chJunkDir->setChecked(true);

    auto* level = new QHBoxLayout;
    level->addWidget(Label2);
    level->addWidget(edtLevel);
    level->addWidget(UpDown1);
    level->addStretch();
    auto* g = new QGridLayout(GroupBox2);
    g->addWidget(chSystem, 0, 0);
    g->addWidget(chVolume, 1, 0);
    g->addWidget(chJunkDir, 2, 0);
    g->addWidget(chRecurseDir, 3, 0);
    g->addWidget(chLatestTime, 4, 0);
    g->addLayout(level, 5, 0);
    g->addWidget(chGrow, 0, 1);
    g->addWidget(chMove, 1, 1);
    g->addWidget(chDeleteEntries, 2, 1);
    g->addWidget(chUpdate, 3, 1);
    g->addWidget(chFreshen, 4, 1);

    B_ZipDefault = button(this, "B_ZipDefault", "Reset to default");
    B_SetZipOpt = button(this, "B_SetZipOpt", "Save options and close");
    B_Close = button(this, "B_Close", "Close without saving");
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(32, 32));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Image1);
    buttons->addStretch();
    buttons->addWidget(B_ZipDefault);
    buttons->addWidget(B_SetZipOpt);
    buttons->addWidget(B_Close);
    auto* top = new QVBoxLayout(this);
    top->addWidget(GroupBox2);
    top->addLayout(buttons);
    // A fixed border.
    top->setSizeConstraint(QLayout::SetFixedSize);

    connect(B_ZipDefault, &QPushButton::clicked, this, &TFrmZipOpt::B_ZipDefaultClick);
    connect(B_SetZipOpt, &QPushButton::clicked, this, &TFrmZipOpt::B_SetZipOptClick);
    connect(B_Close, &QPushButton::clicked, this, &TFrmZipOpt::B_closeClick);
    connect(UpDown1Up, &QToolButton::clicked, this, [this] { UpDown1Click(+1); });
    connect(UpDown1Down, &QToolButton::clicked, this, [this] { UpDown1Click(-1); });
}

TFrmZipOpt::~TFrmZipOpt() {
    if (theFrmZipOpt == this)
        theFrmZipOpt = nullptr;
}

void TFrmZipOpt::UpDown1Click(int step) {
    // The buttons start from the number in the box (6 when it holds none) and stop at 0 and 9.
    bool ok = false;
    int position = edtLevel->text().trimmed().toInt(&ok);
    if (!ok)
        position = 6;
    edtLevel->setText(QString::number(std::clamp(position + step, 0, 9)));
}

void TFrmZipOpt::B_ZipOptClick() {
    Get_ZipDllOptions();
    show();
    raise();
    activateWindow();
}

void TFrmZipOpt::Get_ZipDllOptions() {
    const ZPOPT o = korvel::ZpGetOptions();
    chSystem->setChecked(o.fSystem != 0);
    chVolume->setChecked(o.fVolume != 0);
    chJunkDir->setChecked(o.fJunkDir != 0);
    chGrow->setChecked(o.fGrow != 0);
    chMove->setChecked(o.fMove != 0);
    chDeleteEntries->setChecked(o.fDeleteEntries != 0);
    chUpdate->setChecked(o.fUpdate != 0);
    chFreshen->setChecked(o.fFreshen != 0);
    chLatestTime->setChecked(o.fLatestTime != 0);
    chRecurseDir->setChecked(o.fRecurse == 1);
    edtLevel->setText(QString(QLatin1Char(o.fLevel)));
}

ZPOPT TFrmZipOpt::optionsFromControls() const {
    ZPOPT o{};
    auto flag = [](const QCheckBox* c) { return c->isChecked() ? -1 : 0; };
    o.fSystem = flag(chSystem);
    o.fVolume = flag(chVolume);
    o.fJunkDir = flag(chJunkDir);
    o.fGrow = flag(chGrow);
    o.fMove = flag(chMove);
    o.fDeleteEntries = flag(chDeleteEntries);
    o.fUpdate = flag(chUpdate);
    o.fFreshen = flag(chFreshen);
    o.fLatestTime = flag(chLatestTime);
    o.fRecurse = chRecurseDir->isChecked() ? 1 : 0;
    o.fLevel = levelForEmbedding();
    return o;
}

char TFrmZipOpt::levelForEmbedding() const {
    return zipLevelFromText(edtLevel->text().left(1).toLatin1().toStdString());
}

bool TFrmZipOpt::Set_ZipDllOptions() {
    if (korvel::ZpSetOptions(optionsFromControls()))
        return true;
    Prompts::current().showError(this, windowTitle(), QStringLiteral("Error setting Zip Options"));
    return false;
}

void TFrmZipOpt::B_SetZipOptClick() {
    Set_ZipDllOptions();
    hide();
}

void TFrmZipOpt::B_closeClick() {
    hide();
}

void TFrmZipOpt::B_ZipDefaultClick() {
    if (!korvel::ZpSetOptions(defaultZipOptions()))
        Prompts::current().showError(this, windowTitle(), QStringLiteral("Error setting Zip Options"));
    QCoreApplication::processEvents();
    Get_ZipDllOptions();
}

void TFrmZipOpt::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    centreOnFirstShow(*this, centred_);
}

} // namespace korvel
