// Median filters on 16-bit images.
//
// The fixed masks are branch-free min/max networks run across whole rows on GCC vector extensions,
// 32 bytes wide on processors with AVX2 (chosen once at run time) and 16 elsewhere. The square masks
// sort each column once per output row and share it between the outputs that see it. Other
// rectangles slide a histogram.
#include "processing/kernels/Kernels.h"
#include "processing/kernels/KernelsCheck.h"
#include "processing/kernels/KernelsSimd.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace doc::kern {
namespace {

using std::int16_t;
using std::int32_t;
using std::uint32_t;
using namespace simd;

// ---- Compare-exchange.

template <class V> __attribute__((always_inline)) inline void Min(V& r, const V& a, const V& b) {
    r = b < a ? b : a;
}
template <class V> __attribute__((always_inline)) inline void Max(V& r, const V& a, const V& b) {
    r = a < b ? b : a;
}
template <class V> __attribute__((always_inline)) inline void Sort2(V& a, V& b) {
    V lo;
    Min(lo, a, b);
    Max(b, a, b);
    a = lo;
}

// ---- Selection networks.

template <class V>
__attribute__((always_inline)) inline void Median3(V& m, const V& a, const V& b, const V& c) {
    V lo, hi;
    Min(lo, a, b);
    Max(hi, a, b);
    Min(hi, hi, c);
    Max(m, lo, hi);
}

// The least and the greatest of a..d lie on either side of the median of five: drop both.
template <class V>
__attribute__((always_inline)) inline void Median5(V& m, const V& a, const V& b, const V& c, const V& d,
                                                   const V& e) {
    V lo1, hi1, lo2, hi2;
    Min(lo1, a, b);
    Max(hi1, a, b);
    Min(lo2, c, d);
    Max(hi2, c, d);
    Max(lo1, lo1, lo2);
    Min(hi1, hi1, hi2);
    Median3(m, lo1, hi1, e);
}

template <class V> __attribute__((always_inline)) inline void Sort3(V& a, V& b, V& c) {
    Sort2(a, b);
    Sort2(b, c);
    Sort2(a, b);
}

template <class V> __attribute__((always_inline)) inline void Sort5(V* v) {
    Sort2(v[0], v[1]);
    Sort2(v[3], v[4]);
    Sort2(v[2], v[4]);
    Sort2(v[2], v[3]);
    Sort2(v[0], v[3]);
    Sort2(v[0], v[2]);
    Sort2(v[1], v[4]);
    Sort2(v[1], v[3]);
    Sort2(v[1], v[2]);
}

// Median of nine as three sorted triples: the median of the triples' greatest low, middle median and
// least high.
template <class V> __attribute__((always_inline)) inline void Median9(V& m, V* v) {
    Sort3(v[0], v[1], v[2]);
    Sort3(v[3], v[4], v[5]);
    Sort3(v[6], v[7], v[8]);
    V lo, mid, hi;
    Max(lo, v[0], v[3]);
    Max(lo, lo, v[6]);
    Median3(mid, v[1], v[4], v[7]);
    Min(hi, v[2], v[5]);
    Min(hi, hi, v[8]);
    Median3(m, lo, mid, hi);
}

// ---- Row drivers.

// cell(source, destination, Count<N>) for every output, source at the output's own cell.
template <int Bytes, class Cell>
__attribute__((always_inline)) inline void ForEachCell(const int16_t* src, int srcStep, int16_t* dst,
                                                       int dstStep, KSize roi, const Cell& cell) {
    for (int y = 0; y < roi.height; ++y) {
        const int16_t* s = RowAt(src, srcStep, y);
        int16_t* d = RowAt(dst, dstStep, y);
        SweepOverlapping<Bytes / 2>(
            roi.width, [&](int x, auto n) __attribute__((always_inline)) { cell(s + x, d + x, n); });
    }
}

// The median of 3 or 5 cells on a line through the output's cell, `along` bytes apart.
template <int Bytes, int K>
__attribute__((always_inline)) inline void LineMedian(const int16_t* src, int srcStep, int16_t* dst,
                                                      int dstStep, KSize roi, std::ptrdiff_t along) {
    auto cell = [&](const int16_t* p, int16_t* q, auto n) __attribute__((always_inline)) {
        const char* c = reinterpret_cast<const char*>(p);
        Lanes<int16_t, decltype(n)::value> a, b, m, z;
        Load(a, c - along);
        Load(b, c + along);
        Load(z, p);
        if constexpr (K == 3) {
            Median3(m, a, z, b);
        } else {
            Lanes<int16_t, decltype(n)::value> aa, bb;
            Load(aa, c - 2 * along);
            Load(bb, c + 2 * along);
            Median5(m, aa, a, b, bb, z);
        }
        Store(q, m);
    };
    ForEachCell<Bytes>(src, srcStep, dst, dstStep, roi, cell);
}

// The median of the cross of 5 cells (R = 1) or 9 (R = 2).
template <int Bytes, int R>
__attribute__((always_inline)) inline void CrossMedian(const int16_t* src, int srcStep, int16_t* dst,
                                                       int dstStep, KSize roi) {
    auto cell = [&](const int16_t* p, int16_t* q, auto n) __attribute__((always_inline)) {
        Lanes<int16_t, decltype(n)::value> v[4 * R + 1], m;
        // Arrays of vectors stay in registers only once their loops are unrolled.
#pragma GCC unroll 8
        for (int k = 1; k <= R; ++k) {
            Load(v[4 * k - 4], p - k);
            Load(v[4 * k - 3], p + k);
            Load(v[4 * k - 2], RowAt(p, srcStep, -k));
            Load(v[4 * k - 1], RowAt(p, srcStep, k));
        }
        Load(v[4 * R], p);
        if constexpr (R == 1)
            Median5(m, v[0], v[1], v[2], v[3], v[4]);
        else
            Median9(m, v);
        Store(q, m);
    };
    ForEachCell<Bytes>(src, srcStep, dst, dstStep, roi, cell);
}

// ---- Square masks: each column of the row's window is sorted once into ranks, a strip at a time.

constexpr int kStrip = 512;

using Ranks = int16_t[kStrip + 4];

// With the 3 x 3 ranks sorted down the columns, the median is that of the greatest low, the middle
// median and the least high.

template <class V> __attribute__((always_inline)) inline void SquareMedian3(V& m, const Ranks* rank, int x) {
    V a, b, c, lo, mid, hi;
    Load(a, rank[0] + x);
    Load(b, rank[0] + x + 1);
    Load(c, rank[0] + x + 2);
    Max(lo, a, b);
    Max(lo, lo, c);
    Load(a, rank[1] + x);
    Load(b, rank[1] + x + 1);
    Load(c, rank[1] + x + 2);
    Median3(mid, a, b, c);
    Load(a, rank[2] + x);
    Load(b, rank[2] + x + 1);
    Load(c, rank[2] + x + 2);
    Min(hi, a, b);
    Min(hi, hi, c);
    Median3(m, lo, mid, hi);
}

// Sorting the rows of the column-sorted 5 x 5 ranks keeps the columns sorted, so a(r, c) has at least
// (r + 1)(c + 1) cells at or below it. The 13th smallest is then the least, over the 20 staircases of
// 13 cells, of the greatest cell at the end of a staircase row; that expression, factored, needs only
// the 13 cells below (the unused parts of the row sorts fold away).
template <class V> __attribute__((always_inline)) inline void SquareMedian5(V& m, const Ranks* rank, int x) {
    V a[5][5];
#pragma GCC unroll 8
    for (int r = 0; r < 5; ++r) {
#pragma GCC unroll 8
        for (int c = 0; c < 5; ++c)
            Load(a[r][c], rank[r] + x + c);
        Sort5(a[r]);
    }
    const V &a03 = a[0][3], &a04 = a[0][4], &a12 = a[1][2], &a13 = a[1][3], &a14 = a[1][4], &a21 = a[2][1],
            &a22 = a[2][2], &a23 = a[2][3], &a30 = a[3][0], &a31 = a[3][1], &a32 = a[3][2], &a40 = a[4][0],
            &a41 = a[4][1];
    V lo, hi, t, u, p, q;
    Min(lo, a13, a04);
    Max(hi, a04, a13);
    // Staircases ending at a(4, 0).
    Max(t, a22, a03);
    Max(u, a04, a12);
    Min(u, a13, u);
    Min(t, t, u);
    Max(p, a31, t);
    Max(t, a22, lo);
    Max(u, a21, hi);
    Min(u, u, a14);
    Min(u, a32, u);
    Min(t, t, u);
    Min(p, p, t);
    Max(p, a40, p);
    // Through a(2, 2).
    Max(t, a31, lo);
    Max(u, a30, hi);
    Min(u, u, a14);
    Min(u, a41, u);
    Min(t, t, u);
    Max(q, a22, t);
    Min(p, p, q);
    // Through a(0, 4).
    Max(t, a31, a13);
    Min(t, t, a23);
    Min(t, a41, t);
    Max(q, a04, t);
    Min(p, p, q);
    // The rest.
    Max(t, a14, a21);
    Min(t, a23, t);
    Max(t, a30, t);
    Max(u, a41, a12);
    Min(u, u, a32);
    Max(u, a03, u);
    Min(t, t, u);
    Min(m, p, t);
}

template <int Bytes, int R>
__attribute__((always_inline)) inline void Square(const int16_t* src, int srcStep, int16_t* dst, int dstStep,
                                                  KSize roi) {
    constexpr int N = Bytes / 2;
    constexpr int K = 2 * R + 1;
    alignas(64) Ranks rank[K];
    for (int y = 0; y < roi.height; ++y) {
        int16_t* d = RowAt(dst, dstStep, y);
        for (int x0 = 0; x0 < roi.width; x0 += kStrip) {
            const int len = std::min(kStrip, roi.width - x0);
            const int16_t* s = RowAt(src, srcStep, y) + x0 - R;
            SweepOverlapping<N>(
                len + 2 * R, [&](int x, auto n) __attribute__((always_inline)) {
                    Lanes<int16_t, decltype(n)::value> v[K];
#pragma GCC unroll 8
                    for (int k = 0; k < K; ++k)
                        Load(v[k], RowAt(s, srcStep, k - R) + x);
                    if constexpr (R == 1)
                        Sort3(v[0], v[1], v[2]);
                    else
                        Sort5(v);
#pragma GCC unroll 8
                    for (int k = 0; k < K; ++k)
                        Store(rank[k] + x, v[k]);
                });
            SweepOverlapping<N>(
                len, [&](int x, auto n) __attribute__((always_inline)) {
                    Lanes<int16_t, decltype(n)::value> m;
                    if constexpr (R == 1)
                        SquareMedian3(m, rank, x);
                    else
                        SquareMedian5(m, rank, x);
                    Store(d + x0 + x, m);
                });
        }
    }
}

// ---- Any odd rectangle: a histogram of the window in three levels (256, 4096 and 65536 bins), slid in
// snake order so that every step trades one column or one row of the window.
class CHistogramMedian {
public:
    explicit CHistogramMedian(int cells)
        : m_rank(cells / 2), m_coarse(256, 0), m_middle(4096, 0), m_fine(65536, 0) {}

