#include "Player.h"

#include <out123.h>

#include <algorithm>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace korvel::mpegdll {

namespace {

// The default device: the system's own sound outputs, in libout123's order. OpenAL and the like
// are passed over: on a machine without a sound card OpenAL accepts the stream and never plays
// it, so playback would hang instead of failing.
constexpr const char* kSystemOutputs = "pulse,alsa,jack,oss";

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A Windows thread priority number as a Linux nice value.
int niceFor(int32_t priority) {
    switch (priority) {
    case -15:
        return 19;
    case -2:
        return 10;
    case -1:
        return 5;
    case 1:
        return -5;
    case 2:
        return -10;
    case 15:
        return -20;
    default:
        return 0;
    }
}

void applyPriority(long tid, int32_t priority) {
    // Raising the priority needs privileges the user may not have; the thread then plays at the
    // priority it has.
    if (tid > 0)
        setpriority(PRIO_PROCESS, static_cast<id_t>(tid), niceFor(priority));
}

void setByte(unsigned char* b, unsigned char v) {
    if (b)
        __atomic_store_n(b, v, __ATOMIC_RELEASE);
}

} // namespace

struct Player::Session {
    // Fixed when the session starts.
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    size_t frameBytes = 4;
    int32_t device = 0;
    std::string file;
    int32_t priority = 0;
    long long endFrame = 0;
    unsigned char* endReached = nullptr;
    // Shared with the entries, under the player's mutex.
    long tid = 0;
    bool opened = false, openOk = false, exited = false;
    bool stop = false, pause = false;
    long long seekTo = -1;
    // When the write to the output now running began (steady clock, ms); 0 when none runs.
    std::atomic<long long> writingSince{0};
};

Player& Player::instance() {
    static Player* p = new Player;
    return *p;
}

int32_t Player::init() {
    Lock lk(m_);
    mpg123_init();
    ready_ = true;
    result(MPEGDLL_OK);
    return 1;
}

void Player::deinit() {
    Lock lk(m_);
    closeInput(lk);
    ready_ = false;
    result(MPEGDLL_OK);
}

// Stops playback and closes the input: no file, nothing played, at the start.
void Player::closeInput(Lock& lk) {
    stopSession(lk);
    in_.close();
    played_ = false;
    endReached_ = nullptr;
    posFrame_ = 0;
}

bool Player::sessionActive() const {
    return session_ && !session_->exited;
}

void Player::open(const char* name, bool stream, const StreamCallbacks& cb) {
    Lock lk(m_);
    closeInput(lk);
    if (!ready_) {
        result(MPEGDLL_ERR_MODE);
        return;
    }
    result(stream ? in_.openStream(cb) : in_.openFile(name));
}

void Player::close() {
    Lock lk(m_);
    closeInput(lk);
    result(MPEGDLL_OK);
}

int32_t Player::play(int32_t start, int32_t end, unsigned char* endReached) {
    Lock lk(m_);
    if (!ready_ || !in_.isOpen())
        return result(MPEGDLL_ERR_MODE);
    stopSession(lk);
    start = std::max<int32_t>(start, 0);
    startFrame_ = in_.msToFrame(start);
    endFrame_ = end > start ? in_.msToFrame(end) : 0;
    endReached_ = endReached;
    played_ = true;
    return result(startSession(lk));
}

void Player::restart() {
    Lock lk(m_);
    if (!in_.isOpen() || !played_) {
        result(MPEGDLL_ERR_MODE);
        return;
    }
    if (sessionActive()) {
        session_->seekTo = startFrame_;
        session_->pause = false;
        setByte(endReached_, 0);
        cv_.notify_all();
        result(MPEGDLL_OK);
        return;
    }
    session_.reset();
    result(startSession(lk));
}

void Player::stop() {
    Lock lk(m_);
    result(stopSession(lk) ? MPEGDLL_OK : MPEGDLL_ERR_OUTPUT);
}

void Player::pause(bool resume) {
    Lock lk(m_);
    checkStall();
    if (!sessionActive()) {
        result(MPEGDLL_ERR_MODE);
        return;
    }
    session_->pause = !resume;
    cv_.notify_all();
    result(MPEGDLL_OK);
}

void Player::setPriority(int32_t priority) {
    Lock lk(m_);
    priority_ = priority;
    if (sessionActive())
        applyPriority(session_->tid, priority);
    result(MPEGDLL_OK);
}

