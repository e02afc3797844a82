// "Catalogue folder..." as a person uses it: the Options menu item for the browsed folder, the
// file picked, the progress window with Cancel, the finished catalogue opened.
#include "QtFiles.h"
#include "app/ZipMain.h"
#include "catalog/CatalogueWindow.h"
#include "platform/DefaultCommand.h"
#include "platform/PathText.h"
#include "platform/Volumes.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>

using namespace korvel;
using namespace korvel::test;

class TestCatalogueWindow : public QObject {
    Q_OBJECT

    QtTempDir tmp;
    QString files;

    static bool python(const QString& dir, const QString& script) {
        QProcess p;
        p.setWorkingDirectory(dir);
        p.start(QStringLiteral("python3"), {QStringLiteral("-c"), script});
        return p.waitForFinished(120000) && p.exitCode() == 0;
    }
    static LookupRequest automatic() {
        LookupRequest r;
        r.allCustomCaption = r.customCaption = "all custom files";
        return r;
    }
    QStringList filesIn(const QString& dir) { return QDir(dir).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void initTestCase() {
        QVERIFY(tmp.isValid());
        files = tmp.filePath(QStringLiteral("files"));
        QVERIFY(python(tmp.path(),
                       QStringLiteral("import zipfile, os\n"
                                      "os.makedirs('files/sub', exist_ok=True)\n"
                                      "with zipfile.ZipFile('files/GAME.ZIP', 'w') as z:\n"
                                      "    z.writestr('FILE_ID.DIZ', b'\\xc9\\xcd\\xbb Space Game\\r\\n')\n"
                                      "with zipfile.ZipFile('files/sub/tool.zip', 'w') as z:\n"
                                      "    z.writestr('readme.txt', b'A tool\\r\\n')\n"
                                      "open('files/broken.zip', 'wb').write(b'no archive')\n")));
        Volumes::setOverride(QList<Volume>{{"/", "File System (/)", "Fixed", 1 << 20, 1 << 10}});
    }

    void menuItemCataloguesTheBrowsedFolder() {
        TMain m;
        QStringList asked;
        m.hooks.CatalogueFolder = [&](const QString& folder) { asked << folder; };
        QVERIFY(m.FormCreate());
        QCOMPARE(m.Cataloguefolder1->text(), QStringLiteral("C&atalogue folder..."));
        const QList<QAction*> options = m.Options1->actions();
        const qsizetype at = options.indexOf(m.Cataloguefolder1); // key "15": after the language
        QVERIFY(at > 0 && options[at - 1] == m.Changelanguage1);
        m.LFile->setDirectory(QStringLiteral("drives"));
        emit m.Options1->aboutToShow();
        QVERIFY(!m.Cataloguefolder1->isEnabled());
        m.LFile->setDirectory(files);
        emit m.Options1->aboutToShow();
        QVERIFY(m.Cataloguefolder1->isEnabled());
        m.Cataloguefolder1->trigger();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(QDir(asked[0]).canonicalPath(), QDir(files).canonicalPath());
    }

    void writesTheKindTheNameAsksForAndOpensIt_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("marker");
        QTest::newRow("html") << "catalog.html"
                              << "<input id=\"search\"";
        QTest::newRow("bbs") << "FILES.BBS"
                             << "(damaged: not a ZIP archive";
        QTest::newRow("json") << "catalog.jsonl"
                              << "\"path\":";
    }
    void writesTheKindTheNameAsksForAndOpensIt() {
        QFETCH(QString, file);
        QFETCH(QString, marker);
        QWidget parent;
        TCatalogue w(&parent);
        const QString out = tmp.filePath(QStringLiteral("out/") + file);
        QDir().mkpath(tmp.filePath(QStringLiteral("out")));
        QString suggested;
        w.PickOutput = [&](QWidget*, const QString& s) {
            suggested = s;
            return out;
        };
        QList<QUrl> opened;
        DefaultCommand::setOpener([&](const QUrl& u) {
            opened << u;
            return true;
        });
        QSignalSpy done(&w, &TCatalogue::finished);
        w.catalogueFolder(files, automatic());
        QVERIFY(w.isVisible());
        QVERIFY(w.findChild<QProgressBar*>(QStringLiteral("ProgressBar")));
        QVERIFY(done.wait(60000));
        DefaultCommand::setOpener(nullptr);
        QCOMPARE(done.at(0).at(0).toBool(), true);
        QVERIFY(!w.isVisible());
        QCOMPARE(suggested, QDir(files).filePath(QStringLiteral("index.html")));
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY2(text.contains(marker.toUtf8()), text.left(400).constData());
        QVERIFY(text.contains("sub/tool.zip")); // the folders below too
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].toLocalFile(), out);
    }

    // A browsed folder whose name is Latin-1 bytes (from an old disk) is catalogued by those bytes.
    void latin1FolderIsCatalogued() {
        const std::string folder = pathBytes(tmp.path()) + "/d\xe9j\xe0";
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(pathBytes(files) + "/GAME.ZIP", folder + "/caf\xe9.zip");
        TCatalogue w;
        const QString out = tmp.filePath(QStringLiteral("latin1.jsonl"));
        w.PickOutput = [&](QWidget*, const QString&) { return out; };
        DefaultCommand::setOpener([](const QUrl&) { return true; });
        QSignalSpy done(&w, &TCatalogue::finished);
        w.catalogueFolder(pathText(folder), automatic());
        QVERIFY(done.wait(60000));
        DefaultCommand::setOpener(nullptr);
        QCOMPARE(done.at(0).at(0).toBool(), true);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY2(text.contains("Space Game"), text.left(400).constData());
    }

    void nothingHappensWithoutAFile() {
        TCatalogue w;
        w.PickOutput = [](QWidget*, const QString&) { return QString(); };
        QSignalSpy done(&w, &TCatalogue::finished);
        w.catalogueFolder(files, automatic());
        QVERIFY(!w.isVisible());
        QVERIFY(!w.running());
        QCOMPARE(done.size(), 0);
    }

    void cancelLeavesTheOldFileAndNoTemporary() {
        // Work enough to be caught midway however fast the lookups get: an archive of 60,000
        // members under 2,000 names (about 2.5 ms of lookups each).
        QVERIFY(python(tmp.path(),
                       QStringLiteral("import zipfile, os\n"
                                      "os.makedirs('big', exist_ok=True)\n"
                                      "with zipfile.ZipFile('big/0.zip', 'w') as z:\n"
                                      "    for i in range(60000): z.writestr('m%d' % i, '')\n"
                                      "for i in range(1, 2000): os.link('big/0.zip', 'big/%d.zip' % i)\n")));
        const QString outDir = tmp.filePath(QStringLiteral("cancel"));
        QDir().mkpath(outDir);
        const QString out = outDir + QStringLiteral("/FILES.BBS");
        {
            QFile old(out);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old\r\n");
        }
        TCatalogue w;
        w.PickOutput = [&](QWidget*, const QString&) { return out; };
        bool openedAnything = false;
        DefaultCommand::setOpener([&](const QUrl&) { return openedAnything = true; });
        QSignalSpy done(&w, &TCatalogue::finished);
        w.catalogueFolder(tmp.filePath(QStringLiteral("big")), automatic());
        QTRY_VERIFY_WITH_TIMEOUT(w.LStatus->text().contains(QStringLiteral(" of 2000 archives")), 20000);
        QTest::mouseClick(w.B_Cancel, Qt::LeftButton);
        QVERIFY(done.size() == 1 || done.wait(60000));
        DefaultCommand::setOpener(nullptr);
        QCOMPARE(done.at(0).at(0).toBool(), false);
        QVERIFY(!openedAnything);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old\r\n"));
        // What was done is kept for the next run; nothing half-written is left.
        QCOMPARE(filesIn(outDir),
                 (QStringList{QStringLiteral("FILES.BBS"), QStringLiteral("FILES.BBS.korvel-cache")}));
    }
};

QTEST_MAIN(TestCatalogueWindow)
#include "test_catalogue_window.moc"
