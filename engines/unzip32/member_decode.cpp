#include "member_decode.h"

#include "decoder_libraries.h"
#include "le_bytes.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace korvel::engine {

namespace {

enum Method : uint16_t {
    kStored = 0,
    kShrink = 1,
    kReduce1 = 2,
    kReduce4 = 5,
    kImplode = 6,
    kTokenize = 7,
    kDeflate = 8,
    kDeflate64 = 9,
    kDclImplode = 10,
    kBzip2 = 12,
    kLzma = 14,
    kCmpsc = 16,
    kTerse = 18,
    kLz77 = 19,
    kZstdOld = 20,
    kZstd = 93,
    kMp3 = 94,
    kXz = 95,
    kJpeg = 96,
    kWavPack = 97,
    kPpmd = 98,
    kAes = 99
};

// One decoder step: takes from [in, in + inLen), writes at most `room` bytes to `out`; on return
// `in`/`inLen` are advanced and `room` holds the bytes written.
enum class Step { More, End, Error };

class Codec {
public:
    virtual ~Codec() = default;
    virtual bool start(std::string_view& data) = 0; // may consume a header
    virtual Step step(const unsigned char*& in, size_t& inLen, unsigned char* out, size_t& room) = 0;
};

class Stored final : public Codec {
public:
    bool start(std::string_view&) override { return true; }
    Step step(const unsigned char*& in, size_t& inLen, unsigned char* out, size_t& room) override {
        const size_t n = std::min(inLen, room);
        std::copy(in, in + n, out);
        in += n;
        inLen -= n;
        room = n;
        return inLen == 0 ? Step::End : Step::More;
    }
};

class Inflate final : public Codec {
public:
    ~Inflate() override {
        if (ready_)
            inflateEnd(&z_);
    }
    bool start(std::string_view&) override { return ready_ = inflateInit2(&z_, -MAX_WBITS) == Z_OK; }
    Step step(const unsigned char*& in, size_t& inLen, unsigned char* out, size_t& room) override {
        const uInt take = static_cast<uInt>(std::min<size_t>(inLen, 1u << 30));
        z_.next_in = const_cast<Bytef*>(in);
        z_.avail_in = take;
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(room);
        const int r = inflate(&z_, Z_NO_FLUSH);
        in += take - z_.avail_in;
        inLen -= take - z_.avail_in;
        room -= z_.avail_out;
        if (r == Z_STREAM_END)
            return Step::End;
        return r == Z_OK || r == Z_BUF_ERROR ? Step::More : Step::Error;
    }

private:
    z_stream z_{};
    bool ready_ = false;
};

class Bzip2 final : public Codec {
public:
    explicit Bzip2(const LibBz2& lib) : lib_(lib) {}
    ~Bzip2() override {
        if (ready_)
            lib_.decompressEnd(&b_);
    }
    bool start(std::string_view&) override { return ready_ = lib_.decompressInit(&b_, 0, 0) == BZ_OK; }
    Step step(const unsigned char*& in, size_t& inLen, unsigned char* out, size_t& room) override {
        const unsigned take = static_cast<unsigned>(std::min<size_t>(inLen, 1u << 30));
        b_.next_in = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
        b_.avail_in = take;
        b_.next_out = reinterpret_cast<char*>(out);
        b_.avail_out = static_cast<unsigned>(room);
        const int r = lib_.decompress(&b_);
        in += take - b_.avail_in;
        inLen -= take - b_.avail_in;
        room -= b_.avail_out;
        if (r == BZ_STREAM_END)
            return Step::End;
        return r == BZ_OK ? Step::More : Step::Error;
    }

private:
    const LibBz2& lib_;
    bz_stream b_{};
    bool ready_ = false;
};

// liblzma for both LZMA members (a small header, then a raw LZMA1 stream that may lack its end
// marker: the size from the directory ends it) and XZ members (a whole .xz stream).
constexpr uint64_t kMemoryLimit = 256u << 20; // what one decoder may take

class Lzma final : public Codec {
public:
    Lzma(const LibLzma& lib, bool xz, uint64_t size) : lib_(lib), xz_(xz), left_(size) {}
    ~Lzma() override {
        lib_.end(&s_);
        std::free(options_);
    }
    bool start(std::string_view& data) override {
        if (xz_)
            return lib_.streamDecoder(&s_, kMemoryLimit, 0) == LZMA_OK;
        // Version (2 bytes), properties size (2), properties.
        if (data.size() < 4)
            return false;
        const auto* p = reinterpret_cast<const unsigned char*>(data.data());
        const size_t propsSize = le16(p + 2);
        if (data.size() < 4 + propsSize)
            return false;
        lzma_filter filters[2];
        filters[0].id = LZMA_FILTER_LZMA1;
        filters[0].options = nullptr;
        if (lib_.propertiesDecode(&filters[0], nullptr, p + 4, propsSize) != LZMA_OK)
            return false;
        options_ = filters[0].options;
        // The dictionary never needs to be larger than the member; a hostile header must not make
        // the engine reserve gigabytes.
        auto* o = static_cast<lzma_options_lzma*>(options_);
        o->dict_size = static_cast<uint32_t>(
            std::clamp<uint64_t>(std::min<uint64_t>(o->dict_size, left_), LZMA_DICT_SIZE_MIN, kMemoryLimit));
        filters[1].id = LZMA_VLI_UNKNOWN;
        filters[1].options = nullptr;
        data.remove_prefix(4 + propsSize);
        return lib_.rawDecoder(&s_, filters) == LZMA_OK;
    }
    Step step(const unsigned char*& in, size_t& inLen, unsigned char* out, size_t& room) override {
        if (!xz_ && left_ == 0)
            return room = 0, Step::End;
        const size_t cap = xz_ ? room : static_cast<size_t>(std::min<uint64_t>(room, left_));
        s_.next_in = in;
        s_.avail_in = inLen;
        s_.next_out = out;
        s_.avail_out = cap;
        const lzma_ret r = lib_.code(&s_, LZMA_RUN);
        in += inLen - s_.avail_in;
        inLen = s_.avail_in;
        room = cap - s_.avail_out;
        if (!xz_)
            left_ -= room;
        if (r == LZMA_STREAM_END || (!xz_ && left_ == 0))
            return Step::End;
        return r == LZMA_OK || r == LZMA_BUF_ERROR ? Step::More : Step::Error;
    }

private:
    const LibLzma& lib_;
    bool xz_;
    uint64_t left_;
    lzma_stream s_ = LZMA_STREAM_INIT;
    void* options_ = nullptr;
};

class Zstd final : public Codec {
public:
    explicit Zstd(const LibZstd& lib) : lib_(lib) {}
    ~Zstd() override { lib_.freeDStream(d_); }
    bool start(std::string_view&) override {
        d_ = lib_.createDStream();
        return d_ && !lib_.isError(lib_.initDStream(d_));
    }
    Step step(const unsigned char*& in, size_t& inLen, unsigned char* out, size_t& room) override {
        ZSTD_inBuffer ib{in, inLen, 0};
        ZSTD_outBuffer ob{out, room, 0};
        const size_t r = lib_.decompressStream(d_, &ob, &ib);
        in += ib.pos;
        inLen -= ib.pos;
        room = ob.pos;
        if (lib_.isError(r))
            return Step::Error;
        if (r == 0 && inLen == 0)
            return Step::End; // every frame decoded and flushed
        return Step::More;
    }

private:
    const LibZstd& lib_;
    ZSTD_DStream* d_ = nullptr;
};

// The decoder of the member's method; nullptr for a method not decoded here, or when the library
// that decodes it cannot be loaded.
std::unique_ptr<Codec> codecFor(const CdEntry& e) {
    switch (e.method) {
    case kStored:
        return std::make_unique<Stored>();
    case kDeflate:
        return std::make_unique<Inflate>();
    case kBzip2:
        if (const LibBz2* lib = libBz2())
            return std::make_unique<Bzip2>(*lib);
        return nullptr;
    case kLzma:
    case kXz:
        if (const LibLzma* lib = libLzma())
            return std::make_unique<Lzma>(*lib, e.method == kXz, e.size);
        return nullptr;
    case kZstd:
    case kZstdOld:
        if (const LibZstd* lib = libZstd())
            return std::make_unique<Zstd>(*lib);
        return nullptr;
    default:
        return nullptr;
    }
}

} // namespace

