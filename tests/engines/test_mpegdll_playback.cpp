// Real playback: a private PulseAudio server with a null sink plays a 10-second file in real
// time; pause, stop and restart act on what is heard.
#include "AudioFixtures.h"
#include "mpegdll.h"

#include <gtest/gtest.h>

using namespace korvel::testaudio;
using namespace std::chrono_literals;

namespace {

TEST(MpegDllRealPlayback, TenSecondsTakeAboutTenSeconds) {
    PulseServer server;
    if (!server.ok())
        GTEST_SKIP() << "no sound server for real playback: " << server.why();
    TempDir dir;
    std::string mp3 = makeMp3(dir, "ten", 10.0, 44100, 2, "-b 128");
    ASSERT_FALSE(mp3.empty());
    ASSERT_EQ(init(), 1);
    Open(mp3.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(LastError(), MPEGDLL_OK);
    SetOutputDevice(MPEGDLL_DEVICE_DEFAULT, "");
    SetPriority(2);
    unsigned char endByte = 0;

    // Pause, stop and restart while it plays.
    ASSERT_EQ(Play(0, 0, &endByte), 0) << "the null sink could not be opened";
    // The sound server takes about a second to get going; after two the position has moved on,
    // but not further than the server's buffer ahead of the clock.
    std::this_thread::sleep_for(2s);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_PLAYING);
    int32_t pos = GetCurrentPos();
    EXPECT_GT(pos, 300);
    EXPECT_LT(pos, 5000) << "decoded far ahead of what was played";
    Pause(0);
    ASSERT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_PAUSED);
    std::this_thread::sleep_for(300ms);
    int32_t paused = GetCurrentPos();
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(GetCurrentPos(), paused) << "the position moved while paused";
    Pause(1);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_PLAYING);
    Stop();
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_READY);
    EXPECT_FALSE(endByteSet(endByte));
    int32_t stopped = GetCurrentPos();
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(GetCurrentPos(), stopped) << "still playing after Stop";
    Restart();
    ASSERT_EQ(LastError(), MPEGDLL_OK);
    std::this_thread::sleep_for(300ms);
    EXPECT_LT(GetCurrentPos(), 2500) << "Restart did not go back to the beginning";
    Stop();

    // A whole play, timed.
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(Play(0, 0, &endByte), 0);
    ASSERT_TRUE(waitFor([&] { return endByteSet(endByte); }, 30s)) << "the end was never reached";
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    RecordProperty("wall_seconds", std::to_string(seconds));
    std::printf("10.0 s of audio played in %.2f s of wall time\n", seconds);
    EXPECT_GE(seconds, 8.0) << "decoded at full speed instead of played";
    EXPECT_LT(seconds, 25.0);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_READY);
    Close();
}

TEST(MpegDllRealPlayback, AFrozenSoundServerIsAnOutputFailureNotAHang) {
    PulseServer server;
    if (!server.ok())
        GTEST_SKIP() << "no sound server for real playback: " << server.why();
    TempDir dir;
    std::string mp3 = makeMp3(dir, "twenty", 20.0, 44100, 2, "-b 128");
    ASSERT_FALSE(mp3.empty());
    ASSERT_EQ(init(), 1);
    Open(mp3.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    SetOutputDevice(MPEGDLL_DEVICE_DEFAULT, "");
    unsigned char endByte = 0;
    ASSERT_EQ(Play(0, 0, &endByte), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    // The server stops taking samples: the player's write blocks for good.
    ASSERT_EQ(kill(server.pid(), SIGSTOP), 0);
    bool failed = waitFor(
        [&] {
            GetCurrentPos();
            return LastError() == MPEGDLL_ERR_OUTPUT;
        },
        15s);
    EXPECT_TRUE(failed) << "a stalled output was never reported";
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_READY);
    auto t0 = std::chrono::steady_clock::now();
    Stop();
    Close();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 3s) << "Stop and Close waited for the frozen server";
    kill(server.pid(), SIGCONT);
    EXPECT_FALSE(endByteSet(endByte));
}

} // namespace
