#include "decoder_libraries.h"

#include "symbol_binding.h"

namespace korvel::engine {

namespace {

void* open(const char* soname) {
    return dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

} // namespace

const LibBz2* libBz2() {
    static const LibBz2* const lib = []() -> const LibBz2* {
        static LibBz2 b;
        void* h = open("libbz2.so.1.0");
        return h && bindSymbol(h, "BZ2_bzDecompressInit", b.decompressInit) &&
                       bindSymbol(h, "BZ2_bzDecompress", b.decompress) &&
                       bindSymbol(h, "BZ2_bzDecompressEnd", b.decompressEnd)
                   ? &b
                   : nullptr;
    }();
    return lib;
}

const LibLzma* libLzma() {
    static const LibLzma* const lib = []() -> const LibLzma* {
        static LibLzma l;
        void* h = open("liblzma.so.5");
        return h && bindSymbol(h, "lzma_stream_decoder", l.streamDecoder) &&
                       bindSymbol(h, "lzma_properties_decode", l.propertiesDecode) &&
                       bindSymbol(h, "lzma_raw_decoder", l.rawDecoder) &&
                       bindSymbol(h, "lzma_code", l.code) && bindSymbol(h, "lzma_end", l.end)
                   ? &l
                   : nullptr;
    }();
    return lib;
}

const LibZstd* libZstd() {
    static const LibZstd* const lib = []() -> const LibZstd* {
        static LibZstd z;
        void* h = open("libzstd.so.1");
        return h && bindSymbol(h, "ZSTD_createDStream", z.createDStream) &&
                       bindSymbol(h, "ZSTD_initDStream", z.initDStream) &&
                       bindSymbol(h, "ZSTD_decompressStream", z.decompressStream) &&
                       bindSymbol(h, "ZSTD_isError", z.isError) &&
                       bindSymbol(h, "ZSTD_freeDStream", z.freeDStream)
                   ? &z
                   : nullptr;
    }();
    return lib;
}

} // namespace korvel::engine
