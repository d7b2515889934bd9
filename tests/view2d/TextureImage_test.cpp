#include "view2d/TextureImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "processing/Filter.h"
#include "processing/ScaleImage.h"
#include "view2d/ColorTransfer.h"

using surface::BuildTexture;
using F = doc::FilterType;
using surface::CTextureImage;
using surface::ScaleImage;
using surface::TextureSide;

namespace {

std::vector<float> RandomGrid(int columns, int rows, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> level(0.0f, 1.0f);
    std::vector<float> grid(std::size_t(columns) * rows);
    for (float& v : grid)
        v = level(random);
    return grid;
}

float Texel(const CTextureImage& t, int x, int y) {
    return t.texels[std::size_t(x) + std::size_t(y) * t.width];
}

// The level a value keeps through the 16-bit intermediate.
float Level16(float v) {
    return static_cast<float>(static_cast<int>(65535.0f * v)) / 65535.0f;
}

// Every texel: the samples in the corner, the last column repeated to the right and the last row
// repeated below.
void ExpectCopyWithPadding(const CTextureImage& t, const std::vector<float>& samples, int columns, int rows) {
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x) {
            const int sx = x < columns ? x : columns - 1, sy = y < rows ? y : rows - 1;
            ASSERT_EQ(Texel(t, x, y), samples[std::size_t(sx) + std::size_t(sy) * columns]) << x << "," << y;
        }
}

} // namespace

