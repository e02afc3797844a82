// Paths as the file system's bytes and as the windows' text: every byte string comes back
// unchanged, valid UTF-8 reads as its characters, other bytes as U+DC80 and up.
#include "platform/PathText.h"

#include <QtTest>

using korvel::pathBytes;
using korvel::pathText;

class TestPathText : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const auto u = [](const char16_t* s) { return QString::fromUtf16(s); };
        QTest::newRow("ascii") << QByteArray("/home/a b.zip") << QString("/home/a b.zip");
        QTest::newRow("utf-8") << QByteArray("/caf\xc3\xa9/\xe2\x82\xac.zip") << u(u"/café/€.zip");
        QTest::newRow("four-byte utf-8") << QByteArray("\xf0\x9f\x8e\xb5.mp3") << u(u"\U0001F3B5.mp3");
        QTest::newRow("latin-1") << QByteArray("caf\xe9.txt") << u(u"caf\xdce9.txt");
        QTest::newRow("latin-1 before ascii") << QByteArray("\xc0la") << u(u"\xdcc0la");
        QTest::newRow("truncated sequence") << QByteArray("a\xe2\x82") << u(u"a\xdce2\xdc82");
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << u(u"\xdcc0\xdcaf");
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xb2\x80") << u(u"\xdced\xdcb2\xdc80");
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << u(u"\xdcf4\xdc90\xdc80\xdc80");
        QTest::newRow("cp437 box drawing") << QByteArray("\xc9\xcd\xcd") << u(u"\xdcc9\xdccd\xdccd");
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void roundTrip() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(pathText(bytes.toStdString()), text);
        QCOMPARE(QByteArray::fromStdString(pathBytes(text)), bytes);
    }

    // Every pair of bytes comes back as it went.
    void everyBytePair() {
        for (int a = 0; a < 256; ++a)
            for (int b = 0; b < 256; ++b) {
                const std::string s{static_cast<char>(a), static_cast<char>(b), 'x'};
                if (pathBytes(pathText(s)) != s)
                    QFAIL(qPrintable(QString("bytes %1 %2").arg(a).arg(b)));
            }
    }
};

QTEST_GUILESS_MAIN(TestPathText)
#include "test_path_text.moc"
