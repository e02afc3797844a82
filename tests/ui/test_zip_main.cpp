// The main window driven as a person would: the browser pane, the view-style strip, the pages,
// the unsaved-changes questions, the dispatch of a picked file, the menus and the ways out.
#include "QtFiles.h"
#include "ScriptedPrompts.h"
#include "app/ZipMain.h"
#include "archive/PackerPage.h"
#include "filemanager/FileManagerPage.h"
#include "platform/DefaultCommand.h"
#include "platform/Volumes.h"
#include "widgets/DizPage.h"
#include "widgets/FileListModel.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace korvel;
using namespace korvel::test;

class TestZipMain : public QObject {
    Q_OBJECT

    QtTempDir tmp;
    QString root;
    QString startDir;

    struct Calls {
        QStringList log;
        bool embedResult = true;
    };

    // A main window with recording hooks, started from StartDir.
    std::unique_ptr<TMain> makeMain(Calls& calls) {
        auto m = std::make_unique<TMain>();
        m->hooks.ViewInfo = [&calls](const QString& p) { calls.log << "ViewInfo " + p; };
        m->hooks.ViewMP3 = [&calls](const QString& p) { calls.log << "ViewMP3 " + p; };
        m->hooks.Embed = [&calls] {
            calls.log << "Embed";
            return calls.embedResult;
        };
        m->hooks.IDTagWrite = [&calls] { calls.log << "IDTagWrite"; };
        m->hooks.ApplyLanguage = [&calls](const QString& f) { calls.log << "ApplyLanguage " + f; };
        QDir::setCurrent(startDir);
        if (!m->FormCreate())
            return nullptr;
        return m;
    }
    // A shown main window whose next question gets `yes` and whose description embedding gives
    // `embedOk`.
    std::unique_ptr<TMain> makeAskingMain(Calls& calls, ScriptedPrompts& prompts, bool yes, bool embedOk) {
        prompts.answer(yes);
        calls.embedResult = embedOk;
        auto m = makeMain(calls);
        m->show();
        return m;
    }
    static void clickRow(TMFileExplorer* l, const QString& caption) {
        const int row = l->findRow(caption);
        QVERIFY2(row >= 0, qPrintable(caption));
        l->view()->scrollTo(l->model()->index(row, 0));
        QTest::mouseClick(l->view()->viewport(), Qt::LeftButton, {}, l->rowRect(row).center());
    }
    void touch(const QString& rel) { writeFile(tmp.filePath(rel), {}); }

private slots:
    void initTestCase() {
        QVERIFY(tmp.isValid());
        root = tmp.path() + "/";
        QDir d(tmp.path());
        d.mkpath("start");
        d.mkpath("music/deeper");
        for (int i = 0; i < 32; ++i)
            d.mkpath(QString("h/f%1").arg(i, 2, 10, QChar('0')));
        touch("a.zip");
        touch("music/Song.Mp3");
        touch("music/tune.mp3");
        touch(".hidden.zip");
        d.mkpath("many");
        for (int i = 0; i < 10; ++i)
            touch(QString("many/f%1.zip").arg(i, 2, 10, QChar('0')));
        startDir = tmp.filePath("start");
        Volumes::setOverride(QList<Volume>{{"/", "File System (/)", "Fixed", 1 << 20, 1 << 10},
                                           {tmp.path(), "Temp", "Removable", 1 << 20, 0}});
    }
    void cleanupTestCase() { Volumes::setOverride(std::nullopt); }