    void Add(int16_t v) { Change(v, 1); }
    void Remove(int16_t v) { Change(v, -1); }

    int16_t Median() {
        // The coarse bin holding the median is kept between calls: the window changes little.
        while (m_below + static_cast<int>(m_coarse[m_bin]) <= m_rank)
            m_below += m_coarse[m_bin++];
        while (m_below > m_rank)
            m_below -= m_coarse[--m_bin];
        // Then 16 middle bins of 16 values each, and 16 values.
        int seen = m_below;
        int middle = m_bin << 4;
        while (seen + static_cast<int>(m_middle[middle]) <= m_rank)
            seen += m_middle[middle++];
        int value = middle << 4;
        while (seen + static_cast<int>(m_fine[value]) <= m_rank)
            seen += m_fine[value++];
        return static_cast<int16_t>(value - 32768);
    }

private:
    void Change(int16_t v, int by) {
        const int u = v + 32768;
        m_fine[u] += by;
        m_middle[u >> 4] += by;
        m_coarse[u >> 8] += by;
        if ((u >> 8) < m_bin)
            m_below += by;
    }

    int m_rank;
    std::vector<uint32_t> m_coarse, m_middle, m_fine;
    int m_bin = 0;   // coarse bin of the last median
    int m_below = 0; // cells in the coarse bins below it
};

// base is the top-left cell of output (0, 0)'s window.
void MedianHistogram(const int16_t* base, int srcStep, int16_t* dst, int dstStep, KSize roi, KSize mask) {
    CHistogramMedian hist(mask.width * mask.height);
    auto cell = [&](int x, int y) { return RowAt(base, srcStep, y)[x]; };
    for (int r = 0; r < mask.height; ++r)
        for (int c = 0; c < mask.width; ++c)
            hist.Add(cell(c, r));
    for (int y = 0;; ++y) {
        int16_t* d = RowAt(dst, dstStep, y);
        const bool right = y % 2 == 0;
        for (int i = 0;; ++i) {
            const int x = right ? i : roi.width - 1 - i;
            d[x] = hist.Median();
            if (i == roi.width - 1)
                break;
            const int leave = right ? x : x + mask.width - 1;
            const int enter = right ? x + mask.width : x - 1;
            for (int r = 0; r < mask.height; ++r) {
                hist.Remove(cell(leave, y + r));
                hist.Add(cell(enter, y + r));
            }
        }
        if (y == roi.height - 1)
            break;
        const int x = right ? roi.width - 1 : 0;
        for (int c = 0; c < mask.width; ++c) {
            hist.Remove(cell(x + c, y));
            hist.Add(cell(x + c, y + mask.height));
        }
    }
}

void CopyRows(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi) {
    for (int y = 0; y < roi.height; ++y)
        std::memcpy(RowAt(dst, dstStep, y), RowAt(src, srcStep, y),
                    static_cast<std::size_t>(roi.width) * sizeof(int16_t));
}

} // namespace

