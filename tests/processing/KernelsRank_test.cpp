// Box mean, medians, morphology, allocation and border copy against plain nested loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "processing/kernels/Kernels.h"

namespace {

using namespace doc::kern;
using std::int16_t;

constexpr int kSlack = 5; // extra cells at each row's end, so that the step is not the width

// An image with a border of `border` cells all round; At takes region coordinates.
template <class T> struct Bordered {
    int width, height, border, stride;
    std::vector<T> cells;

    Bordered(int w, int h, int b, T fill = T())
        : width(w), height(h), border(b), stride(w + 2 * b + kSlack),
          cells(std::size_t(stride) * (h + 2 * b), fill) {}
    T& At(int x, int y) { return cells[std::size_t(y + border) * stride + x + border]; }
    T At(int x, int y) const { return cells[std::size_t(y + border) * stride + x + border]; }
    T* Roi() { return &At(0, 0); }
    int Step() const { return stride * int(sizeof(T)); }
    KSize Size() const { return {width, height}; }
};

template <class T> void Fill(Bordered<T>& img, std::mt19937& rng, int lo, int hi) {
    std::uniform_int_distribution<int> dist(lo, hi);
    for (T& v : img.cells)
        v = T(dist(rng));
}

struct Offset {
    int dx, dy;
};

std::vector<Offset> Block(KSize mask, KPoint anchor) {
    std::vector<Offset> cells;
    for (int dy = -anchor.y; dy < mask.height - anchor.y; ++dy)
        for (int dx = -anchor.x; dx < mask.width - anchor.x; ++dx)
            cells.push_back({dx, dy});
    return cells;
}

// out(x, y) = reduce(the cells at the offsets), straight from the definitions.
template <class T, class Reduce>
Bordered<T> Reference(Bordered<T>& src, const std::vector<Offset>& cells, Reduce reduce) {
    Bordered<T> out(src.width, src.height, 0);
    std::vector<T> gathered;
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
            gathered.clear();
            for (const Offset& o : cells)
                gathered.push_back(src.At(x + o.dx, y + o.dy));
            out.At(x, y) = reduce(gathered);
        }
    return out;
}

int16_t Median(std::vector<int16_t>& v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
int16_t Mean(std::vector<int16_t>& v) {
    long long s = 0;
    for (int16_t c : v)
        s += c;
    return int16_t(s / (long long)v.size());
}

// The first differing cell, or empty.
template <class T> std::string Mismatch(const Bordered<T>& got, const Bordered<T>& want) {
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            if (got.At(x, y) != want.At(x, y))
                return "at (" + std::to_string(x) + ", " + std::to_string(y) +
                       "): " + std::to_string(got.At(x, y)) + " instead of " + std::to_string(want.At(x, y));
    return "";
}

// Whether every cell beyond the region's rows still holds `fill`.
template <class T> bool UntouchedOutside(const Bordered<T>& img, T fill) {
    for (std::size_t i = 0; i < img.cells.size(); ++i)
        if (int(i % img.stride) >= img.width && img.cells[i] != fill)
            return false;
    return true;
}

// Widths around the vector lengths and the 256-cell strips of the square medians.
const std::vector<KSize> kSizes = {{1, 1},  {1, 13}, {13, 1}, {2, 2},  {5, 4},   {8, 3},  {15, 6},
                                   {16, 2}, {17, 5}, {33, 4}, {64, 3}, {100, 7}, {300, 3}};
// Full range, and a narrow one full of ties.
const std::pair<int, int> kRanges[] = {{-32768, 32767}, {0, 3}};

using Run16 = std::function<int(const int16_t*, int, int16_t*, int, KSize)>;

// Runs `run` on random images of every size and range against the reference over `cells`.
void Check16(const Run16& run, const std::vector<Offset>& cells, int16_t (*reduce)(std::vector<int16_t>&),
             int border, unsigned seed) {
    std::mt19937 rng(seed);
    for (KSize size : kSizes)
        for (auto [lo, hi] : kRanges) {
            SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height) + ", values " +
                         std::to_string(lo) + ".." + std::to_string(hi));
            Bordered<int16_t> src(size.width, size.height, border);
            Fill(src, rng, lo, hi);
            Bordered<int16_t> dst(size.width, size.height, 0, -1);
            ASSERT_EQ(run(src.Roi(), src.Step(), dst.Roi(), dst.Step(), size), StsNoErr);
            ASSERT_EQ(Mismatch(dst, Reference(src, cells, reduce)), "");
            ASSERT_TRUE(UntouchedOutside(dst, int16_t(-1)));
        }
}