void Player::setOutputDevice(int32_t device, const char* filename) {
    Lock lk(m_);
    device_ = device;
    outFile_ = filename ? filename : "";
    bool usable = device == MPEGDLL_DEVICE_DEFAULT || (device == MPEGDLL_DEVICE_PCMFILE && !outFile_.empty());
    result(usable ? MPEGDLL_OK : MPEGDLL_ERR_OUTPUT);
}

int32_t Player::frequency() {
    Lock lk(m_);
    result(MPEGDLL_OK);
    return static_cast<int32_t>(in_.rate());
}

int32_t Player::bitrate() {
    Lock lk(m_);
    result(MPEGDLL_OK);
    return frameInfo().bitrate;
}

int32_t Player::layer() {
    Lock lk(m_);
    result(MPEGDLL_OK);
    return frameInfo().layer;
}

// The open stream's frame facts; all zero when no stream is open or it has none yet.
mpg123_frameinfo Player::frameInfo() {
    mpg123_frameinfo fi{};
    if (!in_.isOpen() || mpg123_info(in_.handle(), &fi) != MPG123_OK)
        return mpg123_frameinfo{};
    return fi;
}

int32_t Player::playerMode() {
    Lock lk(m_);
    checkStall();
    if (!in_.isOpen())
        return MPEGDLL_MODE_CLOSED;
    if (!sessionActive())
        return MPEGDLL_MODE_READY;
    return session_->pause ? MPEGDLL_MODE_PAUSED : MPEGDLL_MODE_PLAYING;
}

int32_t Player::currentPos() {
    Lock lk(m_);
    if (!in_.isOpen())
        return result(MPEGDLL_ERR_MODE), 0;
    result(checkStall() ? MPEGDLL_ERR_OUTPUT : MPEGDLL_OK);
    return static_cast<int32_t>(std::min<long long>(in_.frameToMs(posFrame_), INT32_MAX));
}

int32_t Player::length() {
    Lock lk(m_);
    if (!in_.isOpen())
        return result(MPEGDLL_ERR_MODE), 0;
    result(MPEGDLL_OK);
    return static_cast<int32_t>(std::min<long long>(in_.frameToMs(in_.lengthFrames()), INT32_MAX));
}

void Player::resetPlayerMode() {
    result(MPEGDLL_OK);
}

int32_t Player::seek(int32_t pos) {
    Lock lk(m_);
    if (!in_.isOpen())
        return result(MPEGDLL_ERR_MODE);
    long long frame = in_.msToFrame(std::max<int32_t>(pos, 0));
    if (frame != 0 && !in_.seekable())
        return result(MPEGDLL_ERR_NONSEEKABLE);
    if (sessionActive()) {
        session_->seekTo = frame;
        cv_.notify_all();
        return result(MPEGDLL_OK);
    }
    int e = in_.seekFrame(frame);
    if (!e)
        posFrame_ = frame;
    return result(e);
}

int Player::startSession(Lock& lk) {
    if (device_ != MPEGDLL_DEVICE_DEFAULT && (device_ != MPEGDLL_DEVICE_PCMFILE || outFile_.empty()))
        return MPEGDLL_ERR_OUTPUT;
    if (int e = in_.seekFrame(startFrame_))
        return e;
    posFrame_ = startFrame_;
    setByte(endReached_, 0);
    auto s = std::make_shared<Session>();
    s->rate = in_.rate();
    s->channels = in_.channels();
    s->encoding = in_.encoding();
    s->frameBytes = in_.frameBytes();
    s->device = device_;
    s->file = outFile_;
    s->priority = priority_;
    s->endFrame = endFrame_;
    s->endReached = endReached_;
    try {
        std::thread([this, s] { run(s); }).detach();
    } catch (const std::system_error&) {
        return MPEGDLL_ERR_DECODER;
    }
    session_ = s;
    if (!cv_.wait_for(lk, kOpenTimeout, [&] { return s->opened; }) || !s->openOk) {
        // The output did not open, or is still trying: the session is left to end on its own.
        s->stop = true;
        cv_.notify_all();
        session_.reset();
        return MPEGDLL_ERR_OUTPUT;
    }
    return MPEGDLL_OK;
}

bool Player::stopSession(Lock& lk) {
    auto s = session_;
    session_.reset();
    if (!s || s->exited)
        return true;
    s->stop = true;
    cv_.notify_all();
    return cv_.wait_for(lk, kStopTimeout, [&] { return s->exited; });
}

