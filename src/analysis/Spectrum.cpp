#include "analysis/Spectrum.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <new>
#include <stdexcept>

#include "processing/Filter.h"
#include "processing/ScaleImage.h"
#include "processing/kernels/Kernels.h"

namespace fourier {

namespace {

using doc::FilterType;
using namespace doc::kern;

// Places the surface and runs the filter: resampled into the whole texture when it does not fit,
// else in the top-left corner (the filter on a compact copy of those cells, written back row by row).
int Place(const float* grid, int columns, int rows, int maxTextureSize, FilterType type,
          CSpectralTexture& out) {
    if (!grid)
        return StsNullPtr;
    if (columns < 1 || rows < 1)
        return StsSize;
    out.columns = columns;
    out.rows = rows;
    out.width = TextureSide(columns, maxTextureSize);
    out.height = TextureSide(rows, maxTextureSize);
    out.resampled = out.width < columns || out.height < rows;
    // Every texel is written below: the region by the filter, the rest as zeros.
    out.texels.resize(static_cast<std::size_t>(out.width) * out.height);
    doc::CFilter filter;
    filter.type = type;
    if (out.resampled) {
        out.sMax = out.tMax = 1.0f;
        if (!doc::ScaleImage(grid, columns, rows, out.texels.data(), out.width, out.height))
            return StsNoMem;
        return filter.Apply(out.texels.data(), out.width, out.height);
    }
    out.sMax = static_cast<float>(columns) / static_cast<float>(out.width);
    out.tMax = static_cast<float>(rows) / static_cast<float>(out.height);
    const std::size_t cells = static_cast<std::size_t>(columns) * rows;
    float* region = out.texels.data();
    for (int y = 0; y < out.height; ++y) {
        float* row = region + static_cast<std::size_t>(y) * out.width;
        std::fill(row + (y < rows ? columns : 0), row + out.width, 0.0f);
    }
    if (columns == out.width) // the region is compact already
        return filter.Apply(grid, region, columns, rows);
    std::vector<float> compact(cells);
    if (const int status = filter.Apply(grid, compact.data(), columns, rows))
        return status;
    for (int y = 0; y < rows; ++y)
        std::copy_n(compact.data() + static_cast<std::size_t>(y) * columns, columns,
                    region + static_cast<std::size_t>(y) * out.width);
    return StsNoErr;
}

// Calls f(cell) for every cell of the region.
template <class F> void ForRegion(CSpectralTexture& out, F f) {
    const int w = out.RegionWidth(), h = out.RegionHeight();
    for (int y = 0; y < h; ++y) {
        float* row = out.texels.data() + static_cast<std::size_t>(y) * out.width;
        for (int x = 0; x < w; ++x)
            f(row[x], x, y);
    }
}

inline float Finite(float v) {
    return std::isfinite(v) ? v : 0.0f;
}

inline float Unit(float v) {
    return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; // NaN goes to 0
}

// log10 of an amplitude of 1e-4 or more, -4 below: the logarithmic display's floor. The logarithm is
// taken from the float's exponent and a series in s = (m - 1) / (m + 1) of its mantissa m in [1, 2)
// (2 atanh s = ln m, s at most 1/3): the terms to s^9 leave less than 2e-6 in log2, far below a level
// step of the display, at a fraction of the library's cost on 16 million cells.
inline float Log10OrFloor(float v) {
    if (!(v >= 1e-4f))
        return -4.0f;
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const int exponent = static_cast<int>((bits >> 23) & 0xFF) - 127;
    bits = (bits & 0x007FFFFFu) | 0x3F800000u;
    float m;
    std::memcpy(&m, &bits, sizeof m);
    const float s = (m - 1.0f) / (m + 1.0f), s2 = s * s;
    const float series =
        s * (2.0f + s2 * (2.0f / 3.0f + s2 * (2.0f / 5.0f + s2 * (2.0f / 7.0f + s2 * (2.0f / 9.0f)))));
    // ln m / ln 10 + exponent * log10 2
    return series * 0.43429448190325182f + static_cast<float>(exponent) * 0.30102999566398120f;
}

// A row of amplitudes into the logarithmic display's levels, (max(log10 A, -4) + 4) / 4 in 0..1: four
// cells at a time with SSE2, by the same steps as Log10OrFloor.
void LogDisplay(float* row, int count) {
    int x = 0;
#if defined(__SSE2__)
    const __m128 floor = _mm_set1_ps(1e-4f), one = _mm_set1_ps(1.0f), zero = _mm_setzero_ps();
    const __m128i mantissa = _mm_set1_epi32(0x007FFFFF), unit = _mm_set1_epi32(0x3F800000);
    const __m128i bias = _mm_set1_epi32(127), byte = _mm_set1_epi32(0xFF);
    for (; x + 4 <= count; x += 4) {
        const __m128 v = _mm_loadu_ps(row + x);
        const __m128i bits = _mm_castps_si128(v);
        const __m128i exponent = _mm_sub_epi32(_mm_and_si128(_mm_srli_epi32(bits, 23), byte), bias);
        const __m128 m = _mm_castsi128_ps(_mm_or_si128(_mm_and_si128(bits, mantissa), unit));
        const __m128 t = _mm_div_ps(_mm_sub_ps(m, one), _mm_add_ps(m, one)), t2 = _mm_mul_ps(t, t);
        __m128 series = _mm_set1_ps(2.0f / 9.0f);
        for (float c : {2.0f / 7.0f, 2.0f / 5.0f, 2.0f / 3.0f, 2.0f})
            series = _mm_add_ps(_mm_mul_ps(series, t2), _mm_set1_ps(c));
        series = _mm_mul_ps(series, t);
        const __m128 decade =
            _mm_add_ps(_mm_mul_ps(series, _mm_set1_ps(0.43429448190325182f)),
                       _mm_mul_ps(_mm_cvtepi32_ps(exponent), _mm_set1_ps(0.30102999566398120f)));
        // Below the floor, and no number, the floor: -4, level 0.
        const __m128 above = _mm_cmpge_ps(v, floor);
        __m128 level = _mm_mul_ps(_mm_add_ps(decade, _mm_set1_ps(4.0f)), _mm_set1_ps(0.25f));
        level = _mm_min_ps(_mm_max_ps(level, zero), one);
        _mm_storeu_ps(row + x, _mm_and_ps(above, level));
    }
#endif
    for (; x < count; ++x)
        row[x] = Unit((Log10OrFloor(row[x]) + 4.0f) * 0.25f);
}

int Fail(int status, CSpectralTexture& out) {
    out = CSpectralTexture{};
    return status;
}

int Build(const float* grid, int columns, int rows, int maxTextureSize, FilterType type,
          CSpectralTexture& out) {
    try {
        if (const int status = Place(grid, columns, rows, maxTextureSize, type, out))
            return Fail(status, out);
    } catch (const std::bad_alloc&) {
        return Fail(StsNoMem, out);
    } catch (const std::length_error&) {
        return Fail(StsNoMem, out);
    }
    return StsNoErr;
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
    if (const int status = Build(grid, columns, rows, maxTextureSize, FilterType::Spectrum, out))
        return status;
    const int cx = out.RegionWidth() / 2, cy = out.RegionHeight() / 2;
    float largest = 0.0f;
    out.maxAmplitude = 0.0f;
    out.maxColumn = out.maxRow = -1;
    // The largest off the centre, the first in row order: a row's largest first (a plain pass the
    // compiler keeps branch-free), and its place looked for only in a row that beats the rows before.
    const int w = out.RegionWidth(), h = out.RegionHeight();
    float best = -1.0f;
    for (int y = 0; y < h; ++y) {
        float* row = out.texels.data() + static_cast<std::size_t>(y) * out.width;
        float rowLargest = 0.0f;
        bool finite = true;
        for (int x = 0; x < w; ++x) {
            finite &= std::fabs(row[x]) <= FLT_MAX;
            rowLargest = std::max(rowLargest, row[x]);
        }
        if (!finite) {
            rowLargest = 0.0f;
            for (int x = 0; x < w; ++x) {
                row[x] = Finite(row[x]);
                rowLargest = std::max(rowLargest, row[x]);
            }
        }
        largest = std::max(largest, rowLargest);
        // The centre's own row, and a row whose largest could beat the best, are looked at cell by cell.
        if (y != cy && !(rowLargest > best))
            continue;
        for (int x = 0; x < w; ++x)
            if ((x != cx || y != cy) && row[x] > best) {
                best = row[x];
                out.maxAmplitude = row[x];
                out.maxColumn = x;
                out.maxRow = y;
            }
    }
    out.factor = 1.0f;
    if (logarithmic) {
        for (int y = 0; y < h; ++y)
            LogDisplay(out.texels.data() + static_cast<std::size_t>(y) * out.width, w);
    } else if (largest > 0.0f) {
        const float f = 1.0f / largest;
        out.factor = std::isfinite(f) ? f : 1.0f;
        ForRegion(out, [&](float& v, int, int) { v = Unit(v * out.factor); });
    }
    return StsNoErr;
}

int BuildCorrelation(const float* grid, int columns, int rows, int maxTextureSize, CSpectralTexture& out) {
    if (const int status = Build(grid, columns, rows, maxTextureSize, FilterType::AutoCorrelation, out))
        return status;
    float high = 0.0f, low = FLT_MAX;
    ForRegion(out, [&](float& v, int, int) {
        v = Finite(v);
        high = std::max(high, v);
        low = std::min(low, v);
    });
    const float f = 1.0f / (high - low);
    if (!(high > low) || !std::isfinite(f)) {
        out.factor = 1.0f;
        ForRegion(out, [](float& v, int, int) { v = 0.0f; });
        return StsNoErr;
    }
    out.factor = f;
    ForRegion(out, [&](float& v, int, int) { v = Unit((v - low) * f); });
    return StsNoErr;
}

} // namespace fourier
