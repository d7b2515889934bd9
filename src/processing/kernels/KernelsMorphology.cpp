// Grey-level dilation and erosion on float and 16-bit images.
//
// Rectangles are separable: the maximum down the mask's rows, then along its columns, the latter by
// doubling spans when the mask is wide. Other masks take the maximum over their cells one shifted row
// at a time. The loops work on GCC vector extensions, 32 bytes wide on processors with AVX2 (chosen
// once at run time) and 16 elsewhere.
#include "processing/kernels/Kernels.h"
#include "processing/kernels/KernelsCheck.h"
#include "processing/kernels/KernelsSimd.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace doc::kern {
namespace {

using namespace simd;

// a = max(a, b) for dilation, min(a, b) for erosion; written as the compare-and-select patterns that
// compile to single max and min instructions.
template <bool Dilate, class V> __attribute__((always_inline)) inline void Extreme(V& a, const V& b) {
    if constexpr (Dilate)
        a = a < b ? b : a;
    else
        a = b < a ? b : a;
}

// The extreme along a row of w cells: out[x] over col[x .. x + w - 1], for x < width. Wide masks
// double spans in place (col is spoiled): after the pass of span s, col[x] covers [x, x + 2s); two
// overlapping spans then cover the mask.
template <class T, int N, bool Dilate>
__attribute__((always_inline)) inline void RowExtreme(T* __restrict col, T* __restrict out, int width,
                                                      int w) {
    if (w <= 8) {
        SweepOverlapping<N>(
            width, [&](int x, auto n) __attribute__((always_inline)) {
                Lanes<T, decltype(n)::value> e, v;
                Load(e, col + x);
                for (int k = 1; k < w; ++k) {
                    Load(v, col + x + k);
                    Extreme<Dilate>(e, v);
                }
                Store(out + x, e);
            });
        return;
    }
    int span = 1, valid = width + w - 1;
    for (; 2 * span <= w; span *= 2) {
        valid -= span;
        Sweep<N>(
            valid, [&](int x, auto n) __attribute__((always_inline)) {
                Lanes<T, decltype(n)::value> e, v;
                Load(e, col + x);
                Load(v, col + x + span);
                Extreme<Dilate>(e, v);
                Store(col + x, e);
            });
    }
    SweepOverlapping<N>(
        width, [&](int x, auto n) __attribute__((always_inline)) {
            Lanes<T, decltype(n)::value> e, v;
            Load(e, col + x);
            Load(v, col + x + w - span);
            Extreme<Dilate>(e, v);
            Store(out + x, e);
        });
}

// base is the top-left cell of output (0, 0)'s w x h block. Output rows go in pairs, which share
// h - 1 source rows: the extreme down those is taken once for both.
template <class T, int Bytes, bool Dilate>
__attribute__((always_inline)) inline void RectRows(const T* base, int srcStep, T* dst, int dstStep,
                                                    KSize roi, int w, int h) {
    constexpr int N = Bytes / sizeof(T);
    const int ext = roi.width + w - 1;
    std::vector<T> buffers(2 * static_cast<std::size_t>(ext));
    T* __restrict upper = buffers.data();
    T* __restrict lower = upper + ext;

    for (int y = 0; y < roi.height; y += 2) {
        const bool pair = y + 1 < roi.height;
        const T* top = RowAt(base, srcStep, y);
        SweepOverlapping<N>(
            ext, [&](int x, auto n) __attribute__((always_inline)) {
                Lanes<T, decltype(n)::value> shared, first, last, v;
                Load(first, top + x);
                if (h > 1) {
                    Load(shared, RowAt(top, srcStep, 1) + x);
                    for (int r = 2; r < h; ++r) {
                        Load(v, RowAt(top, srcStep, r) + x);
                        Extreme<Dilate>(shared, v);
                    }
                    Extreme<Dilate>(first, shared);
                }
                Store(upper + x, first);
                if (pair) {
                    Load(last, RowAt(top, srcStep, h) + x);
                    if (h > 1)
                        Extreme<Dilate>(last, shared);
                    Store(lower + x, last);
                }
            });
        RowExtreme<T, N, Dilate>(upper, RowAt(dst, dstStep, y), roi.width, w);
        if (pair)
            RowExtreme<T, N, Dilate>(lower, RowAt(dst, dstStep, y + 1), roi.width, w);
    }
}

struct SOffset {
    int dx, dy;
};

// Any other mask: the extreme over its cells, one shifted source row at a time, kept in dst.
template <class T, int Bytes, bool Dilate>
__attribute__((always_inline)) inline void MaskRows(const T* src, int srcStep, T* dst, int dstStep, KSize roi,
                                                    const std::vector<SOffset>& cells) {
    constexpr int N = Bytes / sizeof(T);
    for (int y = 0; y < roi.height; ++y) {
        T* d = RowAt(dst, dstStep, y);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const T* s = RowAt(src, srcStep, y + cells[i].dy) + cells[i].dx;
            SweepOverlapping<N>(
                roi.width, [&](int x, auto n) __attribute__((always_inline)) {
                    Lanes<T, decltype(n)::value> e, v;
                    Load(v, s + x);
                    if (i == 0) {
                        e = v;
                    } else {
                        Load(e, d + x);
                        Extreme<Dilate>(e, v);
                    }
                    Store(d + x, e);
                });
        }
    }
}

