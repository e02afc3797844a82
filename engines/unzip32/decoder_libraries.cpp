#include "decoder_libraries.h"

#include <dlfcn.h>

namespace korvel::engine {

namespace {

template <typename F> bool bind(void* lib, const char* name, F& fn) {
    fn = reinterpret_cast<F>(dlsym(lib, name));
    return fn != nullptr;
}

void* open(const char* soname) {
    return dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

} // namespace

const LibBz2* libBz2() {
    static const LibBz2* const lib = []() -> const LibBz2* {
        static LibBz2 b;
        void* h = open("libbz2.so.1.0");
        return h && bind(h, "BZ2_bzDecompressInit", b.decompressInit) &&
                       bind(h, "BZ2_bzDecompress", b.decompress) &&
                       bind(h, "BZ2_bzDecompressEnd", b.decompressEnd)
                   ? &b
                   : nullptr;
    }();
    return lib;
}

const LibLzma* libLzma() {
    static const LibLzma* const lib = []() -> const LibLzma* {
        static LibLzma l;
        void* h = open("liblzma.so.5");
        return h && bind(h, "lzma_stream_decoder", l.streamDecoder) &&
                       bind(h, "lzma_properties_decode", l.propertiesDecode) &&
                       bind(h, "lzma_raw_decoder", l.rawDecoder) && bind(h, "lzma_code", l.code) &&
                       bind(h, "lzma_end", l.end)
                   ? &l
                   : nullptr;
    }();
    return lib;
}

const LibZstd* libZstd() {
    static const LibZstd* const lib = []() -> const LibZstd* {
        static LibZstd z;
        void* h = open("libzstd.so.1");
        return h && bind(h, "ZSTD_createDStream", z.createDStream) &&
                       bind(h, "ZSTD_initDStream", z.initDStream) &&
                       bind(h, "ZSTD_decompressStream", z.decompressStream) &&
                       bind(h, "ZSTD_isError", z.isError) && bind(h, "ZSTD_freeDStream", z.freeDStream)
                   ? &z
                   : nullptr;
    }();
    return lib;
}

} // namespace korvel::engine
