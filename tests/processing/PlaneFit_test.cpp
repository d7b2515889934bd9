#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "processing/PlaneFit.h"

namespace {

using Matrix = gl::e::TMatrix<double>;
using Cells = std::vector<float>;

Matrix Rows(const std::vector<std::vector<double>>& rows) {
    Matrix m;
    EXPECT_TRUE(m.Resize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size())));
    for (int r = 0; r < m.Rows(); ++r)
        for (int c = 0; c < m.Columns(); ++c)
            m(c, r) = rows[r][c];
    return m;
}

// z(x, y) at the 1-based cell coordinates.
Cells Sample(int w, int h, const std::function<double(double, double)>& z) {
    Cells g(static_cast<std::size_t>(w) * h);
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j)
            g[j + static_cast<std::size_t>(i) * w] = static_cast<float>(z(j + 1.0, i + 1.0));
    return g;
}

using M = doc::PlaneModel;
constexpr M kModels[] = {M::Plane, M::ParabolaX, M::ParabolaY, M::Paraboloid};

Cells Fitted(M mode, Cells g, int w, int h) {
    doc::CPlaneFit fit;
    fit.mode = mode;
    fit.Apply(g.data(), w, h);
    return g;
}

double MaxDeviation(const Cells& g, const Cells& expected) {
    double worst = 0;
    for (std::size_t k = 0; k < g.size(); ++k)
        worst = std::max(worst, std::fabs(static_cast<double>(g[k]) - expected[k]));
    return worst;
}

} // namespace

TEST(CalcDeterminant, ReadsOnlyTheLeadingBlockAndRejectsSizesItCannotRead) {
    Matrix m = Rows({{3, 8, 99}, {4, 6, 99}});
    EXPECT_EQ(doc::calc_determinant(m, 2), 3 * 6 - 8 * 4);
    m = Rows({{2, -3, 1, 1e9}, {2, 0, -1, 1e9}, {1, 4, 5, 1e9}});
    EXPECT_EQ(doc::calc_determinant(m, 3), 49);
    m = Rows({{0, 0, 5, 1}, {2, 1, 7, 3}, {0, 3, 4, 2}, {0, 0, 0, 4}}); // triangular, rows permuted
    EXPECT_EQ(doc::calc_determinant(m, 4), 120);
    m = Rows({{1, 2, 0, 3, 1}, {0, 1, 4, 1, 2}, {2, 0, 1, 0, 3}, {1, 1, 1, 1, 1}, {3, 0, 2, 1, 0}});
    EXPECT_EQ(doc::calc_determinant(m, 5), 45);

    try {
        doc::calc_determinant(m, 1);
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_EQ(std::string(e.what()),
                  "File: PlaneFit\n function:\ndouble calc_determinant(gl::e::TMatrix<double>& "
                  "core, int size)\nsize < 2");
    }
    EXPECT_THROW(doc::calc_determinant(m, 6), std::out_of_range);
    EXPECT_FALSE(m.Resize(1 << 30, 1 << 30));
    EXPECT_EQ(m.Columns(), 0);
}

TEST(PlaneFit, NormalEquationsMatchCellByCellSums) {
    // 512^4 and its sums need more than 32 bits.
    const Cells half(512 * 512, 0.5f);
    doc::CPlaneFit fit;
    Matrix system;
    fit.mode = M::ParabolaX;
    ASSERT_TRUE(fit.NormalEquations(half.data(), 512, 512, system));
    EXPECT_EQ(system(0, 0), 7071278895360.0);
    fit.mode = M::Paraboloid;
    ASSERT_TRUE(fit.NormalEquations(half.data(), 512, 512, system));
    EXPECT_EQ(system(0, 0), 3620494794424320.0);

    // A width with a remainder after the vector lanes; the straightforward sums over every cell.
    const int w = 37, h = 23;
    Cells g(w * h);
    std::mt19937 random(11);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (float& v : g)
        v = value(random);
    auto sum = [&](int px, int py, bool withZ) {
        double s = 0;
        for (int i = 0; i < h; ++i)
            for (int j = 0; j < w; ++j)
                s += std::pow(j + 1.0, px) * std::pow(i + 1.0, py) * (withZ ? g[j + i * w] : 1.0);
        return s;
    };
    using Terms = std::vector<std::pair<int, int>>;
    for (auto [mode, t] : {std::pair{M::Plane, Terms{{1, 0}, {0, 1}, {0, 0}}},
                           std::pair{M::Paraboloid, Terms{{2, 0}, {0, 2}, {1, 0}, {0, 1}, {0, 0}}}}) {
        const int n = static_cast<int>(t.size());
        fit.mode = mode;
        ASSERT_TRUE(fit.NormalEquations(g.data(), w, h, system));
        ASSERT_EQ(system.Columns(), n + 1);
        ASSERT_EQ(system.Rows(), n);
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c)
                EXPECT_EQ(system(c, r), sum(t[r].first + t[c].first, t[r].second + t[c].second, false));
            const double expected = sum(t[r].first, t[r].second, true);
            EXPECT_NEAR(system(n, r), expected, 1e-13 * expected)
                << "mode " << static_cast<int>(mode) << " row " << r;
        }
    }
}

