// The file manager page driven as a person would, on real folders: which pane a command takes
// its files from, the questions and their counts, drops between the panes, the Delete key, the
// order in which the panes are listed again, and the operations it refuses.
#include "QtFiles.h"
#include "ScriptedPrompts.h"
#include "app/ZipMain.h"
#include "filemanager/AMHFileOp.h"
#include "filemanager/FileManagerPage.h"
#include "platform/PathText.h"
#include "widgets/FileListModel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <memory>

using namespace korvel;
using namespace korvel::test;

namespace {

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class TestFileManagerPage : public QObject {
    Q_OBJECT

    std::unique_ptr<QtTempDir> tmp;
    std::unique_ptr<TMain> main;
    std::unique_ptr<ScriptedPrompts> prompts;
    TFileManagerPage* page = nullptr;
    TMFileExplorer* left = nullptr;
    TMFileExplorer* right = nullptr;
    QString L, R;
    QStringList relisted;

    TMFileExplorer* pane(const QString& side) const { return side == "left" ? left : right; }

    // Selects the rows with these captions, and only them.
    static void select(TMFileExplorer* p, const QStringList& captions) {
        auto* sel = p->view()->selectionModel();
        sel->clearSelection();
        for (const QString& c : captions) {
            const int row = p->findRow(c);
            QVERIFY2(row >= 0, qPrintable(c));
            sel->select(p->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        QCOMPARE(p->selectedRows().size(), captions.size());
    }

    static void focus(QWidget* w) {
        w->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), w);
    }

    QStringList okCancelTexts() const {
        QStringList t;
        for (const auto& a : prompts->asked())
            if (a.kind == "okcancel")
                t << a.title + ": " + a.text;
        return t;
    }
    QStringList kinds() const {
        QStringList t;
        for (const auto& a : prompts->asked())
            t << a.kind;
        return t;
    }

    void drop(TMFileExplorer* from, TMFileExplorer* onto, bool* accepted = nullptr) {
        std::unique_ptr<QMimeData> data(from->model()->mimeData({from->model()->index(0, 0)}));
        QVERIFY(data);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(onto->view()->viewport(), &enter);
        if (accepted)
            *accepted = enter.isAccepted();
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(onto->view()->viewport(), &dropped);
    }

private slots:
    void init() {
        tmp = std::make_unique<QtTempDir>();
        QVERIFY(tmp->isValid());
        L = tmp->path() + "/left/";
        R = tmp->path() + "/right/";
        writeFile(L + "a.txt", "alpha");
        writeFile(L + "b.txt", "bravo");
        writeFile(L + "docs/inner.txt", "inner");
        writeFile(L + "music/deep/x.mp3", "mp3");
        writeFile(R + "r.txt", "right");
        writeFile(R + "rdir/s.txt", "s");
        prompts = std::make_unique<ScriptedPrompts>();
        main = std::make_unique<TMain>();
        main->Pagina->setCurrentIndex(2);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
        page = main->FileMgrPage;
        left = page->LeftPane;
        right = page->RightPane;
        left->setDirectory(L);
        right->setDirectory(R);
        QCOMPARE(left->Directory(), L);
        relisted.clear();
        connect(page, &TFileManagerPage::paneRelisted, this,
                [this](TMFileExplorer* p) { relisted << (p == left ? "left" : "right"); });
    }
    void cleanup() {
        main.reset();
        prompts.reset();
        tmp.reset();
    }

    void buttonsCarryTheirNames() {
        for (const char* name : {"B_Copy", "B_Move", "B_Delete"}) {
            auto* b = main->findChild<QToolButton*>(name);
            QVERIFY2(b, name);
            QCOMPARE(b->focusPolicy(), Qt::NoFocus); // the focused pane stays focused
            QVERIFY(b->font().bold());
        }
        QCOMPARE(page->B_Copy->text(), QString("Copy"));
        QCOMPARE(page->B_Move->text(), QString("Move"));
        QCOMPARE(page->B_Delete->text(), QString("Delete"));
        QCOMPARE(page->AMH1->objectName(), QString("AMH1"));
    }

    // Which pane the buttons take from: the focused one, and only with a selection.
    void focusDecidesTheSource_data() {
        QTest::addColumn<QString>("focused"); // left, right or a folder box
        QTest::addColumn<QStringList>("leftSelection");
        QTest::addColumn<QStringList>("rightSelection");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("expected"); // the question, or empty when nothing happens
        const QStringList none;
        QTest::newRow("left focused, nothing selected there")
            << "left" << none << QStringList{"r.txt"} << "B_Copy"
            << "";
        QTest::newRow("left focused, one file") << "left" << QStringList{"a.txt"} << none << "B_Copy"
                                                << "Korvel: Confirm copy 1 file(s)?";
        QTest::newRow("folders count")
            << "left" << QStringList{"docs", "music", "a.txt"} << QStringList{"r.txt"} << "B_Copy"
            << "Korvel: Confirm copy 3 file(s)?";
        QTest::newRow("right focused")
            << "right" << QStringList{"a.txt"} << QStringList{"rdir", "r.txt"} << "B_Move"
            << "Korvel: Confirm move 2 file(s)?";
        QTest::newRow("right focused, nothing selected there")
            << "right" << QStringList{"a.txt"} << none << "B_Move"
            << "";
        QTest::newRow("no pane focused")
            << "CBDirL" << QStringList{"a.txt"} << QStringList{"r.txt"} << "B_Copy"
            << "";
    }
    void focusDecidesTheSource() {
        QFETCH(QString, focused);
        QFETCH(QStringList, leftSelection);
        QFETCH(QStringList, rightSelection);
        QFETCH(QString, button);
        QFETCH(QString, expected);
        select(left, leftSelection);
        select(right, rightSelection);
        if (focused == "CBDirL")
            focus(page->CBDirL);
        else
            focus(pane(focused)->view());
        prompts->answer(false); // Cancel: only the question is looked at here
        QTest::mouseClick(main->findChild<QToolButton*>(button), Qt::LeftButton);
        QCOMPARE(okCancelTexts(), expected.isEmpty() ? QStringList{} : QStringList{expected});
        if (expected.isEmpty())
            QCOMPARE(relisted, QStringList{});
        QCOMPARE(entries(L), (QStringList{"a.txt", "b.txt", "docs", "music"}));
        QCOMPARE(entries(R), (QStringList{"r.txt", "rdir"}));
    }

    // The language file's texts make the question; they are joined, never formatted.
    void questionUsesTheWindowTexts() {
        main->CopyPrompt = "Copiare %1";
        main->MovePrompt = "Spostare";
        main->CountWord = "file";
        select(left, {"a.txt", "b.txt"});
        focus(left->view());
        prompts->answer(false);
        prompts->answer(false);
        page->B_CopyClick();
        page->B_MoveClick();
        select(left, {"a.txt"});
        prompts->answer(false);
        drop(left, right);
        QCOMPARE(okCancelTexts(), (QStringList{"Korvel: Copiare %1 2 file?", "Korvel: Spostare 2 file?",
                                               "Korvel: Copiare %1 1 file?"}));
    }
    // Without the main window the page asks with its own texts.
    void pageAloneUsesItsOwnTexts() {
        TFileManagerPage alone;
        alone.CopyPrompt = "Kopieren";
        alone.CountWord = "Datei(en)";
        alone.LeftPane->setDirectory(L);
        alone.RightPane->setDirectory(R);
        select(alone.LeftPane, {"a.txt"});
        prompts->answer(false);
        alone.RightPaneDragDrop();
        QCOMPARE(okCancelTexts(), QStringList{"Korvel: Kopieren 1 Datei(en)?"});
    }

    // After the answer the panes are listed again: Copy the destination, Move both (left first),
    // Delete the source; Cancel included.
    void relistingOrder_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("copy left to right, OK") << "left"
                                                << "B_Copy" << true << QStringList{"right"};
        QTest::newRow("copy left to right, Cancel") << "left"
                                                    << "B_Copy" << false << QStringList{"right"};
        QTest::newRow("copy right to left, Cancel") << "right"
                                                    << "B_Copy" << false << QStringList{"left"};
        QTest::newRow("move from right, OK") << "right"
                                             << "B_Move" << true << QStringList{"left", "right"};
        QTest::newRow("move from left, Cancel") << "left"
                                                << "B_Move" << false << QStringList{"left", "right"};
        QTest::newRow("delete from right") << "right"
                                           << "B_Delete" << true << QStringList{"right"};
    }
    void relistingOrder() {
        QFETCH(QString, source);
        QFETCH(QString, button);
        QFETCH(bool, ok);
        QFETCH(QStringList, expected);
        select(pane(source), {source == "left" ? "b.txt" : "r.txt"});
        focus(pane(source)->view());
        prompts->answer(ok);
        QTest::mouseClick(main->findChild<QToolButton*>(button), Qt::LeftButton);
        QCOMPARE(relisted, expected);
    }