    void layoutAsAtStart() {
        Calls c;
        auto m = makeMain(c);
        QCOMPARE(m->objectName(), QString("Main"));
        QCOMPARE(m->windowTitle(), QString("Korvel 2002"));
        QCOMPARE(m->size(), QSize(675, 513));
        for (const char* name : {"PanelMenu",    "B_Large",     "B_Small",         "B_List",
                                 "B_Detail",     "Pagina",      "DIZPage",         "PackPage",
                                 "FileMgrPage",  "PanelLFile",  "Panel1",          "B_UpDir",
                                 "CB_DriveM",    "CBDirM",      "LFile",           "Splitter1",
                                 "Cornice",      "DIZEdit",     "MP3Panel",        "TabV1",
                                 "TabV2",        "MPanel",      "Panel2",          "B_Auto",
                                 "B_FileID",     "B_Readme",    "B_Filename",      "B_Custom",
                                 "CustMenu",     "B_autoview",  "B_view",          "B_Unzip",
                                 "B_Save",       "LFileMgr",    "SBLFM",           "CB_DriveC",
                                 "CBDirC",       "Splitter2",   "PanelLeft",       "PanLeft",
                                 "UpdirL",       "CB_DriveL",   "CBDirL",          "ShapeLeft",
                                 "LeftPane",     "Splitter3",   "PanelRight",      "PanRight",
                                 "UpDirR",       "CB_DriveR",   "CBDirR",          "ShapeRight",
                                 "RightPane",    "PanCommand",  "File1",           "Options1",
                                 "Help1",        "Exit1",       "M_Font",          "M_WW",
                                 "Hiddenfiles1", "Customfile1", "Changelanguage1", "ManagingZIPfiles1",
                                 "About1"})
            QVERIFY2(m->findChild<QObject*>(name), name);
        QCOMPARE(m->Pagina->tabPosition(), QTabWidget::South);
        QCOMPARE(m->Pagina->tabText(0), QString("ZIP and MP3 info"));
        QCOMPARE(m->Pagina->tabText(1), QString("Zip packer"));
        QCOMPARE(m->Pagina->tabText(2), QString("File manager"));
        QCOMPARE(m->Cornice->title(), QString("file_id.diz"));
        QVERIFY(m->B_Detail->isChecked());
        QVERIFY(m->DIZPage->B_Auto->isChecked());
        QVERIFY(m->B_autoview->isChecked());
        QVERIFY(!m->B_Unzip->isEnabled());
        QVERIFY(!m->B_Save->isEnabled());
        QVERIFY(m->MP3Panel->isHidden());
        QVERIFY(m->MPanel->isHidden());
        QCOMPARE(m->DIZEdit->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(m->DIZEdit->font().fixedPitch());
        QVERIFY(m->LFile->Mask().startsWith(QString("*.zip;*.mp3;*.7z;*.rar;*.lzh")));
        QCOMPARE(m->ManagingZIPfiles1->shortcut(), QKeySequence(Qt::Key_F1));
        for (TMFileExplorer* l : {m->LFile, m->LFileMgr, m->LeftPane, m->RightPane}) {
            QCOMPARE(l->Directory(), QString("drives"));
            QCOMPARE(l->ViewStyle(), TMFileExplorer::vsSmallIcon);
        }
        QVERIFY(m->LeftPane->MultiSelect() && m->LeftPane->ContextAction);
        QVERIFY(!m->LFile->MultiSelect() && !m->LFile->ContextAction);
        // Start-up state: the folder boxes show "drives", the drive boxes nothing but list the roots.
        QCOMPARE(m->StartDir, startDir);
        QCOMPARE(m->CBDirM->currentText(), QString("drives"));
        QCOMPARE(m->CB_DriveM->currentText(), QString());
        for (QComboBox* b :
             {m->CB_DriveM, m->PackPage->CB_DriveC, m->FileMgrPage->CB_DriveL, m->FileMgrPage->CB_DriveR}) {
            QCOMPARE(b->count(), 2);
            QCOMPARE(b->itemText(0), QString("/"));
            QCOMPARE(b->itemText(1), tmp.path());
        }
        QCOMPARE(m->FileMgrPage->CopyPrompt, QString("Confirm copy"));
    }

    void startUpOrderAndItsStops() {
        for (int stopAt : {0, 1, 2}) {
            QStringList order;
            TMain m;
            m.hooks.InstallMinimize = [&] { order << "minimize"; };
            m.hooks.CheckZipDll = [&] {
                order << "zipcheck";
                return stopAt != 1;
            };
            m.hooks.InitPlayer = [&](const QString&) {
                order << "player";
                return stopAt != 2;
            };
            m.hooks.FillGenres = [&] { order << "genres"; };
            QCOMPARE(m.FormCreate(), stopAt != 1);
            QStringList expected{"minimize", "zipcheck", "player", "genres"};
            if (stopAt == 1)
                expected = QStringList{"minimize", "zipcheck"};
            QCOMPARE(order, expected);
        }
    }

    void settingsFile_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("applied");
        QTest::newRow("no file") << QString() << "default" << false;
        QTest::newRow("language") << "[International]\nLanguage=deutsch.kvl\n"
                                  << "deutsch.kvl" << true;
        QTest::newRow("case of section and key") << "[INTERNATIONAL]\nlanguage = \"x.kvl\"\n"
                                                 << "x.kvl" << true;
        QTest::newRow("Default is a file name") << "[International]\nLanguage=Default\n"
                                                << "Default" << true;
        QTest::newRow("default") << "[International]\nLanguage=default\n"
                                 << "default" << false;
        QTest::newRow("other section") << "[Other]\nLanguage=x.kvl\n"
                                       << "default" << false;
    }
    void settingsFile() {
        QFETCH(QString, ini);
        QFETCH(QString, language);
        QFETCH(bool, applied);
        QFile::remove(startDir + "/korvel.ini");
        if (!ini.isNull()) {
            QFile f(startDir + "/korvel.ini");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(ini.toUtf8());
        }
        Calls c;
        auto m = makeMain(c);
        QDir::setCurrent(root); // the working directory moves; the settings stay with StartDir
        m->pgm_init();
        QCOMPARE(m->LanguageName, language);
        QCOMPARE(c.log, applied ? QStringList{"ApplyLanguage " + startDir + "/" + language} : QStringList{});
        QFile::remove(startDir + "/korvel.ini");
    }

