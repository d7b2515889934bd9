// Fixed linear kernels on 16-bit and float images.
//
// Each kernel is a column pass into a small buffer of 32-bit sums (floats for the float kernels)
// followed by a row pass over that buffer, block by block along the row; the buffer stays in the
// first-level cache. The destination must not overlap the source rows a kernel reads. The loops are
// plain C++ left to the compiler's vectoriser, compiled twice: for AVX2, chosen at run time, and for
// the baseline target.
#include "processing/kernels/Kernels.h"
#include "processing/kernels/KernelsCheck.h"
#include "processing/kernels/KernelsSimd.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace doc::kern {
namespace {

using std::int16_t;
using std::int32_t;
using namespace simd;

// GCC vectorises at -O2 only loops whose trip count is a known multiple of the vector length. A row is
// therefore covered by blocks of a compile-time width, the last one overlapping its neighbour; only
// rows narrower than a block run with a run-time count.
constexpr int kBlock = 128;
using FullBlock = std::integral_constant<int, kBlock>;

int CheckSquare(const void* src, int srcStep, const void* dst, int dstStep, KSize roi, MaskSize mask) {
    if (int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    return mask == Mask3x3 || mask == Mask5x5 ? StsNoErr : StsMaskSize;
}

// Calls block(rows, x, dst row + x, n) for every row; rows[k] is source row y + k - R at column 0.
// Runs inside RunSimd (hence always_inline, as block must be).
template <int R, class T, class Block>
__attribute__((always_inline)) inline void ForEachBlock(const T* src, int srcStep, T* dst, int dstStep,
                                                        KSize roi, const Block& block) {
    for (int y = 0; y < roi.height; ++y) {
        const T* rows[2 * R + 1];
        for (int k = 0; k <= 2 * R; ++k)
            rows[k] = RowAt(src, srcStep, y + k - R);
        T* out = RowAt(dst, dstStep, y);
        if (roi.width < kBlock) {
            block(rows, 0, out, roi.width);
            continue;
        }
        for (int x = 0; x < roi.width; x += kBlock) {
            const int x0 = std::min(x, roi.width - kBlock);
            block(rows, x0, out + x0, FullBlock{});
        }
    }
}

// col(rows, j) combines the source rows at column j. out(t, c, i) makes the output cell i from the
// column results t[i - R .. i + R] and, if Centre, the cells c[i] of the output's own source row. Both
// passes write only local buffers or the destination, which lets them vectorise without alias checks.
template <int R, bool Centre, class Acc, class T, class Col, class Out>
void Separable(const T* src, int srcStep, T* dst, int dstStep, KSize roi, Col col, Out out) {
    RunSimd([&](auto) __attribute__((always_inline)) {
        const auto block = [&](const T* const* rows, int x, T* d, auto n) __attribute__((always_inline)) {
            Acc t[kBlock + 2 * R], c[kBlock];
            // The last 2R columns on their own: a loop over n + 2R cells would not vectorise.
            for (int i = 0; i < n; ++i)
                t[i] = col(rows, x + i - R);
            for (int i = n; i < n + 2 * R; ++i)
                t[i] = col(rows, x + i - R);
            if constexpr (Centre)
                for (int i = 0; i < n; ++i)
                    c[i] = rows[R][x + i];
            for (int i = 0; i < n; ++i)
                d[i] = out(t + R, c, i);
        };
        ForEachBlock<R>(src, srcStep, dst, dstStep, roi, block);
    });
}

// ---- 16-bit kernels

using Rows16 = const int16_t* const*;

inline int16_t Saturate(int32_t s) {
    return static_cast<int16_t>(std::min(std::max(s, -32768), 32767));
}

// Quotients by 2^k. Only Gauss 3 x 3 (/16) and sharpen (/8) can fall half-way; an exact half is rounded
// away from zero: floor((s + 2^(k-1) - [s < 0]) / 2^k).
template <int K> inline int32_t RoundShift(int32_t s) {
    return (s + (1 << (K - 1)) + (s >> 31)) >> K;
}

// Means with an odd divisor, which never fall half-way: biased to be non-negative so that the division
// is an unsigned one, which vectorises.
template <unsigned Divisor> inline int16_t RoundMean(int32_t s) {
    const unsigned biased = static_cast<unsigned>(s + int32_t(Divisor * 32768u + Divisor / 2));
    return static_cast<int16_t>(static_cast<int32_t>(biased / Divisor) - 32768);
}

constexpr auto kColumnSum3 = [](Rows16 r, int i) { return r[0][i] + r[1][i] + r[2][i]; };
constexpr auto kColumnSum5 = [](Rows16 r, int i) { return r[0][i] + r[1][i] + r[2][i] + r[3][i] + r[4][i]; };

inline int32_t RowSum3(const int32_t* t, int i) {
    return t[i - 1] + t[i] + t[i + 1];
}
inline int32_t RowSum5(const int32_t* t, int i) {
    return t[i - 2] + t[i - 1] + t[i] + t[i + 1] + t[i + 2];
}

// The 5 x 5 masks symmetric in both directions, as three column weightings: p0 for the output's own
// column, p1 for the columns one away, p2 for those two away. Each weighting is A times the column's
// [1 4 6 4 1] sum plus B times its [1 2 1] sum plus C times its centre cell ({A, B, C} in W): these
// multiples take fewer operations than those of the raw weights, and the column pass is what limits
// these kernels.
template <class W, class Finish>
void Symmetric5(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi, Finish finish) {
    RunSimd([&](auto) __attribute__((always_inline)) {
        const auto block = [&](Rows16 r, int x, int16_t* d, auto n) __attribute__((always_inline)) {
            int32_t p0[kBlock + 4], p1[kBlock + 4], p2[kBlock + 4];
            const auto column = [&](int i) __attribute__((always_inline)) {
                const int j = x + i - 2;
                const int32_t e0 = r[2][j], e1 = r[1][j] + r[3][j], e2 = r[0][j] + r[4][j];
                const int32_t g3 = e1 + 2 * e0, g5 = e2 + 4 * e1 + 6 * e0;
                p0[i] = W::p0[0] * g5 + W::p0[1] * g3 + W::p0[2] * e0;
                p1[i] = W::p1[0] * g5 + W::p1[1] * g3 + W::p1[2] * e0;
                p2[i] = W::p2[0] * g5 + W::p2[1] * g3 + W::p2[2] * e0;
            };
            for (int i = 0; i < n; ++i)
                column(i);
            for (int i = n; i < n + 4; ++i)
                column(i);
            for (int i = 0; i < n; ++i)
                d[i] = finish(p0[i + 2] + (p1[i + 1] + p1[i + 3]) + (p2[i] + p2[i + 4]));
        };
        ForEachBlock<2>(src, srcStep, dst, dstStep, roi, block);
    });
}

// Columns {-4 6 20 6 -4}, {-3 0 6 0 -3}, {-1 -3 -4 -3 -1}.
struct Laplace5Weights {
    static constexpr int32_t p0[3] = {-4, 22, 0}, p1[3] = {-3, 12, 0}, p2[3] = {-1, 1, 0};
};
// Columns {12 52 127 52 12}, {7 31 52 31 7}, {2 7 12 7 2}.
struct Gauss5Weights {
    static constexpr int32_t p0[3] = {12, 4, 47}, p1[3] = {7, 3, 4}, p2[3] = {2, -1, 2};
};

// ---- Float kernels

using Rows32f = const float* const*;

// The float masks are all separable: column weights times row weights. The horizontal kernels take the
// rows below minus the rows above; the vertical ones take left minus right, except Scharr's, which takes
// right minus left.
template <int R, class Col, class Row>
int Separable32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi, Col col, Row row) {
    if (int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    Separable<R, false, float>(src, srcStep, dst, dstStep, roi, col,
                               [row](const float* t, const float*, int i) { return row(t, i); });
    return StsNoErr;
}

constexpr auto kDiff3 = [](Rows32f r, int i) { return r[2][i] - r[0][i]; };
constexpr auto kSmooth3 = [](Rows32f r, int i) { return r[0][i] + 2 * r[1][i] + r[2][i]; };
constexpr auto kDiff5 = [](Rows32f r, int i) { return (r[4][i] - r[0][i]) + 2 * (r[3][i] - r[1][i]); };
constexpr auto kSmooth5 = [](Rows32f r, int i) {
    return (r[0][i] + r[4][i]) + 4 * (r[1][i] + r[3][i]) + 6 * r[2][i];
};

constexpr auto kRowSmooth3 = [](const float* t, int i) { return t[i - 1] + 2 * t[i] + t[i + 1]; };
constexpr auto kRowSmooth5 = [](const float* t, int i) {
    return (t[i - 2] + t[i + 2]) + 4 * (t[i - 1] + t[i + 1]) + 6 * t[i];
};
constexpr auto kRowLeftMinusRight3 = [](const float* t, int i) { return t[i - 1] - t[i + 1]; };
constexpr auto kRowLeftMinusRight5 = [](const float* t, int i) {
    return (t[i - 2] - t[i + 2]) + 2 * (t[i - 1] - t[i + 1]);
};

} // namespace

int FilterPrewittHoriz16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi) {
    if (int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    Separable<1, false, int32_t>(
        src, srcStep, dst, dstStep, roi, [](Rows16 r, int i) { return r[2][i] - r[0][i]; },
        [](const int32_t* t, const int32_t*, int i) { return Saturate(RowSum3(t, i)); });
    return StsNoErr;
}

int FilterPrewittVert16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi) {
    if (int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    Separable<1, false, int32_t>(
        src, srcStep, dst, dstStep, roi, kColumnSum3,
        [](const int32_t* t, const int32_t*, int i) { return Saturate(t[i - 1] - t[i + 1]); });
    return StsNoErr;
}

int FilterRobertsUp16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi) {
    if (int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    Separable<1, true, int32_t>(
        src, srcStep, dst, dstStep, roi, [](Rows16 r, int i) { return int32_t(r[0][i]); },
        [](const int32_t* t, const int32_t* c, int i) { return Saturate(c[i] - t[i + 1]); });
    return StsNoErr;
}

int FilterRobertsDown16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi) {
    if (int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    Separable<1, true, int32_t>(
        src, srcStep, dst, dstStep, roi, [](Rows16 r, int i) { return int32_t(r[0][i]); },
        [](const int32_t* t, const int32_t* c, int i) { return Saturate(c[i] - t[i - 1]); });
    return StsNoErr;
}

// Laplace 3 x 3 and high-pass 3 x 3 share their mask: 9 times the centre minus the 3 x 3 sum.
int FilterLaplace16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi, MaskSize mask) {
    if (int status = CheckSquare(src, srcStep, dst, dstStep, roi, mask))
        return status;
    if (mask == Mask3x3)
        Separable<1, true, int32_t>(
            src, srcStep, dst, dstStep, roi, kColumnSum3,
            [](const int32_t* t, const int32_t* c, int i) { return Saturate(9 * c[i] - RowSum3(t, i)); });
    else
        Symmetric5<Laplace5Weights>(src, srcStep, dst, dstStep, roi, [](int32_t s) { return Saturate(s); });
    return StsNoErr;
}

