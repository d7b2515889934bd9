#include "analysis/Spectrum.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

#include "processing/AutoCorrelation.h"
#include "processing/Busy.h"
#include "processing/Fourier.h"
#include "processing/ScaleImage.h"
#include "processing/kernels/Kernels.h"
#include "processing/kernels/KernelsSimd.h"

namespace fourier {

namespace {

using namespace doc::kern;

// The texture's size and the region's place: the surface in the top-left corner, or resampled into
// the whole texture when it does not fit. Only the texels outside the region are cleared here.
void Layout(int columns, int rows, int maxTextureSize, CSpectralTexture& out) {
    out.columns = columns;
    out.rows = rows;
    out.width = TextureSide(columns, maxTextureSize);
    out.height = TextureSide(rows, maxTextureSize);
    out.resampled = out.width < columns || out.height < rows;
    out.texels.resize(static_cast<std::size_t>(out.width) * out.height);
    if (out.resampled) {
        out.uMax = out.vMax = 1.0f;
        return;
    }
    out.uMax = static_cast<float>(columns) / static_cast<float>(out.width);
    out.vMax = static_cast<float>(rows) / static_cast<float>(out.height);
    for (int y = 0; y < out.height; ++y) {
        float* row = out.texels.data() + static_cast<std::size_t>(y) * out.width;
        std::fill(row + (y < rows ? columns : 0), row + out.width, 0.0f);
    }
}

// The cells the filter reads: the surface itself, or its resampling into the texels.
const float* Source(const float* grid, CSpectralTexture& out) {
    if (!out.resampled)
        return grid;
    return doc::ScaleImage(grid, out.columns, out.rows, out.texels.data(), out.width, out.height)
               ? out.texels.data()
               : nullptr;
}

// Runs build(source) on the laid-out texture, memory failures as statuses; a failure empties out.
template <class F>
int Build(const float* grid, int columns, int rows, int maxTextureSize, CSpectralTexture& out, F build) {
    int status = StsNoErr;
    if (!grid)
        status = StsNullPtr;
    else if (columns < 1 || rows < 1)
        status = StsSize;
    else
        try {
            Layout(columns, rows, maxTextureSize, out);
            const float* source = Source(grid, out);
            doc::busy::Tick();
            status = source ? build(source) : StsNoMem;
            doc::busy::Tick();
        } catch (const std::bad_alloc&) {
            status = StsNoMem;
        } catch (const std::length_error&) {
            status = StsNoMem;
        }
    if (status != StsNoErr)
        out = CSpectralTexture{};
    return status;
}

// Calls f(cell) for every cell of the region.
template <class F> void ForRegion(CSpectralTexture& out, F f) {
    const int w = out.RegionWidth(), h = out.RegionHeight();
    for (int y = 0; y < h; ++y) {
        float* row = out.texels.data() + static_cast<std::size_t>(y) * out.width;
        for (int x = 0; x < w; ++x)
            f(row[x]);
    }
}

inline float Finite(float v) {
    return std::isfinite(v) ? v : 0.0f;
}

inline float Unit(float v) {
    return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; // NaN goes to 0
}

// The logarithmic display's level of a power P = A^2: (max(log10 A, -4) + 4) / 4 = log10 P / 8 + 1
// for P >= 1e-8, 0 below. log2 P is the float's exponent e plus log2 m of its mantissa m = 1 + t in
// [1, 2), taken as a polynomial in t (least squares on [0, 1]: less than 2e-5 off, 6e-7 of a level,
// far below a level step of the display), at a fraction of the library's cost on 16 million cells.
constexpr float kLog2[] = {1.4418798958064638f, -0.7088652177338778f, 0.4152455603893573f,
                           -0.19351652460555954f, 0.04526829260390196f};
constexpr float kLevelPerOctave = 0.30102999566398120f / 8; // log10 2 / 8

// The level of N powers v, in vectors (N = 1 a float); no number and anything below 1e-8 give 0.
template <int N> __attribute__((always_inline)) inline void LogLevels(simd::Lanes<float, N>& v) {
    using Floats = simd::Lanes<float, N>;
    using Ints = simd::Lanes<std::int32_t, N>;
    const Floats zero = {}, one = zero + 1.0f;
    Ints bits;
    std::memcpy(&bits, &v, sizeof bits);
    Floats exponent, m;
    simd::Convert(exponent, ((bits >> 23) & 0xFF) - 127);
    const Ints mantissa = (bits & 0x007FFFFF) | 0x3F800000;
    std::memcpy(&m, &mantissa, sizeof m);
    const Floats t = m - 1.0f;
    Floats p = zero + kLog2[4];
    for (int k = 3; k >= 0; --k)
        p = p * t + kLog2[k];
    Floats level = (exponent + p * t) * kLevelPerOctave + 1.0f;
    level = level > zero ? level : zero;
    level = level < one ? level : one;
    v = v >= 1e-8f ? level : zero;
}

// A row of powers (or amplitudes) into texel values: not-finite values read as 0, and each stored as
// its logarithmic level or as it is. Returns the row's largest value (the values are >= 0).
template <int L, bool Logarithmic>
__attribute__((always_inline)) inline float RowToTexels(const float* row, int count, float* texels) {
    using Floats = simd::Lanes<float, L>;
    Floats lanes = {};
    float largest = 0.0f;
    simd::Sweep<L>(
        count, [&](int x, auto n) __attribute__((always_inline)) {
            constexpr int N = decltype(n)::value;
            using V = simd::Lanes<float, N>;
            V v;
            simd::Load(v, row + x);
            const V zero = {}, top = zero + FLT_MAX;
            v = v <= top ? v : zero;
            if constexpr (N == L)
                lanes = lanes > v ? lanes : v;
            else
                largest = std::max(largest, v);
            if constexpr (Logarithmic)
                LogLevels<N>(v);
            simd::Store(texels + x, v);
        });
    for (int l = 0; l < L; ++l)
        largest = std::max(largest, lanes[l]);
    return largest;
}

// count floats from src to dst with stores that bypass the caches, where dst is aligned for them:
// the texels are not read again here, and a line written whole need not be read in first.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx"))) void StreamAvx(float* dst, const float* src, int count) {
    int x = 0;
    for (; x < count && reinterpret_cast<std::uintptr_t>(dst + x) % 32 != 0; ++x)
        dst[x] = src[x];
    for (; x + 8 <= count; x += 8)
        _mm256_stream_ps(dst + x, _mm256_loadu_ps(src + x));
    for (; x < count; ++x)
        dst[x] = src[x];
}
#endif

void Stream(float* dst, const float* src, int count) {
#if defined(__x86_64__) || defined(__i386__)
    if (simd::UseAvx2()) {
        StreamAvx(dst, src, count);
        return;
    }
#endif
#if defined(__SSE2__)
    int x = 0;
    for (; x < count && reinterpret_cast<std::uintptr_t>(dst + x) % 16 != 0; ++x)
        dst[x] = src[x];
    for (; x + 4 <= count; x += 4)
        _mm_stream_ps(dst + x, _mm_loadu_ps(src + x));
    for (; x < count; ++x)
        dst[x] = src[x];
#else
    std::copy_n(src, count, dst);
#endif
}

void StreamFence() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

// low = min(low, row), high = max(high, row).
void Extremes(const float* row, int count, float& low, float& high) {
    simd::RunSimd([&](auto bytes) __attribute__((always_inline)) {
        constexpr int L = decltype(bytes)::value / 4;
        using Floats = simd::Lanes<float, L>;
        Floats lo = {}, hi = {};
        lo += low;
        hi += high;
        simd::Sweep<L>(
            count, [&](int x, auto n) __attribute__((always_inline)) {
                if constexpr (decltype(n)::value == L) {
                    Floats v;
                    simd::Load(v, row + x);
                    lo = lo < v ? lo : v;
                    hi = hi > v ? hi : v;
                } else {
                    low = std::min(low, row[x]);
                    high = std::max(high, row[x]);
                }
            });
        for (int l = 0; l < L; ++l) {
            low = std::min(low, lo[l]);
            high = std::max(high, hi[l]);
        }
    });
}

// out = (row - low) * f, limited to 0..1.
void Rescale(const float* row, int count, float low, float f, float* out) {
    simd::RunSimd([&](auto bytes) __attribute__((always_inline)) {
        constexpr int L = decltype(bytes)::value / 4;
        simd::Sweep<L>(
            count, [&](int x, auto n) __attribute__((always_inline)) {
                using Floats = simd::Lanes<float, decltype(n)::value>;
                Floats v;
                simd::Load(v, row + x);
                const Floats zero = {}, one = zero + 1.0f;
                v = (v - low) * f;
                v = v > zero ? v : zero;
                v = v < one ? v : one;
                simd::Store(out + x, v);
            });
    });
}

} // namespace

