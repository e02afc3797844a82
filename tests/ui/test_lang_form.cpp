// The language chooser as a person uses it: the list of language files of the start-up folder,
// OK, double click, "Set as default" (stored in korvel.ini and applied at the next start), Cancel.
#include "LanguageStandIns.h"

#include "QtFiles.h"
#include "ScriptedPrompts.h"
#include "lang/ZipLang.h"
#include "platform/PathText.h"

#include <QListWidget>
#include <QToolButton>
#include <QtTest>

#include <filesystem>

using namespace korvel;
using namespace korvel::test;

namespace {

// One start of the program: its windows, the chooser among them, and what the main window keeps.
struct Program {
    explicit Program(const QString& startDir) : windows({}, &form) {
        form.setStartDir(startDir);
        form.setWindows(windows.windows());
        form.setSpecialTextsReceiver([this](const SpecialTexts& s) {
            if (s.allCustomCaption)
                AllCustomCaption = *s.allCustomCaption;
            if (s.copyPrompt)
                copyPrompt = *s.copyPrompt;
        });
    }
    QString view() const { return shownText(windows.control("Main", "B_view")); }
    QListWidget* box() { return form.findChild<QListWidget*>("FileBox"); }
    QToolButton* button(const char* name) { return form.findChild<QToolButton*>(name); }
    void select(const QString& name) {
        auto found = box()->findItems(name, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        box()->setCurrentItem(found.front());
    }
    QStringList listed() {
        QStringList out;
        for (int i = 0; i < box()->count(); ++i)
            out << box()->item(i)->text();
        return out;
    }

    TLangForm form;
    StandIns windows;
    QString AllCustomCaption = QStringLiteral("all custom files");
    QString copyPrompt = QStringLiteral("Confirm copy");
};

} // namespace

class TestLangForm : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QtTempDir> dir_;
    QString path(const QString& name) const { return dir_->filePath(name); }
    QString ini() const { return path("korvel.ini"); }

private slots:
    void init() {
        dir_ = std::make_unique<QtTempDir>();
        QVERIFY(dir_->isValid());
        writeFile(path("b.kvl"), "[Buttons]\nview=Bee\ncustom=tutti\n[Dialogs]\nCopying=Copiare\n");
        writeFile(path("A.kvl"), "[Buttons]\nview=Ay\n");
        writeFile(path("c.KVL"), "[Buttons]\nview=Cee\n");
        writeFile(path("notes.txt"), "[Buttons]\nview=Text\n");
        writeFile(path("kvl"), "");
        QVERIFY(QDir(dir_->path()).mkdir("folder.kvl"));
    }

    void listsTheLanguageFilesSorted() {
        Program p(dir_->path());
        QCOMPARE(p.listed(), (QStringList{"A.kvl", "b.kvl", "c.KVL"}));
        QCOMPARE(p.form.objectName(), QStringLiteral("LangForm"));
        QCOMPARE(p.form.windowTitle(), QStringLiteral("Customize language"));
        QCOMPARE(p.form.size(), QSize(341, 198));
    }

    void newFilesShowWhenTheWindowOpens() {
        Program p(dir_->path());
        writeFile(path("0new.kvl"), "");
        p.form.show();
        QCOMPARE(p.listed().front(), QStringLiteral("0new.kvl"));
        p.form.hide();
    }

    void okAppliesForThisRunOnly() {
        Program p(dir_->path());
        p.form.show();
        p.select("b.kvl");
        QTest::mouseClick(p.button("B_OK"), Qt::LeftButton);
        QVERIFY(!p.form.isVisible());
        QCOMPARE(p.form.result(), int(QDialog::Accepted));
        QCOMPARE(p.view(), QStringLiteral("Bee"));
        QCOMPARE(p.AllCustomCaption, QStringLiteral("tutti"));
        QCOMPARE(p.copyPrompt, QStringLiteral("Copiare"));
        QVERIFY(!QFile::exists(ini()));
        Program next(dir_->path());
        QCOMPARE(next.form.ApplyStoredLanguage(), QStringLiteral("default"));
        QCOMPARE(next.view(), QStringLiteral("form:B_view"));
    }