int FilterHipass16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi, MaskSize mask) {
    if (int status = CheckSquare(src, srcStep, dst, dstStep, roi, mask))
        return status;
    if (mask == Mask3x3)
        return FilterLaplace16s(src, srcStep, dst, dstStep, roi, mask);
    Separable<2, true, int32_t>(
        src, srcStep, dst, dstStep, roi, kColumnSum5,
        [](const int32_t* t, const int32_t* c, int i) { return Saturate(25 * c[i] - RowSum5(t, i)); });
    return StsNoErr;
}

// Weighted means: never out of range, so not saturated.
int FilterGauss16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi, MaskSize mask) {
    if (int status = CheckSquare(src, srcStep, dst, dstStep, roi, mask))
        return status;
    if (mask == Mask3x3)
        Separable<1, false, int32_t>(
            src, srcStep, dst, dstStep, roi, [](Rows16 r, int i) { return r[0][i] + 2 * r[1][i] + r[2][i]; },
            [](const int32_t* t, const int32_t*, int i) {
                return static_cast<int16_t>(RoundShift<4>(t[i - 1] + 2 * t[i] + t[i + 1]));
            });
    else
        Symmetric5<Gauss5Weights>(src, srcStep, dst, dstStep, roi,
                                  [](int32_t s) { return RoundMean<571>(s); });
    return StsNoErr;
}

