#pragma once
// A tray icon for window tests: no desktop needed; the test clicks it and reads its state.

#include "platform/TrayIcon.h"

#include <QMenu>
#include <QPoint>

namespace korvel::test {

class FakeTrayIcon final : public TrayIcon {
public:
    explicit FakeTrayIcon(bool available = true) : available_(available) {}

    bool isAvailable() const override { return available_; }
    void setIcon(const QIcon& icon) override { icon_ = icon; }
    void setToolTip(const QString& hint) override { hint_ = hint; }
    void setContextMenu(QMenu* menu) override { menu_ = menu; }
    void setVisible(bool visible) override { visible_ = visible; }
    bool isVisible() const override { return visible_; }

    const QIcon& icon() const { return icon_; }
    const QString& toolTip() const { return hint_; }
    QMenu* contextMenu() const { return menu_; }

    void leftClick() { emit clicked(Click::Left); }
    void doubleClick() { emit clicked(Click::Double); }
    // Like a real tray: the menu opens at the pointer, and the click is reported.
    void rightClick() {
        if (menu_)
            menu_->popup(QPoint(100, 100));
        emit clicked(Click::Right);
    }

private:
    bool available_;
    bool visible_ = false;
    QIcon icon_;
    QString hint_;
    QMenu* menu_ = nullptr;
};

} // namespace korvel::test
