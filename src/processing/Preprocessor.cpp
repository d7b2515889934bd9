#include "processing/Preprocessor.h"

#include "processing/RobustRange.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace doc {

namespace {

// (v - offset) / span, clamped to [0, 1], for one line; written so that the compiler vectorises it.
void ConvertRow(const std::int16_t* __restrict src, float* __restrict dst, int n, float offset, float scale) {
    for (int j = 0; j < n; ++j) {
        const float v = (static_cast<float>(src[j]) - offset) * scale;
        const float low = v < 0.0f ? 0.0f : v;
        dst[j] = 1.0f < low ? 1.0f : low;
    }
}

// Counts of every 16-bit value of the lines' inner cells. Neighbouring cells of a scan often hold
// the same value; four tables taken in turn keep the increments from waiting on one another.
std::vector<std::uint32_t> CountValues(const std::int16_t* raw, long long columns, long long first,
                                       long long last, long long from, long long to) {
    constexpr std::size_t kValues = 65536;
    std::vector<std::uint32_t> tables(4 * kValues, 0);
    std::uint32_t* t0 = tables.data();
    std::uint32_t* t1 = t0 + kValues;
    std::uint32_t* t2 = t1 + kValues;
    std::uint32_t* t3 = t2 + kValues;
    const auto bin = [](std::int16_t v) { return static_cast<std::uint16_t>(v) ^ 0x8000u; };
    for (long long i = first; i < last; ++i) {
        const std::int16_t* src = raw + i * columns;
        long long j = from;
        for (; j + 4 <= to; j += 4) {
            ++t0[bin(src[j])];
            ++t1[bin(src[j + 1])];
            ++t2[bin(src[j + 2])];
            ++t3[bin(src[j + 3])];
        }
        for (; j < to; ++j)
            ++t0[bin(src[j])];
    }
    for (std::size_t v = 0; v < kValues; ++v)
        t0[v] += t1[v] + t2[v] + t3[v];
    tables.resize(kValues);
    return tables;
}

// From this many inner cells on, the automatic range counts values instead of selecting them.
constexpr std::size_t kHistogramFrom = std::size_t(1) << 16;

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
        for (long long i = 0; i < r; ++i)
            ConvertRow(line(i), out.data() + static_cast<std::size_t>(i) * c, static_cast<int>(c), offset,
                       scale);
        return span;
    }

    const std::size_t n = static_cast<std::size_t>((c - 4) * (r - 4));
    CRange range;
    if (n < kHistogramFrom) {
        // A small scan is quicker to select from than to count into 65536 bins.
        std::vector<float> inner;
        inner.reserve(n);
        for (long long i = 2; i < r - 2; ++i)
            inner.insert(inner.end(), line(i) + 2, line(i) + c - 2);
        range = RobustRange(inner.data(), n);
    } else {
        // The counts are 16-bit: a histogram of the inner cells finds the two order statistics exactly,
        // in one pass and without moving any value.
        const std::vector<std::uint32_t> histogram = CountValues(line(0), columns, 2, r - 2, 2, c - 2);
        const auto countAt = [&](std::size_t k) {
            std::size_t seen = 0;
            for (int v = 0; v < 65536; ++v) {
                seen += histogram[static_cast<std::size_t>(v)];
                if (seen > k)
                    return static_cast<float>(v - 32768);
            }
            return 32767.0f;
        };
        range = WidenedRange(countAt(RobustLowAt(n)), countAt(RobustHighAt(n)));
    }
    const float scale = range.span > 0.0f ? 1.0f / range.span : 0.0f;
    for (long long i = 0; i < r; ++i)
        ConvertRow(line(i), out.data() + static_cast<std::size_t>(i) * c, static_cast<int>(c), range.offset,
                   scale);
    if (!(range.span > 0.0f)) {
        std::fill(out.begin(), out.end(), 0.0f);
        return 1.0;
    }
    return range.span;
}

} // namespace doc
