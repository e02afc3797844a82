// The zip engine options dialog against the real zip engine: what it shows on opening, saving,
// resetting, closing without saving, the level box and its up-down buttons, and the refusal.
#include "ScriptedPrompts.h"
#include "archive/ZipOptZ.h"
#include "engineclient/Engines.h"
#include "engineclient/Zip32.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace korvel;

class TestZipOpt : public QObject {
    Q_OBJECT
    std::unique_ptr<TFrmZipOpt> dlg;
    ScriptedPrompts prompts;

    QStringList checked() const {
        QStringList names;
        for (QCheckBox* c : dlg->findChildren<QCheckBox*>())
            if (c->isChecked())
                names << c->objectName();
        names.sort();
        return names;
    }
    void open() {
        dlg->hide();
        dlg->B_ZipOptClick();
        QVERIFY(dlg->isVisible());
        QVERIFY(!dlg->isModal());
    }

private slots:
    void initTestCase() {
        QVERIFY(Engines::load());
        dlg = std::make_unique<TFrmZipOpt>();
        QCOMPARE(TFrmZipOpt::instance(), dlg.get());
    }

    // Must run first: nothing has set options in this process yet.
    void firstOpeningShowsTheEngineOptionsNotTheFormStates() {
        QVERIFY(dlg->chJunkDir->isChecked()); // the form's stored state, never seen
        open();
        QCOMPARE(checked(), QStringList{"chGrow"});
        QCOMPARE(dlg->edtLevel->text(), QString("6"));
        QCOMPARE(dlg->windowTitle(), QString("Zip engine options"));
        for (const char* name :
             {"GroupBox2", "Label2", "UpDown1", "B_ZipDefault", "B_SetZipOpt", "B_Close", "Image1"})
            QVERIFY2(dlg->findChild<QObject*>(name), name);
        QCOMPARE(dlg->B_ZipDefault->text(), QString("Reset to default"));
        QCOMPARE(dlg->B_SetZipOpt->text(), QString("Save options and close"));
        QCOMPARE(dlg->B_Close->text(), QString("Close without saving"));
        // The common options are blue, the others black.
        QCOMPARE(dlg->chGrow->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(dlg->chMove->palette().color(QPalette::WindowText) != QColor(0, 0, 255));
    }

    void resetThenCloseWithoutSavingKeepsTheDefaults() {
        open();
        QTest::mouseClick(dlg->B_ZipDefault, Qt::LeftButton);
        QVERIFY(dlg->isVisible());
        QCOMPARE(checked(), (QStringList{"chGrow", "chRecurseDir"}));
        QTest::mouseClick(dlg->B_Close, Qt::LeftButton);
        QVERIFY(!dlg->isVisible());
        const ZPOPT o = korvel::ZpGetOptions();
        QCOMPARE(o.fRecurse, 1);
        QVERIFY(o.fGrow != 0);
        QCOMPARE(o.fLevel, '6');
    }

    void closingWithoutSavingShowsTheEngineOptionsAgain() {
        open();
        dlg->chMove->setChecked(true);
        dlg->chGrow->setChecked(false);
        dlg->edtLevel->setText("2");
        QTest::mouseClick(dlg->B_Close, Qt::LeftButton);
        open();
        QCOMPARE(checked(), (QStringList{"chGrow", "chRecurseDir"}));
        QCOMPARE(dlg->edtLevel->text(), QString("6"));
    }

    void savingHandsEveryControlToTheEngine() {
        open();
        for (QCheckBox* c : dlg->findChildren<QCheckBox*>())
            c->setChecked(true);
        dlg->edtLevel->setText("3");
        QTest::mouseClick(dlg->B_SetZipOpt, Qt::LeftButton);
        QVERIFY(!dlg->isVisible());
        const ZPOPT o = korvel::ZpGetOptions();
        for (ZE_BOOL f : {o.fSystem, o.fVolume, o.fJunkDir, o.fGrow, o.fMove, o.fDeleteEntries, o.fUpdate,
                          o.fFreshen, o.fLatestTime})
            QVERIFY(f != 0);
        QCOMPARE(o.fExtra, 0); // no control shows it
        QCOMPARE(o.fRecurse, 1);
        QCOMPARE(o.fLevel, '3');
        open();
        QCOMPARE(checked().size(), 10);
    }

    void levelText_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<bool>("refused");
        QTest::newRow("empty saves 6") << ""
                                       << "6" << false;
        QTest::newRow("two digits pass the first") << "95"
                                                   << "9" << false;
        QTest::newRow("zero") << "0"
                              << "0" << false;
        QTest::newRow("a letter is refused") << "x7"
                                             << "0" << true;
    }
    void levelText() {
        QFETCH(QString, typed);
        QFETCH(QString, shownAfter);
        QFETCH(bool, refused);
        prompts.clear();
        open();
        dlg->edtLevel->setText(typed);
        QTest::mouseClick(dlg->B_SetZipOpt, Qt::LeftButton);
        QVERIFY(!dlg->isVisible()); // hidden after the refusal too
        QCOMPARE(prompts.asked().size(), refused ? 1 : 0);
        if (refused)
            QCOMPARE(prompts.asked().front().text, QString("Error setting Zip Options"));
        open();
        QCOMPARE(dlg->edtLevel->text(), shownAfter);
    }

    void upDownStaysWithinZeroToNine() {
        open();
        dlg->edtLevel->setText("8");
        QTest::mouseClick(dlg->UpDown1Up, Qt::LeftButton);
        QCOMPARE(dlg->edtLevel->text(), QString("9"));
        QTest::mouseClick(dlg->UpDown1Up, Qt::LeftButton);
        QCOMPARE(dlg->edtLevel->text(), QString("9"));
        dlg->edtLevel->setText("1");
        QTest::mouseClick(dlg->UpDown1Down, Qt::LeftButton);
        QTest::mouseClick(dlg->UpDown1Down, Qt::LeftButton);
        QCOMPARE(dlg->edtLevel->text(), QString("0"));
        dlg->edtLevel->clear();
        QCOMPARE(dlg->levelForEmbedding(), '6');
        dlg->edtLevel->setText("42");
        QCOMPARE(dlg->levelForEmbedding(), '4');
        QTest::mouseClick(dlg->B_Close, Qt::LeftButton);
    }
};

QTEST_MAIN(TestZipOpt)
#include "test_zip_opt.moc"
