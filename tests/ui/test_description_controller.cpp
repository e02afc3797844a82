// The description area of the main window against the real engines and archives made by the
// `zip` tool: the search modes and their captions, the custom menu, the editing keys, saving
// (with "Save info" and with "Save the changes ?"), the failures of a save, and long descriptions.
#include "ArchiveBytes.h"
#include "ArchiveFixtures.h"
#include "ScriptedPrompts.h"
#include "app/ZipMain.h"
#include "archive/ZipOptZ.h"
#include "core/description/DescriptionText.h"
#include "description/Cust_ext.h"
#include "description/DescriptionController.h"
#include "description/DescriptionView.h"
#include "engineclient/Engines.h"
#include "engineclient/Zip32.h"
#include "platform/PathText.h"
#include "widgets/DizPage.h"
#include "widgets/FileListModel.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace korvel;
using namespace korvel::test;

namespace {

// What the editor shows, with every line end as "\n".
QString shown(const QPlainTextEdit* e) {
    QString t = e->document()->toRawText();
    t.replace(QChar(0x2029), QLatin1Char('\n'));
    return t;
}

std::string bytesOf(const QPlainTextEdit* e) {
    return descriptionBytes(e);
}

// The `unzip -v` line of every member but `except`: sizes, method, CRC and name.
std::string otherMembers(const std::string& archive, const std::string& except) {
    std::string out;
    run("unzip -v " + shellQuote(archive) + " | grep -v ' " + except + "$' | sed -n '/^--/,/^--/p'", &out);
    return out;
}

} // namespace

class TestDescriptionController : public QObject {
    Q_OBJECT

    TempDir t;
    std::string start, archives, temps;
    ScriptedPrompts prompts;
    std::unique_ptr<TMain> main;
    DescriptionController* view = nullptr;
    std::unique_ptr<TFrmZipOpt> zipOpt;
    std::unique_ptr<TCustom_ext> custom;

    void makeArchive(const std::string& name,
                     const std::vector<std::pair<std::string, std::string>>& members) {
        const std::string dir = t / ("src-" + name);
        fs::create_directories(dir);
        QCOMPARE(zipTool(dir, shellQuote(archives + "/" + name) + writeMembers(dir, members)), 0);
    }
    // An archive of another format: `tool` is "7z", "bsdtar -<opts>", "gcab", "rar4", "rar5" or "lha".
    void makeOther(const std::string& name, const std::string& tool,
                   const std::vector<std::pair<std::string, std::string>>& members) {
        const std::string dir = t / ("src-" + name);
        const std::string out = archives + "/" + name;
        std::vector<ByteMember> bytes;
        for (const auto& [member, data] : members)
            bytes.push_back({member, data});
        if (tool == "rar4" || tool == "rar5" || tool == "lha") {
            writeFile(out, tool == "rar4"   ? rar4Archive(bytes)
                           : tool == "rar5" ? rar5Archive(bytes)
                                            : lhaArchive(bytes));
            return;
        }
        const std::string command = tool.rfind("7z", 0) == 0 ? "7z a -bd" + tool.substr(2)
                                    : tool == "gcab"         ? "gcab -c"
                                                             : tool + " -cf";
        QCOMPARE(archiveTool(dir, command, out, writeMembers(dir, members)), 0);
    }
    QString archive(const std::string& name) const { return QString::fromStdString(archives + "/" + name); }
    void select(const std::string& name) {
        main->CurrentFile = archive(name);
        main->GetInfo(main->CurrentFile);
    }
    void clickRow(const QString& caption) {
        TMFileExplorer* l = main->LFile;
        const int row = l->findRow(caption);
        QVERIFY2(row >= 0, qPrintable(caption));
        l->view()->scrollTo(l->model()->index(row, 0));
        QTest::mouseClick(l->view()->viewport(), Qt::LeftButton, {}, l->rowRect(row).center());
    }
    QToolButton* button(const char* name) { return main->findChild<QToolButton*>(name); }
    void type(const QString& text) {
        main->DIZEdit->moveCursor(QTextCursor::End);
        for (QChar c : text) {
            if (c == QLatin1Char('\n'))
                QTest::keyClick(main->DIZEdit, Qt::Key_Return);
            else
                QTest::keyClicks(main->DIZEdit, QString(c));
        }
    }

private slots:
    void initTestCase() {
        QVERIFY(Engines::load());
        start = t / "start";
        archives = t / "archives";
        temps = t / "temps";
        fs::create_directories(start);
        fs::create_directories(archives);
        fs::create_directories(temps);
        writeFile(start + "/korvel2k.ext", "file.nfo\r\n\r\n<filename>.nfo\r\na&b.txt\r\n");
        makeArchive("both.zip", {{"file_id.diz", "DIZ\r\n"}, {"readme.txt", "README\r\n"}});
        makeArchive("readme.zip", {{"readme.txt", "only readme"}, {"notes.doc", "x"}});
        makeArchive("GAME.ZIP", {{"GAME.txt", "game text"}});
        makeArchive("MY.GAME.ZIP", {{"MY.nfo", "my nfo"}, {"file.nfo", "file nfo"}});
        makeArchive("caps.zip", {{"FILE_ID.DIZ", "capital"}});
        makeArchive("none.zip", {{"other.txt", "other"}});
        makeArchive("amp.zip", {{"a&b.txt", "ampersand"}});
        writeFile(archives + "/damaged.zip", "PK\x03\x04 this is no archive at all");
        makeOther("both.7z", "7z", {{"file_id.diz", "DIZ\r\n"}, {"readme.txt", "README\r\n"}});
        makeOther("readme.rar", "rar4", {{"readme.txt", "only readme"}, {"notes.doc", "x"}});
        makeOther("readme5.rar", "rar5", {{"notes.doc", "x"}, {"readme.txt", "only readme"}});
        makeOther("GAME.TGZ", "bsdtar -z", {{"GAME.txt", "game text"}});
        makeOther("MY.GAME.CAB", "gcab", {{"MY.nfo", "my nfo"}, {"file.nfo", "file nfo"}});
        makeOther("caps.tar.xz", "bsdtar -J", {{"FILE_ID.DIZ", "capital"}});
        makeOther("none.lzh", "lha", {{"other.txt", "other"}});
        makeOther("both.iso", "bsdtar --format iso9660",
                  {{"file_id.diz", "DIZ\r\n"}, {"readme.txt", "README\r\n"}});
        makeOther("locked.7z", "7z -pSECRET", {{"file_id.diz", "secret"}});
        writeFile(archives + "/damaged.7z", readFile(archives + "/both.7z").substr(0, 40));

        QDir::setCurrent(QString::fromStdString(start));
        main = std::make_unique<TMain>();
        view = new DescriptionController(*main);
        view->setTempBase(temps);
        QVERIFY(main->FormCreate());
        zipOpt = std::make_unique<TFrmZipOpt>(main.get());
        view->setEmbeddingLevel([z = zipOpt.get()] { return z->levelForEmbedding(); });
        custom = std::make_unique<TCustom_ext>(main.get());
        view->setCustomFile(custom.get());
        main->pgm_init();
        custom->FormCreate();
    }
    void cleanupTestCase() {
        custom.reset();
        zipOpt.reset();
        main.reset();
    }
    void init() {
        prompts.clear();
        main->Modified = false;
        main->B_Save->setEnabled(false);
        main->DIZPage->B_Custom->setText(main->AllCustomCaption);
    }