TEST(KernelsRank, StatusTexts) {
    EXPECT_STREQ(StatusText(StsSize), L"Wrong value of data size");
    EXPECT_STREQ(StatusText(StsNullPtr), L"Null pointer error");
    EXPECT_STREQ(StatusText(StsNoMem), L"Not enough memory allocated for the operation");
    EXPECT_STREQ(StatusText(StsStep), L"Step value is less than or equal to zero");
    EXPECT_STREQ(StatusText(StsMaskSize), L"Invalid mask size");
    EXPECT_STREQ(StatusText(StsAnchor), L"Anchor point is outside the mask");
    EXPECT_STREQ(StatusText(-1000), L"");
}

TEST(KernelsRank, AllocationPadsRowsToThirtyTwoBytes) {
    struct Case {
        int width, cell, step;
    };
    for (Case c : {Case{1, 2, 32}, Case{16, 2, 32}, Case{17, 2, 64}, Case{8, 4, 32}, Case{9, 4, 64},
                   Case{4, 8, 32}, Case{5, 8, 64}, Case{1000, 4, 4000}}) {
        int step = -1;
        void* p = c.cell == 2   ? (void*)Malloc16s(c.width, 3, &step)
                  : c.cell == 4 ? (void*)Malloc32f(c.width, 3, &step)
                                : (void*)Malloc32fc(c.width, 3, &step);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(step, c.step) << c.width << " cells of " << c.cell;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 32, 0u);
        std::fill_n(static_cast<char*>(p), 3 * step, 1); // the whole image is ours
        Free(p);
    }
    int step = 0;
    EXPECT_EQ(Malloc16s(0, 5, &step), nullptr);
    EXPECT_EQ(Malloc32f(5, 0, &step), nullptr);
    EXPECT_EQ(Malloc32fc(-1, 5, &step), nullptr);
    Free(nullptr);
}

TEST(KernelsRank, BorderCopyRepeatsEdgesAndCorners) {
    std::mt19937 rng(1);
    struct Case {
        KSize src;
        int top, left, bottom, right;
    };
    for (Case c : {Case{{1, 1}, 2, 3, 1, 0}, Case{{4, 3}, 0, 0, 0, 0}, Case{{5, 2}, 1, 2, 3, 4},
                   Case{{3, 4}, 0, 2, 2, 0}}) {
        Bordered<int16_t> src(c.src.width, c.src.height, 0);
        Fill(src, rng, -32768, 32767);
        const KSize size{c.src.width + c.left + c.right, c.src.height + c.top + c.bottom};
        Bordered<int16_t> dst(size.width, size.height, 0);
        Bordered<float> fsrc(c.src.width, c.src.height, 0), fdst(size.width, size.height, 0);
        for (int y = 0; y < c.src.height; ++y)
            for (int x = 0; x < c.src.width; ++x)
                fsrc.At(x, y) = src.At(x, y) * 0.25f;
        ASSERT_EQ(
            CopyReplicateBorder16s(src.Roi(), src.Step(), c.src, dst.Roi(), dst.Step(), size, c.top, c.left),
            StsNoErr);
        ASSERT_EQ(CopyReplicateBorder32f(fsrc.Roi(), fsrc.Step(), c.src, fdst.Roi(), fdst.Step(), size, c.top,
                                         c.left),
                  StsNoErr);
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x) {
                const int sx = std::clamp(x - c.left, 0, c.src.width - 1);
                const int sy = std::clamp(y - c.top, 0, c.src.height - 1);
                ASSERT_EQ(dst.At(x, y), src.At(sx, sy)) << x << ", " << y;
                ASSERT_EQ(fdst.At(x, y), fsrc.At(sx, sy)) << x << ", " << y;
            }
    }
    Bordered<int16_t> src(4, 4, 0), dst(6, 6, 0);
    EXPECT_EQ(CopyReplicateBorder16s(src.Roi(), src.Step(), {4, 4}, dst.Roi(), dst.Step(), {6, 6}, 1, 3),
              StsSize);
    EXPECT_EQ(CopyReplicateBorder16s(src.Roi(), src.Step(), {4, 4}, dst.Roi(), dst.Step(), {6, 6}, -1, 0),
              StsSize);
    EXPECT_EQ(CopyReplicateBorder16s(nullptr, 0, {0, 4}, dst.Roi(), dst.Step(), {6, 6}, 1, 1), StsNullPtr);
    EXPECT_EQ(CopyReplicateBorder16s(src.Roi(), 0, {4, 4}, dst.Roi(), dst.Step(), {6, 6}, 1, 1), StsStep);
}

