// The description editor as a person sees it: DOS glyphs in a fixed-pitch navy font, and every
// byte but NUL stored back as it came.

#include "description/DescriptionView.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

using namespace korvel;

namespace {

// A box with a title, shading and blocks, as description files draw them.
const QByteArray kArt = "\xC9\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBB\r\n"
                        "\xBA \x01 KORVEL \x02\xBA\r\n"
                        "\xCC\xCD\xCD\xCD\xCD\xCB\xCD\xCD\xCD\xCD\xCD\xB9\r\n"
                        "\xBA\xB0\xB1\xB2\xDB \xBA \x80\x82\x9C\xE1 \xBA\r\n"
                        "\xC8\xCD\xCD\xCD\xCD\xCA\xCD\xCD\xCD\xCD\xCD\xBC\r\n";

std::string bytes(const QByteArray& a) {
    return a.toStdString();
}

QStringList blockTexts(const QPlainTextEdit& edit) {
    QStringList lines;
    for (QTextBlock b = edit.document()->begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines;
}

QByteArray iconvFromCp437(const QByteArray& in) {
    QProcess iconv;
    iconv.start("iconv", {"-f", "CP437", "-t", "UTF-8"});
    iconv.write(in);
    iconv.closeWriteChannel();
    iconv.waitForFinished();
    return iconv.readAllStandardOutput();
}

// Types text the way a keyboard delivers it, characters outside Latin-1 included.
void type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &release);
    }
}

} // namespace

class TestDescriptionView : public QObject {
    Q_OBJECT

private slots:
    void editorLooksLikeTheDosScreen() {
        QPlainTextEdit edit;
        setupDescriptionEditor(&edit);
        QCOMPARE(edit.font().family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
        QCOMPARE(edit.palette().color(QPalette::Text), QColor(0, 0, 0x80));
        QCOMPARE(edit.lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(edit.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(edit.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }

    // The glyphs agree with the system's converter for these bytes (none of them is a control
    // byte, where the editor deliberately shows the DOS glyphs instead).
    void boxArtShowsTheCodePageGlyphsAndComesBackExactly() {
        QPlainTextEdit edit;
        setupDescriptionEditor(&edit);
        setDescriptionBytes(&edit, bytes(kArt));
        QStringList expected =
            QString::fromUtf8(iconvFromCp437(QByteArray(kArt).replace('\x01', ' ').replace('\x02', ' ')))
                .split("\r\n");
        QCOMPARE(expected.size(), 6);
        QStringList shown = blockTexts(edit);
        QCOMPARE(shown.size(), 6);
        shown[1].replace(QChar(0x263A), ' ').replace(QChar(0x263B), ' ');
        QCOMPARE(shown, expected);
        QCOMPARE(blockTexts(edit)[1], QString::fromUtf8("║ ☺ KORVEL ☻║"));
        QCOMPARE(descriptionBytes(&edit), bytes(kArt));

        // KORVEL_SCREENSHOT_DIR=... keeps a picture of the art to look at (run under xvfb-run
        // with QT_QPA_PLATFORM=xcb for the real font rendering).
        const QString shots = qEnvironmentVariable("KORVEL_SCREENSHOT_DIR");
        if (!shots.isEmpty()) {
            edit.resize(320, 160);
            edit.show();
            QVERIFY(QTest::qWaitForWindowExposed(&edit));
            QVERIFY(edit.grab().save(shots + "/description_box_art.png"));
        }
    }

    void everyByteComesBackThroughTheWidget_data() {
        QTest::addColumn<QByteArray>("data");
        QByteArray up, down;
        for (int b = 1; b < 256; ++b) {
            up.append(char(b));
            down.prepend(char(b));
        }
        QTest::newRow("0x01 to 0xFF") << up;
        QTest::newRow("0xFF to 0x01") << down;
        QTest::newRow("line ends mixed") << QByteArray("a\r\nb\nc\rd\r\r\n\n\xFF\r\n");
        QTest::newRow("no-break space at line ends") << QByteArray("\xFF\r\n\xFF \xFF");
        QTest::newRow("empty") << QByteArray();
    }
    void everyByteComesBackThroughTheWidget() {
        QFETCH(QByteArray, data);
        QPlainTextEdit edit;
        setupDescriptionEditor(&edit);
        setDescriptionBytes(&edit, bytes(data));
        std::size_t unmappable = 0;
        QCOMPARE(QByteArray::fromStdString(descriptionBytes(&edit, &unmappable)), data);
        QCOMPARE(unmappable, std::size_t(0));
    }

    // A lone LF (a Unix line end) breaks the line on screen yet stays one LF; a lone CR shows
    // its DOS glyph.
    void loneLineFeedBreaksTheLineOnScreen() {
        QPlainTextEdit edit;
        setupDescriptionEditor(&edit);
        edit.resize(400, 200);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        setDescriptionBytes(&edit, "unix\nlines\rmac");
        QCOMPARE(edit.document()->blockCount(), 1);
        QTextBlock block = edit.document()->begin();
        QVERIFY(block.layout());
        QCOMPARE(block.layout()->lineCount(), 2);
        QVERIFY(block.text().contains(QChar(0x266A)));
    }

    void typedTextIsStoredInTheCodePageWithCrLfLineEnds() {
        QPlainTextEdit edit;
        setupDescriptionEditor(&edit);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        setDescriptionBytes(&edit, "old\r\n");
        edit.moveCursor(QTextCursor::End);
        type(&edit, QString::fromUtf8("né ░"));
        QTest::keyClick(&edit, Qt::Key_Return);
        QTest::keyClicks(&edit, "x");
        QTest::keyClick(&edit, Qt::Key_Return, Qt::ShiftModifier); // a new line too, not a lone LF
        type(&edit, QString::fromUtf8("€"));
        std::size_t unmappable = 0;
        QCOMPARE(QByteArray::fromStdString(descriptionBytes(&edit, &unmappable)),
                 QByteArray("old\r\nn\x82 \xB0\r\nx\r\n?"));
        QCOMPARE(unmappable, std::size_t(1));
    }

    void setupTwiceStillGivesOneLineEndForShiftEnter() {
        QPlainTextEdit edit;
        setupDescriptionEditor(&edit);
        setupDescriptionEditor(&edit);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QTest::keyClick(&edit, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(QByteArray::fromStdString(descriptionBytes(&edit)), QByteArray("\r\n"));
    }
};

QTEST_MAIN(TestDescriptionView)
#include "test_description_view.moc"