int FilterMedianCross16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi,
                         MaskSize mask) {
    if (const int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    if (mask == Mask3x3)
        RunSimd([&](auto b) __attribute__((always_inline)) {
            CrossMedian<decltype(b)::value, 1>(src, srcStep, dst, dstStep, roi);
        });
    else if (mask == Mask5x5)
        RunSimd([&](auto b) __attribute__((always_inline)) {
            CrossMedian<decltype(b)::value, 2>(src, srcStep, dst, dstStep, roi);
        });
    else
        return StsMaskSize;
    return StsNoErr;
}

int FilterMedianHoriz16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi,
                         MaskSize mask) {
    if (const int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    if (mask == Mask3x1)
        RunSimd([&](auto b) __attribute__((always_inline)) {
            LineMedian<decltype(b)::value, 3>(src, srcStep, dst, dstStep, roi, sizeof(int16_t));
        });
    else if (mask == Mask5x1)
        RunSimd([&](auto b) __attribute__((always_inline)) {
            LineMedian<decltype(b)::value, 5>(src, srcStep, dst, dstStep, roi, sizeof(int16_t));
        });
    else
        return StsMaskSize;
    return StsNoErr;
}

int FilterMedianVert16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi,
                        MaskSize mask) {
    if (const int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    if (mask == Mask1x3)
        RunSimd([&](auto b) __attribute__((always_inline)) {
            LineMedian<decltype(b)::value, 3>(src, srcStep, dst, dstStep, roi, srcStep);
        });
    else if (mask == Mask1x5)
        RunSimd([&](auto b) __attribute__((always_inline)) {
            LineMedian<decltype(b)::value, 5>(src, srcStep, dst, dstStep, roi, srcStep);
        });
    else
        return StsMaskSize;
    return StsNoErr;
}

int FilterMedian16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi, KSize mask,
                    KPoint anchor) {
    if (const int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    if (mask.width <= 0 || mask.height <= 0 || mask.width % 2 == 0 || mask.height % 2 == 0)
        return StsMaskSize;
    if (anchor.x < 0 || anchor.x >= mask.width || anchor.y < 0 || anchor.y >= mask.height)
        return StsAnchor;

    // The fixed kernels are centred: move the source so that the window's centre is the output's cell.
    const int16_t* centred = RowAt(src, srcStep, mask.height / 2 - anchor.y) + (mask.width / 2 - anchor.x);
    const int w = mask.width, h = mask.height;
    if (w == 1 && h == 1)
        CopyRows(src, srcStep, dst, dstStep, roi);
    else if (h == 1 && (w == 3 || w == 5))
        return FilterMedianHoriz16s(centred, srcStep, dst, dstStep, roi, w == 3 ? Mask3x1 : Mask5x1);
    else if (w == 1 && (h == 3 || h == 5))
        return FilterMedianVert16s(centred, srcStep, dst, dstStep, roi, h == 3 ? Mask1x3 : Mask1x5);
    else if (w == 3 && h == 3)
        RunSimd([&](auto b) __attribute__((always_inline)) {
            Square<decltype(b)::value, 1>(centred, srcStep, dst, dstStep, roi);
        });
    else if (w == 5 && h == 5)
        RunSimd([&](auto b) __attribute__((always_inline)) {
            Square<decltype(b)::value, 2>(centred, srcStep, dst, dstStep, roi);
        });
    else
        MedianHistogram(RowAt(src, srcStep, -anchor.y) - anchor.x, srcStep, dst, dstStep, roi, mask);
    return StsNoErr;
}

} // namespace doc::kern