int TextureSide(int count, int maxSize) {
    int limit = 2;
    while (limit <= maxSize / 2)
        limit *= 2;
    int side = 2;
    while (side < count && side < limit)
        side *= 2;
    return side;
}

int BuildSpectrum(const float* grid, int columns, int rows, int maxTextureSize, bool logarithmic,
                  CSpectralTexture& out) {
    float largest = 0.0f, best = -1.0f;
    const int status = Build(grid, columns, rows, maxTextureSize, out, [&](const float* source) {
        const int w = out.RegionWidth(), h = out.RegionHeight(), cx = w / 2, cy = h / 2;
        out.maxAmplitude = 0.0f;
        out.maxColumn = out.maxRow = -1;
        // Each row as the transform gives it, in a row of scratch still in the cache: the largest
        // off the centre looked for, the first in row order (cell by cell only in the centre's row
        // and in a row that beats the rows before), and the texels written, as levels or (for the
        // linear display) amplitudes.
        std::vector<float> scratch(static_cast<std::size_t>(w)), values(static_cast<std::size_t>(w));
        auto scan = [&](int y, float* row) {
            float* texels = values.data();
            simd::RunSimd([&](auto bytes) __attribute__((always_inline)) {
                constexpr int L = decltype(bytes)::value / 4;
                if (!logarithmic)
                    for (int x = 0; x < w; ++x)
                        row[x] = std::sqrt(row[x]);
                const float rowLargest = logarithmic ? RowToTexels<L, true>(row, w, texels)
                                                     : RowToTexels<L, false>(row, w, texels);
                largest = std::max(largest, rowLargest);
                if (y == cy || rowLargest > best)
                    for (int x = 0; x < w; ++x)
                        if ((x != cx || y != cy) && Finite(row[x]) > best) {
                            best = row[x];
                            out.maxColumn = x;
                            out.maxRow = y;
                        }
            });
            Stream(out.texels.data() + static_cast<std::size_t>(y) * out.width, texels, w);
        };
        const int status = doc::fourier::PowerSpectrum(source, w, h, scratch.data(), 0, scan);
        StreamFence();
        return status;
    });
    if (status != StsNoErr)
        return status;
    if (logarithmic) {
        out.maxAmplitude = best > 0.0f ? std::sqrt(best) : 0.0f;
        out.factor = 1.0f;
        return StsNoErr;
    }
    out.maxAmplitude = std::max(best, 0.0f);
    out.factor = 1.0f;
    if (largest > 0.0f) {
        const float f = 1.0f / largest;
        out.factor = std::isfinite(f) ? f : 1.0f;
        ForRegion(out, [&](float& v) { v = Unit(v * out.factor); });
    }
    return StsNoErr;
}

