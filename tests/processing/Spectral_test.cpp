// The spectrum and auto-correlation filter types, and the FFTW plans under the spectrum.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "processing/AutoCorrelation.h"
#include "processing/Filter.h"
#include "processing/Fourier.h"
#include "processing/ScaleImage.h"
#include "processing/kernels/Kernels.h"

namespace {

namespace fs = std::filesystem;
using doc::FilterType;

// The tests never write the user's wisdom file.
const bool kNoUserWisdom = ::setenv("VANTRI_FFTW_WISDOM", "off", 1) == 0;

std::vector<float> Random(int columns, int rows, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<float> level(0.0f, 1.0f);
    std::vector<float> grid(static_cast<std::size_t>(columns) * rows);
    for (float& v : grid)
        v = level(engine);
    return grid;
}

std::vector<float> Filtered(std::vector<float> grid, int columns, int rows, FilterType type) {
    doc::CFilter filter;
    filter.type = type;
    EXPECT_EQ(filter.Apply(grid.data(), columns, rows), 0);
    return grid;
}

// The amplitudes by the definition, in double, centred by exchanging halves.
std::vector<double> DirectSpectrum(const std::vector<float>& grid, int columns, int rows) {
    const double pi = std::acos(-1.0);
    std::vector<double> a(grid.size());
    for (int w = 0; w < rows; ++w)
        for (int u = 0; u < columns; ++u) {
            std::complex<double> sum = 0.0;
            for (int y = 0; y < rows; ++y)
                for (int x = 0; x < columns; ++x)
                    sum += (grid[y * columns + x] - 0.5) *
                           std::polar(1.0, -2 * pi * (double(u) * x / columns + double(w) * y / rows));
            a[w * columns + u] = 2 * std::abs(sum) / (double(columns) * rows);
        }
    const int h = rows / 2, k = columns / 2;
    for (int i = 0; i < h; ++i)
        for (int x = 0; x < columns; ++x)
            std::swap(a[i * columns + x], a[(i + h) * columns + x]);
    for (int y = 0; y < rows; ++y)
        for (int j = 0; j < k; ++j)
            std::swap(a[y * columns + j], a[y * columns + j + k]);
    return a;
}

void ExpectDirect(int columns, int rows, unsigned seed) {
    const std::vector<float> grid = Random(columns, rows, seed);
    const std::vector<float> got = Filtered(grid, columns, rows, FilterType::Spectrum);
    const std::vector<double> want = DirectSpectrum(grid, columns, rows);
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_NEAR(got[i], want[i], 2e-6) << columns << " x " << rows << " cell " << i;
}

TEST(Spectrum, AConstantSurfaceHasItsOnlyAmplitudeAtTheCentre) {
    for (auto [columns, rows] : {std::pair{8, 6}, std::pair{7, 5}, std::pair{1, 1}}) {
        const std::vector<float> a =
            Filtered(std::vector<float>(columns * rows, 1.0f), columns, rows, FilterType::Spectrum);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < columns; ++x)
                EXPECT_NEAR(a[y * columns + x], x == columns / 2 && y == rows / 2 ? 1.0f : 0.0f, 1e-6f)
                    << columns << " x " << rows << " at " << x << ", " << y;
    }
}

TEST(Spectrum, EqualsTheDirectTransformOnEvenOddAndDegenerateSizes) {
    ExpectDirect(6, 5, 1);
    ExpectDirect(5, 3, 2);
    ExpectDirect(7, 7, 3);
    ExpectDirect(16, 4, 4);
    ExpectDirect(1, 9, 5);
    ExpectDirect(10, 1, 6);
    // Rows wide enough for whole vectors of either width on both halves, the mirrored one included.
    ExpectDirect(40, 6, 7);
    ExpectDirect(37, 3, 8);
}

TEST(Spectrum, AnUnalignedSurfaceAndAWiderDestinationGiveTheSameRows) {
    const int columns = 24, rows = 10;
    const std::vector<float> grid = Random(columns, rows, 9);
    const std::vector<float> want = Filtered(grid, columns, rows, FilterType::Spectrum);
    // The surface one float past an aligned start, read where it lies or copied first.
    std::vector<float> shifted(grid.size() + 1);
    std::copy(grid.begin(), grid.end(), shifted.begin() + 1);
    const std::size_t stride = columns + 5;
    std::vector<float> power(stride * rows, -1.0f);
    int next = 0;
    ASSERT_EQ(doc::fourier::PowerSpectrum(shifted.data() + 1, columns, rows, power.data(), stride,
                                          [&](int row, float* cells) {
                                              EXPECT_EQ(row, next++);
                                              EXPECT_EQ(cells, power.data() + row * stride);
                                          }),
              0);
    EXPECT_EQ(next, rows);
    for (int y = 0; y < rows; ++y)
        for (std::size_t x = 0; x < stride; ++x) {
            const float v = power[y * stride + x];
            if (x < std::size_t(columns))
                ASSERT_NEAR(std::sqrt(v), want[y * columns + x], 1e-6f) << x << ", " << y;
            else
                ASSERT_EQ(v, -1.0f) << "beyond the row: " << x << ", " << y;
        }
}