    void browsingWithTheBoxesAndTheHistoryOf30() {
        Calls c;
        auto m = makeMain(c);
        // Typing an existing folder into the folder box moves the list there.
        m->CBDirM->lineEdit()->clear();
        QTest::keyClicks(m->CBDirM->lineEdit(), tmp.filePath("h"));
        QCOMPARE(m->LFile->Directory(), root + "h/");
        QCOMPARE(m->CBDirM->currentText(), root + "h/");
        QCOMPARE(m->CB_DriveM->currentText(), tmp.path()); // the drive part: its volume root
        m->CBDirM->clear();
        for (int i = 0; i < 31; ++i)
            m->LFile->setDirectory(root + QString("h/f%1").arg(i, 2, 10, QChar('0')));
        QCOMPARE(m->CBDirM->count(), 30);
        QCOMPARE(m->CBDirM->itemText(0), root + "h/f01/");
        QCOMPARE(m->CBDirM->itemText(29), root + "h/f30/");
        // A folder seen before is appended again.
        m->LFile->setDirectory(root + "h/f29");
        QCOMPARE(m->CBDirM->itemText(29), root + "h/f29/");
        QCOMPARE(m->CBDirM->count(), 30);
        // The Up button, then the drive box.
        QTest::mouseClick(m->B_UpDir, Qt::LeftButton);
        QCOMPARE(m->LFile->Directory(), root + "h/");
        m->CB_DriveM->setCurrentIndex(0);
        emit m->CB_DriveM->textActivated(m->CB_DriveM->itemText(0)); // the user picks "/"
        QCOMPARE(m->LFile->Directory(), QString("/"));
        QCOMPARE(m->CB_DriveM->currentText(), QString("/"));
        QTest::mouseClick(m->B_UpDir, Qt::LeftButton);
        QCOMPARE(m->LFile->Directory(), QString("Drives"));
        QCOMPARE(m->CBDirM->currentText(), QString("Drives"));
        QCOMPARE(m->CB_DriveM->currentText(), QString());
    }

