#include "processing/RobustRange.h"

#include <algorithm>
#include <cmath>

namespace doc {

CRange RobustRange(float* values, std::size_t n) {
    // Only two elements of the sorted order are wanted; selecting them gives the same values.
    const std::size_t loAt = RobustLowAt(n), hiAt = RobustHighAt(n);
    std::nth_element(values, values + loAt, values + n);
    const float lo = values[loAt];
    std::nth_element(values + loAt, values + hiAt, values + n);
    return WidenedRange(lo, values[hiAt]);
}

CRange WidenedRange(float lo, float hi) {
    const float margin = (hi - lo) * 0.125f;
    const float offset = lo - margin;
    return CRange{offset, (hi + margin) - offset};
}

bool StretchToUnit(float* grid, std::size_t n, CRange range) {
    if (!(range.span > 0.0f) || !std::isfinite(range.span)) {
        std::fill(grid, grid + n, 0.0f);
        return false;
    }
    const float scale = 1.0f / range.span;
    for (std::size_t i = 0; i < n; ++i)
        grid[i] = std::min(std::max((grid[i] - range.offset) * scale, 0.0f), 1.0f);
    return true;
}

} // namespace doc
