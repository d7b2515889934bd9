// Box mean on 16-bit images.
//
// Separable running sums: the column sums over the mask height are updated by one row in and one row
// out per output row, then each output adds mask-width neighbouring column sums. The loops work on GCC
// vector extensions, 32 bytes wide on processors with AVX2 (chosen once at run time) and 16 elsewhere.
#include "processing/kernels/Kernels.h"
#include "processing/kernels/KernelsCheck.h"
#include "processing/kernels/KernelsSimd.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace doc::kern {
namespace {

using std::int16_t;
using std::int32_t;
using std::int64_t;
using namespace simd;

// ---- Truncating division of the block sums by the cell count n.
//
// Floats when n <= 64: |s| <= 2^21 converts exactly and the rounding of s * (1/n) + bias stays below
// 3 * 2^-9 < 1 / (2n); a bias of 1 / (2n) towards the sign of s then lifts exact multiples safely
// above the integer without reaching the next one (fractions are at least 1/n away from it).
// Doubles otherwise (n <= 65536, |s| < 2^31): the error is below 2^-35 and the bias 2^-20.
constexpr int kFloatCells = 64;

template <class R, class VI> __attribute__((always_inline)) inline void DivTrunc(VI& s, R inv, R bias) {
    if constexpr (std::is_arithmetic_v<VI>) {
        const R t = static_cast<R>(s) * inv + (s < 0 ? -bias : bias);
        s = static_cast<int32_t>(t);
    } else {
        using VR = Lanes<R, sizeof(VI) / sizeof(int32_t)>;
        const VR b = VR{} + bias;
        VR d;
        Convert(d, s);
        const VR t = d * inv + (d < 0 ? -b : b);
        Convert(s, t);
    }
}

template <int Bytes, class R>
__attribute__((always_inline)) inline void BoxRows(const int16_t* base, int srcStep, int16_t* dst,
                                                   int dstStep, KSize roi, KSize mask, R inv, R bias) {
    constexpr int N = Bytes / sizeof(int32_t);
    const int w = mask.width;
    const int ext = roi.width + w - 1;
    std::vector<int32_t> colBuf(static_cast<std::size_t>(ext));
    std::vector<int32_t> sumBuf(static_cast<std::size_t>(roi.width));
    int32_t* __restrict col = colBuf.data();
    int32_t* __restrict sum = sumBuf.data();

    for (int r = 0; r < mask.height; ++r) {
        const int16_t* in = RowAt(base, srcStep, r);
        Sweep<N>(
            ext, [&](int x, auto n) __attribute__((always_inline)) {
                using VH = Lanes<int16_t, decltype(n)::value>;
                using VI = Lanes<int32_t, decltype(n)::value>;
                VH h;
                VI a, c;
                Load(h, in + x);
                Convert(a, h);
                Load(c, col + x);
                c += a;
                Store(col + x, c);
            });
    }

    for (int y = 0; y < roi.height; ++y) {
        if (y > 0) {
            const int16_t* in = RowAt(base, srcStep, y + mask.height - 1);
            const int16_t* out = RowAt(base, srcStep, y - 1);
            Sweep<N>(
                ext, [&](int x, auto n) __attribute__((always_inline)) {
                    using VH = Lanes<int16_t, decltype(n)::value>;
                    using VI = Lanes<int32_t, decltype(n)::value>;
                    VH hi, ho;
                    VI a, b, c;
                    Load(hi, in + x);
                    Load(ho, out + x);
                    Convert(a, hi);
                    Convert(b, ho);
                    Load(c, col + x);
                    c += a - b;
                    Store(col + x, c);
                });
        }

        int16_t* d = RowAt(dst, dstStep, y);
        auto emit = [&](int x, auto& s) __attribute__((always_inline)) {
            Lanes<int16_t, sizeof(s) / sizeof(int32_t)> h;
            DivTrunc(s, inv, bias);
            Convert(h, s);
            Store(d + x, h);
        };
        if (w <= 8) {
            // Narrow masks add their columns directly.
            SweepOverlapping<N>(
                roi.width, [&](int x, auto n) __attribute__((always_inline)) {
                    Lanes<int32_t, decltype(n)::value> s, c;
                    Load(s, col + x);
                    for (int k = 1; k < w; ++k) {
                        Load(c, col + x + k);
                        s += c;
                    }
                    emit(x, s);
                });
        } else {
            // Wide masks slide: one column in, one out.
            int32_t s = 0;
            for (int k = 0; k < w; ++k)
                s += col[k];
            sum[0] = s;
            for (int x = 1; x < roi.width; ++x) {
                s += col[x + w - 1] - col[x - 1];
                sum[x] = s;
            }
            SweepOverlapping<N>(
                roi.width, [&](int x, auto n) __attribute__((always_inline)) {
                    Lanes<int32_t, decltype(n)::value> s;
                    Load(s, sum + x);
                    emit(x, s);
                });
        }
    }
}

// Masks of more than 65536 cells can overflow 32-bit sums.
void BoxRowsWide(const int16_t* base, int srcStep, int16_t* dst, int dstStep, KSize roi, KSize mask) {
    const int ext = roi.width + mask.width - 1;
    const int64_t n = static_cast<int64_t>(mask.width) * mask.height;
    std::vector<int64_t> col(static_cast<std::size_t>(ext), 0);
    for (int r = 0; r < mask.height; ++r) {
        const int16_t* in = RowAt(base, srcStep, r);
        for (int x = 0; x < ext; ++x)
            col[x] += in[x];
    }
    for (int y = 0; y < roi.height; ++y) {
        if (y > 0) {
            const int16_t* in = RowAt(base, srcStep, y + mask.height - 1);
            const int16_t* out = RowAt(base, srcStep, y - 1);
            for (int x = 0; x < ext; ++x)
                col[x] += in[x] - out[x];
        }
        int16_t* d = RowAt(dst, dstStep, y);
        int64_t s = 0;
        for (int k = 0; k < mask.width; ++k)
            s += col[k];
        for (int x = 0; x < roi.width; ++x) {
            if (x > 0)
                s += col[x + mask.width - 1] - col[x - 1];
            d[x] = static_cast<int16_t>(s / n);
        }
    }
}

} // namespace