// Every primitive checks pointers, then sizes, then steps, then its mask and anchor.
TEST(KernelsRank, StatusesComeInOrder) {
    Bordered<int16_t> s(8, 8, 4);
    Bordered<float> f(8, 8, 4);
    const std::uint8_t ones[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1}, zeros[9] = {};
    using Call = std::function<int(bool null, KSize roi, int step)>;
    const std::vector<std::pair<const char*, Call>> calls = {
        {"box",
         [&](bool n, KSize r, int st) {
             return FilterBox16s(n ? nullptr : s.Roi(), st, s.Roi(), st, r, {3, 3}, {1, 1});
         }},
        {"cross",
         [&](bool n, KSize r, int st) {
             return FilterMedianCross16s(s.Roi(), st, n ? nullptr : s.Roi(), st, r, Mask3x3);
         }},
        {"horiz",
         [&](bool n, KSize r, int st) {
             return FilterMedianHoriz16s(n ? nullptr : s.Roi(), st, s.Roi(), st, r, Mask3x1);
         }},
        {"vert",
         [&](bool n, KSize r, int st) {
             return FilterMedianVert16s(n ? nullptr : s.Roi(), st, s.Roi(), st, r, Mask1x3);
         }},
        {"median",
         [&](bool n, KSize r, int st) {
             return FilterMedian16s(s.Roi(), st, n ? nullptr : s.Roi(), st, r, {3, 3}, {1, 1});
         }},
        {"dilate3",
         [&](bool n, KSize r, int st) { return Dilate3x3_32f(n ? nullptr : f.Roi(), st, f.Roi(), st, r); }},
        {"erode3",
         [&](bool n, KSize r, int st) { return Erode3x3_32f(f.Roi(), st, n ? nullptr : f.Roi(), st, r); }},
        {"dilate",
         [&](bool n, KSize r, int st) {
             return Dilate32f(f.Roi(), st, f.Roi(), st, r, n ? nullptr : ones, {3, 3}, {1, 1});
         }},
        {"erode",
         [&](bool n, KSize r, int st) {
             return Erode32f(n ? nullptr : f.Roi(), st, f.Roi(), st, r, ones, {3, 3}, {1, 1});
         }},
    };
    for (const auto& [name, call] : calls) {
        SCOPED_TRACE(name);
        EXPECT_EQ(call(true, {0, 0}, 0), StsNullPtr);
        EXPECT_EQ(call(false, {0, 4}, 0), StsSize);
        EXPECT_EQ(call(false, {4, -1}, 0), StsSize);
        EXPECT_EQ(call(false, {4, 4}, 0), StsStep);
        EXPECT_EQ(call(false, {4, 4}, -64), StsStep);
    }

    const int st = s.Step(), ft = f.Step();
    const KSize roi{4, 4};
    auto box = [&](KSize m, KPoint a) { return FilterBox16s(s.Roi(), st, s.Roi(), st, roi, m, a); };
    EXPECT_EQ(box({1, 5}, {0, 2}), StsMaskSize);
    EXPECT_EQ(box({5, 1}, {9, 9}), StsMaskSize); // the mask before the anchor
    // The step before the mask.
    EXPECT_EQ(FilterBox16s(s.Roi(), 0, s.Roi(), st, roi, {1, 5}, {9, 9}), StsStep);
    EXPECT_EQ(FilterMedian16s(s.Roi(), st, s.Roi(), 0, roi, {4, 4}, {9, 9}), StsStep);
    EXPECT_EQ(FilterMedianCross16s(s.Roi(), 0, s.Roi(), st, roi, Mask3x1), StsStep);
    EXPECT_EQ(Dilate32f(f.Roi(), ft, f.Roi(), 0, roi, zeros, {0, 0}, {9, 9}), StsStep);
    EXPECT_EQ(box({2, 2}, {2, 0}), StsAnchor);
    EXPECT_EQ(box({2, 2}, {0, -1}), StsAnchor);
    auto median = [&](KSize m, KPoint a) { return FilterMedian16s(s.Roi(), st, s.Roi(), st, roi, m, a); };
    EXPECT_EQ(median({4, 3}, {1, 1}), StsMaskSize);
    EXPECT_EQ(median({3, 2}, {9, 9}), StsMaskSize);
    EXPECT_EQ(median({0, 1}, {0, 0}), StsMaskSize);
    EXPECT_EQ(median({3, 3}, {3, 1}), StsAnchor);
    for (MaskSize m : {Mask3x1, Mask5x1, Mask1x3, Mask1x5})
        EXPECT_EQ(FilterMedianCross16s(s.Roi(), st, s.Roi(), st, roi, m), StsMaskSize) << m;
    for (MaskSize m : {Mask1x3, Mask1x5, Mask3x3, Mask5x5})
        EXPECT_EQ(FilterMedianHoriz16s(s.Roi(), st, s.Roi(), st, roi, m), StsMaskSize) << m;
    for (MaskSize m : {Mask3x1, Mask5x1, Mask3x3, Mask5x5})
        EXPECT_EQ(FilterMedianVert16s(s.Roi(), st, s.Roi(), st, roi, m), StsMaskSize) << m;
    EXPECT_EQ(Dilate32f(f.Roi(), ft, f.Roi(), ft, roi, ones, {0, 3}, {0, 0}), StsMaskSize);
    EXPECT_EQ(Erode32f(f.Roi(), ft, f.Roi(), ft, roi, ones, {3, 3}, {1, 3}), StsAnchor);
    EXPECT_EQ(Dilate32f(f.Roi(), ft, f.Roi(), ft, roi, zeros, {3, 3}, {1, 1}), StsMaskSize);
}

