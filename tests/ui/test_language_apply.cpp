// A language file reaches every control the key table names, on windows found by objectName;
// failures stop the application where they happen and tell the user.
#include "LanguageStandIns.h"

#include "QtFiles.h"
#include "ScriptedPrompts.h"
#include "core/lang/LanguageTable.h"
#include "lang/LanguageApplier.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

using namespace korvel;
using namespace korvel::test;

namespace {

// A text no other key has, with letters outside ASCII to prove the file is read as UTF-8.
QString uniqueText(int row) {
    return QStringLiteral("T%1 Ünïcødé «€» &x").arg(row);
}

// A language file setting every key of the table to its unique text.
QByteArray everyKeyFile() {
    QByteArray out;
    std::string_view section;
    int row = 0;
    for (const auto& k : lang::keyTable()) {
        if (k.section != section) {
            out += "[" + QByteArray(k.section.data(), k.section.size()) + "]\n";
            section = k.section;
        }
        out += QByteArray(k.key.data(), k.key.size()) + "=" + uniqueText(row++).toUtf8() + "\n";
    }
    return out;
}

QString defaultOf(std::string_view section, std::string_view key) {
    for (const auto& k : lang::keyTable())
        if (k.section == section && k.key == key)
            return qs(k.defaultText);
    return {};
}

} // namespace

