// The program's side of the engine interface: the library check with both of its messages, the
// callbacks' answers, the engine state and the sinks, the requests through the loaded engines.
#include "../support/ArchiveFixtures.h"
#include "platform/ArchiveEngine.h"
#include "platform/EngineLibrary.h"
#include "platform/Engines.h"
#include "platform/UnZip32.h"
#include "platform/Zip32.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

using namespace korvel;
using namespace korvel::test;

namespace {

const QString kNotFound =
    "Cannot find libzip32.so.\nThe Dll must be in the application directory, the path,\n"
    "the Windows directory or the Windows System directory.";
const QString kWrongVersion =
    "libzip32.so has the wrong version number.\nInsure that you have the correct dll's "
    "installed, and that \nan older dll is not in your path or Windows System directory.";

// Runs first: with the engines missing, loading names the missing library.
TEST(Engines, AMissingLibraryIsNamed) {
    TempDir empty;
    QString error;
    EXPECT_FALSE(Engines::loadFrom(QString::fromStdString(empty.path().string()), &error));
    EXPECT_TRUE(error.contains("libzip32.so")) << error.toStdString();
    EXPECT_FALSE(SharedLibrary::load("libkorvel-nothing.so", &error));
}

TEST(Engines, LoadFromTheBuildFolder) {
    QString error;
    EXPECT_TRUE(Engines::load(&error)) << error.toStdString();
    EXPECT_TRUE(Engines::loaded());
}

TEST(CheckZipDllVersion, AcceptsOurEngine) {
    EXPECT_TRUE(Check_ZipDllVersion());
    EXPECT_TRUE(Check_ZipDllVersion(KORVEL_BIN_DIR "/libzip32.so"));
}

TEST(CheckZipDllVersion, MissingLibrarySaysCannotFind) {
    for (const QString& path : {QString(), QString(KORVEL_BIN_DIR "/nothing/libzip32.so")}) {
        try {
            Check_ZipDllVersion(path);
            ADD_FAILURE() << "no error";
        } catch (const ZipDllError& e) {
            EXPECT_EQ(e.message(), kNotFound);
        }
    }
}

TEST(CheckUnzipDll, NamesTheUnzipLibraryWhenItIsMissing) {
    EXPECT_TRUE(Check_UnzipDll());
    for (const QString& path : {QString(), QString(KORVEL_BIN_DIR "/nothing/libunzip32.so"),
                                QString(KORVEL_FAKE_ZIP_DIR "/libfakezip_other_maker.so")}) {
        try {
            Check_UnzipDll(path);
            ADD_FAILURE() << "accepted " << path.toStdString();
        } catch (const ZipDllError& e) {
            EXPECT_TRUE(e.message().startsWith(path.contains("fake") ? "libunzip32.so has the wrong version"
                                                                     : "Cannot find libunzip32.so.\n"))
                << e.message().toStdString();
        }
    }
}

class WrongVersion : public ::testing::TestWithParam<const char*> {};

TEST_P(WrongVersion, IsRefused) {
    const QString path = QStringLiteral(KORVEL_FAKE_ZIP_DIR "/libfakezip_%1.so").arg(GetParam());
    ASSERT_TRUE(QFileInfo::exists(path));
    try {
        Check_ZipDllVersion(path);
        ADD_FAILURE() << "accepted";
    } catch (const ZipDllError& e) {
        EXPECT_EQ(e.message(), kWrongVersion);
        EXPECT_EQ(std::string(e.what()), kWrongVersion.toStdString());
    }
}

INSTANTIATE_TEST_SUITE_P(Fakes, WrongVersion,
                         ::testing::Values("trailing_blank", "third_component", "other_maker", "no_query"));

TEST(Callbacks, GiveTheirStatedAnswers) {
    char text[] = "hello";
    EXPECT_EQ(ZipPrint(text, 5), 5);
    EXPECT_EQ(ZipComment(text), text);
    EXPECT_STREQ(text, "hello");
    char buf[8] = "";
    EXPECT_EQ(ZipPassword(buf, 8, "p", "n"), 1);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(ZipService("n", 1), 0);
    EXPECT_EQ(UnzipReplace(text), 1);
    EXPECT_EQ(UnzipPassword(buf, 8, "p", "n"), 1);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(UnzipService("n", 1), 0);
    EXPECT_EQ(UnzipPrint(text, 5), 5);

    USERFUNCTIONS u;
    Init_UnzipUserFunctions(u);
    EXPECT_EQ(u.print, &UnzipPrint);
    EXPECT_EQ(u.sound, nullptr);
    EXPECT_EQ(u.replace, &UnzipReplace);
    EXPECT_EQ(u.password, &UnzipPassword);
    EXPECT_EQ(u.SendApplicationMessage, &UnzipMessage);
    EXPECT_EQ(u.ServCallBk, &UnzipService);
    ZIPUSERFUNCTIONS z{};
    EXPECT_EQ(Init_ZipUserFunctions(z), 1);
    EXPECT_EQ(z.print, &ZipPrint);
    EXPECT_EQ(z.ServiceApplication, &ZipService);
}

TEST(Callbacks, PrintReachesTheEditorOnlyWhileCapturing) {
    QList<QByteArray> text, bytes;
    UnzipSink s;
    s.printedText = [&](const QByteArray& t) { text << t; };
    s.printedBytes = [&](const QByteArray& b) { bytes << b; };
    ScopedUnzipSink scope(s);
    char piece[] = "line one\r\nline two\0after";
    unzipState().CapturePrint = false;
    UnzipPrint(piece, sizeof piece - 1);
    EXPECT_TRUE(text.isEmpty());
    unzipState().CapturePrint = true;
    EXPECT_EQ(UnzipPrint(piece, sizeof piece - 1), int(sizeof piece - 1));
    unzipState().CapturePrint = false;
    ASSERT_EQ(text.size(), 1);
    EXPECT_EQ(text[0], QByteArray(piece, sizeof piece - 1)); // whole: a description may hold NUL
    ASSERT_EQ(bytes.size(), 2);
    EXPECT_EQ(bytes[1].size(), qsizetype(sizeof piece - 1));
}

TEST(Callbacks, MessageBuildsTheListingLine) {
    QStringList lines;
    UnzipSink s;
    s.listedLine = [&](const QString& l) { lines << l; };
    ScopedUnzipSink scope(s);
    unzipState().MemberNames.clear();
    UnzipMessage(1234, 600, 51, 3, 7, 2, 9, 5, ' ', "file_id.diz", "Defl:N", 0x1234, ' ');
    EXPECT_TRUE(lines.isEmpty());
    unzipState().CaptureListing = true;
    UnzipMessage(1234, 600, 51, 3, 7, 2, 9, 5, ' ', "file_id.diz", "Defl:N", 0x1234, ' ');
    unzipState().CaptureListing = false;
    EXPECT_EQ(lines, QStringList{"   1234   3- 7- 2  9: 5  file_id.diz"});
    EXPECT_EQ(unzipState().MemberNames, QStringList{"file_id.diz"});
}

TEST(OptionRecords, AreFilledAsTheProgramWritesThem) {
    ZPOPT d = defaultZipOptions();
    EXPECT_EQ(d.fGrow, -1);
    EXPECT_EQ(d.fRecurse, 1);
    EXPECT_EQ(d.fLevel, '6');
    EXPECT_EQ(d.fJunkDir, 0);
    ZPOPT e = embeddingZipOptions('9');
    EXPECT_EQ(e.fExtra, -1);
    EXPECT_EQ(e.fJunkDir, -1);
    EXPECT_EQ(e.fGrow, -1);
    EXPECT_EQ(e.fRecurse, 0);
    EXPECT_EQ(e.fLevel, '9');
    EXPECT_EQ(zipLevelFromText(""), '6');
    EXPECT_EQ(zipLevelFromText("9"), '9');
    EXPECT_EQ(zipLevelFromText("12"), '1');
    EXPECT_EQ(zipLevelFromText("a5"), 'a');
    EXPECT_EQ(ZpSetOptions(embeddingZipOptions('a')), 0); // "Error setting Zip Options"
    EXPECT_EQ(ZpSetOptions(e), 1);
    EXPECT_EQ(korvel::ZpGetOptions().fJunkDir, -1);
}

TEST(OptionRecords, RequestsCarryTheFlagsOfTheirKind) {
    char zip[] = "a.zip", dir[] = "/d", empty[] = "";
    DCL d;
    fillListingRequest(d, zip);
    EXPECT_EQ(d.nvflag, 1);
    EXPECT_EQ(d.ncflag, 0);
    EXPECT_EQ(d.fQuiet, 2);
    EXPECT_EQ(d.nUflag, 1);
    EXPECT_EQ(d.C_flag, 1);
    EXPECT_EQ(d.lpszExtractDir, nullptr);
    ExtractFlags f;
    f.ndflag = f.noflag = true;
    f.C_flag = false;
    fillExtractionRequest(d, zip, dir, f);
    EXPECT_EQ(d.nvflag, 0);
    EXPECT_EQ(d.ndflag, 1);
    EXPECT_EQ(d.noflag, 1);
    EXPECT_EQ(d.C_flag, 0);
    EXPECT_EQ(d.fPrivilege, 1);
    EXPECT_EQ(d.lpszExtractDir, dir);
    fillPrintRequest(d, zip, empty);
    EXPECT_EQ(d.ncflag, 1);
    EXPECT_EQ(d.lpszExtractDir, empty);
}

class Requests : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 1200; ++i)
            writeFile(t / ("src/m" + std::to_string(i) + ".txt"), std::to_string(i));
        writeFile(t / "src/FILE_ID.DIZ", "the description");
        ASSERT_EQ(zipTool(t.path().string(), "-r -0 a.zip src"), 0);
        zip = QString::fromStdString(t / "a.zip");
    }
    TempDir t;
    QString zip;
};

