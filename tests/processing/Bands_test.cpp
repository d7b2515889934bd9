// The banded filters and morphology give, cell for cell, what one bordered copy of the whole grid
// gives the same kernel, also where bands meet, in place or into another grid, and with quantisation
// and the 16-bit morphology in place of float morphology on the values of the counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "processing/Filter.h"
#include "processing/Morphology.h"
#include "processing/Scratch.h"
#include "processing/kernels/Image.h"
#include "processing/kernels/KernelTable.h"

namespace {

using namespace doc;
using namespace doc::kern;
using F = FilterType;

std::vector<float> Random(int columns, int rows, unsigned seed) {
    std::mt19937 rng(seed);
    // Mostly inside [0, 1], with some cells beyond it and a few exact ends, as stages may leave them.
    std::uniform_real_distribution<float> value(-0.05f, 1.05f);
    std::vector<float> v(static_cast<std::size_t>(columns) * rows);
    for (float& x : v)
        x = rng() % 97 == 0 ? static_cast<float>(rng() % 2) : value(rng);
    return v;
}

std::int16_t Count(float v) {
    float s = v * 32767.0f;
    s = s > -32768.0f ? s : -32768.0f;
    s = s < 32767.0f ? s : 32767.0f;
    return static_cast<std::int16_t>(s);
}

float Value(std::int16_t c, float add = 0.0f) {
    return static_cast<float>(c) * (1.0f / 32767.0f) + add;
}

// The whole grid quantised, bordered by repeating its edges, the kernel run once over all of it.
template <typename Cell, typename Run>
std::vector<Cell> WholeGrid(const std::vector<float>& grid, int columns, int rows, int left, int top,
                            int right, int bottom, bool quantise, Run run) {
    TImage<Cell> in(columns, rows), bordered(columns + left + right, rows + top + bottom), out(columns, rows);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j) {
            const float v = grid[static_cast<std::size_t>(i) * columns + j];
            in.Row(i)[j] = quantise ? static_cast<Cell>(Count(v)) : static_cast<Cell>(v);
        }
    const KSize roi{columns, rows}, outer{columns + left + right, rows + top + bottom};
    if constexpr (sizeof(Cell) == 2)
        EXPECT_EQ(Kernels().copyBorder16s(in.Row(0), in.Step(), roi, bordered.Row(0), bordered.Step(), outer,
                                          top, left),
                  StsNoErr);
    else
        EXPECT_EQ(Kernels().copyBorder32f(in.Row(0), in.Step(), roi, bordered.Row(0), bordered.Step(), outer,
                                          top, left),
                  StsNoErr);
    EXPECT_EQ(run(bordered.At(left, top), bordered.Step(), out.Row(0), out.Step(), roi), StsNoErr);
    std::vector<Cell> cells;
    for (int i = 0; i < rows; ++i)
        cells.insert(cells.end(), out.Row(i), out.Row(i) + columns);
    return cells;
}

// Wide enough for bands of a few dozen rows: every grid below has several, the last one shorter.
constexpr int kColumns = 5003, kRows = 83;

void ExpectSame(const std::vector<float>& a, const std::vector<float>& b, const char* what) {
    ASSERT_EQ(a.size(), b.size());
    const auto diff = std::mismatch(a.begin(), a.end(), b.begin(),
                                    [](float x, float y) { return std::memcmp(&x, &y, sizeof x) == 0; });
    EXPECT_TRUE(diff.first == a.end()) << what << ": first difference at cell " << (diff.first - a.begin())
                                       << " (row " << (diff.first - a.begin()) / kColumns << ")";
}

// The stage in place with the scratch, and into another grid with buffers of its own.
template <typename Stage>
void ExpectBothWays(Stage& stage, const std::vector<float>& grid, const std::vector<float>& expected,
                    CScratch& scratch) {
    std::vector<float> inPlace = grid, into(grid.size(), -7.0f);
    ASSERT_EQ(stage.Apply(inPlace.data(), kColumns, kRows, &scratch), StsNoErr);
    ASSERT_EQ(stage.Apply(grid.data(), into.data(), kColumns, kRows), StsNoErr);
    ExpectSame(inPlace, expected, "in place");
    ExpectSame(into, expected, "into another grid");
}

TEST(Bands, FixedFiltersMatchTheWholeGrid) {
    const std::vector<float> grid = Random(kColumns, kRows, 7);
    CScratch scratch;
    for (const auto& [type, mask, left, top, add] :
         std::vector<std::tuple<F, MaskSize, int, int, float>>{{F::Median5, Mask5x5, 2, 2, 0.0f},
                                                               {F::Median3, Mask3x3, 1, 1, 0.0f},
                                                               {F::Median1x5, Mask1x5, 0, 2, 0.0f},
                                                               {F::Median5x1, Mask5x1, 2, 0, 0.0f},
                                                               {F::Gauss5, Mask5x5, 2, 2, 0.0f},
                                                               {F::Laplace5, Mask5x5, 2, 2, 0.5f}}) {
        const std::vector<std::int16_t> counts = WholeGrid<std::int16_t>(
            grid, kColumns, kRows, left, top, left, top, true,
            [&, type = type, mask = mask](const std::int16_t* s, int ss, std::int16_t* d, int ds, KSize roi) {
                switch (type) {
                case F::Median5:
                case F::Median3:
                    return Kernels().medianCross16s(s, ss, d, ds, roi, mask);
                case F::Median1x5:
                    return Kernels().medianVert16s(s, ss, d, ds, roi, mask);
                case F::Median5x1:
                    return Kernels().medianHoriz16s(s, ss, d, ds, roi, mask);
                case F::Gauss5:
                    return Kernels().gauss16s(s, ss, d, ds, roi, mask);
                default:
                    return Kernels().laplace16s(s, ss, d, ds, roi, mask);
                }
            });
        std::vector<float> expected(counts.size());
        std::transform(counts.begin(), counts.end(), expected.begin(),
                       [add = add](std::int16_t c) { return Value(c, add); });

        CFilter filter;
        filter.type = type;
        ExpectBothWays(filter, grid, expected, scratch);
    }
}

