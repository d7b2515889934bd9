#include "view2d/ColorTransfer.h"

#include <cstring>

#include "processing/kernels/KernelsSimd.h"

namespace color {

namespace {

namespace simd = doc::kern::simd;

// Indices are made a block at a time in vectors; the lookup that follows cannot be vectorised, so it
// is a separate, unrolled loop over a block that sits in the first-level cache.
constexpr int kBlock = 1024;

// Grey levels stream from memory; asked for this many ahead (8 KiB) they are in the cache when the
// vectors reach them, where the hardware prefetcher alone leaves the loop waiting.
constexpr std::size_t kLead = 2048;

constexpr float kBelowHalf = 0x1.fffffep-2f;

// GreyIndex of N levels. A NaN fails the first compare and goes to 0. Truncating x plus the float
// just below 0.5 rounds every x in 0..255 half away from zero (checked over all of them), one add
// in place of a convert back, a subtraction and a compare.
template <int N>
__attribute__((always_inline)) inline void IndexLanes(const float* grey, float gain, float bias,
                                                      simd::Lanes<std::int32_t, N>& index) {
    using Floats = simd::Lanes<float, N>;
    const Floats zero = {}, one = zero + 1.0f;
    Floats v;
    simd::Load(v, grey);
    const Floats scaled = v * gain;
    v = scaled + bias;
    v = v > zero ? v : zero;
    v = v < one ? v : one;
    const Floats x = v * 255.0f;
    simd::Convert(index, x + kBelowHalf);
}

// ahead + x is prefetched along with grey + x.
template <int bytes>
__attribute__((always_inline)) inline void Indices(const float* grey, int n, float gain, float bias,
                                                   const float* ahead, unsigned* index) {
    constexpr int N = bytes / 4;
    simd::Sweep<N>(
        n, [&](int x, auto lanes) __attribute__((always_inline)) {
            if constexpr (decltype(lanes)::value == 1) {
                index[x] = GreyIndex(grey[x], gain, bias);
            } else {
                __builtin_prefetch(ahead + x);
                simd::Lanes<std::int32_t, N> i;
                IndexLanes<N>(grey + x, gain, bias, i);
                simd::Store(index + x, i);
            }
        });
}

// The bytes of every table index in output order, four per entry.
using Packed = const std::uint8_t (*)[4];

// A 3-byte pixel is stored as 4 bytes whose last one the next pixel overwrites.
template <std::size_t pixelBytes>
void Lookup(const unsigned* index, int n, const Packed packed, std::uint8_t* dst) {
    int k = 0;
    for (; k + 4 <= n; k += 4, dst += 4 * pixelBytes) {
        std::memcpy(dst, packed[index[k]], 4);
        std::memcpy(dst + pixelBytes, packed[index[k + 1]], 4);
        std::memcpy(dst + 2 * pixelBytes, packed[index[k + 2]], 4);
        std::memcpy(dst + 3 * pixelBytes, packed[index[k + 3]], 4);
    }
    for (; k < n; ++k, dst += pixelBytes)
        std::memcpy(dst, packed[index[k]], 4);
}

// 4-byte pixels go out two to a store: the stores, not the loads, limit the lookup.
template <> void Lookup<4>(const unsigned* index, int n, const Packed packed, std::uint8_t* dst) {
    const auto word = [&](unsigned i) {
        std::uint32_t w;
        std::memcpy(&w, packed[i], 4);
        return std::uint64_t(w);
    };
    // The first pixel goes to the lower address.
    const auto pair = [&](int k) {
        if constexpr (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__)
            return word(index[k]) | word(index[k + 1]) << 32;
        else
            return word(index[k]) << 32 | word(index[k + 1]);
    };
    int k = 0;
    for (; k + 4 <= n; k += 4, dst += 16) {
        const std::uint64_t first = pair(k), second = pair(k + 2);
        std::memcpy(dst, &first, 8);
        std::memcpy(dst + 8, &second, 8);
    }
    for (; k < n; ++k, dst += 4)
        std::memcpy(dst, packed[index[k]], 4);
}

// The very last pixel is written apart, with its own size, so nothing lands past the end.
template <std::size_t pixelBytes>
void Transfer(const float* grey, std::size_t count, Packed packed, float gain, float bias,
              std::uint8_t* out) {
    if (count == 0)
        return;
    const std::size_t whole = count - 1;
    simd::RunSimd([&](auto bytes) __attribute__((always_inline)) {
        unsigned index[kBlock];
        for (std::size_t first = 0; first < whole; first += kBlock) {
            const int n = static_cast<int>(whole - first < kBlock ? whole - first : kBlock);
            // Near the end the prefetch goes over the block itself.
            const float* ahead = grey + first + (first + kLead + n <= whole ? kLead : 0);
            Indices<decltype(bytes)::value>(grey + first, n, gain, bias, ahead, index);
            Lookup<pixelBytes>(index, n, packed, out + first * pixelBytes);
        }
    });
    std::memcpy(out + whole * pixelBytes, packed[GreyIndex(grey[whole], gain, bias)], pixelBytes);
}

} // namespace

std::uint8_t ComponentByte(float c) {
    return static_cast<std::uint8_t>(GreyIndex(c, 1.0f, 0.0f));
}

CTransfer::CTransfer(const CConverter& converter, const CAttenuator& attenuator)
    : m_gain(static_cast<float>(attenuator.Gain())), m_bias(static_cast<float>(attenuator.Bias())) {
    const float* const tables[3] = {converter.Red(), converter.Green(), converter.Blue()};
    for (int i = 0; i < 256; ++i) {
        for (int k = 0; k < 3; ++k)
            m_rgb[i][k] = m_bgra[i][2 - k] = ComponentByte(tables[k][i]);
        m_rgb[i][3] = m_bgra[i][3] = 255;
    }
}

void CTransfer::Rgb(const float* grey, std::size_t count, std::uint8_t* rgb) const {
    Transfer<3>(grey, count, m_rgb, m_gain, m_bias, rgb);
}

void CTransfer::Bgra(const float* grey, std::size_t count, std::uint8_t* bgra) const {
    Transfer<4>(grey, count, m_bgra, m_gain, m_bias, bgra);
}

void TransferRgb(const float* grey, std::size_t columns, std::size_t rows, const CConverter& converter,
                 const CAttenuator& attenuator, std::uint8_t* rgb) {
    CTransfer(converter, attenuator).Rgb(grey, columns * rows, rgb);
}

void TransferBgra(const float* grey, std::size_t columns, std::size_t rows, const CConverter& converter,
                  const CAttenuator& attenuator, std::uint8_t* bgra) {
    CTransfer(converter, attenuator).Bgra(grey, columns * rows, bgra);
}

} // namespace color
