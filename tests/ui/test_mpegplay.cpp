// TMPEGPlayer as the main window drives it: loading and checking the decoder library, playing a
// lame-made file through the pcmfile device and the sound server, the play state and the texts
// of its errors.
#include "AudioFixtures.h"
#include "ScriptedPrompts.h"
#include "audio/MPEGPlay.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QtTest>

using namespace korvel;
using namespace korvel::testaudio;

#define EXPECT_MPEG_ERROR(statement, text, code)                                                             \
    do {                                                                                                     \
        bool raised = false;                                                                                 \
        try {                                                                                                \
            statement;                                                                                       \
        } catch (const TMPEGError& e) {                                                                      \
            raised = true;                                                                                   \
            QCOMPARE(e.message(), QString(text));                                                            \
            QCOMPARE(int(e.ErrorCode()), int(code));                                                         \
            QCOMPARE(QString::fromStdString(e.what()), QString(text));                                       \
        }                                                                                                    \
        QVERIFY2(raised, "no TMPEGError was raised");                                                        \
    } while (0)

class TestMPEGPlay : public QObject {
    Q_OBJECT

    TempDir dir;
    QString mp3;
    std::vector<char> reference;
    QString pcm;

    // A player set up as the main window's MPEG1, with the pcmfile device.
    void setUpPcm(TMPEGPlayer& p) {
        p.setPathToDLL(KORVEL_BIN_DIR);
        p.LoadDecoder();
        p.setOutFilename(pcm);
        p.setOutputDevice(TMPEGPlayer::pcmfile);
    }
    void playButton(TMPEGPlayer& p, const QString& file) { // VrMediaButton1Click
        p.setStreamName(file);
        p.OpenInput();
        p.StartPlayback();
    }
    bool waitEnd(TMPEGPlayer& p) {
        QElapsedTimer t;
        t.start();
        while (!p.EndReached() && t.elapsed() < 20000)
            QTest::qWait(5);
        return p.EndReached();
    }
    std::vector<char> pcmBytes() { return readFile(pcm.toStdString()); }

private slots:
    void initTestCase() {
        std::string m = makeMp3(dir, "tone", 2.0, 44100, 2, "-b 128");
        QVERIFY2(!m.empty(), "lame failed");
        mp3 = QString::fromStdString(m);
        reference = mpg123Decode(dir, m);
        QVERIFY2(!reference.empty(), "mpg123 failed");
        pcm = QString::fromStdString(dir / "out.pcm");
    }

