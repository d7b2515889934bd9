// The histogram and bearing curve against the walk over sorted heights that defines them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "analysis/HeightDistribution.h"
#include "analysis/Roughness.h"

namespace {

using statist::CBearingLevels;
using statist::CHeightDistribution;
using statist::CHistogramBins;

// The walk: copy (with the plane adjusted), less 0.5, sort, then bins strictly below their upper
// edges, the edges advanced by repeated addition of D in double.
CHistogramBins WalkHistogram(std::vector<float> v, int columns, int rows, bool adjust, int n) {
    if (adjust)
        statist::MeanPlaneResiduals(v.data(), columns, rows, v.data());
    else
        for (float& x : v)
            x -= 0.5f;
    std::sort(v.begin(), v.end());
    CHistogramBins out;
    out.halfRange = std::max(std::fabs(v.front()), v.back());
    const double d = 2.0 * static_cast<double>(out.halfRange) / n;
    double lower = -static_cast<double>(out.halfRange);
    std::size_t p = 0;
    for (int i = 0; i < n; ++i) {
        const double upper = lower + d;
        std::size_t count = 0;
        while (p < v.size() && v[p] < upper) {
            ++p;
            ++count;
        }
        out.fractions.push_back(static_cast<double>(count) / static_cast<double>(v.size()));
        out.lines.insert(out.lines.end(), {static_cast<float>(lower), 0.0f, static_cast<float>(lower),
                                           static_cast<float>(out.fractions.back())});
        lower = upper;
    }
    return out;
}

CBearingLevels WalkBearing(std::vector<float> v, int columns, int rows, bool adjust, int m) {
    if (adjust)
        statist::MeanPlaneResiduals(v.data(), columns, rows, v.data());
    std::sort(v.begin(), v.end());
    CBearingLevels out;
    const float lowest = v.front();
    out.range = v.back() - lowest;
    for (float& x : v)
        x -= lowest;
    const double w = static_cast<double>(out.range) / m;
    double a = 0.0;
    std::size_t p = 0;
    for (int j = 0; j < m; ++j) {
        while (p < v.size() && v[p] <= a)
            ++p;
        out.fractions.push_back(static_cast<double>(v.size() - p) / static_cast<double>(v.size()));
        out.lines.insert(out.lines.end(), {0.0f, static_cast<float>(a),
                                           static_cast<float>(out.fractions.back()), static_cast<float>(a)});
        a += w;
    }
    return out;
}

void ExpectSameAsWalk(const std::vector<float>& v, int columns, int rows, const char* what) {
    for (bool adjust : {false, true}) {
        CHeightDistribution d;
        d.Prepare(v.data(), columns, rows, adjust);
        for (int count : {1, 2, 3, 7, 64, 255, 256, 257, 1000}) {
            SCOPED_TRACE(testing::Message() << what << " adjust " << adjust << " count " << count);
            CHistogramBins h;
            CBearingLevels b;
            d.Compute(count, count + 13, &h, &b);
            const CHistogramBins wh = WalkHistogram(v, columns, rows, adjust, count);
            const CBearingLevels wb = WalkBearing(v, columns, rows, adjust, count + 13);
            EXPECT_EQ(h.halfRange, wh.halfRange);
            ASSERT_EQ(h.fractions, wh.fractions);
            EXPECT_EQ(h.lines, wh.lines);
            EXPECT_EQ(h.largest, *std::max_element(wh.fractions.begin(), wh.fractions.end()));
            EXPECT_EQ(b.range, wb.range);
            ASSERT_EQ(b.fractions, wb.fractions);
            EXPECT_EQ(b.lines, wb.lines);
        }
    }
}

TEST(HeightDistribution, BinsAndLevelsAreThoseOfTheWalkOverSortedHeights) {
    std::mt19937 random(11);
    const int w = 97, h = 61;
    std::vector<float> v(w * h);
    // Smooth heights with noise.
    std::normal_distribution<float> noise(0.0f, 0.05f);
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j)
            v[j + i * w] = std::clamp(0.3f + 0.004f * j + 0.002f * i + noise(random), 0.0f, 1.0f);
    ExpectSameAsWalk(v, w, h, "noisy");

