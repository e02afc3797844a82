#pragma once
// The open input of the player: a libmpg123 handle reading a file by name, or the caller's
// stream through the callbacks of Open. Decodes to signed 16-bit samples at the stream's own
// rate and channel count, the format `mpg123 -s` writes.

#include "mpegdll.h"

#include <mpg123.h>
#include <string>

namespace korvel::mpegdll {

struct StreamCallbacks {
    mpegdll_open_cb open = nullptr;
    mpegdll_close_cb close = nullptr;
    mpegdll_restart_cb restart = nullptr;
    mpegdll_read_cb read = nullptr;
    mpegdll_seek_cb seek = nullptr;
    mpegdll_size_cb size = nullptr;
    void* owner = nullptr;
};

class Input {
public:
    Input() = default;
    ~Input() { close(); }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // Each answers 0 or an MPEGDLL_ERR_* code.
    int openFile(const char* name);
    int openStream(const StreamCallbacks& cb);
    void close();
    // Moves the decoder to sample frame `frame`; a stream that cannot seek is rewound through its
    // restart callback when frame is 0.
    int seekFrame(long long frame);

    bool isOpen() const { return mh_ != nullptr; }
    bool seekable() const { return mh_ != nullptr && !nonseekable_; }
    mpg123_handle* handle() const { return mh_; }
    long rate() const { return rate_; }
    int channels() const { return channels_; }
    int encoding() const { return encoding_; }
    size_t frameBytes() const { return static_cast<size_t>(channels_) * 2; }
    long long lengthFrames() const;
    long long msToFrame(long long ms) const { return rate_ > 0 ? ms * rate_ / 1000 : 0; }
    long long frameToMs(long long frame) const { return rate_ > 0 ? frame * 1000 / rate_ : 0; }

private:
    int prepare();
    int readFormat();
    static mpg123_ssize_t readThunk(void* self, void* buf, size_t count);
    static off_t seekThunk(void* self, off_t offset, int whence);

    mpg123_handle* mh_ = nullptr;
    bool stream_ = false;
    bool nonseekable_ = false;
    StreamCallbacks cb_;
    void* context_ = nullptr;
    long rate_ = 0;
    int channels_ = 0;
    int encoding_ = 0;
};

} // namespace korvel::mpegdll