    void loadFailures_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        for (const char* entry : MpegDllLibrary::kEntryNames)
            QTest::newRow(entry) << QString(KORVEL_MPEGDLL_STUBS "/without_") + entry
                                 << "MPEG library not loaded" << 0;
        QTest::newRow("init fails") << KORVEL_MPEGDLL_STUBS "/init_fails"
                                    << "Internal decoder error" << 1;
        QTest::newRow("no library") << QString::fromStdString(dir / "empty") << "Can't load MPEG library"
                                    << 0;
        QTest::newRow("not a library")
            << QString::fromStdString(dir / "junk") << "Can't load MPEG library" << 0;
    }
    void loadFailures() {
        QFETCH(QString, folder);
        QFETCH(QString, text);
        QFETCH(int, code);
        QDir().mkpath(QString::fromStdString(dir / "empty"));
        QDir().mkpath(QString::fromStdString(dir / "junk"));
        QFile junk(QString::fromStdString(dir / "junk/libmpegdll.so"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("this is no shared library\n");
        junk.close();

        TMPEGPlayer p;
        p.setPathToDLL(folder);
        EXPECT_MPEG_ERROR(p.LoadDecoder(), text, code);
        QVERIFY(!p.libraryLoaded());
        // Every later play or stop attempt: "MPEG library not loaded"; stop raises nothing.
        p.setStreamName(mp3);
        EXPECT_MPEG_ERROR(p.OpenInput(), "MPEG library not loaded", 0);
        EXPECT_MPEG_ERROR(p.StartPlayback(), "MPEG library not loaded", 0);
        p.StopPlayback();
        EXPECT_MPEG_ERROR(p.CloseInput(), "MPEG library not loaded", 0);
    }

    void loadsFromTheGivenFolder() {
        TMPEGPlayer p;
        p.setPathToDLL(KORVEL_BIN_DIR);
        p.LoadDecoder();
        QVERIFY(p.libraryLoaded());
        QCOMPARE(p.libraryFile(), QDir::cleanPath(KORVEL_BIN_DIR "/libmpegdll.so"));
        QVERIFY(p.positionTimer());
        QVERIFY(!p.positionTimer()->isActive());
        QCOMPARE(p.StreamLength(), 0);
    }

    void searchOrder() {
        // The start folder first, then the executable's folder; with none, the system's search.
        const QString app = QCoreApplication::applicationDirPath();
        const auto candidates = [](const QString& folder) {
            QStringList files;
            for (const std::string& f : MpegDllLibrary::candidates(folder.toStdString()))
                files << QString::fromStdString(f);
            return files;
        };
        QCOMPARE(candidates("/start"),
                 QStringList({"/start/libmpegdll.so", QDir::cleanPath(app + "/libmpegdll.so")}));
        QCOMPARE(candidates(""), QStringList({QDir::cleanPath(app + "/libmpegdll.so"), "libmpegdll.so"}));
        QCOMPARE(candidates(app), QStringList({QDir::cleanPath(app + "/libmpegdll.so")}));
    }

    void playsWhatMpg123Decodes() {
        TMPEGPlayer p;
        setUpPcm(p);
        QCOMPARE(p.OutputDevice(), TMPEGPlayer::pcmfile);
        playButton(p, mp3);
        QVERIFY(p.IsOpen());
        QVERIFY(p.IsPlaying());
        QCOMPARE(p.PlayedXTimes(), 2);
        QCOMPARE(p.StreamLength(), qint32(reference.size() / 4 * 1000 / 44100));
        QVERIFY2(waitEnd(p), "the end byte was never set");
        QVERIFY(pcmBytes() == reference);
        // Nobody watches the end without the timer: the component still counts as playing.
        QVERIFY(p.IsPlaying());
        QCOMPARE(p.CurrentPosition(), p.StreamLength());
    }

    void playTwiceStartsFromTheBeginning() {
        TMPEGPlayer p;
        setUpPcm(p);
        playButton(p, mp3);
        QVERIFY(waitEnd(p));
        QFile::remove(pcm);
        // The second press sets StreamName, which closes the input: it is opened and played anew.
        playButton(p, mp3);
        QCOMPARE(p.PlayedXTimes(), 2);
        QVERIFY(waitEnd(p));
        QVERIFY(pcmBytes() == reference);
        // Start on the same open input after its end: played again through Restart.
        QFile::remove(pcm);
        p.StartPlayback();
        QCOMPARE(p.PlayedXTimes(), 3);
        QVERIFY(waitEnd(p));
        QVERIFY(pcmBytes() == reference);
    }

    void stopThenPlayOpensAgain() {
        TMPEGPlayer p;
        setUpPcm(p);
        playButton(p, mp3);
        p.StopPlayback(); // VrMediaButton3Click
        p.CloseInput();
        QVERIFY(!p.IsPlaying());
        QVERIFY(!p.IsOpen());
        QCOMPARE(p.PlayedXTimes(), 0);
        QFile::remove(pcm);
        p.StartPlayback(); // opens the input again and plays with Play, not Restart
        QVERIFY(p.IsOpen());
        QCOMPARE(p.PlayedXTimes(), 2);
        QVERIFY(waitEnd(p));
        QVERIFY(pcmBytes() == reference);
    }

    void timerReportsPositionAndEnd() {
        TMPEGPlayer p;
        p.setUseTimer(true);
        p.setTimerFreq(20);
        setUpPcm(p);
        QList<int> positions;
        int lengths = 0, ends = 0;
        p.OnPosUpdate = [&](int pos, int len) {
            positions << pos;
            lengths = len;
        };
        p.OnPlayEnd = [&](QObject* sender) {
            QCOMPARE(sender, &p);
            ++ends;
        };
        playButton(p, mp3);
        QVERIFY(!positions.isEmpty()); // one tick at once
        QTRY_COMPARE_WITH_TIMEOUT(ends, 1, 20000);
        QVERIFY(!p.IsPlaying());
        QVERIFY(!p.EndReached()); // cleared for OnPlayEnd
        QVERIFY(!p.positionTimer()->isActive());
        QCOMPARE(lengths, p.StreamLength());
        QCOMPARE(positions.last(), p.StreamLength());
        QVERIFY(pcmBytes() == reference);
    }

    void emptySelection() {
        TMPEGPlayer p;
        setUpPcm(p);
        p.setStreamName("");
        EXPECT_MPEG_ERROR(p.OpenInput(), "Can't play non-specified stream", 254);
        EXPECT_MPEG_ERROR(p.StartPlayback(), "Can't play non-specified stream", 254);
        QVERIFY(!p.IsOpen());
    }

    void missingFile() {
        TMPEGPlayer p;
        setUpPcm(p);
        p.setStreamName(QString::fromStdString(dir / "gone.mp3"));
        EXPECT_MPEG_ERROR(p.StartPlayback(), "Input stream error", 3);
        QCOMPARE(p.LastErrorCode(), 3);
        QVERIFY(!p.IsOpen());
    }

    void outputDeviceFailureAndTheProgramRunsOn() {
        TMPEGPlayer p;
        p.setPathToDLL(KORVEL_BIN_DIR);
        p.LoadDecoder();
        p.setOutFilename(QString::fromStdString(dir / "no/such/folder/out.pcm"));
        p.setOutputDevice(TMPEGPlayer::pcmfile);
        p.setStreamName(mp3);
        p.OpenInput();
        EXPECT_MPEG_ERROR(p.StartPlayback(), "Output device failure", 5);
        QVERIFY(!p.IsPlaying());
        QVERIFY(p.IsOpen());
        p.CloseInput();
        // No sound output at all (no output modules): the same message, at once.
        qputenv("MPG123_MODDIR", QByteArray::fromStdString(dir / "empty"));
        QDir().mkpath(QString::fromStdString(dir / "empty"));
        TMPEGPlayer q;
        q.setPathToDLL(KORVEL_BIN_DIR);
        q.LoadDecoder();
        QCOMPARE(q.OutputDevice(), TMPEGPlayer::wavemapper);
        q.setStreamName(mp3);
        QElapsedTimer t;
        t.start();
        EXPECT_MPEG_ERROR(q.StartPlayback(), "Output device failure", 5);
        QVERIFY(t.elapsed() < 3000);
        qunsetenv("MPG123_MODDIR");
        q.StopPlayback();
        q.CloseInput();
        // And playing to a usable device still works.
        p.setOutFilename(pcm);
        p.setOutputDevice(TMPEGPlayer::pcmfile);
        playButton(p, mp3);
        QVERIFY(waitEnd(p));
        QVERIFY(pcmBytes() == reference);
    }

    void pauseWhenNothingPlays() {
        TMPEGPlayer p;
        setUpPcm(p);
        p.PausePlayback(false); // resuming nothing does nothing
        QVERIFY(!p.IsPaused());
        EXPECT_MPEG_ERROR(p.PausePlayback(true), "Incorrect mode", 2);
        EXPECT_MPEG_ERROR(p.RestartPlayback(), "Incorrect mode", 2);
    }

    void priorities_data() {
        QTest::addColumn<int>("priority");
        QTest::addColumn<int>("number");
        QTest::newRow("Idle") << int(TMPEGPlayer::Idle) << -15;
        QTest::newRow("Lowest") << int(TMPEGPlayer::Lowest) << -2;
        QTest::newRow("BelowNormal") << int(TMPEGPlayer::BelowNormal) << -1;
        QTest::newRow("Normal") << int(TMPEGPlayer::Normal) << 0;
        QTest::newRow("AboveNormal") << int(TMPEGPlayer::AboveNormal) << 1;
        QTest::newRow("Highest") << int(TMPEGPlayer::Highest) << 2;
        QTest::newRow("TimeCritical") << int(TMPEGPlayer::TimeCritical) << 15;
    }
    void priorities() {
        QFETCH(int, priority);
        QFETCH(int, number);
        auto pr = static_cast<TMPEGPlayer::TPlayPriority>(priority);
        QCOMPARE(TMPEGPlayer::priorityNumber(pr), number);
        QCOMPARE(TMPEGPlayer::priorityFromNumber(number), pr);
        TMPEGPlayer p;
        setUpPcm(p);
        p.setPlayerPriority(pr); // handed to the loaded library at once
        QCOMPARE(p.PlayerPriority(), pr);
        QCOMPARE(p.LastErrorCode(), 0);
    }

    void properties() {
        TMPEGPlayer p;
        QCOMPARE(p.PlayerPriority(), TMPEGPlayer::Normal);
        QCOMPARE(TMPEGPlayer::priorityFromNumber(7), TMPEGPlayer::Normal);
        QCOMPARE(p.OutputDevice(), TMPEGPlayer::wavemapper);
        // pcmfile before OutFilename is the default device.
        p.setOutputDevice(TMPEGPlayer::pcmfile);
        QCOMPARE(p.OutputDevice(), TMPEGPlayer::wavemapper);
        p.setOutFilename(pcm);
        QCOMPARE(p.OutputDevice(), TMPEGPlayer::wavemapper);
        p.setOutputDevice(TMPEGPlayer::pcmfile);
        QCOMPARE(p.OutputDevice(), TMPEGPlayer::pcmfile);
        p.setUseTimer(true);
        p.setTimerFreq(0);
        QVERIFY(!p.UseTimer());
        p.setUseTimer(true);
        p.setTimerFreq(250);
        QVERIFY(p.UseTimer());
        QCOMPARE(p.property("TimerFreq").toInt(), 250);
        QCOMPARE(p.property("PlayedXTimes").toInt(), 0);
        QCOMPARE(TMPEGError::textFor(4), QString("Input stream is non-seekable"));
    }

    void timerFailureGoesToTheErrorDisplay() {
        ScriptedPrompts prompts;
        TMPEGPlayer p;
        p.setUseTimer(true);
        p.setTimerFreq(10);
        setUpPcm(p);
        p.setUseTimer(false); // the timer keeps its interval but is not started by playing
        playButton(p, mp3);
        QVERIFY(waitEnd(p));
        QVERIFY(p.IsPlaying());
        // The input goes away under the component (another player closes it): the next tick fails
        // once, and the timer stops instead of repeating the message.
        {
            TMPEGPlayer other;
            other.setPathToDLL(KORVEL_BIN_DIR);
            other.LoadDecoder();
            other.setStreamName(mp3);
            other.OpenInput();
            other.CloseInput();
        }
        p.positionTimer()->start();
        QTRY_VERIFY(!p.positionTimer()->isActive());
        QTest::qWait(50);
        QCOMPARE(prompts.texts(), QStringList({"Incorrect mode"}));
    }

    void realPlaybackStopAndRestart() {
        PulseServer server;
        if (!server.ok())
            QSKIP(qPrintable("no sound server for real playback: " + QString::fromStdString(server.why())));
        std::string ten = makeMp3(dir, "ten", 10.0, 44100, 2, "-b 128");
        QVERIFY(!ten.empty());
        TMPEGPlayer p;
        p.setUseTimer(true);
        p.setTimerFreq(100); // before the timer is made: later changes do not reach it
        p.setPathToDLL(KORVEL_BIN_DIR);
        p.LoadDecoder();
        int ends = 0;
        p.OnPlayEnd = [&](QObject*) { ++ends; };
        playButton(p, QString::fromStdString(ten));
        QTest::qWait(2000);
        p.StopPlayback();
        QVERIFY(!p.IsPlaying());
        qint32 stopped = p.CurrentPosition();
        QVERIFY2(stopped > 300, qPrintable(QString::number(stopped)));
        QTest::qWait(500);
        QCOMPARE(p.CurrentPosition(), stopped);
        QVERIFY(!p.EndReached());
        // Play again on the open input: from the beginning, played in real time.
        QElapsedTimer t;
        t.start();
        p.StartPlayback();
        QCOMPARE(p.PlayedXTimes(), 3);
        QTest::qWait(300);
        QVERIFY(p.CurrentPosition() < stopped);
        QTRY_COMPARE_WITH_TIMEOUT(ends, 1, 30000);
        double seconds = t.elapsed() / 1000.0;
        qInfo("10.0 s of audio played by the component in %.2f s", seconds);
        QVERIFY2(seconds >= 8.0, "decoded at full speed instead of played");
    }
};

QTEST_MAIN(TestMPEGPlay)
#include "test_mpegplay.moc"