    void okWithoutSelectionJustCloses() {
        Program p(dir_->path());
        p.form.show();
        QTest::mouseClick(p.button("B_OK"), Qt::LeftButton);
        QVERIFY(!p.form.isVisible());
        QCOMPARE(p.view(), QStringLiteral("form:B_view"));
        QCOMPARE(p.windows.tabs()->tabText(0), QStringLiteral("ZIP and MP3 info"));
    }

    void enterInTheListActsAsOk() {
        Program p(dir_->path());
        p.form.show();
        p.select("A.kvl");
        p.box()->setFocus();
        QTest::keyClick(p.box(), Qt::Key_Return);
        QVERIFY(!p.form.isVisible());
        QCOMPARE(p.view(), QStringLiteral("Ay"));
    }

    void doubleClickApplies() {
        Program p(dir_->path());
        p.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.form));
        auto* item = p.box()->findItems("c.KVL", Qt::MatchExactly).front();
        QPoint at = p.box()->visualItemRect(item).center();
        QTest::mouseClick(p.box()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(p.box()->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(!p.form.isVisible());
        QCOMPARE(p.view(), QStringLiteral("Cee"));
        QVERIFY(!QFile::exists(ini()));
    }

    void cancelChangesNothing() {
        Program p(dir_->path());
        p.form.show();
        p.select("b.kvl");
        QTest::mouseClick(p.button("B_cancel"), Qt::LeftButton);
        QVERIFY(!p.form.isVisible());
        QCOMPARE(p.form.result(), int(QDialog::Rejected));
        QCOMPARE(p.view(), QStringLiteral("form:B_view"));
        QVERIFY(!QFile::exists(ini()));
    }

    // "Set as default" stores the name alone; the next start reads the file it wrote.
    void setAsDefaultRoundTrip() {
        writeFile(ini(), "[Window]\r\nLeft=3\r\n");
        {
            Program p(dir_->path());
            p.form.show();
            p.select("b.kvl");
            QTest::mouseClick(p.button("B_Def"), Qt::LeftButton);
            QVERIFY(!p.form.isVisible());
            QCOMPARE(p.view(), QStringLiteral("Bee"));
        }
        QCOMPARE(readFile(ini()), QByteArray("[Window]\r\nLeft=3\r\n[International]\r\nLanguage=b.kvl\r\n"));
        Program next(dir_->path());
        QCOMPARE(next.form.ApplyStoredLanguage(), QStringLiteral("b.kvl"));
        QCOMPARE(next.view(), QStringLiteral("Bee"));
        QCOMPARE(next.AllCustomCaption, QStringLiteral("tutti"));
        // Every key gets a text, so keys the file lacks show the table's.
        QCOMPARE(next.windows.tabs()->tabText(0), QStringLiteral("Info ZIP files"));
    }

    // Nothing selected: the empty name is stored and the built-in texts are applied, now and at
    // later starts, without a message.
    void setAsDefaultWithoutSelection() {
        Program p(dir_->path());
        p.form.ApplyLanguage(path("b.kvl"));
        ScriptedPrompts prompts;
        p.form.show();
        QTest::mouseClick(p.button("B_Def"), Qt::LeftButton);
        QCOMPARE(p.view(), QStringLiteral("View"));
        QCOMPARE(p.AllCustomCaption, QStringLiteral("all custom files"));
        QCOMPARE(readFile(ini()), QByteArray("[International]\r\nLanguage=\r\n"));
        Program next(dir_->path());
        QCOMPARE(next.form.ApplyStoredLanguage(), QString());
        QCOMPARE(next.view(), QStringLiteral("View"));
        QVERIFY(prompts.asked().empty());
    }

    void setAsDefaultThatCannotBeStoredStillApplies() {
        QVERIFY(QDir(dir_->path()).mkdir("korvel.ini")); // a folder where the file should be
        Program p(dir_->path());
        ScriptedPrompts prompts;
        p.form.show();
        p.select("A.kvl");
        QTest::mouseClick(p.button("B_Def"), Qt::LeftButton);
        QCOMPARE(prompts.asked().size(), std::size_t(1));
        QCOMPARE(prompts.asked().front().kind, QStringLiteral("error"));
        QVERIFY(prompts.asked().front().text.contains("korvel.ini"));
        QCOMPARE(p.view(), QStringLiteral("Ay"));
        QVERIFY(!p.form.isVisible());
    }

    // Only the exact text "default" means the built-in texts; "Default" names a file.
    void storedLanguageAtStart_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("languageName");
        QTest::addColumn<QString>("view");
        QTest::newRow("no file") << QByteArray() << "default"
                                 << "form:B_view";
        QTest::newRow("default") << QByteArray("[International]\nLanguage=default\n") << "default"
                                 << "form:B_view";
        QTest::newRow("capital Default") << QByteArray("[International]\nLanguage=Default\n") << "Default"
                                         << "Capital";
        QTest::newRow("lower-case names") << QByteArray("[international]\nlanguage=c.KVL\n") << "c.KVL"
                                          << "Cee";
        QTest::newRow("no section") << QByteArray("[Other]\nLanguage=b.kvl\n") << "default"
                                    << "form:B_view";
        QTest::newRow("missing file") << QByteArray("[International]\nLanguage=gone.kvl\n") << "gone.kvl"
                                      << "View";
    }
    void storedLanguageAtStart() {
        QFETCH(QByteArray, ini);
        QFETCH(QString, languageName);
        QFETCH(QString, view);
        writeFile(path("Default"), "[Buttons]\nview=Capital\n");
        if (!ini.isNull())
            writeFile(this->ini(), ini);
        Program p(dir_->path());
        ScriptedPrompts prompts;
        QCOMPARE(p.form.ApplyStoredLanguage(), languageName);
        QCOMPARE(p.view(), view);
        QVERIFY(prompts.asked().empty());
    }

    // The chooser's own texts come from the "Lang setup" section.
    void chooserTakesItsOwnTexts() {
        writeFile(path("i.kvl"), "[Lang setup]\nTitle=Scelta della lingua\nDefault=Predefinita\nOK=Va bene\n"
                                 "LabelBott=Nota breve\n");
        Program p(dir_->path());
        p.form.ApplyLanguage(path("i.kvl"));
        QCOMPARE(p.form.windowTitle(), QStringLiteral("Scelta della lingua"));
        QCOMPARE(p.button("B_Def")->text(), QStringLiteral("Predefinita"));
        QCOMPARE(p.button("B_OK")->text(), QStringLiteral("Va bene"));
        QCOMPARE(p.button("B_cancel")->text(), QStringLiteral("Cancel"));
        QCOMPARE(p.form.findChild<QLabel*>("Label2")->text(), QStringLiteral("Nota breve"));
        QCOMPARE(p.form.findChild<QLabel*>("Label1")->text(),
                 QStringLiteral("Please select your favourite language:"));
    }

    void errorWhileApplyingIsReported() {
        Program p(dir_->path());
        p.form.setWindows({}); // the main window and the dialogs are out of reach
        ScriptedPrompts prompts;
        p.select("b.kvl");
        auto r = p.form.ApplyLanguage(p.form.selectedPath());
        QVERIFY(!r.ok);
        QCOMPARE(prompts.texts(), QStringList{"Err language file; default English"});
        QCOMPARE(p.view(), QStringLiteral("form:B_view"));
    }

    // The shipped files are offered under their heading whatever the start folder holds; the
    // heading cannot be chosen, a shipped file applies from where it lies.
    void shippedFilesAlwaysOffered_data() {
        QTest::addColumn<bool>("ownFiles");
        QTest::newRow("start folder with its own files") << true;
        QTest::newRow("start folder without") << false;
    }
    void shippedFilesAlwaysOffered() {
        QFETCH(bool, ownFiles);
        QtTempDir program, empty;
        writeFile(program.filePath("zulu.kvl"), "[Buttons]\nview=Zulu\n");
        Program p(ownFiles ? dir_->path() : empty.path());
        p.form.setProgramDir(program.path());
        p.form.show();
        const QStringList own = ownFiles ? QStringList{"A.kvl", "b.kvl", "c.KVL"} : QStringList{};
        QCOMPARE(p.listed(), (own + QStringList{"Shipped with Korvel:", "zulu.kvl"}));
        QListWidgetItem* heading = p.box()->item(own.size());
        QVERIFY(!(heading->flags() & Qt::ItemIsSelectable));
        p.select("zulu.kvl");
        QCOMPARE(p.form.selectedPath(), QDir(program.path()).absoluteFilePath("zulu.kvl"));
        QTest::mouseClick(p.button("B_OK"), Qt::LeftButton);
        QCOMPARE(p.view(), QStringLiteral("Zulu"));
    }

    // The shipped files lie beside the executable; a start from there lists and applies them, and
    // the chooser still fits their texts.
    void shippedFilesFromTheProgramFolder() {
        Program p(QStringLiteral(KORVEL_BIN_DIR));
        QStringList listed = p.listed();
        for (const char* name : {"deutsch.kvl", "english.kvl", "italiano.kvl"})
            QVERIFY2(listed.contains(name), name);
        for (const char* name : {"italiano.kvl", "deutsch.kvl", "english.kvl"}) {
            ScriptedPrompts prompts;
            p.select(name);
            QVERIFY(p.form.ApplyLanguage(p.form.selectedPath()).ok);
            p.form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&p.form));
            auto* note = p.form.findChild<QLabel*>("Label2");
            QVERIFY2(note->heightForWidth(note->width()) <= note->height(), name);
            for (const char* b : {"B_Def", "B_cancel", "B_OK"})
                QVERIFY2(p.button(b)->width() >= p.button(b)->sizeHint().width(), b);
            if (qEnvironmentVariableIsSet("KORVEL_SCREENSHOTS"))
                p.form.grab().save(qEnvironmentVariable("KORVEL_SCREENSHOTS") + "/langform-" + name + ".png");
            p.form.hide();
        }
    }

    // A start folder or a language file named in Latin-1 bytes (an old disk): listed, chosen,
    // stored as the default and applied again at the next start.
    void latin1NamesTravelAsBytes_data() {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("Latin-1 folder") << QByteArray("d\xe9j\xe0") << QByteArray("mine.kvl");
        QTest::newRow("Latin-1 file") << QByteArray("plain")
                                      << QByteArray("fran\xe7"
                                                    "ais.kvl");
    }
    void latin1NamesTravelAsBytes() {
        QFETCH(QByteArray, folder);
        QFETCH(QByteArray, file);
        const std::string start = pathBytes(dir_->path()) + "/" + folder.toStdString();
        std::filesystem::create_directories(start);
        writeFile(start + "/" + file.toStdString(), "[Buttons]\nview=Fran\xc3\xa7"
                                                    "ais\n");
        const QString startText = pathText(start), name = pathText(file.toStdString());
        {
            Program p(startText);
            p.form.setProgramDir(QString());
            p.form.show();
            QCOMPARE(p.listed(), QStringList{name});
            p.select(name);
            QCOMPARE(pathBytes(p.form.selectedPath()), start + "/" + file.toStdString());
            QTest::mouseClick(p.button("B_Def"), Qt::LeftButton);
            QCOMPARE(p.view(), QString("Fran\u00e7ais"));
        }
        Program next(startText);
        QCOMPARE(next.form.ApplyStoredLanguage(), name);
        QCOMPARE(next.view(), QString("Fran\u00e7ais"));
    }
};

QTEST_MAIN(TestLangForm)
#include "test_lang_form.moc"
