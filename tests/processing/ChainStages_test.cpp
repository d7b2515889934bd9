#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "processing/ChainStages.h"

namespace {

using Cells = std::vector<float>;

// Row-to-row steps of at most 0.04, and every row has the same mean when the width is a multiple of 5.
float Pattern(int j, int i) {
    return 0.01f * static_cast<float>((7 * j + 3 * i) % 5);
}

// The pattern with step[i] added to every row from i on.
Cells Stepped(int w, int h, const std::vector<float>& step) {
    Cells g(static_cast<std::size_t>(w) * h);
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j) {
            float lift = 0;
            for (int r = 0; r <= i; ++r)
                lift += step[r];
            g[j + i * w] = Pattern(j, i) + lift;
        }
    return g;
}

} // namespace

TEST(FitToUnit, StretchesASpanAboveOneOntoExactlyZeroToOne) {
    Cells g = {-1.0f, 0.5f, 2.0f};
    EXPECT_EQ(doc::FitToUnit(g.data(), 3, 1), 3.0);
    EXPECT_EQ(g, (Cells{0.0f, 0.5f, 1.0f}));
    // Whatever the rounding of 1 / span, the largest value must not come out above 1.
    std::mt19937 random(17);
    std::uniform_real_distribution<float> value(-50.0f, 50.0f);
    for (int trial = 0; trial < 2000; ++trial) {
        const float a = value(random), b = value(random);
        Cells v = {std::max(a, b), std::min(a, b)};
        if (v[0] - v[1] <= 1.0f)
            continue;
        doc::FitToUnit(v.data(), 2, 1);
        ASSERT_EQ(v, (Cells{1.0f, 0.0f})) << a << " " << b;
    }
}

TEST(FitToUnit, RecentresOnlyWhenOffCentreOrOutsideTheUnitRange) {
    auto run = [](Cells v) {
        EXPECT_EQ(doc::FitToUnit(v.data(), static_cast<int>(v.size()), 1), 1.0);
        return v;
    };
    auto near = [](const Cells& v, const Cells& expected) {
        for (std::size_t k = 0; k < v.size(); ++k)
            EXPECT_NEAR(v[k], expected[k], 1e-6) << k;
    };
    near(run({0.2f, 0.3f}), {0.45f, 0.55f});
    EXPECT_EQ(run({0.45f, 0.55f}), (Cells{0.45f, 0.55f}));
    EXPECT_EQ(run({0.1f, 0.95f}), (Cells{0.1f, 0.95f})); // off centre by less than 1/16
    // Off centre by less than 1/16, but outside [0, 1] on one side: moved all the same.
    near(run({0.05f, 1.01f}), {0.02f, 0.98f});
    near(run({-0.01f, 0.95f}), {0.02f, 0.98f});
    // Flat and empty grids.
    near(run({7.0f, 7.0f}), {0.5f, 0.5f});
    EXPECT_EQ(doc::FitToUnit(nullptr, 0, 0), 1.0);
}

TEST(Normalize, StretchesOnceThenReappliesTheSameMapping) {
    doc::CNormalizeState state;
    Cells g = {0.2f, 0.6f, 0.4f, 0.3f};
    EXPECT_EQ(doc::Normalize(g.data(), 2, 2, state), 1.0); // nothing measured: untouched
    EXPECT_EQ(g, (Cells{0.2f, 0.6f, 0.4f, 0.3f}));
    state.pending = true;
    EXPECT_EQ(doc::Normalize(nullptr, 0, 0, state), 1.0); // no cells: the request stays open
    EXPECT_TRUE(state.pending);

    const double span = doc::Normalize(g.data(), 2, 2, state);
    EXPECT_EQ(span, static_cast<double>(0.6f) - 0.2f);
    EXPECT_FALSE(state.pending);
    EXPECT_EQ(g[0], 0.0f);
    EXPECT_EQ(g[1], 1.0f);
    // Later runs map with the stored values, without clamping.
    g = {0.2f, 1.0f, 0.0f, 0.4f};
    EXPECT_EQ(doc::Normalize(g.data(), 2, 2, state), span);
    EXPECT_NEAR(g[1], 2.0f, 1e-6);
    EXPECT_NEAR(g[2], -0.5f, 1e-6);

    // A flat grid is only moved to 0, and later runs leave the grid alone.
    doc::CNormalizeState flat;
    flat.pending = true;
    g = Cells(4, 0.25f);
    EXPECT_EQ(doc::Normalize(g.data(), 2, 2, flat), 1.0);
    EXPECT_EQ(g, Cells(4, 0.0f));
    g = Cells(4, 0.75f);
    EXPECT_EQ(doc::Normalize(g.data(), 2, 2, flat), 1.0);
    EXPECT_EQ(g, Cells(4, 0.75f));
}

