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

// The 16-bit levels of N cells at p, as integers.
template <int N>
__attribute__((always_inline)) inline void Level16Lanes(simd::Lanes<std::int32_t, N>& n, const float* p) {
    using Floats = simd::Lanes<float, N>;
    Floats v;
    simd::Load(v, p);
    const Floats zero = {}, one = zero + 1.0f;
    v = v > zero ? v : zero; // NaN goes to 0
    v = v < one ? v : one;
    simd::Convert(n, v * 65535.0f);
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
        Ints a, b, c, d;
        Level16Lanes<L>(a, r0);
        Level16Lanes<L>(b, r1);
        Level16Lanes<L>(c, r0 + L);
        Level16Lanes<L>(d, r1 + L);
        const Ints low = a + b, high = c + d;
        Ints even, odd;
        simd::Deinterleave<L>(low, high, even, odd);
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

// totals += h * weight, lane by lane: the same operations in the same order as cell by cell.
void AddRow(float* totals, const float* h, float weight, int width) {
    simd::RunSimd([&](auto bytes) __attribute__((always_inline)) {
        constexpr int L = decltype(bytes)::value / 4;
        simd::Sweep<L>(
            width, [&](int j, auto lanes) __attribute__((always_inline)) {
                using Floats = simd::Lanes<float, decltype(lanes)::value>;
                Floats t, v;
                simd::Load(t, totals + j);
                simd::Load(v, h + j);
                t += v * weight;
                simd::Store(totals + j, t);
            });
    });
}

// A row of output texels from their weighted sums a * wa (+ b * wb when b is given): the rounded mean
// level, clamped, as n / 65535.
void RowLevels(const float* a, float wa, const float* b, float wb, float rowArea, const float* columnAreas,
               float* o, int width) {
    simd::RunSimd([&](auto bytes) __attribute__((always_inline)) {
        constexpr int L = decltype(bytes)::value / 4;
        simd::Sweep<L>(
            width, [&](int j, auto lanes) __attribute__((always_inline)) {
                constexpr int N = decltype(lanes)::value;
                using Floats = simd::Lanes<float, N>;
                using Ints = simd::Lanes<std::int32_t, N>;
                Floats t, area;
                simd::Load(t, a + j);
                t *= wa;
                if (b) {
                    Floats u;
                    simd::Load(u, b + j);
                    t += u * wb;
                }
                simd::Load(area, columnAreas + j);
                const Floats zero = {}, top = zero + 65535.0f;
                Floats level = (t + 0.5f) / (rowArea * area);
                level = level > zero ? level : zero;
                level = level < top ? level : top;
                Ints n;
                simd::Convert(n, level); // toward zero, as static_cast<int>
                Floats f;
                simd::Convert(f, n);
                simd::Store(o + j, f / 65535.0f);
            });
    });
}

// A side whose taps are runs of whole input texels one after the other (an exact reduction by an
// integer, as 4096 to 64): its sums are of whole 16-bit levels, exact in a float below 2^24 in any
// order, so they can be summed as integers, in vectors, to the same result.
bool WholeRuns(const CTaps& t) {
    for (std::size_t k = 0; k + 1 < t.first.size(); ++k) {
        const std::size_t count = t.first[k + 1] - t.first[k];
        if (count * 65535 >= (std::size_t{1} << 24))
            return false;
        for (std::size_t n = t.first[k]; n < t.first[k + 1]; ++n)
            if (t.taps[n].weight != 1.0f ||
                t.taps[n].index != t.taps[t.first[k]].index + static_cast<int>(n - t.first[k]))
                return false;
    }
    return true;
}

// h[j] = the sum of the 16-bit levels of output j's run of a row, in integers.
void RunSums(const float* src, int columns, const CTaps& tx, std::int32_t* whole, float* h, int outWidth) {
    simd::RunSimd([&](auto bytes) __attribute__((always_inline)) {
        constexpr int L = decltype(bytes)::value / 4;
        simd::Sweep<L>(
            columns, [&](int x, auto lanes) __attribute__((always_inline)) {
                constexpr int N = decltype(lanes)::value;
                simd::Lanes<std::int32_t, N> n;
                Level16Lanes<N>(n, src + x);
                simd::Store(whole + x, n);
            });
        using Ints = simd::Lanes<std::int32_t, L>;
        for (int j = 0; j < outWidth; ++j) {
            const std::int32_t* run = whole + tx.taps[tx.first[j]].index;
            const int count = static_cast<int>(tx.first[j + 1] - tx.first[j]);
            Ints lanes = {};
            std::int32_t sum = 0;
            simd::Sweep<L>(
                count, [&](int n, auto width) __attribute__((always_inline)) {
                    if constexpr (decltype(width)::value == L) {
                        Ints v;
                        simd::Load(v, run + n);
                        lanes += v;
                    } else {
                        sum += run[n];
                    }
                });
            if constexpr (L > 1)
                for (int l = 0; l < L; ++l)
                    sum += lanes[l];
            h[j] = static_cast<float>(sum);
        }
    });
}

// The box average, a row at a time: each input row the output needs is resampled along its length
// once (the last two are kept, which covers the rows that neighbouring output rows share), then the
// rows are summed with their shares. Output row i goes to target(i), then done(i, row) is called.
template <class Target, class Done>
void BoxScale(const float* in, int columns, int rows, int outWidth, int outHeight, const Target& target,
              const Done& done) {
    const CTaps tx = TapsOf(columns, outWidth), ty = TapsOf(rows, outHeight);
    const bool runs = WholeRuns(tx);
    std::vector<float> levels(runs ? 0 : static_cast<std::size_t>(columns));
    std::vector<std::int32_t> whole(runs ? static_cast<std::size_t>(columns) : 0);
    std::vector<float> kept[2] = {std::vector<float>(outWidth), std::vector<float>(outWidth)};
    int keptRow[2] = {-1, -1};
    int oldest = 0;
    // A row is made in the older of the two kept, unless that one holds keep.
    auto alongRow = [&](int row, const float* keep) -> const float* {
        for (int k = 0; k < 2; ++k)
            if (keptRow[k] == row)
                return kept[k].data();
        if (kept[oldest].data() == keep)
            oldest ^= 1;
        const float* src = in + static_cast<std::size_t>(row) * columns;
        float* h = kept[oldest].data();
        if (runs) {
            RunSums(src, columns, tx, whole.data(), h, outWidth);
        } else {
            for (int x = 0; x < columns; ++x)
                levels[x] = Level16(src[x]);
            for (int j = 0; j < outWidth; ++j) {
                float sum = 0.0f;
                for (std::size_t n = tx.first[j]; n < tx.first[j + 1]; ++n)
                    sum += levels[tx.taps[n].index] * tx.taps[n].weight;
                h[j] = sum;
            }
        }
        keptRow[oldest] = row;
        oldest ^= 1;
        return h;
    };

    std::vector<float> totals(static_cast<std::size_t>(outWidth));
    for (int i = 0; i < outHeight; ++i) {
        const std::size_t first = ty.first[i], count = ty.first[i + 1] - first;
        float* o = target(i);
        if (count <= 2) { // enlarging, or a small reduction: both rows at once, nothing summed apart
            const float* h0 = alongRow(ty.taps[first].index, nullptr);
            const float* h1 = count == 2 ? alongRow(ty.taps[first + 1].index, h0) : nullptr;
            RowLevels(h0, ty.taps[first].weight, h1, count == 2 ? ty.taps[first + 1].weight : 0.0f,
                      ty.area[i], tx.area.data(), o, outWidth);
        } else {
            std::fill(totals.begin(), totals.end(), 0.0f);
            for (std::size_t n = first; n < first + count; ++n)
                AddRow(totals.data(), alongRow(ty.taps[n].index, nullptr), ty.taps[n].weight, outWidth);
            RowLevels(totals.data(), 1.0f, nullptr, 0.0f, ty.area[i], tx.area.data(), o, outWidth);
        }
        done(i, o);
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
        BoxScale(
            in, columns, rows, outWidth, outHeight,
            [&](int i) { return out + static_cast<std::size_t>(i) * outWidth; }, [](int, const float*) {});
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

bool ScaleImageRows(const float* in, int columns, int rows, int outWidth, int outHeight,
                    const std::function<void(int, const float*)>& row) {
    if (!in || !row || columns < 1 || rows < 1 || outWidth < 1 || outHeight < 1)
        return false;
    try {
        std::vector<float> buffer(static_cast<std::size_t>(outWidth));
        if (columns / 2 == outWidth && columns % 2 == 0 && rows / 2 == outHeight && rows % 2 == 0) {
            for (int i = 0; i < outHeight; ++i) {
                Halve(in + static_cast<std::size_t>(2 * i) * columns, columns, buffer.data(), outWidth, 1);
                row(i, buffer.data());
            }
            return true;
        }
        BoxScale(
            in, columns, rows, outWidth, outHeight, [&](int) { return buffer.data(); }, row);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

} // namespace doc
