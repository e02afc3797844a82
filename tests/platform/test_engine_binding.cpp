// The program's side of the engine interface: the library check with both of its messages, the
// callbacks' answers, the engine state and the sinks, the requests through the loaded engines.
#include "ArchiveFixtures.h"
#include "engineclient/ArchiveEngine.h"
#include "engineclient/EngineLibrary.h"
#include "engineclient/Engines.h"
#include "engineclient/UnZip32.h"
#include "engineclient/Zip32.h"
#include "platform/SinkOnThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

using namespace korvel;
using namespace korvel::test;
namespace fs = std::filesystem;

namespace {

const std::string kNotFound =
    "Cannot find libzip32.so.\nThe Dll must be in the application directory, the path,\n"
    "the Windows directory or the Windows System directory.";
const std::string kWrongVersion =
    "libzip32.so has the wrong version number.\nInsure that you have the correct dll's "
    "installed, and that \nan older dll is not in your path or Windows System directory.";

// Runs first: with the engines missing, loading names the missing library.
TEST(Engines, AMissingLibraryIsNamed) {
    TempDir empty;
    std::string error;
    EXPECT_FALSE(Engines::loadFrom(empty.path().string(), &error));
    EXPECT_NE(error.find("libzip32.so"), std::string::npos) << error;
    EXPECT_FALSE(SharedLibrary::load("libkorvel-nothing.so", &error));
}

TEST(Engines, LoadFromTheBuildFolder) {
    std::string error;
    EXPECT_TRUE(Engines::load(&error)) << error;
    EXPECT_TRUE(Engines::loaded());
}

TEST(CheckZipDllVersion, AcceptsOurEngine) {
    EXPECT_TRUE(Check_ZipDllVersion());
    EXPECT_TRUE(Check_ZipDllVersion(KORVEL_BIN_DIR "/libzip32.so"));
}

TEST(CheckZipDllVersion, MissingLibrarySaysCannotFind) {
    for (const std::string& path : {std::string(), std::string(KORVEL_BIN_DIR "/nothing/libzip32.so")}) {
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
    for (const std::string& path : {std::string(), std::string(KORVEL_BIN_DIR "/nothing/libunzip32.so"),
                                    std::string(KORVEL_FAKE_ZIP_DIR "/libfakezip_other_maker.so")}) {
        try {
            Check_UnzipDll(path);
            ADD_FAILURE() << "accepted " << path;
        } catch (const ZipDllError& e) {
            const std::string want = path.find("fake") != std::string::npos
                                         ? "libunzip32.so has the wrong version"
                                         : "Cannot find libunzip32.so.\n";
            EXPECT_EQ(e.message().rfind(want, 0), 0u) << e.message();
        }
    }
}

class WrongVersion : public ::testing::TestWithParam<const char*> {};

TEST_P(WrongVersion, IsRefused) {
    const std::string path = std::string(KORVEL_FAKE_ZIP_DIR "/libfakezip_") + GetParam() + ".so";
    ASSERT_TRUE(fs::exists(path));
    try {
        Check_ZipDllVersion(path);
        ADD_FAILURE() << "accepted";
    } catch (const ZipDllError& e) {
        EXPECT_EQ(e.message(), kWrongVersion);
        EXPECT_EQ(std::string(e.what()), kWrongVersion);
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
    std::vector<std::string> text, bytes;
    UnzipSink s;
    s.printedText = [&](std::string_view t) { text.emplace_back(t); };
    s.printedBytes = [&](std::string_view b) { bytes.emplace_back(b); };
    ScopedUnzipSink scope(s);
    char piece[] = "line one\r\nline two\0after";
    unzipState().CapturePrint = false;
    UnzipPrint(piece, sizeof piece - 1);
    EXPECT_TRUE(text.empty());
    unzipState().CapturePrint = true;
    EXPECT_EQ(UnzipPrint(piece, sizeof piece - 1), int(sizeof piece - 1));
    unzipState().CapturePrint = false;
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0], std::string(piece, sizeof piece - 1)); // whole: a description may hold NUL
    ASSERT_EQ(bytes.size(), 2u);
    EXPECT_EQ(bytes[1].size(), sizeof piece - 1);
}

TEST(Callbacks, MessageBuildsTheListingLine) {
    std::vector<std::string> lines, names;
    UnzipSink s;
    s.listedLine = [&](const ArchiveMember& m) {
        lines.push_back(m.line);
        names.push_back(m.name);
    };
    ScopedUnzipSink scope(s);
    UnzipMessage(1234, 600, 51, 3, 7, 2, 9, 5, ' ', "file_id.diz", "Defl:N", 0x1234, ' ');
    EXPECT_TRUE(lines.empty());
    unzipState().CaptureListing = true;
    UnzipMessage(1234, 600, 51, 3, 7, 2, 9, 5, ' ', "file_id.diz", "Defl:N", 0x1234, ' ');
    unzipState().CaptureListing = false;
    EXPECT_EQ(lines, std::vector<std::string>{"   1234   3- 7- 2  9: 5  file_id.diz"});
    EXPECT_EQ(names, std::vector<std::string>{"file_id.diz"});
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
        zip = t / "a.zip";
    }
    TempDir t;
    std::string zip;
};

