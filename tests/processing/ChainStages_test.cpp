#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "processing/ChainStages.h"
#include "processing/Select.h"

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

TEST(FitToUnit, AFittedGridIsLeftExactlyAsItIs) {
    // The chain skips a fit after stages that changed nothing: that relies on this.
    std::mt19937 random(3);
    for (const auto& [lo, hi] : {std::pair{-5000.0f, 3.0e4f},
                                 {0.1f, 0.6f},
                                 {-0.3f, 0.4f},
                                 {0.0f, 1.0f},
                                 {0.02f, 0.97f},
                                 {-1e-7f, 1.0f},
                                 {0.25f, 0.25f},
                                 {1e20f, 3e20f}}) {
        std::uniform_real_distribution<float> cell(lo, hi);
        Cells v(257);
        for (float& x : v)
            x = cell(random);
        v[3] = lo;
        v[9] = hi;
        doc::FitToUnit(v.data(), static_cast<int>(v.size()), 1);
        const Cells fitted = v;
        EXPECT_EQ(doc::FitToUnit(v.data(), static_cast<int>(v.size()), 1), 1.0) << lo << " " << hi;
        EXPECT_EQ(v, fitted) << lo << " " << hi;
    }
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

// A grid large enough to be written past the cache, with cells far outside the measured span and an
// odd count: every cell is the formula's, in place and into another grid, and the range reported on
// the way is the output's.
TEST(Normalize, ALargeGridGetsEveryCellOfTheFormulaAndItsRange) {
    const int w = 1451, h = 1447;
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> value(-0.2f, 1.3f);
    Cells g(static_cast<std::size_t>(w) * h);
    for (float& v : g)
        v = value(rng);
    g[12345] = 4.0e30f;
    g[777] = -3.0e35f;
    doc::CNormalizeState state;
    state.pending = true;
    Cells into(g.size(), 0.0f), inPlace = g;
    doc::CValueRange range;
    const double span = doc::Normalize(g.data(), into.data(), w, h, state, &range);
    EXPECT_EQ(span, static_cast<double>(4.0e30f) - static_cast<double>(-3.0e35f));
    // Again with a tiny span, which sends most cells to the float range's ends.
    state.span = 1e-40;
    doc::CValueRange tinyRange;
    doc::Normalize(inPlace.data(), inPlace.data(), w, h, state, &tinyRange);
    for (const auto& [out, off, sp, r] :
         {std::tuple(&into, static_cast<double>(-3.0e35f), span, range),
          std::tuple(&inPlace, static_cast<double>(-3.0e35f), 1e-40, tinyRange)}) {
        std::size_t wrong = 0;
        for (std::size_t k = 0; k < g.size(); ++k) {
            const float expected =
                static_cast<float>(std::min(std::max((g[k] - off) / sp, -double(FLT_MAX)), double(FLT_MAX)));
            wrong += std::memcmp(&expected, &(*out)[k], sizeof expected) != 0;
        }
        EXPECT_EQ(wrong, 0u);
        const auto [lo, hi] = std::minmax_element(out->begin(), out->end());
        EXPECT_EQ(r.lo, *lo);
        EXPECT_EQ(r.hi, *hi);
    }
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
    doc::Flatten(rows.data(), 7, 5, doc::Flattening::OnY);
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
    doc::Flatten(columns.data(), 70, 5, doc::Flattening::OnX);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 70; ++j) {
            if (i != j % 5) {
                EXPECT_NEAR(columns[j + i * 70], 0.05f * i, 1e-5) << j << ", " << i;
            }
        }

    // An even count takes the upper median: of the differences -1 and -3, -1.
    Cells pair = {0.0f, 0.0f, 1.0f, 3.0f};
    doc::Flatten(pair.data(), 2, 2, doc::Flattening::OnY);
    EXPECT_EQ(pair, (Cells{0.0f, 0.0f, 0.0f, 2.0f}));
    pair = {0.0f, 1.0f, 0.0f, 3.0f};
    doc::Flatten(pair.data(), 2, 2, doc::Flattening::OnX);
    EXPECT_EQ(pair, (Cells{0.0f, 0.0f, 0.0f, 2.0f}));
}

