#pragma once
// Neighbourhood kernels over a grid, one band of rows at a time. Each band is converted into the
// kernel's cells with its border (the edge cells repeated outwards) in a buffer small enough to stay
// in the processor's cache, and the kernel writes the band's output rows. Every output cell sees the
// same neighbourhood as in one bordered copy of the whole grid, so the results are the same, without
// the whole-grid temporaries.
//
// The output may be the grid itself: the rows of the border above a band, which the band before it
// has already overwritten, are carried over from that band's buffer, and every other row is read
// before any band writes it.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>

#include "processing/Busy.h"
#include "processing/Quantise.h"
#include "processing/Scratch.h"
#include "processing/kernels/Kernels.h"

namespace doc {

// The cells a kernel reaches beyond the output cell on each side.
struct CMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The byte step of a row of width cells, as the kernels' own images pad them (a multiple of 32), or 0
// when it does not fit their int steps.
template <typename Cell> int BandStep(long long width) {
    const long long step = (width * static_cast<long long>(sizeof(Cell)) + 31) / 32 * 32;
    return width > 0 && step <= INT_MAX ? static_cast<int>(step) : 0;
}

// Row k of a band buffer whose rows are step bytes apart.
template <typename Cell> const Cell* BandRow(const Cell* band, int step, int k) {
    return reinterpret_cast<const Cell*>(reinterpret_cast<const unsigned char*>(band) +
                                         static_cast<std::size_t>(k) * static_cast<std::size_t>(step));
}

// Output rows per band: the bordered input band near 256 KiB, at least 8 rows.
inline int BandRows(int rowBytes, const CMargins& m, int rows) {
    constexpr long long kBandBytes = 256 * 1024;
    const long long fit = kBandBytes / std::max(rowBytes, 1) - m.top - m.bottom;
    return static_cast<int>(std::min<long long>(std::max<long long>(fit, 8), rows));
}

// Runs band over src (columns x rows floats, row-major) band by band and returns the first status
// other than kern::StsNoErr, or StsNoMem when the scratch has no memory for the band (before any
// output is written). load(const float* row, Cell* cells) converts one source row into columns cells;
// band(const Cell* origin, int step, int first, int count) runs the kernel on output rows first ...
// first + count - 1, origin being the band's cell of output (0, first) with the border around it.
// Uses the scratch's slot 0.
template <typename Cell, typename Load, typename Band>
int RunBands(const float* src, int columns, int rows, const CMargins& m, CScratch& scratch, Load load,
             Band band) {
    if (!src)
        return kern::StsNullPtr;
    if (columns <= 0 || rows <= 0 || m.left < 0 || m.top < 0 || m.right < 0 || m.bottom < 0)
        return kern::StsSize;
    const long long width = static_cast<long long>(columns) + m.left + m.right;
    const int step = BandStep<Cell>(width);
    if (step == 0 || static_cast<long long>(m.top) + m.bottom > INT_MAX / 2)
        return kern::StsNoMem;
    const int height = BandRows(step, m, rows);
    const int carried = m.top + m.bottom;
    const std::size_t bandRows = static_cast<std::size_t>(height) + static_cast<std::size_t>(carried);
    auto* buffer = static_cast<unsigned char*>(scratch.Take(0, bandRows * static_cast<std::size_t>(step)));
    if (!buffer)
        return kern::StsNoMem;
    auto row = [&](long long k) {
        return reinterpret_cast<Cell*>(buffer + static_cast<std::size_t>(k) * step);
    };
    // Source row i into band row k, with its left and right border.
    auto fill = [&](long long i, long long k) {
        const long long clamped = std::clamp<long long>(i, 0, rows - 1);
        Cell* cells = row(k);
        load(src + static_cast<std::size_t>(clamped) * static_cast<std::size_t>(columns), cells + m.left);
        std::fill_n(cells, m.left, cells[m.left]);
        std::fill_n(cells + m.left + columns, m.right, cells[m.left + columns - 1]);
    };

    long long loaded = 0; // band rows holding input already
    for (int first = 0; first < rows; first += height) {
        const int count = std::min(height, rows - first);
        // Input rows first - top ... first + count + bottom - 1; the first `loaded` of them are in place.
        for (long long k = loaded; k < count + carried; ++k)
            fill(first - m.top + k, k);
        busy::Tick();
        const int status = band(row(m.top) + m.left, step, first, count);
        if (status != kern::StsNoErr)
            return status;
        // The next band starts `count` input rows further on: its first rows are this band's last.
        if (first + count < rows && carried > 0)
            std::memmove(row(0), row(count), static_cast<std::size_t>(carried) * step);
        loaded = carried;
    }
    return kern::StsNoErr;
}

// RunBands on the 16-bit counts of the cells: each source row is quantised on its way in,
// kernel(const std::int16_t* origin, int step, std::int16_t* out, int outStep, kern::KSize roi) writes a
// band's counts into a buffer of the scratch, and they come back into dst's rows as floats plus add.
// dst may be src. Uses the scratch's slots 0 and 1.
template <typename Kernel>
int RunQuantisedBands(const float* src, float* dst, int columns, int rows, const CMargins& m,
                      CScratch& scratch, float add, Kernel kernel) {
    const int outStep = BandStep<std::int16_t>(columns);
    const int inStep = BandStep<std::int16_t>(static_cast<long long>(columns) + m.left + m.right);
    if (outStep == 0 || inStep == 0)
        return kern::StsNoMem;
    const std::size_t outRows = static_cast<std::size_t>(BandRows(inStep, m, rows));
    auto* out = static_cast<std::int16_t*>(scratch.Take(1, outRows * static_cast<std::size_t>(outStep)));
    if (!out)
        return kern::StsNoMem;
    return RunBands<std::int16_t>(
        src, columns, rows, m, scratch,
        [columns](const float* row, std::int16_t* cells) { QuantiseRow(row, cells, columns); },
        [&](const std::int16_t* origin, int step, int first, int count) {
            const int status = kernel(origin, step, out, outStep, kern::KSize{columns, count});
            if (status == kern::StsNoErr)
                for (int k = 0; k < count; ++k)
                    UnquantiseRow(BandRow(out, outStep, k),
                                  dst +
                                      static_cast<std::size_t>(first + k) * static_cast<std::size_t>(columns),
                                  columns, add);
            return status;
        });
}

} // namespace doc
