// The audio page of the main window as a person uses it: MP3 files made by lame and tagged by
// id3v2 and mutagen, picked in the browser pane; the tag editors, the stream texts, the marking
// keys, the copy buttons, the saves and their messages, and play/stop through the decoder library.
#include "AudioFixtures.h"
#include "ScriptedPrompts.h"
#include "app/ZipMain.h"
#include "audio/AudioHooks.h"
#include "audio/AudioPage.h"
#include "audio/MPEGPlay.h"
#include "audio/PlayerPanel.h"
#include "core/audio/ID3v2.h"
#include "widgets/DizPage.h"
#include "widgets/FileListModel.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace korvel;
using namespace korvel::testaudio;

namespace {

using Bytes = std::vector<char>;

void writeBytes(const std::string& path, const Bytes& b) {
    korvel::test::writeFile(path, std::string_view(b.data(), b.size()));
}

Bytes tail(const Bytes& b, std::size_t n) {
    return Bytes(b.end() - static_cast<std::ptrdiff_t>(std::min(n, b.size())), b.end());
}

// An ID3v1 block made byte by byte.
Bytes v1Block(const std::string& title, const std::string& artist, std::uint8_t genre) {
    Bytes b(128, 0);
    std::copy_n("TAG", 3, b.begin());
    std::copy(title.begin(), title.end(), b.begin() + 3);
    std::copy(artist.begin(), artist.end(), b.begin() + 33);
    std::copy_n("1999", 4, b.begin() + 93);
    b[127] = static_cast<char>(genre);
    return b;
}

// An ID3v2.2 tag with one title frame ("TT2", three-byte ids and sizes).
Bytes v22Tag(const std::string& title) {
    Bytes frame = {'T', 'T', '2', 0, 0, static_cast<char>(title.size() + 1), 0};
    frame.insert(frame.end(), title.begin(), title.end());
    Bytes tag = {'I', 'D', '3', 2, 0, 0, 0, 0, 0, static_cast<char>(frame.size())};
    tag.insert(tag.end(), frame.begin(), frame.end());
    return tag;
}

// The size of the ID3v2 tag a file starts with (0 without one).
std::size_t v2Size(const Bytes& b) {
    if (b.size() < 10 || b[0] != 'I' || b[1] != 'D' || b[2] != '3')
        return 0;
    return 10 + ((b[6] & 0x7f) << 21 | (b[7] & 0x7f) << 14 | (b[8] & 0x7f) << 7 | (b[9] & 0x7f));
}

// What mutagen reads from a file's ID3v2 tag: "FRAME=text" lines.
QString mutagenList(const std::string& file) {
    const std::string out = file + ".mid3v2";
    sh("mid3v2 -l " + quote(file) + " > " + quote(out) + " 2>&1");
    auto b = readFile(out);
    return QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size()));
}

} // namespace

class TestAudioPage : public QObject {
    Q_OBJECT

    TempDir dir;
    std::string cbr; // lame, CBR 128 kbit/s, 44.1 kHz joint stereo, 2 seconds, no tags
    Bytes cbrBytes;
    Bytes reference; // what mpg123 -s decodes from it
    QString pcm;

    std::unique_ptr<TMain> main;
    TAudioPage* page = nullptr;
    TPlayerPanel* player = nullptr;