TEST(TextureSide, PowersOfTwoFromTwoUpToTheCap) {
    struct {
        int count, max, side;
    } const cases[] = {
        {1, 16384, 2},     {2, 16384, 2},      {3, 16384, 4},           {300, 16384, 512},  {200, 16384, 256},
        {512, 16384, 512}, {513, 16384, 1024}, {5000, 4096, 4096},      {4096, 2048, 2048}, {0, 16384, 2},
        {-5, 16384, 2},    {3000, 3000, 2048}, {INT_MAX, 16384, 16384}, {9, 1, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextureSide(c.count, c.max), c.side) << c.count << " within " << c.max;
}

TEST(BuildTexture, OneSampleFillsATwoByTwoTexture) {
    const float sample = 0.3f;
    CTextureImage t;
    ASSERT_TRUE(BuildTexture(&sample, 1, 1, F::None, 16384, {}, t));
    EXPECT_EQ(t.width, 2);
    EXPECT_EQ(t.height, 2);
    EXPECT_EQ(t.uMax, 0.5f);
    EXPECT_EQ(t.vMax, 0.5f);
    EXPECT_FALSE(t.resampled);
    ASSERT_EQ(t.texels.size(), 4u);
    ExpectCopyWithPadding(t, {sample}, 1, 1);
}

TEST(BuildTexture, ASurfaceThatFitsIsCopiedIntoTheCornerAndPadded) {
    const std::vector<float> grid = RandomGrid(300, 200, 1);
    CTextureImage t;
    ASSERT_TRUE(BuildTexture(grid.data(), 300, 200, F::None, 16384, {}, t));
    EXPECT_EQ(t.width, 512);
    EXPECT_EQ(t.height, 256);
    EXPECT_EQ(t.uMax, 300.0f / 512.0f);
    EXPECT_EQ(t.vMax, 200.0f / 256.0f);
    EXPECT_FALSE(t.resampled);
    ExpectCopyWithPadding(t, grid, 300, 200);

    // Built again into the same texture at a new size, nothing of the old one shows.
    const std::vector<float> small = RandomGrid(5, 3, 2);
    ASSERT_TRUE(BuildTexture(small.data(), 5, 3, F::None, 16384, {}, t));
    EXPECT_EQ(t.width, 8);
    EXPECT_EQ(t.height, 4);
    ExpectCopyWithPadding(t, small, 5, 3);
}

TEST(BuildTexture, TheFilterSeesTheSurfaceAloneAndThePaddingRepeatsTheFilteredEdge) {
    const std::vector<float> grid = RandomGrid(300, 200, 3);
    // Prewitt runs on 16-bit levels, Scharr and the Sobel cross on floats; the cross also rescales its
    // result.
    for (F type : {F::PrewittHoriz, F::ScharrHoriz, F::SobelCross3}) {
        std::vector<float> filtered = grid;
        doc::CFilter filter;
        filter.type = type;
        ASSERT_EQ(filter.Apply(filtered.data(), 300, 200), 0);
        ASSERT_NE(filtered, grid) << static_cast<int>(type);
        CTextureImage t;
        ASSERT_TRUE(BuildTexture(grid.data(), 300, 200, type, 16384, {}, t));
        ExpectCopyWithPadding(t, filtered, 300, 200);
    }
}

TEST(BuildTexture, AnOversizeSurfaceIsResampledIntoTheWholeTextureThenFiltered) {
    const std::vector<float> grid = RandomGrid(40, 20, 4);
    CTextureImage t;
    ASSERT_TRUE(BuildTexture(grid.data(), 40, 20, F::None, 16, {}, t));
    EXPECT_EQ(t.width, 16);
    EXPECT_EQ(t.height, 16);
    EXPECT_EQ(t.uMax, 1.0f);
    EXPECT_EQ(t.vMax, 1.0f);
    EXPECT_TRUE(t.resampled);
    std::vector<float> scaled(16 * 16);
    ASSERT_TRUE(ScaleImage(grid.data(), 40, 20, scaled.data(), 16, 16));
    EXPECT_EQ(std::vector<float>(t.texels.begin(), t.texels.end()), scaled);

    doc::CFilter filter;
    filter.type = F::SobelHoriz3;
    ASSERT_EQ(filter.Apply(scaled.data(), 16, 16), 0);
    ASSERT_TRUE(BuildTexture(grid.data(), 40, 20, F::SobelHoriz3, 16, {}, t));
    EXPECT_EQ(std::vector<float>(t.texels.begin(), t.texels.end()), scaled);
}

TEST(BuildTexture, OneOversizeSideIsEnoughAndTheResamplerFillsTheWholeTexture) {
    const std::vector<float> grid = RandomGrid(100, 3, 5);
    struct {
        const float* in = nullptr;
        int columns = 0, rows = 0, width = 0, height = 0;
    } call;
    const surface::Resampler fill = [&](const float* in, int columns, int rows, float* out, int w, int h) {
        call = {in, columns, rows, w, h};
        for (int k = 0; k < w * h; ++k)
            out[k] = float(k);
        return true;
    };
    CTextureImage t;
    ASSERT_TRUE(BuildTexture(grid.data(), 100, 3, F::None, 64, fill, t));
    EXPECT_EQ(call.in, grid.data());
    EXPECT_EQ(call.columns, 100);
    EXPECT_EQ(call.rows, 3);
    EXPECT_EQ(call.width, 64);
    EXPECT_EQ(call.height, 4);
    EXPECT_TRUE(t.resampled);
    EXPECT_EQ(t.uMax, 1.0f);
    EXPECT_EQ(t.vMax, 1.0f);
    EXPECT_EQ(Texel(t, 63, 3), 255.0f);

    const surface::Resampler refuse = [](const float*, int, int, float*, int, int) { return false; };
    EXPECT_FALSE(BuildTexture(grid.data(), 100, 3, F::None, 64, refuse, t));
    EXPECT_TRUE(t.texels.empty());
    EXPECT_EQ(t.width, 0);
    EXPECT_EQ(t.uMax, 0.0f);
}

TEST(BuildTexture, AnEmptyOrMissingGridEmptiesTheTexture) {
    const float sample = 0.5f;
    CTextureImage t;
    ASSERT_TRUE(BuildTexture(&sample, 1, 1, F::None, 16384, {}, t));
    EXPECT_FALSE(BuildTexture(nullptr, 4, 4, F::None, 16384, {}, t));
    EXPECT_TRUE(t.texels.empty());
    EXPECT_EQ(t.width, 0);
    EXPECT_EQ(t.height, 0);
    EXPECT_FALSE(BuildTexture(&sample, 0, 1, F::None, 16384, {}, t));
    EXPECT_FALSE(BuildTexture(&sample, 1, -1, F::None, 16384, {}, t));
    EXPECT_TRUE(t.texels.empty());
}

// Read in place, an unfiltered surface that fits has the levels of its copy; a filter or an oversize
// surface still makes texels of its own.
TEST(BuildTexture, AnUnfilteredSurfaceThatFitsIsReadInPlaceWithTheLevelsOfItsCopy) {
    const std::vector<float> grid = RandomGrid(300, 200, 6);
    CTextureImage copy, t;
    ASSERT_TRUE(BuildTexture(grid.data(), 300, 200, F::None, 16384, {}, copy));
    ASSERT_TRUE(BuildTexture(grid.data(), 300, 200, F::None, 16384, {}, t, surface::Unfiltered::kInPlace));
    EXPECT_EQ(t.grid, grid.data());
    EXPECT_TRUE(t.texels.empty());
    EXPECT_EQ(std::tie(t.width, t.height, t.uMax, t.vMax),
              std::tie(copy.width, copy.height, copy.uMax, copy.vMax));
    EXPECT_EQ(surface::Levels(t), std::vector<float>(copy.texels.begin(), copy.texels.end()));
    for (const auto& [filter, most] : {std::pair{F::SobelHoriz3, 16384}, std::pair{F::None, 128}}) {
        ASSERT_TRUE(BuildTexture(grid.data(), 300, 200, filter, most, {}, t, surface::Unfiltered::kInPlace));
        EXPECT_EQ(t.grid, nullptr);
        EXPECT_EQ(t.texels.size(), std::size_t(t.width) * t.height);
    }
}

// Any run of texture rows through the transfer: rows of the surface, of its padding, both, and rows
// that start below the surface; read in place and copied, padded on either side or on none, and
// resampled (600 x 20 into 512 x 32).
TEST(TransferRows, AnyRunOfRowsIsTheTransferOfTheTexturesLevels) {
    color::CConverter converter;
    converter.SetType(color::CConverter::kAmber);
    const color::CTransfer transfer(converter, color::CAttenuator());
    const std::pair<int, int> sizes[] = {{1, 1},     {5, 3},     {300, 200}, {256, 256},
                                         {256, 100}, {100, 256}, {600, 20}};
    for (const auto& [columns, rows] : sizes)
        for (surface::Unfiltered unfiltered : {surface::Unfiltered::kInPlace, surface::Unfiltered::kCopy}) {
            SCOPED_TRACE(testing::Message() << columns << " x " << rows << " " << int(unfiltered));
            const std::vector<float> grid = RandomGrid(columns, rows, unsigned(columns * rows));
            CTextureImage t;
            ASSERT_TRUE(BuildTexture(grid.data(), columns, rows, F::None, 512, {}, t, unfiltered));
            const std::vector<float> levels = surface::Levels(t);
            const int w = t.width, h = t.height, r = std::min(rows, h);
            const std::pair<int, int> runs[] = {{0, h},     {0, 1},     {r - 1, h - r + 1},
                                                {r, h - r}, {1, h - 1}, {h - 1, 1}};
            for (const auto& [first, count] : runs) {
                const std::size_t bytes = std::size_t(4) * w * count;
                std::vector<std::uint8_t> expected(bytes), seen(bytes + 1, 0xEE); // a guard byte
                transfer.Bgra(levels.data() + std::size_t(first) * w, std::size_t(w) * count,
                              expected.data());
                surface::TransferRows(t, transfer, first, count, seen.data());
                EXPECT_EQ(seen.back(), 0xEE) << first;
                seen.pop_back();
                EXPECT_TRUE(seen == expected) << first << " + " << count;
            }
        }
}

TEST(ScaleImage, HalvingAveragesEachBlockRoundedOnSixteenBitLevels) {
    // Levels 1, 2, 2, 2 (of 65535) average 1.75, rounded to 2; 1, 1, 1, 2 give 1.25, rounded to 1.
    auto L = [](int n) { return (n + 0.5f) / 65535.0f; };
    const float in[2 * 4] = {L(1), L(2), L(1), L(1), L(2), L(2), L(1), L(2)};
    float out[2];
    ASSERT_TRUE(ScaleImage(in, 4, 2, out, 2, 1));
    EXPECT_EQ(out[0], 2.0f / 65535.0f);
    EXPECT_EQ(out[1], 1.0f / 65535.0f);
}

TEST(ScaleImage, HalvingAWideImageGivesEveryBlockItsMean) {
    // 37 outputs a row: whole vectors of either width and a tail; levels across 0..1 and beyond.
    std::vector<float> grid = RandomGrid(74, 6, 8);
    grid[3] = -0.5f, grid[80] = 1.5f, grid[81] = std::nanf("");
    std::vector<float> out(37 * 3);
    ASSERT_TRUE(ScaleImage(grid.data(), 74, 6, out.data(), 37, 3));
    auto level = [&](int x, int y) {
        const float v = std::min(std::max(grid[std::size_t(x) + std::size_t(y) * 74], 0.0f), 1.0f);
        return std::isnan(grid[std::size_t(x) + std::size_t(y) * 74]) ? 0 : static_cast<int>(65535.0f * v);
    };
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 37; ++j) {
            const int sum = level(2 * j, 2 * i) + level(2 * j + 1, 2 * i) + level(2 * j, 2 * i + 1) +
                            level(2 * j + 1, 2 * i + 1);
            ASSERT_EQ(out[std::size_t(j) + std::size_t(i) * 37], float((sum + 2) / 4) / 65535.0f)
                << j << "," << i;
        }
}

