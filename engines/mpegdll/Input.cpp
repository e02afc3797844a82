#include "Input.h"

#include <climits>
#include <cstdio>

namespace korvel::mpegdll {

int Input::prepare() {
    int err = MPG123_OK;
    mh_ = mpg123_new(nullptr, &err);
    if (!mh_)
        return MPEGDLL_ERR_DECODER;
    mpg123_param(mh_, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // Signed 16 bit at whatever rate and channel count the stream has.
    mpg123_format_none(mh_);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(mh_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return MPEGDLL_OK;
}

int Input::readFormat() {
    if (mpg123_getformat(mh_, &rate_, &channels_, &encoding_) != MPG123_OK || rate_ <= 0 ||
        (channels_ != 1 && channels_ != 2)) {
        close();
        return MPEGDLL_ERR_INPUT;
    }
    return MPEGDLL_OK;
}

int Input::openFile(const char* name) {
    close();
    if (!name || !*name)
        return MPEGDLL_ERR_INPUT;
    if (int e = prepare())
        return e;
    if (mpg123_open(mh_, name) != MPG123_OK) {
        close();
        return MPEGDLL_ERR_INPUT;
    }
    if (int e = readFormat())
        return e;
    // Walks the frame headers (no decoding) so that the length is exact.
    mpg123_scan(mh_);
    return MPEGDLL_OK;
}

int Input::openStream(const StreamCallbacks& cb) {
    close();
    if (!cb.read)
        return MPEGDLL_ERR_INPUT;
    cb_ = cb;
    stream_ = true;
    unsigned char nonseekable = 0;
    context_ = nullptr;
    if (cb_.open)
        cb_.open(cb_.owner, &nonseekable, &context_);
    nonseekable_ = nonseekable != 0 || !cb_.seek;
    if (int e = prepare())
        return e;
    if (mpg123_replace_reader_handle(mh_, &Input::readThunk, &Input::seekThunk, nullptr) != MPG123_OK ||
        mpg123_open_handle(mh_, this) != MPG123_OK) {
        close();
        return MPEGDLL_ERR_INPUT;
    }
    if (cb_.size) {
        int32_t size = -1;
        cb_.size(cb_.owner, context_, &size);
        if (size > 0)
            mpg123_set_filesize(mh_, size);
    }
    if (int e = readFormat())
        return e;
    if (!nonseekable_)
        mpg123_scan(mh_);
    return MPEGDLL_OK;
}

void Input::close() {
    if (mh_) {
        mpg123_close(mh_);
        mpg123_delete(mh_);
        mh_ = nullptr;
    }
    if (stream_ && cb_.close)
        cb_.close(cb_.owner, context_);
    stream_ = false;
    nonseekable_ = false;
    context_ = nullptr;
    cb_ = {};
    rate_ = 0;
    channels_ = 0;
    encoding_ = 0;
}

int Input::seekFrame(long long frame) {
    if (!mh_)
        return MPEGDLL_ERR_MODE;
    if (frame < 0)
        frame = 0;
    if (mpg123_tell(mh_) == frame)
        return MPEGDLL_OK;
    if (!nonseekable_ && mpg123_seek(mh_, static_cast<off_t>(frame), SEEK_SET) >= 0)
        return MPEGDLL_OK;
    if (frame != 0 || !stream_ || !cb_.restart)
        return MPEGDLL_ERR_NONSEEKABLE;
    // A stream that cannot seek starts over through its owner.
    unsigned char ok = 0;
    cb_.restart(cb_.owner, context_, &ok);
    if (!ok)
        return MPEGDLL_ERR_NONSEEKABLE;
    mpg123_close(mh_);
    if (mpg123_open_handle(mh_, this) != MPG123_OK)
        return MPEGDLL_ERR_INPUT;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(mh_, &rate, &channels, &encoding) != MPG123_OK || rate != rate_ ||
        channels != channels_)
        return MPEGDLL_ERR_INPUT;
    return MPEGDLL_OK;
}

long long Input::lengthFrames() const {
    if (!mh_)
        return 0;
    off_t n = mpg123_length(mh_);
    return n > 0 ? static_cast<long long>(n) : 0;
}

mpg123_ssize_t Input::readThunk(void* self, void* buf, size_t count) {
    auto* in = static_cast<Input*>(self);
    int32_t want = count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
    int32_t got = 0;
    unsigned char ok = 0;
    in->cb_.read(in->cb_.owner, in->context_, buf, want, &got, &ok);
    if (!ok || got < 0 || got > want)
        return -1;
    return got;
}

off_t Input::seekThunk(void* self, off_t offset, int whence) {
    auto* in = static_cast<Input*>(self);
    if (in->nonseekable_ || offset < INT32_MIN || offset > INT32_MAX)
        return -1;
    int32_t method = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? 1 : 2;
    int32_t res = -1;
    in->cb_.seek(in->cb_.owner, in->context_, static_cast<int32_t>(offset), method, &res);
    return res;
}

} // namespace korvel::mpegdll
