#pragma once
// The playback panel MPanel under the audio page: the play button VrMediaButton1 and the stop
// button VrMediaButton3, and the main window's player MPEG1 behind them. Playback failures go to
// the program's general error display; the program runs on.

#include <QObject>
#include <QString>

class QToolButton;

namespace korvel {

class MainWindowState;
class TMPEGPlayer;

class TPlayerPanel : public QObject {
    Q_OBJECT
public:
    // Builds the buttons into the main window's MPanel.
    explicit TPlayerPanel(MainWindowState& main);

    // The panel of a main window, if it has one.
    static TPlayerPanel* of(const MainWindowState& main);

    // Start-up: the player looks for its library in startDir first, then beside the program. A
    // failure is shown; false then.
    bool InitPlayer(const QString& startDir);

    void VrMediaButton1Click(); // play the file selected in the browser pane
    void VrMediaButton3Click(); // stop
    void MPEG1PosUpdate(int Pos, int Len);

    TMPEGPlayer* MPEG1;
    QToolButton* VrMediaButton1;
    QToolButton* VrMediaButton3;

private:
    // Runs a player operation; a TMPEGError (or any other failure) is shown to the user.
    template <typename F> bool guarded(F&& step);

    MainWindowState& main_;
};

} // namespace korvel