TEST(Bands, CustomKernelsAndFloatFiltersMatchTheWholeGrid) {
    const std::vector<float> grid = Random(kColumns, kRows, 11);
    CScratch scratch;
    // A custom median off centre: a border of 0 left and 4 above, 2 right and 0 below.
    CFilter median;
    median.type = F::MedianCustom;
    median.kernel = {3, 5, 0, 4};
    const std::vector<std::int16_t> counts =
        WholeGrid<std::int16_t>(grid, kColumns, kRows, 0, 4, 2, 0, true,
                                [](const std::int16_t* s, int ss, std::int16_t* d, int ds, KSize roi) {
                                    return Kernels().median16s(s, ss, d, ds, roi, {3, 5}, {0, 4});
                                });
    std::vector<float> expected(counts.size());
    std::transform(counts.begin(), counts.end(), expected.begin(), [](std::int16_t c) { return Value(c); });
    std::vector<float> actual = grid;
    ASSERT_EQ(median.Apply(actual.data(), kColumns, kRows, &scratch), StsNoErr);
    ExpectSame(actual, expected, "custom median");

    // A float kernel, followed by the filter's robust rescale of the whole result.
    const std::vector<float> sobel = WholeGrid<float>(
        grid, kColumns, kRows, 2, 2, 2, 2, false, [](const float* s, int ss, float* d, int ds, KSize roi) {
            return Kernels().sobelCross32f(s, ss, d, ds, roi, Mask5x5);
        });
    std::vector<float> rescaled = sobel;
    RobustRescale(rescaled.data(), kColumns, kRows);
    CFilter cross;
    cross.type = F::SobelCross5;
    actual = grid;
    ASSERT_EQ(cross.Apply(actual.data(), kColumns, kRows, &scratch), StsNoErr);
    ExpectSame(actual, rescaled, "Sobel cross 5");
}

TEST(Bands, MorphologyOnCountsMatchesFloatMorphologyOnTheirValues) {
    const std::vector<float> grid = Random(kColumns, kRows, 13);
    CScratch scratch;
    struct CCase {
        MorphOp op;
        CKernelGeometry element;
    };
    for (const CCase& c :
         {CCase{MorphOp::Dilate3, {}}, CCase{MorphOp::Erode3, {}}, CCase{MorphOp::DilateCustom, {4, 3, 3, 0}},
          CCase{MorphOp::ErodeCustom, {1, 6, 0, 2}}}) {
        const bool custom = c.op == MorphOp::DilateCustom || c.op == MorphOp::ErodeCustom;
        const bool dilate = c.op == MorphOp::Dilate3 || c.op == MorphOp::DilateCustom;
        const CKernelGeometry e = custom ? c.element : CKernelGeometry{3, 3, 1, 1};
        // What the values of the counts give float morphology over one bordered copy.
        std::vector<float> values(grid.size());
        std::transform(grid.begin(), grid.end(), values.begin(), [](float v) { return Value(Count(v)); });
        const std::vector<std::uint8_t> mask(static_cast<std::size_t>(e.width) * e.height, 1);
        const std::vector<float> expected = WholeGrid<float>(
            values, kColumns, kRows, e.anchorX, e.anchorY, e.width - 1 - e.anchorX, e.height - 1 - e.anchorY,
            false, [&](const float* s, int ss, float* d, int ds, KSize roi) {
                return dilate ? Kernels().dilate32f(s, ss, d, ds, roi, mask.data(), {e.width, e.height},
                                                    {e.anchorX, e.anchorY})
                              : Kernels().erode32f(s, ss, d, ds, roi, mask.data(), {e.width, e.height},
                                                   {e.anchorX, e.anchorY});
            });
        CMorphology morphology;
        morphology.operation = c.op;
        morphology.element = c.element;
        ExpectBothWays(morphology, grid, expected, scratch);
    }
}

TEST(Bands, AFailedKernelLeavesTheOutputAsItWas) {
    const std::vector<float> grid = Random(kColumns, kRows, 17);
    CMorphology morphology;
    morphology.operation = MorphOp::DilateCustom;
    morphology.element = {3, 3, 5, 1}; // the anchor outside the element
    std::vector<float> out(grid.size(), 0.25f);
    EXPECT_EQ(morphology.Apply(grid.data(), out.data(), kColumns, kRows), StsAnchor);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return v == 0.25f; }));
    CFilter filter;
    filter.type = F::MedianCustom;
    filter.kernel = {4, 3, 1, 1}; // the median needs odd sides
    EXPECT_EQ(filter.Apply(grid.data(), out.data(), kColumns, kRows), StsMaskSize);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return v == 0.25f; }));
}

TEST(Scratch, KeepsItsBufferUntilARequestIsFarSmaller) {
    CScratch scratch;
    void* first = scratch.Take(0, 1 << 20);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(first) % 64, 0u);
    EXPECT_EQ(scratch.Take(0, 1 << 19), first);
    EXPECT_EQ(scratch.Take(0, 1 << 20), first);
    EXPECT_EQ(scratch.Bytes(), std::size_t(1) << 20);
    scratch.Take(0, 1 << 10);
    EXPECT_LT(scratch.Bytes(), std::size_t(1) << 20);
    EXPECT_EQ(scratch.Take(CScratch::kSlots, 16), nullptr);
    scratch.Release();
    EXPECT_EQ(scratch.Bytes(), 0u);
}

} // namespace
