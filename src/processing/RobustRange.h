#pragma once
// The range of a set of values that leaves out about 0.2 % at each end and widens what is left by an
// eighth on each side, and the stretch of a grid onto [0, 1] by such a range.
#include <cstddef>

namespace doc {

struct CRange {
    float offset;
    float span;
};

// values (n of them, at least one) are reordered.
CRange RobustRange(float* values, std::size_t n);
// The positions in the sorted order of n values (n at least one) of the low and high ends that
// RobustRange keeps, and the range it makes of the values found there.
inline std::size_t RobustLowAt(std::size_t n) {
    return n / 512;
}
inline std::size_t RobustHighAt(std::size_t n) {
    return n - n / 512 - 1;
}
CRange WidenedRange(float lo, float hi);

// Every cell becomes (v - offset) / span clamped to [0, 1]. A span that is not positive and finite has
// nothing to stretch by: every cell becomes 0 and false is returned.
bool StretchToUnit(float* grid, std::size_t n, CRange range);

} // namespace doc
