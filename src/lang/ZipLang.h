#pragma once
// The language chooser `LangForm`: lists the language files ("*.kvl") of the start-up folder;
// "OK" or a double click applies one for this run, "Set as default" applies it and stores it in
// "korvel.ini" for later starts, "Cancel" closes. It also owns ApplyLanguage for the program:
// every window it was given (and itself) takes the texts of a language file.

#include "lang/LanguageApplier.h"

#include <QDialog>
#include <QPointer>
#include <functional>

class QLabel;
class QListWidget;
class QToolButton;

namespace korvel {

class TLangForm : public QDialog {
    Q_OBJECT
public:
    explicit TLangForm(QWidget* parent = nullptr);

    // The start-up folder: where the language files and "korvel.ini" are. Lists its "*.kvl" files.
    void setStartDir(const QString& startDir);
    QString startDir() const { return startDir_; }
    // The program's own folder, where the shipped language files lie (by default the executable's).
    // When the start-up folder holds no language file, the chooser lists the shipped ones instead,
    // marked as such; "Set as default" stores such a file with its folder.
    void setProgramDir(const QString& programDir);
    QString programDir() const { return programDir_; }

    // The windows a language reaches (found by objectName); this window is always one of them.
    void setWindows(const QList<QWidget*>& windows);
    QList<QWidget*> windows() const;

    // Receives the texts that are no captions (AllCustomCaption, the file manager's prompts)
    // each time a language is applied; only the texts reached are set.
    using SpecialTextsReceiver = std::function<void(const SpecialTexts&)>;
    void setSpecialTextsReceiver(SpecialTextsReceiver receiver) { receiver_ = std::move(receiver); }

    // Applies the language file at path (a missing file gives the built-in texts); reports
    // "Err language file; default English" when it cannot be applied.
    LanguageResult ApplyLanguage(const QString& path);

    // Start-up: reads "Language" of "International" in startDir/korvel.ini (default "default")
    // and, unless it is exactly "default", applies startDir/<name>. Returns the name read.
    QString ApplyStoredLanguage();

    // The full path of the selected file, empty when no row is selected.
    QString selectedPath() const;
    // Lists the "*.kvl" files of the start-up folder again, keeping the selection.
    void refreshFileBox();

public slots:
    void B_OKClick();
    void FileBoxDblClick();
    void B_DefClick();
    void B_cancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fitToTexts();

    QString startDir_;
    QString programDir_;
    QList<QPointer<QWidget>> windows_;
    SpecialTextsReceiver receiver_;

    QLabel* Label1;
    QLabel* Label2;
    QListWidget* FileBox;
    QToolButton* B_Def;
    QToolButton* B_cancel;
    QToolButton* B_OK;
};

} // namespace korvel