TEST(Spectrum, ACosineAlongXGivesTwoPeaksOfItsAmplitude) {
    const int columns = 32, rows = 16;
    const double pi = std::acos(-1.0);
    std::vector<float> grid(columns * rows);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            grid[y * columns + x] = static_cast<float>(0.5 + 0.25 * std::cos(2 * pi * 4 * x / columns));
    const std::vector<float> a = Filtered(grid, columns, rows, FilterType::Spectrum);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            const bool peak = y == rows / 2 && (x == columns / 2 - 4 || x == columns / 2 + 4);
            EXPECT_NEAR(a[y * columns + x], peak ? 0.25f : 0.0f, 1e-6f) << x << ", " << y;
        }
}

TEST(Spectrum, RefusesBadArgumentsLeavingTheGridAndNamesItsOwnFailure) {
    std::vector<float> grid = {0.25f, 0.75f};
    EXPECT_NE(doc::fourier::AmplitudeSpectrum(grid.data(), grid.data(), 0, 1), 0);
    EXPECT_NE(doc::fourier::AmplitudeSpectrum(nullptr, grid.data(), 2, 1), 0);
    EXPECT_EQ(grid, (std::vector<float>{0.25f, 0.75f}));
    EXPECT_STRNE(doc::kern::StatusText(doc::kern::StsFftPlan), L"");
}

TEST(SpectrumPlans, ThreadsOfTheSameAndOtherSizesAtOnceGetTheRightAmplitudes) {
    struct CCase {
        int columns, rows;
        std::vector<float> grid;
        std::vector<double> want;
    };
    std::vector<CCase> cases;
    for (auto [columns, rows] : {std::pair{24, 18}, std::pair{30, 22}, std::pair{17, 9}}) {
        CCase c{columns, rows, Random(columns, rows, columns), {}};
        c.want = DirectSpectrum(c.grid, columns, rows);
        cases.push_back(std::move(c));
    }
    std::vector<int> wrong(6, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                const CCase& c = cases[(t + round) % cases.size()];
                std::vector<float> a(c.grid.size());
                if (doc::fourier::AmplitudeSpectrum(c.grid.data(), a.data(), c.columns, c.rows) != 0)
                    ++wrong[t];
                for (std::size_t i = 0; i < a.size(); ++i)
                    if (std::abs(a[i] - c.want[i]) > 2e-6)
                        ++wrong[t];
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, std::vector<int>(6, 0));
    doc::fourier::WaitForMeasuredPlans();
    for (const CCase& c : cases)
        EXPECT_EQ(doc::fourier::StateOf(c.columns, c.rows), doc::fourier::PlanState::Measured);
    // A measured plan gives the same amplitudes as the estimated one did.
    ExpectDirect(24, 18, 24);
}

TEST(SpectrumPlans, TheWisdomFileIsWrittenIntoANewFolderAndReadBack) {
    const fs::path dir = fs::path(VANTRI_TEST_OUT) / "wisdom";
    fs::remove_all(dir);
    const fs::path file = dir / "sub" / "fftwf-wisdom";
    doc::fourier::WaitForMeasuredPlans(); // nobody reads the environment while it changes
    ASSERT_EQ(::setenv("VANTRI_FFTW_WISDOM", file.c_str(), 1), 0);
    EXPECT_EQ(doc::fourier::WisdomPath(), file.string());
    ExpectDirect(26, 14, 7);
    doc::fourier::WaitForMeasuredPlans();
    std::ifstream in(file);
    std::string head;
    in >> head;
    EXPECT_EQ(head.rfind("(fftw-", 0), 0u) << head;
    EXPECT_TRUE(doc::fourier::ImportWisdom());
    EXPECT_TRUE(doc::fourier::ExportWisdom());

    std::ofstream(file, std::ios::trunc) << "not wisdom";
    EXPECT_FALSE(doc::fourier::ImportWisdom());
    ASSERT_EQ(::setenv("VANTRI_FFTW_WISDOM", "off", 1), 0);
    EXPECT_EQ(doc::fourier::WisdomPath(), "");
    EXPECT_FALSE(doc::fourier::ImportWisdom());
    EXPECT_FALSE(doc::fourier::ExportWisdom());
}