class TestLanguageApply : public QObject {
    Q_OBJECT
private:
    QtTempDir dir_;
    std::unique_ptr<StandIns> all_;
    LanguageResult allResult_;

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        all_ = std::make_unique<StandIns>();
        ScriptedPrompts prompts;
        allResult_ = ApplyLanguage(writeFile(dir_.filePath("all.kvl"), everyKeyFile()), all_->windows());
        QVERIFY(allResult_.ok);
        QVERIFY(prompts.asked().empty());
    }

    // Every one of the keys puts its text on the control (or both controls) the table names.
    void everyKeyReachesItsControl_data() {
        QTest::addColumn<int>("row");
        int row = 0;
        for (const auto& k : lang::keyTable()) {
            QTest::newRow(qPrintable(qs(k.section) + '/' + qs(k.key))) << row;
            ++row;
        }
    }
    void everyKeyReachesItsControl() {
        QFETCH(int, row);
        const lang::Key& k = lang::keyTable()[static_cast<std::size_t>(row)];
        const QString expected = uniqueText(row);
        for (const lang::Target* t : {&k.first, &k.second}) {
            if (t->empty())
                continue;
            if (t->isSpecial()) {
                const SpecialTexts& s = allResult_.specials;
                const std::optional<QString>* got =
                    t->special == lang::Special::AllCustomCaption ? &s.allCustomCaption
                    : t->special == lang::Special::CopyPrompt     ? &s.copyPrompt
                    : t->special == lang::Special::MovePrompt     ? &s.movePrompt
                    : t->special == lang::Special::ZipOnlySave    ? &s.zipOnlySave
                                                                  : &s.countWord;
                QVERIFY(got->has_value());
                QCOMPARE(**got, expected);
            } else {
                QCOMPARE(all_->shown(*t), expected);
            }
        }
    }

    void standInsHoldEveryTarget() {
        QCOMPARE(missingLanguageTargets(all_->windows()), QStringList());
        StandIns w({QStringLiteral("Main.Lab4"), QStringLiteral("Custom_ext")});
        QCOMPARE(missingLanguageTargets(w.windows()),
                 (QStringList{"Main.Lab4", "Custom_ext title", "Custom_ext.Label1", "Custom_ext.Label2",
                              "Custom_ext.B_Add", "Custom_ext.B_Remove", "Custom_ext.Label3",
                              "Custom_ext.B_saveprefs", "Custom_ext.B_OK"}));
    }

    void textsNoKeyCoversStay() {
        QCOMPARE(all_->window("Main")->windowTitle(), QStringLiteral("Korvel 2002"));
        QCOMPARE(all_->tabs()->tabText(2), QStringLiteral("File manager"));
    }

    // An empty file gives every key the table's text, which differs from some form captions.
    void emptyFileSetsTheTableDefaults() {
        StandIns w;
        QCOMPARE(w.tabs()->tabText(0), QStringLiteral("ZIP and MP3 info"));
        ScriptedPrompts prompts;
        auto r = ApplyLanguage(writeFile(dir_.filePath("empty.kvl"), {}), w.windows());
        QVERIFY(r.ok);
        QCOMPARE(w.tabs()->tabText(0), QStringLiteral("Info ZIP files"));
        QCOMPARE(w.tabs()->tabText(1), QStringLiteral("Easy zip packer"));
        QCOMPARE(test::shownText(w.control("Main", "Lstep1")), QStringLiteral("Step 1:"));
        QCOMPARE(test::shownText(w.control("FrmUnzip", "Label2")), QStringLiteral("Size(bytes)"));
        QCOMPARE(test::shownText(w.control("Custom_ext", "Label2")), defaultOf("Custom files", "LabelUp"));
        QVERIFY(test::shownText(w.control("Custom_ext", "Label2")).contains('\n'));
        QCOMPARE(r.specials.allCustomCaption, std::optional<QString>(QStringLiteral("all custom files")));
        QCOMPARE(r.specials.copyPrompt, std::optional<QString>(QStringLiteral("Confirm copy")));
        QCOMPARE(r.specials.movePrompt, std::optional<QString>(QStringLiteral("Confirm move")));
        QCOMPARE(r.specials.countWord, std::optional<QString>(QStringLiteral("file(s)")));
        QVERIFY(prompts.asked().empty());
    }

    void missingOrUnreadableFileGivesTheDefaults_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing") << dir_.filePath("nothere.kvl");
        QTest::newRow("folder") << dir_.path();
        QTest::newRow("folder with separator") << dir_.path() + '/';
        QTest::newRow("empty path") << QString();
    }
    void missingOrUnreadableFileGivesTheDefaults() {
        QFETCH(QString, path);
        StandIns w;
        ApplyLanguage(
            writeFile(dir_.filePath("first.kvl"), "[Buttons]\nview=Vedi\n[Menu]\n10=Carattere...\n"),
            w.windows());
        QCOMPARE(test::shownText(w.control("Main", "B_view")), QStringLiteral("Vedi"));
        QCOMPARE(test::shownText(w.control("Main", "M_Font")), QStringLiteral("Carattere..."));
        ScriptedPrompts prompts;
        QVERIFY(ApplyLanguage(path, w.windows()).ok);
        QCOMPARE(test::shownText(w.control("Main", "B_view")), QStringLiteral("View"));
        QCOMPARE(test::shownText(w.control("Main", "M_Font")), QStringLiteral("Font..."));
        QVERIFY(prompts.asked().empty());
    }

    void menuKeysNameMenusAndItems() {
        StandIns w;
        ApplyLanguage(writeFile(dir_.filePath("menu.kvl"), "[menu]\n1=Opzioni\n10=Carattere...\n"),
                      w.windows());
        auto* options = qobject_cast<QMenu*>(w.control("Main", "Options1"));
        QVERIFY(options);
        QCOMPARE(options->title(), QStringLiteral("Opzioni"));
        QCOMPARE(options->actions().front()->text(), QStringLiteral("Carattere..."));
        QCOMPARE(options->actions().front()->objectName(), QStringLiteral("M_Font"));
    }

    void emptyValueEmptiesTheCaption() {
        StandIns w;
        auto r =
            ApplyLanguage(writeFile(dir_.filePath("blank.kvl"), "[Buttons]\nview=\ncustom=\n"), w.windows());
        QVERIFY(r.ok);
        QCOMPARE(test::shownText(w.control("Main", "B_view")), QString());
        QCOMPARE(test::shownText(w.control("Main", "B_Custom")), QString());
        QCOMPARE(r.specials.allCustomCaption, std::optional<QString>(QString()));
    }

    void latin1FileIsRead() {
        StandIns w;
        ApplyLanguage(writeFile(dir_.filePath("latin1.kvl"), "[MP3]\nL3=Modalit\xE0\n"), w.windows());
        QCOMPARE(test::shownText(w.control("Main", "L3")), QStringLiteral("Modalità"));
    }

    // Files that are not UTF-8 are Windows-1252: curly quotes, the euro sign, the dashes.
    void windows1252FileIsRead() {
        StandIns w;
        ApplyLanguage(writeFile(dir_.filePath("cp1252.kvl"), "[MP3]\nL3=\x93Modalit\xE0\x94 \x80 \x96\n"),
                      w.windows());
        QCOMPARE(test::shownText(w.control("Main", "L3")), QStringLiteral("“Modalità” € –"));
    }

    // "&" in a label's text marks its shortcut letter, as on buttons: the label hands the focus
    // to the control after it; without "&" nothing changes.
    void ampersandInALabelMarksItsShortcut_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("shortcut");
        QTest::newRow("shortcut") << QByteArray("&Modalità") << true;
        QTest::newRow("plain") << QByteArray("Modalità") << false;
    }
    void ampersandInALabelMarksItsShortcut() {
        QFETCH(QByteArray, text);
        QFETCH(bool, shortcut);
        StandIns w;
        ApplyLanguage(writeFile(dir_.filePath("amp.kvl"), "[MP3]\nL3=" + text + "\n"), w.windows());
        auto* label = qobject_cast<QLabel*>(w.control("Main", "L3"));
        QVERIFY(label);
        QCOMPARE(label->text(), QString::fromUtf8(text));
        QCOMPARE(label->buddy() != nullptr, shortcut);
    }

    void labelsShowMarkupAsText() {
        StandIns w;
        ApplyLanguage(writeFile(dir_.filePath("markup.kvl"), "[Packer]\nLdrag=<b>bold</b>\n"), w.windows());
        auto* label = qobject_cast<QLabel*>(w.control("Main", "Ldrag"));
        QCOMPARE(label->text(), QStringLiteral("<b>bold</b>"));
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }

    // A target that is not there stops the application at that key and tells the user; what
    // came before keeps its new text, what comes after keeps what it had.
    void failureStopsAndReports_data() {
        QTest::addColumn<QString>("leaveOut");
        QTest::addColumn<QString>("failedKey");
        QTest::addColumn<QString>("lastApplied"); // Window.Control applied just before
        QTest::addColumn<QString>("notApplied");  // Window.Control after the failure
        QTest::newRow("missing control") << "FrmZipOpt.chGrow"
                                         << "Zip options/7"
                                         << "FrmZipOpt.Label2"
                                         << "FrmZipOpt.chMove";
        QTest::newRow("missing second control") << "Main.Lab3"
                                                << "MP3/Label3"
                                                << "Main.Label3"
                                                << "Main.Label4";
        QTest::newRow("missing window") << "FrmUnzip"
                                        << "Unpacker/Title"
                                        << "FrmZipOpt.B_Close"
                                        << "Custom_ext.Label1";
        QTest::newRow("missing tab page") << "Main.PackPage"
                                          << "Tabs/Zip"
                                          << "Main.About1"
                                          << "Main.Ldrag";
    }
    void failureStopsAndReports() {
        QFETCH(QString, leaveOut);
        QFETCH(QString, failedKey);
        QFETCH(QString, lastApplied);
        QFETCH(QString, notApplied);
        StandIns w({leaveOut});
        ScriptedPrompts prompts;
        auto r = ApplyLanguage(writeFile(dir_.filePath("fail.kvl"), everyKeyFile()), w.windows());
        QVERIFY(!r.ok);
        QCOMPARE(r.failedKey, failedKey);
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Err language file; default English")});
        QCOMPARE(prompts.asked().front().kind, QStringLiteral("inform"));
        auto part = [](const QString& id) { return id.split('.'); };
        QVERIFY(test::shownText(w.control(part(lastApplied)[0], part(lastApplied)[1])).startsWith('T'));
        QVERIFY(test::shownText(w.control(part(notApplied)[0], part(notApplied)[1])).startsWith("form:"));
        // The "custom" text came before every failure here, the file manager's prompts after.
        QVERIFY(r.specials.allCustomCaption.has_value());
        QVERIFY(!r.specials.copyPrompt && !r.specials.movePrompt && !r.specials.countWord);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void controlThatShowsNoTextIsAFailure() {
        StandIns w({QStringLiteral("Main.B_view")});
        auto* edit = new QLineEdit(qobject_cast<QMainWindow*>(w.window("Main"))->centralWidget());
        edit->setObjectName(QStringLiteral("B_view"));
        ScriptedPrompts prompts;
        auto r = ApplyLanguage(writeFile(dir_.filePath("edit.kvl"), "[Buttons]\nview=X\n"), w.windows());
        QVERIFY(!r.ok);
        QCOMPARE(r.failedTarget, QStringLiteral("Main.B_view"));
        QCOMPARE(edit->text(), QString());
        QCOMPARE(prompts.texts().size(), 1);
    }

    void cursorIsBackAfterApplying() {
        StandIns w;
        ApplyLanguage(writeFile(dir_.filePath("c.kvl"), "[Buttons]\nview=X\n"), w.windows());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    // The shipped files apply cleanly and change what they should.
    void shippedFilesApply_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("fontItem");
        QTest::addColumn<QString>("firstTab");
        QTest::newRow("english") << "english.kvl"
                                 << "Font..."
                                 << "Info ZIP files";
        QTest::newRow("italiano") << "italiano.kvl"
                                  << "Carattere..."
                                  << "Info file ZIP";
        QTest::newRow("deutsch") << "deutsch.kvl"
                                 << "Schriftart..."
                                 << "ZIP-Infos";
    }
    void shippedFilesApply() {
        QFETCH(QString, file);
        QFETCH(QString, fontItem);
        QFETCH(QString, firstTab);
        StandIns w;
        ScriptedPrompts prompts;
        auto r = ApplyLanguage(QStringLiteral(KORVEL_BIN_DIR "/") + file, w.windows());
        QVERIFY(r.ok);
        QVERIFY(prompts.asked().empty());
        QCOMPARE(test::shownText(w.control("Main", "M_Font")), fontItem);
        QCOMPARE(w.tabs()->tabText(0), firstTab);
        for (const auto& k : lang::keyTable())
            if (k.first.isControl())
                QVERIFY2(!w.shown(k.first).startsWith("form:"), qPrintable(qs(k.key)));
    }
};

QTEST_MAIN(TestLanguageApply)
#include "test_language_apply.moc"
