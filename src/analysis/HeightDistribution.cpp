#include "analysis/HeightDistribution.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis/Roughness.h"
#include "processing/Busy.h"

namespace statist {

namespace {

// Buckets of the fine histogram: enough that a bucket holds few heights of a large scan, few enough
// that their counts stay in the cache while they are made.
constexpr std::uint32_t kBuckets = 1u << 17;

// Heights are taken a block at a time: their buckets are worked out together, four to a register,
// and then counted or looked up one by one.
constexpr std::size_t kBlock = 512;

// The order of floats as unsigned integers: a < b exactly when Key(a) < Key(b) (but for -0 and +0,
// which compare equal and get neighbouring keys).
std::uint32_t Key(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return (u & 0x80000000u) ? ~u : (u | 0x80000000u);
}

float FromKey(std::uint32_t k) {
    const std::uint32_t u = (k & 0x80000000u) ? (k & 0x7FFFFFFFu) : ~k;
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

// The smallest height t of lowest .. highest for which holds(t) is false, where holds is true up to a
// point and false after it: the heights below t are then those for which it holds. Infinity when it
// holds for all of them.
template <typename Holds> float FirstFailing(float lowest, float highest, Holds holds) {
    if (holds(highest))
        return std::numeric_limits<float>::infinity();
    if (!holds(lowest))
        return lowest;
    std::uint32_t lo = Key(lowest), hi = Key(highest); // holds at lo, fails at hi
    while (hi - lo > 1) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        if (holds(FromKey(mid)))
            lo = mid;
        else
            hi = mid;
    }
    return FromKey(hi);
}

// The lowest and highest of n heights, eight lanes at a time; with Copy they are copied to `to` in
// the same pass.
template <bool Copy> void MinMax(const float* v, std::size_t n, float* to, float& lo, float& hi) {
    float mn[8], mx[8];
    for (int k = 0; k < 8; ++k)
        mn[k] = mx[k] = v[0];
    std::size_t j = 0;
    for (; j + 8 <= n; j += 8)
        for (std::size_t k = 0; k < 8; ++k) {
            const float x = v[j + k];
            if constexpr (Copy)
                to[j + k] = x;
            mn[k] = std::min(mn[k], x);
            mx[k] = std::max(mx[k], x);
        }
    for (; j < n; ++j) {
        if constexpr (Copy)
            to[j] = v[j];
        mn[0] = std::min(mn[0], v[j]);
        mx[0] = std::max(mx[0], v[j]);
    }
    lo = *std::min_element(mn, mn + 8);
    hi = *std::max_element(mx, mx + 8);
}

} // namespace

void CHeightDistribution::Clear() {
    m_heights = doc::TGrid<float>();
    m_counts = std::vector<std::uint32_t>();
    m_before = std::vector<std::uint64_t>();
    m_lowest = m_highest = m_scale = 0.0f;
}

void CHeightDistribution::Prepare(const float* grid, int columns, int rows, bool adjustPlane) {
    Clear();
    m_bAdjust = adjustPlane;
    if (!grid || columns <= 0 || rows <= 0)
        return;
    const std::size_t n = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    m_heights.resize(n);
    if (adjustPlane) {
        MeanPlaneResiduals(grid, columns, rows, m_heights.data());
        MinMax<false>(m_heights.data(), n, nullptr, m_lowest, m_highest);
    } else {
        MinMax<true>(grid, n, m_heights.data(), m_lowest, m_highest);
    }
    // A surface of one height, or one whose span is too small to divide, lies in the first bucket.
    const float span = m_highest - m_lowest;
    m_scale = span > 0.0f ? static_cast<float>(kBuckets) / span : 0.0f;
    if (!std::isfinite(m_scale))
        m_scale = 0.0f;
    // Two tables of counts, so that neighbouring heights in one bucket do not wait on each other's
    // increment.
    std::vector<std::uint32_t> odd(kBuckets, 0);
    m_counts.assign(kBuckets, 0);
    std::uint32_t buckets[kBlock];
    for (std::size_t first = 0; first < n; first += kBlock) {
        if (first % (kBlock * 256) == 0)
            doc::busy::Tick();
        const std::size_t count = std::min(kBlock, n - first);
        Buckets(m_heights.data() + first, count, buckets);
        std::size_t j = 0;
        for (; j + 2 <= count; j += 2) {
            ++m_counts[buckets[j]];
            ++odd[buckets[j + 1]];
        }
        if (j < count)
            ++m_counts[buckets[j]];
    }
    m_before.resize(kBuckets + 1);
    std::uint64_t sum = 0;
    for (std::uint32_t k = 0; k < kBuckets; ++k) {
        m_counts[k] += odd[k];
        m_before[k] = sum;
        sum += m_counts[k];
    }
    m_before[kBuckets] = sum;
}

void CHeightDistribution::Buckets(const float* v, std::size_t n, std::uint32_t* out) const {
    std::size_t j = 0;
#if defined(__SSE2__)
    const __m128 lowest = _mm_set1_ps(m_lowest), scale = _mm_set1_ps(m_scale);
    const __m128 last = _mm_set1_ps(static_cast<float>(kBuckets - 1)), zero = _mm_setzero_ps();
    for (; j + 4 <= n; j += 4) {
        // As Bucket: the minimum with a height that is no number gives the last bucket.
        __m128 s = _mm_mul_ps(_mm_sub_ps(_mm_loadu_ps(v + j), lowest), scale);
        s = _mm_max_ps(_mm_min_ps(s, last), zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), _mm_cvttps_epi32(s));
    }
#endif
    for (; j < n; ++j)
        out[j] = Bucket(v[j]);
}