TEST_F(Requests, ListingFillsMemberNamesInOrder) {
    QStringList lines;
    UnzipSink s;
    s.listedLine = [&](const QString& l) { lines << l; };
    EXPECT_EQ(ListingRequest(zip, s), PK_OK);
    EXPECT_FALSE(unzipState().CaptureListing);
    ASSERT_EQ(unzipState().MemberNames.size(), 1202);
    EXPECT_EQ(lines.size(), 1202);
    EXPECT_EQ(unzipState().MemberNames[0], "src/");
    EXPECT_TRUE(lines[0].endsWith("  src/"));
    // A broken archive leaves the names empty.
    EXPECT_NE(ListingRequest(QString::fromStdString(t / "src/m1.txt")), PK_OK);
    EXPECT_TRUE(unzipState().MemberNames.isEmpty());
}

TEST_F(Requests, PrintFindsCaseInsensitively) {
    QByteArray text;
    UnzipSink s;
    s.printedText = [&](const QByteArray& b) { text += b; };
    unzipState().CapturePrint = true;
    EXPECT_EQ(PrintRequest(zip, "src/file_id.diz", s), PK_OK);
    EXPECT_NE(PrintRequest(zip, "file_id.diz", s), PK_OK);
    unzipState().CapturePrint = false;
    EXPECT_EQ(text, "the description");
}

