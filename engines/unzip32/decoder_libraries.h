// libbz2, liblzma and libzstd, each loaded the first time a member packed with one of its
// methods is decoded. Nearly every member of a collector's archive is stored or deflated (zlib,
// which the engine links), so the other three cost nothing to a program that never meets such a
// member: a print request on a deflated member maps no library beyond zlib.
#pragma once

#include <bzlib.h>
#include <lzma.h>
#include <zstd.h>

namespace korvel::engine {

struct LibBz2 {
    decltype(&::BZ2_bzDecompressInit) decompressInit;
    decltype(&::BZ2_bzDecompress) decompress;
    decltype(&::BZ2_bzDecompressEnd) decompressEnd;
};

struct LibLzma {
    decltype(&::lzma_stream_decoder) streamDecoder;
    decltype(&::lzma_properties_decode) propertiesDecode;
    decltype(&::lzma_raw_decoder) rawDecoder;
    decltype(&::lzma_code) code;
    decltype(&::lzma_end) end;
};

struct LibZstd {
    decltype(&::ZSTD_createDStream) createDStream;
    decltype(&::ZSTD_initDStream) initDStream;
    decltype(&::ZSTD_decompressStream) decompressStream;
    decltype(&::ZSTD_isError) isError;
    decltype(&::ZSTD_freeDStream) freeDStream;
};

// The bound library, or nullptr when it cannot be loaded (its methods are then reported as not
// supported). Each is loaded once per process; thread-safe.
const LibBz2* libBz2();
const LibLzma* libLzma();
const LibZstd* libZstd();

} // namespace korvel::engine