template <bool Dilate, class T> int Morph3x3(const T* src, int srcStep, T* dst, int dstStep, KSize roi) {
    if (const int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    const T* base = RowAt(src, srcStep, -1) - 1;
    RunSimd([&](auto b) __attribute__((always_inline)) {
        RectRows<T, decltype(b)::value, Dilate>(base, srcStep, dst, dstStep, roi, 3, 3);
    });
    return StsNoErr;
}

template <bool Dilate, class T>
int Morph(const T* src, int srcStep, T* dst, int dstStep, KSize roi, const std::uint8_t* mask, KSize maskSize,
          KPoint anchor) {
    if (!mask)
        return StsNullPtr;
    if (const int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    if (maskSize.width <= 0 || maskSize.height <= 0)
        return StsMaskSize;
    if (anchor.x < 0 || anchor.x >= maskSize.width || anchor.y < 0 || anchor.y >= maskSize.height)
        return StsAnchor;

    std::vector<SOffset> cells;
    for (int r = 0; r < maskSize.height; ++r)
        for (int c = 0; c < maskSize.width; ++c)
            if (mask[static_cast<std::size_t>(r) * maskSize.width + c])
                cells.push_back({c - anchor.x, r - anchor.y});
    // An empty mask has no extreme to take.
    if (cells.empty())
        return StsMaskSize;

    if (cells.size() == static_cast<std::size_t>(maskSize.width) * maskSize.height) {
        const T* base = RowAt(src, srcStep, -anchor.y) - anchor.x;
        RunSimd([&](auto b) __attribute__((always_inline)) {
            RectRows<T, decltype(b)::value, Dilate>(base, srcStep, dst, dstStep, roi, maskSize.width,
                                                    maskSize.height);
        });
    } else {
        RunSimd([&](auto b) __attribute__((always_inline)) {
            MaskRows<T, decltype(b)::value, Dilate>(src, srcStep, dst, dstStep, roi, cells);
        });
    }
    return StsNoErr;
}

} // namespace

int Dilate3x3_32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi) {
    return Morph3x3<true>(src, srcStep, dst, dstStep, roi);
}

int Erode3x3_32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi) {
    return Morph3x3<false>(src, srcStep, dst, dstStep, roi);
}

int Dilate32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi, const std::uint8_t* mask,
              KSize maskSize, KPoint anchor) {
    return Morph<true>(src, srcStep, dst, dstStep, roi, mask, maskSize, anchor);
}

int Erode32f(const float* src, int srcStep, float* dst, int dstStep, KSize roi, const std::uint8_t* mask,
             KSize maskSize, KPoint anchor) {
    return Morph<false>(src, srcStep, dst, dstStep, roi, mask, maskSize, anchor);
}

int Dilate3x3_16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi) {
    return Morph3x3<true>(src, srcStep, dst, dstStep, roi);
}

int Erode3x3_16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi) {
    return Morph3x3<false>(src, srcStep, dst, dstStep, roi);
}

int Dilate16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi,
              const std::uint8_t* mask, KSize maskSize, KPoint anchor) {
    return Morph<true>(src, srcStep, dst, dstStep, roi, mask, maskSize, anchor);
}

int Erode16s(const std::int16_t* src, int srcStep, std::int16_t* dst, int dstStep, KSize roi,
             const std::uint8_t* mask, KSize maskSize, KPoint anchor) {
    return Morph<false>(src, srcStep, dst, dstStep, roi, mask, maskSize, anchor);
}

} // namespace doc::kern