TEST(PlaneFit, EachModelRemovesItsShapeAndNothingElse) {
    const int w = 64, h = 48;
    const Cells half(w * h, 0.5f);
    EXPECT_LT(MaxDeviation(
                  Fitted(M::Plane,
                         Sample(w, h, [](double x, double y) { return 0.001 * x + 0.002 * y + 0.3; }), w, h),
                  half),
              1e-6);
    EXPECT_LT(
        MaxDeviation(Fitted(M::ParabolaX,
                            Sample(w, h, [](double x, double) { return 2e-4 * x * x - 0.01 * x; }), w, h),
                     half),
        1e-6);
    EXPECT_LT(
        MaxDeviation(Fitted(M::ParabolaY,
                            Sample(w, h, [](double, double y) { return -3e-4 * y * y + 0.02 * y; }), w, h),
                     half),
        1e-6);
    for (M mode : kModels)
        EXPECT_LT(MaxDeviation(Fitted(mode, Cells(w * h, 0.9f), w, h), half), 1e-6) << static_cast<int>(mode);

    // 512 x 512: power sums up to 3.6e15, and 5 x 5 determinants spanning many orders of magnitude.
    auto paraboloid = [](double x, double y) {
        return 1e-6 * x * x - 2e-6 * y * y - 1e-4 * x + 3e-4 * y + 0.1;
    };
    EXPECT_LT(
        MaxDeviation(Fitted(M::Paraboloid, Sample(512, 512, paraboloid), 512, 512), Cells(512 * 512, 0.5f)),
        1e-5);

    // Parabola on X absorbs a variation along y only as a constant (its mean, 0.11).
    EXPECT_LT(
        MaxDeviation(Fitted(M::ParabolaX, Sample(31, 21, [](double, double y) { return 0.01 * y; }), 31, 21),
                     Sample(31, 21, [](double, double y) { return 0.01 * y - 0.11 + 0.5; })),
        1e-6);
    // A saddle about the centre is orthogonal to every term of the paraboloid.
    auto saddle = [](double x, double y) { return 1e-3 * (x - 16) * (y - 11); };
    EXPECT_LT(
        MaxDeviation(Fitted(M::Paraboloid,
                            Sample(31, 21, [&](double x, double y) { return saddle(x, y) + 2e-4 * x * x; }),
                            31, 21),
                     Sample(31, 21, [&](double x, double y) { return saddle(x, y) + 0.5; })),
        1e-6);
}

TEST(PlaneFit, SingularOrUnknownCasesLeaveTheGridUnchanged) {
    // The wide ones: rounding gives their singular systems a non-zero determinant.
    const M outside = static_cast<M>(5), negative = static_cast<M>(-1); // no model of the set
    for (auto [mode, w, h] : {std::tuple{M::Plane, 9, 1},
                              {M::Plane, 1, 9},
                              {M::ParabolaX, 2, 9},
                              {M::ParabolaY, 9, 2},
                              {M::Paraboloid, 2, 9},
                              {M::Paraboloid, 9, 2},
                              {M::Plane, 5000, 1},
                              {M::Paraboloid, 4096, 2},
                              {M::None, 9, 9},
                              {outside, 9, 9},
                              {negative, 9, 9},
                              {M::Plane, 0, 0}}) {
        Cells g(static_cast<std::size_t>(w) * h);
        for (std::size_t k = 0; k < g.size(); ++k)
            g[k] = 0.1f * static_cast<float>(k % 7);
        EXPECT_EQ(Fitted(mode, g, w, h), g) << static_cast<int>(mode) << ": " << w << " x " << h;
    }
    // The smallest solvable grid.
    for (M mode : kModels)
        for (float v : Fitted(mode, {0.1f, 0.7f, 0.3f, 0.9f, 0.2f, 0.4f, 0.8f, 0.5f, 0.6f}, 3, 3))
            EXPECT_TRUE(std::isfinite(v)) << static_cast<int>(mode);
}
