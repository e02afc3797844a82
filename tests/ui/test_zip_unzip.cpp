// The Extract dialog driven as a person does: pick an archive in the browser pane, press
// "Extract...", read the listing, pick rows, set options and press "Unzip !". What lands on disk
// is compared with what the `unzip` tool extracts from the same archive with the same flags.
#include "ArchiveBytes.h"
#include "ArchiveFixtures.h"
#include "ScriptedPrompts.h"
#include "app/ZipMain.h"
#include "archive/ZipUnzip.h"
#include "archive/ZipWait.h"
#include "core/lang/LanguageTable.h"
#include "lang/LanguageApplier.h"
#include "platform/PathText.h"
#include "widgets/DizPage.h"
#include "widgets/FileListModel.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include <map>

using namespace korvel;
using namespace korvel::test;

namespace {

// Every file below dir: relative path -> bytes.
std::map<QString, QByteArray> tree(const QString& dir) {
    std::map<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        QFile f(p);
        f.open(QIODevice::ReadOnly);
        files[QDir(dir).relativeFilePath(p)] = f.readAll();
    }
    return files;
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

const char* kMembers = R"(
import zipfile
z = zipfile.ZipFile('test.zip', 'w', zipfile.ZIP_DEFLATED)
def add(name, data, dt=(2002, 3, 7, 9, 5, 0)):
    zi = zipfile.ZipInfo(name, dt)
    zi.compress_type = zipfile.ZIP_DEFLATED
    zi.external_attr = 0o644 << 16
    z.writestr(zi, data)
add('file_id.diz', b'Korvel test\r\n')
add('with blank name.txt', b'blank ' * 100)
add('sub/deep.bin', bytes(range(256)) * 40, (2011, 11, 30, 23, 59, 0))
add('a[1].txt', b'bracket')
add('a1.txt', b'plain')
add('README', b'upper')
add('readme', b'lower')
z.close()
o = zipfile.ZipFile('other.zip', 'w')
o.writestr('only.txt', b'other archive')
o.close()
m = zipfile.ZipFile('many.zip', 'w', zipfile.ZIP_STORED)
for i in range(1500):
    m.writestr('m/%04d.txt' % i, b'%d' % i)
m.close()
h = zipfile.ZipFile('hostile.zip', 'w')
h.writestr('good.txt', b'fine')
h.writestr('../evil.txt', b'escape')
h.close()
)";

const QStringList kNames = {
    "file_id.diz", "with blank name.txt", "sub/deep.bin", "a[1].txt", "a1.txt", "README", "readme"};

} // namespace

