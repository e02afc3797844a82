#pragma once
// The tray icon's menu: a 30-pixel margin on the left painted from red to dark red with the
// word "Korvel" written upwards in it, and entry pictures taken from a four-picture strip.

#include <QMenu>
#include <QPixmap>

namespace korvel {

class TrayMenu : public QMenu {
    Q_OBJECT
public:
    static constexpr int MarginWidth = 30;
    static constexpr int PictureSize = 16;

    explicit TrayMenu(QWidget* parent = nullptr);

    // The four pictures of the menu side by side (PopupImg).
    static QPixmap PopupImg();
    // Gives an entry its picture by its tag (the action's data): tag t from 1 to 3 shows picture
    // t - 1 of the strip, any other entry none.
    static void PopupMenuGetItemParams(QAction* entry);
    // Paints the margin into `margin`.
    static void PopupMenuDrawMargin(QPainter& painter, const QRect& margin);
    // The font of the margin's text: white bold Comic Sans MS of 12 points where installed,
    // otherwise the bold sans-serif of the desktop.
    static QFont marginFont();

    // Where the margin lies in the menu.
    QRect marginRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void actionEvent(QActionEvent* event) override;
};

} // namespace korvel
