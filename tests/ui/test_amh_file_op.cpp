// TAMHFileOp in a window: the questions a person is asked, their texts, the answers honoured,
// and the progress window with Cancel.
#include "QtFiles.h"
#include "ScriptedPrompts.h"
#include "filemanager/AMHFileOp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QtTest>

using korvel::Prompts;
using korvel::ScriptedPrompts;
using korvel::TAMHFileOp;
using namespace korvel::test;

namespace {

QProgressDialog* visibleProgress() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible())
            return d;
    }
    return nullptr;
}

// Prompts that answer the overwrite question with Yes and then, once the progress window is back,
// press its Cancel: the copy that follows must stop and leave the old file whole. While the
// question is open the progress window must be out of sight.
class CancellingPrompts final : public Prompts {
public:
    CancellingPrompts() { Prompts::install(this); }
    ~CancellingPrompts() override { Prompts::install(nullptr); }
    QString progressLabel;
    bool progressDuringQuestion = false;
    bool sawProgress = false;
    bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
    bool askOkCancel(QWidget*, const QString&, const QString&) override { return true; }
    Overwrite askOverwrite(QWidget*, const QString&, const QString&) override {
        progressDuringQuestion = visibleProgress() != nullptr;
        QTimer::singleShot(0, [this] {
            if (QProgressDialog* d = visibleProgress()) {
                sawProgress = true;
                progressLabel = d->labelText();
                if (auto* cancel = d->findChild<QPushButton*>())
                    QTest::mouseClick(cancel, Qt::LeftButton);
            }
        });
        return Overwrite::Yes;
    }
    void inform(QWidget*, const QString&, const QString&) override {}
    void showError(QWidget*, const QString&, const QString&) override {}
};

// Answers the real message boxes as a person does: a while after each one opens, it looks at
// what is on top and presses the asked button there.
class SlowPerson : public QObject {
public:
    SlowPerson(int delayMs, QMessageBox::StandardButton button) : delayMs_(delayMs), button_(button) {
        connect(&timer_, &QTimer::timeout, this, [this] { look(); });
        timer_.start(50);
    }
    int answered = 0;
    QStringList faults;

private:
    // Any message box open, on top or not.
    static QMessageBox* openBox() {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            return box;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                return box;
        return nullptr;
    }
    void look() {
        QMessageBox* box = openBox();
        if (!box) {
            seen_ = nullptr;
            return;
        }
        if (box != seen_) {
            seen_ = box;
            clock_.start();
            return;
        }
        if (clock_.elapsed() < delayMs_)
            return;
        const auto before = faults.size();
        if (visibleProgress())
            faults << "progress window visible over: " + box->text();
        if (QApplication::activeModalWidget() != box)
            faults << "question not on top: " + box->text();
        if (QAbstractButton* b = box->button(button_)) {
            seen_ = nullptr;
            ++answered;
            if (faults.size() == before)
                QTest::mouseClick(b, Qt::LeftButton);
            else
                b->click(); // out of a person's reach: answered anyway, so the test ends
        }
    }
    int delayMs_;
    QMessageBox::StandardButton button_;
    QTimer timer_;
    QPointer<QMessageBox> seen_;
    QElapsedTimer clock_;
};

} // namespace

