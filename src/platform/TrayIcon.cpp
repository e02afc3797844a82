#include "platform/TrayIcon.h"

#include <QSystemTrayIcon>

namespace korvel {

SystemTrayIcon::SystemTrayIcon(QObject* parent) : TrayIcon(parent), icon_(new QSystemTrayIcon(this)) {
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        switch (r) {
        case QSystemTrayIcon::Trigger:
            emit clicked(Click::Left);
            break;
        case QSystemTrayIcon::DoubleClick:
            emit clicked(Click::Double);
            break;
        case QSystemTrayIcon::Context:
            emit clicked(Click::Right);
            break;
        default:
            break;
        }
    });
}

SystemTrayIcon::~SystemTrayIcon() = default;

bool SystemTrayIcon::isAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}
void SystemTrayIcon::setIcon(const QIcon& icon) {
    icon_->setIcon(icon);
}
void SystemTrayIcon::setToolTip(const QString& hint) {
    icon_->setToolTip(hint);
}
void SystemTrayIcon::setContextMenu(QMenu* menu) {
    icon_->setContextMenu(menu);
}
void SystemTrayIcon::setVisible(bool visible) {
    icon_->setVisible(visible);
}
bool SystemTrayIcon::isVisible() const {
    return icon_->isVisible();
}

std::unique_ptr<TrayIcon> makeSystemTrayIcon() {
    return std::make_unique<SystemTrayIcon>();
}

} // namespace korvel