TEST(EliminateJumps, LiftsTheRowsAfterAStepAndRebuildsTheStepRows) {
    // One step; 70 columns span several of the blocks the typical steps are gathered in.
    Cells g = Stepped(70, 8, {0, 0, 0, 0, 1.0f, 0, 0, 0});
    doc::EliminateJumps(g.data(), 70, 8);
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 70; ++j)
            ASSERT_NEAR(g[j + i * 70], i == 4 ? (Pattern(j, 3) + Pattern(j, 5)) / 2 : Pattern(j, i), 1e-6)
                << j << ", " << i;

    // Two step rows in a row both become a + (b - a) / 3 of their outer neighbours.
    g = Stepped(10, 9, {0, 0, 0, 0, 1.0f, -3.0f, 0, 0, 0});
    doc::EliminateJumps(g.data(), 10, 9);
    for (int j = 0; j < 10; ++j) {
        const float a = Pattern(j, 3), b = Pattern(j, 6);
        EXPECT_NEAR(g[j + 4 * 10], a + (b - a) / 3, 1e-6) << j;
        EXPECT_EQ(g[j + 5 * 10], g[j + 4 * 10]) << j;
        EXPECT_NEAR(g[j + 8 * 10], Pattern(j, 8), 1e-6) << j;
    }

    // A step at the last row: nothing after it, so the row before is copied.
    g = Stepped(5, 6, {0, 0, 0, 0, 0, -2.0f});
    doc::EliminateJumps(g.data(), 5, 6);
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(g[j + 5 * 5], Pattern(j, 4)) << j;
        EXPECT_EQ(g[j + 4 * 5], Pattern(j, 4)) << j;
    }
}

TEST(EliminateJumps, LeavesSmoothOrSmallGridsAlone) {
    // A steady slope: each row step is the typical step, below e times itself.
    Cells ramp(6 * 7);
    for (int k = 0; k < 42; ++k)
        ramp[k] = 0.1f * (k / 6) + 0.01f * (k % 6);
    const Cells before = ramp;
    doc::EliminateJumps(ramp.data(), 6, 7);
    EXPECT_EQ(ramp, before);
    // 2 x 2 is worked on; its only row step is the threshold's own base.
    for (auto [c, r] : {std::pair{1, 5}, {5, 1}, {0, 0}, {2, 2}}) {
        Cells g(static_cast<std::size_t>(c) * r);
        for (std::size_t k = 0; k < g.size(); ++k)
            g[k] = static_cast<float>(k * k);
        const Cells copy = g;
        doc::EliminateJumps(g.data(), c, r);
        EXPECT_EQ(g, copy) << c << " x " << r;
    }
}

TEST(Flatten, RowsAndColumnsTakeTheMedianDifference) {
    // Rows offset by arbitrary constants, with one spike per row that the median ignores.
    const float rowOffset[] = {0.0f, 0.3f, -0.2f, 0.7f, 0.1f};
    Cells rows(7 * 5);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 7; ++j)
            rows[j + i * 7] = 0.05f * j + rowOffset[i] + (j == i ? 100.0f : 0.0f);
    doc::Flatten(rows.data(), 7, 5, 1);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 7; ++j) {
            if (j != i) {
                EXPECT_NEAR(rows[j + i * 7], 0.05f * j, 1e-6) << j << ", " << i;
            }
        }

    // The same along 70 columns (several gathered blocks).
    Cells columns(70 * 5);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 70; ++j)
            columns[j + i * 70] = 0.05f * i + 0.01f * ((j * 13) % 17) + (i == j % 5 ? 50.0f : 0.0f);
    doc::Flatten(columns.data(), 70, 5, 2);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 70; ++j) {
            if (i != j % 5) {
                EXPECT_NEAR(columns[j + i * 70], 0.05f * i, 1e-5) << j << ", " << i;
            }
        }

    // An even count takes the upper median: of the differences -1 and -3, -1.
    Cells pair = {0.0f, 0.0f, 1.0f, 3.0f};
    doc::Flatten(pair.data(), 2, 2, 1);
    EXPECT_EQ(pair, (Cells{0.0f, 0.0f, 0.0f, 2.0f}));
    pair = {0.0f, 1.0f, 0.0f, 3.0f};
    doc::Flatten(pair.data(), 2, 2, 2);
    EXPECT_EQ(pair, (Cells{0.0f, 0.0f, 0.0f, 2.0f}));
}

TEST(Flatten, BothPassesRunRowsFirstAndSmallGridsAreLeftAlone) {
    Cells g(9 * 8);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (float& v : g)
        v = value(random);
    Cells expected = g;
    doc::Flatten(expected.data(), 9, 8, 1);
    doc::Flatten(expected.data(), 9, 8, 2);
    doc::Flatten(g.data(), 9, 8, 3);
    EXPECT_EQ(g, expected);

    for (auto [c, r, mode] : {std::tuple{1, 4, 3}, {4, 1, 3}, {0, 0, 3}, {4, 4, 0}, {4, 4, 4}, {4, 4, -1}}) {
        Cells cells(static_cast<std::size_t>(c) * r);
        for (std::size_t k = 0; k < cells.size(); ++k)
            cells[k] = static_cast<float>(k % 3);
        const Cells copy = cells;
        doc::Flatten(cells.data(), c, r, mode);
        EXPECT_EQ(cells, copy) << c << " x " << r << " mode " << mode;
    }
}
