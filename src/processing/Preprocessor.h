#pragma once
// The opening stage of the correction chain: crop the raw counts, convert them to floats and
// normalise them into [0, 1].
#include <cstdint>

#include "processing/GridAllocator.h"

namespace doc {

class CPreprocessor {
public:
    // Crop margins in cells.
    int left = 0, top = 0, right = 0, bottom = 0;
    // The raw counts of the instrument's full scale; 0 chooses the span from the data.
    float range = 0.0f;

    void SetMargins(int l, int t, int r, int b) {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }

    // Crops and converts raw (columns x rows) into out (replaced), sets outColumns and outRows, and
    // normalises it; returns the span in raw counts that 1.0 stands for.
    // - A fixed range maps the smallest count to 0 and the largest to 1.
    // - The automatic range leaves out a border of two cells and about 0.2 % of the values at each end,
    //   then widens what is left by an eighth on each side; values beyond are clamped. A grid with
    //   fewer than 5 rows or columns has no inner values and falls back to its whole extent.
    // - A flat grid has no span: it becomes 0 everywhere, with the factor 1.
    // - A crop that leaves nothing gives 0 x 0 cells and the factor 1.
    double Run(const std::int16_t* raw, int columns, int rows, TGrid<float>& out, int& outColumns,
               int& outRows) const;
};

} // namespace doc
