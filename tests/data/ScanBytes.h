#pragma once
// Little-endian field writers shared by the binary scan generators (NtMdtGen, SpmGen).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/NanoScopeGen.h"

namespace testdata {
namespace bytes {

// The low `width` bytes of value, least significant first; negative values wrap as two's complement.
inline void Put(std::string& out, std::size_t at, long long value, int width) {
    const auto bits = static_cast<std::uint64_t>(value);
    for (int b = 0; b < width; ++b)
        out[at + b] = static_cast<char>((bits >> (8 * b)) & 0xFF);
}

inline void PutFloat(std::string& out, std::size_t at, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Put(out, at, bits, 4);
}

// Letters 'A'..'Z' cycling from an offset given by salt: never zero, easy to spot in a hex dump and
// different for each salt, so that a block copied to the wrong place shows.
inline void Fill(std::string& out, std::size_t at, std::size_t count, unsigned salt) {
    for (std::size_t i = 0; i < count; ++i)
        out[at + i] = static_cast<char>('A' + (salt + i) % 26);
}

inline std::size_t Count(int columns, int rows) {
    return columns > 0 && rows > 0 ? static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows) : 0;
}

// The given samples, or PatternSamples(columns, rows, seed) when none are given.
// Throws std::invalid_argument when the given ones do not number columns*rows.
inline std::vector<std::int16_t> Samples(const std::vector<std::int16_t>& given, int columns, int rows,
                                         std::uint32_t seed, const char* what) {
    if (given.empty())
        return PatternSamples(columns, rows, seed);
    if (given.size() != Count(columns, rows))
        throw std::invalid_argument(std::string(what) + ": " + std::to_string(given.size()) +
                                    " samples given, " + std::to_string(Count(columns, rows)) + " expected");
    return given;
}

inline void PutSamples(std::string& out, std::size_t at, const std::vector<std::int16_t>& samples) {
    for (std::size_t i = 0; i < samples.size(); ++i)
        Put(out, at + 2 * i, samples[i], 2);
}

// Cuts out to truncateTo bytes if it is longer and truncateTo is not negative.
inline void Truncate(std::string& out, long long truncateTo) {
    if (truncateTo >= 0 && static_cast<unsigned long long>(truncateTo) < out.size())
        out.resize(static_cast<std::size_t>(truncateTo));
}

} // namespace bytes
} // namespace testdata
