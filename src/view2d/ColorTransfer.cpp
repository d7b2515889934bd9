#include "view2d/ColorTransfer.h"

#include <cstring>

#include "processing/kernels/KernelsSimd.h"

namespace color {

namespace {

namespace simd = doc::kern::simd;

// Indices are made a block at a time in vectors; the lookup that follows cannot be vectorised, so it
// is a separate, unrolled loop over a block that sits in the first-level cache.
constexpr int kBlock = 1024;

// The bytes of every grey index in output order, four per entry so that one store writes a pixel.
struct Packed {
    std::uint8_t bytes[256][4];
};

Packed PackTables(const CConverter& converter, const int order[3]) {
    const float* const tables[3] = {converter.Red(), converter.Green(), converter.Blue()};
    Packed packed;
    for (int i = 0; i < 256; ++i) {
        for (int k = 0; k < 3; ++k)
            packed.bytes[i][order[k]] = ComponentByte(tables[k][i]);
        packed.bytes[i][3] = 255;
    }
    return packed;
}

// GreyIndex over whole vectors. Selects are bit masks: a NaN fails both compares and goes to 0.
template <int bytes>
__attribute__((always_inline)) inline void Indices(const float* grey, int n, float gain, float bias,
                                                   unsigned* index) {
    constexpr int N = bytes / 4;
    using Floats = simd::Lanes<float, N>;
    using Ints = simd::Lanes<std::int32_t, N>;
    simd::Sweep<N>(
        n, [&](int x, auto lanes) __attribute__((always_inline)) {
            if constexpr (decltype(lanes)::value == 1) {
                index[x] = GreyIndex(grey[x], gain, bias);
            } else {
                const Floats zero = {}, one = zero + 1.0f;
                Floats v;
                simd::Load(v, grey + x);
                const Floats scaled = v * gain;
                v = scaled + bias;
                v = (Floats)((Ints)v & (v > zero));
                const Ints below = v < one;
                v = (Floats)(((Ints)v & below) | ((Ints)one & ~below));
                const Floats r = v * 255.0f;
                Ints t;
                simd::Convert(t, r);
                Floats whole;
                simd::Convert(whole, t);
                const Ints up = r - whole >= 0.5f; // -1 where it rounds up
                const Ints i = t - up;
                simd::Store(index + x, i);
            }
        });
}

// A 3-byte pixel is stored as 4 bytes whose last one the next pixel overwrites.
template <std::size_t pixelBytes>
void Lookup(const unsigned* index, int n, const Packed& packed, std::uint8_t* dst) {
    int k = 0;
    for (; k + 4 <= n; k += 4, dst += 4 * pixelBytes) {
        std::memcpy(dst, packed.bytes[index[k]], 4);
        std::memcpy(dst + pixelBytes, packed.bytes[index[k + 1]], 4);
        std::memcpy(dst + 2 * pixelBytes, packed.bytes[index[k + 2]], 4);
        std::memcpy(dst + 3 * pixelBytes, packed.bytes[index[k + 3]], 4);
    }
    for (; k < n; ++k, dst += pixelBytes)
        std::memcpy(dst, packed.bytes[index[k]], 4);
}

// The grid's very last pixel is written apart, with its own size, so nothing lands past the end.
template <std::size_t pixelBytes>
void Transfer(const float* grey, std::size_t count, const CConverter& converter,
              const CAttenuator& attenuator, const int order[3], std::uint8_t* out) {
    if (count == 0)
        return;
    const Packed packed = PackTables(converter, order);
    const float gain = static_cast<float>(attenuator.Gain());
    const float bias = static_cast<float>(attenuator.Bias());
    const std::size_t whole = count - 1;
    simd::RunSimd([&](auto bytes) __attribute__((always_inline)) {
        unsigned index[kBlock];
        for (std::size_t first = 0; first < whole; first += kBlock) {
            const int n = static_cast<int>(whole - first < kBlock ? whole - first : kBlock);
            Indices<decltype(bytes)::value>(grey + first, n, gain, bias, index);
            Lookup<pixelBytes>(index, n, packed, out + first * pixelBytes);
        }
    });
    std::memcpy(out + whole * pixelBytes, packed.bytes[GreyIndex(grey[whole], gain, bias)], pixelBytes);
}

} // namespace

std::uint8_t ComponentByte(float c) {
    return static_cast<std::uint8_t>(GreyIndex(c, 1.0f, 0.0f));
}

void TransferRgb(const float* grey, std::size_t columns, std::size_t rows, const CConverter& converter,
                 const CAttenuator& attenuator, std::uint8_t* rgb) {
    static const int kRgb[3] = {0, 1, 2};
    Transfer<3>(grey, columns * rows, converter, attenuator, kRgb, rgb);
}

void TransferBgra(const float* grey, std::size_t columns, std::size_t rows, const CConverter& converter,
                  const CAttenuator& attenuator, std::uint8_t* bgra) {
    static const int kBgra[3] = {2, 1, 0};
    Transfer<4>(grey, columns * rows, converter, attenuator, kBgra, bgra);
}

} // namespace color