    // A fresh main window as the program makes it, started in the folder of the decoder library.
    std::unique_ptr<TMain> makeMain(const QString& startDir = KORVEL_BIN_DIR) {
        auto m = std::make_unique<TMain>();
        installAudio(*m);
        QDir::setCurrent(startDir);
        if (!m->FormCreate())
            return nullptr;
        m->show();
        return m;
    }
    // A copy of the plain file with a name of its own.
    QString copyOf(const std::string& name, const Bytes& bytes) {
        writeBytes(dir / name, bytes);
        return QString::fromStdString(dir / name);
    }
    // Clicks a file in the browser pane, as the user picks it.
    void pick(const QString& file) {
        const QFileInfo info(file);
        if (main->LFile->Directory() != info.absolutePath() + "/")
            main->LFile->setDirectory(info.absolutePath());
        if (main->LFile->findRow(info.fileName()) < 0)
            main->LFile->RefreshList(); // a file made since the folder was listed
        const int row = main->LFile->findRow(info.fileName());
        QVERIFY2(row >= 0, qPrintable(file));
        main->LFile->view()->scrollTo(main->LFile->model()->index(row, 0));
        QTest::mouseClick(main->LFile->view()->viewport(), Qt::LeftButton, {},
                          main->LFile->rowRect(row).center());
        QCOMPARE(main->CurrentFile, file);
    }
    template <class W> W* control(const char* name) {
        W* w = main->findChild<W*>(name);
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString text(const char* name) {
        if (auto* e = main->findChild<QLineEdit*>(name))
            return e->text();
        if (auto* c = main->findChild<QComboBox*>(name))
            return c->currentText();
        if (auto* m = main->findChild<QPlainTextEdit*>(name))
            return m->toPlainText();
        return control<QLabel>(name)->text();
    }
    void resetModified() {
        main->Modified = false;
        main->B_Save->setEnabled(false);
    }

private slots:
    void initTestCase() {
        for (const char* tool : {"lame", "mpg123", "id3v2", "mid3v2"})
            QVERIFY2(haveTool(tool), tool);
        cbr = makeMp3(dir, "tone", 2.0, 44100, 2, "-b 128 --cbr");
        QVERIFY2(!cbr.empty(), "lame failed");
        cbrBytes = readFile(cbr);
        reference = mpg123Decode(dir, cbr);
        QVERIFY(!reference.empty());
        pcm = QString::fromStdString(dir / "out.pcm");
    }
    void init() {
        main = makeMain();
        QVERIFY(main);
        page = TAudioPage::of(*main);
        player = TPlayerPanel::of(*main);
        QVERIFY(page && player);
    }
    void cleanup() {
        main.reset();
        QDir::setCurrent(QDir::tempPath());
    }

    void controlsAtStart() {
        for (const char* name :
             {"MP_title",       "MP_artist", "MP_album",  "MP_year",     "CB_Genre",   "MP_comment",
              "Ck_V1",          "LFileSize", "LBitRate",  "LSampleRate", "LMPEGType",  "LDuration",
              "LChannelMode",   "LEncoder",  "MP_Title2", "MP_artist2",  "MP_Album2",  "MP_Year2",
              "CB_genre2",      "M_Comment", "Ck_V2",     "B_CopyTo",    "B_CopyFrom", "VrMediaButton1",
              "VrMediaButton3", "MPEG1"})
            QVERIFY2(main->findChild<QObject*>(name), name);
        // The captions the language file's "MP3" section replaces.
        const std::pair<const char*, const char*> captions[] = {
            {"L1", "FileSize"},    {"L2", "BitRate"},   {"L3", "Mode"},     {"L4", "MPEG Type"},
            {"L5", "Sample rate"}, {"L6", "Duration"},  {"L7", "Encoder"},  {"Label1", "Artist"},
            {"Label2", "Title"},   {"Label3", "Album"}, {"Label4", "Year"}, {"Label5", "Genre"},
            {"Label6", "Comment"}, {"Lab1", "Artist"},  {"Lab6", "Comment"}};
        for (auto [name, caption] : captions)
            QCOMPARE(control<QLabel>(name)->text(), QString(caption));
        QCOMPARE(main->MP3Panel->tabText(0), QString("ID3 V 1"));
        QCOMPARE(main->MP3Panel->tabText(1), QString("ID3 V 2"));
        QCOMPARE(control<QPushButton>("B_CopyTo")->text(), QString("Copy to ID3 v1"));
        QCOMPARE(control<QPushButton>("B_CopyFrom")->text(), QString("Copy from ID3 v1"));
        QVERIFY(page->Ck_V1->isChecked());
        QVERIFY(!page->Ck_V2->isChecked());
        QCOMPARE(page->Ck_V1->text(), QString("Use this format on saving info"));
        for (auto* e : {page->MP_title, page->MP_artist, page->MP_album, page->MP_comment})
            QCOMPARE(e->maxLength(), 30);
        QCOMPARE(page->MP_year->maxLength(), 4);
        QCOMPARE(page->MP_Year2->maxLength(), 4);
        QVERIFY(page->MP_Title2->maxLength() > 1000);
        // Both genre boxes: the empty entry, then the 148 names.
        for (QComboBox* box : {page->CB_Genre, page->CB_genre2}) {
            QCOMPARE(box->count(), 149);
            QCOMPARE(box->itemText(0), QString());
            QCOMPARE(box->itemText(1), QString("Blues"));
            QCOMPARE(box->itemText(18), QString("Rock"));
            QVERIFY(box->isEditable());
        }
    }

    void genresFilledWithoutDecoder() {
        // No decoder library in the start folder nor beside the program: its message, and the
        // genre boxes are still filled, so an ID3v1 save keeps the file's genre.
        ScriptedPrompts prompts;
        QDir().mkpath(QString::fromStdString(dir / "nolib"));
        main = makeMain(QString::fromStdString(dir / "nolib"));
        QVERIFY(main);
        page = TAudioPage::of(*main);
        QCOMPARE(prompts.texts(), QStringList{"Can't load MPEG library"});
        QCOMPARE(page->CB_Genre->count(), 149);
        const QString f = copyOf("nolib.mp3", [&] {
            Bytes b = cbrBytes;
            Bytes tag = v1Block("Song", "Band", 17);
            b.insert(b.end(), tag.begin(), tag.end());
            return b;
        }());
        pick(f);
        QCOMPARE(page->CB_Genre->currentText(), QString("Rock"));
        page->IDTagWrite(f);
        QCOMPARE(int(static_cast<unsigned char>(readFile(f.toStdString()).back())), 17);
        // Play and stop then say the library is missing; the program runs on.
        prompts.clear();
        QTest::mouseClick(TPlayerPanel::of(*main)->VrMediaButton1, Qt::LeftButton);
        QTest::mouseClick(TPlayerPanel::of(*main)->VrMediaButton3, Qt::LeftButton);
        QCOMPARE(prompts.texts(), (QStringList{"MPEG library not loaded", "MPEG library not loaded"}));
    }

    void bothTagsFillBothTabs() {
        const QString f = copyOf("both.mp3", cbrBytes);
        QCOMPARE(sh("id3v2 -a 'The Artist' -t 'A Title' -A 'An Album' -y 1987 -g 17 -c 'A comment' " +
                    quote(f.toStdString()) + " >/dev/null"),
                 0);
        pick(f);
        QVERIFY(!main->MP3Panel->isHidden());
        QVERIFY(!main->MPanel->isHidden());
        QCOMPARE(main->Cornice->title(), QString("both.mp3"));
        QCOMPARE(text("MP_artist"), QString("The Artist"));
        QCOMPARE(text("MP_title"), QString("A Title"));
        QCOMPARE(text("MP_album"), QString("An Album"));
        QCOMPARE(text("MP_year"), QString("1987"));
        QCOMPARE(text("MP_comment"), QString("A comment"));
        QCOMPARE(page->CB_Genre->currentIndex(), 18);
        QCOMPARE(text("CB_Genre"), QString("Rock"));
        QCOMPARE(text("MP_artist2"), QString("The Artist"));
        QCOMPARE(text("MP_Title2"), QString("A Title"));
        QCOMPARE(text("MP_Album2"), QString("An Album"));
        QCOMPARE(text("MP_Year2"), QString("1987"));
        QCOMPARE(text("CB_genre2"), QString("Rock")); // id3v2 stores the bare code "(17)"
        QCOMPARE(text("M_Comment"), QString("A comment"));
        // Filling the page is no edit.
        QVERIFY(!main->Modified);
        QVERIFY(!main->B_Save->isEnabled());

        // The next file starts from empty fields.
        const QString plain = copyOf("plain.mp3", cbrBytes);
        pick(plain);
        QCOMPARE(main->Cornice->title(), QString("plain.mp3"));
        for (const char* name : {"MP_artist", "MP_title", "CB_Genre", "MP_Title2", "CB_genre2", "M_Comment"})
            QVERIFY2(text(name).isEmpty(), name);
        QCOMPARE(page->CB_Genre->currentIndex(), 0);
    }

    void latin1Texts() {
        const QString f = copyOf("latin1.mp3", [&] {
            Bytes b = cbrBytes;
            Bytes tag = v1Block("Caf\xe9 \xbd", "Mot\xf6rhead", 9);
            b.insert(b.end(), tag.begin(), tag.end());
            return b;
        }());
        pick(f);
        QCOMPARE(text("MP_title"), QString::fromUtf8("Café ½"));
        QCOMPARE(text("MP_artist"), QString::fromUtf8("Motörhead"));
        page->MP_title->setText(QString::fromUtf8("Ångström"));
        page->IDTagWrite(f);
        const Bytes block = tail(readFile(f.toStdString()), 128);
        QCOMPARE(QByteArray(block.data() + 3, 8), QByteArray("\xc5ngstr\xf6m"));
    }

    void v2OfOtherVersionsFillTabTwo_data() {
        QTest::addColumn<QString>("version");
        QTest::newRow("2.2") << "2.2";
        QTest::newRow("2.4") << "2.4";
    }
    void v2OfOtherVersionsFillTabTwo() {
        QFETCH(QString, version);
        const std::string name = "v" + version.toStdString() + ".mp3";
        QString f;
        if (version == "2.2") {
            Bytes b = v22Tag("Old Title");
            b.insert(b.end(), cbrBytes.begin(), cbrBytes.end());
            f = copyOf(name, b);
        } else {
            f = copyOf(name, cbrBytes);
            QCOMPARE(sh("mid3v2 -t 'New Title' -a 'Someone' " + quote(f.toStdString()) + " >/dev/null"), 0);
            QVERIFY(mutagenList(f.toStdString()).contains("TIT2=New Title"));
        }
        pick(f);
        QCOMPARE(text("MP_Title2"), version == "2.2" ? QString("Old Title") : QString("New Title"));
        QCOMPARE(text("MP_artist2"), version == "2.2" ? QString() : QString("Someone"));
        for (const char* name : {"MP_Album2", "MP_Year2", "CB_genre2", "M_Comment", "MP_title", "MP_artist"})
            QVERIFY2(text(name).isEmpty(), name);
        // The stream behind the tag is still found.
        QCOMPARE(text("LMPEGType"), QString("MPEG 1 Layer III"));
    }

    void genreBeyondTheList_data() {
        QTest::addColumn<int>("genre");
        QTest::newRow("148") << 148;
        QTest::newRow("200") << 200;
        QTest::newRow("254") << 254;
        QTest::newRow("255") << 255;
    }
    void genreBeyondTheList() {
        QFETCH(int, genre);
        const QString f = copyOf("genre.mp3", [&] {
            Bytes b = cbrBytes;
            Bytes tag = v1Block("Title", "Artist", static_cast<std::uint8_t>(genre));
            b.insert(b.end(), tag.begin(), tag.end());
            return b;
        }());
        pick(f);
        QCOMPARE(page->CB_Genre->currentIndex(), 0);
        QCOMPARE(text("CB_Genre"), QString());
        // Saved untouched: no genre.
        page->IDTagWrite(f);
        QCOMPARE(int(static_cast<unsigned char>(readFile(f.toStdString()).back())), 255);
    }

    void genreSavedFromTheBox_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("saved");
        QTest::newRow("picked name") << "Jazz" << 8;
        QTest::newRow("other case") << "jazz" << 8;
        QTest::newRow("last of the list") << "Synthpop" << 147;
        QTest::newRow("emptied") << "" << 255;
        QTest::newRow("no such genre") << "Not a genre" << 254;
    }
    void genreSavedFromTheBox() {
        QFETCH(QString, typed);
        QFETCH(int, saved);
        const QString f = copyOf("typed.mp3", cbrBytes);
        pick(f);
        page->CB_Genre->lineEdit()->selectAll();
        QTest::keyClick(page->CB_Genre->lineEdit(), Qt::Key_Delete);
        QTest::keyClicks(page->CB_Genre->lineEdit(), typed);
        QVERIFY(main->Modified);
        QVERIFY(main->B_Save->isEnabled());
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QCOMPARE(int(static_cast<unsigned char>(readFile(f.toStdString()).back())), saved);
        QVERIFY(!main->Modified);
        QVERIFY(!main->B_Save->isEnabled());
    }