TEST(ScaleImage, AnIntegerReductionIsTheExactRoundedMeanOfItsBlocks) {
    // 16 x 8 blocks of 16-bit levels: sums below 2^24, so the float arithmetic must be exact.
    const int columns = 1024, rows = 256, w = 64, h = 32;
    std::vector<float> grid = RandomGrid(columns, rows, 12);
    grid[5] = std::nanf(""), grid[700] = 2.0f, grid[9000] = -1.0f;
    std::vector<float> out(std::size_t(w) * h);
    ASSERT_TRUE(ScaleImage(grid.data(), columns, rows, out.data(), w, h));
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j) {
            long sum = 0;
            for (int y = 8 * i; y < 8 * i + 8; ++y)
                for (int x = 16 * j; x < 16 * j + 16; ++x) {
                    const float v = grid[std::size_t(y) * columns + x];
                    sum += std::isnan(v) ? 0 : static_cast<int>(65535.0f * std::min(std::max(v, 0.0f), 1.0f));
                }
            // (sum + 0.5) / 128, truncated
            ASSERT_EQ(out[std::size_t(i) * w + j], float((2 * sum + 1) / 256) / 65535.0f) << j << ", " << i;
        }
}

TEST(ScaleImage, RowByRowGivesTheSameRowsAtEverySize) {
    struct {
        int columns, rows, width, height;
    } const cases[] = {
        {64, 32, 32, 16}, {256, 128, 64, 32}, {300, 70, 64, 64}, {64, 64, 1000, 70}, {3, 2, 7, 5}};
    for (const auto& c : cases) {
        const std::vector<float> grid = RandomGrid(c.columns, c.rows, 13);
        std::vector<float> whole(std::size_t(c.width) * c.height);
        ASSERT_TRUE(ScaleImage(grid.data(), c.columns, c.rows, whole.data(), c.width, c.height));
        int next = 0;
        ASSERT_TRUE(doc::ScaleImageRows(grid.data(), c.columns, c.rows, c.width, c.height,
                                        [&](int i, const float* row) {
                                            ASSERT_EQ(i, next++);
                                            for (int j = 0; j < c.width; ++j)
                                                ASSERT_EQ(row[j], whole[std::size_t(i) * c.width + j])
                                                    << c.columns << " x " << c.rows << " to " << c.width
                                                    << " x " << c.height << " at " << j << ", " << i;
                                        }));
        EXPECT_EQ(next, c.height);
    }
}