int FilterLowpass16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi, MaskSize mask) {
    if (int status = CheckSquare(src, srcStep, dst, dstStep, roi, mask))
        return status;
    if (mask == Mask3x3)
        Separable<1, false, int32_t>(
            src, srcStep, dst, dstStep, roi, kColumnSum3,
            [](const int32_t* t, const int32_t*, int i) { return RoundMean<9>(RowSum3(t, i)); });
    else
        Separable<2, false, int32_t>(
            src, srcStep, dst, dstStep, roi, kColumnSum5,
            [](const int32_t* t, const int32_t*, int i) { return RoundMean<25>(RowSum5(t, i)); });
    return StsNoErr;
}

// (17 times the centre minus the 3 x 3 sum) / 8.
int FilterSharpen16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi) {
    if (int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    Separable<1, true, int32_t>(src, srcStep, dst, dstStep, roi, kColumnSum3,
                                [](const int32_t* t, const int32_t* c, int i) {
                                    return Saturate(RoundShift<3>(17 * c[i] - RowSum3(t, i)));
                                });
    return StsNoErr;
}

int FilterScharrHoriz32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi) {
    return Separable32f<1>(src, srcStep, dst, dstStep, roi, kDiff3,
                           [](const float* t, int i) { return 3 * (t[i - 1] + t[i + 1]) + 10 * t[i]; });
}

