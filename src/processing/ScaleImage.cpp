#include "processing/ScaleImage.h"

#include <cmath>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

#include "processing/kernels/KernelsSimd.h"

namespace doc {

namespace {

namespace simd = doc::kern::simd;

// A level as GLU's 16-bit intermediate holds it: the integer part of 65535 * L, in a float.
inline float Level16(float v) {
    v = v > 0.0f ? v : 0.0f; // NaN goes to 0
    v = v < 1.0f ? v : 1.0f;
    return static_cast<float>(static_cast<int>(65535.0f * v));
}

inline float FromLevel16(int n) {
    return static_cast<float>(n) / 65535.0f;
}

// Both sides exactly halved: each 2 x 2 block's rounded mean. A vector of outputs takes two of each
// row: the rows are summed lane by lane, then the even and the odd lanes.
template <int L>
__attribute__((always_inline)) inline void HalveLanes(const float* r0, const float* r1, float* o) {
    if constexpr (L == 1) {
        const int sum = static_cast<int>(Level16(r0[0])) + static_cast<int>(Level16(r0[1])) +
                        static_cast<int>(Level16(r1[0])) + static_cast<int>(Level16(r1[1]));
        o[0] = FromLevel16((sum + 2) >> 2);
    } else {
        using Floats = simd::Lanes<float, L>;
        using Ints = simd::Lanes<std::int32_t, L>;
        const Floats zero = {}, one = zero + 1.0f;
        auto level = [&](Ints & n, const float* p) __attribute__((always_inline)) {
            Floats v;
            simd::Load(v, p);
            v = v > zero ? v : zero; // NaN goes to 0
            v = v < one ? v : one;
            simd::Convert(n, v * 65535.0f);
        };
        Ints a, b, c, d;
        level(a, r0);
        level(b, r1);
        level(c, r0 + L);
        level(d, r1 + L);
        const Ints low = a + b, high = c + d;
        Ints even, odd;
        // Clang spells GCC's two-vector shuffle with the indices as arguments.
#if defined(__clang__)
        if constexpr (L == 4) {
            even = __builtin_shufflevector(low, high, 0, 2, 4, 6);
            odd = __builtin_shufflevector(low, high, 1, 3, 5, 7);
        } else {
            static_assert(L == 8, "four or eight lanes");
            even = __builtin_shufflevector(low, high, 0, 2, 4, 6, 8, 10, 12, 14);
            odd = __builtin_shufflevector(low, high, 1, 3, 5, 7, 9, 11, 13, 15);
        }
#else
        if constexpr (L == 4) {
            even = __builtin_shuffle(low, high, Ints{0, 2, 4, 6});
            odd = __builtin_shuffle(low, high, Ints{1, 3, 5, 7});
        } else {
            static_assert(L == 8, "four or eight lanes");
            even = __builtin_shuffle(low, high, Ints{0, 2, 4, 6, 8, 10, 12, 14});
            odd = __builtin_shuffle(low, high, Ints{1, 3, 5, 7, 9, 11, 13, 15});
        }
#endif
        const Ints mean = (even + odd + 2) >> 1 >> 1;
        Floats f;
        simd::Convert(f, mean);
        simd::Store(o, f / 65535.0f);
    }
}

void Halve(const float* in, int columns, float* out, int outWidth, int outHeight) {
    simd::RunSimd([&](auto bytes) __attribute__((always_inline)) {
        constexpr int L = decltype(bytes)::value / 4;
        for (int i = 0; i < outHeight; ++i) {
            const float* r0 = in + static_cast<std::size_t>(2 * i) * columns;
            const float* r1 = r0 + columns;
            float* o = out + static_cast<std::size_t>(i) * outWidth;
            simd::Sweep<L>(
                outWidth, [&](int j, auto lanes) __attribute__((always_inline)) {
                    HalveLanes<decltype(lanes)::value>(r0 + 2 * j, r1 + 2 * j, o + j);
                });
        }
    });
}

// The input texels under each output texel of one side and their shares, worked out in single
// precision step by step as GLU does, so that the boxes have its edges exactly.
struct CTaps {
    struct CTap {
        int index;
        float weight;
    };
    std::vector<std::size_t> first; // output k's taps are [first[k], first[k + 1])
    std::vector<CTap> taps;
    std::vector<float> area; // the sum of output k's weights
};

CTaps TapsOf(int in, int out) {
    CTaps t;
    t.first.reserve(static_cast<std::size_t>(out) + 1);
    t.area.reserve(static_cast<std::size_t>(out));
    const float conv = static_cast<float>(in) / static_cast<float>(out);
    const float half = conv / 2;
    for (int k = 0; k < out; ++k) {
        t.first.push_back(t.taps.size());
        const float centre = static_cast<float>(conv * (k + 0.5));
        float low, high;
        if (in > out) {
            high = centre + half;
            low = centre - half;
        } else {
            high = centre + 0.5f;
            low = centre - 0.5f;
        }
        float area = 0.0f;
        float x = low;
        int xint = static_cast<int>(std::floor(x));
        while (x < high) {
            // Beyond either edge the image repeats.
            const int index = ((xint % in) + in) % in;
            const float next = static_cast<float>(xint + 1);
            const float weight = high < next ? high - x : next - x;
            t.taps.push_back({index, weight});
            area += weight;
            ++xint;
            x = static_cast<float>(xint);
        }
        t.area.push_back(area);
    }
    t.first.push_back(t.taps.size());
    return t;
}

// The box average, a row at a time: each input row the output needs is resampled along its length
// once (the last two are kept, which covers the rows that neighbouring output rows share), then the
// rows are summed with their shares.
void BoxScale(const float* in, int columns, int rows, float* out, int outWidth, int outHeight) {
    const CTaps tx = TapsOf(columns, outWidth), ty = TapsOf(rows, outHeight);
    std::vector<float> levels(static_cast<std::size_t>(columns));
    std::vector<float> kept[2] = {std::vector<float>(outWidth), std::vector<float>(outWidth)};
    int keptRow[2] = {-1, -1};
    int oldest = 0;
    auto alongRow = [&](int row) -> const float* {
        for (int k = 0; k < 2; ++k)
            if (keptRow[k] == row)
                return kept[k].data();
        const float* src = in + static_cast<std::size_t>(row) * columns;
        for (int x = 0; x < columns; ++x)
            levels[x] = Level16(src[x]);
        float* h = kept[oldest].data();
        for (int j = 0; j < outWidth; ++j) {
            float sum = 0.0f;
            for (std::size_t n = tx.first[j]; n < tx.first[j + 1]; ++n)
                sum += levels[tx.taps[n].index] * tx.taps[n].weight;
            h[j] = sum;
        }
        keptRow[oldest] = row;
        oldest ^= 1;
        return h;
    };

    std::vector<float> totals(static_cast<std::size_t>(outWidth));
    for (int i = 0; i < outHeight; ++i) {
        std::fill(totals.begin(), totals.end(), 0.0f);
        for (std::size_t n = ty.first[i]; n < ty.first[i + 1]; ++n) {
            const float* h = alongRow(ty.taps[n].index);
            const float weight = ty.taps[n].weight;
            for (int j = 0; j < outWidth; ++j)
                totals[j] += h[j] * weight;
        }
        float* o = out + static_cast<std::size_t>(i) * outWidth;
        for (int j = 0; j < outWidth; ++j) {
            float level = (totals[j] + 0.5f) / (ty.area[i] * tx.area[j]);
            level = level > 0.0f ? level : 0.0f;
            level = level < 65535.0f ? level : 65535.0f;
            o[j] = FromLevel16(static_cast<int>(level));
        }
    }
}

} // namespace

bool ScaleImage(const float* in, int columns, int rows, float* out, int outWidth, int outHeight) {
    if (!in || !out || columns < 1 || rows < 1 || outWidth < 1 || outHeight < 1)
        return false;
    if (columns / 2 == outWidth && columns % 2 == 0 && rows / 2 == outHeight && rows % 2 == 0) {
        Halve(in, columns, out, outWidth, outHeight);
        return true;
    }
    try {
        BoxScale(in, columns, rows, out, outWidth, outHeight);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

} // namespace doc