    void genrePickedFromTheListMarks() {
        const QString f = copyOf("picked.mp3", cbrBytes);
        pick(f);
        QVERIFY(!main->Modified);
        page->CB_Genre->setFocus();
        QTest::keyClick(page->CB_Genre, Qt::Key_Down); // the next entry of the list
        QVERIFY(main->Modified);
        QVERIFY(main->B_Save->isEnabled());
        resetModified();
        // The ID3v2 box too.
        QTest::keyClick(page->CB_genre2, Qt::Key_Down);
        QVERIFY(main->Modified);
    }

    void savingOneFormatLeavesTheOtherByteIdentical() {
        const QString f = copyOf("keep.mp3", cbrBytes);
        QCOMPARE(sh("id3v2 -a Artist -t Title -A Album -y 2001 -g 8 -c Note " + quote(f.toStdString()) +
                    " >/dev/null"),
                 0);
        const Bytes before = readFile(f.toStdString());
        const std::size_t v2 = v2Size(before);
        QVERIFY(v2 > 10);

        // Only ID3v1 (the default): the ID3v2 tag and the audio stay as they were.
        pick(f);
        page->MP_title->setFocus();
        page->MP_title->selectAll();
        QTest::keyClicks(page->MP_title, "New one");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        const Bytes afterV1 = readFile(f.toStdString());
        QCOMPARE(afterV1.size(), before.size());
        QVERIFY(Bytes(afterV1.begin(), afterV1.end() - 128) == Bytes(before.begin(), before.end() - 128));
        QCOMPARE(QByteArray(afterV1.data() + afterV1.size() - 125, 7), QByteArray("New one"));
        QCOMPARE(int(static_cast<unsigned char>(afterV1.back())), 8);

        // Only ID3v2: the ID3v1 block stays as it was.
        pick(f);
        page->Ck_V1->setChecked(false);
        page->Ck_V2->setChecked(true);
        main->MP3Panel->setCurrentWidget(main->DIZPage->TabV2);
        page->MP_Title2->setFocus();
        page->MP_Title2->selectAll();
        QTest::keyClicks(page->MP_Title2, "Second title");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        const Bytes afterV2 = readFile(f.toStdString());
        QVERIFY(tail(afterV2, 128) == tail(afterV1, 128));
        const QString listed = mutagenList(f.toStdString());
        QVERIFY2(listed.contains("TIT2=Second title"), qPrintable(listed));
        QVERIFY2(listed.contains("TPE1=Artist"), qPrintable(listed));
        // The audio between the tags is untouched.
        const std::size_t v2After = v2Size(afterV2);
        QVERIFY(Bytes(afterV2.begin() + v2After, afterV2.end() - 128) ==
                Bytes(afterV1.begin() + v2, afterV1.end() - 128));
        // The boxes keep their state from file to file.
        pick(QString::fromStdString(cbr));
        QVERIFY(!page->Ck_V1->isChecked());
        QVERIFY(page->Ck_V2->isChecked());
    }

