// A chain that keeps what its stages made gives, after any sequence of setting changes, exactly what a
// run of the whole chain from the raw counts gives: the grid bit for bit, its size, the factor and
// the normalize state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "model/Chain.h"
#include "processing/kernels/Kernels.h"

namespace {

using namespace doc;

// The settings of a document, and its raw counts.
struct CDocSettings {
    TGrid<std::int16_t> raw;
    int columns = 0, rows = 0;
    std::uint64_t version = 0;
    CPreprocessor preprocessor;
    bool jumps = false;
    Flattening flattening = Flattening::None;
    CPlaneFit planeFit;
    CMorphology morphology;
    CFilter filter;
    CNormalizeState normalize;

    CChainInput Input() {
        CChainInput in;
        in.raw = raw.data();
        in.rawColumns = columns;
        in.rawRows = rows;
        in.rawVersion = version;
        in.preprocessor = &preprocessor;
        in.jumps = jumps;
        in.flattening = flattening;
        in.planeFit = &planeFit;
        in.morphology = &morphology;
        in.filter = &filter;
        in.normalize = &normalize;
        return in;
    }
};

// A tilted, bowed surface with steps between some rows and noise: every stage has work to do.
void NewRaw(CDocSettings& d, std::mt19937& rng) {
    d.columns = 24 + static_cast<int>(rng() % 40);
    d.rows = 24 + static_cast<int>(rng() % 40);
    d.raw.resize(static_cast<std::size_t>(d.columns) * d.rows);
    std::normal_distribution<double> noise(0.0, 300.0);
    double step = 0;
    for (int i = 0; i < d.rows; ++i) {
        if (rng() % 9 == 0)
            step += noise(rng) * 8;
        for (int j = 0; j < d.columns; ++j) {
            const double v = 40.0 * j - 25.0 * i + 0.9 * (j - 20) * (j - 20) + step + noise(rng);
            d.raw[static_cast<std::size_t>(i) * d.columns + j] =
                static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
        }
    }
    ++d.version;
}

CKernelGeometry RandomKernel(std::mt19937& rng, bool odd) {
    CKernelGeometry k;
    k.width = odd ? 1 + 2 * static_cast<int>(rng() % 3) : 1 + static_cast<int>(rng() % 5);
    k.height = odd ? 1 + 2 * static_cast<int>(rng() % 3) : 1 + static_cast<int>(rng() % 5);
    k.anchorX = static_cast<int>(rng() % k.width);
    k.anchorY = static_cast<int>(rng() % k.height);
    return k;
}

// One random change of one setting, as the Surface menu (or a script) makes them.
void Change(CDocSettings& d, std::mt19937& rng) {
    static const FilterType kFilters[] = {
        FilterType::None,     FilterType::Mean3,     FilterType::Mean7,     FilterType::MeanCustom,
        FilterType::Median3,  FilterType::Median1x5, FilterType::Median5,   FilterType::MedianCustom,
        FilterType::Laplace3, FilterType::Gauss5,    FilterType::HighPass5, FilterType::Sharpen};
    switch (rng() % 10) {
    case 0:
        d.jumps = !d.jumps;
        break;
    case 1:
        d.flattening = static_cast<Flattening>(rng() % 4);
        break;
    case 2:
        d.planeFit.mode = static_cast<PlaneModel>(rng() % 5);
        break;
    case 3:
        d.morphology.operation = static_cast<MorphOp>(rng() % 5);
        d.morphology.element = RandomKernel(rng, false);
        break;
    case 4:
    case 5:
        d.filter.type = kFilters[rng() % std::size(kFilters)];
        d.filter.kernel = RandomKernel(rng, true);
        break;
    case 6:
        d.normalize.pending = true;
        break;
    case 7:
        d.normalize = CNormalizeState{};
        break;
    case 8:
        d.preprocessor.range = rng() % 2 ? 0.0f : 65536.0f;
        d.preprocessor.SetMargins(rng() % 3, rng() % 3, rng() % 3, rng() % 3);
        break;
    default:
        if (rng() % 4 == 0)
            NewRaw(d, rng);
        break;
    }
}

bool SameBits(const TGrid<float>& a, const TGrid<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(Chain, AnyOrderOfChangesGivesWhatAWholeRunGives) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::mt19937 rng(seed);
        CDocSettings d;
        NewRaw(d, rng);
        CChain chain;
        TGrid<float> grid;
        int columns = 0, rows = 0;
        chain.Run(d.Input(), grid, columns, rows, nullptr); // the open's run keeps nothing
        EXPECT_EQ(chain.KeptGrids(), 0u);
        chain.Keep(true);
        int kept = 0;
        for (int change = 0; change < 150; ++change) {
            Change(d, rng);
            // The whole chain on copies of the settings, as a fresh document would run it.
            CDocSettings whole = d;
            CChain fresh;
            TGrid<float> expected;
            int c = 0, r = 0;
            int expectedFailures = 0, failures = 0;
            const double f = fresh.Run(whole.Input(), expected, c, r, [&](int) { ++expectedFailures; });
            const double factor = chain.Run(d.Input(), grid, columns, rows, [&](int) { ++failures; });
            ASSERT_EQ(columns, c) << "seed " << seed << ", change " << change;
            ASSERT_EQ(rows, r);
            ASSERT_TRUE(SameBits(grid, expected)) << "seed " << seed << ", change " << change;
            ASSERT_EQ(std::memcmp(&factor, &f, sizeof f), 0) << factor << " vs " << f;
            ASSERT_EQ(d.normalize.pending, whole.normalize.pending);
            ASSERT_EQ(d.normalize.span, whole.normalize.span);
            ASSERT_EQ(d.normalize.offset, whole.normalize.offset);
            // A failing stage is reported on every run that meets it, kept or not.
            ASSERT_EQ(failures, expectedFailures);
            ASSERT_LE(chain.KeptGrids(), CChain::kMaxGrids);
            kept += static_cast<int>(chain.KeptGrids());
        }
        EXPECT_GT(kept, 150) << "the runs kept next to nothing: the test did not test keeping";
    }
}

