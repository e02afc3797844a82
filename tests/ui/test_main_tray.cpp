// The tray: minimise to the icon, clicks on it, the tray menu and its painted margin, and ending
// the program from the tray without the save question.
#include "FakeTrayIcon.h"
#include "ScriptedPrompts.h"
#include "app/MainTray.h"
#include "app/QuarnAbout.h"
#include "app/TrayMenu.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using korvel::MainTray;
using korvel::TAboutBox;
using korvel::TrayMenu;
using korvel::test::FakeTrayIcon;

namespace {

// Stands in for the main window: it asks the exit question on close while it holds changes.
class StandInMain : public QMainWindow {
public:
    bool modified = true;
    MainTray* tray = nullptr; // when set, minimising reaches the tray as in the main window

protected:
    void changeEvent(QEvent* e) override {
        QMainWindow::changeEvent(e);
        if (tray && e->type() == QEvent::WindowStateChange && isMinimized())
            QMetaObject::invokeMethod(tray, &MainTray::Minimize, Qt::QueuedConnection);
    }
    void closeEvent(QCloseEvent* e) override {
        if (modified)
            korvel::Prompts::current().askYesNo(this, "Korvel 2002", "Save the changes before exit?");
        e->accept();
    }
};

struct Rig {
    StandInMain main;
    TAboutBox about{&main};
    FakeTrayIcon* tray;
    MainTray controller;
    int ended = 0;

    explicit Rig(bool trayAvailable = true, std::function<void()> end = {})
        : tray(new FakeTrayIcon(trayAvailable)),
          controller(&main, &about, std::unique_ptr<korvel::TrayIcon>(tray), [this, end] {
              ++ended;
              if (end)
                  end();
          }) {
        main.resize(400, 300);
        main.show();
    }
    void minimise() {
        main.showMinimized();
        controller.Minimize();
    }
};

bool shownNormally(const QWidget& w) {
    return w.isVisible() && !w.isMinimized();
}

} // namespace