    void neitherFormatTickedWritesNothing() {
        ScriptedPrompts prompts;
        const QString f = copyOf("none.mp3", cbrBytes);
        pick(f);
        page->Ck_V1->setChecked(false);
        page->Ck_V2->setChecked(false);
        QTest::keyClicks(page->MP_title, "x");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QVERIFY(readFile(f.toStdString()) == cbrBytes);
        QVERIFY(prompts.asked().empty());
    }

    void failedWritesOneMessagePerFormat_data() {
        QTest::addColumn<bool>("v1");
        QTest::addColumn<bool>("v2");
        QTest::newRow("ID3v1") << true << false;
        QTest::newRow("ID3v2") << false << true;
        QTest::newRow("both") << true << true;
    }
    void failedWritesOneMessagePerFormat() {
        QFETCH(bool, v1);
        QFETCH(bool, v2);
        ScriptedPrompts prompts;
        const QString f = copyOf("gone.mp3", cbrBytes);
        pick(f);
        page->Ck_V1->setChecked(v1);
        page->Ck_V2->setChecked(v2);
        QTest::keyClicks(page->MP_title, "abc");
        QVERIFY(QFile::remove(f));
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QStringList expected;
        if (v1)
            expected << "Can not save V1 tag to the file: " + f;
        if (v2)
            expected << "Can not save V2 tag to the file: " + f;
        QCOMPARE(prompts.texts(), expected);
        QVERIFY(!QFile::exists(f)); // nothing made in its place
        // The edit counts as settled.
        QVERIFY(!main->Modified);
        QVERIFY(!main->B_Save->isEnabled());
    }