bool methodDecodable(uint16_t method) {
    switch (method) {
    case kStored:
    case kDeflate:
    case kBzip2:
    case kLzma:
    case kXz:
    case kZstd:
    case kZstdOld:
        return true;
    default:
        return false;
    }
}

std::string methodFullName(uint16_t method) {
    switch (method) {
    case kDeflate:
        return "Deflate";
    case kBzip2:
        return "bzip2";
    case kZstd:
    case kZstdOld:
        return "Zstandard";
    default: {
        const std::string n = methodListingName(method);
        return n == "Unk:###" ? "method " + std::to_string(method) : n;
    }
    }
}

const char* methodListingName(uint16_t method) {
    // unzip's short names for what the engine decodes; the full name of every other method, so
    // that a listing tells what is not supported.
    switch (method) {
    case kStored:
        return "Stored";
    case kDeflate:
        return "Defl:N";
    case kBzip2:
        return "BZip2";
    case kLzma:
        return "LZMA";
    case kXz:
        return "XZ";
    case kZstd:
    case kZstdOld:
        return "Zstd";
    case kShrink:
        return "Shrink";
    case kImplode:
        return "Implode";
    case kTokenize:
        return "Tokenize";
    case kDeflate64:
        return "Deflate64";
    case kDclImplode:
        return "PKWARE DCL Implode";
    case kCmpsc:
        return "IBM z/OS CMPSC";
    case kTerse:
        return "IBM TERSE";
    case kLz77:
        return "IBM LZ77";
    case kMp3:
        return "MP3";
    case kJpeg:
        return "JPEG";
    case kWavPack:
        return "WavPack";
    case kPpmd:
        return "PPMd";
    case kAes:
        return "AES encryption";
    default:
        if (method >= kReduce1 && method <= kReduce4)
            return "Reduce";
        return "Unk:###";
    }
}

