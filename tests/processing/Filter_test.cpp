#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <random>
#include <vector>

#include "processing/Filter.h"
#include "processing/Morphology.h"
#include "processing/kernels/Kernels.h"

namespace {

struct CGrid {
    int columns, rows;
    std::vector<float> v;
    CGrid(int c, int r, float fill = 0.0f) : columns(c), rows(r), v(static_cast<std::size_t>(c) * r, fill) {}
    float& at(int j, int i) { return v[static_cast<std::size_t>(j) + static_cast<std::size_t>(i) * columns]; }
};

using F = doc::FilterType;
using M = doc::MorphOp;

// The edge filters of the image view.
constexpr F kEdgeFilters[] = {
    F::PrewittHoriz,      F::PrewittVert,       F::ScharrHoriz,      F::ScharrVert,
    F::SobelHoriz3,       F::SobelHoriz5,       F::SobelVert3,       F::SobelVert5,
    F::SobelHorizSecond3, F::SobelHorizSecond5, F::SobelVertSecond3, F::SobelVertSecond5,
    F::SobelCross3,       F::SobelCross5,       F::RobertsUp,        F::RobertsDown};
// The chain's filters whose kernel is fixed.
constexpr F kFixedFilters[] = {F::Mean3,     F::Mean5,    F::Mean7,     F::Median3,   F::Median3x1,
                               F::Median1x3, F::Median5,  F::Median5x1, F::Median1x5, F::Laplace3,
                               F::Laplace5,  F::Gauss3,   F::Gauss5,    F::HighPass3, F::HighPass5,
                               F::LowPass3,  F::LowPass5, F::Sharpen};

int Filter(F type, CGrid& g, doc::CKernelGeometry kernel = {}) {
    doc::CFilter f;
    f.type = type;
    f.kernel = kernel;
    return f.Apply(g.v.data(), g.columns, g.rows);
}

int Morph(M operation, CGrid& g, doc::CKernelGeometry element = {}) {
    doc::CMorphology m;
    m.operation = operation;
    m.element = element;
    return m.Apply(g.v.data(), g.columns, g.rows);
}

CGrid Random(int c, int r, unsigned seed) {
    CGrid g(c, r);
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> d(0.0f, 1.0f);
    for (float& x : g.v)
        x = d(gen);
    return g;
}

} // namespace

TEST(Filter, AConstantSurfaceKeepsItsLevel) {
    const float quantised = 16383.0f / 32767.0f; // 0.5 becomes 16383 counts and comes back
    for (F type : {F::Mean3, F::Mean5, F::Mean7, F::Median3, F::Median3x1, F::Median1x3, F::Median5,
                   F::Median5x1, F::Median1x5, F::Gauss3, F::Gauss5, F::LowPass3, F::LowPass5, F::Sharpen}) {
        SCOPED_TRACE(static_cast<int>(type));
        CGrid g(9, 7, 0.5f);
        ASSERT_EQ(Filter(type, g), 0);
        for (float x : g.v)
            ASSERT_NEAR(x, quantised, 1e-7);
    }
    for (F type : {F::Laplace3, F::Laplace5, F::HighPass3, F::HighPass5}) {
        SCOPED_TRACE(static_cast<int>(type));
        CGrid g(9, 7, 0.5f);
        ASSERT_EQ(Filter(type, g), 0);
        for (float x : g.v)
            ASSERT_EQ(x, 0.5f);
    }
}

TEST(Filter, TheThreeByThreeMedianIsACross) {
    CGrid spot(7, 7, 0.0f);
    spot.at(3, 3) = 1.0f;
    ASSERT_EQ(Filter(F::Median3, spot), 0);
    EXPECT_TRUE(std::all_of(spot.v.begin(), spot.v.end(), [](float x) { return x == 0.0f; }));

    CGrid diagonal(7, 7, 0.0f);
    for (int k = 1; k < 6; ++k)
        diagonal.at(k, k) = 1.0f;
    ASSERT_EQ(Filter(F::Median3, diagonal), 0);
    EXPECT_TRUE(std::all_of(diagonal.v.begin(), diagonal.v.end(), [](float x) { return x == 0.0f; }));

    CGrid line(9, 5, 0.0f);
    for (int j = 2; j <= 6; ++j)
        line.at(j, 2) = 1.0f;
    ASSERT_EQ(Filter(F::Median3, line), 0);
    for (int j = 0; j < 9; ++j)
        EXPECT_EQ(line.at(j, 2) > 0.5f, j >= 3 && j <= 5) << j; // the two end cells see only two bright cells
}

