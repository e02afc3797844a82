#pragma once
// The audio page of the main window: the two tag editors on MP3Panel ("ID3 V 1" with the stream
// information, "ID3 V 2" with the copy buttons), the tag objects of the shown file, and the
// handlers that fill the page, mark edits and write the tags back.

#include "core/audio/ID3v1.h"
#include "core/audio/ID3v2.h"

#include <QObject>
#include <QString>

#include <array>
#include <memory>
#include <utility>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace korvel {

class MainWindowState;

class TAudioPage : public QObject {
    Q_OBJECT
public:
    // Builds the controls into the main window's MP3Panel tabs.
    explicit TAudioPage(MainWindowState& main);
    ~TAudioPage() override;

    // The page's owner in a main window, if it has one.
    static TAudioPage* of(const MainWindowState& main);

    // Shows the tags and stream of an MP3 file.
    void ViewMP3(const QString& file);
    // Writes the ticked tag formats into the file, both as one change; a failed write is reported
    // per format.
    void IDTagWrite(const QString& file);
    // Both genre boxes: an empty entry (no genre), then the genre names in table order.
    void FillGenres();

    void B_CopyFromClick();
    void B_CopyToClick();
    void CB_GenreChange();
    // True when the key marks the edit as changed (letters, digits, the numeric keypad, space,
    // Backspace, Enter, Delete, backslash); the key itself always goes on to the control.
    static bool isMarkingKey(const QKeyEvent& e);
    void MP_artistKeyDown(const QKeyEvent& e);

    // The genre byte the ID3v1 box stands for: 255 for the empty entry, the entry's genre for a
    // listed name, 254 for a text that names no entry.
    std::uint8_t selectedV1Genre() const;

    const TID3v1& CurrentV1Tag() const { return *CurrentV1Tag_; }
    const TID3v2& CurrentV2Tag() const { return *CurrentV2Tag_; }

    // --- controls (names as in the form) ---
    // ID3 V 1
    QLineEdit* MP_title;
    QLineEdit* MP_artist;
    QLineEdit* MP_album;
    QLineEdit* MP_year;
    QComboBox* CB_Genre;
    QLineEdit* MP_comment;
    QCheckBox* Ck_V1;
    QLabel* LFileSize;
    QLabel* LBitRate;
    QLabel* LSampleRate;
    QLabel* LMPEGType;
    QLabel* LDuration;
    QLabel* LChannelMode;
    QLabel* LEncoder;
    // ID3 V 2
    QLineEdit* MP_Title2;
    QLineEdit* MP_artist2;
    QLineEdit* MP_Album2;
    QLineEdit* MP_Year2;
    QComboBox* CB_genre2;
    QPlainTextEdit* M_Comment;
    QCheckBox* Ck_V2;
    QPushButton* B_CopyTo;
    QPushButton* B_CopyFrom;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTabV1(QWidget* tab);
    void buildTabV2(QWidget* tab);
    void markModified();
    void clearFields();
    void showStreamInfo(const QString& file);
    // The texts of the six fields of each tab, in the order of TagField.
    std::array<QString, 6> v1Texts() const;
    std::array<QString, 6> v2Texts() const;
    // The one-line fields both tabs have, as pairs (ID3v1 field, ID3v2 field): artist, title,
    // album, year.
    std::array<std::pair<QLineEdit*, QLineEdit*>, 4> sharedLineFields() const;

    MainWindowState& main_;
    std::unique_ptr<TID3v1> CurrentV1Tag_;
    std::unique_ptr<TID3v2> CurrentV2Tag_;
    std::array<QString, 6> shownV2_; // the second tab's texts as the file filled them
};

} // namespace korvel
