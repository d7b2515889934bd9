#pragma once
// What the scan generators share: the sample pattern, writing a file, and little-endian field
// writers. Output depends only on the arguments: no clocks, no locale, no library random engines.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace testdata {

// A smooth surface (tilt plus three octaves of value noise) with a little white noise, scaled so
// that its minimum is -30000 and its maximum 30000 (all zero if columns*rows is 1).
// Empty for non-positive sizes.
std::vector<std::int16_t> PatternSamples(int columns, int rows, std::uint32_t seed);

// Throws std::runtime_error if the file cannot be written completely.
void WriteFile(const std::string& path, const std::string& bytes);

namespace bytes {

// The low `width` bytes of value, least significant first; negative values wrap as two's complement
// and widen with their sign past 8 bytes.
inline void Put(std::string& out, std::size_t at, long long value, int width) {
    const auto bits = static_cast<std::uint64_t>(value);
    const char sign = value < 0 ? '\xFF' : '\0';
    for (int b = 0; b < width; ++b)
        out[at + b] = b < 8 ? static_cast<char>((bits >> (8 * b)) & 0xFF) : sign;
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

// Throws std::invalid_argument, naming what, when samples are given and do not number columns*rows.
inline void CheckCount(const std::vector<std::int16_t>& given, int columns, int rows, const char* what) {
    if (!given.empty() && given.size() != Count(columns, rows))
        throw std::invalid_argument(std::string(what) + ": " + std::to_string(given.size()) +
                                    " samples given, " + std::to_string(Count(columns, rows)) + " expected");
}

// The given samples, or PatternSamples(columns, rows, seed) when none are given.
inline std::vector<std::int16_t> Samples(const std::vector<std::int16_t>& given, int columns, int rows,
                                         std::uint32_t seed, const char* what) {
    CheckCount(given, columns, rows, what);
    return given.empty() ? PatternSamples(columns, rows, seed) : given;
}

// Each sample sign-extended (or cut) to width bytes, one after another from at.
inline void PutSamples(std::string& out, std::size_t at, const std::vector<std::int16_t>& samples,
                       int width = 2) {
    for (std::size_t i = 0; i < samples.size(); ++i)
        Put(out, at + width * i, samples[i], width);
}

// columns*rows samples of width bytes appended line after line, sample(column, row) giving each.
template <typename SampleFn>
void AppendSamples(std::string& out, int columns, int rows, int width, const SampleFn& sample) {
    std::size_t at = out.size();
    out.resize(at + Count(columns, rows) * static_cast<std::size_t>(width));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c, at += width)
            Put(out, at, sample(c, r), width);
}

// Cuts out to truncateTo bytes if it is longer and truncateTo is not negative.
inline void Truncate(std::string& out, long long truncateTo) {
    if (truncateTo >= 0 && static_cast<unsigned long long>(truncateTo) < out.size())
        out.resize(static_cast<std::size_t>(truncateTo));
}

} // namespace bytes
} // namespace testdata