bool Player::checkStall() {
    if (!sessionActive() || session_->pause)
        return false;
    long long since = session_->writingSince.load();
    if (since == 0 || nowMs() - since < kStallTimeout.count())
        return false;
    // The output has stopped taking samples: the session is given up.
    session_->stop = true;
    cv_.notify_all();
    session_.reset();
    return true;
}

namespace {

bool openOutput(out123_handle* ao, int32_t device, const std::string& file, long rate, int channels,
                int encoding) {
    out123_param(ao, OUT123_ADD_FLAGS, OUT123_QUIET, 0.0, nullptr);
    int r = device == MPEGDLL_DEVICE_PCMFILE ? out123_open(ao, "raw", file.c_str())
                                             : out123_open(ao, kSystemOutputs, nullptr);
    return r == OUT123_OK && out123_start(ao, rate, channels, encoding) == OUT123_OK;
}

} // namespace

void Player::run(std::shared_ptr<Session> s) {
    long tid = static_cast<long>(syscall(SYS_gettid));
    applyPriority(tid, s->priority);
    out123_handle* ao = out123_new();
    bool ok = ao && openOutput(ao, s->device, s->file, s->rate, s->channels, s->encoding);

    Lock lk(m_);
    s->tid = tid;
    s->opened = true;
    s->openOk = ok;
    cv_.notify_all();

    int error = MPEGDLL_OK;
    bool reachedEnd = false;
    if (ok) {
        std::vector<unsigned char> buf(16384);
        bool outputPaused = false;
        auto unlocked = [&](auto&& f) {
            lk.unlock();
            s->writingSince = nowMs();
            f();
            s->writingSince = 0;
            lk.lock();
        };
        while (!s->stop) {
            if (s->pause) {
                if (!outputPaused) {
                    lk.unlock();
                    out123_pause(ao);
                    lk.lock();
                    outputPaused = true;
                } else {
                    cv_.wait(lk);
                }
                continue;
            }
            if (outputPaused) {
                lk.unlock();
                out123_continue(ao);
                lk.lock();
                outputPaused = false;
                continue;
            }
            if (s->seekTo >= 0) {
                long long to = s->seekTo;
                s->seekTo = -1;
                if (int e = in_.seekFrame(to))
                    lastError_ = e;
                else
                    posFrame_ = to;
                lk.unlock();
                out123_drop(ao);
                lk.lock();
                continue;
            }
            size_t want = buf.size();
            if (s->endFrame > 0)
                want = std::min<long long>(want, std::max<long long>(s->endFrame - posFrame_, 0) *
                                                     static_cast<long long>(s->frameBytes));
            size_t done = 0;
            int r = want ? mpg123_read(in_.handle(), buf.data(), want, &done) : MPG123_DONE;
            posFrame_ += static_cast<long long>(done / s->frameBytes);
            if (r == MPG123_NEW_FORMAT) {
                // A stream that changes its rate or channels midway: the output follows.
                long rate = 0;
                int channels = 0, encoding = 0;
                mpg123_getformat(in_.handle(), &rate, &channels, &encoding);
                bool restarted = false;
                unlocked([&] {
                    out123_drain(ao);
                    out123_stop(ao);
                    restarted = out123_start(ao, rate, channels, encoding) == OUT123_OK;
                });
                if (!restarted) {
                    error = MPEGDLL_ERR_OUTPUT;
                    break;
                }
                s->frameBytes = static_cast<size_t>(channels) * 2;
                continue;
            }
            if (done > 0) {
                size_t played = 0;
                unlocked([&] { played = out123_play(ao, buf.data(), done); });
                if (played < done && !s->stop) {
                    error = MPEGDLL_ERR_OUTPUT;
                    break;
                }
            }
            if (r == MPG123_DONE) {
                unlocked([&] { out123_drain(ao); });
                if (s->stop || s->seekTo >= 0 || s->pause)
                    continue; // stopped or restarted while the last samples played
                reachedEnd = true;
                break;
            }
            if (r != MPG123_OK) {
                error = MPEGDLL_ERR_DECODER;
                break;
            }
        }
        if (s->stop) {
            lk.unlock();
            out123_drop(ao);
            lk.lock();
        }
    }
    lk.unlock();
    // The output is closed before anyone hears of the end, so a pcm file is complete by then.
    if (ao) {
        out123_close(ao);
        out123_del(ao);
    }
    lk.lock();
    if (!s->stop) {
        if (error)
            lastError_ = error;
        if (reachedEnd || error)
            setByte(s->endReached, 1);
    }
    s->exited = true;
    cv_.notify_all();
}

} // namespace korvel::mpegdll