    void viewStylesPerPage() {
        Calls c;
        auto m = makeMain(c);
        m->show();
        QTest::mouseClick(m->B_Large, Qt::LeftButton);
        QCOMPARE(m->LFile->ViewStyle(), TMFileExplorer::vsIcon);
        QVERIFY(m->B_Large->isChecked());
        m->Pagina->setCurrentIndex(2);
        QVERIFY(m->B_Detail->isChecked()); // the page change presses the left pane's button
        QTest::mouseClick(m->B_List, Qt::LeftButton);
        QCOMPARE(m->LeftPane->ViewStyle(), TMFileExplorer::vsReport);
        QCOMPARE(m->RightPane->ViewStyle(), TMFileExplorer::vsReport);
        QCOMPARE(m->LFile->ViewStyle(), TMFileExplorer::vsIcon);
        m->Pagina->setCurrentIndex(1);
        QVERIFY(m->B_Detail->isChecked());
        QTest::mouseClick(m->B_Small, Qt::LeftButton);
        QCOMPARE(m->LFileMgr->ViewStyle(), TMFileExplorer::vsList);
        m->Pagina->setCurrentIndex(0);
        QVERIFY(m->B_Large->isChecked());
        m->Pagina->setCurrentIndex(2);
        QVERIFY(m->B_List->isChecked());
        // The file manager's left pane takes half the page.
        m->resize(900, 600);
        QApplication::processEvents();
        QCOMPARE(m->FileMgrPage->Splitter3->sizes().value(0), (m->FileMgrPage->width() - 7) / 2);
    }

    void pickingAFileDispatchesByExtension() {
        Calls c;
        auto m = makeMain(c);
        m->resize(675, 513);
        m->show();
        QVERIFY(QTest::qWaitForWindowExposed(m.get()));
        m->LFile->setViewStyle(TMFileExplorer::vsReport);
        m->LFile->setDirectory(root + "music");
        clickRow(m->LFile, "Song.Mp3");
        QCOMPARE(m->CurrentFile, root + "music/Song.Mp3");
        QCOMPARE(c.log, QStringList{"ViewMP3 " + root + "music/Song.Mp3"});
        QVERIFY(!m->MP3Panel->isHidden());
        QVERIFY(!m->MPanel->isHidden());
        QVERIFY(!m->B_Unzip->isEnabled());
        // The arrow keys follow the focused row.
        c.log.clear();
        QTest::keyClick(m->LFile->view(), Qt::Key_Down);
        QCOMPARE(m->CurrentFile, root + "music/tune.mp3");
        QCOMPARE(c.log, QStringList{"ViewMP3 " + root + "music/tune.mp3"});
        QCOMPARE(m->LFile->SelectedPath(), root + "music/Song.Mp3");
        // Anything else, a folder included, goes to the description view.
        c.log.clear();
        clickRow(m->LFile, "deeper");
        QCOMPARE(c.log, QStringList{"ViewInfo " + root + "music/deeper"});
        QVERIFY(m->MP3Panel->isHidden());
        QVERIFY(m->B_Unzip->isEnabled());
        m->GetInfo(root + "a.ZIP");
        QCOMPARE(c.log.last(), "ViewInfo " + root + "a.ZIP");
        // With "Auto view" up a click only records the file.
        c.log.clear();
        QTest::mouseClick(m->B_autoview, Qt::LeftButton);
        clickRow(m->LFile, "tune.mp3");
        QCOMPARE(m->CurrentFile, root + "music/tune.mp3");
        QVERIFY(c.log.isEmpty());
        // Double click on a folder enters it; the history follows.
        const int deeper = m->LFile->findRow("deeper");
        clickRow(m->LFile, "deeper"); // the first click of the two
        QTest::mouseDClick(m->LFile->view()->viewport(), Qt::LeftButton, {},
                           m->LFile->rowRect(deeper).center());
        QCOMPARE(m->LFile->Directory(), root + "music/deeper/");
        QCOMPARE(m->CBDirM->currentText(), root + "music/deeper/");
    }

