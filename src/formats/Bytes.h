#pragma once
// Little-endian fields of binary scan files, whatever the byte order of the machine.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "processing/GridAllocator.h"

namespace doc::le {

inline std::uint16_t GetU16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::int16_t GetI16(const unsigned char* p) {
    return static_cast<std::int16_t>(GetU16(p));
}
inline std::uint32_t GetU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t GetI32(const unsigned char* p) {
    return static_cast<std::int32_t>(GetU32(p));
}
inline float GetF32(const unsigned char* p) {
    const std::uint32_t bits = GetU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void PutU16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void PutI16(unsigned char* p, std::int16_t v) {
    PutU16(p, static_cast<std::uint16_t>(v));
}
inline void PutU32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}
inline void PutF32(unsigned char* p, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutU32(p, bits);
}

// The bytes of a grid of 16-bit samples in file order.
inline std::string Little16Bytes(const TGrid<std::int16_t>& samples) {
    std::string bytes(samples.size() * 2, '\0');
    auto* out = reinterpret_cast<unsigned char*>(bytes.data());
    for (std::size_t n = 0; n < samples.size(); ++n)
        PutI16(out + 2 * n, samples[n]);
    return bytes;
}

} // namespace doc::le
