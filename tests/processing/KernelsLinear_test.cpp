#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <random>
#include <type_traits>
#include <vector>

#include "processing/kernels/Kernels.h"
#include "processing/kernels/KernelsSimd.h"

namespace {

using namespace doc::kern;

constexpr int kPad = 2; // the largest mask radius

// An image with kPad border cells all round and `slack` more cells at each row's end, so that the step
// is not the width. At takes region coordinates.
template <class T> struct Padded {
    int width, height, stride;
    std::vector<T> cells;

    Padded(int w, int h, T fill, int slack = 3) : width(w), height(h), stride(w + 2 * kPad + slack) {
        cells.assign(std::size_t(stride) * (h + 2 * kPad), fill);
    }
    T& At(int x, int y) { return cells[std::size_t(y + kPad) * stride + x + kPad]; }
    T At(int x, int y) const { return cells[std::size_t(y + kPad) * stride + x + kPad]; }
    T* Roi() { return &At(0, 0); }
    const T* Roi() const { return &cells[std::size_t(kPad) * stride + kPad]; }
    int Step() const { return stride * int(sizeof(T)); }
};

template <class T> using KernelFn = std::function<int(const T*, int, T*, int, KSize)>;

// A kernel with its weight table (top row first) and divisor.
template <class T> struct Case {
    const char* name;
    KernelFn<T> run;
    int radius;
    std::vector<int> w;
    int divisor = 1;
};

template <class T, class F> KernelFn<T> With(F f, MaskSize m) {
    return [f, m](const T* s, int ss, T* d, int ds, KSize r) { return f(s, ss, d, ds, r, m); };
}

std::vector<Case<std::int16_t>> Cases16() {
    using T = std::int16_t;
    const std::vector<int> laplace3 = {-1, -1, -1, -1, 8, -1, -1, -1, -1};
    std::vector<int> hipass5(25, -1);
    hipass5[12] = 24;
    return {
        {"PrewittHoriz", FilterPrewittHoriz16s, 1, {-1, -1, -1, 0, 0, 0, 1, 1, 1}},
        {"PrewittVert", FilterPrewittVert16s, 1, {1, 0, -1, 1, 0, -1, 1, 0, -1}},
        {"RobertsUp", FilterRobertsUp16s, 1, {0, 0, -1, 0, 1, 0, 0, 0, 0}},
        {"RobertsDown", FilterRobertsDown16s, 1, {-1, 0, 0, 0, 1, 0, 0, 0, 0}},
        {"Laplace3", With<T>(FilterLaplace16s, Mask3x3), 1, laplace3},
        {"Laplace5", With<T>(FilterLaplace16s, Mask5x5), 2, {-1, -3, -4, -3, -1, -3, 0,  6, 0,
                                                             -3, -4, 6,  20, 6,  -4, -3, 0, 6,
                                                             0,  -3, -1, -3, -4, -3, -1}},
        {"Gauss3", With<T>(FilterGauss16s, Mask3x3), 1, {1, 2, 1, 2, 4, 2, 1, 2, 1}, 16},
        {"Gauss5",
         With<T>(FilterGauss16s, Mask5x5),
         2,
         {2, 7, 12, 7, 2, 7, 31, 52, 31, 7, 12, 52, 127, 52, 12, 7, 31, 52, 31, 7, 2, 7, 12, 7, 2},
         571},
        {"Hipass3", With<T>(FilterHipass16s, Mask3x3), 1, laplace3},
        {"Hipass5", With<T>(FilterHipass16s, Mask5x5), 2, hipass5},
        {"Lowpass3", With<T>(FilterLowpass16s, Mask3x3), 1, std::vector<int>(9, 1), 9},
        {"Lowpass5", With<T>(FilterLowpass16s, Mask5x5), 2, std::vector<int>(25, 1), 25},
        {"Sharpen", FilterSharpen16s, 1, {-1, -1, -1, -1, 16, -1, -1, -1, -1}, 8},
    };
}

std::vector<Case<float>> Cases32() {
    // The 5 x 5 tables as column weights times row weights.
    const auto outer = [](std::vector<int> col, std::vector<int> row) {
        std::vector<int> w;
        for (int c : col)
            for (int r : row)
                w.push_back(c * r);
        return w;
    };
    const std::vector<int> d5 = {-1, -2, 0, 2, 1}, s5 = {1, 4, 6, 4, 1}, dd5 = {1, 0, -2, 0, 1},
                           m5 = {1, 2, 0, -2, -1};
    return {
        {"ScharrHoriz", FilterScharrHoriz32f, 1, {-3, -10, -3, 0, 0, 0, 3, 10, 3}},
        {"ScharrVert", FilterScharrVert32f, 1, {-3, 0, 3, -10, 0, 10, -3, 0, 3}},
        {"SobelHoriz3", With<float>(FilterSobelHoriz32f, Mask3x3), 1, {-1, -2, -1, 0, 0, 0, 1, 2, 1}},
        {"SobelHoriz5", With<float>(FilterSobelHoriz32f, Mask5x5), 2, outer(d5, s5)},
        {"SobelVert3", With<float>(FilterSobelVert32f, Mask3x3), 1, {1, 0, -1, 2, 0, -2, 1, 0, -1}},
        {"SobelVert5", With<float>(FilterSobelVert32f, Mask5x5), 2, outer(s5, m5)},
        {"SobelHorizSecond3",
         With<float>(FilterSobelHorizSecond32f, Mask3x3),
         1,
         {1, 2, 1, -2, -4, -2, 1, 2, 1}},
        {"SobelHorizSecond5", With<float>(FilterSobelHorizSecond32f, Mask5x5), 2, outer(dd5, s5)},
        {"SobelVertSecond3",
         With<float>(FilterSobelVertSecond32f, Mask3x3),
         1,
         {1, -2, 1, 2, -4, 2, 1, -2, 1}},
        {"SobelVertSecond5", With<float>(FilterSobelVertSecond32f, Mask5x5), 2, outer(s5, dd5)},
        {"SobelCross3", With<float>(FilterSobelCross32f, Mask3x3), 1, {-1, 0, 1, 0, 0, 0, 1, 0, -1}},
        {"SobelCross5", With<float>(FilterSobelCross32f, Mask5x5), 2, outer(d5, m5)},
        // Any mask but 3 x 3 selects 5 x 5.
        {"SobelHoriz1x5", With<float>(FilterSobelHoriz32f, Mask1x5), 2, outer(d5, s5)},
    };
}

// The weighted sum, divided, rounded half away from zero and saturated; floats as they are.
template <class T> bool Expected(const Case<T>& c, const Padded<T>& src, int x, int y, T got) {
    double sum = 0, magnitude = 0;
    for (int dy = -c.radius; dy <= c.radius; ++dy)
        for (int dx = -c.radius; dx <= c.radius; ++dx) {
            const double term = c.w[std::size_t((dy + c.radius) * (2 * c.radius + 1) + dx + c.radius)] *
                                double(src.At(x + dx, y + dy));
            sum += term;
            magnitude += std::abs(term);
        }
    if constexpr (std::is_same_v<T, float>) {
        return std::abs(got - sum) <= 1e-6 * magnitude;
    } else {
        const long long s = std::llround(sum), d = c.divisor;
        const long long q = s >= 0 ? (s + d / 2) / d : -((-s + d / 2) / d);
        return got == std::min(std::max(q, -32768LL), 32767LL);
    }
}

// Every cell of the region against the weight table, and every cell around it untouched.
template <class T>::testing::AssertionResult Matches(const Case<T>& c, const Padded<T>& src, KSize size) {
    const T sentinel = T(23130);
    Padded<T> dst(size.width, size.height, sentinel, 7);
    if (int status = c.run(src.Roi(), src.Step(), dst.Roi(), dst.Step(), size))
        return ::testing::AssertionFailure() << c.name << " returned " << status;
    for (int y = -kPad; y < size.height + kPad; ++y)
        for (int x = -kPad; x < dst.stride - kPad; ++x) {
            const bool inside = x >= 0 && y >= 0 && x < size.width && y < size.height;
            if (inside ? !Expected(c, src, x, y, dst.At(x, y)) : dst.At(x, y) != sentinel)
                return ::testing::AssertionFailure() << c.name << " " << size.width << "x" << size.height
                                                     << " at (" << x << ", " << y << "): " << dst.At(x, y);
        }
    return ::testing::AssertionSuccess();
}

// Rows and columns of one cell, widths at and beside the 16- and 32-byte vector lengths, and widths
// below, at, above and twice the 128-cell blocks the kernels work in.
const KSize kSizes[] = {{1, 1},   {1, 9},   {9, 1},   {2, 3},   {6, 5},   {16, 2}, {33, 3},
                        {67, 41}, {127, 3}, {128, 2}, {129, 4}, {256, 2}, {300, 3}};

// Full-range cells, only the two extremes (saturation everywhere), small values, and a constant, on
// which every derivative kernel gives 0.
template <class T> void CheckAll(const std::vector<Case<T>>& cases) {
    std::mt19937 rng(7);
    const int ranges[][3] = {{-32768, 32767, 0}, {-32768, 32767, 1}, {-3, 3, 0}, {-1234, -1234, 0}};
    for (const Case<T>& c : cases)
        for (const KSize size : kSizes)
            for (const auto& r : ranges) {
                std::uniform_int_distribution<int> value(r[0], r[1]), pick(0, 1);
                Padded<T> src(size.width, size.height, 0);
                for (T& cell : src.cells)
                    cell = T(r[2] ? (pick(rng) ? r[1] : r[0]) : value(rng));
                EXPECT_TRUE(Matches(c, src, size));
            }
}

TEST(KernelsLinear, Kernels16sFollowTheirWeightTables) {
    CheckAll(Cases16());
}
TEST(KernelsLinear, Kernels32fFollowTheirWeightTables) {
    CheckAll(Cases32());
}

TEST(KernelsLinear, PrewittSaturatesOnAFullScaleStep) {
    // Rows from 3 on hold 32767: rows 2 and 3 see 3 x 32767; flipped, -3 x 32768.
    Padded<std::int16_t> src(4, 6, 0), dst(4, 6, 0);
    for (int y = 3; y < 6 + kPad; ++y)
        for (int x = -kPad; x < 4 + kPad; ++x)
            src.At(x, y) = 32767;
    ASSERT_EQ(FilterPrewittHoriz16s(src.Roi(), src.Step(), dst.Roi(), dst.Step(), {4, 6}), StsNoErr);
    EXPECT_EQ((std::vector<int>{dst.At(0, 1), dst.At(0, 2), dst.At(3, 3), dst.At(0, 4)}),
              (std::vector<int>{0, 32767, 32767, 0}));
    for (std::int16_t& cell : src.cells)
        cell = std::int16_t(-1 - cell);
    ASSERT_EQ(FilterPrewittHoriz16s(src.Roi(), src.Step(), dst.Roi(), dst.Step(), {4, 6}), StsNoErr);
    EXPECT_EQ(dst.At(0, 2), -32768);
}

// Gauss 3 x 3 (/16) and sharpen (/8) are the kernels whose quotients can fall half-way.
TEST(KernelsLinear, SingleCellSmoothingRoundsHalvesAwayFromZero) {
    const auto around = [](KernelFn<std::int16_t> run, std::int16_t value) {
        Padded<std::int16_t> src(3, 3, 0), dst(3, 3, 0);
        src.At(1, 1) = value;
        EXPECT_EQ(run(src.Roi(), src.Step(), dst.Roi(), dst.Step(), {3, 3}), StsNoErr);
        return std::vector<int>{dst.At(1, 1), dst.At(1, 0), dst.At(0, 1), dst.At(0, 0), dst.At(2, 2)};
    };
    const KernelFn<std::int16_t> gauss = With<std::int16_t>(FilterGauss16s, Mask3x3);
    EXPECT_EQ(around(gauss, 1600), (std::vector<int>{400, 200, 200, 100, 100}));
    EXPECT_EQ(around(gauss, 8), (std::vector<int>{2, 1, 1, 1, 1}));       // corners 0.5
    EXPECT_EQ(around(gauss, -8), (std::vector<int>{-2, -1, -1, -1, -1})); // corners -0.5
    EXPECT_EQ(around(FilterSharpen16s, 4), (std::vector<int>{8, -1, -1, -1, -1}));
    EXPECT_EQ(around(FilterSharpen16s, -4), (std::vector<int>{-8, 1, 1, 1, 1}));
}

// This suite also runs with VANTRI_NO_AVX2 set; each run must then exercise the path it stands for.
TEST(KernelsLinear, VectorWidthFollowsTheSwitch) {
    int bytes = 0;
    simd::RunSimd([&](auto width) __attribute__((always_inline)) { bytes = decltype(width)::value; });
    if (std::getenv("VANTRI_NO_AVX2")) {
        EXPECT_EQ(bytes, 16);
    } else {
#if defined(__x86_64__) || defined(__i386__)
        EXPECT_EQ(bytes, __builtin_cpu_supports("avx2") ? 32 : 16);
#else
        EXPECT_EQ(bytes, 16);
#endif
    }
}

TEST(KernelsLinear, StatusCodesInCheckingOrder) {
    Padded<std::int16_t> s16(4, 4, 0), d16(4, 4, 0);
    Padded<float> s32(4, 4, 0), d32(4, 4, 0);
    const int step16 = s16.Step(), step32 = s32.Step();
    for (const auto& c : Cases16()) {
        EXPECT_EQ(c.run(nullptr, step16, d16.Roi(), step16, {0, 4}), StsNullPtr) << c.name;
        EXPECT_EQ(c.run(s16.Roi(), step16, nullptr, step16, {4, 4}), StsNullPtr) << c.name;
        EXPECT_EQ(c.run(s16.Roi(), 0, d16.Roi(), step16, {0, 4}), StsSize) << c.name;
        EXPECT_EQ(c.run(s16.Roi(), step16, d16.Roi(), step16, {4, -1}), StsSize) << c.name;
        EXPECT_EQ(c.run(s16.Roi(), 0, d16.Roi(), step16, {4, 4}), StsStep) << c.name;
        EXPECT_EQ(c.run(s16.Roi(), step16, d16.Roi(), -step16, {4, 4}), StsStep) << c.name;
    }
    for (const auto& c : Cases32()) {
        EXPECT_EQ(c.run(s32.Roi(), step32, nullptr, step32, {0, 4}), StsNullPtr) << c.name;
        EXPECT_EQ(c.run(s32.Roi(), step32, d32.Roi(), step32, {4, 0}), StsSize) << c.name;
        EXPECT_EQ(c.run(s32.Roi(), step32, d32.Roi(), 0, {4, 4}), StsStep) << c.name;
    }
    using Masked = int (*)(const std::int16_t*, int, std::int16_t*, int, KSize, MaskSize);
    for (Masked f : {FilterLaplace16s, FilterGauss16s, FilterHipass16s, FilterLowpass16s}) {
        for (MaskSize m : {Mask3x1, Mask5x1, Mask1x3, Mask1x5})
            EXPECT_EQ(f(s16.Roi(), step16, d16.Roi(), step16, {4, 4}, m), StsMaskSize);
        EXPECT_EQ(f(s16.Roi(), 0, d16.Roi(), step16, {4, 4}, Mask3x1), StsStep); // steps before the mask
    }
}

} // namespace