class TestAMHFileOp : public QObject {
    Q_OBJECT

private:
    QtTempDir tmp_;
    QWidget window_;
    QString root() const { return tmp_.path(); }

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        window_.setObjectName("Main");
        window_.show();
    }
    void init() {
        QDir(root()).removeRecursively();
        QDir().mkpath(root() + "/src");
        QDir().mkpath(root() + "/dst");
        writeFile(root() + "/src/a.txt", "alpha");
        writeFile(root() + "/src/b.txt", "beta");
        TAMHFileOp::progressDelayMs = 500;
    }

    void shellCodes_data() {
        QTest::addColumn<int>("flag");
        QTest::addColumn<unsigned>("bit");
        QTest::newRow("fofAllowUndo") << int(TAMHFileOp::fofAllowUndo) << 0x0040u;
        QTest::newRow("fofConfirmMouse") << int(TAMHFileOp::fofConfirmMouse) << 0x0002u;
        QTest::newRow("fofFilesOnly") << int(TAMHFileOp::fofFilesOnly) << 0x0080u;
        QTest::newRow("fofMultiDestFiles") << int(TAMHFileOp::fofMultiDestFiles) << 0x0001u;
        QTest::newRow("fofNoConfirmation") << int(TAMHFileOp::fofNoConfirmation) << 0x0010u;
        QTest::newRow("fofNoConfirmMkDir") << int(TAMHFileOp::fofNoConfirmMkDir) << 0x0200u;
        QTest::newRow("fofRenameOnCollision") << int(TAMHFileOp::fofRenameOnCollision) << 0x0008u;
        QTest::newRow("fofSilent") << int(TAMHFileOp::fofSilent) << 0x0004u;
        QTest::newRow("fofSimpleProgress") << int(TAMHFileOp::fofSimpleProgress) << 0x0100u;
        QTest::newRow("fofWantMappingHandle") << int(TAMHFileOp::fofWantMappingHandle) << 0x0020u;
    }
    void shellCodes() {
        QFETCH(int, flag);
        QFETCH(unsigned, bit);
        QCOMPARE(TAMHFileOp::shellFlags(TAMHFileOp::TFileOpFlags(flag)), bit);
        QCOMPARE(TAMHFileOp::shellFlags({}), 0u);
        QCOMPARE(TAMHFileOp::shellOperation(TAMHFileOp::foMove), 1);
        QCOMPARE(TAMHFileOp::shellOperation(TAMHFileOp::foCopy), 2);
        QCOMPARE(TAMHFileOp::shellOperation(TAMHFileOp::foDelete), 3);
        QCOMPARE(TAMHFileOp::shellOperation(TAMHFileOp::foRename), 4);
    }

    void defaultsAreThoseOfTheForm() {
        TAMHFileOp amh(&window_);
        QCOMPARE(amh.objectName(), QString("AMH1"));
        QCOMPARE(amh.Operation, TAMHFileOp::foCopy);
        QVERIFY(amh.Flags == TAMHFileOp::TFileOpFlags());
        QCOMPARE(amh.property("Operation").toInt(), int(TAMHFileOp::foCopy));
    }

    void copiesAListJoinedBySemicolons() {
        ScriptedPrompts prompts;
        TAMHFileOp amh(&window_);
        amh.FilesFrom = root() + "/src/a.txt;" + root() + "/src/b.txt";
        amh.FilesTo = root() + "/dst";
        QVERIFY(amh.Execute());
        QVERIFY(prompts.asked().empty());
        QCOMPARE(readFile(root() + "/dst/a.txt"), QByteArray("alpha"));
        QCOMPARE(readFile(root() + "/dst/b.txt"), QByteArray("beta"));
    }

    void overwriteQuestion_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("yes") << int(Prompts::Overwrite::Yes) << true << QByteArray("alpha");
        QTest::newRow("yes to all") << int(Prompts::Overwrite::YesToAll) << true << QByteArray("alpha");
        QTest::newRow("no") << int(Prompts::Overwrite::No) << false << QByteArray("old");
        QTest::newRow("cancel") << int(Prompts::Overwrite::Cancel) << false << QByteArray("old");
    }
    void overwriteQuestion() {
        QFETCH(int, answer);
        QFETCH(bool, result);
        QFETCH(QByteArray, content);
        writeFile(root() + "/dst/a.txt", "old");
        ScriptedPrompts prompts;
        prompts.answerOverwrite(Prompts::Overwrite(answer));
        TAMHFileOp amh(&window_);
        amh.FilesFrom = root() + "/src/a.txt";
        amh.FilesTo = root() + "/dst";
        QCOMPARE(amh.Execute(), result);
        QCOMPARE(prompts.asked().size(), size_t(1));
        const auto& q = prompts.asked()[0];
        QCOMPARE(q.kind, QString("overwrite"));
        QCOMPARE(q.title, QString("Korvel"));
        QVERIFY2(q.text.startsWith("There is already a file named \"a.txt\" in \"" + root() + "/dst\"."),
                 qPrintable(q.text));
        QVERIFY(q.text.contains("Replace it (3 bytes"));
        QCOMPARE(readFile(root() + "/dst/a.txt"), content);
        QCOMPARE(QDir(root() + "/dst").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"a.txt"});
    }

    void deleteConfirmation_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void deleteConfirmation() {
        QFETCH(bool, yes);
        ScriptedPrompts prompts;
        prompts.answer(yes);
        TAMHFileOp amh(&window_);
        amh.Operation = TAMHFileOp::foDelete;
        amh.FilesFrom = root() + "/src/a.txt";
        amh.FilesTo.clear();
        QCOMPARE(amh.Execute(), yes);
        QCOMPARE(prompts.asked().size(), size_t(1));
        QCOMPARE(prompts.asked()[0].kind, QString("yesno"));
        QCOMPARE(prompts.asked()[0].title, QString("Korvel"));
        QCOMPARE(prompts.asked()[0].text, "Delete \"" + root() + "/src/a.txt\"?");
        QCOMPARE(QFile::exists(root() + "/src/a.txt"), !yes);
    }

    void createFolderQuestion() {
        ScriptedPrompts prompts;
        prompts.answer(false);
        prompts.answer(true);
        TAMHFileOp amh(&window_);
        amh.FilesFrom = root() + "/src/a.txt";
        amh.FilesTo = root() + "/new";
        QVERIFY(!amh.Execute());
        QVERIFY(!QFile::exists(root() + "/new"));
        QVERIFY(amh.Execute());
        QCOMPARE(prompts.texts(),
                 QStringList(2, "The folder \"" + root() + "/new\" does not exist.\n\nCreate it?"));
        QCOMPARE(readFile(root() + "/new/a.txt"), QByteArray("alpha"));
    }

    void refusalsAreShownAsErrors_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder into itself") << "src"
                                            << "src"
                                            << "into itself";
        QTest::newRow("file onto itself") << "src/a.txt"
                                          << "src"
                                          << "onto itself";
        QTest::newRow("name with a semicolon is split") << "src/x;y.txt"
                                                        << "dst"
                                                        << "Cannot find";
    }
    void refusalsAreShownAsErrors() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, message);
        writeFile(root() + "/src/x;y.txt", "semi");
        ScriptedPrompts prompts;
        TAMHFileOp amh(&window_);
        amh.FilesFrom = root() + "/" + from;
        amh.FilesTo = root() + "/" + to;
        QVERIFY(!amh.Execute());
        QCOMPARE(prompts.asked().size(), size_t(1));
        QCOMPARE(prompts.asked()[0].kind, QString("error"));
        QCOMPARE(prompts.asked()[0].title, QString("Korvel"));
        QVERIFY2(prompts.asked()[0].text.contains(message), qPrintable(prompts.asked()[0].text));
        QVERIFY(QDir(root() + "/dst").isEmpty());
    }

    void trashWithAllowUndo() {
        QtTempDir data;
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        ScriptedPrompts prompts;
        prompts.answer(true);
        TAMHFileOp amh(&window_);
        amh.Operation = TAMHFileOp::foDelete;
        amh.Flags = TAMHFileOp::fofAllowUndo;
        amh.FilesFrom = root() + "/src/a.txt;" + root() + "/src/b.txt";
        QVERIFY(amh.Execute());
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(prompts.texts(), QStringList{"Move these 2 items to the trash?"});
        QCOMPARE(readFile(data.path() + "/Trash/files/a.txt"), QByteArray("alpha"));
        QVERIFY(QFile::exists(data.path() + "/Trash/info/b.txt.trashinfo"));
    }

    void quickWorkShowsNoProgressWindow() {
        ScriptedPrompts prompts;
        TAMHFileOp amh(&window_);
        amh.FilesFrom = root() + "/src";
        amh.FilesTo = root() + "/dst";
        QVERIFY(amh.Execute());
        QVERIFY(!visibleProgress());
        QVERIFY(window_.findChildren<QProgressDialog*>().isEmpty()); // and none left behind
    }

    void progressWindowCancels_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("shown");
        QTest::newRow("progress") << 0 << true;
        QTest::newRow("silent") << int(TAMHFileOp::fofSilent) << false;
    }
    void progressWindowCancels() {
        QFETCH(int, flags);
        QFETCH(bool, shown);
        QByteArray big(48 << 20, 'x');
        writeFile(root() + "/src/big.bin", big);
        writeFile(root() + "/dst/big.bin", "old");
        TAMHFileOp::progressDelayMs = 0;
        CancellingPrompts prompts;
        TAMHFileOp amh(&window_);
        amh.FilesFrom = root() + "/src/big.bin";
        amh.FilesTo = root() + "/dst";
        amh.Flags = TAMHFileOp::TFileOpFlags(flags);
        const bool result = amh.Execute();
        QCOMPARE(prompts.sawProgress, shown);
        QVERIFY(!prompts.progressDuringQuestion);
        if (shown) {
            QVERIFY(!result);
            QVERIFY2(prompts.progressLabel.startsWith("Copying"), qPrintable(prompts.progressLabel));
            QCOMPARE(readFile(root() + "/dst/big.bin"), QByteArray("old"));
        } else {
            QVERIFY(result);
            QVERIFY(readFile(root() + "/dst/big.bin") == big);
        }
        QCOMPARE(QDir(root() + "/dst").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"big.bin"});
        QVERIFY(!visibleProgress());
    }

    // The questions and errors of the real message boxes, answered a second after they open
    // (twice the progress window's delay): each is on top, no progress window hides it, the
    // answer counts.
    void slowAnswersReachTheWork_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("delete, yes") << int(TAMHFileOp::foDelete) << "src/a.txt"
                                     << "" << int(QMessageBox::Yes) << 1
                                     << QStringList{"dst/a.txt", "dst/b.txt", "src/b.txt"};
        QTest::newRow("delete, no") << int(TAMHFileOp::foDelete) << "src/a.txt"
                                    << "" << int(QMessageBox::No) << 1
                                    << QStringList{"dst/a.txt", "dst/b.txt", "src/a.txt", "src/b.txt"};
        QTest::newRow("two overwrites, yes")
            << int(TAMHFileOp::foCopy) << "src/a.txt;src/b.txt"
            << "dst" << int(QMessageBox::Yes) << 2
            << QStringList{"dst/a.txt", "dst/b.txt", "src/a.txt", "src/b.txt"};
        QTest::newRow("two overwrites, no")
            << int(TAMHFileOp::foCopy) << "src/a.txt;src/b.txt"
            << "dst" << int(QMessageBox::No) << 2
            << QStringList{"dst/a.txt", "dst/b.txt", "src/a.txt", "src/b.txt"};
        QTest::newRow("two overwrites, yes to all")
            << int(TAMHFileOp::foCopy) << "src/a.txt;src/b.txt"
            << "dst" << int(QMessageBox::YesToAll) << 1
            << QStringList{"dst/a.txt", "dst/b.txt", "src/a.txt", "src/b.txt"};
        QTest::newRow("two overwrites, cancel")
            << int(TAMHFileOp::foCopy) << "src/a.txt;src/b.txt"
            << "dst" << int(QMessageBox::Cancel) << 1
            << QStringList{"dst/a.txt", "dst/b.txt", "src/a.txt", "src/b.txt"};
        QTest::newRow("copy onto itself, error")
            << int(TAMHFileOp::foCopy) << "src/a.txt"
            << "src" << int(QMessageBox::Ok) << 1
            << QStringList{"dst/a.txt", "dst/b.txt", "src/a.txt", "src/b.txt"};
        QTest::newRow("move, create folder")
            << int(TAMHFileOp::foMove) << "src/a.txt"
            << "new" << int(QMessageBox::Yes) << 1
            << QStringList{"dst/a.txt", "dst/b.txt", "new/a.txt", "src/b.txt"};
    }
    void slowAnswersReachTheWork() {
        QFETCH(int, operation);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, button);
        QFETCH(int, questions);
        QFETCH(QStringList, left);
        writeFile(root() + "/dst/a.txt", "old");
        writeFile(root() + "/dst/b.txt", "old");
        TAMHFileOp::progressDelayMs = 500;
        SlowPerson person(1000, QMessageBox::StandardButton(button));
        TAMHFileOp amh(&window_);
        amh.Operation = TAMHFileOp::TFileOp(operation);
        QStringList sources;
        for (const QString& f : from.split(';'))
            sources << root() + "/" + f;
        amh.FilesFrom = sources.join(';');
        amh.FilesTo = to.isEmpty() ? QString() : root() + "/" + to;
        amh.Execute();
        QVERIFY2(person.faults.isEmpty(), qPrintable(person.faults.join('\n')));
        QCOMPARE(person.answered, questions);
        QStringList found;
        QDirIterator it(root(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << QDir(root()).relativeFilePath(it.next());
        found.sort();
        QCOMPARE(found, left);
        if (operation == TAMHFileOp::foCopy && to == "dst")
            QCOMPARE(
                readFile(root() + "/dst/b.txt"),
                QByteArray(button == QMessageBox::Yes || button == QMessageBox::YesToAll ? "beta" : "old"));
        QVERIFY(!visibleProgress());
    }
};

QTEST_MAIN(TestAMHFileOp)
#include "test_amh_file_op.moc"
