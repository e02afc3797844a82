// The real main window with its language chooser, tray and About box wired in as the program
// starts them: the stored language at start-up, the chooser's "Set as default" across two starts,
// the language reaching every window that exists, and the tray's state machine.
#include "FakeTrayIcon.h"
#include "LanguageStandIns.h"

#include "QtFiles.h"
#include "ScriptedPrompts.h"
#include "app/MainTray.h"
#include "app/MainWiring.h"
#include "app/QuarnAbout.h"
#include "app/TrayMenu.h"
#include "app/ZipMain.h"
#include "core/lang/LanguageFile.h"
#include "lang/ZipLang.h"
#include "platform/DefaultCommand.h"
#include "platform/Volumes.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace korvel;
using namespace korvel::test;

namespace {

const QString ErrText = QString::fromLatin1(LanguageErrorText);

QString shipped(const char* name) {
    return QStringLiteral(KORVEL_SOURCE_DIR "/lang/") + QLatin1String(name);
}

// One start of the program, as main.cpp makes it, from startDir; the language files shipped
// beside the program are looked for in programDir (none when empty).
struct Program {
    explicit Program(const QString& startDir, const QString& programDir = QString()) {
        QDir::setCurrent(startDir);
        main = std::make_unique<TMain>();
        wireTray(*main, [this] {
            auto t = std::make_unique<FakeTrayIcon>();
            tray = t.get();
            return t;
        });
        QVERIFY(main->FormCreate());
        lang = new TLangForm(main.get());
        lang->setProgramDir(programDir);
        wireLanguage(*main, lang);
        main->pgm_init();
        about = new TAboutBox(main.get());
        joinAboutBox(*main, about);
    }
    QObject* control(const QString& name) const {
        return name.isEmpty() ? nullptr : findControl(main.get(), name);
    }
    QString tab(int i) const { return main->Pagina->tabText(i); }
    QListWidget* box() const { return lang->findChild<QListWidget*>("FileBox"); }
    QStringList listed() const {
        QStringList out;
        for (int i = 0; i < box()->count(); ++i)
            out << box()->item(i)->text();
        return out;
    }
    // Opens the chooser from the Options menu; `act` runs while it is showing.
    void inChooser(const std::function<void(Program&)>& act) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            shown = lang->isVisible();
            act(*this);
            if (lang->isVisible())
                lang->reject();
        });
        main->Changelanguage1->trigger();
        QVERIFY(shown);
        QVERIFY(!lang->isVisible());
    }
    void select(const QString& text) {
        auto found = box()->findItems(text, Qt::MatchStartsWith);
        QVERIFY2(!found.isEmpty(), qPrintable(text));
        box()->setCurrentItem(found.front());
    }

    std::unique_ptr<TMain> main;
    TLangForm* lang = nullptr;
    TAboutBox* about = nullptr;
    FakeTrayIcon* tray = nullptr;
};

// Every key of the file that could be applied shows the file's text: the table's rows in order,
// up to the first target of a window or page that is not built yet (applying stops there).
// Returns how many rows were checked.
int expectApplied(const Program& p, const lang::LanguageFile& file, const QList<QWidget*>& windows) {
    int checked = 0;
    for (const lang::Assignment& a : file.assignments()) {
        const QString text = QString::fromStdString(a.text);
        for (const lang::Target* t : {&a.key->first, &a.key->second}) {
            if (t->empty())
                continue;
            if (t->isSpecial()) {
                const QString* kept = nullptr;
                switch (t->special) {
                case lang::Special::AllCustomCaption:
                    kept = &p.main->AllCustomCaption;
                    break;
                case lang::Special::CopyPrompt:
                    kept = &p.main->CopyPrompt;
                    break;
                case lang::Special::MovePrompt:
                    kept = &p.main->MovePrompt;
                    break;
                case lang::Special::CountWord:
                    kept = &p.main->CountWord;
                    break;
                case lang::Special::ZipOnlySave:
                    kept = &p.main->ZipOnlySaveText;
                    break;
                case lang::Special::None:
                    break;
                }
                if (kept && *kept != text)
                    return -1 - checked;
                continue;
            }
            QWidget* w = findWindow(windows, test::qs(t->window));
            QObject* c = w && t->isControl() ? findControl(w, test::qs(t->control)) : nullptr;
            if (!w || (t->isControl() && !takesCaption(c)))
                return checked;
            const QString shown = t->isWindowTitle() ? w->windowTitle() : shownText(c);
            if (shown != text) {
                qWarning() << "key" << test::qs(a.key->section) << test::qs(a.key->key) << "shows" << shown
                           << "not" << text;
                return -1 - checked;
            }
        }
        ++checked;
    }
    return checked;
}

} // namespace

