#include "processing/Preprocessor.h"

#include <algorithm>

namespace doc {

namespace {
// Scales every cell by (v - offset) / span into [0, 1]. A span of zero (a flat grid) has no scale:
// the grid becomes 0 everywhere and the factor is 1.
double Stretch(std::vector<float>& grid, float offset, float span) {
    if (!(span > 0.0f)) {
        std::fill(grid.begin(), grid.end(), 0.0f);
        return 1.0;
    }
    const float scale = 1.0f / span;
    for (float& v : grid) {
        float s = (v - offset) * scale;
        s = s < 0.0f ? 0.0f : s;
        v = s > 1.0f ? 1.0f : s;
    }
    return span;
}
} // namespace

double CPreprocessor::Run(const std::int16_t* raw, int columns, int rows, std::vector<float>& out, int& outColumns,
                          int& outRows) const {
    const long long c = static_cast<long long>(columns) - left - right;
    const long long r = static_cast<long long>(rows) - top - bottom;
    if (!raw || c <= 0 || r <= 0 || left < 0 || top < 0 || right < 0 || bottom < 0) {
        out.clear();
        outColumns = outRows = 0;
        return 1.0;
    }
    outColumns = static_cast<int>(c);
    outRows = static_cast<int>(r);
    out.resize(static_cast<std::size_t>(c) * static_cast<std::size_t>(r));
    float lowest = raw[static_cast<std::size_t>(top) * columns + left];
    float highest = lowest;
    for (long long i = 0; i < r; ++i) {
        const std::int16_t* line = raw + static_cast<std::size_t>(i + top) * columns + left;
        float* dst = out.data() + static_cast<std::size_t>(i) * c;
        for (long long j = 0; j < c; ++j) {
            const float v = line[j];
            dst[j] = v;
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
    }

    float offset = lowest;
    float span = highest - lowest;
    // The automatic range leaves out a border of two cells and about 0.2 % of the values at each end,
    // then widens what is left by an eighth on each side. A grid too small for the border falls back
    // to its whole extent.
    if (range == 0.0f && c > 4 && r > 4) {
        std::vector<float> sorted;
        sorted.reserve(static_cast<std::size_t>((c - 4) * (r - 4)));
        for (long long i = 2; i < r - 2; ++i)
            sorted.insert(sorted.end(), out.begin() + i * c + 2, out.begin() + i * c + c - 2);
        const std::size_t n = sorted.size();
        const std::size_t loAt = n / 512;
        const std::size_t hiAt = n - n / 512 - 1;
        std::nth_element(sorted.begin(), sorted.begin() + loAt, sorted.end());
        const float lo = sorted[loAt];
        std::nth_element(sorted.begin() + loAt, sorted.begin() + hiAt, sorted.end());
        const float hi = sorted[hiAt];
        const float margin = (hi - lo) * 0.125f;
        offset = lo - margin;
        span = (hi + margin) - offset;
    }
    return Stretch(out, offset, span);
}

} // namespace doc