TEST(Flatten, BothPassesRunRowsFirstAndSmallGridsAreLeftAlone) {
    Cells g(9 * 8);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (float& v : g)
        v = value(random);
    Cells expected = g;
    doc::Flatten(expected.data(), 9, 8, doc::Flattening::OnY);
    doc::Flatten(expected.data(), 9, 8, doc::Flattening::OnX);
    doc::Flatten(g.data(), 9, 8, doc::Flattening::OnYX);
    EXPECT_EQ(g, expected);

    using F = doc::Flattening;
    const F outside = static_cast<F>(4), negative = static_cast<F>(-1); // no flattening of the set
    for (auto [c, r, mode] : {std::tuple{1, 4, F::OnYX},
                              {4, 1, F::OnYX},
                              {0, 0, F::OnYX},
                              {4, 4, F::None},
                              {4, 4, outside},
                              {4, 4, negative}}) {
        Cells cells(static_cast<std::size_t>(c) * r);
        for (std::size_t k = 0; k < cells.size(); ++k)
            cells[k] = static_cast<float>(k % 3);
        const Cells copy = cells;
        doc::Flatten(cells.data(), c, r, mode);
        EXPECT_EQ(cells, copy) << c << " x " << r << " mode " << static_cast<int>(mode);
    }
}

namespace {

std::uint32_t Bits(float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// The k-th smallest as std::nth_element finds it.
float NthElement(std::vector<float> v, std::size_t k) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return v[k];
}

// Checks the selection through order keys against std::nth_element for several ranks of v: the
// result must compare equal and be one of the values, bit for bit (-0 and +0 compare equal).
void ExpectSameSelection(const std::vector<float>& v, const char* what) {
    const std::size_t n = v.size();
    for (const std::size_t k : {std::size_t(0), (n - 1) / 2, n / 2, n - 1, n / 3}) {
        if (k >= n)
            continue;
        std::vector<std::uint32_t> keys(n);
        std::transform(v.begin(), v.end(), keys.begin(), doc::OrderKey);
        const float got = doc::FromOrderKey(doc::SelectKey(keys.data(), n, k));
        ASSERT_EQ(got, NthElement(v, k)) << what << ", n " << n << ", k " << k;
        ASSERT_TRUE(std::any_of(v.begin(), v.end(), [&](float x) { return Bits(x) == Bits(got); }))
            << what << ", n " << n << ", k " << k;
    }
}

// Random lines of n values in several mixes.
std::vector<std::vector<float>> Mixes(std::size_t n, std::mt19937& random) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_int_distribution<int> small(-3, 3), exponent(-140, 120);
    std::vector<std::vector<float>> mixes(6, std::vector<float>(n));
    for (std::size_t i = 0; i < n; ++i) {
        mixes[0][i] = unit(random);
        mixes[1][i] = 0.25f * static_cast<float>(small(random)); // many ties
        mixes[2][i] = small(random) < 0 ? -0.0f : 0.0f;          // signed zeros only
        mixes[3][i] = 0.7f;                                      // all equal
        // Magnitudes from denormal to huge, either sign.
        mixes[4][i] = std::ldexp(unit(random), exponent(random));
        // All in one histogram bin down to the last bits: 1 plus a few ulps.
        mixes[5][i] = std::nextafter(1.0f, 2.0f) + static_cast<float>(small(random) + 3) * FLT_EPSILON;
    }
    return mixes;
}

} // namespace