    // Few distinct heights, many of them on bin edges: k / 16 lies on an edge for many counts.
    std::uniform_int_distribution<int> step(0, 16);
    for (float& x : v)
        x = static_cast<float>(step(random)) / 16.0f;
    ExpectSameAsWalk(v, w, h, "ties");

    // Heights a few ulps apart: all land in one bucket of the fine histogram.
    std::uniform_int_distribution<int> ulps(0, 40);
    for (float& x : v) {
        x = 0.7f;
        for (int k = ulps(random); k > 0; --k)
            x = std::nextafter(x, 1.0f);
    }
    ExpectSameAsWalk(v, w, h, "ulps");

    // The whole range 0..1 with its extremes, on a single row and a single column.
    std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
    std::vector<float> line(300);
    for (float& x : line)
        x = uniform(random);
    line[5] = 0.0f;
    line[17] = 1.0f;
    ExpectSameAsWalk(line, 300, 1, "row");
    ExpectSameAsWalk(line, 1, 300, "column");
}

TEST(HeightDistribution, OneHeightGivesEmptyBinsAndAFlatBearingCurve) {
    const std::vector<float> v(40 * 30, 0.5f);
    CHeightDistribution d;
    d.Prepare(v.data(), 40, 30, false);
    CHistogramBins h;
    CBearingLevels b;
    d.Compute(10, 10, &h, &b);
    // U = 0: every upper edge is 0, and no height lies strictly below it.
    EXPECT_EQ(h.halfRange, 0.0f);
    EXPECT_EQ(h.largest, 0.0);
    EXPECT_EQ(b.range, 0.0f);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(h.fractions[k], 0.0);
        EXPECT_EQ(b.fractions[k], 0.0);
    }
    // A single point.
    d.Prepare(v.data(), 1, 1, true);
    d.Compute(3, 3, &h, &b);
    EXPECT_EQ(h.fractions, std::vector<double>(3, 0.0));
    EXPECT_EQ(b.fractions, std::vector<double>(3, 0.0));
}

TEST(HeightDistribution, TheHighestHeightOnTheLastEdgeIsInNoBinAndTheLowestLevelLacksTheLowest) {
    // Heights 0.25, 0.5, 0.75 and 0.75 less 0.5: U = 0.25; with 2 bins the edges are -0.25, 0, 0.25 and
    // the two heights at 0.25 reach the last upper edge.
    const std::vector<float> v = {0.25f, 0.5f, 0.75f, 0.75f};
    CHeightDistribution d;
    d.Prepare(v.data(), 2, 2, false);
    CHistogramBins h;
    CBearingLevels b;
    d.Compute(2, 4, &h, &b);
    EXPECT_EQ(h.fractions, (std::vector<double>{0.25, 0.25}));
    EXPECT_EQ(h.largest, 0.25);
    // Level 0 is the lowest height: only the share at it is missing from 1.
    EXPECT_EQ(b.fractions, (std::vector<double>{0.75, 0.75, 0.5, 0.5}));
}

TEST(HeightDistribution, CaptionsGiveTheBinWidthAndTheRangeInTheSurfaceUnits) {
    CHistogramBins h;
    h.halfRange = 0.25f;
    h.fractions.resize(5);
    CBearingLevels b;
    b.range = 0.5f;
    const ph::Size range(200.0, "nm");
    EXPECT_EQ(statist::HistogramCaption(range, h), L"Height histogram (\u2206H = 20.0 nm)");
    EXPECT_EQ(statist::BearingCaption(range, b), L"Bearing curve (Hmax = 100 nm)");
}

} // namespace
