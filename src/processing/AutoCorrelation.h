#pragma once
// The circular auto-correlation of the correlation window.
#include <vector>

namespace doc {

// The side of the grid the correlation is computed on: the region's, at most kCorrelationSide.
constexpr int kCorrelationSide = 64;

// columns x rows cells from src into dst (which may be src). The region is resampled (ScaleImage) to
// ws x hs = min(columns, 64) x min(rows, 64) cells a, heights as they are; then
//   K(p, q) = (1 / E) sum_y sum_x a((x + ws/2) mod ws, (y + hs/2) mod hs) a((x + p) mod ws, (y + q) mod hs)
// with E = sum a^2, the correlation at the lag (p - ws/2, q - hs/2), so that the zero lag sits at
// (ws/2, hs/2) with the value 1 exactly; K is resampled back to columns x rows. A region of no energy
// (E = 0, or not finite) correlates as 0 everywhere. Returns a kern status; on any other than 0 dst
// is left as it was.
int AutoCorrelation(const float* src, float* dst, int columns, int rows);

// K alone, before it is resampled back: ws x hs values into k, row-major. For a caller that enlarges
// K itself (ScaleImageRows) as it reads it. The same statuses; on a failure k is empty.
int CorrelationCells(const float* src, int columns, int rows, std::vector<float>& k, int& ws, int& hs);

} // namespace doc