std::uint32_t CHeightDistribution::Bucket(float v) const {
    const float s = (v - m_lowest) * m_scale;
    // Not below the last bucket also catches a height that is no number.
    return s < static_cast<float>(kBuckets - 1) ? static_cast<std::uint32_t>(std::max(s, 0.0f))
                                                : kBuckets - 1;
}

std::vector<std::size_t> CHeightDistribution::CountBelow(const std::vector<float>& thresholds) const {
    const std::size_t count = thresholds.size();
    std::vector<std::size_t> below(count, 0);
    if (m_heights.empty() || count == 0)
        return below;
    // The thresholds in ascending order; those in one bucket then lie next to each other.
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return thresholds[a] < thresholds[b]; });
    std::vector<float> sorted(count);
    for (std::size_t k = 0; k < count; ++k)
        sorted[k] = thresholds[order[k]];

    // Each bucket that holds a threshold gets a slot: the range of its thresholds.
    struct CSlot {
        std::size_t first, last;
    };
    std::vector<CSlot> slots;
    std::vector<std::uint32_t> slotOf(kBuckets, 0);
    std::vector<std::size_t> result(count, 0);
    for (std::size_t k = 0; k < count; ++k) {
        const float t = sorted[k];
        if (!(t > m_lowest)) {
            result[k] = 0;
        } else if (t > m_highest) {
            result[k] = m_heights.size();
        } else {
            const std::uint32_t b = Bucket(t);
            result[k] = static_cast<std::size_t>(m_before[b]);
            if (slotOf[b] == 0) {
                slots.push_back({k, k + 1});
                slotOf[b] = static_cast<std::uint32_t>(slots.size());
            } else {
                slots[slotOf[b] - 1].last = k + 1;
            }
        }
    }
    if (!slots.empty()) {
        // A height of a bucket with thresholds counts below those of them that are greater: a suffix
        // of the bucket's range, marked at its start and summed over the range afterwards.
        std::vector<std::size_t> starts(count + 1, 0);
        const float* h = m_heights.data();
        const std::size_t n = m_heights.size();
        // The buckets with thresholds as bits: 16 KiB that stay in the first-level cache, where the
        // slots would not; most heights lie in no such bucket and cost a bucket and a bit.
        std::vector<std::uint64_t> marked(kBuckets / 64, 0);
        for (std::uint32_t b = 0; b < kBuckets; ++b)
            if (slotOf[b])
                marked[b >> 6] |= std::uint64_t(1) << (b & 63);
        const std::uint64_t* bits = marked.data();
        std::uint32_t buckets[kBlock];
        for (std::size_t first = 0; first < n; first += kBlock) {
            const std::size_t count = std::min(kBlock, n - first);
            Buckets(h + first, count, buckets);
            for (std::size_t j = 0; j < count; ++j) {
                const std::uint32_t b = buckets[j];
                if (!((bits[b >> 6] >> (b & 63)) & 1))
                    continue;
                const CSlot& slot = slots[slotOf[b] - 1];
                const float v = h[first + j];
                std::size_t k = slot.first;
                while (k < slot.last && !(v < sorted[k]))
                    ++k;
                if (k < slot.last)
                    ++starts[k];
            }
        }
        for (const CSlot& slot : slots) {
            std::size_t run = 0;
            for (std::size_t k = slot.first; k < slot.last; ++k) {
                run += starts[k];
                result[k] += run;
            }
        }
    }
    for (std::size_t k = 0; k < count; ++k)
        below[order[k]] = result[k];
    return below;
}

