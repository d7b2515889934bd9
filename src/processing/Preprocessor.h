#pragma once
// The opening stage of the correction chain: crop the raw counts, convert them to floats and
// normalise them into [0, 1].
#include <cstdint>
#include <vector>

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
    // normalises it; returns the span in raw counts that 1.0 stands for. A grid left empty by the crop
    // gives 0 x 0 cells and the factor 1.
    double Run(const std::int16_t* raw, int columns, int rows, std::vector<float>& out, int& outColumns,
               int& outRows) const;
};

} // namespace doc
