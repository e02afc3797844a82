#pragma once
// Little-endian integers as ZIP records store them.

#include <cstdint>
#include <string>

namespace korvel::engine {

inline uint16_t le16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}
inline uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t le64(const unsigned char* p) {
    return uint64_t(le32(p)) | uint64_t(le32(p + 4)) << 32;
}

// Writing them: appended to a record being built, or in place.
inline void put16(std::string& s, uint16_t v) {
    s += char(v & 0xFF);
    s += char(v >> 8);
}
inline void put32(std::string& s, uint32_t v) {
    put16(s, uint16_t(v));
    put16(s, uint16_t(v >> 16));
}
inline void put64(std::string& s, uint64_t v) {
    put32(s, uint32_t(v));
    put32(s, uint32_t(v >> 32));
}
inline void set32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void set64(unsigned char* p, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The largest value a 32-bit field holds; a field holding it says "see the zip64 extra field".
constexpr uint32_t kMax32 = 0xFFFFFFFFu;

} // namespace korvel::engine
