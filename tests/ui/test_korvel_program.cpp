// The whole program as main() builds it: every window in its order, every subsystem's hooks, and
// a language file reaching every text of the key table on the real windows.
#include "FakeTrayIcon.h"
#include "LanguageStandIns.h"
#include "QtFiles.h"
#include "ScriptedPrompts.h"
#include "app/KorvelProgram.h"
#include "app/MainWiring.h"
#include "archive/ZipOptZ.h"
#include "archive/ZipUnzip.h"
#include "core/lang/LanguageTable.h"
#include "description/Cust_ext.h"
#include "lang/LanguageApplier.h"
#include "lang/ZipLang.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QtTest>

using namespace korvel;
using namespace korvel::test;

namespace {

// Starts the program with `startDir` as the working directory, as a user would from a folder.
struct Started {
    explicit Started(const QString& startDir) {
        QDir::setCurrent(startDir);
        program = std::make_unique<KorvelProgram>([] { return std::make_unique<test::FakeTrayIcon>(); });
        ok = program->start();
    }
    std::unique_ptr<KorvelProgram> program;
    bool ok = false;
};

// A language file giving every key a text of its own ("<section>/<key>#").
QByteArray uniqueLanguage() {
    QByteArray out;
    QString section;
    for (const lang::Key& k : lang::keyTable()) {
        if (test::qs(k.section) != section) {
            section = test::qs(k.section);
            out += "[" + section.toUtf8() + "]\n";
        }
        out += test::qs(k.key).toUtf8() + "=" + section.toUtf8() + "/" + test::qs(k.key).toUtf8() + "#\n";
    }
    return out;
}

// What the program said, less the decoder library's word: the test runs beside no libmpegdll.so.
QStringList said(const ScriptedPrompts& prompts) {
    QStringList texts = prompts.texts();
    texts.removeAll(QStringLiteral("Can't load MPEG library"));
    return texts;
}

} // namespace

class TestKorvelProgram : public QObject {
    Q_OBJECT
    QString home_ = QDir::currentPath();

private slots:
    void cleanup() { QDir::setCurrent(home_); }

    // Every window exists and every text of the key table has its control.
    void everyLanguageTargetIsReachable() {
        ScriptedPrompts prompts;
        QtTempDir dir;
        Started s(dir.path());
        QVERIFY(s.ok);
        QCOMPARE(s.program->Main.StartDir, dir.path());
        const QStringList missing = missingLanguageTargets(languageWindows(s.program->Main));
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
        QVERIFY2(said(prompts).isEmpty(), qPrintable(said(prompts).join(" | ")));
    }

    // A language file that gives each key its own text puts each text on the control the table
    // names, in every window, with no error.
    void everyKeyReachesItsControl() {
        ScriptedPrompts prompts;
        QtTempDir dir;
        writeFile(dir.filePath("unique.kvl"), uniqueLanguage());
        writeFile(dir.filePath("korvel.ini"), "[International]\nLanguage=unique.kvl\n");
        Started s(dir.path());
        QVERIFY(s.ok);
        QVERIFY2(said(prompts).isEmpty(), qPrintable(said(prompts).join(" | ")));
        const QList<QWidget*> windows = languageWindows(s.program->Main);
        int checked = 0;
        for (const lang::Key& k : lang::keyTable()) {
            const QString expected = test::qs(k.section) + "/" + test::qs(k.key) + "#";
            for (const lang::Target* t : {&k.first, &k.second}) {
                if (t->isWindowTitle()) {
                    QWidget* w = findWindow(windows, test::qs(t->window));
                    QVERIFY2(w, qPrintable(test::qs(t->window)));
                    QCOMPARE(w->windowTitle(), expected);
                    ++checked;
                } else if (t->isControl()) {
                    QWidget* w = findWindow(windows, test::qs(t->window));
                    QVERIFY2(w, qPrintable(test::qs(t->window)));
                    QObject* c = findControl(w, test::qs(t->control));
                    const QString where = test::qs(t->window) + "." + test::qs(t->control);
                    QVERIFY2(c, qPrintable(where));
                    QCOMPARE(test::shownText(c), expected);
                    ++checked;
                }
            }
        }
        QVERIFY(checked >= 96);
        QCOMPARE(s.program->Main.AllCustomCaption, QString("Buttons/custom#"));
    }

    // The shipped German file applies at start-up without a word, the Extract dialog included.
    void shippedLanguageAppliesToEveryWindow() {
        ScriptedPrompts prompts;
        QtTempDir dir;
        QVERIFY(QFile::copy(QStringLiteral(KORVEL_BIN_DIR "/deutsch.kvl"), dir.filePath("deutsch.kvl")));
        writeFile(dir.filePath("korvel.ini"), "[International]\nLanguage=deutsch.kvl\n");
        Started s(dir.path());
        QVERIFY(s.ok);
        QVERIFY2(said(prompts).isEmpty(), qPrintable(said(prompts).join(" | ")));
        QCOMPARE(s.program->Main.LanguageName, QString("deutsch.kvl"));
        auto* tabs = s.program->Main.findChild<QTabWidget*>("Pagina");
        QVERIFY(tabs);
        QVERIFY(tabs->tabText(0) != "ZIP and MP3 info");
        auto* rAll = s.program->FrmUnzip->findChild<QAbstractButton*>("R_all");
        QVERIFY(rAll);
        QVERIFY(rAll->text() != "Unzip all");
    }

    // The genre boxes are filled at start-up: an empty entry and the 148 genres.
    void genreBoxesAreFilled() {
        ScriptedPrompts prompts;
        QtTempDir dir;
        Started s(dir.path());
        QVERIFY(s.ok);
        for (const char* name : {"CB_Genre", "CB_genre2"}) {
            auto* box = s.program->Main.findChild<QComboBox*>(name);
            QVERIFY2(box, name);
            QCOMPARE(box->count(), 149);
            QCOMPARE(box->itemText(0), QString());
        }
    }

    // With KORVEL_SCREENSHOT_DIR set (run under a real display), pictures of the zip options and
    // the custom file windows for the help page.
    void helpPagePictures() {
        const QString out = qEnvironmentVariable("KORVEL_SCREENSHOT_DIR");
        if (out.isEmpty())
            QSKIP("KORVEL_SCREENSHOT_DIR not set");
        ScriptedPrompts prompts;
        QtTempDir dir;
        writeFile(dir.filePath("korvel2k.ext"), "<filename>.nfo\r\ninfo.nfo\r\nDESCRIPT.ION\r\n");
        Started s(dir.path());
        QVERIFY(s.ok);
        s.program->FrmZipOpt->B_ZipOptClick();
        QVERIFY(QTest::qWaitForWindowExposed(s.program->FrmZipOpt.get()));
        QTest::qWait(300);
        QVERIFY(s.program->FrmZipOpt->grab().save(out + "/zip-options.png"));
        s.program->FrmZipOpt->hide();
        s.program->Custom_ext->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.program->Custom_ext.get()));
        QTest::qWait(300);
        QVERIFY(s.program->Custom_ext->grab().save(out + "/custom-files.png"));
    }
};

QTEST_MAIN(TestKorvelProgram)
#include "test_korvel_program.moc"
