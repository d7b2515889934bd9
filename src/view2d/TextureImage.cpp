#include "view2d/TextureImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "processing/Filter.h"
#include "processing/kernels/KernelsSimd.h"

namespace surface {

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
        if constexpr (L == 4) {
            even = __builtin_shuffle(low, high, Ints{0, 2, 4, 6});
            odd = __builtin_shuffle(low, high, Ints{1, 3, 5, 7});
        } else {
            static_assert(L == 8, "four or eight lanes");
            even = __builtin_shuffle(low, high, Ints{0, 2, 4, 6, 8, 10, 12, 14});
            odd = __builtin_shuffle(low, high, Ints{1, 3, 5, 7, 9, 11, 13, 15});
        }
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

void Empty(CTextureImage& out) {
    doc::TGrid<float>().swap(out.texels);
    out.grid = nullptr;
    out.columns = out.rows = 0;
    out.width = out.height = 0;
    out.uMax = out.vMax = 0.0f;
    out.resampled = false;
}

void Filter(float* texels, int columns, int rows, doc::FilterType type) {
    if (type == doc::FilterType::None)
        return;
    doc::CFilter filter;
    filter.type = type;
    filter.Apply(texels, columns, rows); // a failure leaves the texels as they were
}

// The columns x rows samples, packed at the start of a width-wide texture, spread to their rows (last
// row first, so that no row is overwritten before it has moved), and the padding filled with the
// last column and the last row.
void SpreadAndPad(float* texels, int columns, int rows, int width, int height) {
    const std::size_t w = static_cast<std::size_t>(width);
    for (int i = rows - 1; i >= 0; --i) {
        float* row = texels + i * w;
        if (columns != width)
            std::memmove(row, texels + static_cast<std::size_t>(i) * columns, sizeof(float) * columns);
        const float edge = row[columns - 1];
        for (int x = columns; x < width; ++x)
            row[x] = edge;
    }
    const float* last = texels + static_cast<std::size_t>(rows - 1) * w;
    for (int i = rows; i < height; ++i)
        std::memcpy(texels + i * w, last, sizeof(float) * w);
}

} // namespace

int TextureSide(int count, int maxSize) {
    int cap = 2;
    while (cap <= maxSize / 2)
        cap *= 2;
    int side = 2;
    while (side < count && side < cap)
        side *= 2;
    return side;
}

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

bool BuildTexture(const float* grid, int columns, int rows, doc::FilterType filter, int maxTextureSize,
                  const Resampler& resample, CTextureImage& out, Unfiltered unfiltered) {
    if (!grid || columns < 1 || rows < 1) {
        Empty(out);
        return false;
    }
    const int width = TextureSide(columns, maxTextureSize);
    const int height = TextureSide(rows, maxTextureSize);
    const bool fits = columns <= width && rows <= height;
    out.width = width;
    out.height = height;
    out.columns = columns;
    out.rows = rows;
    out.uMax = fits ? static_cast<float>(columns) / static_cast<float>(width) : 1.0f;
    out.vMax = fits ? static_cast<float>(rows) / static_cast<float>(height) : 1.0f;
    out.resampled = !fits;
    if (fits && filter == doc::FilterType::None && unfiltered == Unfiltered::kInPlace) {
        doc::TGrid<float>().swap(out.texels);
        out.grid = grid;
        return true;
    }
    out.grid = nullptr;
    try {
        out.texels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        float* texels = out.texels.data();
        if (!fits) {
            const bool scaled = resample ? resample(grid, columns, rows, texels, width, height)
                                         : ScaleImage(grid, columns, rows, texels, width, height);
            if (!scaled) {
                Empty(out);
                return false;
            }
            Filter(texels, width, height, filter);
            return true;
        }
        std::memcpy(texels, grid, sizeof(float) * static_cast<std::size_t>(columns) * rows);
        Filter(texels, columns, rows, filter);
        SpreadAndPad(texels, columns, rows, width, height);
        return true;
    } catch (const std::bad_alloc&) {
        Empty(out);
        return false;
    } catch (const std::length_error&) {
        Empty(out);
        return false;
    }
}

std::vector<float> Levels(const CTextureImage& image) {
    if (!image.grid)
        return std::vector<float>(image.texels.begin(), image.texels.end());
    std::vector<float> levels(static_cast<std::size_t>(image.width) * image.height);
    std::memcpy(levels.data(), image.grid,
                sizeof(float) * static_cast<std::size_t>(image.columns) * image.rows);
    SpreadAndPad(levels.data(), image.columns, image.rows, image.width, image.height);
    return levels;
}

void TransferRows(const CTextureImage& image, const color::CTransfer& transfer, int first, int count,
                  std::uint8_t* bgra) {
    const std::size_t width = static_cast<std::size_t>(image.width), line = 4 * width;
    if (!image.grid) {
        transfer.Bgra(image.texels.data() + first * width, count * width, bgra);
        return;
    }
    const std::size_t columns = static_cast<std::size_t>(image.columns);
    const int end = first + count, inside = std::min(end, image.rows);
    int y = first;
    // Rows as wide as the texture lie one after another in the grid: one call takes them all.
    if (columns == width && y < inside) {
        transfer.Bgra(image.grid + y * columns, (inside - y) * columns, bgra);
        y = inside;
    }
    auto surfaceRow = [&](int row, std::uint8_t* out) {
        transfer.Bgra(image.grid + row * columns, columns, out);
        const std::uint8_t* edge = out + 4 * (columns - 1);
        for (std::size_t x = columns; x < width; ++x)
            std::memcpy(out + 4 * x, edge, 4);
    };
    for (; y < inside; ++y)
        surfaceRow(y, bgra + (y - first) * line);
    // Below the surface its last row repeats.
    for (; y < end; ++y) {
        std::uint8_t* out = bgra + (y - first) * line;
        if (y == first)
            surfaceRow(image.rows - 1, out);
        else
            std::memcpy(out, out - line, line);
    }
}

} // namespace surface