class TestMainTray : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        // A test that fails inside a modal loop must not leave the next one blocked.
        if (QWidget* m = QApplication::activeModalWidget())
            m->hide();
    }

    void startsWithoutIcon() {
        Rig r;
        QVERIFY(!r.tray->isVisible());
        QCOMPARE(r.tray->toolTip(), QString("Korvel 2002"));
        QVERIFY(!r.tray->icon().isNull());
        QCOMPARE(r.tray->contextMenu(), static_cast<QMenu*>(r.controller.PopupMenu()));
    }

    void minimiseThenLeftClick() {
        Rig r;
        r.minimise();
        QVERIFY(!r.main.isVisible());
        QVERIFY(r.tray->isVisible());

        r.tray->leftClick();
        QVERIFY(shownNormally(r.main));
        QVERIFY(!r.tray->isVisible());

        // And again: the round trip can be repeated.
        r.minimise();
        QVERIFY(!r.main.isVisible());
        QVERIFY(r.tray->isVisible());
        r.tray->doubleClick();
        QVERIFY(shownNormally(r.main));
        QVERIFY(!r.tray->isVisible());
    }

    void rightClickOpensMenuOnly() {
        Rig r;
        r.minimise();
        r.tray->rightClick();
        QVERIFY(r.controller.PopupMenu()->isVisible());
        QVERIFY(!r.main.isVisible());
        QVERIFY(r.tray->isVisible());

        r.controller.Restore1()->trigger();
        r.controller.PopupMenu()->hide();
        QVERIFY(shownNormally(r.main));
        QVERIFY(!r.tray->isVisible());
    }

    // Without a notification area the window minimises as any other.
    void withoutTrayMinimisesAsUsual_data() {
        QTest::addColumn<bool>("systemTray");
        QTest::newRow("stand-in tray reporting none") << false;
        QTest::newRow("system tray of the offscreen desktop") << true;
    }
    void withoutTrayMinimisesAsUsual() {
        QFETCH(bool, systemTray);
        StandInMain main;
        TAboutBox about(&main);
        std::unique_ptr<korvel::TrayIcon> icon;
        if (systemTray)
            icon = korvel::makeSystemTrayIcon();
        else
            icon = std::make_unique<FakeTrayIcon>(false);
        korvel::TrayIcon* raw = icon.get();
        if (raw->isAvailable())
            QSKIP("this desktop has a system tray");
        MainTray controller(&main, &about, std::move(icon), [] {});
        main.show();
        main.showMinimized();
        controller.Minimize();
        QVERIFY(main.isVisible());
        QVERIFY(main.isMinimized());
        QVERIFY(!raw->isVisible());
    }

    // The window's own minimise, through the hook the main window uses.
    void minimiseThroughTheWindowHook() {
        Rig r;
        r.main.tray = &r.controller;
        QVERIFY(QTest::qWaitForWindowExposed(&r.main));
        r.main.setWindowState(r.main.windowState() | Qt::WindowMinimized);
        QTRY_VERIFY(!r.main.isVisible());
        QVERIFY(r.tray->isVisible());
        r.tray->leftClick();
        QVERIFY(shownNormally(r.main));
        QVERIFY(!r.tray->isVisible());
        QTest::qWait(20); // nothing queued hides it again
        QVERIFY(shownNormally(r.main));
    }

    void minimiseHandledLateAfterRestoreDoesNothing() {
        Rig r;
        r.main.showMinimized();
        r.main.showNormal(); // the user was quicker than the queued handler
        r.controller.Minimize();
        QVERIFY(shownNormally(r.main));
        QVERIFY(!r.tray->isVisible());
    }

    void restoreDoesNothingWhileAboutIsOpen() {
        Rig r;
        r.minimise();
        bool aboutShown = false, stayedHidden = false, iconStayed = false;
        QTimer::singleShot(0, [&] {
            aboutShown = r.about.isVisible();
            r.controller.Restore1()->trigger();
            stayedHidden = !r.main.isVisible();
            iconStayed = r.tray->isVisible();
            r.about.findChild<QPushButton*>("B_Close")->click();
        });
        r.controller.AboutKorvel()->trigger(); // modal until Close
        QVERIFY(aboutShown);
        QVERIFY(stayedHidden);
        QVERIFY(iconStayed);
        QVERIFY(!r.about.isVisible());
        QVERIFY(!r.main.isVisible());
        QVERIFY(r.tray->isVisible());

        // Once the box is closed, Restore restores.
        r.controller.Restore1()->trigger();
        QVERIFY(shownNormally(r.main));
        QVERIFY(!r.tray->isVisible());
    }

    // "End program" ends without asking, from the tray and even from inside the About box; the
    // owner's way of ending (QCoreApplication::exit) leaves every event loop without closing the
    // main window, so its exit question never comes.
    void endProgramNeverPrompts_data() {
        QTest::addColumn<bool>("fromAbout");
        QTest::newRow("tray menu") << false;
        QTest::newRow("tray menu while About is open") << true;
    }
    void endProgramNeverPrompts() {
        QFETCH(bool, fromAbout);
        korvel::ScriptedPrompts prompts;
        Rig r(true, [] { QCoreApplication::exit(7); });
        r.minimise();
        if (fromAbout) {
            QTimer::singleShot(0, [&] {
                QTimer::singleShot(0, [&] { r.controller.Exitprogram2()->trigger(); });
                r.controller.AboutKorvel()->trigger();
            });
        } else {
            QTimer::singleShot(0, [&] { r.controller.Exitprogram2()->trigger(); });
        }
        QCOMPARE(QApplication::exec(), 7);
        QCOMPARE(r.ended, 1);
        QVERIFY(prompts.asked().empty());
        QVERIFY(shownNormally(r.main));
        QVERIFY(!r.tray->isVisible());
        r.about.hide();
    }

    void menuEntries() {
        Rig r;
        const QList<QAction*> entries = r.controller.PopupMenu()->actions();
        QCOMPARE(entries.size(), 4);
        const QStringList names{"Restore1", "N1", "AboutKorvel", "Exitprogram2"};
        const QStringList captions{"Restore", "", "About Korvel...", "End program"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(entries[i]->objectName(), names[i]);
            QCOMPARE(entries[i]->isSeparator(), i == 1);
            if (i != 1)
                QCOMPARE(entries[i]->text(), captions[i]);
            QCOMPARE(entries[i]->data().toInt(), i == 1 ? 0 : (i == 0 ? 1 : i));
            QVERIFY(!entries[i]->isCheckable());
        }
        QVERIFY(!entries[0]->icon().isNull());
        QVERIFY(!entries[2]->icon().isNull());
        QVERIFY(!entries[3]->icon().isNull());
        QVERIFY(entries[1]->icon().isNull());
    }

    // Tag t of 1 to 3 takes picture t - 1 of the strip; anything else takes none.
    void entryPictureByTag_data() {
        QTest::addColumn<QVariant>("tag");
        QTest::addColumn<int>("picture");
        QTest::newRow("1") << QVariant(1) << 0;
        QTest::newRow("2") << QVariant(2) << 1;
        QTest::newRow("3") << QVariant(3) << 2;
        QTest::newRow("0") << QVariant(0) << -1;
        QTest::newRow("4, in the strip but not for entries") << QVariant(4) << -1;
        QTest::newRow("-1") << QVariant(-1) << -1;
        QTest::newRow("no tag") << QVariant() << -1;
    }
    void entryPictureByTag() {
        QFETCH(QVariant, tag);
        QFETCH(int, picture);
        QAction a("x");
        a.setData(tag);
        TrayMenu::PopupMenuGetItemParams(&a);
        if (picture < 0) {
            QVERIFY(a.icon().isNull());
            return;
        }
        const QImage strip = TrayMenu::PopupImg().toImage();
        QCOMPARE(strip.width(), 4 * TrayMenu::PictureSize);
        const QImage want = strip.copy(picture * TrayMenu::PictureSize, 0, 16, 16);
        const QImage got = a.icon().pixmap(16, 16).toImage().convertToFormat(want.format());
        QCOMPARE(got, want);
    }

    void marginIsPaintedRedToDarkRedWithText() {
        Rig r;
        TrayMenu* menu = r.controller.PopupMenu();
        menu->ensurePolished();
        menu->resize(menu->sizeHint());
        QImage img(menu->size(), QImage::Format_RGB32);
        img.fill(Qt::black);
        menu->render(&img);
        const QRect m = menu->marginRect();
        QCOMPARE(m.width(), TrayMenu::MarginWidth);

        // The entries lie right of the margin.
        for (QAction* a : menu->actions())
            QVERIFY2(menu->actionGeometry(a).left() > m.right(), qPrintable(a->objectName()));

        // Gradient pixels: pure red shades. Text pixels: white.
        int firstRed = -1, lastRed = -1, prevRed = 256, lowestText = -1, textPixels = 0;
        for (int y = m.top(); y <= m.bottom(); ++y) {
            for (int x = m.left(); x <= m.right(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.green() > 200 && c.blue() > 200 && c.red() > 200) {
                    ++textPixels;
                    lowestText = std::max(lowestText, y);
                }
            }
            // One column at the margin's right edge carries no text.
            const QColor c = img.pixelColor(m.right(), y);
            QVERIFY2(c.green() < 8 && c.blue() < 8, qPrintable(QString("row %1").arg(y)));
            QVERIFY2(c.red() <= prevRed, qPrintable(QString("row %1 red %2").arg(y).arg(c.red())));
            prevRed = c.red();
            if (firstRed < 0)
                firstRed = c.red();
            lastRed = c.red();
        }
        QVERIFY2(firstRed >= 245, qPrintable(QString::number(firstRed)));
        QVERIFY2(lastRed <= 75 && lastRed >= 55, qPrintable(QString::number(lastRed)));
        // "Korvel" is there, and ends (reading upwards it starts) about 5 pixels above the bottom.
        QVERIFY2(textPixels > 40, qPrintable(QString::number(textPixels)));
        QVERIFY2(lowestText <= m.bottom() - 4 && lowestText >= m.bottom() - 9,
                 qPrintable(QString("lowest text row %1, bottom %2").arg(lowestText).arg(m.bottom())));
    }

    void screenshots() {
        const QString dir = qEnvironmentVariable("KORVEL_SHOTS_DIR");
        if (dir.isEmpty())
            QSKIP("set KORVEL_SHOTS_DIR to store screenshots");
        Rig r;
        r.minimise();
        r.tray->rightClick();
        QTest::qWait(200);
        QVERIFY(r.controller.PopupMenu()->grab().save(dir + "/tray-menu.png"));
        r.controller.PopupMenu()->hide();
        r.about.show();
        QTest::qWait(200);
        QVERIFY(r.about.grab().save(dir + "/about.png"));
        r.about.findChild<QPushButton*>("B_history")->click();
        QTest::qWait(2500);
        QVERIFY(r.about.grab().save(dir + "/about-history.png"));
        r.about.findChild<QPushButton*>("B_Close")->click();
    }
};

QTEST_MAIN(TestMainTray)
#include "test_main_tray.moc"
