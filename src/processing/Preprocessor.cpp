#include "processing/Preprocessor.h"

#include "processing/RobustRange.h"

#include <algorithm>

namespace doc {

namespace {

// (v - offset) / span, clamped to [0, 1]; written so that the compiler vectorises it.
inline float Unit(float v, float offset, float scale) {
    const float s = (v - offset) * scale;
    return std::min(std::max(s, 0.0f), 1.0f);
}

} // namespace

double CPreprocessor::Run(const std::int16_t* raw, int columns, int rows, TGrid<float>& out, int& outColumns,
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
    auto line = [&](long long i) { return raw + static_cast<std::size_t>(i + top) * columns + left; };

    const bool automatic = range == 0.0f && c > 4 && r > 4;
    if (!automatic) {
        // The extremes are taken on the counts, then one pass converts and scales.
        std::int16_t lowest = line(0)[0], highest = lowest;
        for (long long i = 0; i < r; ++i) {
            const std::int16_t* src = line(i);
            for (long long j = 0; j < c; ++j) {
                lowest = std::min(lowest, src[j]);
                highest = std::max(highest, src[j]);
            }
        }
        const float offset = lowest;
        const float span = static_cast<float>(highest) - offset;
        if (!(span > 0.0f)) {
            std::fill(out.begin(), out.end(), 0.0f);
            return 1.0;
        }
        const float scale = 1.0f / span;
        for (long long i = 0; i < r; ++i) {
            const std::int16_t* src = line(i);
            float* dst = out.data() + static_cast<std::size_t>(i) * c;
            for (long long j = 0; j < c; ++j)
                dst[j] = Unit(static_cast<float>(src[j]), offset, scale);
        }
        return span;
    }

    for (long long i = 0; i < r; ++i) {
        const std::int16_t* src = line(i);
        float* dst = out.data() + static_cast<std::size_t>(i) * c;
        for (long long j = 0; j < c; ++j)
            dst[j] = src[j];
    }
    TGrid<float> sorted;
    sorted.reserve(static_cast<std::size_t>((c - 4) * (r - 4)));
    for (long long i = 2; i < r - 2; ++i)
        sorted.insert(sorted.end(), out.begin() + i * c + 2, out.begin() + i * c + c - 2);
    const CRange range = RobustRange(sorted.data(), sorted.size());
    return StretchToUnit(out.data(), out.size(), range) ? range.span : 1.0;
}

} // namespace doc