TEST(Chain, GoingBackFindsTheKeptResultAndALaterChangeStartsFromTheStageBefore) {
    std::mt19937 rng(99);
    CDocSettings d;
    NewRaw(d, rng);
    d.jumps = true;
    d.flattening = Flattening::OnYX;
    d.planeFit.mode = PlaneModel::Paraboloid;
    d.morphology.operation = MorphOp::Dilate3;
    CChain chain;
    chain.Keep(true);
    TGrid<float> grid;
    int columns = 0, rows = 0;
    chain.Run(d.Input(), grid, columns, rows, nullptr);
    const float* first = grid.data();
    const TGrid<float> firstResult = grid;

    d.filter.type = FilterType::Median5;
    chain.Run(d.Input(), grid, columns, rows, nullptr);
    EXPECT_FALSE(SameBits(grid, firstResult));
    d.filter.type = FilterType::None;
    chain.Run(d.Input(), grid, columns, rows, nullptr);
    // The very grid of the first run is back: nothing was computed again.
    EXPECT_EQ(grid.data(), first);
    EXPECT_TRUE(SameBits(grid, firstResult));

    // Asking to normalize again measures the same input again and finds the same result.
    d.normalize.pending = true;
    chain.Run(d.Input(), grid, columns, rows, nullptr);
    const float* normalised = grid.data();
    const CNormalizeState measured = d.normalize;
    EXPECT_FALSE(measured.pending);
    d.normalize = CNormalizeState{};
    chain.Run(d.Input(), grid, columns, rows, nullptr);
    d.normalize.pending = true;
    chain.Run(d.Input(), grid, columns, rows, nullptr);
    EXPECT_EQ(grid.data(), normalised);
    EXPECT_EQ(d.normalize.span, measured.span);
    EXPECT_EQ(d.normalize.offset, measured.offset);
}

TEST(Chain, AFailedRunIsNotKeptAndMemoryStaysWithinItsBound) {
    std::mt19937 rng(5);
    CDocSettings d;
    NewRaw(d, rng);
    CChain chain;
    chain.Keep(true);
    TGrid<float> grid;
    int columns = 0, rows = 0;
    d.morphology.operation = MorphOp::DilateCustom;
    d.morphology.element = {3, 3, 4, 1}; // the anchor outside the element
    int reports = 0;
    chain.Run(d.Input(), grid, columns, rows, [&](int status) {
        EXPECT_EQ(status, kern::StsAnchor);
        ++reports;
    });
    d.filter.type = FilterType::Mean3;
    chain.Run(d.Input(), grid, columns, rows, [&](int) { ++reports; });
    d.filter.type = FilterType::None;
    chain.Run(d.Input(), grid, columns, rows, [&](int) { ++reports; });
    EXPECT_EQ(reports, 3) << "the failed result was kept and shown without its message";

    // Many different results: the kept ones stay within the bound, the oldest going first.
    d.morphology.operation = MorphOp::None;
    for (int k = 0; k < 40; ++k) {
        d.normalize = CNormalizeState{};
        d.preprocessor.SetMargins(k % 7, 0, 0, k % 5);
        chain.Run(d.Input(), grid, columns, rows, nullptr);
        ASSERT_LE(chain.KeptGrids(), CChain::kMaxGrids);
    }
    const std::size_t gridBytes = grid.capacity() * sizeof(float);
    EXPECT_LE(chain.KeptBytes(), (CChain::kMaxGrids + 1) * gridBytes + (std::size_t(1) << 20));
    chain.Forget();
    EXPECT_EQ(chain.KeptGrids(), 0u);
    EXPECT_EQ(chain.KeptBytes(), 0u);
}

TEST(Chain, TheChainsOfAllDocumentsStayWithinTheProcessBudget) {
    std::mt19937 rng(21);
    CDocSettings a, b;
    NewRaw(a, rng);
    NewRaw(b, rng);
    const std::size_t grid = 64 * 64 * sizeof(float); // the largest raw grid that NewRaw makes
    struct CBudget {
        std::size_t before;
        explicit CBudget(std::size_t bytes) : before(CChain::SetProcessBudget(bytes)) {}
        ~CBudget() { CChain::SetProcessBudget(before); }
    } budget(5 * grid);
    CChain first, second;
    first.Keep(true);
    second.Keep(true);
    TGrid<float> gridA, gridB;
    int c = 0, r = 0;
    for (int change = 0; change < 60; ++change) {
        CDocSettings& d = change % 2 ? a : b;
        CChain& chain = change % 2 ? first : second;
        Change(d, rng);
        CDocSettings whole = d;
        CChain fresh;
        TGrid<float> expected;
        int ec = 0, er = 0;
        const double f = fresh.Run(whole.Input(), expected, ec, er, nullptr);
        const double factor = chain.Run(d.Input(), change % 2 ? gridA : gridB, c, r, nullptr);
        ASSERT_TRUE(SameBits(change % 2 ? gridA : gridB, expected)) << "change " << change;
        ASSERT_EQ(factor, f);
        ASSERT_LE(CChain::ProcessBytes(), 5 * grid) << "change " << change;
    }
    EXPECT_GT(first.KeptGrids() + second.KeptGrids(), 2u);
}

} // namespace
