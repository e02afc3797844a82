// The description area showing descriptions as their authors drew them, against the real engines
// and archives made by `zip`: the code page menu and korvel.ini, the picture of an ANSI
// description and its raw text, saves that keep every untouched byte, the refusal of a character
// the page lacks, the SAUCE fields, and the picture and text exports.
#include "ArchiveFixtures.h"
#include "RenderSupport.h"
#include "ScriptedPrompts.h"
#include "app/ZipMain.h"
#include "core/ProfileFile.h"
#include "description/DescriptionController.h"
#include "description/DescriptionDisplay.h"
#include "engineclient/Engines.h"
#include "widgets/DizPage.h"

#include <QAction>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

using namespace korvel;
using namespace korvel::test;

class TestDescriptionDisplay : public QObject {
    Q_OBJECT

    TempDir t;
    std::string start, archives;
    ScriptedPrompts prompts;
    std::unique_ptr<TMain> main;
    DescriptionController* controller = nullptr;

    DescriptionDisplay& display() { return controller->display(); }
    void makeArchive(const std::string& name, const std::string& diz) {
        const std::string dir = t / ("src-" + name);
        fs::create_directories(dir);
        writeFile(dir + "/file_id.diz", diz);
        writeFile(dir + "/other.txt", "other member");
        QCOMPARE(zipTool(dir, shellQuote(archives + "/" + name) + " file_id.diz other.txt"), 0);
    }
    void select(const std::string& name) {
        main->CurrentFile = QString::fromStdString(archives + "/" + name);
        main->GetInfo(main->CurrentFile);
    }
    std::string stored(const std::string& name) {
        std::string out;
        run("unzip -p " + shellQuote(archives + "/" + name) + " file_id.diz", &out);
        return out;
    }
    QAction* pageItem(const QString& name) {
        return main->findChild<QAction*>(QStringLiteral("M_CodePage_") + name);
    }
    void typeAtEnd(const QString& text) {
        main->DIZEdit->moveCursor(QTextCursor::End);
        QTest::keyClicks(main->DIZEdit, text);
    }
    void save() { QTest::mouseClick(main->B_Save, Qt::LeftButton); }

private slots:
    void initTestCase() {
        QVERIFY(Engines::load());
        start = t / "start";
        archives = t / "archives";
        fs::create_directories(start);
        fs::create_directories(archives);
        fs::create_directories(t / "temps");
        QDir::setCurrent(QString::fromStdString(start));
        main = std::make_unique<TMain>();
        controller = new DescriptionController(*main);
        controller->setTempBase(t / "temps");
        QVERIFY(main->FormCreate());
        main->pgm_init();
    }
    void cleanupTestCase() { main.reset(); }
    void init() {
        main->Modified = false;
        main->B_Save->setEnabled(false);
        main->M_RawText->setChecked(false);
        main->DIZEdit->clear();
        display().chooseDetectUtf8(true);
        pageItem("CP437")->trigger();
        prompts.clear();
    }

