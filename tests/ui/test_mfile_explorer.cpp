// The file list view driven as a person would: keys, double clicks, header clicks, selection.
#include "QtFiles.h"
#include "platform/DefaultCommand.h"
#include "platform/Volumes.h"
#include "widgets/FileListModel.h"
#include "widgets/MFileExplorer.h"

#include <QHeaderView>
#include <QListView>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <unistd.h>

using namespace korvel;
using namespace korvel::test;

class TestMFileExplorer : public QObject {
    Q_OBJECT

    QtTempDir tmp;
    QString root; // tmp with a trailing "/"

    void touch(const QString& rel, qint64 size = 0) {
        const QString p = tmp.filePath(rel);
        writeFile(p, {});
        if (size)
            QCOMPARE(::truncate(p.toLocal8Bit().constData(), size), 0);
    }
    static void press(TMFileExplorer& l, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(l.view(), static_cast<Qt::Key>(key), mods);
    }
    static void doubleClick(TMFileExplorer& l, int row) {
        QTest::mouseClick(l.view()->viewport(), Qt::LeftButton, {}, l.rowRect(row).center());
        QTest::mouseDClick(l.view()->viewport(), Qt::LeftButton, {}, l.rowRect(row).center());
    }
    static QStringList captions(const TMFileExplorer& l) {
        QStringList c;
        for (int r = 0; r < l.rowCount(); ++r)
            c << l.rowCaption(r);
        return c;
    }

private slots:
    void initTestCase() {
        QVERIFY(tmp.isValid());
        root = tmp.path() + "/";
        QDir(tmp.path()).mkpath("Sub/Deeper");
        QDir(tmp.path()).mkpath("alpha");
        touch("b.zip", 300);
        touch("A.zip", 5'000'000'000); // sparse, over 4 GB
        touch("c.mp3", 20);
        touch("notes.txt", 1);
        touch(".secret.zip", 1);
        // The test's volumes: "/" and the temp folder as a volume root of its own.
        Volumes::setOverride(QList<Volume>{{"/", "File System (/)", "Fixed", 1024 * 1024, 1024},
                                           {tmp.path(), "Temp (" + tmp.path() + ")", "Removable", 2048, 0}});
    }
    void cleanupTestCase() { Volumes::setOverride(std::nullopt); }

    void startsOnTheDriveList() {
        TMFileExplorer l;
        QCOMPARE(l.Directory(), QString("drives"));
        QCOMPARE(l.Mask(), QString("*.*"));
        QVERIFY(l.isDriveListing());
        QCOMPARE(captions(l), QStringList({"File System (/)", "Temp (" + tmp.path() + ")"}));
        QCOMPARE(l.rowText(0, 1), QString("Fixed"));
        QCOMPARE(l.rowText(0, 2), QString("1,024 KB"));
        QCOMPARE(l.rowText(1, 3), QString("0 KB"));
        QCOMPARE(l.rowPath(1), root);
        QCOMPARE(l.model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Disk Size"));
        QCOMPARE(l.ViewStyle(), TMFileExplorer::vsSmallIcon);
    }

    void drivesCapitalisationAndMissingFolders_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("Drives") << "Drives";
        QTest::newRow("DRIVES") << "DRIVES";
        QTest::newRow("dRiVeS") << "dRiVeS";
    }
    void drivesCapitalisationAndMissingFolders() {
        QFETCH(QString, name);
        TMFileExplorer l;
        l.setDirectory(tmp.path());
        QCOMPARE(l.Directory(), root);
        QVERIFY(!l.isDriveListing());
        const int rows = l.rowCount();
        l.setDirectory(tmp.filePath("missing"));
        QCOMPARE(l.Directory(), root);
        QCOMPARE(l.rowCount(), rows);
        l.setDirectory(name);
        QCOMPARE(l.Directory(), name);
        QVERIFY(l.isDriveListing());
    }

    void maskAndFolderRows() {
        TMFileExplorer l;
        l.setMask("*.zip;*.mp3");
        l.setDirectory(tmp.path());
        QCOMPARE(captions(l), QStringList({"alpha", "Sub", "A.zip", "b.zip", "c.mp3"}));
        QCOMPARE(l.rowText(0, 1), QString(" "));
        QCOMPARE(l.rowText(2, 1), QString("4882812K"));
        QCOMPARE(l.rowText(3, 1), QString("300"));
        QCOMPARE(l.rowPath(3), root + "b.zip");
        QCOMPARE(l.model()->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Modified"));
        l.setFileType(files::ftHidden | files::ftNormal);
        QVERIFY(captions(l).contains(".secret.zip"));
    }

    void navigationKeysAndDoubleClick() {
        TMFileExplorer l;
        l.resize(400, 300);
        l.show();
        QVERIFY(QTest::qWaitForWindowExposed(&l));
        l.setDirectory(tmp.path());
        QSignalSpy keyDown(&l, &TMFileExplorer::OnKeyDown);

        l.selectRow(l.findRow("Sub"));
        press(l, Qt::Key_Return);
        QCOMPARE(l.Directory(), root + "Sub/");
        QCOMPARE(keyDown.count(), 1); // the owner still hears the key
        QCOMPARE(captions(l), QStringList({"Deeper"}));

        doubleClick(l, l.findRow("Deeper"));
        QCOMPARE(l.Directory(), root + "Sub/Deeper/");

        press(l, Qt::Key_Backspace);
        QCOMPARE(l.Directory(), root + "Sub/");
        press(l, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(l.Directory(), root);
        // The temp folder is a volume root here: up from it is the drive list.
        press(l, Qt::Key_Backspace, Qt::ShiftModifier);
        QCOMPARE(l.Directory(), QString("Drives"));
        press(l, Qt::Key_Backspace);
        QCOMPARE(l.Directory(), QString("Drives"));
        // A drive row is entered by double click.
        doubleClick(l, 1);
        QCOMPARE(l.Directory(), root);
        // Up from "/" shows the drive list.
        l.setDirectory("/");
        l.UpOneLevel();
        QCOMPARE(l.Directory(), QString("Drives"));
        // Ctrl+Shift+Up is not Ctrl+Up.
        l.setDirectory(root + "Sub/");
        press(l, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(l.Directory(), root + "Sub/");
        // Enter with nothing selected does nothing.
        l.view()->selectionModel()->clearSelection();
        press(l, Qt::Key_Enter);
        QCOMPARE(l.Directory(), root + "Sub/");
    }

    void fileDefaultCommandOnlyWithContextAction() {
        QStringList opened;
        DefaultCommand::setOpener([&](const QUrl& u) {
            opened << u.toLocalFile();
            return true;
        });
        TMFileExplorer l;
        l.setDirectory(tmp.path());
        l.selectRow(l.findRow("notes.txt"));
        press(l, Qt::Key_Return);
        QVERIFY(opened.isEmpty());
        l.ContextAction = true;
        press(l, Qt::Key_Return);
        QCOMPARE(opened, QStringList({root + "notes.txt"}));
        QCOMPARE(l.Directory(), root);
        DefaultCommand::setOpener(nullptr);
    }

    void clickRecordsSelectedPathKeyboardDoesNot() {
        TMFileExplorer l;
        l.resize(400, 300);
        l.show();
        QVERIFY(QTest::qWaitForWindowExposed(&l));
        l.setViewStyle(TMFileExplorer::vsReport);
        l.setDirectory(tmp.path());
        QSignalSpy clicks(&l, &TMFileExplorer::OnClick);
        QSignalSpy keyUps(&l, &TMFileExplorer::OnKeyUp);
        const int b = l.findRow("b.zip");
        QTest::mouseClick(l.view()->viewport(), Qt::LeftButton, {}, l.rowRect(b).center());
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(l.SelectedPath(), root + "b.zip");
        press(l, Qt::Key_Down);
        QCOMPARE(keyUps.count(), 1);
        QCOMPARE(keyUps.at(0).at(0).toInt(), int(Qt::Key_Down));
        QCOMPARE(l.focusedRow(), b + 1);
        QCOMPARE(l.SelectedPath(), root + "b.zip");
    }

    void headerClicksSortByTheColumnClickRule() {
        TMFileExplorer l;
        l.resize(600, 300);
        l.setViewStyle(TMFileExplorer::vsReport);
        l.show();
        QVERIFY(QTest::qWaitForWindowExposed(&l));
        l.setMask("*.zip;*.mp3");
        l.setDirectory(tmp.path());
        QCOMPARE(l.view(), static_cast<QAbstractItemView*>(l.reportView()));
        QHeaderView* h = l.reportView()->header();
        auto clickHeader = [&](int section) {
            const int x = h->sectionViewportPosition(section) + h->sectionSize(section) / 2;
            QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(x, h->height() / 2));
        };
        l.selectRow(l.findRow("b.zip"));
        clickHeader(1); // size, largest first, folders last
        QCOMPARE(l.SortColumn(), 1);
        QVERIFY(l.SortReverse());
        // Equal sizes keep their order: the two folders stay as they were.
        QCOMPARE(captions(l), QStringList({"A.zip", "b.zip", "c.mp3", "alpha", "Sub"}));
        QCOMPARE(l.rowCaption(l.selectedRow()), QString("b.zip")); // the selection follows its row
        clickHeader(1);
        QCOMPARE(captions(l), QStringList({"alpha", "Sub", "c.mp3", "b.zip", "A.zip"}));
        clickHeader(0); // another column: reversed, folders last
        QCOMPARE(captions(l), QStringList({"c.mp3", "b.zip", "A.zip", "Sub", "alpha"}));
        // A new listing after sorting by another column: names reversed, folders last.
        clickHeader(4);
        l.RefreshList();
        QCOMPARE(captions(l), QStringList({"c.mp3", "b.zip", "A.zip", "Sub", "alpha"}));
        // After a listing sorted by name, the next one is ascending again.
        l.RefreshList();
        QCOMPARE(captions(l), QStringList({"alpha", "Sub", "A.zip", "b.zip", "c.mp3"}));
    }

    void selectionResults() {
        TMFileExplorer l;
        l.setMultiSelect(true);
        l.setDirectory(tmp.path());
        QCOMPARE(l.SelectedFilenames(), QString());
        QCOMPARE(l.SelectedCount(), l.rowCount());
        QCOMPARE(l.SelectedSize(), quint64(0));
        auto* sel = l.view()->selectionModel();
        for (const char* name : {"b.zip", "A.zip", "Sub"})
            sel->select(l.model()->index(l.findRow(name), 0),
                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(l.SelectedFilenames(), root + "Sub;" + root + "A.zip;" + root + "b.zip");
        QCOMPARE(l.SelectedNames(), QStringList({"Sub", "A.zip", "b.zip"}));
        QCOMPARE(l.SelectedCount(), 3);
        QCOMPARE(l.SelectedSize(), quint64(5'000'000'300)); // no overflow past 4 GB
        QCOMPARE(l.SelectedTypes(), unsigned(TMFileExplorer::otFile | TMFileExplorer::otDirectory));
        l.setDirectory("drives");
        l.selectRow(0);
        QCOMPARE(l.SelectedTypes(), unsigned(TMFileExplorer::otDisk));
        QCOMPARE(l.SelectedFilenames(), QString("/"));
    }

    void viewStyles() {
        TMFileExplorer l;
        l.setViewStyle(TMFileExplorer::vsIcon);
        QCOMPARE(l.view(), static_cast<QAbstractItemView*>(l.iconView()));
        QCOMPARE(l.iconView()->viewMode(), QListView::IconMode);
        l.setViewStyle(TMFileExplorer::vsList);
        QCOMPARE(l.iconView()->viewMode(), QListView::ListMode);
        QCOMPARE(l.iconView()->flow(), QListView::TopToBottom);
        l.setViewStyle(TMFileExplorer::vsSmallIcon);
        QCOMPARE(l.iconView()->flow(), QListView::LeftToRight);
        l.setViewStyle(TMFileExplorer::vsReport);
        QCOMPARE(l.view(), static_cast<QAbstractItemView*>(l.reportView()));
        QCOMPARE(l.reportView()->header()->count(), 5);
    }

    void dragCarriesTheSourceList() {
        TMFileExplorer source, target;
        source.setDragMode(TMFileExplorer::dmAutomatic);
        source.setViewStyle(TMFileExplorer::vsIcon); // a style change keeps the drag on
        QVERIFY(source.view()->dragEnabled());
        source.setDirectory(tmp.path());
        const int b = source.findRow("b.zip");
        std::unique_ptr<QMimeData> data(source.model()->mimeData({source.model()->index(b, 0)}));
        QVERIFY(data);
        QCOMPARE(TMFileExplorer::dragSource(data.get()), &source);
        QCOMPARE(data->urls().value(0).toLocalFile(), root + "b.zip");
        QMimeData plain;
        QCOMPARE(TMFileExplorer::dragSource(&plain), nullptr);

        TMFileExplorer* seenSource = nullptr;
        int drops = 0;
        connect(&target, &TMFileExplorer::OnDragOver, this, [&](TMFileExplorer* s, QPoint, bool* accept) {
            seenSource = s;
            *accept = s != nullptr;
        });
        connect(&target, &TMFileExplorer::OnDragDrop, this,
                [&](TMFileExplorer* s, QPoint) { drops += s == &source; });
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(target.view()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(seenSource, &source);
        QDragEnterEvent foreign(QPoint(5, 5), Qt::CopyAction, &plain, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target.view()->viewport(), &foreign);
        QVERIFY(!foreign.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(target.view()->viewport(), &drop);
        QCOMPARE(drops, 1);
    }
};

QTEST_MAIN(TestMFileExplorer)
#include "test_mfile_explorer.moc"