class TestZipUnzip : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> tmp;
    QString dir;
    std::unique_ptr<TMain> main;
    TFrmUnzip* dlg = nullptr;

    QString at(const QString& rel) const { return dir + "/" + rel; }

    void clickRow(TMFileExplorer* l, const QString& caption, Qt::KeyboardModifiers mods = {}) {
        const int row = l->findRow(caption);
        QVERIFY2(row >= 0, qPrintable(caption));
        l->view()->scrollTo(l->model()->index(row, 0));
        QTest::mouseClick(l->view()->viewport(), Qt::LeftButton, mods, l->rowRect(row).center());
    }
    // Picks an archive in the browser pane and presses "Extract...".
    void openFor(const QString& archive) {
        clickRow(main->LFile, archive);
        main->B_Unzip->setEnabled(true);
        QTest::mouseClick(main->B_Unzip, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
    }
    void selectRows(const QList<int>& rows) {
        dlg->FilesList->clearSelection();
        for (int r : rows) {
            QListWidgetItem* it = dlg->FilesList->item(r);
            dlg->FilesList->scrollToItem(it);
            QTest::mouseClick(dlg->FilesList->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              dlg->FilesList->visualItemRect(it).center());
        }
    }
    int rowOf(const QString& name) const { return static_cast<int>(dlg->MemberNames().indexOf(name)); }

private slots:
    void initTestCase() {
        tmp = std::make_unique<TempDir>();
        dir = q(tmp->path().string());
        QCOMPARE(python(tmp->path().string(), kMembers), 0);
        writeFile(*tmp / "broken.zip", "not an archive");
        QCOMPARE(run("cd " + shellQuote(tmp->path().string()) +
                     " && cp fixture.py f.py && zip -q -P secret locked.zip f.py"),
                 0);
        // The members of test.zip, with their times, in the other formats.
        const std::string same = tmp->path().string() + "/same";
        const std::string list =
            "file_id.diz 'with blank name.txt' sub/deep.bin 'a[1].txt' a1.txt README readme";
        QCOMPARE(run("mkdir " + shellQuote(same) + " && cd " + shellQuote(same) +
                     " && unzip -q ../test.zip && 7z a -bd ../same.7z " + list +
                     " >/dev/null && bsdtar -Jcf ../same.tar.xz " + list + " && gcab -c ../same.cab " + list),
                 0);
        std::vector<ByteMember> rar;
        for (const char* n :
             {"file_id.diz", "with blank name.txt", "sub/deep.bin", "a[1].txt", "a1.txt", "README", "readme"})
            rar.push_back({n, readFile(same + "/" + n), ByteMember::Kind::File,
                           static_cast<std::uint32_t>(mtimeOf(same + "/" + n))});
        writeFile(same + "/../same.rar", rar5Archive(rar));
    }

    void init() {
        main = std::make_unique<TMain>();
        QDir::setCurrent(dir);
        QVERIFY(main->FormCreate());
        dlg = new TFrmUnzip(main.get());
        main->LFile->setDirectory(dir);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    }
    void cleanup() {
        main.reset(); // takes the dialog with it
        dlg = nullptr;
    }

    void controlsAsLoaded() {
        QCOMPARE(main->FrmUnzip, dlg);
        QCOMPARE(dlg->objectName(), QString("FrmUnzip"));
        QVERIFY(!dlg->isModal());
        QCOMPARE(dlg->Label2->text(), QString("Size (bytes)"));
        QCOMPARE(dlg->Label3->text(), QString("Date / Hour"));
        QCOMPARE(dlg->Label4->text(), QString("Filename"));
        QCOMPARE(dlg->Label1->text(), QString("Decompress to:"));
        QCOMPARE(dlg->Label5->text(), QString("Extract to directory:"));
        QCOMPARE(dlg->GroupBox1->title(), QString(" Engine options (in blue most commons)"));
        QCOMPARE(dlg->B_Unzip->text(), QString("Unzip !"));
        QCOMPARE(dlg->B_Abort->text(), QString("Cancel"));
        QCOMPARE(dlg->T_Dir->text(), QDir::tempPath());
        QVERIFY(dlg->R_all->isChecked());
        QVERIFY(!dlg->R_sel->isChecked());
        QVERIFY(dlg->chC_flag->isChecked());
        for (QCheckBox* c : {dlg->chExtractOnlyNewer, dlg->chUFlag, dlg->chOFlag, dlg->chDFlag})
            QVERIFY2(!c->isChecked(), qPrintable(c->objectName()));
        // The common options are blue, the others keep the usual text colour.
        QCOMPARE(dlg->chOFlag->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QCOMPARE(dlg->chDFlag->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QVERIFY(dlg->chUFlag->palette().color(QPalette::WindowText) != QColor(Qt::blue));
        QCOMPARE(dlg->FilesList->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(QFontInfo(dlg->FilesList->font()).fixedPitch());
        QCOMPARE(dlg->FilesList->font().pixelSize(), 13);
        QCOMPARE(dlg->findChild<TMFileExplorer*>("Ltree"), dlg->Ltree);
        QCOMPARE(dlg->Ltree->Directory(), QString("/"));
        // Every text a language file may give the dialog reaches a control that shows it.
        QStringList missing;
        for (const QString& m : missingLanguageTargets({dlg}))
            if (m.startsWith("FrmUnzip"))
                missing << m;
        QCOMPARE(missing, QStringList());
    }

    void showingListsTheSelectedArchive() {
        openFor("test.zip");
        QCOMPARE(dlg->windowTitle(), "Decompressing " + at("test.zip"));
        QCOMPARE(dlg->B_Options->text(), QString("Options >>"));
        QCOMPARE(dlg->width(), 407);
        QCOMPARE(dlg->MemberNames(), kNames);
        QCOMPARE(dlg->FilesList->count(), kNames.size());
        // The columns line up: size right-aligned in seven places, the name from column 25.
        for (int i = 0; i < kNames.size(); ++i)
            QCOMPARE(dlg->FilesList->item(i)->text().mid(25), kNames[i]);
        QCOMPARE(dlg->FilesList->item(0)->text(), QString("     13   3- 7- 2  9: 5  file_id.diz"));
        QCOMPARE(dlg->FilesList->item(2)->text(), QString("  10240  11-30-11 23:59  sub/deep.bin"));
        QVERIFY(dlg->FilesList->selectedItems().isEmpty());
        // The headings stand over the columns.
        const int cw = QFontMetrics(dlg->FilesList->font()).horizontalAdvance('0');
        QCOMPARE(dlg->Label3->x() - dlg->Label2->x(), 9 * cw);
        QCOMPARE(dlg->Label4->x() - dlg->Label2->x(), 25 * cw);
        QVERIFY(dlg->Label2->geometry().right() < dlg->Label3->x());
        QVERIFY(dlg->Label3->geometry().right() < dlg->Label4->x());
    }

    void eachShowingListsAfresh() {
        openFor("test.zip");
        selectRows({1, 2});
        QCOMPARE(dlg->FilesList->selectedItems().size(), 2);
        QTest::mouseClick(dlg->B_Abort, Qt::LeftButton);
        QVERIFY(!dlg->isVisible());
        openFor("other.zip");
        QCOMPARE(dlg->windowTitle(), "Decompressing " + at("other.zip"));
        QCOMPARE(dlg->MemberNames(), QStringList{"only.txt"});
        QCOMPARE(dlg->FilesList->count(), 1);
        QVERIFY(dlg->FilesList->selectedItems().isEmpty());
        // Something that is not an archive lists nothing, and says nothing.
        ScriptedPrompts prompts;
        dlg->hide();
        openFor("broken.zip");
        QCOMPARE(dlg->FilesList->count(), 0);
        QVERIFY(dlg->MemberNames().isEmpty());
        QVERIFY(prompts.asked().empty());
    }

    void severalSelectedFilesJoinTheirPaths() {
        main->LFile->setMultiSelect(true);
        clickRow(main->LFile, "other.zip");
        clickRow(main->LFile, "test.zip", Qt::ControlModifier);
        main->B_Unzip->setEnabled(true);
        QTest::mouseClick(main->B_Unzip, Qt::LeftButton);
        const QString joined = main->LFile->SelectedFilenames();
        QVERIFY2(joined.contains(';'), qPrintable(joined));
        QCOMPARE(dlg->windowTitle(), "Decompressing " + joined);
        QCOMPARE(dlg->FilesList->count(), 0);
    }

    void widthRulesAndTheButtonLeftDown() {
        openFor("test.zip");
        QCOMPARE(dlg->width(), 407);
        QVERIFY(!dlg->Ltree->isVisible());
        QTest::mouseClick(dlg->B_Options, Qt::LeftButton);
        QVERIFY(dlg->B_Options->isChecked());
        QCOMPARE(dlg->width(), 631);
        QVERIFY(dlg->Ltree->isVisible());
        QVERIFY(dlg->GroupBox1->isVisible());
        QTest::mouseClick(dlg->B_Options, Qt::LeftButton);
        QCOMPARE(dlg->width(), 407);
        // Left down: the next showing is narrow while the button stays down; one click raises
        // it (still narrow), the next one widens the dialog.
        QTest::mouseClick(dlg->B_Options, Qt::LeftButton);
        QCOMPARE(dlg->width(), 631);
        dlg->hide();
        openFor("test.zip");
        QCOMPARE(dlg->width(), 407);
        QVERIFY(dlg->B_Options->isChecked());
        QTest::mouseClick(dlg->B_Options, Qt::LeftButton);
        QCOMPARE(dlg->width(), 407);
        QTest::mouseClick(dlg->B_Options, Qt::LeftButton);
        QCOMPARE(dlg->width(), 631);
    }

    // A language's "Title" and "ZOptions" show until the dialog opens; opening puts the fixed
    // texts there, every time.
    void languageTextsGiveWayWhenTheDialogOpens() {
        std::vector<lang::Assignment> texts;
        for (const lang::Key& k : lang::keyTable())
            if (k.section == "Unpacker")
                texts.push_back({&k, k.key == "Title"      ? "Dekomprimiere"
                                     : k.key == "ZOptions" ? "Optionen"
                                                           : std::string(k.defaultText)});
        dlg->hide();
        QVERIFY(applyAssignments(texts, {dlg}).ok);
        QCOMPARE(dlg->windowTitle(), QString("Dekomprimiere"));
        QCOMPARE(dlg->B_Options->text(), QString("Optionen"));
        openFor("test.zip");
        QCOMPARE(dlg->windowTitle(), "Decompressing " + at("test.zip"));
        QCOMPARE(dlg->B_Options->text(), QString("Options >>"));
        dlg->hide();
        QVERIFY(applyAssignments(texts, {dlg}).ok);
        openFor("other.zip");
        QCOMPARE(dlg->windowTitle(), "Decompressing " + at("other.zip"));
        QCOMPARE(dlg->B_Options->text(), QString("Options >>"));
    }

    // "Unzip all" with each of the option boxes, against `unzip` with the matching flags on a
    // destination that already holds some of the files.
    void extractAllAsUnzipDoes_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("unzipFlags");
        QTest::addColumn<bool>("prefill");
        QTest::newRow("defaults") << ""
                                  << "-n -j" << false;
        QTest::newRow("defaults, files present") << ""
                                                 << "-n -j" << true;
        QTest::newRow("with path") << "chDFlag"
                                   << "-n" << false;
        QTest::newRow("always overwrite") << "chOFlag"
                                          << "-o -j" << true;
        QTest::newRow("newer/new") << "chUFlag"
                                   << "-u -o -j" << true;
        QTest::newRow("only newer") << "chExtractOnlyNewer"
                                    << "-f -o -j" << true;
        QTest::newRow("case sensitive") << "chC_flag"
                                        << "-n -j" << false;
    }
    // An archive and a destination whose names are Latin-1 bytes: "Unzip all" reaches both under
    // exactly those bytes.
    void latin1ArchiveIntoLatin1Folder_data() {
        QTest::addColumn<QString>("source");
        QTest::newRow("zip") << "test.zip";
        QTest::newRow("7z") << "same.7z";
        QTest::newRow("tar.xz") << "same.tar.xz";
    }
    void latin1ArchiveIntoLatin1Folder() {
        QFETCH(QString, source);
        TempDir out;
        const std::string ext = source.mid(source.indexOf('.')).toStdString();
        const std::string archive = tmp->path().string() + "/caf\xe9" + ext, dest = out / "d\xe9st";
        fs::copy_file(tmp->path() / source.toStdString(), archive, fs::copy_options::overwrite_existing);
        fs::create_directories(dest);
        main->LFile->RefreshList();
        ScriptedPrompts prompts;
        openFor(pathText("caf\xe9" + ext));
        QStringList names = dlg->MemberNames(), expected = kNames;
        names.sort();
        expected.sort();
        QCOMPARE(names, expected); // in the order each format keeps
        dlg->T_Dir->setText(pathText(dest));
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(readFile(dest + "/file_id.diz"), std::string("Korvel test\r\n"));
        dlg->hide();
        fs::remove(archive);
        main->LFile->RefreshList();
    }

    // A member whose name is Latin-1 bytes, picked alone among others ("Unzip only selected"),
    // lands under those bytes.
    void latin1MemberPickedAlone_data() {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("ext");
        QTest::newRow("zip") << "zip -q"
                             << ".zip";
        QTest::newRow("tar") << "bsdtar -cf"
                             << ".tar";
    }
    void latin1MemberPickedAlone() {
        QFETCH(QString, tool);
        QFETCH(QString, ext);
        TempDir src, out;
        const std::string member = "l\xe9"
                                   "eme.txt",
                          archive = tmp->path().string() + "/members" + ext.toStdString();
        writeFile(src / member, "Latin-1 member");
        writeFile(src / "other.txt", "other");
        QCOMPARE(run("cd " + shellQuote(src.path().string()) + " && " + tool.toStdString() + " " +
                     shellQuote(archive) + " other.txt " + shellQuote(member)),
                 0);
        main->LFile->RefreshList();
        ScriptedPrompts prompts;
        openFor("members" + ext);
        dlg->R_sel->setChecked(true);
        QVERIFY(rowOf(pathText(member)) >= 0);
        selectRows({rowOf(pathText(member))});
        dlg->T_Dir->setText(pathText(out.path().string()));
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(readFile(out / member), std::string("Latin-1 member"));
        QVERIFY(!fs::exists(out / "other.txt"));
        dlg->hide();
        fs::remove(archive);
        main->LFile->RefreshList();
    }

    void extractAllAsUnzipDoes() {
        QFETCH(QString, box);
        QFETCH(QString, unzipFlags);
        QFETCH(bool, prefill);
        TempDir out;
        const std::string ours = out / "ours", theirs = out / "theirs";
        for (const std::string& d : {ours, theirs}) {
            fs::create_directories(d);
            if (prefill) {
                writeFile(d + "/file_id.diz", "old copy");
                setMtime(d + "/file_id.diz", 946684800); // 2000: older than the member
                writeFile(d + "/a1.txt", "newer copy");
                setMtime(d + "/a1.txt", 1893456000); // 2030: newer than the member
            }
        }
        ScriptedPrompts prompts;
        openFor("test.zip");
        if (!box.isEmpty())
            dlg->findChild<QCheckBox*>(box)->click();
        dlg->T_Dir->setText(q(ours));
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        QVERIFY(dlg->isVisible()); // the dialog stays, its list unchanged
        QCOMPARE(dlg->FilesList->count(), kNames.size());
        QCOMPARE(dlg->ExtractNames(), kNames);
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(run("unzip -q " + unzipFlags.toStdString() + " " + shellQuote(at("test.zip").toStdString()) +
                     " -d " + shellQuote(theirs) + " </dev/null >/dev/null 2>&1"),
                 0);
        QCOMPARE(tree(q(ours)), tree(q(theirs)));
        QVERIFY(!tree(q(ours)).empty());
    }

    // Archives of other formats holding the members of test.zip: the dialog lists the same lines
    // and, box for box, extracts what it extracts from test.zip.
    void otherFormatsExtractAsZipDoes_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("prefill");
        for (const char* a : {"same.7z", "same.tar.xz", "same.cab", "same.rar"}) {
            const std::pair<const char*, bool> boxes[] = {{"", false},        {"", true},
                                                          {"chDFlag", false}, {"chOFlag", true},
                                                          {"chUFlag", true},  {"chExtractOnlyNewer", true},
                                                          {"chC_flag", false}};
            for (const auto& [box, prefill] : boxes)
                QTest::addRow("%s %s%s", a, box, prefill ? " prefilled" : "")
                    << QString(a) << QString(box) << prefill;
        }
    }
    void otherFormatsExtractAsZipDoes() {
        QFETCH(QString, archive);
        QFETCH(QString, box);
        QFETCH(bool, prefill);
        TempDir out;
        const std::string ours = out / "ours", zipped = out / "zipped";
        for (const std::string& d : {ours, zipped}) {
            fs::create_directories(d);
            if (prefill) {
                writeFile(d + "/file_id.diz", "old copy");
                setMtime(d + "/file_id.diz", 946684800);
                writeFile(d + "/a1.txt", "newer copy");
                setMtime(d + "/a1.txt", 1893456000);
            }
        }
        ScriptedPrompts prompts;
        openFor("test.zip");
        const QString zipLine = dlg->FilesList->item(0)->text();
        if (!box.isEmpty())
            dlg->findChild<QCheckBox*>(box)->click();
        dlg->T_Dir->setText(q(zipped));
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        dlg->hide();
        openFor(archive); // the boxes keep their state
        QCOMPARE(dlg->MemberNames().filter(QRegularExpression("[^/]$")).size(), kNames.size());
        QVERIFY(dlg->MemberNames().contains("with blank name.txt"));
        QCOMPARE(dlg->FilesList->item(rowOf("file_id.diz"))->text(), zipLine);
        dlg->T_Dir->setText(q(ours));
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(tree(q(ours)), tree(q(zipped)));
    }

    void otherFormatsExtractSelectedRows() {
        ScriptedPrompts prompts;
        TempDir out;
        openFor("same.7z");
        dlg->R_sel->setChecked(true);
        selectRows({rowOf("a[1].txt"), rowOf("with blank name.txt")});
        dlg->T_Dir->setText(q(out.path().string()));
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        QCOMPARE(prompts.texts(), QStringList());
        const auto got = tree(q(out.path().string()));
        QCOMPARE(got.size(), size_t(2));
        QCOMPARE(got.at("a[1].txt"), QByteArray("bracket"));
    }

    // "Unzip only selected": the chosen rows, names with blanks whole, wildcard characters taken
    // literally; case-insensitive matching takes the other spelling along, as `unzip -C` does.
    void extractSelectedAsUnzipDoes_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("caseInsensitive");
        QTest::addColumn<QString>("unzipFlags");
        QTest::newRow("two rows") << QStringList{"file_id.diz", "sub/deep.bin"} << true << "-C -n";
        QTest::newRow("blank name") << QStringList{"with blank name.txt"} << true << "-C -n";
        QTest::newRow("either case") << QStringList{"README"} << true << "-C -n";
        QTest::newRow("exact case") << QStringList{"README"} << false << "-n";
    }
    void extractSelectedAsUnzipDoes() {
        QFETCH(QStringList, rows);
        QFETCH(bool, caseInsensitive);
        QFETCH(QString, unzipFlags);
        TempDir out;
        ScriptedPrompts prompts;
        openFor("test.zip");
        dlg->chC_flag->setChecked(caseInsensitive);
        dlg->chDFlag->setChecked(true);
        QList<int> indexes;
        std::string names;
        for (const QString& r : rows) {
            indexes << rowOf(r);
            names += " " + shellQuote(r.toStdString());
        }
        selectRows(indexes);
        dlg->R_sel->click();
        dlg->T_Dir->setText(q(out / "ours"));
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        QCOMPARE(dlg->ExtractNames(), rows);
        QCOMPARE(prompts.texts(), QStringList());
        run("unzip -q " + unzipFlags.toStdString() + " " + shellQuote(at("test.zip").toStdString()) + names +
            " -d " + shellQuote(out / "theirs") + " </dev/null >/dev/null 2>&1");
        QCOMPARE(tree(q(out / "ours")), tree(q(out / "theirs")));
    }

    void wildcardCharactersInNamesAreLiteral() {
        TempDir out;
        openFor("test.zip");
        selectRows({rowOf("a[1].txt")});
        dlg->R_sel->click();
        dlg->T_Dir->setText(q(out.path().string()));
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        const auto files = tree(q(out.path().string()));
        QCOMPARE(files.size(), size_t(1));
        QCOMPARE(files.begin()->first, QString("a[1].txt"));
        QCOMPARE(files.begin()->second, QByteArray("bracket"));
        QCOMPARE(TFrmUnzip::literalPattern("a*b?[c]"), QString("a[*]b[?][[]c]"));
    }

    void nothingSelectedExtractsNothing() {
        TempDir out;
        ScriptedPrompts prompts;
        openFor("test.zip");
        dlg->R_sel->click();
        dlg->T_Dir->setText(q(out / "dest"));
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        QVERIFY(dlg->ExtractNames().isEmpty());
        QVERIFY(!fs::exists(out / "dest"));
        QVERIFY(prompts.asked().empty());
    }

    // More than a thousand chosen rows go to the engine in one run; the destination folder is
    // made when it is missing; the busy window shows meanwhile and is gone afterwards.
    void manyRowsIntoANewFolder() {
        TempDir out;
        TFrmWaitZip wait;
        dlg->WaitWindow = &wait;
        openFor("many.zip");
        QCOMPARE(dlg->FilesList->count(), 1500);
        dlg->FilesList->selectAll();
        dlg->R_sel->click();
        dlg->chDFlag->setChecked(true);
        const std::string dest = out / "new/deeper";
        dlg->T_Dir->setText(q(dest));
        ScriptedPrompts prompts;
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        QCOMPARE(dlg->ExtractNames().size(), 1500);
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(tree(q(dest)).size(), size_t(1500));
        QCOMPARE(readFile(dest + "/m/1499.txt"), std::string("1499"));
        QVERIFY(wait.Anm1->paintCount() > 0);
        QVERIFY(!wait.isVisible());
    }

    // Problems are told once, after the run, naming what went wrong.
    void problemsReportedOnce_data() {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("destination"); // relative to a fresh folder
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("encrypted member") << "locked.zip"
                                          << "out" << QStringList{"encrypted", "f.py", "password"};
        QTest::newRow("refused name") << "hostile.zip"
                                      << "out" << QStringList{"../evil.txt", "outside"};
        QTest::newRow("cannot write") << "test.zip"
                                      << "blocker/out" << QStringList{"cannot write", "blocker/out"};
    }
    void problemsReportedOnce() {
        QFETCH(QString, archive);
        QFETCH(QString, destination);
        QFETCH(QStringList, mentions);
        TempDir out;
        writeFile(out / "blocker", "a file where a folder should be");
        ScriptedPrompts prompts;
        openFor(archive);
        dlg->chDFlag->setChecked(true);
        dlg->T_Dir->setText(q(out / destination.toStdString()));
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        QCOMPARE(prompts.asked().size(), size_t(1));
        QCOMPARE(prompts.asked()[0].kind, QString("error"));
        for (const QString& m : mentions)
            QVERIFY2(prompts.asked()[0].text.contains(m), qPrintable(prompts.asked()[0].text));
        QVERIFY(!fs::exists(out.path().parent_path() / "evil.txt"));
        if (archive == "hostile.zip")
            QCOMPARE(readFile(out / "out/good.txt"), std::string("fine"));
    }

    void blankDestinationIsRefused() {
        ScriptedPrompts prompts;
        openFor("test.zip");
        dlg->T_Dir->setText("   ");
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        QCOMPARE(prompts.asked().size(), size_t(1));
        QVERIFY(prompts.asked()[0].text.contains("Decompress to:"));
    }

    // The archive named when "Unzip !" is pressed is the browser's selection of that moment;
    // the names come from the listing made when the dialog was shown.
    void browserSelectionChangedWhileOpen() {
        TempDir out;
        openFor("test.zip");
        clickRow(main->LFile, "other.zip");
        dlg->T_Dir->setText(q(out.path().string()));
        ScriptedPrompts prompts;
        QTest::mouseClick(dlg->B_Unzip, Qt::LeftButton);
        QVERIFY(tree(q(out.path().string())).empty());
        QCOMPARE(prompts.asked().size(), size_t(1)); // none of the listed names is in other.zip
    }

    void folderChosenInLtreeBecomesTheDestination() {
        fs::create_directories(tmp->path() / "target folder");
        openFor("test.zip");
        QTest::mouseClick(dlg->B_Options, Qt::LeftButton);
        dlg->Ltree->setDirectory(dir);
        QCOMPARE(dlg->T_Dir->text(), dir);
        clickRow(dlg->Ltree, "target folder");
        QCOMPARE(dlg->T_Dir->text(), at("target folder"));
        clickRow(dlg->Ltree, "test.zip"); // a file: its folder
        QCOMPARE(dlg->T_Dir->text(), dir);
    }
};

QTEST_MAIN(TestZipUnzip)
#include "test_zip_unzip.moc"
