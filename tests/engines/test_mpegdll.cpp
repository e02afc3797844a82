// libmpegdll through its entry points: what the pcmfile device writes is what `mpg123 -s`
// decodes, the end byte, restarts, ranges, stream inputs and the error codes.
#include "AudioFixtures.h"
#include "mpegdll.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>

using namespace korvel::testaudio;
using namespace std::chrono_literals;

namespace {

struct Encoding {
    const char* name;
    double seconds;
    int rate, channels;
    const char* lameArgs;
    int layerBitrate; // kbit/s for CBR, 0 for VBR
};

class MpegDll : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(init(), 1);
        ASSERT_EQ(LastError(), MPEGDLL_OK);
    }
    void TearDown() override {
        Stop();
        Close();
    }
    // Plays the open input through the pcmfile device to its end; the bytes written.
    std::vector<char> playToPcm(int32_t start = 0, int32_t end = 0) {
        SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, pcm.c_str());
        EXPECT_EQ(LastError(), MPEGDLL_OK);
        endByte = 0;
        EXPECT_EQ(Play(start, end, &endByte), 0);
        EXPECT_EQ(LastError(), MPEGDLL_OK);
        EXPECT_TRUE(waitFor([&] { return endByteSet(endByte); }, 20s)) << "the end byte was never set";
        return readFile(pcm);
    }
    // Restarts the open input and waits for it to play to its end again; the bytes written anew.
    std::vector<char> restartToPcm() {
        std::filesystem::remove(pcm);
        endByte = 0;
        Restart();
        EXPECT_EQ(LastError(), MPEGDLL_OK);
        EXPECT_TRUE(waitFor([&] { return endByteSet(endByte); }, 20s)) << "the end byte was never set";
        return readFile(pcm);
    }
    TempDir dir;
    std::string pcm = dir / "out.pcm";
    unsigned char endByte = 0;
};

class MpegDllDecoding : public MpegDll, public ::testing::WithParamInterface<Encoding> {};

TEST_P(MpegDllDecoding, PcmFileHoldsWhatMpg123Decodes) {
    const Encoding& e = GetParam();
    std::string mp3 = makeMp3(dir, e.name, e.seconds, e.rate, e.channels, e.lameArgs);
    ASSERT_FALSE(mp3.empty()) << "lame failed";
    std::vector<char> reference = mpg123Decode(dir, mp3);
    ASSERT_FALSE(reference.empty()) << "mpg123 failed";

    Open(mp3.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_READY);
    EXPECT_EQ(GetFrequency(), e.rate);
    EXPECT_EQ(GetLayer(), 3);
    if (e.layerBitrate) {
        EXPECT_EQ(GetBitrate(), e.layerBitrate);
    }
    const int frameBytes = 2 * e.channels;
    EXPECT_EQ(GetLength(), int64_t(reference.size() / frameBytes) * 1000 / e.rate);

    std::vector<char> ours = playToPcm();
    ASSERT_EQ(ours.size(), reference.size());
    EXPECT_TRUE(ours == reference) << "the samples differ from mpg123's";
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_READY);
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(GetCurrentPos(), GetLength());
}

INSTANTIATE_TEST_SUITE_P(Lame, MpegDllDecoding,
                         ::testing::Values(Encoding{"cbr128", 3.0, 44100, 2, "-b 128", 128},
                                           Encoding{"vbr", 3.0, 44100, 2, "-V 2", 0},
                                           Encoding{"joint_48k", 2.5, 48000, 2, "-b 192 -m j", 192},
                                           Encoding{"mpeg2_mono", 2.0, 22050, 1, "-b 32 -m m", 32},
                                           Encoding{"mpeg25_8k", 1.5, 8000, 1, "-b 16 -m m", 16}),
                         [](const auto& info) { return std::string(info.param.name); });

class MpegDllPlayback : public MpegDll {
protected:
    void SetUp() override {
        MpegDll::SetUp();
        mp3 = makeMp3(dir, "tone", 2.0, 44100, 2, "-b 128");
        ASSERT_FALSE(mp3.empty());
        reference = mpg123Decode(dir, mp3);
        ASSERT_FALSE(reference.empty());
        Open(mp3.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        ASSERT_EQ(LastError(), MPEGDLL_OK);
    }
    std::string mp3;
    std::vector<char> reference;
};

TEST_F(MpegDllPlayback, RestartAfterTheEndPlaysFromTheBeginning) {
    ASSERT_TRUE(playToPcm() == reference);
    EXPECT_TRUE(restartToPcm() == reference);
}

TEST_F(MpegDllPlayback, PlayingAgainStartsOver) {
    SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, pcm.c_str());
    ASSERT_EQ(Play(0, 0, &endByte), 0);
    // The second Play stops the first and writes the file anew from the first sample.
    EXPECT_TRUE(playToPcm() == reference);
}

