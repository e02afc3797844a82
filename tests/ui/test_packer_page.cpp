// The packer page driven as a person does: files dragged from LFileMgr and dropped on ListaZip,
// rows removed with Delete, the archive named with the save dialog, "Zip!" pressed. Archives
// made here must pass `unzip -t` and hold what was listed.
#include "ArchiveFixtures.h"
#include "ScriptedPrompts.h"
#include "app/ZipMain.h"
#include "archive/PackerPage.h"
#include "engineclient/Zip32.h"
#include "lang/LanguageApplier.h"
#include "platform/PathText.h"
#include "platform/Volumes.h"
#include "widgets/FileListModel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

using namespace korvel;
using namespace korvel::test;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

class TestPackerPage : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> tmp;
    QString dir;
    std::unique_ptr<TMain> main;
    TPackerPage* page = nullptr;

    QString at(const QString& rel) const { return dir + "/" + rel; }

    void clickRow(const QString& caption) {
        TMFileExplorer* l = page->LFileMgr;
        const int row = l->findRow(caption);
        QVERIFY2(row >= 0, qPrintable(caption));
        l->view()->scrollTo(l->model()->index(row, 0));
        QTest::mouseClick(l->view()->viewport(), Qt::LeftButton, {}, l->rowRect(row).center());
    }
    // A drag of `caption` out of LFileMgr, dropped on the packer list. True when the list took it.
    bool dragAndDrop(const QString& caption, QMimeData* data = nullptr) {
        TMFileExplorer* l = page->LFileMgr;
        std::unique_ptr<QMimeData> own;
        if (!data) {
            own.reset(l->model()->mimeData({l->model()->index(l->findRow(caption), 0)}));
            data = own.get();
        }
        QWidget* target = page->ListaZip->viewport();
        const QPoint pos(10, 10);
        QDragEnterEvent enter(pos, Qt::CopyAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(pos, Qt::CopyAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &move);
        QDropEvent drop(QPointF(pos), Qt::CopyAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }
    QStringList rows() const { return page->listedFiles(); }
    QStringList members(const std::string& archive) {
        std::string out;
        run("unzip -Z1 " + shellQuote(archive) + " 2>/dev/null", &out);
        return q(out).split('\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() {
        tmp = std::make_unique<TempDir>();
        dir = q(tmp->path().string());
        writeFile(*tmp / "one.txt", "first file\n");
        writeFile(*tmp / "two words.bin", std::string("\0\1\2\3binary", 10));
        writeFile(*tmp / "three.txt", std::string(100000, 'x'));
        writeFile(*tmp / "blocker", "a file where a folder should be");
    }

    void init() {
        main = std::make_unique<TMain>();
        QDir::setCurrent(dir);
        QVERIFY(main->FormCreate());
        page = main->PackPage;
        main->Pagina->setCurrentWidget(page);
        page->LFileMgr->setDirectory(dir);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        // The engine's own options, as at the program's start.
        QVERIFY(korvel::ZpSetOptions(defaultZipOptions()));
    }
    void cleanup() { main.reset(); }

    void pageAsLoaded() {
        QCOMPARE(page->Lstep1->text(), QString("step 1:"));
        QCOMPARE(page->Ldrag->text(), QString("Drag from here files to be zipped..."));
        QCOMPARE(page->Ldrop->text(), QString("... and drop here"));
        QCOMPARE(page->Lstep2->text(), QString("step 2:"));
        QCOMPARE(page->Lstep3->text(), QString("step 3:"));
        QCOMPARE(page->btnSaveTo->text(), QString("Choose zip file name..."));
        QCOMPARE(page->btnSaveTo->toolTip(), QString("Name of the archive file"));
        QCOMPARE(page->B_ZipOpt->text(), QString("Options..."));
        QCOMPARE(page->B_ZipOpt->toolTip(), QString("ZIP engine options"));
        QCOMPARE(page->B_ZipThem->text(), QString("Zip!"));
        QCOMPARE(page->edtZipFileName->text(), QDir::homePath() + "/zipped.zip");
        QCOMPARE(page->ListaZip->count(), 0);
        for (const char* name : {"ListaZip", "edtZipFileName", "Lstep1", "Ldrag", "Ldrop", "B_ZipThem"})
            QVERIFY2(main->findChild<QWidget*>(name), name);
        QStringList missing;
        for (const QString& m : missingLanguageTargets({main.get()}))
            for (const char* n : {"Lstep", "Ldrag", "Ldrop", "btnSaveTo", "B_ZipOpt"})
                if (m.contains(n))
                    missing << m;
        QCOMPARE(missing, QStringList());
    }

    void dropsAppendTheFileLastClicked() {
        // Before any click there is no file to add: the drop adds nothing.
        QVERIFY(dragAndDrop("one.txt"));
        QCOMPARE(rows(), QStringList());
        clickRow("one.txt");
        QVERIFY(dragAndDrop("one.txt"));
        QCOMPARE(rows(), QStringList{at("one.txt")});
        clickRow("two words.bin");
        QVERIFY(dragAndDrop("two words.bin"));
        QVERIFY(dragAndDrop("two words.bin")); // twice: listed twice
        QCOMPARE(rows(), (QStringList{at("one.txt"), at("two words.bin"), at("two words.bin")}));
    }

    // A person presses on a row and drags it away without releasing: the pressed row is the one
    // added, whatever was clicked before.
    void dropsAppendThePressedRow_data() {
        QTest::addColumn<QString>("clickedBefore");
        QTest::addColumn<QString>("pressed");
        QTest::newRow("nothing clicked") << QString() << "three.txt";
        QTest::newRow("another clicked") << "one.txt"
                                         << "two words.bin";
        QTest::newRow("same clicked") << "one.txt"
                                      << "one.txt";
    }
    void dropsAppendThePressedRow() {
        QFETCH(QString, clickedBefore);
        QFETCH(QString, pressed);
        if (!clickedBefore.isEmpty())
            clickRow(clickedBefore);
        TMFileExplorer* l = page->LFileMgr;
        const int row = l->findRow(pressed);
        QVERIFY(row >= 0);
        l->view()->scrollTo(l->model()->index(row, 0));
        QTest::mousePress(l->view()->viewport(), Qt::LeftButton, {}, l->rowRect(row).center());
        QCOMPARE(l->selectedRow(), row);
        std::unique_ptr<QMimeData> data(l->model()->mimeData({l->model()->index(l->selectedRow(), 0)}));
        QVERIFY(dragAndDrop({}, data.get()));
        QCOMPARE(rows(), QStringList{at(pressed)});
        QTest::mouseRelease(l->view()->viewport(), Qt::LeftButton, {}, l->rowRect(row).center());
    }

    void dragsFromElsewhereAreRefused() {
        clickRow("one.txt");
        QMimeData plain;
        plain.setUrls({QUrl::fromLocalFile(at("one.txt"))});
        QVERIFY(!dragAndDrop({}, &plain));
        QCOMPARE(rows(), QStringList());
        // From another of the program's file lists: taken, with LFileMgr's file.
        TMFileExplorer other;
        other.setDirectory(dir);
        std::unique_ptr<QMimeData> d(
            other.model()->mimeData({other.model()->index(other.findRow("three.txt"), 0)}));
        QVERIFY(dragAndDrop({}, d.get()));
        QCOMPARE(rows(), QStringList{at("one.txt")});
    }

    void deleteKey_data() {
        QTest::addColumn<int>("current"); // -1: none
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("left");
        QTest::newRow("current and selected") << 1 << true << int(Qt::Key_Delete) << 2;
        QTest::newRow("current, not selected") << 1 << false << int(Qt::Key_Delete) << 3;
        QTest::newRow("no current row") << -1 << false << int(Qt::Key_Delete) << 3;
        QTest::newRow("another key") << 1 << true << int(Qt::Key_Backspace) << 3;
    }
    void deleteKey() {
        QFETCH(int, current);
        QFETCH(bool, selected);
        QFETCH(int, key);
        QFETCH(int, left);
        page->ListaZip->addItems({"a", "b", "c"});
        page->ListaZip->setCurrentRow(current, selected ? QItemSelectionModel::ClearAndSelect
                                                        : QItemSelectionModel::Clear);
        page->ListaZip->setFocus();
        QTest::keyClick(page->ListaZip, Qt::Key(key));
        QCOMPARE(page->ListaZip->count(), left);
        if (left == 2)
            QCOMPARE(rows(), (QStringList{"a", "c"}));
    }

    void saveDialogNamesTheArchive_data() {
        QTest::addColumn<QString>("answer"); // "<cancel>": the user cancels
        QTest::addColumn<QString>("expected");
        QTest::newRow("no extension") << "/x/backup"
                                      << "/x/backup.zip";
        QTest::newRow("extension kept") << "/x/backup.old"
                                        << "/x/backup.old";
        QTest::newRow("dot in the folder only") << "/x.y/backup"
                                                << "/x.y/backup.zip";
        QTest::newRow("cancelled") << "<cancel>"
                                   << "typed as is";
    }
    void saveDialogNamesTheArchive() {
        QFETCH(QString, answer);
        QFETCH(QString, expected);
        page->edtZipFileName->setText("typed as is");
        QString offered;
        page->SaveDialog = [&](const QString& start) -> std::optional<QString> {
            offered = start;
            if (answer == "<cancel>")
                return std::nullopt;
            return answer;
        };
        QTest::mouseClick(page->btnSaveTo, Qt::LeftButton);
        QCOMPARE(offered, QString("typed as is"));
        QCOMPARE(page->edtZipFileName->text(), expected);
    }

    void optionsButtonOpensTheOptions() {
        int opened = 0;
        page->ShowZipOptions = [&] { ++opened; };
        QTest::mouseClick(page->B_ZipOpt, Qt::LeftButton);
        QCOMPARE(opened, 1);
    }

    void zipBuildsWhatWasListed() {
        TempDir out;
        const std::string archive = out / "made.zip";
        for (const char* f : {"one.txt", "two words.bin", "three.txt"}) {
            clickRow(f);
            QVERIFY(dragAndDrop(f));
        }
        page->edtZipFileName->setText(q(archive));
        ScriptedPrompts prompts;
        QTest::mouseClick(page->B_ZipThem, Qt::LeftButton);
        QCOMPARE(prompts.texts(), QStringList());
        QVERIFY(unzipTestPasses(archive));
        // The engine's start options keep the folders (without the leading "/").
        QStringList expected;
        for (const QString& r : rows())
            expected << r.mid(1);
        QCOMPARE(members(archive), expected);
        std::string bytes;
        run("unzip -p " + shellQuote(archive) + " " + shellQuote(expected[1].toStdString()), &bytes);
        QCOMPARE(bytes, readFile(*tmp / "two words.bin"));
        QCOMPARE(rows().size(), 3); // the list stays for another run
    }

    void zipUsesTheOptionsTheEngineHolds() {
        TempDir out;
        const std::string archive = out / "bare.zip";
        QVERIFY(korvel::ZpSetOptions(embeddingZipOptions('6'))); // as after saving a description
        clickRow("one.txt");
        QVERIFY(dragAndDrop("one.txt"));
        page->edtZipFileName->setText(q(archive));
        QTest::mouseClick(page->B_ZipThem, Qt::LeftButton);
        QCOMPARE(members(archive), QStringList{"one.txt"});
    }

    void nothingHappensWithoutFilesOrName_data() {
        QTest::addColumn<bool>("withRow");
        QTest::addColumn<QString>("name");
        QTest::newRow("empty list") << false << "made.zip";
        QTest::newRow("blank name") << true << "  \t ";
        QTest::newRow("empty name") << true << "";
    }
    void nothingHappensWithoutFilesOrName() {
        QFETCH(bool, withRow);
        QFETCH(QString, name);
        TempDir out;
        if (withRow) {
            clickRow("one.txt");
            QVERIFY(dragAndDrop("one.txt"));
        }
        page->edtZipFileName->setText(name.endsWith(".zip") ? q(out / name.toStdString()) : name);
        ScriptedPrompts prompts;
        QTest::mouseClick(page->B_ZipThem, Qt::LeftButton);
        QVERIFY(prompts.asked().empty());
        QVERIFY(fs::is_empty(out.path()));
    }

    // Failures of the engine are told once, after the run.
    void unwritableArchiveIsReported() {
        clickRow("one.txt");
        QVERIFY(dragAndDrop("one.txt"));
        page->edtZipFileName->setText(at("blocker/made.zip"));
        ScriptedPrompts prompts;
        QTest::mouseClick(page->B_ZipThem, Qt::LeftButton);
        QCOMPARE(prompts.asked().size(), size_t(1));
        QCOMPARE(prompts.asked()[0].kind, QString("error"));
        QVERIFY2(prompts.asked()[0].text.contains(at("blocker/made.zip")),
                 qPrintable(prompts.asked()[0].text));
        QVERIFY(prompts.asked()[0].text.contains("not written"));
    }

    void vanishedFileIsReported() {
        TempDir out;
        writeFile(*tmp / "brief.txt", "here for a moment");
        page->LFileMgr->RefreshList();
        for (const char* f : {"one.txt", "brief.txt"}) {
            clickRow(f);
            QVERIFY(dragAndDrop(f));
        }
        fs::remove(*tmp / "brief.txt");
        const std::string archive = out / "made.zip";
        page->edtZipFileName->setText(q(archive));
        ScriptedPrompts prompts;
        QTest::mouseClick(page->B_ZipThem, Qt::LeftButton);
        QCOMPARE(prompts.asked().size(), size_t(1));
        QVERIFY2(prompts.asked()[0].text.contains(at("brief.txt")), qPrintable(prompts.asked()[0].text));
        // What is still there was zipped.
        QVERIFY(unzipTestPasses(archive));
        QCOMPARE(members(archive), QStringList{at("one.txt").mid(1)});
    }

    void folderHistoryKeepsTheLastThirty() {
        for (int i = 0; i < 31; ++i)
            fs::create_directories(tmp->path() / "hist" / std::to_string(i));
        for (int i = 0; i < 31; ++i) {
            page->LFileMgr->setDirectory(at("hist/" + QString::number(i)));
            QTest::mouseClick(page->LFileMgr->view()->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
        }
        QCOMPARE(page->CBDirC->count(), 30);
        QCOMPARE(QDir::cleanPath(page->CBDirC->itemText(29)), at("hist/30"));
        QCOMPARE(QDir::cleanPath(page->CBDirC->itemText(0)), at("hist/1"));
        QCOMPARE(page->CBDirC->currentText(), page->LFileMgr->Directory());
        QCOMPARE(page->CB_DriveC->currentText(), Volumes::drivePart(page->LFileMgr->Directory()));
    }

    // Names that are not UTF-8 (Latin-1 from old disks): a file pressed and dragged without a
    // click, in a plain or a Latin-1 folder, is zipped under its own bytes into the archive named
    // with the save dialog: a Latin-1 name in a Latin-1 folder.
    void latin1NamesTravelAsBytes_data() {
        QTest::addColumn<QByteArray>("folder");
        QTest::newRow("plain folder") << QByteArray();
        QTest::newRow("Latin-1 folder") << QByteArray("d\xe9j\xe0 vu");
    }
    void latin1NamesTravelAsBytes() {
        QFETCH(QByteArray, folder);
        TempDir out;
        const std::string from = folder.isEmpty() ? tmp->path().string() : *tmp / folder.toStdString();
        const std::string file = from + "/l\xe9"
                                        "eme.txt",
                          dest = out / "s\xe9rie";
        writeFile(file, "Latin-1 name\n");
        fs::create_directories(dest);
        TMFileExplorer* l = page->LFileMgr;
        l->setDirectory(pathText(from));
        const int row = l->findRow(pathText("l\xe9"
                                            "eme.txt"));
        QVERIFY(row >= 0);
        QTest::mousePress(l->view()->viewport(), Qt::LeftButton, {}, l->rowRect(row).center());
        std::unique_ptr<QMimeData> data(l->model()->mimeData({l->model()->index(l->selectedRow(), 0)}));
        QVERIFY(dragAndDrop({}, data.get()));
        QTest::mouseRelease(l->view()->viewport(), Qt::LeftButton, {}, l->rowRect(row).center());
        QCOMPARE(rows(), QStringList{pathText(file)});
        page->SaveDialog = [&](const QString&) -> std::optional<QString> {
            return pathText(dest + "/caf\xe9");
        };
        QTest::mouseClick(page->btnSaveTo, Qt::LeftButton);
        ScriptedPrompts prompts;
        QTest::mouseClick(page->B_ZipThem, Qt::LeftButton);
        QCOMPARE(prompts.texts(), QStringList());
        const std::string archive = dest + "/caf\xe9.zip";
        QVERIFY(unzipTestPasses(archive));
        std::string names, bytes;
        run("zipinfo -1 " + shellQuote(archive), &names);
        QCOMPARE(names, file.substr(1) + "\n");
        run("unzip -p " + shellQuote(archive) + " " + shellQuote(file.substr(1)), &bytes);
        QCOMPARE(bytes, std::string("Latin-1 name\n"));
        fs::remove(file);
    }
};

QTEST_MAIN(TestPackerPage)
#include "test_packer_page.moc"
