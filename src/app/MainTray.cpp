#include "app/MainTray.h"

#include "app/TrayMenu.h"
#include "platform/ProgramIcon.h"

#include <QDialog>
#include <QWidget>
#include <exception>

namespace korvel {

MainTray::MainTray(QWidget* mainWindow, QDialog* aboutBox, std::unique_ptr<TrayIcon> tray,
                   std::function<void()> endProgram, QObject* parent)
    : QObject(parent), main_(mainWindow), aboutBox_(aboutBox), tray_(std::move(tray)),
      endProgram_(std::move(endProgram)), menu_(std::make_unique<TrayMenu>()) {
    setObjectName(QStringLiteral("Tray1"));

    auto entry = [this](const char* name, const QString& caption, int tag) {
        QAction* a = new QAction(caption, menu_.get());
        a->setObjectName(QLatin1String(name));
        a->setData(tag);
        menu_->addAction(a);
        return a;
    };
    restore_ = entry("Restore1", QStringLiteral("Restore"), 1);
    QAction* n1 = menu_->addSeparator();
    n1->setObjectName(QStringLiteral("N1"));
    n1->setData(0);
    about_ = entry("AboutKorvel", QStringLiteral("About Korvel..."), 2);
    exit_ = entry("Exitprogram2", QStringLiteral("End program"), 3);

    connect(restore_, &QAction::triggered, this, &MainTray::Restore1Click);
    connect(about_, &QAction::triggered, this, &MainTray::AboutKorvelClick);
    connect(exit_, &QAction::triggered, this, &MainTray::Exitprogram1Click);

    tray_->setIcon(programIcon());
    tray_->setToolTip(QStringLiteral("Korvel 2002"));
    tray_->setContextMenu(menu_.get());
    tray_->setVisible(false);
    connect(tray_.get(), &TrayIcon::clicked, this, &MainTray::onClicked);
}

MainTray::~MainTray() {
    // The icon must not outlive the program in the notification area.
    tray_->setVisible(false);
}

void MainTray::onClicked(TrayIcon::Click click) {
    switch (click) {
    case TrayIcon::Click::Left:
        Tray1Click();
        break;
    case TrayIcon::Click::Double:
        Tray1DblClick();
        break;
    case TrayIcon::Click::Right:
        // The tray opens the menu; the window stays where it is.
        break;
    }
}

void MainTray::Minimize() {
    // Called a moment after the minimise; the user may have brought the window back meanwhile.
    if (!tray_->isAvailable() || !main_->isMinimized())
        return;
    main_->hide();
    tray_->setVisible(true);
}

void MainTray::Tray1Click() {
    main_->showNormal();
    tray_->setVisible(false);
}

void MainTray::Tray1DblClick() {
    main_->showNormal();
    main_->raise();
    main_->activateWindow();
    tray_->setVisible(false);
}

void MainTray::Restore1Click() {
    if (aboutBox_ && aboutBox_->isVisible())
        return;
    Tray1Click();
}

void MainTray::AboutKorvelClick() {
    if (!aboutBox_)
        return;
    try {
        aboutBox_->exec();
    } catch (const std::exception&) {
        // Whatever goes wrong inside the About box must not end the program from the tray.
    } catch (...) {
    }
}

void MainTray::Exitprogram1Click() {
    tray_->setVisible(false);
    main_->showNormal();
    if (endProgram_)
        endProgram_();
}

} // namespace korvel
