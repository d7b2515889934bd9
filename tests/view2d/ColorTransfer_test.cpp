#include "view2d/ColorTransfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "view3d/glEval.h"

using color::CAttenuator;
using color::CConverter;

namespace {

// The formula written out: gl::round is the plain half-away-from-zero rounding.
unsigned ReferenceIndex(float L, float gain, float bias) {
    const float scaled = gain * L;
    const float v = scaled + bias;
    const float clamped = std::isnan(v) ? 0.0f : std::min(std::max(v, 0.0f), 1.0f);
    return gl::round(clamped * 255.0f);
}

// Grey levels around every k + 0.5 boundary of gain * L + bias, and a sweep through the floats in 0..1.
std::vector<float> Levels(float gain, float bias) {
    std::vector<float> levels;
    for (int k = 0; k < 256; ++k) {
        const float target = (static_cast<float>(k) + 0.5f) / 255.0f;
        float L = (target - bias) / gain;
        for (int step = 0; step < 4; ++step)
            L = std::nextafter(L, -1.0f);
        for (int step = 0; step < 9; ++step, L = std::nextafter(L, 2.0f))
            levels.push_back(L);
    }
    std::uint32_t bits = 0;
    const std::uint32_t oneBits = 0x3F800000;
    for (; bits <= oneBits; bits += 9973) {
        float L;
        std::memcpy(&L, &bits, sizeof L);
        levels.push_back(L);
    }
    for (float L : {-1.0f, -0.0f, 1.0f, 2.0f, 1e30f, -1e30f, std::nanf(""), INFINITY, -INFINITY})
        levels.push_back(L);
    return levels;
}

struct State {
    int contrast, brightness;
};

CAttenuator Attenuator(State s) {
    CAttenuator a;
    for (int i = 0; i < std::abs(s.contrast); ++i)
        s.contrast > 0 ? a.ContrastUp() : a.ContrastDown();
    for (int i = 0; i < std::abs(s.brightness); ++i)
        s.brightness > 0 ? a.BrightnessUp() : a.BrightnessDown();
    return a;
}

const State kStates[] = {{0, 0}, {0, 37}, {12, -5}, {-40, 20}, {97, 0}, {99, 99}, {-99, -99}};

} // namespace

// Through the whole transfer, so that the vector path is what is checked: with the Gray fill the
// red byte is the table index itself. Both pixel layouts, whose lookups differ.
TEST(ColorTransfer, IndexMatchesTheFormulaOnBoundariesAndAcrossTheFloats) {
    const CConverter gray;
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(color::ComponentByte(gray.Red()[i]), i);
    for (const State& s : kStates) {
        const CAttenuator a = Attenuator(s);
        const float gain = static_cast<float>(a.Gain()), bias = static_cast<float>(a.Bias());
        const std::vector<float> levels = Levels(gain, bias);
        std::vector<std::uint8_t> rgb(levels.size() * 3), bgra(levels.size() * 4);
        color::TransferRgb(levels.data(), levels.size(), 1, gray, a, rgb.data());
        color::TransferBgra(levels.data(), levels.size(), 1, gray, a, bgra.data());
        for (std::size_t p = 0; p < levels.size(); ++p) {
            const unsigned expected = ReferenceIndex(levels[p], gain, bias);
            ASSERT_EQ(rgb[p * 3], expected)
                << "L " << levels[p] << " contrast " << s.contrast << " brightness " << s.brightness;
            ASSERT_EQ(bgra[p * 4 + 2], expected)
                << "L " << levels[p] << " contrast " << s.contrast << " brightness " << s.brightness;
        }
        EXPECT_GT(levels.size(), 100000u);
    }
    EXPECT_EQ(color::ComponentByte(127.5f / 255.0f), gl::round(127.5f / 255.0f * 255.0f));
    EXPECT_EQ(color::ComponentByte(-3.0f), 0);
    EXPECT_EQ(color::ComponentByte(7.0f), 255);
}

TEST(ColorTransfer, PixelsAreTheTableBytesOfEachSample) {
    // Odd sizes: partial vectors, partial blocks and the grid's last pixel.
    for (const auto& size : {std::pair<std::size_t, std::size_t>{1, 1}, {7, 3}, {1031, 5}}) {
        const std::size_t columns = size.first, rows = size.second, count = columns * rows;
        std::vector<float> grey(count);
        std::mt19937 random(static_cast<unsigned>(count));
        std::uniform_real_distribution<float> level(-0.2f, 1.2f);
        for (float& v : grey)
            v = level(random);
        CConverter c;
        c.SetType(CConverter::kForest);
        c.SetNegative(1);
        const CAttenuator a = Attenuator({15, -8});
        const float gain = static_cast<float>(a.Gain()), bias = static_cast<float>(a.Bias());
        // One guard byte past each buffer.
        std::vector<std::uint8_t> rgb(count * 3 + 1, 0xEE), bgra(count * 4 + 1, 0xEE);
        color::TransferRgb(grey.data(), columns, rows, c, a, rgb.data());
        color::TransferBgra(grey.data(), columns, rows, c, a, bgra.data());
        for (std::size_t p = 0; p < count; ++p) {
            const unsigned i = ReferenceIndex(grey[p], gain, bias);
            const std::uint8_t r = gl::round(c.Red()[i] * 255.0f), g = gl::round(c.Green()[i] * 255.0f),
                               b = gl::round(c.Blue()[i] * 255.0f);
            ASSERT_EQ(rgb[p * 3], r) << p;
            ASSERT_EQ(rgb[p * 3 + 1], g) << p;
            ASSERT_EQ(rgb[p * 3 + 2], b) << p;
            ASSERT_EQ(bgra[p * 4], b) << p;
            ASSERT_EQ(bgra[p * 4 + 1], g) << p;
            ASSERT_EQ(bgra[p * 4 + 2], r) << p;
            ASSERT_EQ(bgra[p * 4 + 3], 255) << p;
        }
        EXPECT_EQ(rgb.back(), 0xEE);
        EXPECT_EQ(bgra.back(), 0xEE);
    }
}