    // A description in each page: shown as its letters, stored back byte for byte after an edit
    // at its end.
    void pagesShowAndStore_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shows");
        QTest::newRow("437 box and accent")
            << "CP437" << QByteArray("\xC9\xCD\xBB caf\x82\r\n") << "╔═╗ café\n";
        QTest::newRow("850") << "CP850" << QByteArray("\x9B\x9D \xD0\r\n") << "øØ ð\n";
        QTest::newRow("852") << "CP852" << QByteArray("\xA5\x86\x88\r\n") << "ąćł\n";
        QTest::newRow("866") << "CP866" << QByteArray("\x8f\xe0\xa8\xa2\xa5\xe2\r\n") << "Привет\n";
        QTest::newRow("1252") << "Windows-1252" << QByteArray("\x80 \x93q\x94\r\n") << "€ “q”\n";
        QTest::newRow("8859-1") << "ISO-8859-1" << QByteArray("\xE9t\xE9\r\n") << "été\n";
        QTest::newRow("utf-8 by itself") << "CP437"
                                         << QByteArray("Gr\xC3\xBC\xC3\x9F"
                                                       "e\r\n")
                                         << "Grüße\n";
    }
    void pagesShowAndStore() {
        QFETCH(QString, page);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shows);
        pageItem(page)->trigger();
        static int made = 0;
        const std::string name = "page-" + std::to_string(++made) + ".zip";
        makeArchive(name, bytes.toStdString());
        select(name);
        QString text = main->DIZEdit->document()->toRawText();
        text.replace(QChar(0x2029), QLatin1Char('\n'));
        QCOMPARE(text, shows);
        typeAtEnd(QStringLiteral("ok"));
        save();
        QVERIFY2(prompts.asked().empty(), qPrintable(prompts.texts().join(QLatin1Char('|'))));
        QCOMPARE(stored(name), bytes.toStdString() + "ok");
        QVERIFY(!main->Modified);
    }

    // The choice is kept in korvel.ini and read by the next start.
    void theChoiceIsKeptInKorvelIni() {
        pageItem("CP866")->trigger();
        display().chooseDetectUtf8(false);
        const ProfileFile ini = ProfileFile::load(start + "/korvel.ini");
        QCOMPARE(ini.value("Description", "CodePage", ""), std::string("CP866"));
        QCOMPARE(ini.value("Description", "DetectUTF8", ""), std::string("0"));
        TMain next;
        auto* c = new DescriptionController(next);
        QVERIFY(next.FormCreate());
        QCOMPARE(c->display().setting().page, CodePage::Cp866);
        QVERIFY(!c->display().setting().detectUtf8);
        emit next.M_CodePage->aboutToShow();
        QVERIFY(next.findChild<QAction*>("M_CodePage_CP866")->isChecked());
        QVERIFY(!next.M_DetectUtf8->isChecked());
    }

    // A typed character the page lacks: refused, named, nothing saved, the edit kept.
    void aMissingCharacterIsRefused() {
        makeArchive("refuse.zip", "plain\r\n");
        select("refuse.zip");
        typeAtEnd(QStringLiteral("5"));
        main->DIZEdit->textCursor().insertText(QStringLiteral("€")); // no key on the test keyboard
        QVERIFY(main->Modified);
        save();
        QCOMPARE(prompts.asked().size(), std::size_t(1));
        QVERIFY2(prompts.asked()[0].text.contains(QStringLiteral("U+20AC")),
                 qPrintable(prompts.asked()[0].text));
        QVERIFY(prompts.asked()[0].text.contains(QStringLiteral("CP437")));
        QCOMPARE(stored("refuse.zip"), std::string("plain\r\n"));
        QVERIFY(main->Modified);
        QVERIFY(main->B_Save->isEnabled());
    }

    // An ANSI description: the picture, read-only; raw text with the escapes visible; a save that
    // keeps every sequence not touched.
    void ansiPictureAndRawEdit() {
        const std::string art = "\x1b[1;33;44mKorvel\x1b[0m \xB2\xB2\r\n\x1b[31mred\x1b[0m\r\n";
        makeArchive("ansi.zip", art);
        select("ansi.zip");
        QVERIFY(display().pictureShown());
        const QPixmap pic = main->DIZPage->DIZPicture->pixmap();
        QCOMPARE(pic.width(), 640);
        QCOMPARE(pic.height(), 32);
        const QImage img = pic.toImage();
        QCOMPARE(img.pixelColor(0, 0), QColor(0x00, 0x00, 0xAA)); // blue background of "K"

        main->M_RawText->trigger();
        QVERIFY(!display().pictureShown());
        QVERIFY(main->DIZEdit->toPlainText().startsWith(QStringLiteral("←[1;33;44mKorvel")));
        typeAtEnd(QStringLiteral("x"));
        save();
        QVERIFY2(prompts.asked().empty(), qPrintable(prompts.texts().join(QLatin1Char('|'))));
        QCOMPARE(stored("ansi.zip"), art + "x");
        main->M_RawText->trigger();
        QVERIFY(display().pictureShown());
    }

    // SAUCE: the fields over the text, the tail not in the editor and stored back unchanged.
    void sauceFieldsAndTail() {
        SauceFields f;
        f.title = "Logo";
        f.author = "Artist";
        f.group = "Crew";
        f.comments = {"hello"};
        const std::string text = "\x1b[32mgreen\x1b[0m\r\n";
        const std::string file = text + sauceTail(f, static_cast<std::uint32_t>(text.size()));
        display().showDescription(file);
        QVERIFY(main->DIZPage->LSauce->isVisibleTo(main.get()));
        QVERIFY(main->DIZPage->LSauce->text().contains(QStringLiteral("Title: Logo")));
        QVERIFY(main->DIZPage->LSauce->text().contains(QStringLiteral("Author: Artist")));
        QVERIFY(main->DIZPage->LSauce->text().contains(QStringLiteral("Comment: hello")));
        QVERIFY(!main->DIZEdit->toPlainText().contains(QStringLiteral("SAUCE")));
        QCOMPARE(display().bytesToStore(), file);
        main->M_RawText->trigger();
        typeAtEnd(QStringLiteral("more"));
        const std::string edited = text + "more" + sauceTail(f, static_cast<std::uint32_t>(text.size()));
        QCOMPARE(display().bytesToStore(), edited);
        display().showDescription("no record");
        QVERIFY(!main->DIZPage->LSauce->isVisibleTo(main.get()));
    }

    void exports() {
        display().showDescription("\x1b[41mred\x1b[0m\r\nsecond \x01\r\n");
        QStringList asked;
        display().askSavePath = [&](const QString& title, const QString& suggested, const QString&) {
            asked << title << suggested;
            return QString::fromStdString(t / (suggested.endsWith(".png") ? "out.png" : "out.txt"));
        };
        main->M_ExportPicture->trigger();
        main->M_ExportText->trigger();
        QCOMPARE(asked, (QStringList{"Export picture...", "file_id.png", "Export text...", "file_id.txt"}));
        const QImage img(QString::fromStdString(t / "out.png"));
        QCOMPARE(img.size(), QSize(640, 32));
        QCOMPARE(img.pixelColor(0, 0), QColor(0xAA, 0x00, 0x00));
        QCOMPARE(readFile(t / "out.txt"), std::string("red\nsecond \u263A\n"));
        display().askSavePath = [&](const QString&, const QString&, const QString&) {
            return QString::fromStdString(t / "no/such/folder/x.png");
        };
        main->M_ExportPicture->trigger();
        QCOMPARE(prompts.asked().size(), std::size_t(1));
    }
};

QTEST_MAIN(TestDescriptionDisplay)
#include "test_description_display.moc"