TEST(Filter, CustomKernelsUseTheirAnchorAndRefuseBadMasks) {
    // Mean 5 x 3 anchored at (0, 0): the block to the right and below, edge cells replicated.
    CGrid g = Random(8, 6, 3);
    const CGrid source = g;
    ASSERT_EQ(Filter(F::MeanCustom, g, {5, 3, 0, 0}), 0);
    CGrid counts(8, 6);
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 8; ++j)
            counts.at(j, i) = std::trunc(const_cast<CGrid&>(source).at(j, i) * 32767.0f);
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 8; ++j) {
            double sum = 0;
            for (int dy = 0; dy < 3; ++dy)
                for (int dx = 0; dx < 5; ++dx)
                    sum += counts.at(std::min(j + dx, 7), std::min(i + dy, 5));
            ASSERT_EQ(g.at(j, i), static_cast<float>(std::trunc(sum / 15)) * (1.0f / 32767.0f))
                << j << "," << i;
        }
    }

    // Refused masks leave the grid as it was and say why.
    for (auto [type, kernel, status] : {std::tuple{F::MedianCustom, doc::CKernelGeometry{4, 3, 1, 1}, -33},
                                        std::tuple{F::MeanCustom, doc::CKernelGeometry{1, 5, 0, 2}, -33},
                                        std::tuple{F::MedianCustom, doc::CKernelGeometry{3, 3, 3, 1}, -34}}) {
        CGrid r = Random(6, 5, 9);
        const std::vector<float> before = r.v;
        EXPECT_EQ(Filter(type, r, kernel), status);
        EXPECT_TRUE(r.v == before);
    }
    EXPECT_STREQ(doc::kern::StatusText(-33), L"Invalid mask size");
    EXPECT_STREQ(doc::kern::StatusText(-34), L"Anchor point is outside the mask");
}

TEST(Filter, EdgeFiltersAlwaysSpanTheUnitRange) {
    for (F type : kEdgeFilters) {
        SCOPED_TRACE(static_cast<int>(type));
        CGrid g = Random(40, 30, static_cast<unsigned>(type));
        ASSERT_EQ(Filter(type, g), 0);
        // Whatever the kernel's gain, the bulk of the values lands on [0.1, 0.9] and nothing leaves [0, 1].
        const auto [lo, hi] = std::minmax_element(g.v.begin(), g.v.end());
        EXPECT_GE(*lo, 0.0f);
        EXPECT_LE(*lo, 0.1f);
        EXPECT_LE(*hi, 1.0f);
        EXPECT_GE(*hi, 0.9f);
    }
    // A flat surface has no edges: a flat, finite answer.
    CGrid flat(10, 10, 0.3f);
    ASSERT_EQ(Filter(F::SobelHoriz3, flat), 0);
    EXPECT_TRUE(std::all_of(flat.v.begin(), flat.v.end(), [](float x) { return x == 0.0f; }));
}

TEST(Filter, DegenerateGridsAreFilteredWithoutReadingOutside) {
    for (auto [c, r] : {std::pair{1, 1}, std::pair{1, 9}, std::pair{9, 1}, std::pair{2, 2}}) {
        std::vector<F> types(std::begin(kFixedFilters), std::end(kFixedFilters));
        types.insert(types.end(), std::begin(kEdgeFilters), std::end(kEdgeFilters));
        for (F type : types) {
            CGrid g = Random(c, r, 5);
            ASSERT_EQ(Filter(type, g), 0) << static_cast<int>(type);
            for (float x : g.v)
                ASSERT_TRUE(std::isfinite(x)) << static_cast<int>(type);
        }
    }
}

TEST(Morphology, DilateWidensAndErodeRemovesASpot) {
    CGrid bright(7, 7, 0.0f);
    bright.at(3, 3) = 1.0f;
    CGrid dilated = bright;
    ASSERT_EQ(Morph(M::Dilate3, dilated), 0);
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j)
            EXPECT_EQ(dilated.at(j, i), (std::abs(j - 3) <= 1 && std::abs(i - 3) <= 1) ? 1.0f : 0.0f);
    ASSERT_EQ(Morph(M::Erode3, bright), 0);
    EXPECT_TRUE(std::all_of(bright.v.begin(), bright.v.end(), [](float x) { return x == 0.0f; }));

    // A bright edge cell dilates only inward; results lie on multiples of 1/32767.
    CGrid edge(5, 4, 0.25f);
    edge.at(0, 0) = 1.0f;
    ASSERT_EQ(Morph(M::Dilate3, edge), 0);
    EXPECT_EQ(edge.at(1, 1), 1.0f);
    EXPECT_EQ(edge.at(2, 0), std::trunc(0.25f * 32767.0f) * (1.0f / 32767.0f));
}

TEST(Morphology, CustomElementsArePlacedByTheirAnchor) {
    CGrid g = Random(9, 4, 11);
    const CGrid source = g;
    ASSERT_EQ(Morph(M::DilateCustom, g, {5, 1, 0, 0}), 0); // the cell and the four to its right
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 9; ++j) {
            float best = -1;
            for (int dx = 0; dx < 5; ++dx)
                best = std::max(best,
                                std::trunc(const_cast<CGrid&>(source).at(std::min(j + dx, 8), i) * 32767.0f));
            ASSERT_EQ(g.at(j, i), best * (1.0f / 32767.0f));
        }
    }
    CGrid r = Random(5, 5, 2);
    const std::vector<float> before = r.v;
    EXPECT_EQ(Morph(M::ErodeCustom, r, {3, 3, 3, 0}), -34);
    EXPECT_TRUE(r.v == before);
}
