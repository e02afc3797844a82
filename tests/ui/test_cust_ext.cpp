// The "Custom file setup" dialog driven as a user does: the list file, Add/Remove, saving, and
// the custom menu of the main window rebuilt on "Close".

#include "QtFiles.h"
#include "ScriptedPrompts.h"
#include "description/Cust_ext.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace korvel;
using namespace korvel::test;

namespace {

const QString kDiskError =
    "Cannot wrote on disk. Are you running program from a CD?\nIf so, you cannot save preferences!";

QStringList entryTexts(const QMenu& menu) {
    QStringList t;
    for (QAction* a : menu.actions())
        t << a->data().toString();
    return t;
}

} // namespace

class TestCustExt : public QObject {
    Q_OBJECT

    std::unique_ptr<QtTempDir> dir;
    std::unique_ptr<TCustom_ext> dialog;
    QMenu custMenu;
    QPushButton bCustom{"all custom files"};
    QString allCustomCaption = "all custom files";
    QStringList chosen;

    template <class T> T* child(const char* name) {
        auto* w = dialog->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QListWidget* list() { return child<QListWidget>("L_cFile"); }
    QLineEdit* box() { return child<QLineEdit>("T_cFile"); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    void add(const QString& name) {
        box()->clear();
        QTest::keyClicks(box(), name);
        click("B_Add");
    }
    QString listPath() const { return dir->path() + "/korvel2k.ext"; }

    // A fresh dialog, as at start-up, over the files of `dir`.
    void start() {
        dialog = std::make_unique<TCustom_ext>();
        dialog->setStartDir(dir->path());
        dialog->setAllCustomCaption([this] { return allCustomCaption; });
        dialog->setCustomMenu(&custMenu, &bCustom,
                              [this](QAction* entry) { chosen << entry->data().toString(); });
        dialog->FormCreate();
    }

private slots:
    void init() {
        dir = std::make_unique<QtTempDir>();
        QVERIFY(dir->isValid());
        allCustomCaption = "all custom files";
        chosen.clear();
    }
    void cleanup() { dialog.reset(); }

    void controlsCarryTheirNames() {
        ScriptedPrompts prompts;
        start();
        QCOMPARE(dialog->objectName(), QString("Custom_ext"));
        QCOMPARE(dialog->windowTitle(), QString("Custom file setup"));
        for (const char* name : {"Label1", "Label2", "Label3", "Image1"})
            QVERIFY2(dialog->findChild<QLabel*>(name), name);
        QCOMPARE(child<QPushButton>("B_Add")->text(), QString("&Add>>"));
        QCOMPARE(child<QPushButton>("B_Remove")->text(), QString("<<Remove"));
        QCOMPARE(child<QPushButton>("B_saveprefs")->text(), QString("Save settings"));
        QCOMPARE(child<QPushButton>("B_OK")->text(), QString("Close"));
        QCOMPARE(child<QLabel>("Label1")->text(), QString("File(s) to search:"));
        QCOMPARE(dialog->size(), QSize(350, 300));
    }

    void fileWithAnEmptyLineGivesTwoNamesAndThreeEntries() {
        writeFile(listPath(), "file.nfo\r\n\r\n<filename>.txt\r\n");
        ScriptedPrompts prompts;
        start();
        QCOMPARE(dialog->customNames(), QStringList({"file.nfo", "<filename>.txt"}));
        QCOMPARE(entryTexts(custMenu), QStringList({"file.nfo", "<filename>.txt", "all custom files"}));
        QVERIFY(bCustom.isEnabled());
        QVERIFY(prompts.asked().empty());
    }

    void missingFileGivesTheSingleAllCustomEntryAndADisabledButton() {
        ScriptedPrompts prompts;
        start();
        QCOMPARE(list()->count(), 0);
        QCOMPARE(entryTexts(custMenu), QStringList({"all custom files"}));
        QVERIFY(!bCustom.isEnabled());
        QVERIFY(prompts.asked().empty());
    }

    void unreadableFileIsReportedAndStartUpGoesOn() {
        QVERIFY(QDir(dir->path()).mkdir("korvel2k.ext")); // a folder cannot be read as the list
        ScriptedPrompts prompts;
        start();
        QCOMPARE(prompts.asked().size(), size_t(1));
        QCOMPARE(prompts.asked()[0].kind, QString("error"));
        QVERIFY(prompts.asked()[0].text.contains("korvel2k.ext"));
        QCOMPARE(entryTexts(custMenu), QStringList({"all custom files"}));
    }

    void spacesAreKeptAndTheFileIsCrLf() {
        ScriptedPrompts prompts;
        start();
        add(" spaced.nfo ");
        add("<filename>.nfo");
        click("B_saveprefs");
        QCOMPARE(readFile(listPath()), QByteArray(" spaced.nfo \r\n<filename>.nfo\r\n"));
        QCOMPARE(prompts.texts(), QStringList({"Preferences saved."}));
        QCOMPARE(prompts.asked()[0].kind, QString("inform"));
        dialog.reset();
        start();
        QCOMPARE(dialog->customNames(), QStringList({" spaced.nfo ", "<filename>.nfo"}));
    }

    void addRefusesDuplicatesWhateverTheListLength() {
        ScriptedPrompts prompts;
        start();
        for (const char* name : {"a.nfo", "b.nfo", "c.nfo", "d.nfo"})
            add(name);
        QCOMPARE(list()->count(), 4);
        QVERIFY(box()->text().isEmpty());
        add("a.nfo");
        QCOMPARE(list()->count(), 4);
        QCOMPARE(box()->text(), QString("a.nfo")); // refused: it stays in the box
        add("A.NFO");                              // case counts
        QCOMPARE(list()->count(), 5);
        add("");
        QCOMPARE(list()->count(), 5);
        QVERIFY(prompts.asked().empty());
    }

    void enterInTheNameBoxAdds() {
        ScriptedPrompts prompts;
        start();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        box()->setFocus();
        QTest::keyClicks(box(), "x.nfo");
        QTest::keyClick(box(), Qt::Key_Return);
        QCOMPARE(dialog->customNames(), QStringList({"x.nfo"}));
        QVERIFY(dialog->isVisible());
    }

    void removePutsTheNameBackAndNeedsASelection() {
        ScriptedPrompts prompts;
        start();
        add("a.nfo");
        add("b.nfo");
        list()->clearSelection();
        click("B_Remove");
        QCOMPARE(list()->count(), 2);
        list()->setCurrentRow(0);
        click("B_Remove");
        QCOMPARE(dialog->customNames(), QStringList({"b.nfo"}));
        QCOMPARE(box()->text(), QString("a.nfo"));
    }

    // Run as root a read-only folder is still writable, so the failure is forced with folders no
    // one can write into: one that does not exist, and one whose parent is a regular file.
    void saveIntoAnUnwritableFolderShowsDiskError_data() {
        QTest::addColumn<QString>("startDir");
        QTest::newRow("missing folder") << QStringLiteral("/missing");
        QTest::newRow("parent is a file") << QStringLiteral("/plain/sub");
    }
    void saveIntoAnUnwritableFolderShowsDiskError() {
        QFETCH(QString, startDir);
        writeFile(dir->path() + "/plain", "x");
        ScriptedPrompts prompts;
        start();
        add("a.nfo");
        dialog->setStartDir(dir->path() + startDir);
        click("B_saveprefs");
        QCOMPARE(prompts.asked().size(), size_t(1));
        QCOMPARE(prompts.asked()[0].kind, QString("error"));
        QCOMPARE(prompts.asked()[0].title, QString("Disk error"));
        QCOMPARE(prompts.asked()[0].text, kDiskError);
        QCOMPARE(dialog->customNames(), QStringList({"a.nfo"}));
        QVERIFY(bCustom.isEnabled()); // set by the list whatever the write did
    }

    void saveSetsTheButtonButLeavesTheMenu() {
        ScriptedPrompts prompts;
        start();
        add("a.nfo");
        click("B_saveprefs");
        QVERIFY(bCustom.isEnabled());
        QCOMPARE(entryTexts(custMenu), QStringList({"all custom files"}));
    }

    void closeRebuildsTheMenuWithTheCurrentAllCustomCaption() {
        writeFile(listPath(), "a.nfo\r\nR&D.nfo\r\n");
        ScriptedPrompts prompts;
        start();
        dialog->show();
        list()->setCurrentRow(0);
        click("B_Remove");
        // Removed from the list at once (the lookup reads the list), still in the menu.
        QCOMPARE(dialog->customNames(), QStringList({"R&D.nfo"}));
        QCOMPARE(entryTexts(custMenu), QStringList({"a.nfo", "R&D.nfo", "all custom files"}));

        allCustomCaption = "tutti i file";
        click("B_OK");
        QVERIFY(!dialog->isVisible());
        QCOMPARE(entryTexts(custMenu), QStringList({"R&D.nfo", "tutti i file"}));
        QCOMPARE(custMenu.actions()[0]->text(), QString("R&&D.nfo"));
        custMenu.actions()[0]->trigger();
        custMenu.actions()[1]->trigger();
        QCOMPARE(chosen, QStringList({"R&D.nfo", "tutti i file"}));

        list()->setCurrentRow(0);
        click("B_Remove");
        click("B_OK");
        QCOMPARE(entryTexts(custMenu), QStringList({"tutti i file"}));
        QVERIFY(!bCustom.isEnabled());
        QVERIFY(prompts.asked().empty());
        QVERIFY(!QFile::exists(listPath()) || readFile(listPath()) == "a.nfo\r\nR&D.nfo\r\n"); // not written
    }

    // A hand-written file in another 8-bit encoding is written back byte for byte.
    void namesThatAreNotUtf8KeepTheirBytes() {
        writeFile(listPath(), "caf\xE9.nfo\r\n");
        ScriptedPrompts prompts;
        start();
        add("new.nfo");
        click("B_saveprefs");
        QCOMPARE(readFile(listPath()), QByteArray("caf\xE9.nfo\r\nnew.nfo\r\n"));
        QCOMPARE(dialog->customNameList()[0], std::string("caf\xE9.nfo"));
    }

    void lookupReadsTheListInOrder() {
        ScriptedPrompts prompts;
        start();
        add("z.nfo");
        add("<filename>.txt");
        QCOMPARE(dialog->customNameList(), (std::vector<std::string>{"z.nfo", "<filename>.txt"}));
    }
};

QTEST_MAIN(TestCustExt)
#include "test_cust_ext.moc"
