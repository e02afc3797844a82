// The busy window: its caption, its animation playing while engine work runs on, other windows
// blocked meanwhile, and the work's result and callbacks coming back to the window thread.
#include "ArchiveFixtures.h"
#include "archive/ZipWait.h"
#include "engineclient/ArchiveEngine.h"
#include "engineclient/Engines.h"
#include "platform/SinkOnThread.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <thread>

using namespace korvel;

class TestZipWait : public QObject {
    Q_OBJECT
private slots:
    void captionAndParts() {
        TFrmWaitZip w;
        QCOMPARE(w.windowTitle(), QString("Processing, please wait..."));
        QVERIFY(w.findChild<FileCopyAnimation*>("Anm1"));
        QVERIFY(w.findChild<QLabel*>("Image1"));
        QCOMPARE(w.objectName(), QString("FrmWaitZip"));
    }

    void keepsPaintingWhileTheWorkRuns() {
        TFrmWaitZip w;
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        int paintsDuring = 0;
        bool visibleDuring = false, modalDuring = false;
        QThread* guiThread = QThread::currentThread();
        bool workOnWorker = false;
        int r = w.runBusy([&] {
            workOnWorker = QThread::currentThread() != guiThread;
            const int before = w.Anm1->paintCount();
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
            paintsDuring = w.Anm1->paintCount() - before;
            visibleDuring = w.isVisible();
            modalDuring = QApplication::activeModalWidget() == &w;
            return 42;
        });
        QCOMPARE(r, 42);
        QVERIFY(workOnWorker);
        QVERIFY(visibleDuring);
        QVERIFY(modalDuring);
        QVERIFY2(paintsDuring >= 5, qPrintable(QString::number(paintsDuring)));
        QVERIFY(!w.isVisible());
        QVERIFY(!w.Anm1->isRunning());
        QCOMPARE(w.Anm1->frame(), 0); // back on the stop frame
    }

    void escapeAndCloseDoNothingWhileBusy() {
        TFrmWaitZip w;
        w.runBusy([&] {
            QMetaObject::invokeMethod(&w, [&] {
                QTest::keyClick(&w, Qt::Key_Escape);
                w.close();
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            return 0;
        });
        QVERIFY(!w.isVisible());
    }

    void exceptionsComeBackToTheCaller() {
        bool caught = false;
        try {
            runWithBusyWindow([]() -> int { throw std::runtime_error("engine failed"); });
        } catch (const std::runtime_error& e) {
            caught = QString(e.what()) == "engine failed";
        }
        QVERIFY(caught);
    }

    void extractionWithTheBusyWindow() {
        QVERIFY(Engines::load());
        korvel::test::TempDir t;
        korvel::test::writeFile(t / "in/a.txt", "aaa");
        QCOMPARE(korvel::test::zipTool(t.path().string(), "-r a.zip in"), 0);
        QStringList listed;
        UnzipSink sink;
        QThread* gui = QThread::currentThread();
        bool allOnGui = true;
        sink.listedMember = [&](const ArchiveMember& m) {
            listed << QString::fromStdString(m.name);
            allOnGui = allOnGui && QThread::currentThread() == gui;
        };
        ScopedUnzipSink scope(sink, dispatchToThisThread());
        int r = runWithBusyWindow([&] {
            QByteArray path = QString::fromStdString(t / "a.zip").toUtf8();
            DCL d;
            fillListingRequest(d, path.data());
            USERFUNCTIONS f;
            Init_UnzipUserFunctions(f);
            int l = Wiz_SingleEntryUnzip({}, d, f);
            ExtractFlags x;
            x.ndflag = true;
            return l + ArchiveEngine::extract(t / "a.zip", t / "out", {}, x);
        });
        QCOMPARE(r, 0);
        QCOMPARE(listed, QStringList({"in/", "in/a.txt"}));
        QVERIFY(allOnGui);
        QCOMPARE(QString::fromStdString(korvel::test::readFile(t / "out/in/a.txt")), QString("aaa"));
    }
};

QTEST_MAIN(TestZipWait)
#include "test_zip_wait.moc"