TEST(KernelsRank, BoxMeanMatchesNestedLoops) {
    struct Case {
        KSize mask;
        KPoint anchor;
    };
    unsigned seed = 10;
    for (Case c : {Case{{3, 3}, {1, 1}}, Case{{5, 5}, {2, 2}}, Case{{7, 7}, {3, 3}}, Case{{2, 2}, {0, 0}},
                   Case{{5, 3}, {0, 0}}, Case{{3, 6}, {2, 5}}, Case{{9, 2}, {4, 1}}, Case{{8, 8}, {7, 0}},
                   Case{{11, 7}, {5, 3}}, Case{{16, 2}, {3, 1}}}) {
        SCOPED_TRACE("mask " + std::to_string(c.mask.width) + " x " + std::to_string(c.mask.height));
        Check16([&](const int16_t* s, int ss, int16_t* d, int ds,
                    KSize roi) { return FilterBox16s(s, ss, d, ds, roi, c.mask, c.anchor); },
                Block(c.mask, c.anchor), Mean, 16, seed++);
    }
}

// Sums at and next to exact multiples of the cell count must not gain or lose one to the reciprocal:
// constant images with one cell off by d. 55 and 98 cells are counts where the plain reciprocal falls
// short; the largest masks reach the limits of 32-bit sums.
TEST(KernelsRank, BoxMeanIsExactNearMultiples) {
    for (KSize mask : {KSize{2, 2}, KSize{5, 11}, KSize{8, 8}, KSize{9, 9}, KSize{7, 14}, KSize{256, 256},
                       KSize{257, 256}})
        for (int c : {-32768, -32767, -1, 0, 1, 12345, 32766, 32767})
            for (int d : {0, 1, -1, 40, -40}) {
                SCOPED_TRACE(std::to_string(mask.width) + " x " + std::to_string(mask.height) + " cells of " +
                             std::to_string(c) + ", one off by " + std::to_string(d));
                const KPoint anchor{mask.width / 2, mask.height / 2};
                Bordered<int16_t> src(21, 2, 257, int16_t(c)), dst(21, 2, 0);
                src.At(10, 0) = int16_t(std::clamp(c + d, -32768, 32767));
                ASSERT_EQ(
                    FilterBox16s(src.Roi(), src.Step(), dst.Roi(), dst.Step(), src.Size(), mask, anchor),
                    StsNoErr);
                ASSERT_EQ(Mismatch(dst, Reference(src, Block(mask, anchor), Mean)), "");
            }
}

