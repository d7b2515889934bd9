#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "processing/Preprocessor.h"
#include "processing/RobustRange.h"

namespace {
struct CResult {
    doc::TGrid<float> grid;
    int columns = -1, rows = -1;
    double factor = 0;
};

CResult Preprocess(const doc::CPreprocessor& p, const std::vector<std::int16_t>& raw, int columns, int rows) {
    CResult r;
    r.factor = p.Run(raw.data(), columns, rows, r.grid, r.columns, r.rows);
    return r;
}
} // namespace

TEST(Preprocessor, AutomaticRangeIgnoresTheBorderAndTheOutermostValues) {
    // 100 x 100 cells: the inner 96 x 96 = 9216 values are 0..9215 shuffled; n / 512 = 18, so the
    // 19th smallest (18) maps to 0.1 and the 19th largest (9197) to 0.9.
    std::vector<std::int16_t> raw(100 * 100, 0);
    std::vector<std::int16_t> inner(96 * 96);
    std::iota(inner.begin(), inner.end(), 0);
    std::shuffle(inner.begin(), inner.end(), std::mt19937(5));
    for (int i = 0; i < 96; ++i)
        for (int j = 0; j < 96; ++j)
            raw[(j + 2) + (i + 2) * 100] = inner[j + i * 96];
    raw[0] = -20000; // border cells take no part in the range, and clamp
    raw[99] = 30000;

    doc::CPreprocessor p;
    const CResult r = Preprocess(p, raw, 100, 100);
    ASSERT_EQ(r.columns, 100);
    ASSERT_EQ(r.rows, 100);
    const float lo = 18, hi = 9197, margin = (hi - lo) * 0.125f;
    EXPECT_FLOAT_EQ(static_cast<float>(r.factor), hi + margin - (lo - margin));
    auto at = [&](std::int16_t v) {
        const auto it = std::find(raw.begin(), raw.end(), v);
        return r.grid[static_cast<std::size_t>(it - raw.begin())];
    };
    EXPECT_NEAR(at(18), 0.1f, 1e-6);
    EXPECT_NEAR(at(9197), 0.9f, 1e-6);
    EXPECT_EQ(r.grid[0], 0.0f);
    EXPECT_EQ(r.grid[99], 1.0f);
    EXPECT_GT(at(0), 0.0f); // the smallest inner values still lie inside the widened span
}

TEST(Preprocessor, FixedRangeCropsAndMapsTheExtremesToZeroAndOne) {
    // 5 x 4 cells, margins left 1, top 1, right 2, bottom 0: a 2 x 3 window.
    const std::vector<std::int16_t> raw = {
        -32768, 9,    9,   9, 32767, //
        9,      -100, 50,  9, 9,     //
        9,      0,    25,  9, 9,     //
        9,      100,  -50, 9, 9,
    };
    doc::CPreprocessor p;
    p.range = 65536;
    p.SetMargins(1, 1, 2, 0);
    const CResult r = Preprocess(p, raw, 5, 4);
    ASSERT_EQ(r.columns, 2);
    ASSERT_EQ(r.rows, 3);
    EXPECT_EQ(r.factor, 200.0);
    const std::vector<float> expected = {0.0f, 0.75f, 0.5f, 0.625f, 1.0f, 0.25f};
    EXPECT_TRUE(std::equal(r.grid.begin(), r.grid.end(), expected.begin(), expected.end()));
}

TEST(Preprocessor, DegenerateGridsStayFinite) {
    doc::CPreprocessor automatic;
    // Too small for the border: the whole extent is the range.
    CResult r = Preprocess(automatic, {1, 2, 3, 4, 5, 6}, 3, 2);
    EXPECT_EQ(r.factor, 5.0);
    EXPECT_EQ(r.grid.front(), 0.0f);
    EXPECT_EQ(r.grid.back(), 1.0f);
    // A flat grid has no span: all zero, factor 1, in both modes.
    r = Preprocess(automatic, std::vector<std::int16_t>(64, 7), 8, 8);
    EXPECT_EQ(r.factor, 1.0);
    EXPECT_TRUE(std::all_of(r.grid.begin(), r.grid.end(), [](float v) { return v == 0.0f; }));
    doc::CPreprocessor fixed;
    fixed.range = 65535;
    r = Preprocess(fixed, {3}, 1, 1);
    EXPECT_EQ(r.factor, 1.0);
    ASSERT_EQ(r.grid.size(), 1u);
    EXPECT_EQ(r.grid[0], 0.0f);
    // Margins that leave nothing give an empty grid.
    fixed.SetMargins(1, 1, 1, 1);
    r = Preprocess(fixed, {1, 2, 3, 4}, 2, 2);
    EXPECT_EQ(r.columns, 0);
    EXPECT_EQ(r.rows, 0);
    EXPECT_TRUE(r.grid.empty());
    EXPECT_EQ(r.factor, 1.0);
}

TEST(Preprocessor, AutomaticRangeEqualsSelectionOnTheCroppedFloats) {
    // Full 16-bit span, many repeats, extremes at both ends, and a crop: counting (large scans) and
    // selecting (small ones) must find the same two order statistics as a selection over the inner
    // values.
    for (const auto& [columns, rows] : {std::pair{61, 37}, std::pair{301, 263}}) {
        std::mt19937 random(11);
        std::uniform_int_distribution<int> wide(-32768, 32767), narrow(-300, 200);
        std::vector<std::int16_t> raw(static_cast<std::size_t>(columns) * rows);
        for (std::size_t n = 0; n < raw.size(); ++n)
            raw[n] = static_cast<std::int16_t>(n % 7 == 0 ? wide(random) : narrow(random));
        doc::CPreprocessor p;
        p.SetMargins(1, 2, 3, 1);
        const CResult r = Preprocess(p, raw, columns, rows);
        ASSERT_EQ(r.columns, columns - 4);
        ASSERT_EQ(r.rows, rows - 3);

        std::vector<float> inner;
        for (int i = 2 + 2; i < rows - 1 - 2; ++i)
            for (int j = 1 + 2; j < columns - 3 - 2; ++j)
                inner.push_back(raw[static_cast<std::size_t>(i) * columns + j]);
        const doc::CRange expected = doc::RobustRange(inner.data(), inner.size());
        EXPECT_EQ(static_cast<float>(r.factor), expected.span) << columns;
        for (int i = 0; i < r.rows; ++i)
            for (int j = 0; j < r.columns; ++j) {
                const float v = raw[static_cast<std::size_t>(i + 2) * columns + j + 1];
                const float want =
                    std::min(std::max((v - expected.offset) * (1.0f / expected.span), 0.0f), 1.0f);
                ASSERT_EQ(r.grid[static_cast<std::size_t>(i) * r.columns + j], want) << j << "," << i;
            }
    }
}