int BuildCorrelation(const float* grid, int columns, int rows, int maxTextureSize, CSpectralTexture& out) {
    return Build(grid, columns, rows, maxTextureSize, out, [&](const float* source) {
        const int w = out.RegionWidth(), h = out.RegionHeight();
        std::vector<float> k;
        int ws = 0, hs = 0;
        if (const int status = doc::CorrelationCells(source, w, h, k, ws, hs))
            return status;
        // K enlarged back to the region, read twice as it is made rather than kept: once for its
        // extremes, once into the texels scaled by them.
        const bool enlarged = ws != w || hs != h;
        auto rows = [&](const std::function<void(int, const float*)>& row) {
            if (!enlarged) {
                for (int y = 0; y < h; ++y)
                    row(y, k.data() + static_cast<std::size_t>(y) * w);
                return true;
            }
            return doc::ScaleImageRows(k.data(), ws, hs, w, h, row);
        };
        // The values are finite: K's own are made so, and the resampling's are levels in 0..1.
        float high = 0.0f, low = FLT_MAX;
        if (!rows([&](int, const float* row) { Extremes(row, w, low, high); }))
            return static_cast<int>(StsNoMem);
        const float f = 1.0f / (high - low);
        const bool flat = !(high > low) || !std::isfinite(f);
        out.factor = flat ? 1.0f : f;
        out.lowest = low;
        if (!rows([&](int y, const float* row) {
                float* texel = out.texels.data() + static_cast<std::size_t>(y) * out.width;
                if (flat)
                    std::fill_n(texel, w, 0.0f);
                else
                    Rescale(row, w, low, f, texel);
            }))
            return static_cast<int>(StsNoMem);
        return static_cast<int>(StsNoErr);
    });
}

} // namespace fourier