int FilterBox16s(const int16_t* src, int srcStep, int16_t* dst, int dstStep, KSize roi, KSize mask,
                 KPoint anchor) {
    if (const int status = CheckImages(src, srcStep, dst, dstStep, roi))
        return status;
    if (mask.width < 2 || mask.height < 2)
        return StsMaskSize;
    if (anchor.x < 0 || anchor.x >= mask.width || anchor.y < 0 || anchor.y >= mask.height)
        return StsAnchor;

    // The block of output (x, y) starts at column x and row y of base.
    const int16_t* base = RowAt(src, srcStep, -static_cast<std::ptrdiff_t>(anchor.y)) - anchor.x;
    const int64_t n = static_cast<int64_t>(mask.width) * mask.height;
    if (n > 65536) {
        BoxRowsWide(base, srcStep, dst, dstStep, roi, mask);
    } else if (n <= kFloatCells) {
        const float inv = 1.0f / static_cast<float>(n), bias = 0.5f / static_cast<float>(n);
        RunSimd([&](auto bytes) __attribute__((always_inline)) {
            BoxRows<decltype(bytes)::value>(base, srcStep, dst, dstStep, roi, mask, inv, bias);
        });
    } else {
        const double inv = 1.0 / static_cast<double>(n), bias = 0x1p-20;
        RunSimd([&](auto bytes) __attribute__((always_inline)) {
            BoxRows<decltype(bytes)::value>(base, srcStep, dst, dstStep, roi, mask, inv, bias);
        });
    }
    return StsNoErr;
}

} // namespace doc::kern
