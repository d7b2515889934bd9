#pragma once
// The textures of the spectrum and auto-correlation windows: the processed surface through the
// spectrum's or the correlation's filter into a power-of-two grid, scaled for display. The windows
// upload what this makes and vantri-cli prints it: one place decides how.
#include <vector>

#include "processing/GridAllocator.h"

namespace fourier {

struct CSpectralTexture {
    // width x height, row-major, every value finite and in [0, 1]. A build reuses the buffer it finds.
    doc::TGrid<float> texels;
    int width = 0, height = 0; // texture size
    int columns = 0, rows = 0; // the surface's size
    float uMax = 0, vMax = 0;  // texture-coordinate extents of the filtered region
    bool resampled = false;    // the surface was resampled into the whole texture
    // What the display scaling multiplied by: 1 / largest amplitude (linear spectrum), 1 / (max - min)
    // (correlation), 1 for the logarithmic spectrum and for a region with nothing to scale.
    float factor = 1;
    // Correlation only: the region's lowest value, which shows as 0; a texel's value is lowest +
    // texel / factor.
    float lowest = 0;
    // Spectrum only: the largest amplitude before display scaling among the region's cells other than
    // the zero frequency's (regionWidth / 2, regionHeight / 2), and its cell (column, row) in the
    // centred region, the first in row order on a tie; -1, -1 and 0 when the region has no other cell.
    float maxAmplitude = 0;
    int maxColumn = -1, maxRow = -1;
    // The region's size: columns x rows, or width x height when resampled.
    int RegionWidth() const { return resampled ? width : columns; }
    int RegionHeight() const { return resampled ? height : rows; }
};

// Smallest power of two >= count starting from 2, limited to maxSize (a maxSize that is no power of
// two counts as the one below it, one below 2 as 2).
int TextureSide(int count, int maxSize);

// The texture of the amplitude spectrum. logarithmic: a cell shows (max(log10 A, -4) + 4) / 4, so
// amplitudes 1e-4 .. 1 span the levels and anything smaller (0 too) is black; else A / (largest A),
// an all-zero spectrum (a flat surface at 0.5) staying black with factor 1. Returns a kern status
// (0 for success); on a failure out is emptied.
int BuildSpectrum(const float* grid, int columns, int rows, int maxTextureSize, bool logarithmic,
                  CSpectralTexture& out);

// The texture of the auto-correlation: a cell shows (K - min) / (max - min) over the region; a
// constant correlation (max = min) shows black with factor 1.
int BuildCorrelation(const float* grid, int columns, int rows, int maxTextureSize, CSpectralTexture& out);

} // namespace fourier