TEST(Select, KeysSortAsFloatsAndRoundTripEveryBitPattern) {
    const float inf = std::numeric_limits<float>::infinity();
    const float denormal = std::numeric_limits<float>::denorm_min();
    const std::vector<float> ascending = {-inf, -FLT_MAX, -1.0f,   -FLT_MIN, -denormal, -0.0f,
                                          0.0f, denormal, FLT_MIN, 1.0f,     FLT_MAX,   inf};
    for (std::size_t i = 1; i < ascending.size(); ++i)
        EXPECT_LT(doc::OrderKey(ascending[i - 1]), doc::OrderKey(ascending[i])) << i;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float v : {nan, -nan, 0.3f, -0.3f, -0.0f})
        EXPECT_EQ(Bits(doc::FromOrderKey(doc::OrderKey(v))), Bits(v));
}

TEST(Select, FindsWhatNthElementFindsForAnyLengthAndMix) {
    std::mt19937 random(11);
    // Around the sizes where the search switches method, and the line lengths of real scans.
    for (const std::size_t n : {1, 2, 3, 4, 5, 8, 17, 63, 64, 65, 100, 255, 1000, 1024, 1025, 4096, 4099}) {
        const auto mixes = Mixes(n, random);
        for (std::size_t m = 0; m < mixes.size(); ++m)
            ExpectSameSelection(mixes[m], ("mix " + std::to_string(m)).c_str());
    }
    // Large lines of a 16-bit scan's few thousand distinct values.
    std::uniform_int_distribution<int> count(0, 4000);
    std::vector<float> quantised(50000);
    for (float& v : quantised)
        v = static_cast<float>(count(random)) / 65535.0f;
    ExpectSameSelection(quantised, "quantised");
}

TEST(Select, NearSelectionStaysExactWhenTheAnswersJump) {
    // A series of lines that drift slowly (the window hits), jump (it misses), change length, hold ties
    // and signed zeros, and hold NaN and infinities (the answer is unspecified but the next lines must
    // still come out right).
    std::mt19937 random(5);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    doc::CSelectNear select;
    float level = 0.0f;
    for (int line = 0; line < 600; ++line) {
        const std::size_t n = line % 7 == 0 ? 33 : 500 + static_cast<std::size_t>(line % 5);
        level += line % 50 == 49 ? 40.0f : 0.01f;
        std::vector<float> v(n);
        for (float& x : v)
            x = level + noise(random);
        if (line % 11 == 0)
            for (float& x : v)
                x = std::round(x);
        if (line % 13 == 0)
            std::fill(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n * 3 / 4), line % 2 ? 0.0f : -0.0f);
        const bool special = line % 97 == 50;
        if (special) {
            v[1] = std::numeric_limits<float>::quiet_NaN();
            v[2] = std::numeric_limits<float>::infinity();
        }
        std::vector<std::uint32_t> keys(n);
        std::transform(v.begin(), v.end(), keys.begin(), doc::OrderKey);
        const float got = doc::FromOrderKey(select(keys.data(), n, n / 2));
        if (!special) {
            ASSERT_EQ(got, NthElement(v, n / 2)) << "line " << line;
        }
    }
}

namespace {

// The stages as their definition reads, one std::nth_element per line on a copy.
void ReferenceLift(Cells& g, int w, int h, const std::vector<double>& lift, bool rows) {
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j) {
            const double add = rows ? lift[i] : lift[j];
            if (rows && add == 0.0)
                continue;
            g[j + i * w] = static_cast<float>(g[j + i * w] + add);
        }
}

void ReferenceFlatten(Cells& g, int w, int h, bool rows) {
    const int lines = rows ? h : w, length = rows ? w : h;
    std::vector<double> lift(lines, 0.0);
    for (int a = 0; a + 1 < lines; ++a) {
        std::vector<float> d(length);
        for (int b = 0; b < length; ++b)
            d[b] = rows ? g[b + a * w] - g[b + (a + 1) * w] : g[a + b * w] - g[a + 1 + b * w];
        lift[a + 1] = lift[a] + NthElement(d, length / 2);
    }
    ReferenceLift(g, w, h, lift, rows);
}