    void searchModes_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::newRow("auto takes file_id.diz first") << "both.zip"
                                                      << "B_Auto"
                                                      << "DIZ\n"
                                                      << "file_id.diz";
        QTest::newRow("readme button shows the readme") << "both.zip"
                                                        << "B_Readme"
                                                        << "README\n"
                                                        << "readme.txt";
        QTest::newRow("auto falls to readme") << "readme.zip"
                                              << "B_Auto"
                                              << "only readme"
                                              << "readme.txt";
        QTest::newRow("auto falls to GAME.txt") << "GAME.ZIP"
                                                << "B_Auto"
                                                << "game text"
                                                << "GAME.txt";
        QTest::newRow("filename button") << "GAME.ZIP"
                                         << "B_Filename"
                                         << "game text"
                                         << "GAME.txt";
        QTest::newRow("auto falls to the custom list") << "MY.GAME.ZIP"
                                                       << "B_Auto"
                                                       << "file nfo"
                                                       << "file.nfo";
        QTest::newRow("all custom in list order") << "MY.GAME.ZIP"
                                                  << "B_Custom"
                                                  << "file nfo"
                                                  << "file.nfo";
        QTest::newRow("matching ignores case") << "caps.zip"
                                               << "B_FileID"
                                               << "capital"
                                               << "file_id.diz";
        QTest::newRow("auto finds nothing") << "none.zip"
                                            << "B_Auto"
                                            << ""
                                            << "file_id.diz";
        QTest::newRow("single mode keeps its name") << "none.zip"
                                                    << "B_Readme"
                                                    << ""
                                                    << "readme.txt";
        QTest::newRow("filename mode names the candidate") << "none.zip"
                                                           << "B_Filename"
                                                           << ""
                                                           << "none.txt";
        QTest::newRow("all custom keeps the last tried") << "none.zip"
                                                         << "B_Custom"
                                                         << ""
                                                         << "a&b.txt";
        QTest::newRow("a damaged archive is empty") << "damaged.zip"
                                                    << "B_Auto"
                                                    << ""
                                                    << "file_id.diz";
        QTest::newRow("a missing archive is empty") << "gone.zip"
                                                    << "B_FileID"
                                                    << ""
                                                    << "file_id.diz";
        // Archives of other formats, read through the archive reader, by the same rules.
        QTest::newRow("7z: auto takes file_id.diz first") << "both.7z"
                                                          << "B_Auto"
                                                          << "DIZ\n"
                                                          << "file_id.diz";
        QTest::newRow("7z: readme button") << "both.7z"
                                           << "B_Readme"
                                           << "README\n"
                                           << "readme.txt";
        QTest::newRow("rar 4: auto falls to readme") << "readme.rar"
                                                     << "B_Auto"
                                                     << "only readme"
                                                     << "readme.txt";
        QTest::newRow("rar 5: auto falls to readme") << "readme5.rar"
                                                     << "B_Auto"
                                                     << "only readme"
                                                     << "readme.txt";
        QTest::newRow("tgz: auto falls to GAME.txt") << "GAME.TGZ"
                                                     << "B_Auto"
                                                     << "game text"
                                                     << "GAME.txt";
        QTest::newRow("cab: all custom in list order") << "MY.GAME.CAB"
                                                       << "B_Custom"
                                                       << "file nfo"
                                                       << "file.nfo";
        QTest::newRow("tar.xz: matching ignores case") << "caps.tar.xz"
                                                       << "B_FileID"
                                                       << "capital"
                                                       << "file_id.diz";
        QTest::newRow("lha: auto finds nothing") << "none.lzh"
                                                 << "B_Auto"
                                                 << ""
                                                 << "file_id.diz";
        QTest::newRow("lha: filename mode names the candidate") << "none.lzh"
                                                                << "B_Filename"
                                                                << ""
                                                                << "none.txt";
        QTest::newRow("iso: auto") << "both.iso"
                                   << "B_Auto"
                                   << "DIZ\n"
                                   << "file_id.diz";
        QTest::newRow("a damaged 7z is empty") << "damaged.7z"
                                               << "B_Auto"
                                               << ""
                                               << "file_id.diz";
    }
    void searchModes() {
        QFETCH(QString, archive);
        QFETCH(QString, mode);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        main->DIZEdit->setPlainText("left over");
        main->CurrentFile = this->archive(archive.toStdString());
        QToolButton* b = button(qPrintable(mode));
        if (mode == "B_Custom") {
            b->setChecked(true);
            main->GetInfo(main->CurrentFile);
        } else {
            QTest::mouseClick(b, Qt::LeftButton);
        }
        QVERIFY(b->isChecked());
        QCOMPARE(shown(main->DIZEdit), text);
        QCOMPARE(view->captionMember(), caption);
        QVERIFY(!main->Modified);
        QVERIFY(prompts.asked().empty()); // a lookup never says anything
        button("B_Auto")->setChecked(true);
    }

    void customMenuPicksOneName() {
        QMenu* menu = main->DIZPage->CustMenu;
        const auto entries = menu->actions();
        QCOMPARE(entries.size(), 4); // three names and "all custom files"
        QCOMPARE(entries[1]->data().toString(), QString("<filename>.nfo"));
        QCOMPARE(entries[2]->text(), QString("a&&b.txt"));
        QCOMPARE(entries[3]->data().toString(), main->AllCustomCaption);
        QVERIFY(main->DIZPage->B_Custom->isEnabled());

        main->CurrentFile = archive("MY.GAME.ZIP");
        entries[1]->trigger();
        QToolButton* b = main->DIZPage->B_Custom;
        QVERIFY(b->isChecked());
        QCOMPARE(b->text(), QString("<filename>.nfo"));
        QCOMPARE(shown(main->DIZEdit), QString("my nfo"));
        QCOMPARE(view->captionMember(), QString("MY.nfo"));
        // Automatic mode now tries that one name as its fourth candidate.
        QTest::mouseClick(button("B_Auto"), Qt::LeftButton);
        QCOMPARE(shown(main->DIZEdit), QString("my nfo"));

        // A name holding "&" is shown doubled on the button and searched as it is.
        main->CurrentFile = archive("amp.zip");
        entries[2]->trigger();
        QCOMPARE(b->text(), QString("a&&b.txt"));
        QCOMPARE(shown(main->DIZEdit), QString("ampersand"));
        QCOMPARE(view->captionMember(), QString("a&b.txt"));
        QCOMPARE(main->Cornice->title(), QString("a&&b.txt"));

        // The last entry goes back to every custom name.
        main->CurrentFile = archive("MY.GAME.ZIP");
        entries[3]->trigger();
        QCOMPARE(b->text(), main->AllCustomCaption);
        QCOMPARE(shown(main->DIZEdit), QString("file nfo"));
        button("B_Auto")->setChecked(true);
    }

    void pressingCustomDropsTheMenuWithoutLookingUp() {
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        main->DIZEdit->setPlainText("unchanged");
        bool dropped = false;
        QTimer::singleShot(200, this, [&] {
            dropped = QApplication::activePopupWidget() == main->DIZPage->CustMenu;
            main->DIZPage->CustMenu->close();
        });
        QTest::mousePress(main->DIZPage->B_Custom, Qt::LeftButton);
        QTest::mouseRelease(main->DIZPage->B_Custom, Qt::LeftButton);
        QVERIFY(dropped);
        QVERIFY(main->DIZPage->B_Custom->isChecked());
        QCOMPARE(shown(main->DIZEdit), QString("unchanged"));
        button("B_Auto")->setChecked(true);
        main->hide();
    }

    void customFileMenuShowsTheDialogWithoutBlocking() {
        main->Customfile1->trigger();
        QVERIFY(custom->isVisible());
        QVERIFY(!custom->isModal());
        custom->hide();
    }

    void viewReleasesAutoView() {
        main->CurrentFile = archive("both.zip");
        main->DIZEdit->clear();
        QTest::mouseClick(button("B_view"), Qt::LeftButton);
        QVERIFY(!main->B_autoview->isChecked());
        QCOMPARE(shown(main->DIZEdit), QString("DIZ\n"));
        main->B_autoview->setChecked(true);
    }

    void editingKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("marks");
        QTest::newRow("letter") << int(Qt::Key_Q) << int(Qt::NoModifier) << true;
        QTest::newRow("shifted letter") << int(Qt::Key_Q) << int(Qt::ShiftModifier) << true;
        QTest::newRow("digit") << int(Qt::Key_7) << int(Qt::NoModifier) << true;
        QTest::newRow("space") << int(Qt::Key_Space) << int(Qt::NoModifier) << true;
        QTest::newRow("enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << true;
        QTest::newRow("delete") << int(Qt::Key_Delete) << int(Qt::NoModifier) << true;
        QTest::newRow("backslash") << int(Qt::Key_Backslash) << int(Qt::NoModifier) << true;
        QTest::newRow("keypad plus") << int(Qt::Key_Plus) << int(Qt::KeypadModifier) << true;
        QTest::newRow("keypad digit") << int(Qt::Key_4) << int(Qt::KeypadModifier) << true;
        QTest::newRow("keypad delete, NumLock off") << int(Qt::Key_Delete) << int(Qt::KeypadModifier) << true;
        QTest::newRow("keypad home, NumLock off") << int(Qt::Key_Home) << int(Qt::KeypadModifier) << false;
        QTest::newRow("ctrl+c marks too") << int(Qt::Key_C) << int(Qt::ControlModifier) << true;
        QTest::newRow("ctrl+v") << int(Qt::Key_V) << int(Qt::ControlModifier) << true;
        QTest::newRow("comma") << int(Qt::Key_Comma) << int(Qt::NoModifier) << false;
        QTest::newRow("period") << int(Qt::Key_Period) << int(Qt::NoModifier) << false;
        QTest::newRow("minus") << int(Qt::Key_Minus) << int(Qt::NoModifier) << false;
        QTest::newRow("semicolon") << int(Qt::Key_Semicolon) << int(Qt::NoModifier) << false;
        QTest::newRow("quote") << int(Qt::Key_Apostrophe) << int(Qt::NoModifier) << false;
        QTest::newRow("bracket") << int(Qt::Key_BracketLeft) << int(Qt::NoModifier) << false;
        QTest::newRow("cursor") << int(Qt::Key_Left) << int(Qt::NoModifier) << false;
        QTest::newRow("shift+insert") << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << false;
        QTest::newRow("function key") << int(Qt::Key_F5) << int(Qt::NoModifier) << false;
    }
    void editingKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, marks);
        main->DIZEdit->setPlainText("some text");
        QTest::keyClick(main->DIZEdit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(main->Modified, marks);
        QCOMPARE(main->B_Save->isEnabled(), marks);
    }

    // Keys as the keyboard sends them, with their key codes: the digit row marks the text on
    // every layout (AZERTY types "&" and accented letters there without Shift), other keys by
    // what they are.
    void editingKeysOfOtherLayouts_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("marks");
        QTest::newRow("AZERTY 1 key: &")
            << int(Qt::Key_Ampersand) << int(Qt::NoModifier) << 10u << "&" << true;
        QTest::newRow("AZERTY 2 key: e acute")
            << int(Qt::Key_Eacute) << int(Qt::NoModifier) << 11u << "é" << true;
        QTest::newRow("AZERTY 4 key: apostrophe")
            << int(Qt::Key_Apostrophe) << int(Qt::NoModifier) << 13u << "'" << true;
        QTest::newRow("AZERTY shifted 5") << int(Qt::Key_5) << int(Qt::ShiftModifier) << 14u << "5" << true;
        QTest::newRow("US shifted 9")
            << int(Qt::Key_ParenLeft) << int(Qt::ShiftModifier) << 18u << "(" << true;
        QTest::newRow("apostrophe key")
            << int(Qt::Key_Apostrophe) << int(Qt::NoModifier) << 48u << "'" << false;
        QTest::newRow("keypad Del, NumLock off")
            << int(Qt::Key_Delete) << int(Qt::KeypadModifier) << 91u << "" << true;
    }
    void editingKeysOfOtherLayouts() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(quint32, scanCode);
        QFETCH(QString, text);
        QFETCH(bool, marks);
        main->DIZEdit->setPlainText("some text");
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), scanCode, 0, 0, text);
        QApplication::sendEvent(main->DIZEdit, &press);
        QCOMPARE(main->Modified, marks);
        QCOMPARE(main->B_Save->isEnabled(), marks);
    }

    // Shift+Enter in the program's own editor makes the same CR LF line end as Enter.
    void shiftEnterStoresCrLf() {
        main->DIZEdit->setPlainText("top");
        main->DIZEdit->moveCursor(QTextCursor::End);
        QTest::keyClick(main->DIZEdit, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(main->DIZEdit, "next");
        QTest::keyClick(main->DIZEdit, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
        QCOMPARE(bytesOf(main->DIZEdit), std::string("top\r\nnext\r\n"));
        QVERIFY(main->Modified);
    }

    // An archive made by `zip` with a code page 437 description shows the DOS glyphs; after an
    // edit and "Save info" the member holds exactly the new bytes and nothing else changed.
    void saveRoundTripKeepsEveryOtherMember() {
        const std::string art =
            "\xC9\xCD\xCD\xBB caf\x82 \xB0\xB1\xB2\xDB\r\n\xBA \x9C\xE1\xF8 \xBA\r\n\xC8\xCD\xCD\xBC\r\n";
        const std::string dir = t / "src-art";
        fs::create_directories(dir);
        QCOMPARE(run("cd " + shellQuote(dir) +
                     " && printf '\\311\\315\\315\\273 caf\\202 \\260\\261\\262\\333\\r\\n"
                     "\\272 \\234\\341\\370 \\272\\r\\n\\310\\315\\315\\274\\r\\n' > file_id.diz && head -c "
                     "200000 "
                     "/dev/urandom > data.bin && echo hello > hello.txt && zip -q " +
                     shellQuote(archives + "/art.zip") + " data.bin file_id.diz hello.txt"),
                 0);
        QCOMPARE(readFile(dir + "/file_id.diz"), art);
        std::string expected;
        QCOMPARE(
            run("iconv -f CP437 -t UTF-8 " + shellQuote(dir + "/file_id.diz") + " | tr -d '\\r'", &expected),
            0);
        writeFile(start + "/file_id.diz", "the user's own file");
        const std::string before = otherMembers(archives + "/art.zip", "file_id.diz");

        select("art.zip");
        QCOMPARE(shown(main->DIZEdit), QString::fromStdString(expected));
        QCOMPARE(bytesOf(main->DIZEdit), art);
        QCOMPARE(main->DIZEdit->palette().color(QPalette::Text), QColor(0, 0, 128));
        QVERIFY(main->DIZEdit->font().fixedPitch() || QFontInfo(main->DIZEdit->font()).fixedPitch());

        type("Ok 42\nZ");
        QVERIFY(main->Modified);
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QVERIFY(prompts.asked().empty());
        QVERIFY(!main->Modified);
        QVERIFY(!main->B_Save->isEnabled());
        std::string stored;
        QCOMPARE(run("unzip -p " + shellQuote(archives + "/art.zip") + " file_id.diz", &stored), 0);
        QCOMPARE(stored, art + "Ok 42\r\nZ");
        QCOMPARE(otherMembers(archives + "/art.zip", "file_id.diz"), before);
        QVERIFY(unzipTestPasses(archives + "/art.zip"));
        QCOMPARE(readFile(start + "/file_id.diz"), std::string("the user's own file"));
        QVERIFY(fs::is_empty(temps)); // the private folder is gone
        select("art.zip");
        QCOMPARE(bytesOf(main->DIZEdit), art + "Ok 42\r\nZ");

        // The options dialog now shows the embedding options.
        zipOpt->B_ZipOptClick();
        QVERIFY(zipOpt->chJunkDir->isChecked());
        QVERIFY(zipOpt->chGrow->isChecked());
        QVERIFY(!zipOpt->chRecurseDir->isChecked());
        zipOpt->hide();
    }

    void savingAddsAMissingDescriptionUnderTheCaption_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("method");
        QTest::newRow("auto adds file_id.diz") << "B_Auto"
                                               << "0"
                                               << "file_id.diz"
                                               << "Stored";
        QTest::newRow("readme at level 9") << "B_Readme"
                                           << "9"
                                           << "readme.txt"
                                           << "Defl:X";
        QTest::newRow("empty level is 6") << "B_Filename"
                                          << ""
                                          << "new.txt"
                                          << "Defl:N";
    }
    void savingAddsAMissingDescriptionUnderTheCaption() {
        QFETCH(QString, mode);
        QFETCH(QString, level);
        QFETCH(QString, member);
        QFETCH(QString, method);
        makeArchive("new.zip", {{"other.txt", "other"}});
        button(qPrintable(mode))->setChecked(true);
        select("new.zip");
        QCOMPARE(view->captionMember(), member);
        zipOpt->edtLevel->setText(level);
        type("added  added  added  added  added  added");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        std::string out;
        run("unzip -v " + shellQuote(archives + "/new.zip") + " | grep ' " + member.toStdString() + "$'",
            &out);
        QVERIFY2(QString::fromStdString(out).contains(method), out.c_str());
        QVERIFY(out.find('/') == std::string::npos ||
                out.find(" " + member.toStdString()) != std::string::npos);
        QVERIFY(unzipTestPasses(archives + "/new.zip"));
        select("new.zip");
        QCOMPARE(shown(main->DIZEdit), QString("added  added  added  added  added  added"));
        fs::remove(archives + "/new.zip");
        button("B_Auto")->setChecked(true);
        zipOpt->edtLevel->setText("6");
    }

    void aRefusedLevelLeavesTheArchiveAlone() {
        select("both.zip");
        const std::string before = readFile(archives + "/both.zip");
        zipOpt->edtLevel->setText("x");
        type("more");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QCOMPARE(prompts.texts(), QStringList{"Error setting Zip Options"});
        QCOMPARE(readFile(archives + "/both.zip"), before);
        QVERIFY(main->Modified); // not saved: "Save info" can try again
        QVERIFY(fs::is_empty(temps));
        zipOpt->edtLevel->setText("6");
    }

    void aFailingSaveLeavesTheArchiveByteForByte_data() {
        QTest::addColumn<QString>("archive");
        QTest::newRow("damaged archive") << "damaged.zip";
        QTest::newRow("archive gone") << "vanished.zip";
    }
    void aFailingSaveLeavesTheArchiveByteForByte() {
        QFETCH(QString, archive);
        const std::string path = archives + "/" + archive.toStdString();
        const bool existed = fs::exists(path);
        const std::string before = existed ? readFile(path) : "";
        select(archive.toStdString());
        type("text");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QCOMPARE(prompts.asked().size(), size_t(1));
        QVERIFY2(prompts.asked().front().text.contains("not saved"),
                 qPrintable(prompts.asked().front().text));
        QCOMPARE(fs::exists(path), existed);
        if (existed)
            QCOMPARE(readFile(path), before);
        QVERIFY(main->Modified);
        QVERIFY(main->B_Save->isEnabled());
        QVERIFY(fs::is_empty(temps));
    }

    void theTextFileCannotBeMade() {
        select("both.zip");
        const std::string before = readFile(archives + "/both.zip");
        type("edit");
        view->setTempBase(t / "no/such/folder");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QCOMPARE(prompts.asked().size(), size_t(1));
        QVERIFY(prompts.asked().front().text.startsWith("Cannot create file " +
                                                        QString::fromStdString(t / "no/such/folder")));
        QVERIFY(main->Modified);
        QVERIFY(main->B_Save->isEnabled());

        // The same failure from "Save the changes ?" stops the new selection.
        prompts.clear();
        main->LFile->setDirectory(QString::fromStdString(archives));
        main->CurrentFile = archive("both.zip");
        prompts.answer(true);
        clickRow("none.zip");
        QCOMPARE(prompts.texts().size(), 2);
        QCOMPARE(prompts.texts()[0], QString("Save the changes ?"));
        QVERIFY(prompts.texts()[1].startsWith("Cannot create file"));
        QCOMPARE(main->CurrentFile, archive("both.zip"));
        QVERIFY(main->Modified);
        QVERIFY(shown(main->DIZEdit).endsWith("edit"));
        QCOMPARE(readFile(archives + "/both.zip"), before);
        view->setTempBase(temps);
    }

    // With "Auto view" released, the editor still holds the archive shown before the new pick:
    // "Save info" stores the text into that archive and leaves the picked one byte for byte.
    void saveGoesIntoTheShownArchive() {
        makeArchive("shown.zip", {{"file_id.diz", "shown"}});
        makeArchive("picked.zip", {{"file_id.diz", "picked"}});
        const std::string pickedBefore = readFile(archives + "/picked.zip");
        main->LFile->setDirectory(QString::fromStdString(archives));
        main->LFile->RefreshList();
        clickRow("shown.zip");
        QCOMPARE(shown(main->DIZEdit), QString("shown"));
        main->B_autoview->setChecked(false);
        clickRow("picked.zip");
        QCOMPARE(main->CurrentFile, archive("picked.zip"));
        QCOMPARE(shown(main->DIZEdit), QString("shown"));
        type(" more");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QVERIFY(!main->Modified);
        std::string stored;
        run("unzip -p " + shellQuote(archives + "/shown.zip") + " file_id.diz", &stored);
        QCOMPARE(stored, std::string("shown more"));
        QCOMPARE(readFile(archives + "/picked.zip"), pickedBefore);
        main->B_autoview->setChecked(true);
        fs::remove(archives + "/shown.zip");
        fs::remove(archives + "/picked.zip");
    }

    // An archive only the reader reads cannot take a description: the user is told, and the
    // edit stays (marked, and kept over a new selection when the save was asked for).
    void savingIntoOtherFormatsKeepsTheEdit_data() {
        QTest::addColumn<QString>("archive");
        QTest::newRow("7z") << "both.7z";
        QTest::newRow("rar") << "readme.rar";
        QTest::newRow("tgz") << "GAME.TGZ";
    }
    void savingIntoOtherFormatsKeepsTheEdit() {
        QFETCH(QString, archive);
        const std::string path = archives + "/" + archive.toStdString();
        const std::string before = readFile(path);
        main->LFile->setDirectory(QString::fromStdString(archives));
        clickRow(archive);
        const QString was = shown(main->DIZEdit);
        type("x");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QCOMPARE(prompts.texts(), QStringList{"Descriptions can be saved into ZIP archives only"});
        QVERIFY(main->Modified);
        QVERIFY(main->B_Save->isEnabled());
        QCOMPARE(shown(main->DIZEdit), was + "x");
        prompts.clear();
        prompts.answer(true);
        clickRow("both.zip");
        QCOMPARE(prompts.texts(),
                 (QStringList{"Save the changes ?", "Descriptions can be saved into ZIP archives only"}));
        QCOMPARE(main->CurrentFile, this->archive(archive.toStdString()));
        QCOMPARE(shown(main->DIZEdit), was + "x");
        QCOMPARE(readFile(path), before);
        main->Modified = false;
    }

    // The browser lists the other archives with their type names.
    void theBrowserShowsOtherArchives() {
        main->LFile->setDirectory(QString::fromStdString(archives));
        auto* model = main->LFile->model();
        int typeColumn = -1;
        for (int c = 0; c < model->columnCount(); ++c)
            if (model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == "Type")
                typeColumn = c;
        QVERIFY(typeColumn >= 0);
        const std::pair<const char*, const char*> rows[] = {{"both.7z", "7-Zip archive"},
                                                            {"readme.rar", "RAR archive"},
                                                            {"none.lzh", "LHA archive"},
                                                            {"MY.GAME.CAB", "Cabinet archive"},
                                                            {"both.iso", "ISO 9660 image"},
                                                            {"caps.tar.xz", "Tar archive (xz-compressed)"},
                                                            {"GAME.TGZ", "Tar archive (gzip-compressed)"}};
        for (const auto& [name, type] : rows) {
            const int row = main->LFile->findRow(name);
            QVERIFY2(row >= 0, name);
            // The desktop's MIME data names them when it knows them, the reader's table otherwise.
            const QString shown = model->index(row, typeColumn).data().toString();
            QVERIFY2(!shown.isEmpty() && !shown.endsWith(" File"), qPrintable(shown + " for " + type));
        }
    }

    void encryptedArchivesAreSaidSo() {
        select("locked.7z");
        QCOMPARE(shown(main->DIZEdit), QString());
        QCOMPARE(prompts.texts().size(), 1);
        QVERIFY(prompts.texts().at(0).contains("encrypted"));
    }

    void saveTheChangesQuestion_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes saves") << true;
        QTest::newRow("no discards") << false;
    }
    void saveTheChangesQuestion() {
        QFETCH(bool, yes);
        makeArchive("ask.zip", {{"file_id.diz", "old"}});
        const std::string before = readFile(archives + "/ask.zip");
        main->LFile->setDirectory(QString::fromStdString(archives));
        clickRow("ask.zip");
        QCOMPARE(shown(main->DIZEdit), QString("old"));
        type("er");
        prompts.answer(yes);
        clickRow("both.zip");
        QCOMPARE(prompts.texts(), QStringList{"Save the changes ?"});
        QCOMPARE(main->CurrentFile, archive("both.zip")); // the selection proceeds
        QVERIFY(!main->Modified);
        QVERIFY(!main->B_Save->isEnabled());
        QCOMPARE(shown(main->DIZEdit), QString("DIZ\n"));
        std::string stored;
        run("unzip -p " + shellQuote(archives + "/ask.zip") + " file_id.diz", &stored);
        if (yes)
            QCOMPARE(stored, std::string("older"));
        else
            QCOMPARE(readFile(archives + "/ask.zip"), before);
        fs::remove(archives + "/ask.zip");
    }

    // A description beyond the engine's print bound is shown cut at the bound.
    void aHugeDescriptionIsCut() {
        std::string line(78, '\xB1');
        line += "\r\n";
        std::string big;
        while (big.size() < 5u * 1024 * 1024)
            big += line;
        makeArchive("huge.zip", {{"file_id.diz", big}});
        select("huge.zip");
        const std::string got = bytesOf(main->DIZEdit);
        QVERIFY(got.size() <= size_t(UZ_PRINT_LIMIT) + 2);
        QVERIFY(got.size() >= size_t(UZ_PRINT_LIMIT) - line.size());
        QCOMPARE(got.substr(0, 4 * line.size()), big.substr(0, 4 * line.size()));

        // Shown read-only with a note; no key marks it changed, and a save stores nothing.
        QVERIFY(main->DIZEdit->isReadOnly());
        QLabel* note = main->findChild<QLabel*>(QStringLiteral("DIZNote"));
        QVERIFY(note && note->isVisibleTo(main.get()));
        QVERIFY(note->text().contains(QStringLiteral("4 MiB")));
        QTest::keyClick(main->DIZEdit, Qt::Key_A);
        QVERIFY(!main->Modified);
        const std::string before = readFile(archives + "/huge.zip");
        view->Embed(archive("huge.zip"), QStringLiteral("file_id.diz"));
        QCOMPARE(readFile(archives + "/huge.zip"), before);
        QCOMPARE(prompts.asked().size(), size_t(1));

        // The next description is an ordinary one again.
        select("both.zip");
        QVERIFY(!main->DIZEdit->isReadOnly());
        QVERIFY(!note->isVisibleTo(main.get()));
    }

    // Descriptions as other programs stored them: a NUL byte survives display and save, and a
    // member stored in capitals is replaced under its stored name, never doubled.
    void descriptionsAsStored_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expectedNames");
        QTest::newRow("nul") << "file_id.diz" << QByteArray("before\0after\r\n", 15) << "file_id.diz|x";
        QTest::newRow("capitals") << "FILE_ID.DIZ" << QByteArray("DOS era\r\n") << "FILE_ID.DIZ|x";
        QTest::newRow("readmeCapitals") << "README.TXT" << QByteArray("read\0me\r\n", 9) << "README.TXT|x";
    }
    void descriptionsAsStored() {
        QFETCH(QString, member);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expectedNames);
        const std::string zip = archives + "/stored-" + std::string(QTest::currentDataTag()) + ".zip";
        QCOMPARE(python(t.path().string(), "import zipfile\nwith zipfile.ZipFile('" + zip +
                                               "', 'w', 8) as z:\n    z.writestr('" + member.toStdString() +
                                               "', bytes.fromhex('" + bytes.toHex().toStdString() +
                                               "'))\n    z.writestr('x', 'x')\n"),
                 0);
        main->DIZPage->B_Auto->setChecked(true);
        main->CurrentFile = QString::fromStdString(zip);
        main->GetInfo(main->CurrentFile);
        QCOMPARE(QByteArray::fromStdString(bytesOf(main->DIZEdit)), bytes);
        if (bytes.contains('\0'))
            QVERIFY(shown(main->DIZEdit).contains(QChar(0x2400)));
        type("Z");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QVERIFY(!main->Modified);
        std::string names, stored;
        QCOMPARE(run("python3 -c \"import zipfile, sys; z = zipfile.ZipFile('" + zip +
                         "'); print('|'.join(z.namelist()), end=''); sys.stderr.buffer.write(z.read('" +
                         member.toStdString() + "'))\" 2>" + shellQuote(zip + ".out"),
                     &names),
                 0);
        QCOMPARE(QString::fromStdString(names), expectedNames);
        QCOMPARE(QByteArray::fromStdString(readFile(zip + ".out")), bytes + "Z");
        QVERIFY(unzipTestPasses(zip));
    }

    // Names that are not UTF-8 (Latin-1 from old disks): the archive picked in the file list
    // shows its description, and "Save info" writes the edit into that archive under the
    // member's own bytes.
    void latin1NamesTravelAsBytes_data() {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("member");
        QTest::addColumn<QString>("mode");
        QTest::newRow("archive") << QByteArray() << QByteArray("caf\xe9.zip") << QByteArray("file_id.diz")
                                 << "B_Auto";
        QTest::newRow("in a Latin-1 folder") << QByteArray("d\xe9j\xe0 vu") << QByteArray("caf\xe9.zip")
                                             << QByteArray("file_id.diz") << "B_Auto";
        QTest::newRow("member named after the archive") << QByteArray() << QByteArray("r\xe9sum\xe9.zip")
                                                        << QByteArray("r\xe9sum\xe9.txt") << "B_Filename";
        QTest::newRow("custom name") << QByteArray() << QByteArray("caf\xe9.zip")
                                     << QByteArray("l\xe9"
                                                   "eme.txt")
                                     << "B_Custom";
    }
    void latin1NamesTravelAsBytes() {
        QFETCH(QByteArray, folder);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, member);
        QFETCH(QString, mode);
        const std::string dir = folder.isEmpty() ? archives : archives + "/" + folder.toStdString();
        const std::string zip = dir + "/" + name.toStdString(), m = member.toStdString();
        const std::string src = t / "src-latin1";
        fs::remove_all(src);
        fs::create_directories(dir);
        writeFile(src + "/" + m, "old\r\n");
        writeFile(src + "/other.txt", "other");
        QCOMPARE(zipTool(src, shellQuote(zip) + " " + shellQuote(m) + " other.txt"), 0);
        const std::string list = readFile(start + "/korvel2k.ext");
        std::unique_ptr<TCustom_ext> own;
        struct Restore {
            std::function<void()> f;
            ~Restore() { f(); }
        } restore{[&] {
            writeFile(start + "/korvel2k.ext", list);
            view->setCustomFile(custom.get());
            custom->B_OKClick();
            button("B_Auto")->setChecked(true);
            fs::remove(zip);
        }};
        if (mode == "B_Custom") {
            // The custom list file names the member in its bytes; its menu entry picks it.
            writeFile(start + "/korvel2k.ext", m + "\r\n");
            own = std::make_unique<TCustom_ext>(main.get());
            view->setCustomFile(own.get());
            own->FormCreate();
            main->DIZPage->CustMenu->actions().front()->trigger();
        } else {
            button(qPrintable(mode))->setChecked(true);
        }
        main->LFile->setDirectory(pathText(dir));
        clickRow(pathText(name.toStdString()));
        QCOMPARE(pathBytes(main->CurrentFile), zip);
        QCOMPARE(shown(main->DIZEdit), QString("old\n"));
        QCOMPARE(pathBytes(view->captionMember()), m);
        type("new");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QVERIFY2(prompts.asked().empty(), qPrintable(prompts.texts().join('\n')));
        QVERIFY(!main->Modified);
        std::string stored, names;
        QCOMPARE(run("unzip -p " + shellQuote(zip) + " " + shellQuote(m), &stored), 0);
        QCOMPARE(stored, std::string("old\r\nnew"));
        QCOMPARE(run("zipinfo -1 " + shellQuote(zip) + " | LC_ALL=C sort", &names), 0);
        QCOMPARE(names, std::string(m < "other.txt" ? m + "\nother.txt\n" : "other.txt\n" + m + "\n"));
        QVERIFY(unzipTestPasses(zip));
    }
};

QTEST_MAIN(TestDescriptionController)
#include "test_description_controller.moc"
