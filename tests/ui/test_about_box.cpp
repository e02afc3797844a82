// The About box: its texts, the History button and the scrolling panel, and Close.
#include "app/QuarnAbout.h"
#include "widgets/ScrollPanel.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

using korvel::ScrollPanel;
using korvel::TAboutBox;

class TestAboutBox : public QObject {
    Q_OBJECT

    static QPushButton* button(TAboutBox& box, const char* name) {
        auto* b = box.findChild<QPushButton*>(name);
        if (!b)
            qFatal("no button %s", name);
        return b;
    }

private slots:
    void texts() {
        TAboutBox box;
        QCOMPARE(box.objectName(), QString("AboutBox"));
        QCOMPARE(box.findChild<QLabel*>("ProductName")->text(), QString("Korvel 2002"));
        QVERIFY(QRegularExpression("^Version \\d+\\.\\d+\\.\\d+$")
                    .match(box.findChild<QLabel*>("Version")->text())
                    .hasMatch());
        QVERIFY(box.findChild<QLabel*>("Thanks")->text().startsWith("Thanks"));
        QCOMPARE(button(box, "B_history")->text(), QString("History"));
        QCOMPARE(button(box, "B_Close")->text(), QString("Close"));
    }

    void historyToggles() {
        TAboutBox box;
        box.show();
        ScrollPanel* sp1 = box.scrollPanel();
        QCOMPARE(sp1->objectName(), QString("SP1"));
        QVERIFY(!sp1->isVisible());
        QVERIFY(!sp1->isPlaying());

        QTest::mouseClick(button(box, "B_history"), Qt::LeftButton);
        QVERIFY(sp1->isVisible());
        QVERIFY(sp1->isPlaying());
        QCOMPARE(sp1->offset(), sp1->height()); // the text enters at the bottom

        QTest::mouseClick(button(box, "B_history"), Qt::LeftButton);
        QVERIFY(!sp1->isVisible());
        QVERIFY(!sp1->isPlaying());

        // Shown again, it starts over.
        QTest::mouseClick(button(box, "B_history"), Qt::LeftButton);
        QCOMPARE(sp1->offset(), sp1->height());
        box.hide();
    }

    // The text scrolls until its last line has left the top edge; then the panel hides itself.
    void historyRunsOutAndHides() {
        TAboutBox box;
        box.show();
        ScrollPanel* sp1 = box.scrollPanel();
        QTest::mouseClick(button(box, "B_history"), Qt::LeftButton);
        sp1->stop(); // stepped by hand below
        const int start = sp1->offset();
        const int steps = start + sp1->textHeight();
        QVERIFY(sp1->textHeight() > sp1->height()); // longer than the panel: it really scrolls
        QSignalSpy ran(sp1, &ScrollPanel::stopPlay);
        for (int i = 0; i < steps - 1; ++i)
            sp1->step();
        QVERIFY(sp1->isVisible());
        QCOMPARE(ran.count(), 0);
        sp1->step();
        QCOMPARE(ran.count(), 1);
        QVERIFY(!sp1->isVisible());
        QCOMPARE(sp1->offset(), start - steps);
    }

    void historyRunsOutOnItsTimer() {
        TAboutBox box;
        box.show();
        ScrollPanel* sp1 = box.scrollPanel();
        sp1->setLines({"= Short", "history"});
        sp1->setInterval(1);
        QTest::mouseClick(button(box, "B_history"), Qt::LeftButton);
        QVERIFY(sp1->isPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(!sp1->isVisible(), 20000);
        QVERIFY(!sp1->isPlaying());
    }

    // Close stops the scrolling and hides the panel, whichever way the box is left.
    void closeStopsAndHides_data() {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Close") << false;
        QTest::newRow("Esc") << true;
    }
    void closeStopsAndHides() {
        QFETCH(bool, byEscape);
        TAboutBox box;
        ScrollPanel* sp1 = box.scrollPanel();
        bool wasPlaying = false;
        QTimer::singleShot(0, [&] {
            QTest::mouseClick(button(box, "B_history"), Qt::LeftButton);
            wasPlaying = sp1->isPlaying();
            if (byEscape)
                QTest::keyClick(&box, Qt::Key_Escape);
            else
                QTest::mouseClick(button(box, "B_Close"), Qt::LeftButton);
        });
        const int result = box.exec();
        QVERIFY(wasPlaying);
        QCOMPARE(result, byEscape ? int(QDialog::Rejected) : int(QDialog::Accepted));
        QVERIFY(!box.isVisible());
        QVERIFY(!sp1->isPlaying());
        QVERIFY(sp1->isHidden());

        // Opened again, the panel starts hidden.
        box.show();
        QVERIFY(!sp1->isVisible());
        box.hide();
    }
};

QTEST_MAIN(TestAboutBox)
#include "test_about_box.moc"