void CHeightDistribution::Compute(int bins, int levels, CHistogramBins* histogram,
                                  CBearingLevels* bearing) const {
    const std::size_t nb = histogram && bins > 0 ? static_cast<std::size_t>(bins) : 0;
    const std::size_t nl = bearing && levels > 0 ? static_cast<std::size_t>(levels) : 0;
    std::vector<float> thresholds;
    thresholds.reserve(nb + nl);
    std::vector<double> edges(nb), heights(nl);
    float halfRange = 0.0f;
    double width = 0.0;
    if (histogram && !m_heights.empty()) {
        halfRange = std::max(std::fabs(HistogramValue(m_lowest)), HistogramValue(m_highest));
        width = 2.0 * static_cast<double>(halfRange) / static_cast<double>(nb ? nb : 1);
        double upper = -static_cast<double>(halfRange);
        for (std::size_t i = 0; i < nb; ++i) {
            edges[i] = upper; // the lower edge, for the line
            upper += width;
            thresholds.push_back(
                FirstFailing(m_lowest, m_highest, [&](float h) { return HistogramValue(h) < upper; }));
        }
    }
    float range = m_highest - m_lowest;
    if (bearing && !m_heights.empty()) {
        const double step = static_cast<double>(range) / static_cast<double>(nl ? nl : 1);
        double level = 0.0;
        for (std::size_t j = 0; j < nl; ++j) {
            heights[j] = level;
            thresholds.push_back(
                FirstFailing(m_lowest, m_highest, [&](float h) { return BearingValue(h) <= level; }));
            level += step;
        }
    }
    const std::vector<std::size_t> below = CountBelow(thresholds);
    const double n = static_cast<double>(m_heights.size());

    if (histogram) {
        *histogram = CHistogramBins();
        histogram->halfRange = halfRange;
        histogram->binWidth = width;
        if (!m_heights.empty()) {
            histogram->fractions.resize(nb);
            histogram->lines.resize(4 * nb);
            std::size_t taken = 0;
            for (std::size_t i = 0; i < nb; ++i) {
                const std::size_t upTo = std::max(taken, below[i]);
                const double fraction = static_cast<double>(upTo - taken) / n;
                taken = upTo;
                histogram->fractions[i] = fraction;
                histogram->largest = std::max(histogram->largest, fraction);
                const float x = static_cast<float>(edges[i]);
                float* line = &histogram->lines[4 * i];
                line[0] = x;
                line[1] = 0.0f;
                line[2] = x;
                line[3] = static_cast<float>(fraction);
            }
        }
    }
    if (bearing) {
        *bearing = CBearingLevels();
        if (!m_heights.empty()) {
            bearing->range = range;
            bearing->fractions.resize(nl);
            bearing->lines.resize(4 * nl);
            std::size_t passed = 0;
            for (std::size_t j = 0; j < nl; ++j) {
                passed = std::max(passed, below[nb + j]);
                const double fraction = (n - static_cast<double>(passed)) / n;
                bearing->fractions[j] = fraction;
                const float a = static_cast<float>(heights[j]);
                float* line = &bearing->lines[4 * j];
                line[0] = 0.0f;
                line[1] = a;
                line[2] = static_cast<float>(fraction);
                line[3] = a;
            }
        }
    }
}

CHistogramBins CHeightDistribution::Histogram(int bins) const {
    CHistogramBins result;
    Compute(bins, 0, &result, nullptr);
    return result;
}

CBearingLevels CHeightDistribution::Bearing(int levels) const {
    CBearingLevels result;
    Compute(0, levels, nullptr, &result);
    return result;
}

std::wstring HistogramCaption(const ph::Size& range, const CHistogramBins& bins) {
    const std::size_t n = bins.fractions.size();
    const double width = n ? 2.0 * static_cast<double>(bins.halfRange) / static_cast<double>(n) : 0.0;
    return L"Height histogram (\u2206H = " + QuantityText(Physical(range, width)) + L")";
}

std::wstring BearingCaption(const ph::Size& range, const CBearingLevels& levels) {
    return L"Bearing curve (Hmax = " + QuantityText(Physical(range, levels.range)) + L")";
}

} // namespace statist
