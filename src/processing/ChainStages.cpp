#include "processing/ChainStages.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <new>
#include <vector>

namespace doc {

namespace {

constexpr double kE = 2.718281828459045;

std::size_t CellCount(int columns, int rows) {
    if (columns <= 0 || rows <= 0)
        return 0;
    return static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
}

// The reductions keep eight independent lanes: the compiler neither reorders floating-point operations
// to vectorise a reduction nor hides their latency otherwise.
constexpr std::size_t kLanes = 8;

void MinMax(const float* v, std::size_t n, float& lo, float& hi) {
    float l[kLanes], h[kLanes];
    std::fill(l, l + kLanes, v[0]);
    std::fill(h, h + kLanes, v[0]);
    std::size_t i = 0;
    for (; i + kLanes <= n; i += kLanes)
        for (std::size_t k = 0; k < kLanes; ++k) {
            l[k] = v[i + k] < l[k] ? v[i + k] : l[k];
            h[k] = v[i + k] > h[k] ? v[i + k] : h[k];
        }
    for (; i < n; ++i) {
        l[0] = std::min(l[0], v[i]);
        h[0] = std::max(h[0], v[i]);
    }
    lo = *std::min_element(l, l + kLanes);
    hi = *std::max_element(h, h + kLanes);
}

double Sum(const float* v, std::size_t n) {
    double s[kLanes] = {};
    std::size_t i = 0;
    for (; i + kLanes <= n; i += kLanes)
        for (std::size_t k = 0; k < kLanes; ++k)
            s[k] += v[i + k];
    for (; i < n; ++i)
        s[0] += v[i];
    return ((s[0] + s[1]) + (s[2] + s[3])) + ((s[4] + s[5]) + (s[6] + s[7]));
}

// The element-wise loops below run most of their cells in a loop whose trip count is a multiple of 8,
// set outside any row loop: the compiler then vectorises it without a scalar remainder of its own.
std::size_t WholeBlocks(std::size_t n) {
    return n & ~static_cast<std::size_t>(7);
}

// v[k] = cell(v[k]) for k = 0 ... n - 1.
template <typename Cell> void MapCells(float* v, std::size_t n, Cell cell) {
    const std::size_t body = WholeBlocks(n);
    for (std::size_t k = 0; k < body; ++k)
        v[k] = cell(v[k]);
    for (std::size_t k = body; k < n; ++k)
        v[k] = cell(v[k]);
}

// Adds lift[i] to every cell of row i, in double; rows with nothing to add are not touched.
void LiftRows(float* grid, std::size_t w, std::size_t h, const double* lift) {
    const std::size_t body = WholeBlocks(w);
    for (std::size_t i = 0; i < h; ++i) {
        const double add = lift[i];
        if (add == 0.0)
            continue;
        float* row = grid + i * w;
        for (std::size_t j = 0; j < body; ++j)
            row[j] = static_cast<float>(row[j] + add);
        for (std::size_t j = body; j < w; ++j)
            row[j] = static_cast<float>(row[j] + add);
    }
}

// Adds lift[j] to every cell of column j, in double.
void LiftColumns(float* grid, std::size_t w, std::size_t h, const double* lift) {
    const std::size_t body = WholeBlocks(w);
    for (std::size_t i = 0; i < h; ++i) {
        float* row = grid + i * w;
        for (std::size_t j = 0; j < body; ++j)
            row[j] = static_cast<float>(row[j] + lift[j]);
        for (std::size_t j = body; j < w; ++j)
            row[j] = static_cast<float>(row[j] + lift[j]);
    }
}

// For each of `count` columns, the k-th smallest of the `length` values value(j, i). Each column's
// values must be gathered into a buffer for the selection anyway; doing it for a block of columns at
// a time reads the grid row by row instead of striding through it once per column.
template <typename Value>
void SelectPerColumn(std::size_t count, std::size_t length, std::size_t k, float* out, Value value) {
    constexpr std::size_t kBlock = 32;
    std::vector<float> buffer(std::min(count, kBlock) * length);
    for (std::size_t j0 = 0; j0 < count; j0 += kBlock) {
        const std::size_t n = std::min(kBlock, count - j0);
        for (std::size_t i = 0; i < length; ++i)
            for (std::size_t b = 0; b < n; ++b)
                buffer[b * length + i] = value(j0 + b, i);
        for (std::size_t b = 0; b < n; ++b) {
            float* slice = buffer.data() + b * length;
            std::nth_element(slice, slice + k, slice + length);
            out[j0 + b] = slice[k];
        }
    }
}

void FlattenRows(float* grid, std::size_t w, std::size_t h) {
    std::vector<float> diff(w);
    std::vector<float> offsets(h - 1);
    for (std::size_t i = 0; i + 1 < h; ++i) {
        const float* upper = grid + i * w;
        const float* lower = upper + w;
        for (std::size_t j = 0; j < w; ++j)
            diff[j] = upper[j] - lower[j];
        std::nth_element(diff.begin(), diff.begin() + w / 2, diff.end());
        offsets[i] = diff[w / 2];
    }
    std::vector<double> lift(h);
    double sum = 0.0;
    lift[0] = 0.0;
    for (std::size_t r = 1; r < h; ++r) {
        sum += offsets[r - 1];
        lift[r] = sum;
    }
    LiftRows(grid, w, h, lift.data());
}

void FlattenColumns(float* grid, std::size_t w, std::size_t h) {
    std::vector<float> offsets(w - 1);
    SelectPerColumn(w - 1, h, h / 2, offsets.data(),
                    [&](std::size_t j, std::size_t i) { return grid[j + i * w] - grid[j + 1 + i * w]; });
    std::vector<double> lift(w);
    double sum = 0.0;
    lift[0] = 0.0;
    for (std::size_t k = 1; k < w; ++k) {
        sum += offsets[k - 1];
        lift[k] = sum;
    }
    LiftColumns(grid, w, h, lift.data());
}

void EliminateJumpsIn(float* grid, std::size_t w, std::size_t h) {
    auto row = [&](std::size_t i) { return grid + i * w; };

    // The last column takes no part in the typical step.
    std::vector<float> steps(w - 1);
    SelectPerColumn(w - 1, h - 1, (h - 1) / 2, steps.data(), [&](std::size_t j, std::size_t i) {
        return std::fabs(grid[j + i * w] - grid[j + (i + 1) * w]);
    });
    std::nth_element(steps.begin(), steps.begin() + (w - 1) / 2, steps.end());
    const double threshold = steps[(w - 1) / 2] * kE;

    std::vector<double> means(h);
    for (std::size_t i = 0; i < h; ++i)
        means[i] = Sum(row(i), w) / static_cast<double>(w);

    // Every row is lifted by the sum of the jumps up to it.
    std::vector<std::size_t> jumps;
    std::vector<double> lift(h);
    double offset = 0.0;
    lift[0] = 0.0;
    for (std::size_t i = 1; i < h; ++i) {
        const double d = means[i - 1] - means[i];
        if (std::fabs(d) > threshold) {
            offset += d;
            jumps.push_back(i);
        }
        lift[i] = offset;
    }
    LiftRows(grid, w, h, lift.data());

    // The rows at a step were scanned while the offset changed; they are rebuilt from their neighbours.
    for (std::size_t q = 0; q < jumps.size();) {
        const std::size_t first = jumps[q++];
        std::size_t next = first + 1;
        while (q < jumps.size() && jumps[q] == next) {
            ++q;
            ++next;
        }
        const float* before = row(first - 1);
        if (next == h) {
            // No row after the run to interpolate towards: the nearest good row stands in for it.
            for (std::size_t r = first; r < h; ++r)
                std::copy(before, before + w, row(r));
            break;
        }
        const float* after = row(next);
        const double parts = static_cast<double>(next - (first - 1));
        float* target = row(first);
        for (std::size_t k = 0; k < w; ++k)
            target[k] = static_cast<float>(before[k] + (static_cast<double>(after[k]) - before[k]) / parts);
        for (std::size_t r = first + 1; r < next; ++r)
            std::copy(target, target + w, row(r));
    }
}

} // namespace

double FitToUnit(float* grid, int columns, int rows) {
    const std::size_t n = CellCount(columns, rows);
    if (!grid || n == 0)
        return 1.0;
    float lo, hi;
    MinMax(grid, n, lo, hi);
    const double d = static_cast<double>(hi) - lo;
    if (d > 1.0) {
        // No clamp needed: v - lo never exceeds d, so in double the product exceeds 1 by at most two
        // roundings, which the conversion to float rounds back to 1; and it is never negative.
        const double scale = 1.0 / d, offset = lo;
        MapCells(grid, n, [=](float v) { return static_cast<float>((v - offset) * scale); });
        return d;
    }
    const double shift = 0.5 - (lo + d / 2);
    if (std::fabs(shift) > 0.0625 || lo < 0.0f || hi > 1.0f)
        MapCells(grid, n, [=](float v) { return static_cast<float>(v + shift); });
    return 1.0;
}

double Normalize(float* grid, int columns, int rows, CNormalizeState& state) {
    const std::size_t n = grid ? CellCount(columns, rows) : 0;
    if (state.pending) {
        if (n == 0)
            return 1.0;
        float lo, hi;
        MinMax(grid, n, lo, hi);
        const double span = static_cast<double>(hi) - lo;
        state.offset = lo;
        // A flat grid has nothing to stretch: it is only moved to 0, and later runs leave it alone.
        state.span = span > 0.0 ? span : 1.0;
        state.pending = false;
    } else if (state.span == 1.0 || !(state.span > 0.0)) {
        return 1.0;
    }
    // A later run may meet values far outside what the span was measured on; a tiny span must not turn
    // them into infinities.
    const double offset = state.offset, span = state.span;
    const double limit = FLT_MAX;
    MapCells(grid, n, [=](float v) {
        return static_cast<float>(std::min(std::max((v - offset) / span, -limit), limit));
    });
    return span;
}

void EliminateJumps(float* grid, int columns, int rows) {
    if (!grid || columns < 2 || rows < 2)
        return;
    try {
        EliminateJumpsIn(grid, static_cast<std::size_t>(columns), static_cast<std::size_t>(rows));
    } catch (const std::bad_alloc&) {
        // Every buffer is taken before the first cell changes: the grid stays as it was.
    }
}

void Flatten(float* grid, int columns, int rows, int mode) {
    if (!grid || columns < 2 || rows < 2 || mode < 1 || mode > 3)
        return;
    const std::size_t w = static_cast<std::size_t>(columns), h = static_cast<std::size_t>(rows);
    try {
        if (mode & 1)
            FlattenRows(grid, w, h);
        if (mode & 2)
            FlattenColumns(grid, w, h);
    } catch (const std::bad_alloc&) {
        // Each pass takes its buffers before it changes a cell; a pass without them is skipped.
    }
}

} // namespace doc
