#pragma once
// Test fixtures for playback: WAV files made in code, encoded by lame, decoded for reference by
// mpg123, and a private PulseAudio server with a null sink to play into.

#include "FileBytes.h"
#include "TempDir.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace korvel::testaudio {

namespace fs = std::filesystem;

inline std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline int sh(const std::string& cmd) {
    return std::system(cmd.c_str());
}

inline bool haveTool(const char* tool) {
    return sh(std::string("command -v ") + tool + " >/dev/null 2>&1") == 0;
}

using test::TempDir;

// A file's bytes as the PCM comparisons hold them.
inline std::vector<char> readFile(const std::string& path) {
    const std::string bytes = test::readFile(path);
    return {bytes.begin(), bytes.end()};
}

// A 16-bit PCM WAV: a tone per channel (440 Hz left, 660 Hz right) with a slow swell, so that
// every stretch of the file differs from the others.
inline void writeWav(const std::string& path, double seconds, int rate, int channels) {
    const uint32_t frames = static_cast<uint32_t>(seconds * rate);
    const uint32_t dataBytes = frames * channels * 2;
    std::ofstream f(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    f.write("RIFF", 4);
    u32(36 + dataBytes);
    f.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(static_cast<uint16_t>(channels));
    u32(static_cast<uint32_t>(rate));
    u32(static_cast<uint32_t>(rate * channels * 2));
    u16(static_cast<uint16_t>(channels * 2));
    u16(16);
    f.write("data", 4);
    u32(dataBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        double t = double(i) / rate;
        double swell = 0.3 + 0.2 * std::sin(2 * M_PI * 0.5 * t);
        for (int c = 0; c < channels; ++c) {
            double v = swell * std::sin(2 * M_PI * (c == 0 ? 440.0 : 660.0) * t);
            u16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767))));
        }
    }
}

// An MP3 made by lame from a generated WAV; empty when lame failed.
inline std::string makeMp3(const TempDir& dir, const std::string& name, double seconds, int rate,
                           int channels, const std::string& lameArgs) {
    std::string wav = dir / (name + ".wav"), mp3 = dir / (name + ".mp3");
    writeWav(wav, seconds, rate, channels);
    if (sh("lame --quiet " + lameArgs + " " + quote(wav) + " " + quote(mp3)) != 0)
        return {};
    return mp3;
}

// What `mpg123 -s` decodes from a file: raw signed 16-bit samples in native byte order.
inline std::vector<char> mpg123Decode(const TempDir& dir, const std::string& mp3) {
    std::string out = dir / "mpg123-reference.pcm";
    if (sh("mpg123 -q -s " + quote(mp3) + " > " + quote(out) + " 2>/dev/null") != 0)
        return {};
    return readFile(out);
}

inline bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline bool endByteSet(const unsigned char& b) {
    return __atomic_load_n(&b, __ATOMIC_ACQUIRE) != 0;
}

// A PulseAudio server of the test's own, with one null sink and a socket in a private runtime
// folder. PULSE_SERVER points at it while it runs.
class PulseServer {
public:
    PulseServer() {
        if (!haveTool("pulseaudio")) {
            why_ = "pulseaudio is not installed";
            return;
        }
        std::string socket = dir_ / "native";
        std::string runtime = "XDG_RUNTIME_DIR=" + dir_.path().string();
        std::string home = "HOME=" + dir_.path().string();
        std::vector<std::string> args = {"pulseaudio",
                                         "--daemonize=no",
                                         "--exit-idle-time=-1",
                                         "-n",
                                         "--use-pid-file=no",
                                         "--disallow-exit",
                                         "--log-target=file:" + (dir_ / "log"),
                                         "--load=module-null-sink sink_name=korvel_null",
                                         "--load=module-native-protocol-unix auth-anonymous=1 socket=" +
                                             socket};
        std::vector<std::string> env = {runtime, home, "PATH=/usr/bin:/bin"};
        std::vector<char*> argv, envp;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        if (posix_spawnp(&pid_, "pulseaudio", nullptr, nullptr, argv.data(), envp.data()) != 0) {
            pid_ = 0;
            why_ = "pulseaudio could not be started";
            return;
        }
        if (!waitFor([&] { return fs::exists(socket) || exited(); }, std::chrono::seconds(10)) || exited()) {
            auto log = readFile(dir_ / "log");
            why_ = "pulseaudio did not come up: " + std::string(log.begin(), log.end());
            return;
        }
        setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
        ok_ = true;
    }
    ~PulseServer() {
        unsetenv("PULSE_SERVER");
        if (pid_ > 0 && !exited()) {
            kill(pid_, SIGTERM);
            if (!waitFor([&] { return exited(); }, std::chrono::seconds(5))) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
            }
        }
    }
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    bool ok() const { return ok_; }
    const std::string& why() const { return why_; }
    pid_t pid() const { return pid_; }

private:
    bool exited() {
        if (reaped_)
            return true;
        int status = 0;
        reaped_ = waitpid(pid_, &status, WNOHANG) == pid_;
        return reaped_;
    }
    TempDir dir_;
    pid_t pid_ = 0;
    bool ok_ = false, reaped_ = false;
    std::string why_;
};

} // namespace korvel::testaudio