    void cancelChangesNothing_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("copy") << "B_Copy";
        QTest::newRow("move") << "B_Move";
    }
    void cancelChangesNothing() {
        QFETCH(QString, button);
        select(left, {"a.txt", "docs"});
        focus(left->view());
        prompts->answer(false);
        QTest::mouseClick(main->findChild<QToolButton*>(button), Qt::LeftButton);
        QCOMPARE(prompts->asked().size(), size_t(1));
        QCOMPARE(entries(L), (QStringList{"a.txt", "b.txt", "docs", "music"}));
        QCOMPARE(entries(R), (QStringList{"r.txt", "rdir"}));
    }

    void copyHappens() {
        select(left, {"a.txt", "music"});
        focus(left->view());
        prompts->answer(true);
        QTest::mouseClick(page->B_Copy, Qt::LeftButton);
        QCOMPARE(readFile(R + "a.txt"), QByteArray("alpha"));
        QCOMPARE(readFile(R + "music/deep/x.mp3"), QByteArray("mp3"));
        QCOMPARE(readFile(L + "a.txt"), QByteArray("alpha"));                  // the source stays
        QVERIFY(right->findRow("a.txt") >= 0 && right->findRow("music") >= 0); // the new listing shows them
    }

    void moveHappens() {
        select(right, {"rdir", "r.txt"});
        focus(right->view());
        prompts->answer(true);
        QTest::mouseClick(page->B_Move, Qt::LeftButton);
        QCOMPARE(readFile(L + "r.txt"), QByteArray("right"));
        QCOMPARE(readFile(L + "rdir/s.txt"), QByteArray("s"));
        QCOMPARE(entries(R), QStringList{});
        QCOMPARE(right->findRow("r.txt"), -1);
        QVERIFY(left->findRow("rdir") >= 0);
    }

    // Names in Latin-1 (not UTF-8) from old disks: listed, entered, copied, moved and deleted
    // under exactly their bytes.
    void latin1NamesTravelAsBytes_data() {
        QTest::addColumn<QString>("operation");
        QTest::newRow("copy") << "copy";
        QTest::newRow("move") << "move";
        QTest::newRow("delete") << "delete";
    }
    void latin1NamesTravelAsBytes() {
        QFETCH(QString, operation);
        namespace fs = std::filesystem;
        const std::string l = pathBytes(L), r = pathBytes(R);
        const std::string file = "caf\xe9 \xc0 la carte.txt", folder = "d\xe9j\xe0 vu";
        fs::create_directories(l + folder);
        writeFile(l + file, "menu");
        writeFile(l + folder + "/na\xefve.txt", "inner");
        left->RefreshList();
        const QString fileCaption = pathText(file), folderCaption = pathText(folder);
        QVERIFY(left->findRow(fileCaption) >= 0);
        QVERIFY(left->findRow(folderCaption) >= 0);
        // The folder can be entered, and its file is listed there.
        left->setDirectory(L + folderCaption);
        QCOMPARE(pathBytes(left->Directory()), l + folder + "/");
        QVERIFY(left->findRow(pathText("na\xefve.txt")) >= 0);
        left->UpOneLevel();
        QCOMPARE(left->Directory(), L);
        select(left, {fileCaption, folderCaption});
        focus(left->view());
        prompts->answer(true);
        if (operation == "copy")
            QTest::mouseClick(page->B_Copy, Qt::LeftButton);
        else if (operation == "move")
            QTest::mouseClick(page->B_Move, Qt::LeftButton);
        else
            QTest::mouseClick(page->B_Delete, Qt::LeftButton);
        for (const auto& a : prompts->asked())
            QVERIFY2(a.kind != "error", qPrintable(a.text));
        const bool inLeft = operation == "copy", inRight = operation != "delete";
        QCOMPARE(fs::exists(l + file), inLeft);
        QCOMPARE(fs::exists(l + folder + "/na\xefve.txt"), inLeft);
        QCOMPARE(fs::exists(r + file), inRight);
        QCOMPARE(fs::exists(r + folder + "/na\xefve.txt"), inRight);
        QCOMPARE(right->findRow(fileCaption) >= 0, inRight);
    }

    // An existing file at the destination: the operation's own question decides.
    void overwriteAskedByTheOperation() {
        writeFile(R + "a.txt", "old");
        select(left, {"a.txt"});
        focus(left->view());
        prompts->answer(true);
        prompts->answerOverwrite(Prompts::Overwrite::No);
        page->B_CopyClick();
        QCOMPARE(kinds(), (QStringList{"okcancel", "overwrite"}));
        QCOMPARE(readFile(R + "a.txt"), QByteArray("old"));
    }

    // Delete asks no question of its own: the operation confirms (Yes deletes, No keeps).
    void deleteButton_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("confirmed") << true;
        QTest::newRow("declined") << false;
    }
    void deleteButton() {
        QFETCH(bool, yes);
        select(left, {"b.txt", "docs"});
        focus(left->view());
        prompts->answer(yes);
        QTest::mouseClick(page->B_Delete, Qt::LeftButton);
        QCOMPARE(kinds(), QStringList{"yesno"});
        QCOMPARE(prompts->asked().front().title, QString("Korvel"));
        QCOMPARE(entries(L),
                 yes ? (QStringList{"a.txt", "music"}) : (QStringList{"a.txt", "b.txt", "docs", "music"}));
        QCOMPARE(relisted, QStringList{"left"});
        QCOMPARE(entries(R), (QStringList{"r.txt", "rdir"}));
    }

    void deleteKey_data() {
        QTest::addColumn<QString>("side");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("withSelection");
        QTest::newRow("left") << "left" << int(Qt::NoModifier) << true;
        QTest::newRow("right with shift") << "right" << int(Qt::ShiftModifier) << true;
        QTest::newRow("nothing selected") << "right" << int(Qt::NoModifier) << false;
    }
    void deleteKey() {
        QFETCH(QString, side);
        QFETCH(int, modifiers);
        QFETCH(bool, withSelection);
        TMFileExplorer* p = pane(side);
        const QString dir = p->Directory();
        const QString victim = side == "left" ? "a.txt" : "r.txt";
        if (withSelection)
            select(p, {victim});
        else
            p->view()->selectionModel()->clearSelection();
        focus(p->view());
        prompts->answer(true);
        QTest::keyClick(p->view(), Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(QFileInfo::exists(dir + victim), !withSelection);
        QCOMPARE(kinds(), withSelection ? QStringList{"yesno"} : QStringList{});
        QCOMPARE(relisted, withSelection ? QStringList{side} : QStringList{});
    }

    // A drop copies the other pane's selection into the pane dropped on, whichever list the drag
    // came from; dropping on the left asks with its own fixed texts.
    void drops_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("onto");
        QTest::addColumn<QString>("question");
        QTest::newRow("left to right") << "left"
                                       << "right"
                                       << "Korvel: Confirm copy 2 file(s)?";
        QTest::newRow("inside the right pane") << "right"
                                               << "right"
                                               << "Korvel: Confirm copy 2 file(s)?";
        QTest::newRow("right to left") << "right"
                                       << "left"
                                       << "Confirm file operation: Copy 1 file(s)?";
    }
    void drops() {
        QFETCH(QString, from);
        QFETCH(QString, onto);
        QFETCH(QString, question);
        select(left, {"b.txt", "docs"});
        select(right, {"r.txt"});
        prompts->answer(true);
        bool accepted = false;
        drop(pane(from), pane(onto), &accepted);
        QVERIFY(accepted);
        QCOMPARE(okCancelTexts(), QStringList{question});
        QCOMPARE(relisted, QStringList{onto});
        if (onto == "right") {
            QCOMPARE(readFile(R + "b.txt"), QByteArray("bravo"));
            QCOMPARE(readFile(R + "docs/inner.txt"), QByteArray("inner"));
        } else {
            QCOMPARE(readFile(L + "r.txt"), QByteArray("right"));
        }
    }

    void dropCancelledCopiesNothing() {
        select(left, {"a.txt"});
        prompts->answer(false);
        drop(left, right);
        QCOMPARE(entries(R), (QStringList{"r.txt", "rdir"}));
        QCOMPARE(relisted, QStringList{"right"});
    }

    void dropWithoutSelectionDoesNothing() {
        left->view()->selectionModel()->clearSelection();
        select(right, {"r.txt"});
        drop(right, right); // the right pane takes the left pane's selection: there is none
        QCOMPARE(kinds(), QStringList{});
        QCOMPARE(relisted, QStringList{});
        QCOMPARE(entries(R), (QStringList{"r.txt", "rdir"}));
    }

    void foreignDragIsRefused() {
        QMimeData plain;
        plain.setText("hello");
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &plain, Qt::LeftButton, {});
        QCoreApplication::sendEvent(right->view()->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
    }

    // What the page will not hand to the operation, and tells the user instead.
    void refusals_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::newRow("copy to the drive list") << "right drives"
                                                << "B_Copy"
                                                << "Open a folder in the other pane first: files cannot be "
                                                   "copied to the list of drives.";
        QTest::newRow("move to the drive list") << "right drives"
                                                << "B_Move"
                                                << "Open a folder in the other pane first: files cannot be "
                                                   "moved to the list of drives.";
        QTest::newRow("drop onto the drive list") << "right drives"
                                                  << "drop"
                                                  << "Open a folder in the other pane first: files cannot be "
                                                     "copied to the list of drives.";
        QTest::newRow("name with ;")
            << "semicolon name"
            << "B_Copy"
            << "\"LEFT/a;b.txt\" contains \";\", which the file manager cannot pass on. "
               "Rename it first.";
        QTest::newRow("delete name with ;")
            << "semicolon name"
            << "B_Delete"
            << "\"LEFT/a;b.txt\" contains \";\", which the file manager cannot pass "
               "on. Rename it first.";
        QTest::newRow("destination with ;")
            << "semicolon folder"
            << "B_Move"
            << "\"RIGHT/x;y/\" contains \";\", which the file manager cannot pass "
               "on. Rename it first.";
        QTest::newRow("delete a drive") << "left drives"
                                        << "B_Delete"
                                        << "A drive cannot be deleted.";
        QTest::newRow("move a drive") << "left drives"
                                      << "B_Move"
                                      << "A drive cannot be moved.";
    }
    void refusals() {
        QFETCH(QString, setup);
        QFETCH(QString, action);
        QFETCH(QString, message);
        select(left, {"a.txt"});
        if (setup == "right drives") {
            right->setDirectory("drives");
            QVERIFY(right->isDriveListing());
        } else if (setup == "left drives") {
            left->setDirectory("drives");
            QVERIFY(left->rowCount() > 0);
            left->selectRow(0);
        } else if (setup == "semicolon name") {
            writeFile(L + "a;b.txt", "ab");
            left->RefreshList();
            select(left, {"a;b.txt"});
        } else if (setup == "semicolon folder") {
            QVERIFY(QDir().mkpath(R + "x;y"));
            right->setDirectory(R + "x;y");
        }
        relisted.clear();
        focus(left->view());
        prompts->answer(true);
        if (action == "drop")
            drop(left, right);
        else
            QTest::mouseClick(main->findChild<QToolButton*>(action), Qt::LeftButton);
        message.replace("LEFT/", L).replace("RIGHT/", R);
        QCOMPARE(kinds(), QStringList{"inform"});
        QCOMPARE(prompts->asked().front().title, QString("Korvel"));
        QCOMPARE(prompts->asked().front().text, message);
        QCOMPARE(relisted, QStringList{});
        QVERIFY(QFileInfo::exists(L + "a.txt") && QFileInfo::exists(L + "b.txt"));
        if (setup == "semicolon name")
            QVERIFY(QFileInfo::exists(L + "a;b.txt"));
    }

    // The bar of the focused pane is drawn in the active caption colour; clicking a bar makes its
    // pane active and gives it the focus.
    void activePaneBars() {
        auto colour = [](QFrame* bar) { return bar->palette().color(QPalette::WindowText); };
        QCOMPARE(colour(page->ShapeLeft), TFileManagerPage::inactiveBarColour());
        QCOMPARE(colour(page->ShapeRight), TFileManagerPage::inactiveBarColour());
        focus(left->view());
        QCOMPARE(page->activePane(), left);
        QCOMPARE(colour(page->ShapeLeft), TFileManagerPage::activeBarColour());
        QCOMPARE(colour(page->ShapeRight), TFileManagerPage::inactiveBarColour());
        QTest::mouseClick(page->ShapeRight, Qt::LeftButton);
        QTRY_COMPARE(page->focusedPane(), right);
        QCOMPARE(page->activePane(), right);
        QCOMPARE(colour(page->ShapeLeft), TFileManagerPage::inactiveBarColour());
        QCOMPARE(colour(page->ShapeRight), TFileManagerPage::activeBarColour());
        // A command button leaves the focus where it was.
        QTest::mouseClick(page->B_Copy, Qt::LeftButton);
        QCOMPARE(page->focusedPane(), right);
    }

    // Each pane keeps its own history of 30 folders, repeats included.
    void folderHistoryPerPane() {
        QStringList dirs;
        for (int i = 0; i < 16; ++i) {
            dirs << tmp->path() + QString("/h%1/").arg(i);
            QVERIFY(QDir().mkpath(dirs.back()));
        }
        const int before = page->CBDirR->count();
        for (int round = 0; round < 2; ++round)
            for (const QString& d : dirs)
                left->setDirectory(d);
        QCOMPARE(page->CBDirL->count(), 30);
        QCOMPARE(page->CBDirL->itemText(29), dirs.back());
        QCOMPARE(page->CBDirL->itemText(0), dirs.at(2));
        QCOMPARE(page->CBDirL->currentText(), dirs.back());
        QCOMPARE(page->CBDirR->count(), before);
        // Typing a folder into the right box moves the right pane only.
        page->CBDirR->lineEdit()->clear();
        QTest::keyClicks(page->CBDirR->lineEdit(), dirs.front());
        QCOMPARE(right->Directory(), dirs.front());
        QCOMPARE(left->Directory(), dirs.back());
    }
};

QTEST_MAIN(TestFileManagerPage)
#include "test_file_manager_page.moc"
