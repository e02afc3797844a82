#pragma once
// TFrmZipOpt, "Zip engine options": a view of the options the zip engine holds. Every opening
// reads them from the engine; "Save options and close" hands the controls' options to it,
// "Reset to default" hands it the defaults at once, "Close without saving" hands it nothing.
// The options live only in the engine, for the rest of the run.

#include "zipengines.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace korvel {

class TFrmZipOpt : public QDialog {
    Q_OBJECT
public:
    explicit TFrmZipOpt(QWidget* parent = nullptr);
    ~TFrmZipOpt() override;

    // The one options dialog of the program (the last one made), for the packer page's
    // "Options..." and for the description save, which takes its compression level from edtLevel.
    static TFrmZipOpt* instance();

    // "Options..." (B_ZipOpt) on the packer page: loads the engine's options and shows the
    // dialog without making it modal.
    void B_ZipOptClick();

    // The controls from the engine's current options.
    void Get_ZipDllOptions();
    // The engine's options from the controls; false after "Error setting Zip Options".
    bool Set_ZipDllOptions();
    // The options record the controls stand for.
    ZPOPT optionsFromControls() const;
    // The level the description save uses: the first character of edtLevel, '6' when empty.
    char levelForEmbedding() const;

    QGroupBox* GroupBox2;
    QCheckBox* chSystem;
    QCheckBox* chVolume;
    QCheckBox* chJunkDir;
    QCheckBox* chRecurseDir;
    QCheckBox* chLatestTime;
    QLabel* Label2;
    QLineEdit* edtLevel;
    QWidget* UpDown1; // up-down buttons bound to edtLevel: 0 to 9, no wrap-around
    QToolButton* UpDown1Up;
    QToolButton* UpDown1Down;
    QCheckBox* chGrow;
    QCheckBox* chMove;
    QCheckBox* chDeleteEntries;
    QCheckBox* chUpdate;
    QCheckBox* chFreshen;
    QPushButton* B_ZipDefault;
    QPushButton* B_SetZipOpt;
    QPushButton* B_Close;
    QLabel* Image1;

public slots:
    void B_SetZipOptClick();
    void B_closeClick();
    void B_ZipDefaultClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void UpDown1Click(int step);
    bool centred_ = false;
};

} // namespace korvel
