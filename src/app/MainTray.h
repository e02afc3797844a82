#pragma once
// The tray side of the main window: on minimise the window leaves the task bar and the icon
// "Korvel 2002" appears; a left click brings the window back, a right click opens the tray menu
// (Restore, About Korvel..., End program). Without a system tray nothing of this happens and the
// window minimises as usual.

#include "platform/TrayIcon.h"

#include <QObject>
#include <functional>
#include <memory>

class QAction;
class QDialog;
class QWidget;

namespace korvel {

class TrayMenu;

class MainTray : public QObject {
    Q_OBJECT
public:
    // `mainWindow`: the window that goes to the tray. `aboutBox`: shown by "About Korvel...".
    // `endProgram`: ends the program without the save prompt; the tray shows the window in its
    // normal state and removes the icon first. The tray is owned from here on.
    MainTray(QWidget* mainWindow, QDialog* aboutBox, std::unique_ptr<TrayIcon> tray,
             std::function<void()> endProgram, QObject* parent = nullptr);
    ~MainTray() override;

    // The About box joins the program after the tray (it is the last window made).
    void setAboutBox(QDialog* aboutBox) { aboutBox_ = aboutBox; }

    TrayIcon* Tray1() const { return tray_.get(); }
    TrayMenu* PopupMenu() const { return menu_.get(); }
    QAction* Restore1() const { return restore_; }
    QAction* AboutKorvel() const { return about_; }
    QAction* Exitprogram2() const { return exit_; }

public slots:
    // The main window was minimised: hide it (and so its task-bar entry) and show the icon.
    // Without a system tray, or when the window is no longer minimised, nothing happens.
    void Minimize();
    // Left click on the icon: the window back in its normal state, the icon gone.
    void Tray1Click();
    // Double click: as a left click, and the window comes to the front.
    void Tray1DblClick();
    // "Restore": as a left click, but not while the About box is open.
    void Restore1Click();
    // "About Korvel...": the About box, modally.
    void AboutKorvelClick();
    // "End program".
    void Exitprogram1Click();

private:
    void onClicked(TrayIcon::Click click);

    QWidget* main_;
    QDialog* aboutBox_;
    std::unique_ptr<TrayIcon> tray_;
    std::function<void()> endProgram_;
    std::unique_ptr<TrayMenu> menu_;
    QAction* restore_ = nullptr;
    QAction* about_ = nullptr;
    QAction* exit_ = nullptr;
};

} // namespace korvel