TEST(KernelsRank, LineAndCrossMediansMatchSortedCells) {
    using Line = int (*)(const int16_t*, int, int16_t*, int, KSize, MaskSize);
    struct Case {
        Line run;
        MaskSize mask;
        std::vector<Offset> cells;
    };
    const Case cases[] = {
        {FilterMedianHoriz16s, Mask3x1, {{-1, 0}, {0, 0}, {1, 0}}},
        {FilterMedianHoriz16s, Mask5x1, {{-2, 0}, {-1, 0}, {0, 0}, {1, 0}, {2, 0}}},
        {FilterMedianVert16s, Mask1x3, {{0, -1}, {0, 0}, {0, 1}}},
        {FilterMedianVert16s, Mask1x5, {{0, -2}, {0, -1}, {0, 0}, {0, 1}, {0, 2}}},
        {FilterMedianCross16s, Mask3x3, {{0, -1}, {-1, 0}, {0, 0}, {1, 0}, {0, 1}}},
        {FilterMedianCross16s,
         Mask5x5,
         {{0, -2}, {0, -1}, {-2, 0}, {-1, 0}, {0, 0}, {1, 0}, {2, 0}, {0, 1}, {0, 2}}},
    };
    unsigned seed = 30;
    for (const Case& c : cases) {
        SCOPED_TRACE("mask " + std::to_string(c.mask));
        Check16([&](const int16_t* s, int ss, int16_t* d, int ds,
                    KSize roi) { return c.run(s, ss, d, ds, roi, c.mask); },
                c.cells, Median, 2, seed++);
    }
}

TEST(KernelsRank, RectangularMedianMatchesSortedCells) {
    struct Case {
        KSize mask;
        KPoint anchor;
    };
    unsigned seed = 50;
    for (Case c : {Case{{1, 1}, {0, 0}}, Case{{3, 3}, {1, 1}}, Case{{5, 5}, {2, 2}}, Case{{3, 3}, {0, 2}},
                   Case{{5, 5}, {4, 1}}, Case{{5, 1}, {0, 0}}, Case{{1, 3}, {0, 2}}, Case{{7, 1}, {3, 0}},
                   Case{{1, 7}, {0, 6}}, Case{{5, 3}, {2, 1}}, Case{{3, 7}, {0, 0}}, Case{{9, 9}, {8, 4}}}) {
        SCOPED_TRACE("mask " + std::to_string(c.mask.width) + " x " + std::to_string(c.mask.height) + " at " +
                     std::to_string(c.anchor.x) + ", " + std::to_string(c.anchor.y));
        Check16([&](const int16_t* s, int ss, int16_t* d, int ds,
                    KSize roi) { return FilterMedian16s(s, ss, d, ds, roi, c.mask, c.anchor); },
                Block(c.mask, c.anchor), Median, 9, seed++);
    }
}