TEST_F(MpegDllPlayback, StopAfterTheEndKeepsTheEndByte) {
    ASSERT_TRUE(playToPcm() == reference);
    Stop();
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_TRUE(endByteSet(endByte));
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_READY);
    Close();
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_CLOSED);
}

TEST_F(MpegDllPlayback, StartAndEndPositionsCutTheRange) {
    const size_t frame = 4;
    std::vector<char> part = playToPcm(500, 1500);
    std::vector<char> expected(reference.begin() + 22050 * frame, reference.begin() + 66150 * frame);
    ASSERT_EQ(part.size(), expected.size());
    EXPECT_TRUE(part == expected);
    // Restart replays the same range.
    EXPECT_TRUE(restartToPcm() == expected);
}

// A stream input served from memory through the callbacks.
struct MemoryStream {
    std::vector<char> bytes;
    size_t pos = 0;
    bool nonseekable = false;
    int opens = 0, closes = 0, restarts = 0;
};

void streamOpen(void* owner, unsigned char* nonseekable, void** context) {
    auto* m = static_cast<MemoryStream*>(owner);
    ++m->opens;
    *nonseekable = m->nonseekable;
    *context = m;
}
void streamClose(void*, void* context) {
    ++static_cast<MemoryStream*>(context)->closes;
}
void streamRestart(void*, void* context, unsigned char* res) {
    auto* m = static_cast<MemoryStream*>(context);
    ++m->restarts;
    m->pos = 0;
    *res = 1;
}
void streamRead(void*, void* context, void* buffer, int32_t toRead, int32_t* read, unsigned char* res) {
    auto* m = static_cast<MemoryStream*>(context);
    size_t n = std::min<size_t>(toRead, m->bytes.size() - m->pos);
    std::memcpy(buffer, m->bytes.data() + m->pos, n);
    m->pos += n;
    *read = static_cast<int32_t>(n);
    *res = 1;
}
void streamSeek(void*, void* context, int32_t numbytes, int32_t method, int32_t* res) {
    auto* m = static_cast<MemoryStream*>(context);
    long long base = method == 0 ? 0 : method == 1 ? (long long)m->pos : (long long)m->bytes.size();
    long long to = base + numbytes;
    if (m->nonseekable || to < 0 || to > (long long)m->bytes.size()) {
        *res = -1;
        return;
    }
    m->pos = static_cast<size_t>(to);
    *res = static_cast<int32_t>(to);
}
void streamSize(void*, void* context, int32_t* res) {
    *res = static_cast<int32_t>(static_cast<MemoryStream*>(context)->bytes.size());
}

class MpegDllStream : public MpegDllPlayback, public ::testing::WithParamInterface<bool> {};

TEST_P(MpegDllStream, StreamInputDecodesLikeTheFile) {
    MemoryStream m;
    m.bytes = readFile(mp3);
    m.nonseekable = GetParam();
    Open(nullptr, 1, streamOpen, streamClose, streamRestart, streamRead, streamSeek, streamSize, &m);
    ASSERT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(m.opens, 1);
    EXPECT_TRUE(playToPcm() == reference);
    if (m.nonseekable) {
        EXPECT_EQ(Seek(1000), MPEGDLL_ERR_NONSEEKABLE);
    }
    // Playing again rewinds the stream (through its restart callback when it cannot seek).
    EXPECT_TRUE(restartToPcm() == reference);
    EXPECT_EQ(m.restarts, m.nonseekable ? 1 : 0);
    Close();
    EXPECT_EQ(m.closes, 1);
}

INSTANTIATE_TEST_SUITE_P(Seekable, MpegDllStream, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "nonseekable" : "seekable"; });

TEST_F(MpegDll, InputErrors) {
    Open((dir / "missing.mp3").c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_INPUT);
    Open(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_INPUT);
    {
        std::ofstream f(dir / "text.mp3");
        for (int i = 0; i < 2000; ++i)
            f << "not an mpeg stream at all, line " << i << "\n";
    }
    Open((dir / "text.mp3").c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_INPUT);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_CLOSED);
}

