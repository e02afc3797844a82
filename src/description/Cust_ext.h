#pragma once
// TCustom_ext, "Custom file setup": the user's list of further description names, its file
// "korvel2k.ext" in StartDir, and the main window's custom menu CustMenu built from it.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace korvel {

class TCustom_ext : public QDialog {
    Q_OBJECT
public:
    explicit TCustom_ext(QWidget* parent = nullptr);

    // The main window's start folder, where "korvel2k.ext" lives. Set before FormCreate.
    void setStartDir(const QString& startDir) { startDir_ = startDir; }
    const QString& startDir() const { return startDir_; }

    // Where the menu goes: the main window's CustMenu, its button B_Custom (enabled exactly when
    // the list holds a name) and GestCust, which every entry runs with itself when chosen. An
    // entry's text shows the name ("&" doubled, so it is no shortcut mark); its data() holds the
    // name exactly.
    using EntryHandler = std::function<void(QAction* entry)>;
    void setCustomMenu(QMenu* custMenu, QAbstractButton* bCustom, EntryHandler gestCust);
    // AllCustomCaption of the main window, read each time the menu is built (its last entry).
    void setAllCustomCaption(std::function<QString()> allCustomCaption) {
        allCustomCaption_ = std::move(allCustomCaption);
    }

    // Start-up, after the main window's pgm_init: ReadCustoms, build the menu, set B_Custom.
    void FormCreate();

    // Appends the names of the file to the list; false (after telling the user) when the file is
    // there but could not be read whole. A missing file is no error.
    bool ReadCustoms();
    // Writes the list to the file; false after the "Disk error" message.
    bool WriteCustoms();

    // The list, in order: what the description lookup tries. customNameList() gives each name's
    // bytes exactly as the file held them; customNames() the texts shown, which give back those
    // bytes (PathText: a byte that is no UTF-8 is kept as a character of its own).
    QStringList customNames() const;
    std::vector<std::string> customNameList() const;
    QString customListPath() const;

public slots:
    void B_AddClick();
    void B_RemoveClick();
    void B_saveprefsClick();
    void B_OKClick();

private:
    void addName(const std::string& name);
    void buildCustMenu();
    void updateCustomButton();
    QString allCustomCaption() const;

    QString startDir_;
    QMenu* custMenu_ = nullptr;
    QAbstractButton* bCustom_ = nullptr;
    EntryHandler gestCust_;
    std::function<QString()> allCustomCaption_;
    bool centred_ = false;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Image1;
    QLineEdit* T_cFile;
    QPushButton* B_Add;
    QPushButton* B_Remove;
    QListWidget* L_cFile;
    QPushButton* B_saveprefs;
    QPushButton* B_OK;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace korvel