    void unicodeTagsOfEveryVersion_data() {
        QTest::addColumn<int>("version");
        QTest::newRow("2.3") << 3;
        QTest::newRow("2.4") << 4;
    }
    void unicodeTagsOfEveryVersion() {
        QFETCH(int, version);
        const QString f = copyOf("unicode.mp3", cbrBytes);
        const std::string script =
            "import sys\nfrom mutagen.id3 import ID3, TIT2, TPE1, COMM, APIC\nt = ID3()\n"
            "t.add(TIT2(encoding=1, text='Τίτλος 标题'))\nt.add(TPE1(encoding=3, text='Исполнитель'))\n"
            "t.add(COMM(encoding=1, lang='eng', desc='iTunNORM', text=' 0A 0B'))\n"
            "t.add(COMM(encoding=0, lang='eng', desc='', text='Plain'))\n"
            "t.add(APIC(encoding=0, mime='image/png', type=3, desc='c', data=b'x' * 3000))\n"
            "t.save(sys.argv[1], v2_version=" +
            std::to_string(version) + ")\n";
        QCOMPARE(sh("/usr/bin/python3 -c " + quote(script) + " " + quote(f.toStdString())), 0);
        pick(f);
        QCOMPARE(text("MP_Title2"), QString::fromUtf8("Τίτλος 标题"));
        QCOMPARE(text("MP_artist2"), QString::fromUtf8("Исполнитель"));
        QCOMPARE(text("M_Comment"), QString("Plain")); // the comment without a description
        // Only the comment memo edited, then saved as ID3v2 alone.
        page->Ck_V1->setChecked(false);
        page->Ck_V2->setChecked(true);
        main->MP3Panel->setCurrentWidget(main->DIZPage->TabV2);
        page->M_Comment->setFocus();
        page->M_Comment->selectAll();
        QTest::keyClick(page->M_Comment, Qt::Key_Q);
        QVERIFY(main->Modified);
        page->M_Comment->setPlainText(QString::fromUtf8("Ελληνικά")); // typed through an input method
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        const QString listed = mutagenList(f.toStdString());
        QVERIFY2(listed.contains(QString::fromUtf8("TIT2=Τίτλος 标题")), qPrintable(listed));
        QVERIFY2(listed.contains(QString::fromUtf8("COMM==eng=Ελληνικά")), qPrintable(listed));
        QVERIFY2(listed.contains("COMM=iTunNORM=eng= 0A 0B"), qPrintable(listed));
        QVERIFY2(listed.contains("APIC=cover front, c (image/png, 3000 bytes)"), qPrintable(listed));
        const Bytes b = readFile(f.toStdString());
        QCOMPARE(int(b[3]), version); // the tag keeps its version
        // Changed back without picking the file again: saved as well.
        QTest::keyClick(page->M_Comment, Qt::Key_Q);
        page->M_Comment->setPlainText("Plain");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        pick(f);
        QCOMPARE(text("M_Comment"), QString("Plain"));
    }

    void bothFormatsAreOneChange() {
        // A damaged ID3v2 tag (a frame runs past its end): saving both formats changes nothing.
        ScriptedPrompts prompts;
        Bytes b = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 30, 'T', 'I', 'T', '2', 0, 0, 1, 0, 0, 0, 0, 'x'};
        b.resize(40, 0);
        b.insert(b.end(), cbrBytes.begin(), cbrBytes.end());
        Bytes tag = v1Block("Old", "Band", 17);
        b.insert(b.end(), tag.begin(), tag.end());
        const QString f = copyOf("damaged.mp3", b);
        pick(f);
        page->Ck_V1->setChecked(true);
        page->Ck_V2->setChecked(true);
        QTest::keyClicks(page->MP_title, "abc");
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QVERIFY(readFile(f.toStdString()) == b);
        QCOMPARE(prompts.texts().size(), 2);
        QCOMPARE(prompts.texts()[0], "Can not save V1 tag to the file: " + f);
        QVERIFY2(prompts.texts()[1].startsWith("Can not save V2 tag to the file: " + f + "\n"),
                 qPrintable(prompts.texts()[1]));
        QVERIFY(prompts.texts()[1].endsWith("The file was left unchanged."));