class TestMainWiring : public QObject {
    Q_OBJECT

    QtTempDir tmp;
    int n = 0;

    // A fresh start-up folder with the given files (name -> bytes).
    QString startDir(const std::map<QString, QByteArray>& files = {}) {
        const QString dir = tmp.filePath(QString("start%1").arg(++n));
        QDir().mkpath(dir);
        for (const auto& [name, bytes] : files)
            writeFile(dir + "/" + name, bytes);
        return dir;
    }
    static QByteArray ini(const QByteArray& language) {
        return "[International]\nLanguage=" + language + "\n";
    }

private slots:
    void initTestCase() {
        QVERIFY(tmp.isValid());
        Volumes::setOverride(QList<Volume>{{"/", "File System (/)", "Fixed", 1 << 20, 1 << 10}});
    }
    void cleanupTestCase() { Volumes::setOverride(std::nullopt); }
    void cleanup() {
        if (QWidget* m = QApplication::activeModalWidget())
            m->hide();
    }

    // The stored language reaches the real windows at start-up, every shipped file alike.
    void startUpAppliesTheStoredLanguage_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("expected"); // tab 0, tab 1, B_view, Options menu, "Font..."
        QTest::newRow("deutsch") << "deutsch.kvl"
                                 << QStringList{"ZIP-Infos", "ZIP-Packer", "Anzeigen", "Optionen",
                                                "Schriftart..."};
        QTest::newRow("italiano") << "italiano.kvl" << QStringList{};
        QTest::newRow("english") << "english.kvl"
                                 << QStringList{"Info ZIP files", "Easy zip packer", "View", "Options",
                                                "Font..."};
    }
    void startUpAppliesTheStoredLanguage() {
        QFETCH(QString, file);
        QFETCH(QStringList, expected);
        ScriptedPrompts prompts;
        const QString dir =
            startDir({{file, readFile(shipped(qPrintable(file)))}, {"korvel.ini", ini(file.toUtf8())}});
        Program p(dir);
        QCOMPARE(p.main->LanguageName, file);
        const QList<QWidget*> windows = languageWindows(*p.main);
        const int checked = expectApplied(
            p, lang::LanguageFile::load(QFile::encodeName(dir + "/" + file).toStdString()), windows);
        // At least the buttons, the menus and the tabs of the main window: 8 + 11 + 2 rows.
        QVERIFY2(checked >= 21, qPrintable(QString::number(checked)));
        if (!expected.isEmpty()) {
            QCOMPARE(p.tab(0), expected[0]);
            QCOMPARE(p.tab(1), expected[1]);
            QCOMPARE(shownText(p.control("B_view")), expected[2]);
            QCOMPARE(p.main->Options1->title(), expected[3]);
            QCOMPARE(p.main->M_Font->text(), expected[4]);
        }
        // German umlauts come through a UTF-8 file.
        if (file == "deutsch.kvl")
            QVERIFY(p.main->About1->text().contains(QChar(0x00DC)));
        QCOMPARE(p.tab(2), QString("File manager")); // no key covers the third tab
        QCOMPARE(p.main->windowTitle(), QString("Korvel 2002"));
        // The message comes exactly when a window or page of the table is not built yet.
        const bool complete = missingLanguageTargets(windows).isEmpty();
        QCOMPARE(prompts.texts(), complete ? QStringList{} : QStringList{ErrText});
        QCOMPARE(p.main->AllCustomCaption, shownText(p.control("B_Custom")));
    }

    // "Default" is not "default": the file of that name is tried; a missing one gives the table's
    // texts, also after another language was applied in the same run.
    void capitalDefaultIsAFileName_data() {
        QTest::addColumn<bool>("present");
        QTest::newRow("no file Default") << false;
        QTest::newRow("file Default holds German") << true;
    }
    void capitalDefaultIsAFileName() {
        QFETCH(bool, present);
        ScriptedPrompts prompts;
        std::map<QString, QByteArray> files{{"korvel.ini", ini("Default")},
                                            {"deutsch.kvl", readFile(shipped("deutsch.kvl"))}};
        if (present)
            files["Default"] = readFile(shipped("deutsch.kvl"));
        Program p(startDir(files));
        QCOMPARE(p.main->LanguageName, QString("Default"));
        QCOMPARE(p.tab(0), present ? QString("ZIP-Infos") : QString("Info ZIP files"));
        QCOMPARE(p.main->M_Font->text(), present ? QString("Schriftart...") : QString("Font..."));

        // German from the chooser, then the missing file again: the table's English texts.
        p.inChooser([](Program& q) {
            q.select("deutsch.kvl");
            q.lang->findChild<QToolButton*>("B_OK")->click();
        });
        QCOMPARE(p.tab(0), QString("ZIP-Infos"));
        p.main->hooks.ApplyLanguage(p.main->inStartDir("Missing"));
        QCOMPARE(p.tab(0), QString("Info ZIP files"));
        QCOMPARE(p.tab(1), QString("Easy zip packer"));
        QCOMPARE(shownText(p.control("B_Save")), QString("Save info"));
        QCOMPARE(p.main->AllCustomCaption, QString("all custom files"));
    }

    // Without a setting the form captions stay; an empty file sets every table default.
    void emptyFileSetsTheTableDefaults() {
        ScriptedPrompts prompts;
        {
            Program plain(startDir());
            QCOMPARE(plain.main->LanguageName, QString("default"));
            QCOMPARE(plain.tab(0), QString("ZIP and MP3 info"));
            QCOMPARE(plain.tab(1), QString("Zip packer"));
            QVERIFY(prompts.texts().isEmpty());
        }
        Program p(startDir({{"empty.kvl", {}}, {"korvel.ini", ini("empty.kvl")}}));
        QCOMPARE(p.tab(0), QString("Info ZIP files"));
        QCOMPARE(p.tab(1), QString("Easy zip packer"));
        QCOMPARE(p.tab(2), QString("File manager"));
        QCOMPARE(p.main->M_Font->text(), QString("Font..."));
        QCOMPARE(p.main->File1->title(), QString("File"));
    }

    // Keys by position: "1" the Options menu, "10" its first item; a lower-case header is found.
    void menuKeysAndLowerCaseHeaders() {
        ScriptedPrompts prompts;
        Program p(startDir(
            {{"x.kvl", "[menu]\n10 = Carattere...\n1=Opzioni\n\n[BUTTONS]\nview='Guarda'\nsave info=\n"
                       "[buttons]\nview=second\nextract=second\n"},
             {"korvel.ini", ini("x.kvl")}}));
        QCOMPARE(p.main->M_Font->text(), QString("Carattere..."));
        QCOMPARE(p.main->Options1->title(), QString("Opzioni"));
        QCOMPARE(p.main->M_WW->text(), QString("Word wrap"));
        QCOMPARE(p.main->File1->title(), QString("File"));
        QCOMPARE(shownText(p.control("B_view")), QString("Guarda"));
        QCOMPARE(shownText(p.control("B_Save")), QString(""));
        QCOMPARE(shownText(p.control("B_Unzip")), QString("Extract...")); // the first section counts
        // The renamed items still act.
        QVERIFY(p.main->Options1->actions().contains(p.main->M_Font));
    }

    // The chooser is made with the main window as its parent; the main window's keys never reach
    // the chooser's controls of the same name ("Label1" of the audio page against the heading).
    void mainKeysStayOnTheMainWindow() {
        ScriptedPrompts prompts;
        Program p(
            startDir({{"x.kvl", "[MP3]\nLabel1=Artista\nLabel2=Titolo\n[Lang setup]\nLabelTop=Scegli:\n"},
                      {"korvel.ini", ini("x.kvl")}}));
        for (const char* name : {"Label1", "Label2"}) {
            const QString shown = shownText(p.lang->findChild<QLabel*>(name));
            QVERIFY2(shown != "Artista" && shown != "Titolo", qPrintable(shown));
        }
        QVERIFY(findControl(p.main.get(), "Label1") != p.lang->findChild<QLabel*>("Label1"));
    }

    // "Set as default" in the chooser stores the name in korvel.ini; the next start applies it.
    // "OK" applies for this run only.
    void setAsDefaultRoundTrip() {
        ScriptedPrompts prompts;
        const QString dir = startDir({{"italiano.kvl", readFile(shipped("italiano.kvl"))},
                                      {"deutsch.kvl", readFile(shipped("deutsch.kvl"))},
                                      {"korvel.ini", "; mine\n[Other]\nkey=kept\n"}});
        const lang::LanguageFile italian =
            lang::LanguageFile::load(QFile::encodeName(dir + "/italiano.kvl").toStdString());
        {
            Program p(dir);
            QCOMPARE(p.main->LanguageName, QString("default"));
            p.inChooser([](Program& q) {
                QCOMPARE(q.listed(), (QStringList{"deutsch.kvl", "italiano.kvl"}));
                q.select("italiano.kvl");
                q.lang->findChild<QToolButton*>("B_Def")->click();
            });
            QVERIFY(expectApplied(p, italian, languageWindows(*p.main)) >= 21);
            QVERIFY(readFile(dir + "/korvel.ini").contains("key=kept"));
            // OK: German now, not stored.
            p.inChooser([](Program& q) {
                q.select("deutsch.kvl");
                q.lang->findChild<QToolButton*>("B_OK")->click();
            });
            QCOMPARE(p.tab(0), QString("ZIP-Infos"));
        }
        const QByteArray stored = readFile(dir + "/korvel.ini");
        QVERIFY2(stored.contains("Language=italiano.kvl"), stored.constData());
        Program second(dir);
        QCOMPARE(second.main->LanguageName, QString("italiano.kvl"));
        QVERIFY(expectApplied(second, italian, languageWindows(*second.main)) >= 21);
        QCOMPARE(second.main->AllCustomCaption,
                 QString::fromStdString(italian.text("Buttons", "custom", "")));
    }

    // A start from a folder without language files offers the shipped ones, marked; choosing one
    // as the default stores it with its folder, and the next start from that folder applies it.
    void shippedFilesWhenTheStartFolderHasNone() {
        ScriptedPrompts prompts;
        const QString programDir = QStringLiteral(KORVEL_BIN_DIR);
        const QString dir = startDir();
        {
            Program p(dir, programDir);
            p.inChooser([&](Program& q) {
                const QStringList listed = q.listed();
                QVERIFY2(listed.size() >= 4, qPrintable(listed.join('|')));
                QCOMPARE(listed.mid(0, 4),
                         (QStringList{"Shipped with Korvel:", "deutsch.kvl", "english.kvl", "italiano.kvl"}));
                // The heading is no choice.
                q.box()->setCurrentRow(0);
                QVERIFY(q.lang->selectedPath().isEmpty());
                // A double click on the heading neither applies anything nor closes the chooser.
                emit q.box()->itemDoubleClicked(q.box()->item(0));
                QVERIFY(q.lang->isVisible());
                QCOMPARE(q.main->findChild<QTabWidget*>("Pagina")->tabText(0), QString("ZIP and MP3 info"));
                q.select("deutsch.kvl");
                QCOMPARE(q.lang->selectedPath(), programDir + "/deutsch.kvl");
                q.lang->findChild<QToolButton*>("B_Def")->click();
            });
            QCOMPARE(p.tab(0), QString("ZIP-Infos"));
        }
        QVERIFY(readFile(dir + "/korvel.ini").contains(QFile::encodeName(programDir + "/deutsch.kvl")));
        Program second(dir, programDir);
        QCOMPARE(second.tab(0), QString("ZIP-Infos"));

        // A folder with a language file of its own lists it first, the shipped ones still after
        // their heading.
        Program own(startDir({{"mine.kvl", "[Tabs]\nDiz=Mine\n"}}), programDir);
        own.lang->refreshFileBox();
        QCOMPARE(own.listed(), (QStringList{"mine.kvl", "Shipped with Korvel:", "deutsch.kvl", "english.kvl",
                                            "italiano.kvl"}));
    }

    // What a language cannot reach yet: only controls of windows and pages still to be built.
    void missingTargetsAreOnlyThoseOfWindowsNotBuiltYet() {
        Program p(startDir());
        const QList<QWidget*> windows = languageWindows(*p.main);
        QVERIFY(windows.contains(p.main.get()));
        QVERIFY(windows.contains(p.lang));
        const QStringList missing = missingLanguageTargets(p.lang->windows());
        qInfo().noquote() << "language targets not reachable yet:" << missing.join(", ");
        // Sections whose controls live on pages and windows of their own.
        QSet<QString> laterMain;
        for (const lang::Key& k : lang::keyTable()) {
            const QString section = test::qs(k.section);
            if (section == "Packer" || section == "MP3" || section == "FileManager")
                for (const lang::Target* t : {&k.first, &k.second})
                    if (t->isControl())
                        laterMain.insert("Main." + test::qs(t->control));
        }
        for (const QString& m : missing) {
            const QString window = m.section(QRegularExpression("[. ]"), 0, 0);
            const bool windowMissing = !findWindow(p.lang->windows(), window);
            QVERIFY2(windowMissing || laterMain.contains(m), qPrintable(m));
        }
        // Everything of the main window's buttons, menus and tabs and of the chooser is reachable.
        for (const char* c : {"Main.B_view", "Main.B_Custom", "Main.M_Font", "Main.About1", "Main.DIZPage",
                              "Main.PackPage", "LangForm.B_Def", "LangForm title"})
            QVERIFY2(!missing.contains(c), c);
    }

    // The tray on the real main window: minimise, left click, the tray menu, Restore while the
    // About box is open, and "End program" that never asks, even with unsaved changes.
    void trayStateMachine() {
        ScriptedPrompts prompts;
        Program p(startDir());
        QVERIFY(p.tray);
        QVERIFY(p.main->Tray);
        QCOMPARE(p.tray->toolTip(), QString("Korvel 2002"));
        QVERIFY(!p.main->windowIcon().isNull());
        TMain& m = *p.main;
        m.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        QVERIFY(!p.tray->isVisible());

        m.setWindowState(m.windowState() | Qt::WindowMinimized);
        QTRY_VERIFY(!m.isVisible());
        QVERIFY(p.tray->isVisible());
        p.tray->leftClick();
        QVERIFY(m.isVisible() && !m.isMinimized());
        QVERIFY(!p.tray->isVisible());

        // Right click: the menu, the window stays away.
        m.setWindowState(m.windowState() | Qt::WindowMinimized);
        QTRY_VERIFY(!m.isVisible());
        p.tray->rightClick();
        QVERIFY(m.Tray->PopupMenu()->isVisible());
        QVERIFY(!m.isVisible());
        m.Tray->PopupMenu()->hide();

        // "About Korvel..." from the tray; "Restore" meanwhile does nothing.
        bool aboutShown = false, stayedAway = false;
        QTimer::singleShot(0, [&] {
            aboutShown = p.about->isVisible();
            m.Tray->Restore1()->trigger();
            stayedAway = !m.isVisible() && p.tray->isVisible();
            p.about->findChild<QPushButton*>("B_Close")->click();
        });
        m.Tray->AboutKorvel()->trigger();
        QVERIFY(aboutShown);
        QVERIFY(stayedAway);
        m.Tray->Restore1()->trigger();
        QVERIFY(m.isVisible() && !m.isMinimized());
        QVERIFY(!p.tray->isVisible());

        // Help, "About..." shows the same box.
        QTimer::singleShot(0, [&] {
            aboutShown = p.about->isVisible();
            p.about->findChild<QPushButton*>("B_Close")->click();
        });
        aboutShown = false;
        m.About1->trigger();
        QVERIFY(aboutShown);

        // "End program" with unsaved changes: no question, the program's loop ends.
        m.Modified = true;
        m.setWindowState(m.windowState() | Qt::WindowMinimized);
        QTRY_VERIFY(!m.isVisible());
        bool ending = false;
        connect(&m, &TMain::ending, this, [&] { ending = true; });
        QTimer::singleShot(0, [&] { m.Tray->Exitprogram2()->trigger(); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(ending);
        QVERIFY(prompts.asked().empty());
        QVERIFY(m.isVisible() && !m.isMinimized());
        QVERIFY(!p.tray->isVisible());
        m.Modified = false;
    }

    // F1 anywhere in the main window opens the help page beside the program.
    void f1OpensTheHelpPage() {
        ScriptedPrompts prompts;
        QStringList opened;
        DefaultCommand::setOpener([&](const QUrl& u) {
            opened << u.toLocalFile();
            return true;
        });
        Program p(startDir());
        p.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.main.get()));
        const QString page = TMain::helpPagePath();
        QCOMPARE(page, QCoreApplication::applicationDirPath() + "/help/index.html");
        const bool existed = QFileInfo::exists(page);
        if (!existed) {
            QDir().mkpath(QFileInfo(page).path());
            writeFile(page, "<html></html>");
        }
        QTest::keyClick(p.main->LFile->view(), Qt::Key_F1);
        QCOMPARE(opened, QStringList{page});
        QVERIFY(prompts.texts().isEmpty());
        if (!existed)
            QDir(QFileInfo(page).path()).removeRecursively();
        DefaultCommand::setOpener(nullptr);
    }
};

QTEST_MAIN(TestMainWiring)
#include "test_main_wiring.moc"
