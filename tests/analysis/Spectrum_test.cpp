// The textures of the spectrum and auto-correlation windows: sizes, placement and display scaling.
#include <algorithm>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "analysis/Spectrum.h"
#include "processing/Filter.h"

namespace {

using fourier::CSpectralTexture;

const bool kNoUserWisdom = ::setenv("VANTRI_FFTW_WISDOM", "off", 1) == 0;

std::vector<float> Cosine(int columns, int rows, double amplitude) {
    const double pi = std::acos(-1.0);
    std::vector<float> grid(static_cast<std::size_t>(columns) * rows);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            grid[y * columns + x] = static_cast<float>(0.5 + amplitude * std::cos(2 * pi * 4 * x / columns));
    return grid;
}

void ExpectFiniteUnit(const CSpectralTexture& t) {
    ASSERT_EQ(t.texels.size(), static_cast<std::size_t>(t.width) * t.height);
    for (float v : t.texels)
        ASSERT_TRUE(std::isfinite(v) && v >= 0.0f && v <= 1.0f) << v;
}

TEST(SpectralTexture, SidesExtentsAndResampling) {
    CSpectralTexture t;
    ASSERT_EQ(fourier::BuildSpectrum(std::vector<float>(9, 0.3f).data(), 3, 3, 8192, true, t), 0);
    EXPECT_EQ(t.width, 4);
    EXPECT_EQ(t.height, 4);
    EXPECT_EQ(t.uMax, 0.75f);
    EXPECT_EQ(t.vMax, 0.75f);
    EXPECT_FALSE(t.resampled);
    for (int y = 0; y < 4; ++y) // the padding stays 0
        for (int x = 0; x < 4; ++x)
            if (x == 3 || y == 3) {
                EXPECT_EQ(t.texels[y * 4 + x], 0.0f);
            }

    EXPECT_EQ(fourier::TextureSide(1000, 8192), 1024);
    EXPECT_EQ(fourier::TextureSide(1, 8192), 2);
    EXPECT_EQ(fourier::TextureSide(5000, 4096), 4096);
    EXPECT_EQ(fourier::TextureSide(5000, 3000), 2048);

    // Larger than the texture: resampled into all of it and filtered there.
    const std::vector<float> wide = Cosine(96, 20, 0.25);
    ASSERT_EQ(fourier::BuildCorrelation(wide.data(), 96, 20, 32, t), 0);
    EXPECT_EQ(t.width, 32);
    EXPECT_EQ(t.height, 32);
    EXPECT_TRUE(t.resampled);
    EXPECT_EQ(t.uMax, 1.0f);
    EXPECT_EQ(t.vMax, 1.0f);
    EXPECT_EQ(t.RegionWidth(), 32);
    ExpectFiniteUnit(t);
}

TEST(SpectralTexture, ACosineShowsTwoPeaksLinearAndLogarithmic) {
    const int columns = 64, rows = 32;
    const std::vector<float> grid = Cosine(columns, rows, 0.25);
    CSpectralTexture linear, logarithmic;
    ASSERT_EQ(fourier::BuildSpectrum(grid.data(), columns, rows, 8192, false, linear), 0);
    EXPECT_NEAR(linear.maxAmplitude, 0.25f, 1e-6f);
    EXPECT_EQ(linear.maxColumn, columns / 2 - 4); // the first of the two in row order
    EXPECT_EQ(linear.maxRow, rows / 2);
    EXPECT_NEAR(linear.factor, 4.0f, 1e-4f);
    EXPECT_NEAR(linear.texels[(rows / 2) * columns + columns / 2 - 4], 1.0f, 1e-5f);
    EXPECT_NEAR(linear.texels[(rows / 2) * columns + columns / 2 + 4], 1.0f, 1e-5f);
    ExpectFiniteUnit(linear);

    // An amplitude of 0.01 shows half-way on the logarithmic scale, 0.25 at (log10 0.25 + 4) / 4.
    ASSERT_EQ(
        fourier::BuildSpectrum(Cosine(columns, rows, 0.01).data(), columns, rows, 8192, true, logarithmic),
        0);
    EXPECT_EQ(logarithmic.factor, 1.0f);
    EXPECT_NEAR(logarithmic.texels[(rows / 2) * columns + columns / 2 + 4], 0.5f, 1e-5f);
    ASSERT_EQ(fourier::BuildSpectrum(grid.data(), columns, rows, 8192, true, logarithmic), 0);
    EXPECT_NEAR(logarithmic.texels[(rows / 2) * columns + columns / 2 + 4], (std::log10(0.25) + 4) / 4, 1e-5);
    EXPECT_EQ(logarithmic.texels[0], 0.0f);
    ExpectFiniteUnit(logarithmic);
}

TEST(SpectralTexture, NothingToScaleGivesAUniformImageWithFactorOne) {
    CSpectralTexture t;
    const std::vector<float> flat(40 * 30, 0.5f);
    ASSERT_EQ(fourier::BuildSpectrum(flat.data(), 40, 30, 8192, false, t), 0);
    EXPECT_EQ(t.factor, 1.0f);
    EXPECT_TRUE(std::all_of(t.texels.begin(), t.texels.end(), [](float v) { return v == 0.0f; }));
    ASSERT_EQ(fourier::BuildCorrelation(std::vector<float>(40 * 30, 0.8f).data(), 40, 30, 8192, t), 0);
    EXPECT_EQ(t.factor, 1.0f);
    EXPECT_TRUE(std::all_of(t.texels.begin(), t.texels.end(), [](float v) { return v == 0.0f; }));
}

TEST(SpectralTexture, TheCorrelationSpansZeroToOneWithItsPeakAtTheCentre) {
    std::mt19937 engine(4);
    std::uniform_real_distribution<float> level(0.0f, 1.0f);
    std::vector<float> grid(50 * 40);
    for (float& v : grid)
        v = level(engine);
    CSpectralTexture t;
    ASSERT_EQ(fourier::BuildCorrelation(grid.data(), 50, 40, 8192, t), 0);
    EXPECT_EQ(t.width, 64);
    EXPECT_EQ(t.height, 64);
    EXPECT_EQ(t.texels[20 * 64 + 25], 1.0f);
    EXPECT_GT(t.factor, 1.0f);
    float low = 1.0f;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            low = std::min(low, t.texels[y * 64 + x]);
    EXPECT_EQ(low, 0.0f);
    ExpectFiniteUnit(t);
}

TEST(SpectralTexture, HostileGridsGiveFiniteTexturesOrAFailure) {
    std::vector<float> hostile = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 0.5f, NAN};
    for (bool logarithmic : {false, true})
        for (auto [columns, rows] : {std::pair{1, 1}, std::pair{1, 7}, std::pair{7, 1}}) {
            CSpectralTexture t;
            ASSERT_EQ(fourier::BuildSpectrum(hostile.data(), columns, rows, 8192, logarithmic, t), 0);
            ExpectFiniteUnit(t);
            ASSERT_EQ(fourier::BuildCorrelation(hostile.data(), columns, rows, 8192, t), 0);
            ExpectFiniteUnit(t);
        }
    CSpectralTexture t;
    EXPECT_NE(fourier::BuildSpectrum(nullptr, 4, 4, 8192, true, t), 0);
    EXPECT_NE(fourier::BuildCorrelation(hostile.data(), 0, 4, 8192, t), 0);
    EXPECT_TRUE(t.texels.empty());
    // A 1 x 1 spectrum has no cell beside its centre.
    ASSERT_EQ(fourier::BuildSpectrum(hostile.data() + 5, 1, 1, 8192, false, t), 0);
    EXPECT_EQ(t.maxColumn, -1);
    EXPECT_EQ(t.maxAmplitude, 0.0f);
}

} // namespace
