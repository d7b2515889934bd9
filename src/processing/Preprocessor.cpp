#include "processing/Preprocessor.h"

#include "processing/RobustRange.h"

#include <algorithm>
#include <cstdint>
#include <vector>

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

    // The counts are 16-bit: a histogram of the inner cells finds the two order statistics exactly,
    // in one pass and without moving any value.
    std::vector<std::uint32_t> histogram(65536, 0);
    for (long long i = 2; i < r - 2; ++i) {
        const std::int16_t* src = line(i);
        for (long long j = 2; j < c - 2; ++j)
            ++histogram[static_cast<std::uint16_t>(src[j] + 32768)];
    }
    const std::size_t n = static_cast<std::size_t>((c - 4) * (r - 4));
    const auto countAt = [&](std::size_t k) {
        std::size_t seen = 0;
        for (int v = 0; v < 65536; ++v) {
            seen += histogram[static_cast<std::size_t>(v)];
            if (seen > k)
                return static_cast<float>(v - 32768);
        }
        return 32767.0f;
    };
    const CRange range = WidenedRange(countAt(RobustLowAt(n)), countAt(RobustHighAt(n)));
    const float scale = range.span > 0.0f ? 1.0f / range.span : 0.0f;
    for (long long i = 0; i < r; ++i) {
        const std::int16_t* src = line(i);
        float* dst = out.data() + static_cast<std::size_t>(i) * c;
        for (long long j = 0; j < c; ++j)
            dst[j] = Unit(static_cast<float>(src[j]), range.offset, scale);
    }
    if (!(range.span > 0.0f)) {
        std::fill(out.begin(), out.end(), 0.0f);
        return 1.0;
    }
    return range.span;
}

} // namespace doc