TEST(AutoCorrelation, AConstantSurfaceCorrelatesAsOneEverywhere) {
    for (auto [columns, rows] : {std::pair{40, 30}, std::pair{100, 80}, std::pair{1, 1}, std::pair{1, 70}}) {
        const std::vector<float> k =
            Filtered(std::vector<float>(columns * rows, 0.7f), columns, rows, FilterType::AutoCorrelation);
        for (float v : k)
            ASSERT_EQ(v, 1.0f) << columns << " x " << rows;
    }
}

TEST(AutoCorrelation, A64By64GridIsNotResampledAndEqualsTheDefinition) {
    const int n = 64;
    const std::vector<float> a = Random(n, n, 9);
    const std::vector<float> k = Filtered(a, n, n, FilterType::AutoCorrelation);
    EXPECT_EQ(k[32 * n + 32], 1.0f);
    double energy = 0;
    for (float v : a)
        energy += double(v) * v;
    for (int q = 0; q < n; q += 5)
        for (int p = 0; p < n; p += 3) {
            double sum = 0;
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x)
                    sum += double(a[((y + 32) % n) * n + (x + 32) % n]) * a[((y + q) % n) * n + (x + p) % n];
            ASSERT_NEAR(k[q * n + p], sum / energy, 1e-5) << p << ", " << q;
        }
}

TEST(AutoCorrelation, ALargeGridIsReducedTo64AndEnlargedBack) {
    const int n = 512;
    const std::vector<float> grid = Random(n, n, 10);
    const std::vector<float> k = Filtered(grid, n, n, FilterType::AutoCorrelation);
    std::vector<float> small(64 * 64);
    ASSERT_TRUE(doc::ScaleImage(grid.data(), n, n, small.data(), 64, 64));
    ASSERT_EQ(doc::AutoCorrelation(small.data(), small.data(), 64, 64), 0);
    std::vector<float> back(grid.size());
    ASSERT_TRUE(doc::ScaleImage(small.data(), 64, 64, back.data(), n, n));
    EXPECT_EQ(k, back);
    // The zero lag's peak lies at the middle of the enlarged grid.
    const auto peak = std::max_element(k.begin(), k.end()) - k.begin();
    EXPECT_NEAR(peak % n, n / 2, 8);
    EXPECT_NEAR(peak / n, n / 2, 8);
}

TEST(AutoCorrelation, StripesOfPeriodEightPeakEveryEightCellsThroughTheCentre) {
    const int columns = 64, rows = 48;
    const double pi = std::acos(-1.0);
    std::vector<float> grid(columns * rows);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            grid[y * columns + x] = static_cast<float>(0.5 + 0.4 * std::cos(2 * pi * x / 8));
    const std::vector<float> k = Filtered(grid, columns, rows, FilterType::AutoCorrelation);
    const float* row = &k[(rows / 2) * columns];
    for (int x = 0; x < columns; ++x) {
        const bool maximum = row[x] > row[(x + 1) % columns] && row[x] > row[(x + columns - 1) % columns];
        EXPECT_EQ(maximum, (x - columns / 2) % 8 == 0) << x;
        if (x % 8 == 0) {
            EXPECT_NEAR(row[x], 1.0f, 1e-5f);
        }
    }
}

TEST(AutoCorrelation, NoEnergyOrHostileHeightsGiveFiniteValues) {
    const std::vector<float> zero =
        Filtered(std::vector<float>(20 * 10, 0.0f), 20, 10, FilterType::AutoCorrelation);
    EXPECT_EQ(zero, std::vector<float>(200, 0.0f));
    std::vector<float> hostile = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 0.5f};
    for (auto type : {FilterType::AutoCorrelation, FilterType::Spectrum})
        for (auto [columns, rows] : {std::pair{6, 1}, std::pair{1, 6}, std::pair{1, 1}, std::pair{3, 2}}) {
            std::vector<float> grid(hostile.begin(), hostile.begin() + columns * rows);
            doc::CFilter filter;
            filter.type = type;
            filter.Apply(grid.data(), columns, rows);
            if (type != FilterType::AutoCorrelation)
                continue;
            for (float v : grid)
                EXPECT_TRUE(std::isfinite(v)) << columns << " x " << rows;
        }
}

} // namespace