TEST_F(Requests, ExtractionTakesAnyNumberOfNames) {
    ASSERT_EQ(ListingRequest(zip), PK_OK);
    unzipState().ExtractNames = unzipState().MemberNames;
    unzipState().CapturePrint = true;
    ExtractFlags f;
    f.ndflag = true;
    EXPECT_EQ(ExtractionRequest(zip, QString::fromStdString(t / "out"), f, unzipState().ExtractNames), PK_OK);
    EXPECT_FALSE(unzipState().CapturePrint);
    EXPECT_EQ(readFile(t / "out/src/m1199.txt"), "1199");
    EXPECT_EQ(readFile(t / "out/src/FILE_ID.DIZ"), "the description");
}

TEST_F(Requests, TypedApiRoundTrip) {
    const QString out = QString::fromStdString(t / "new.zip");
    unzipState().MemberNames = QStringList{"kept"};
    EXPECT_EQ(
        ArchiveEngine::zip(out, {QString::fromStdString(t / "src/FILE_ID.DIZ")}, embeddingZipOptions('9')),
        ZE_OK);
    EXPECT_TRUE(unzipTestPasses(t / "new.zip"));
    QList<ArchiveMember> members;
    EXPECT_EQ(ArchiveEngine::list(out, members), PK_OK);
    ASSERT_EQ(members.size(), 1);
    EXPECT_EQ(members[0].name, "FILE_ID.DIZ");
    EXPECT_EQ(members[0].size, 15u);
    QByteArray bytes;
    EXPECT_EQ(ArchiveEngine::print(out, "file_id.diz", bytes), PK_OK);
    EXPECT_EQ(bytes, "the description");
    EXPECT_EQ(ArchiveEngine::print(out, "file_id.diz", bytes, false), PK_FIND);
    EXPECT_EQ(ArchiveEngine::zip(out, {}, embeddingZipOptions('x')), ZE_PARMS);
    EXPECT_EQ(unzipState().MemberNames, QStringList{"kept"}); // the typed API leaves the state alone
}

TEST_F(Requests, SinkCallsReachTheInstallingThreadWhenTheEngineRunsElsewhere) {
    QThread* mainThread = QThread::currentThread();
    int onMain = 0, elsewhere = 0;
    UnzipSink s;
    s.listedMember = [&](const ArchiveMember&) {
        (QThread::currentThread() == mainThread ? onMain : elsewhere)++;
    };
    ScopedUnzipSink scope(s);
    QEventLoop loop;
    int result = -1;
    QThread* worker = QThread::create([&] {
        QByteArray path = zip.toUtf8();
        DCL d;
        fillListingRequest(d, path.data());
        USERFUNCTIONS f;
        Init_UnzipUserFunctions(f);
        result = Wiz_SingleEntryUnzip({}, d, f);
    });
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    EXPECT_EQ(result, PK_OK);
    EXPECT_EQ(onMain, 1202);
    EXPECT_EQ(elsewhere, 0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