void ReferenceJumps(Cells& g, int w, int h) {
    std::vector<float> steps(w - 1);
    for (int j = 0; j + 1 < w; ++j) {
        std::vector<float> d(h - 1);
        for (int i = 0; i + 1 < h; ++i)
            d[i] = std::fabs(g[j + i * w] - g[j + (i + 1) * w]);
        steps[j] = NthElement(d, (h - 1) / 2);
    }
    const double threshold = NthElement(steps, (w - 1) / 2) * 2.718281828459045;
    std::vector<double> means(h), lift(h, 0.0);
    for (int i = 0; i < h; ++i) {
        double s[8] = {};
        int j = 0;
        for (; j + 8 <= w; j += 8)
            for (int k = 0; k < 8; ++k)
                s[k] += g[j + k + i * w];
        for (; j < w; ++j)
            s[0] += g[j + i * w];
        means[i] = (((s[0] + s[1]) + (s[2] + s[3])) + ((s[4] + s[5]) + (s[6] + s[7]))) / w;
    }
    std::vector<int> jumps;
    for (int i = 1; i < h; ++i) {
        const double d = means[i - 1] - means[i];
        lift[i] = lift[i - 1] + (std::fabs(d) > threshold ? d : 0.0);
        if (std::fabs(d) > threshold)
            jumps.push_back(i);
    }
    ReferenceLift(g, w, h, lift, true);
    for (std::size_t q = 0; q < jumps.size();) {
        const int first = jumps[q++];
        int next = first + 1;
        while (q < jumps.size() && jumps[q] == next)
            ++q, ++next;
        for (int r = first; r < std::min(next, h); ++r)
            for (int k = 0; k < w; ++k)
                g[k + r * w] =
                    next == h
                        ? g[k + (first - 1) * w]
                        : static_cast<float>(g[k + (first - 1) * w] +
                                             (static_cast<double>(g[k + next * w]) - g[k + (first - 1) * w]) /
                                                 (next - first + 1));
    }
}

} // namespace

TEST(ChainStages, JumpsAndFlatteningGiveExactlyTheDefinedCells) {
    // Sizes off every block and vector width, with ties, signed zeros, row offsets and a tilt: each
    // stage must give the reference's grid bit for bit.
    std::mt19937 random(23);
    std::uniform_int_distribution<int> count(0, 300);
    std::uniform_int_distribution<int> chance(0, 29);
    for (auto [w, h] : {std::pair{2, 2},
                        {3, 200},
                        {200, 3},
                        {16, 16},
                        {17, 33},
                        {37, 29},
                        {70, 9},
                        {129, 131},
                        {600, 300},
                        {300, 601}}) {
        Cells g(static_cast<std::size_t>(w) * h);
        float offset = 0.0f;
        for (int i = 0; i < h; ++i) {
            offset += chance(random) == 0 ? 0.5f : 0.0f;
            for (int j = 0; j < w; ++j)
                g[j + i * w] = chance(random) == 0 ? -0.0f : offset + 0.001f * j + count(random) / 1024.0f;
        }
        Cells ours = g, expected = g;
        doc::EliminateJumps(ours.data(), w, h);
        ReferenceJumps(expected, w, h);
        for (std::size_t k = 0; k < g.size(); ++k)
            ASSERT_EQ(Bits(ours[k]), Bits(expected[k])) << "jumps, " << w << " x " << h << ", " << k;
        for (auto [mode, onY, onX] : {std::tuple{doc::Flattening::OnY, true, false},
                                      {doc::Flattening::OnX, false, true},
                                      {doc::Flattening::OnYX, true, true}}) {
            ours = expected = g;
            doc::Flatten(ours.data(), w, h, mode);
            if (onY)
                ReferenceFlatten(expected, w, h, true);
            if (onX)
                ReferenceFlatten(expected, w, h, false);
            for (std::size_t k = 0; k < g.size(); ++k)
                ASSERT_EQ(Bits(ours[k]), Bits(expected[k]))
                    << "mode " << static_cast<int>(mode) << ", " << w << " x " << h << ", " << k;
        }
    }
}
