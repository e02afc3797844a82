// The help page opener, and the shipped help page itself.
#include "QtFiles.h"
#include "ScriptedPrompts.h"
#include "platform/HelpPage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

class TestHelpPage : public QObject {
    Q_OBJECT
private slots:
    void defaultIsBesideTheExecutable() {
        QCOMPARE(korvel::helpPagePath(), QCoreApplication::applicationDirPath() + "/help/index.html");
    }

    void opensThePage() {
        korvel::test::QtTempDir dir;
        korvel::test::writeFile(dir.filePath("help/index.html"), "<html></html>");
        korvel::ScriptedPrompts prompts;
        QList<QUrl> opened;
        QVERIFY(korvel::openHelpPage(nullptr, dir.path(), [&](const QUrl& u) {
            opened << u;
            return true;
        }));
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(dir.filePath("help/index.html"))});
        QVERIFY(prompts.asked().empty());
    }

    // A missing page, a folder in its place, or no browser: the user is told where the page
    // should be, and nothing is opened.
    void failuresAreReported_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<bool>("browser");
        QTest::addColumn<QString>("says");
        QTest::newRow("no help folder") << "" << true << "cannot be found";
        QTest::newRow("folder named index.html") << "dir" << true << "cannot be found";
        QTest::newRow("no browser") << "file" << false << "No web browser";
    }
    void failuresAreReported() {
        QFETCH(QString, layout);
        QFETCH(bool, browser);
        QFETCH(QString, says);
        korvel::test::QtTempDir dir;
        if (layout == "dir")
            QVERIFY(QDir(dir.path()).mkpath("help/index.html"));
        if (layout == "file")
            korvel::test::writeFile(dir.filePath("help/index.html"), {});
        korvel::ScriptedPrompts prompts;
        int calls = 0;
        QVERIFY(!korvel::openHelpPage(nullptr, dir.path(), [&](const QUrl&) {
            ++calls;
            return browser;
        }));
        QCOMPARE(calls, layout.isEmpty() || layout == "dir" ? 0 : 1);
        QCOMPARE(int(prompts.asked().size()), 1);
        QCOMPARE(prompts.asked()[0].kind, QString("error"));
        QVERIFY2(prompts.asked()[0].text.contains(says), qPrintable(prompts.asked()[0].text));
        QVERIFY(prompts.asked()[0].text.contains(dir.filePath("help/index.html")));
    }

    // The page built beside the program: its pictures and links stay inside the help folder (so
    // an installed copy is whole), and every in-page link has its target.
    void shippedPageIsSelfContained() {
        const QString page = QStringLiteral(KORVEL_BIN_DIR) + "/help/index.html";
        QFile f(page);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(page));
        const QString html = QString::fromUtf8(f.readAll());
        QVERIFY(html.contains("<title>"));

        QStringList ids;
        for (const auto& m : QRegularExpression(R"re(\sid="([^"]+)")re").globalMatch(html))
            ids << m.captured(1);
        int links = 0;
        for (const auto& m : QRegularExpression(R"re((?:src|href)="([^"]*)")re").globalMatch(html)) {
            const QString target = m.captured(1);
            ++links;
            if (target.startsWith('#')) {
                QVERIFY2(ids.contains(target.mid(1)), qPrintable("no anchor for " + target));
                continue;
            }
            QVERIFY2(!target.contains("://") && !target.startsWith('/') && !target.contains(".."),
                     qPrintable("leaves the help folder: " + target));
        }
        QVERIFY(links > 10);
        // The pictures the program can make of itself are there.
        for (const char* img : {"img/about.png", "img/about-history.png", "img/tray-menu.png"}) {
            QVERIFY2(html.contains(img), img);
            QVERIFY2(QFile::exists(QStringLiteral(KORVEL_BIN_DIR) + "/help/" + img), img);
        }
    }
};

QTEST_MAIN(TestHelpPage)
#include "test_help_page.moc"
