#include "view2d/TextureImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "processing/Filter.h"
#include "processing/ScaleImage.h"

namespace surface {

namespace {

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
    return doc::ScaleImage(in, columns, rows, out, outWidth, outHeight);
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