TEST(KernelsRank, MorphologyMatchesNestedLoops) {
    std::mt19937 rng(70);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    struct Case {
        KSize mask;
        KPoint anchor;
        std::vector<std::uint8_t> cells; // empty: all ones
    };
    const Case cases[] = {
        {{3, 3}, {1, 1}, {}},
        {{5, 3}, {2, 1}, {}},
        {{5, 1}, {0, 0}, {}},
        {{1, 4}, {0, 3}, {}},
        {{13, 2}, {12, 0}, {}},
        {{17, 3}, {3, 2}, {}},
        {{3, 3}, {1, 1}, {0, 1, 0, 1, 1, 1, 0, 1, 0}},
        {{4, 2}, {3, 1}, {1, 0, 0, 1, 0, 1, 0, 0}},
    };
    for (const Case& c : cases)
        for (KSize size : kSizes)
            for (bool dilate : {true, false}) {
                SCOPED_TRACE(std::to_string(c.mask.width) + " x " + std::to_string(c.mask.height) +
                             " mask on " + std::to_string(size.width) + " x " + std::to_string(size.height) +
                             (dilate ? ", dilate" : ", erode"));
                Bordered<float> src(size.width, size.height, 17), dst(size.width, size.height, 0, -5.0f);
                for (float& v : src.cells)
                    v = dist(rng);
                std::vector<std::uint8_t> mask = c.cells;
                mask.resize(std::size_t(c.mask.width) * c.mask.height, 1);
                std::vector<Offset> offsets;
                for (const Offset& o : Block(c.mask, c.anchor))
                    if (mask[std::size_t(o.dy + c.anchor.y) * c.mask.width + o.dx + c.anchor.x])
                        offsets.push_back(o);
                const auto want = Reference(src, offsets, [&](std::vector<float>& v) {
                    return dilate ? *std::max_element(v.begin(), v.end())
                                  : *std::min_element(v.begin(), v.end());
                });
                auto morph = dilate ? Dilate32f : Erode32f;
                ASSERT_EQ(
                    morph(src.Roi(), src.Step(), dst.Roi(), dst.Step(), size, mask.data(), c.mask, c.anchor),
                    StsNoErr);
                ASSERT_EQ(Mismatch(dst, want), "");
                ASSERT_TRUE(UntouchedOutside(dst, -5.0f));
                if (c.mask.width == 3 && c.mask.height == 3 && c.cells.empty()) {
                    auto morph3 = dilate ? Dilate3x3_32f : Erode3x3_32f;
                    ASSERT_EQ(morph3(src.Roi(), src.Step(), dst.Roi(), dst.Step(), size), StsNoErr);
                    ASSERT_EQ(Mismatch(dst, want), "");
                }
            }
}

TEST(KernelsRank, SingleCellsUnderDilationAndErosion) {
    auto run = [](auto morph, float background, float spot) {
        Bordered<float> src(7, 7, 1, background), dst(7, 7, 0);
        src.At(3, 3) = spot;
        EXPECT_EQ(morph(src.Roi(), src.Step(), dst.Roi(), dst.Step(), src.Size()), StsNoErr);
        return dst;
    };
    const auto grown = run(Dilate3x3_32f, 0.0f, 1.0f);
    const auto gone = run(Erode3x3_32f, 0.0f, 1.0f);
    const auto pit = run(Erode3x3_32f, 1.0f, 0.0f);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x) {
            const bool near = std::abs(x - 3) <= 1 && std::abs(y - 3) <= 1;
            EXPECT_EQ(grown.At(x, y), near ? 1.0f : 0.0f) << x << ", " << y;
            EXPECT_EQ(gone.At(x, y), 0.0f) << x << ", " << y;
            EXPECT_EQ(pit.At(x, y), near ? 0.0f : 1.0f) << x << ", " << y;
        }
}

} // namespace