TEST(ScaleImage, EnlargingInterpolatesAndWrapsAtTheEdges) {
    // Two texels 0 and 1 to four: centres at 0.25, 0.75, 1.25 and 1.75 input texels, each a box one
    // texel wide; the outer boxes reach a quarter into the opposite edge.
    const float in[2] = {0.0f, 1.0f};
    float out[4];
    ASSERT_TRUE(ScaleImage(in, 2, 1, out, 4, 1));
    const float quarter = 16384.0f / 65535.0f, threeQuarters = 49151.0f / 65535.0f;
    EXPECT_EQ(out[0], quarter);
    EXPECT_EQ(out[1], quarter);
    EXPECT_EQ(out[2], threeQuarters);
    EXPECT_EQ(out[3], threeQuarters);
}

TEST(ScaleImage, KeepsLevelsAndClampsThoseOutside) {
    const std::vector<float> grid = RandomGrid(7, 5, 6);
    std::vector<float> out(7 * 5);
    ASSERT_TRUE(ScaleImage(grid.data(), 7, 5, out.data(), 7, 5));
    for (std::size_t k = 0; k < grid.size(); ++k)
        ASSERT_EQ(out[k], Level16(grid[k])) << k;

    // A flat image stays flat at any size.
    const std::vector<float> flat(9 * 11, 0.625f);
    std::vector<float> scaled(4 * 13);
    ASSERT_TRUE(ScaleImage(flat.data(), 9, 11, scaled.data(), 4, 13));
    for (float v : scaled)
        ASSERT_EQ(v, Level16(0.625f));

    const float wild[4] = {-3.0f, std::nanf(""), 7.0f, INFINITY};
    float kept[4];
    ASSERT_TRUE(ScaleImage(wild, 4, 1, kept, 4, 1));
    EXPECT_EQ(kept[0], 0.0f);
    EXPECT_EQ(kept[1], 0.0f);
    EXPECT_EQ(kept[2], 1.0f);
    EXPECT_EQ(kept[3], 1.0f);

    float none[1];
    EXPECT_FALSE(ScaleImage(nullptr, 1, 1, none, 1, 1));
    EXPECT_FALSE(ScaleImage(wild, 0, 1, none, 1, 1));
    EXPECT_FALSE(ScaleImage(wild, 1, 1, none, 1, 0));
}