Decoded decodeMember(const CdEntry& e, std::string_view data, uint64_t limit,
                     const std::function<bool(const char*, size_t)>& out) {
    std::unique_ptr<Codec> codec = codecFor(e);
    if (!codec)
        return Decoded::Unsupported;
    if (!codec->start(data))
        return e.method == kLzma ? Decoded::Damaged : Decoded::Memory;
    std::vector<unsigned char> buf(std::min<uint64_t>(std::max<uint64_t>(e.size, 4096), 256 * 1024));
    const auto* in = reinterpret_cast<const unsigned char*>(data.data());
    size_t inLen = data.size();
    uint64_t produced = 0;
    uLong crc = 0;
    for (;;) {
        const size_t before = inLen;
        size_t got = buf.size();
        const Step s = codec->step(in, inLen, buf.data(), got);
        if (got > 0) {
            const uint64_t room = limit - produced;
            const size_t give = static_cast<size_t>(std::min<uint64_t>(got, room));
            if (give > 0 && !out(reinterpret_cast<const char*>(buf.data()), give))
                return Decoded::Stopped;
            crc = ::crc32(crc, buf.data(), static_cast<uInt>(give));
            produced += give;
            if (give < got)
                return Decoded::Cut;
        }
        if (s == Step::Error)
            return Decoded::Damaged;
        if (s == Step::End)
            break;
        if (got == 0 && inLen == before)
            return Decoded::Damaged; // the data ends before the stream does
    }
    if (produced != e.size || static_cast<uint32_t>(crc) != e.crc)
        return Decoded::Damaged;
    return Decoded::Ok;
}

} // namespace korvel::engine