TEST_F(Requests, ListingReportsEveryMemberInOrder) {
    std::vector<ArchiveMember> members;
    EXPECT_EQ(ArchiveEngine::list(zip, members), PK_OK);
    EXPECT_FALSE(unzipState().CaptureListing);
    ASSERT_EQ(members.size(), 1202u);
    EXPECT_EQ(members[0].name, "src/");
    EXPECT_TRUE(members[0].line.ends_with("  src/"));
    // A broken archive lists nothing.
    EXPECT_NE(ArchiveEngine::list(t / "src/m1.txt", members), PK_OK);
    EXPECT_TRUE(members.empty());
}

TEST_F(Requests, PrintFindsCaseInsensitively) {
    std::string text;
    UnzipSink s;
    s.printedText = [&](std::string_view b) { text += b; };
    unzipState().CapturePrint = true;
    EXPECT_EQ(PrintRequest(zip, "src/file_id.diz", s), PK_OK);
    EXPECT_NE(PrintRequest(zip, "file_id.diz", s), PK_OK);
    unzipState().CapturePrint = false;
    EXPECT_EQ(text, "the description");
}

TEST_F(Requests, ExtractionTakesAnyNumberOfNames) {
    std::vector<ArchiveMember> members;
    ASSERT_EQ(ArchiveEngine::list(zip, members), PK_OK);
    std::vector<std::string> names;
    for (const auto& m : members)
        names.push_back(m.name);
    unzipState().CapturePrint = true;
    ExtractFlags f;
    f.ndflag = true;
    EXPECT_EQ(ArchiveEngine::extract(zip, t / "out", names, f), PK_OK);
    EXPECT_FALSE(unzipState().CapturePrint);
    EXPECT_EQ(readFile(t / "out/src/m1199.txt"), "1199");
    EXPECT_EQ(readFile(t / "out/src/FILE_ID.DIZ"), "the description");
}

TEST_F(Requests, TypedApiRoundTrip) {
    const std::string out = t / "new.zip";
    unzipState().CaptureListing = false;
    unzipState().CapturePrint = false;
    EXPECT_EQ(ArchiveEngine::zip(out, {t / "src/FILE_ID.DIZ"}, embeddingZipOptions('9')), ZE_OK);
    EXPECT_TRUE(unzipTestPasses(t / "new.zip"));
    std::vector<ArchiveMember> members;
    EXPECT_EQ(ArchiveEngine::list(out, members), PK_OK);
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].name, "FILE_ID.DIZ");
    EXPECT_EQ(members[0].size, 15u);
    std::string bytes;
    EXPECT_EQ(ArchiveEngine::print(out, "file_id.diz", bytes), PK_OK);
    EXPECT_EQ(bytes, "the description");
    EXPECT_EQ(ArchiveEngine::print(out, "file_id.diz", bytes, false), PK_FIND);
    EXPECT_EQ(ArchiveEngine::zip(out, {}, embeddingZipOptions('x')), ZE_PARMS);
    // The typed API sets no capture flag.
    EXPECT_FALSE(unzipState().CaptureListing);
    EXPECT_FALSE(unzipState().CapturePrint);
}

TEST_F(Requests, SinkCallsReachTheInstallingThreadWhenTheEngineRunsElsewhere) {
    QThread* mainThread = QThread::currentThread();
    int onMain = 0, elsewhere = 0;
    UnzipSink s;
    s.listedMember = [&](const ArchiveMember&) {
        (QThread::currentThread() == mainThread ? onMain : elsewhere)++;
    };
    ScopedUnzipSink scope(s, dispatchToThisThread());
    QEventLoop loop;
    int result = -1;
    QThread* worker = QThread::create([&] {
        std::string path = zip;
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
