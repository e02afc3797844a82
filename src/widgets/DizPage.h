#pragma once
// The first page of the main window, "ZIP and MP3 info": the browser pane (LFile with its Up
// button, drive box and folder box) on the left, the description area (Cornice with DIZEdit, and
// the audio panels MP3Panel and MPanel that cover it while an MP3 file is shown) on the right,
// and the strip of description buttons (Panel2) at the bottom. The main window handles its events.

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QScrollArea;
class QStackedWidget;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QToolButton;

namespace korvel {

class TMFileExplorer;

class TDizPage : public QWidget {
    Q_OBJECT
public:
    explicit TDizPage(QWidget* parent = nullptr);

    QFrame* PanelLFile;
    QFrame* Panel1;
    QToolButton* B_UpDir;
    QComboBox* CB_DriveM;
    QComboBox* CBDirM;
    TMFileExplorer* LFile;
    QSplitter* Splitter1;
    QGroupBox* Cornice;
    QWidget* DIZArea;         // LSauce over DIZStack
    QLabel* LSauce;           // the SAUCE fields of the description, when it has a record
    QStackedWidget* DIZStack; // DIZEdit, or the picture of an ANSI description
    QPlainTextEdit* DIZEdit;
    QScrollArea* DIZPictureArea; // read-only picture of an ANSI description
    QLabel* DIZPicture;
    QTabWidget* MP3Panel; // tag editors, filled by the audio page
    QWidget* TabV1;
    QWidget* TabV2;
    QFrame* MPanel; // play and stop, filled by the player
    QFrame* Panel2;
    QToolButton* B_Auto;
    QToolButton* B_FileID;
    QToolButton* B_Readme;
    QToolButton* B_Filename;
    QToolButton* B_Custom;
    QMenu* CustMenu;
    QButtonGroup* DescriptionChoice; // B_Auto .. B_Custom, one down
    QToolButton* B_autoview;
    QToolButton* B_view;
    QToolButton* B_Unzip;
    QToolButton* B_Save;

    // The editor's start font: the system's fixed-pitch font, about 12 pixels high.
    static QFont defaultEditorFont();
};

} // namespace korvel