    // A held arrow key repeats: the selection walks on, but the file is viewed (and unsaved
    // changes settled) once, when the key really comes up.
    void heldArrowKeyViewsOnce_data() {
        QTest::addColumn<int>("repeats");
        QTest::addColumn<bool>("modified");
        QTest::newRow("one press") << 0 << false;
        QTest::newRow("held for six rows") << 5 << false;
        QTest::newRow("held with unsaved changes") << 5 << true;
    }
    void heldArrowKeyViewsOnce() {
        QFETCH(int, repeats);
        QFETCH(bool, modified);
        ScriptedPrompts prompts;
        prompts.fallback = false;
        Calls c;
        auto m = makeMain(c);
        m->show();
        QVERIFY(QTest::qWaitForWindowExposed(m.get()));
        m->LFile->setViewStyle(TMFileExplorer::vsReport);
        m->LFile->setDirectory(root + "many");
        clickRow(m->LFile, "f00.zip");
        m->Modified = modified;
        m->B_Save->setEnabled(modified);
        c.log.clear();
        QWidget* v = m->LFile->view();
        auto key = [v](QEvent::Type type, bool repeat) {
            QKeyEvent e(type, Qt::Key_Down, Qt::NoModifier, QString(), repeat);
            QApplication::sendEvent(v, &e);
        };
        key(QEvent::KeyPress, false);
        for (int i = 0; i < repeats; ++i) {
            key(QEvent::KeyRelease, true);
            key(QEvent::KeyPress, true);
        }
        QVERIFY(c.log.isEmpty());
        QVERIFY(prompts.asked().empty());
        key(QEvent::KeyRelease, false);
        const QString reached = root + QString("many/f%1.zip").arg(repeats + 1, 2, 10, QChar('0'));
        QCOMPARE(c.log, QStringList{"ViewInfo " + reached});
        QCOMPARE(m->CurrentFile, reached);
        QCOMPARE(prompts.texts(), modified ? QStringList{"Save the changes ?"} : QStringList{});
    }

    void unsavedChangesQuestion_data() {
        QTest::addColumn<bool>("audio");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("embedOk");
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<bool>("moved");
        QTest::newRow("description, yes") << false << true << true << QStringList{"Embed"} << true;
        QTest::newRow("description, no") << false << false << true << QStringList{} << true;
        QTest::newRow("tags, yes") << true << true << true << QStringList{"IDTagWrite"} << true;
        QTest::newRow("no temporary file") << false << true << false << QStringList{"Embed"} << false;
    }
    void unsavedChangesQuestion() {
        QFETCH(bool, audio);
        QFETCH(bool, yes);
        QFETCH(bool, embedOk);
        QFETCH(QStringList, saved);
        QFETCH(bool, moved);
        ScriptedPrompts prompts;
        Calls c;
        auto m = makeAskingMain(c, prompts, yes, embedOk);
        QVERIFY(QTest::qWaitForWindowExposed(m.get()));
        m->LFile->setViewStyle(TMFileExplorer::vsReport);
        m->LFile->setDirectory(root);
        m->CurrentFile = root + "before.zip";
        m->MP3Panel->setVisible(audio);
        m->Modified = true;
        m->B_Save->setEnabled(true);
        c.log.clear();
        clickRow(m->LFile, "a.zip");
        QCOMPARE(prompts.texts(), QStringList{"Save the changes ?"});
        QStringList expected = saved;
        if (moved)
            expected << "ViewInfo " + root + "a.zip";
        QCOMPARE(c.log, expected);
        QCOMPARE(m->CurrentFile, moved ? root + "a.zip" : root + "before.zip");
        QCOMPARE(m->Modified, !moved);
        QCOMPARE(m->B_Save->isEnabled(), !moved);
    }