        // A sound file: both tags in one step, the audio between them untouched.
        prompts.clear();
        const QString g = copyOf("both-saved.mp3", cbrBytes);
        pick(g);
        QTest::keyClicks(page->MP_title, "One");
        page->MP_Title2->setText(QString::fromUtf8("Два"));
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QVERIFY(prompts.texts().isEmpty());
        const Bytes after = readFile(g.toStdString());
        const std::size_t v2 = v2Size(after);
        QVERIFY(Bytes(after.begin() + static_cast<std::ptrdiff_t>(v2), after.end() - 128) == cbrBytes);
        QCOMPARE(QByteArray(after.data() + after.size() - 125, 3), QByteArray("One"));
        QVERIFY2(mutagenList(g.toStdString()).contains(QString::fromUtf8("TIT2=Два")),
                 qPrintable(mutagenList(g.toStdString())));
    }

    void copyButtons() {
        const QString f = copyOf("copy.mp3", cbrBytes);
        QCOMPARE(sh("id3v2 -1 -a 'V1 Artist' -t 'V1 Title' -g 8 " + quote(f.toStdString()) + " >/dev/null"),
                 0);
        pick(f);
        QCOMPARE(text("MP_artist"), QString("V1 Artist"));
        QVERIFY(text("MP_artist2").isEmpty());
        page->Ck_V1->setChecked(true);
        page->Ck_V2->setChecked(false);

        // Copy from ID3 v1: the second tab gets the first tab's texts, and ID3v2 will be saved.
        QTest::mouseClick(page->B_CopyFrom, Qt::LeftButton);
        QCOMPARE(text("MP_artist2"), QString("V1 Artist"));
        QCOMPARE(text("MP_Title2"), QString("V1 Title"));
        QCOMPARE(text("CB_genre2"), QString("Jazz"));
        QVERIFY(page->Ck_V2->isChecked());
        QVERIFY(main->Modified);
        QVERIFY(main->B_Save->isEnabled());
        // Save writes both tags while Ck_V1 is still ticked.
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        const QString listed = mutagenList(f.toStdString());
        QVERIFY2(listed.contains("TPE1=V1 Artist"), qPrintable(listed));
        QVERIFY2(listed.contains("TCON=Jazz"), qPrintable(listed));

        // Copy to ID3 v1: a 45-character title is stored as its first 30 characters, the genre
        // name picks its entry, and the ID3v1 box gets ticked.
        pick(f);
        page->Ck_V1->setChecked(false);
        resetModified();
        const QString longTitle = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHI";
        page->MP_Title2->setText(longTitle);
        page->CB_genre2->setEditText("Rock");
        page->M_Comment->setPlainText("From the memo");
        QTest::mouseClick(page->B_CopyTo, Qt::LeftButton);
        QVERIFY(page->Ck_V1->isChecked());
        QVERIFY(main->Modified);
        QVERIFY(main->B_Save->isEnabled());
        QCOMPARE(text("CB_Genre"), QString("Rock"));
        QCOMPARE(page->CB_Genre->currentIndex(), 18);
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        const Bytes block = tail(readFile(f.toStdString()), 128);
        QCOMPARE(QByteArray(block.data() + 3, 30), longTitle.left(30).toLatin1());
        QCOMPARE(QByteArray(block.data() + 97, 13), QByteArray("From the memo"));
        QCOMPARE(int(static_cast<unsigned char>(block[127])), 17);
    }

    void markingKeys_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("marks");
        const int none = Qt::NoModifier, pad = Qt::KeypadModifier, shift = Qt::ShiftModifier;
        const struct {
            const char* name;
            int key, modifiers;
            bool marks;
        } keys[] = {
            {"letter", Qt::Key_Q, none, true},
            {"capital letter", Qt::Key_Q, shift, true},
            {"digit", Qt::Key_7, none, true},
            {"space", Qt::Key_Space, none, true},
            {"backspace", Qt::Key_Backspace, none, true},
            {"delete", Qt::Key_Delete, none, true},
            {"enter", Qt::Key_Return, none, true},
            {"backslash", Qt::Key_Backslash, none, true},
            {"keypad digit", Qt::Key_4, pad, true},
            {"keypad minus", Qt::Key_Minus, pad, true},
            {"keypad period", Qt::Key_Period, pad, true},
            {"keypad plus", Qt::Key_Plus, pad, true},
            {"comma", Qt::Key_Comma, none, false},
            {"period", Qt::Key_Period, none, false},
            {"hyphen", Qt::Key_Minus, none, false},
            {"apostrophe", Qt::Key_Apostrophe, none, false},
            {"cursor left", Qt::Key_Left, none, false},
            {"home", Qt::Key_Home, none, false},
            {"keypad home", Qt::Key_Home, pad, false},
            {"shift alone", Qt::Key_Shift, none, false},
        };
        for (const char* field : {"MP_artist", "MP_title", "MP_album", "MP_year", "CB_Genre", "MP_comment",
                                  "MP_artist2", "MP_Title2", "MP_Album2", "MP_Year2", "CB_genre2"}) {
            // A genre box marks every change of its text, punctuation too.
            const bool genreBox = QByteArray(field).startsWith("CB_");
            for (const auto& k : keys) {
                const bool types = k.key == Qt::Key_Comma || k.key == Qt::Key_Period ||
                                   k.key == Qt::Key_Minus || k.key == Qt::Key_Apostrophe;
                QTest::addRow("%s %s", field, k.name)
                    << QString(field) << k.key << k.modifiers << (k.marks || (genreBox && types));
            }
        }
        // The memo marks like the other fields: an edit made only there is not lost.
        QTest::newRow("M_Comment letter") << "M_Comment" << int(Qt::Key_Q) << none << true;
        QTest::newRow("M_Comment enter") << "M_Comment" << int(Qt::Key_Return) << none << true;
        QTest::newRow("M_Comment cursor") << "M_Comment" << int(Qt::Key_Left) << none << false;
    }
    void markingKeys() {
        QFETCH(QString, field);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, marks);
        const QString f = copyOf("keys.mp3", cbrBytes);
        pick(f);
        QWidget* w = main->findChild<QWidget*>(field);
        QVERIFY(w);
        if (auto* box = qobject_cast<QComboBox*>(w))
            w = box->lineEdit();
        main->MP3Panel->setCurrentWidget(main->DIZPage->TabV1->isAncestorOf(w) ? main->DIZPage->TabV1
                                                                               : main->DIZPage->TabV2);
        w->setFocus();
        QTest::keyClick(w, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(main->Modified, marks);
        QCOMPARE(main->B_Save->isEnabled(), marks);
    }

    void streamTexts() {
        const QString f = copyOf("cbr.mp3", cbrBytes);
        pick(f);
        QCOMPARE(text("LFileSize"), QString("%1 bytes").arg(cbrBytes.size()));
        QCOMPARE(text("LBitRate"), QString("CBR 128 kbit/s"));
        QCOMPARE(text("LSampleRate"), QString("44100 hz"));
        QCOMPARE(text("LMPEGType"), QString("MPEG 1 Layer III"));
        QCOMPARE(text("LChannelMode"), QString("Joint Stereo"));
        QCOMPARE(text("LEncoder"), QString("LAME 3.100"));
        QVERIFY2(text("LDuration").endsWith(" sec."), qPrintable(text("LDuration")));

        // A file without a usable stream shows nothing of the file shown before.
        const QString junk = copyOf("junk.mp3", Bytes(5000, 'x'));
        pick(junk);
        for (const char* name :
             {"LFileSize", "LBitRate", "LSampleRate", "LMPEGType", "LDuration", "LChannelMode", "LEncoder"})
            QVERIFY2(text(name).isEmpty(), name);
        QCOMPARE(main->Cornice->title(), QString("junk.mp3"));
    }

    void otherStreams_data() {
        QTest::addColumn<QString>("lameArgs");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("bitRate");
        QTest::addColumn<QString>("sampleRate");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("mode");
        QTest::newRow("VBR") << "-V 2" << 44100 << 2 << "VBR "
                             << "44100 hz"
                             << "MPEG 1 Layer III"
                             << "Joint Stereo";
        QTest::newRow("MPEG 2 mono") << "-b 64 --cbr -m m" << 22050 << 1 << "CBR 64 kbit/s"
                                     << "22050 hz"
                                     << "MPEG 2 Layer III"
                                     << "Mono";
        QTest::newRow("stereo") << "-b 192 --cbr -m s" << 44100 << 2 << "CBR 192 kbit/s"
                                << "44100 hz"
                                << "MPEG 1 Layer III"
                                << "Stereo";
    }
    void otherStreams() {
        QFETCH(QString, lameArgs);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QString, bitRate);
        QFETCH(QString, sampleRate);
        QFETCH(QString, type);
        QFETCH(QString, mode);
        const std::string m = makeMp3(dir, "other", 3.0, rate, channels, lameArgs.toStdString());
        QVERIFY(!m.empty());
        pick(QString::fromStdString(m));
        QVERIFY2(text("LBitRate").startsWith(bitRate), qPrintable(text("LBitRate")));
        QCOMPARE(text("LSampleRate"), sampleRate);
        QCOMPARE(text("LMPEGType"), type);
        QCOMPARE(text("LChannelMode"), mode);
    }

    void durationTexts_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("shown");
        // A CBR 128 kbit/s stream without an "Info" header lasts its size / 16000 bytes per second.
        QTest::newRow("215.27 s") << 215270 * 16 << "215.3 sec.";
        QTest::newRow("0.5 s") << 8000 << ".5 sec.";
        QTest::newRow("1.04 s") << 16640 << "1.0 sec.";
    }
    void durationTexts() {
        QFETCH(int, bytes);
        QFETCH(QString, shown);
        // lame's frames repeated (or cut) to the size.
        Bytes b;
        b.reserve(static_cast<std::size_t>(bytes));
        // Without lame's first frame, which holds the "Info" header and its frame count.
        const std::size_t second = 417; // 128 kbit/s at 44100 Hz, not padded
        QCOMPARE(int(static_cast<unsigned char>(cbrBytes[second])), 0xff);
        while (b.size() < static_cast<std::size_t>(bytes))
            b.insert(b.end(), cbrBytes.begin() + static_cast<std::ptrdiff_t>(second), cbrBytes.end());
        b.resize(static_cast<std::size_t>(bytes));
        const QString f = copyOf("duration.mp3", b);
        pick(f);
        QCOMPARE(text("LDuration"), shown);
    }

    void saveQuestionWritesTags_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void saveQuestionWritesTags() {
        QFETCH(bool, yes);
        ScriptedPrompts prompts;
        prompts.answer(yes);
        const QString a = copyOf("first.mp3", cbrBytes);
        const QString b = copyOf("second.mp3", cbrBytes);
        pick(a);
        QTest::keyClicks(page->MP_title, "Edited");
        QVERIFY(main->Modified);
        pick(b);
        QCOMPARE(prompts.texts(), QStringList{"Save the changes ?"});
        const Bytes written = readFile(a.toStdString());
        if (yes) {
            QCOMPARE(written.size(), cbrBytes.size() + 128);
            QCOMPARE(QByteArray(written.data() + written.size() - 125, 6), QByteArray("Edited"));
        } else {
            QVERIFY(written == cbrBytes);
        }
        QVERIFY(!main->Modified);
        QVERIFY(!main->B_Save->isEnabled());
        QVERIFY(readFile(b.toStdString()) == cbrBytes);
    }

    // With "Auto view" released, a file picked after the tags were shown is not what they belong
    // to: "Save info" writes the tags into the MP3 file shown, and leaves the picked one alone.
    void saveGoesIntoTheShownFile_data() {
        QTest::addColumn<QString>("other");
        QTest::newRow("an archive picked") << "picked.zip";
        QTest::newRow("another song picked") << "picked.mp3";
    }
    void saveGoesIntoTheShownFile() {
        QFETCH(QString, other);
        ScriptedPrompts prompts;
        const QString shownSong = copyOf("shown.mp3", cbrBytes);
        const Bytes otherBytes = other.endsWith(".zip") ? Bytes{'P', 'K', 5, 6, 0, 0, 0, 0, 0, 0, 0,
                                                                0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0}
                                                        : cbrBytes;
        const QString picked = copyOf(other.toStdString(), otherBytes);
        pick(shownSong);
        main->B_autoview->setChecked(false);
        pick(picked);
        page->MP_title->setFocus();
        QTest::keyClicks(page->MP_title, "Kept");
        QVERIFY(main->Modified);
        QTest::mouseClick(main->B_Save, Qt::LeftButton);
        QVERIFY(readFile(picked.toStdString()) == otherBytes);
        const Bytes written = readFile(shownSong.toStdString());
        QCOMPARE(written.size(), cbrBytes.size() + 128);
        QCOMPARE(QByteArray(written.data() + written.size() - 125, 4), QByteArray("Kept"));
        main->B_autoview->setChecked(true);
    }

    void playWithNothingSelected() {
        ScriptedPrompts prompts;
        QVERIFY(player->MPEG1->libraryLoaded());
        QTest::mouseClick(player->VrMediaButton1, Qt::LeftButton);
        QCOMPARE(prompts.texts(), QStringList{"Can't play non-specified stream"});
        QCOMPARE(prompts.asked().front().kind, QString("error"));
        // The program runs on: stop after it says nothing.
        prompts.clear();
        QTest::mouseClick(player->VrMediaButton3, Qt::LeftButton);
        QVERIFY(prompts.asked().empty());
    }

    void playAndStopThroughThePcmDevice() {
        ScriptedPrompts prompts;
        TMPEGPlayer* p = player->MPEG1;
        p->setOutFilename(pcm);
        p->setOutputDevice(TMPEGPlayer::pcmfile);
        const QString f = copyOf("play.mp3", cbrBytes);
        pick(f);
        QCOMPARE(p->StreamName(), QString()); // picking a file plays nothing
        auto playToTheEnd = [&] {
            QTest::mouseClick(player->VrMediaButton1, Qt::LeftButton);
            QElapsedTimer t;
            t.start();
            while (!p->EndReached() && t.elapsed() < 20000)
                QTest::qWait(5);
            return p->EndReached();
        };
        QVERIFY(playToTheEnd());
        QCOMPARE(p->StreamName(), f);
        QVERIFY(readFile(pcm.toStdString()) == reference);
        // Play again: the input is opened anew and played from the beginning.
        QVERIFY(playToTheEnd());
        QCOMPARE(p->PlayedXTimes(), 2);
        QVERIFY(readFile(pcm.toStdString()) == reference);
        // Stop closes the input.
        QTest::mouseClick(player->VrMediaButton3, Qt::LeftButton);
        QVERIFY(!p->IsOpen());
        QVERIFY(!p->IsPlaying());
        QVERIFY2(prompts.asked().empty(), qPrintable(prompts.texts().join('\n')));
    }

    void playErrorsReachTheUserAndTheProgramRunsOn() {
        ScriptedPrompts prompts;
        TMPEGPlayer* p = player->MPEG1;
        // A picked file that has gone since.
        const QString f = copyOf("vanish.mp3", cbrBytes);
        pick(f);
        QVERIFY(QFile::remove(f));
        QTest::mouseClick(player->VrMediaButton1, Qt::LeftButton);
        QCOMPARE(prompts.texts(), QStringList{"Input stream error"});
        // No sound output at all: said at once, the window does not wait for a device.
        prompts.clear();
        const QString g = copyOf("nosound.mp3", cbrBytes);
        pick(g);
        QDir().mkpath(QString::fromStdString(dir / "nomodules"));
        qputenv("MPG123_MODDIR", QByteArray::fromStdString(dir / "nomodules"));
        QElapsedTimer t;
        t.start();
        QTest::mouseClick(player->VrMediaButton1, Qt::LeftButton);
        const qint64 took = t.elapsed();
        qunsetenv("MPG123_MODDIR");
        QCOMPARE(prompts.texts(), QStringList{"Output device failure"});
        QVERIFY2(took < 3000, qPrintable(QString::number(took)));
        QTest::mouseClick(player->VrMediaButton3, Qt::LeftButton);
        QVERIFY(!p->IsOpen());
        // And the next play works.
        prompts.clear();
        p->setOutFilename(pcm);
        p->setOutputDevice(TMPEGPlayer::pcmfile);
        QTest::mouseClick(player->VrMediaButton1, Qt::LeftButton);
        QElapsedTimer w;
        w.start();
        while (!p->EndReached() && w.elapsed() < 20000)
            QTest::qWait(5);
        QVERIFY(readFile(pcm.toStdString()) == reference);
        QVERIFY(prompts.asked().empty());
    }

    void realPlaybackFromThePage() {
        // Through a sound server of the test's own, as a person would hear it.
        PulseServer server;
        if (!server.ok())
            QSKIP(qPrintable("no sound server for real playback: " + QString::fromStdString(server.why())));
        ScriptedPrompts prompts;
        TMPEGPlayer* p = player->MPEG1;
        QCOMPARE(p->OutputDevice(), TMPEGPlayer::wavemapper);
        const std::string ten = makeMp3(dir, "ten", 10.0, 44100, 2, "-b 128");
        QVERIFY(!ten.empty());
        pick(QString::fromStdString(ten));
        // Play, then play again a second later: the second press starts from the beginning.
        QTest::mouseClick(player->VrMediaButton1, Qt::LeftButton);
        QTest::qWait(3000);
        const qint32 before = p->CurrentPosition();
        QVERIFY2(before > 0, qPrintable(QString::number(before)));
        QElapsedTimer t;
        t.start();
        QTest::mouseClick(player->VrMediaButton1, Qt::LeftButton);
        QTest::qWait(100);
        QVERIFY2(
            p->CurrentPosition() < before,
            qPrintable(QString("%1 after the restart, %2 before").arg(p->CurrentPosition()).arg(before)));
        QTRY_VERIFY_WITH_TIMEOUT(p->EndReached(), 30000);
        const double seconds = t.elapsed() / 1000.0;
        qInfo("10.0 s of audio played from the page in %.2f s", seconds);
        QVERIFY2(seconds >= 8.0 && seconds < 20.0, qPrintable(QString::number(seconds)));
        // Play once more and stop at once: it stops, and nothing was said.
        QTest::mouseClick(player->VrMediaButton1, Qt::LeftButton);
        QTest::qWait(300);
        QVERIFY(p->IsPlaying());
        QTest::mouseClick(player->VrMediaButton3, Qt::LeftButton);
        QVERIFY(!p->IsPlaying() && !p->IsOpen());
        QVERIFY2(prompts.asked().empty(), qPrintable(prompts.texts().join('\n')));
    }
};

QTEST_MAIN(TestAudioPage)
#include "test_audio_page.moc"