TEST_F(MpegDll, ModeErrorsWithoutInput) {
    Close();
    EXPECT_EQ(Play(0, 0, &endByte), MPEGDLL_ERR_MODE);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_MODE);
    Pause(0);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_MODE);
    Restart();
    EXPECT_EQ(LastError(), MPEGDLL_ERR_MODE);
    GetLength();
    EXPECT_EQ(LastError(), MPEGDLL_ERR_MODE);
    ResetPlayerMode();
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    Stop();
    EXPECT_EQ(LastError(), MPEGDLL_OK);
}

TEST_F(MpegDllPlayback, PauseWhenNothingPlaysIsAModeError) {
    Pause(0);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_MODE);
    Restart(); // never played since it was opened
    EXPECT_EQ(LastError(), MPEGDLL_ERR_MODE);
}

TEST_F(MpegDllPlayback, UnusableOutputDevices) {
    SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, "");
    EXPECT_EQ(LastError(), MPEGDLL_ERR_OUTPUT);
    SetOutputDevice(7, "x");
    EXPECT_EQ(LastError(), MPEGDLL_ERR_OUTPUT);
    EXPECT_EQ(Play(0, 0, &endByte), MPEGDLL_ERR_OUTPUT);
    SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, (dir / "no/such/folder/out.pcm").c_str());
    EXPECT_EQ(LastError(), MPEGDLL_OK);
    EXPECT_EQ(Play(0, 0, &endByte), MPEGDLL_ERR_OUTPUT);
    EXPECT_EQ(LastError(), MPEGDLL_ERR_OUTPUT);
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_READY);
    EXPECT_FALSE(endByteSet(endByte));
    // The input stays usable.
    EXPECT_TRUE(playToPcm() == reference);
}

// Runs f with environment variables set, and restores them afterwards.
template <class F> void withEnv(std::vector<std::pair<const char*, std::string>> vars, F f) {
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    for (auto& [k, v] : vars) {
        const char* old = getenv(k);
        saved.emplace_back(k, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(k, v.c_str(), 1);
    }
    f();
    for (auto& [k, v] : saved)
        v ? setenv(k, v->c_str(), 1) : unsetenv(k);
}

TEST_F(MpegDllPlayback, NoOutputDeviceIsCodeFive) {
    // No output modules at all: nothing can play the sound.
    std::filesystem::create_directory(dir / "nomodules");
    withEnv({{"MPG123_MODDIR", dir / "nomodules"}}, [&] {
        SetOutputDevice(MPEGDLL_DEVICE_DEFAULT, "");
        EXPECT_EQ(LastError(), MPEGDLL_OK);
        auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(Play(0, 0, &endByte), MPEGDLL_ERR_OUTPUT);
        EXPECT_EQ(LastError(), MPEGDLL_ERR_OUTPUT);
        EXPECT_LT(std::chrono::steady_clock::now() - t0, 3s);
    });
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_READY);
}

TEST_F(MpegDllPlayback, ASoundServerThatNeverAnswersDoesNotHang) {
    // A socket that takes the connection and says nothing, and only the PulseAudio module.
    const std::string modDir = dir / "modules";
    std::filesystem::create_directory(modDir);
    const char* pulse = "/usr/lib/x86_64-linux-gnu/mpg123/output_pulse.so";
    if (!std::filesystem::exists(pulse))
        GTEST_SKIP() << "no PulseAudio output module at " << pulse;
    std::filesystem::create_symlink(pulse, modDir + "/output_pulse.so");
    const std::string sockPath = dir / "silent.sock";
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, sockPath.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(fd, 4), 0);
    withEnv({{"MPG123_MODDIR", modDir}, {"PULSE_SERVER", "unix:" + sockPath}}, [&] {
        SetOutputDevice(MPEGDLL_DEVICE_DEFAULT, "");
        auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(Play(0, 0, &endByte), MPEGDLL_ERR_OUTPUT);
        auto took = std::chrono::steady_clock::now() - t0;
        EXPECT_LT(took, 8s) << "Play waited "
                            << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
    });
    EXPECT_EQ(GetPlayerMode(), MPEGDLL_MODE_READY);
    close(fd);
}

} // namespace
