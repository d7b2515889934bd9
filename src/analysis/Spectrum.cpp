#include "analysis/Spectrum.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
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
    out.texels.assign(static_cast<std::size_t>(out.width) * out.height, 0.0f);
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
    ForRegion(out, [&](float& v, int x, int y) {
        v = Finite(v);
        largest = std::max(largest, v);
        if ((x != cx || y != cy) && (out.maxColumn < 0 || v > out.maxAmplitude)) {
            out.maxAmplitude = v;
            out.maxColumn = x;
            out.maxRow = y;
        }
    });
    out.factor = 1.0f;
    if (logarithmic) {
        ForRegion(out, [](float& v, int, int) {
            const float decade = v > 0.0f ? std::max(std::log10(v), -4.0f) : -4.0f;
            v = Unit((decade + 4.0f) * 0.25f);
        });
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
