#pragma once
// The About box: product, version, thanks, and the scrolling history panel SP1 behind the
// "History" button. Created once, shown modally, hidden on Close.

#include <QDialog>

class QLabel;
class QPushButton;

namespace korvel {

class ScrollPanel;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    ScrollPanel* scrollPanel() const { return SP1; }

    // The texts of the box, also shown by the help page.
    static QString productName();
    static QString versionText();
    static QStringList historyLines();

public slots:
    void B_historyClick();
    void B_CloseClick();
    void SP1StopPlay();

protected:
    // However the box is left (Close, Esc, the title bar), the panel stops and starts hidden
    // the next time.
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Comments = nullptr;
    QLabel* Thanks = nullptr;
    ScrollPanel* SP1 = nullptr;
    QPushButton* B_history = nullptr;
    QPushButton* B_Close = nullptr;
};

} // namespace korvel
