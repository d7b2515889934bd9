#pragma once
// The height histogram and the bearing (material ratio) curve of a surface, for any number of bins or
// levels, without sorting the heights.
//
// Both graphs are defined by a walk over the sorted heights: a bin takes the heights strictly below
// its upper edge, the edges advanced by repeated addition of the bin width in double; a level counts
// the heights at or below it. What the walk gives is a count of heights below a threshold for each
// edge. Prepare keeps the heights and a fine histogram of them (buckets whose index grows with the
// height); a count below a threshold is then the heights of the buckets before the threshold's one,
// plus those of its own bucket that lie below it, found in one pass over the heights for all the
// thresholds of both graphs. So a new bin or level count, on every pixel of a window's resize, costs
// one read of the heights and no sort, and gives exactly what the walk gives.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/phSize.h"
#include "processing/GridAllocator.h"

namespace statist {

// The histogram of n bins over -U .. U.
struct CHistogramBins {
    float halfRange = 0.0f; // U
    double binWidth = 0.0;  // D = 2U / n
    double largest = 0.0;   // F, the largest fraction (0 without bins)
    // Per bin: its share of all heights, and its line from (lower edge, 0) to (lower edge, share).
    std::vector<double> fractions;
    std::vector<float> lines;
};

// The bearing curve of m levels over 0 .. R.
struct CBearingLevels {
    float range = 0.0f; // R, highest less lowest height
    // Per level: the share of heights above it, and its line from (0, A) to (share, A).
    std::vector<double> fractions;
    std::vector<float> lines;
};

class CHeightDistribution {
public:
    // Takes the heights of a grid (values in 0..1), or with adjustPlane their residuals about the
    // mean plane (see MeanPlaneResiduals). Replaces what was prepared before.
    void Prepare(const float* grid, int columns, int rows, bool adjustPlane);
    void Clear();
    bool Empty() const { return m_heights.empty(); }
    std::size_t Points() const { return m_heights.size(); }
    bool AdjustPlane() const { return m_bAdjust; }

    // The histogram's heights are the grid's less 0.5 (or the residuals), the bins symmetric about 0.
    CHistogramBins Histogram(int bins) const;
    // The bearing curve's heights are the grid's (or the residuals) less the lowest of them.
    CBearingLevels Bearing(int levels) const;
    // Both at once, in one pass over the heights; a count of 0 leaves that graph empty.
    void Compute(int bins, int levels, CHistogramBins* histogram, CBearingLevels* bearing) const;

    // How many prepared heights lie below each threshold (ascending), exactly.
    std::vector<std::size_t> CountBelow(const std::vector<float>& thresholds) const;

private:
    // The fine histogram's bucket of a height; grows with the height.
    std::uint32_t Bucket(float v) const;
    // The buckets of n heights.
    void Buckets(const float* v, std::size_t n, std::uint32_t* out) const;
    // The histogram's and the bearing curve's value of a prepared height.
    float HistogramValue(float h) const { return m_bAdjust ? h : h - 0.5f; }
    float BearingValue(float h) const { return h - m_lowest; }

    doc::TGrid<float> m_heights;
    bool m_bAdjust = false;
    float m_lowest = 0.0f;
    float m_highest = 0.0f;
    float m_scale = 0.0f; // buckets per height unit
    std::vector<std::uint32_t> m_counts;
    std::vector<std::uint64_t> m_before; // heights in the buckets before each one
};

// "Height histogram (∆H = 1.23 nm)": the bin width in the units of the surface's range.
std::wstring HistogramCaption(const ph::Size& range, const CHistogramBins& bins);
// "Bearing curve (Hmax = 12.3 nm)": the highest less the lowest height.
std::wstring BearingCaption(const ph::Size& range, const CBearingLevels& levels);

} // namespace statist