int FilterScharrVert32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi) {
    return Separable32f<1>(
        src, srcStep, dst, dstStep, roi,
        [](Rows32f r, int i) { return 3 * (r[0][i] + r[2][i]) + 10 * r[1][i]; },
        [](const float* t, int i) { return t[i + 1] - t[i - 1]; });
}

int FilterSobelHoriz32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi, MaskSize mask) {
    if (mask == Mask3x3)
        return Separable32f<1>(src, srcStep, dst, dstStep, roi, kDiff3, kRowSmooth3);
    return Separable32f<2>(src, srcStep, dst, dstStep, roi, kDiff5, kRowSmooth5);
}

int FilterSobelVert32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi, MaskSize mask) {
    if (mask == Mask3x3)
        return Separable32f<1>(src, srcStep, dst, dstStep, roi, kSmooth3, kRowLeftMinusRight3);
    return Separable32f<2>(src, srcStep, dst, dstStep, roi, kSmooth5, kRowLeftMinusRight5);
}

int FilterSobelHorizSecond32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi,
                              MaskSize mask) {
    if (mask == Mask3x3)
        return Separable32f<1>(
            src, srcStep, dst, dstStep, roi, [](Rows32f r, int i) { return r[0][i] - 2 * r[1][i] + r[2][i]; },
            kRowSmooth3);
    return Separable32f<2>(
        src, srcStep, dst, dstStep, roi, [](Rows32f r, int i) { return (r[0][i] + r[4][i]) - 2 * r[2][i]; },
        kRowSmooth5);
}

int FilterSobelVertSecond32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi,
                             MaskSize mask) {
    if (mask == Mask3x3)
        return Separable32f<1>(src, srcStep, dst, dstStep, roi, kSmooth3,
                               [](const float* t, int i) { return t[i - 1] - 2 * t[i] + t[i + 1]; });
    return Separable32f<2>(src, srcStep, dst, dstStep, roi, kSmooth5,
                           [](const float* t, int i) { return (t[i - 2] + t[i + 2]) - 2 * t[i]; });
}

int FilterSobelCross32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi, MaskSize mask) {
    if (mask == Mask3x3)
        return Separable32f<1>(src, srcStep, dst, dstStep, roi, kDiff3, kRowLeftMinusRight3);
    return Separable32f<2>(src, srcStep, dst, dstStep, roi, kDiff5, kRowLeftMinusRight5);
}

} // namespace doc::kern
