#pragma once
// The player behind the entry points: one open input and at most one playing session. A session
// runs on a thread of its own: it opens the output, decodes, hands the samples to libout123 and,
// at the end of the input, sets the caller's end byte. Every entry waits a bounded time for that
// thread, so a sound server that never answers cannot hang the caller.

#include "Input.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace korvel::mpegdll {

class Player {
public:
    // The one player of the process; it lives until the process ends, so that a session thread
    // abandoned in a stalled output never outlives it.
    static Player& instance();

    int32_t init();
    void deinit();
    void open(const char* name, bool stream, const StreamCallbacks& cb);
    void pause(bool resume);
    void restart();
    void stop();
    void setPriority(int32_t priority);
    void setOutputDevice(int32_t device, const char* filename);
    int32_t play(int32_t start, int32_t end, unsigned char* endReached);
    void close();
    int32_t frequency();
    int32_t bitrate();
    int32_t layer();
    int32_t playerMode();
    int32_t currentPos();
    int32_t length();
    void resetPlayerMode();
    int32_t seek(int32_t pos);
    int32_t lastError() const { return lastError_.load(); }

    // How long an entry waits for the output to open, for a session to stop, and how long one
    // write to the output may block before the output counts as failed.
    static constexpr std::chrono::milliseconds kOpenTimeout{5000};
    static constexpr std::chrono::milliseconds kStopTimeout{2000};
    static constexpr std::chrono::milliseconds kStallTimeout{5000};

private:
    struct Session;
    using Lock = std::unique_lock<std::mutex>;

    Player() = default;
    int startSession(Lock& lk);
    // Stops the session, if any; false when it had to be left behind in a stalled output.
    bool stopSession(Lock& lk);
    bool checkStall();
    void closeInput(Lock& lk);
    bool sessionActive() const;
    mpg123_frameinfo frameInfo(); // call with m_ held
    void run(std::shared_ptr<Session> s);
    int32_t result(int32_t code) {
        lastError_ = code;
        return code;
    }

    std::mutex m_;
    std::condition_variable cv_;
    bool ready_ = false;
    Input in_;
    std::shared_ptr<Session> session_;
    std::atomic<int32_t> lastError_{0};
    int32_t priority_ = 0;
    int32_t device_ = MPEGDLL_DEVICE_DEFAULT;
    std::string outFile_;
    // The range and end byte of the last Play, for Restart.
    bool played_ = false;
    long long startFrame_ = 0, endFrame_ = 0;
    unsigned char* endReached_ = nullptr;
    long long posFrame_ = 0;
};

} // namespace korvel::mpegdll