    void exitPaths_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("embedOk");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("ended");
        const QStringList q{"Save the changes before exit?"};
        QTest::newRow("close, saved") << "close" << true << true << true << q << true;
        QTest::newRow("close, declined") << "close" << true << false << true << q << true;
        QTest::newRow("close, nothing to save") << "close" << false << true << true << QStringList{} << true;
        QTest::newRow("menu Exit") << "exit" << true << true << true << q << true;
        QTest::newRow("no temporary file: stays") << "exit" << true << true << false << q << false;
        QTest::newRow("tray: no question") << "tray" << true << true << true << QStringList{} << true;
    }
    void exitPaths() {
        QFETCH(QString, how);
        QFETCH(bool, modified);
        QFETCH(bool, yes);
        QFETCH(bool, embedOk);
        QFETCH(QStringList, asked);
        QFETCH(bool, ended);
        ScriptedPrompts prompts;
        Calls c;
        auto m = makeAskingMain(c, prompts, yes, embedOk);
        m->Modified = modified;
        bool endingSeen = false;
        connect(m.get(), &TMain::ending, this, [&] { endingSeen = true; });
        if (how == "close")
            m->close();
        else if (how == "exit")
            m->Exit1->trigger();
        else
            m->Exitprogram1Click();
        QCOMPARE(prompts.texts(), asked);
        QCOMPARE(endingSeen, ended);
        // "End program" leaves the event loop with the window shown in its normal state.
        QCOMPARE(m->isVisible(), how == "tray" || !ended);
        QCOMPARE(c.log.contains("Embed"), modified && yes && how != "tray");
    }

    void optionsMenu() {
        Calls c;
        auto m = makeMain(c);
        // Font: sizes outside 6..14 points are brought into the range.
        for (auto [asked, got] : {std::pair{20, 14}, std::pair{4, 6}, std::pair{10, 10}}) {
            m->hooks.PickFont = [asked = asked](const QFont& start) {
                QFont f = start;
                f.setPointSize(asked);
                return std::optional<QFont>(f);
            };
            m->M_Font->trigger();
            QCOMPARE(m->DIZEdit->font().pointSize(), got);
        }
        m->hooks.PickFont = [](const QFont&) { return std::optional<QFont>(); };
        m->M_Font->trigger();
        QCOMPARE(m->DIZEdit->font().pointSize(), 10);
        // Word wrap.
        m->M_WW->trigger();
        QVERIFY(m->M_WW->isChecked());
        QCOMPARE(m->DIZEdit->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        m->M_WW->trigger();
        QCOMPARE(m->DIZEdit->lineWrapMode(), QPlainTextEdit::NoWrap);
        // Hidden files: the browser and the packer list, not the file manager.
        m->LFile->setDirectory(root);
        QCOMPARE(m->LFile->findRow(".hidden.zip"), -1);
        m->Hiddenfiles1->trigger();
        QVERIFY(m->LFile->findRow(".hidden.zip") >= 0);
        QCOMPARE(m->LFileMgr->FileType(), unsigned(files::ftHidden | files::ftNormal));
        QCOMPARE(m->LeftPane->FileType(), 0u);
        m->Hiddenfiles1->trigger();
        QCOMPARE(m->LFile->findRow(".hidden.zip"), -1);
        QCOMPARE(m->LFileMgr->FileType(), 0u);
        // Windows that have not joined yet: their items do nothing; a hook brings them in.
        int shown = 0;
        m->About1->trigger();
        m->hooks.ShowAbout = [&] { ++shown; };
        m->About1->trigger();
        QCOMPARE(shown, 1);
    }

    void helpPage() {
        ScriptedPrompts prompts;
        QStringList opened;
        DefaultCommand::setOpener([&](const QUrl& u) {
            opened << u.toLocalFile();
            return true;
        });
        Calls c;
        auto m = makeMain(c);
        const QString page = TMain::helpPagePath();
        const bool existed = QFileInfo::exists(page);
        if (!existed) {
            m->ManagingZIPfiles1->trigger();
            QCOMPARE(prompts.texts().size(), 1);
            QVERIFY(prompts.texts().first().contains("help"));
            QDir().mkpath(QFileInfo(page).path());
            QFile f(page);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        m->ManagingZIPfiles1->trigger();
        QCOMPARE(opened, QStringList{page});
        if (!existed)
            QDir(QFileInfo(page).path()).removeRecursively();
        DefaultCommand::setOpener(nullptr);
    }
};

QTEST_MAIN(TestZipMain)
#include "test_zip_main.moc"
