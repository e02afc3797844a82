#pragma once
// The notification-area icon behind a small interface: the program uses the system tray when the
// desktop has one; tests put a stand-in in its place.

#include <QIcon>
#include <QObject>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace korvel {

class TrayIcon : public QObject {
    Q_OBJECT
public:
    enum class Click { Left, Double, Right };

    using QObject::QObject;
    ~TrayIcon() override = default;

    // Whether the desktop shows tray icons at all. Without one the window minimises as usual.
    virtual bool isAvailable() const = 0;
    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setToolTip(const QString& hint) = 0;
    // The menu of a right click; the tray opens it itself (not owned).
    virtual void setContextMenu(QMenu* menu) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;

signals:
    // A click on the icon. A right click opens the context menu and also arrives here.
    void clicked(korvel::TrayIcon::Click click);
};

// The desktop's system tray (QSystemTrayIcon).
class SystemTrayIcon final : public TrayIcon {
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject* parent = nullptr);
    ~SystemTrayIcon() override;

    bool isAvailable() const override;
    void setIcon(const QIcon& icon) override;
    void setToolTip(const QString& hint) override;
    void setContextMenu(QMenu* menu) override;
    void setVisible(bool visible) override;
    bool isVisible() const override;

private:
    QSystemTrayIcon* icon_;
};

std::unique_ptr<TrayIcon> makeSystemTrayIcon();

} // namespace korvel
