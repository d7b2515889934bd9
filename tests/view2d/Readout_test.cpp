// The status bar's readout: positions as the rulers count them, heights as the height bar counts them,
// the texel under a point of an analysis texture, and the text.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "view2d/Readout.h"
#include "view2d/RulerLayout.h"

namespace {

const wchar_t* const kMicro = L"\u00B5m";

double In(ph::Size size, const wchar_t* unit) {
    return size.cast(unit).value();
}

// 3 x 2 samples, 3 µm wide and 2 µm high, 10 nm from the lowest to the highest.
doc::CDataDoc Small() {
    doc::CDataDoc s;
    s.columns = 3;
    s.rows = 2;
    s.heights = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 0.1f};
    s.width = ph::Size(3.0, kMicro);
    s.height = ph::Size(2.0, kMicro);
    s.range = ph::Size(10.0, L"nm");
    return s;
}

} // namespace

TEST(Readout, PositionsRunAsTheRulersOfEachPlacement) {
    const ph::Size width(2.0, kMicro), height(4.0, kMicro);
    EXPECT_DOUBLE_EQ(In(readout::AlongX(0.25, width, rulers::kZeroUpper), kMicro), 0.5);
    EXPECT_DOUBLE_EQ(In(readout::AlongX(0.25, width, rulers::kZeroLower), kMicro), 0.5);
    EXPECT_DOUBLE_EQ(In(readout::AlongX(0.25, width, rulers::kZeroCentre), kMicro), -0.5);
    // Down from the top, up from the middle, up from the bottom.
    EXPECT_DOUBLE_EQ(In(readout::AlongY(0.1, height, rulers::kZeroUpper), kMicro), 0.4);
    EXPECT_DOUBLE_EQ(In(readout::AlongY(0.1, height, rulers::kZeroCentre), kMicro), 1.6);
    EXPECT_DOUBLE_EQ(In(readout::AlongY(0.1, height, rulers::kZeroLower), kMicro), 3.6);
}

TEST(Readout, HeightsAreTheNearestSampleAsTheBarCountsThem) {
    const doc::CDataDoc s = Small();
    ph::Size z;
    // (0.9, 0.9) lies in column 2 of row 1: 0.1 of the range.
    ASSERT_TRUE(readout::HeightAt(s, 0.9, 0.9, rulers::kZeroLower, z));
    EXPECT_NEAR(In(z, L"nm"), 1.0, 1e-6);
    ASSERT_TRUE(readout::HeightAt(s, 0.9, 0.9, rulers::kZeroCentre, z));
    EXPECT_NEAR(In(z, L"nm"), -4.0, 1e-6);
    ASSERT_TRUE(readout::HeightAt(s, 0.9, 0.9, rulers::kZeroUpper, z));
    EXPECT_NEAR(In(z, L"nm"), 9.0, 1e-6);
    // The far edges belong to the last samples; points before the first (or no number) to the first.
    ASSERT_TRUE(readout::HeightAt(s, 1.0, 1.0, rulers::kZeroLower, z));
    EXPECT_NEAR(In(z, L"nm"), 1.0, 1e-6);
    ASSERT_TRUE(readout::HeightAt(s, -0.2, std::numeric_limits<double>::quiet_NaN(), rulers::kZeroLower, z));
    EXPECT_NEAR(In(z, L"nm"), 0.0, 1e-6);
    ASSERT_TRUE(readout::HeightAt(s, 0.5, 0.2, rulers::kZeroLower, z));
    EXPECT_NEAR(In(z, L"nm"), 2.5, 1e-6);
    // No samples, or fewer than the size says: nothing to read.
    doc::CDataDoc broken = s;
    broken.heights.resize(5);
    EXPECT_FALSE(readout::HeightAt(broken, 0.5, 0.5, rulers::kZeroLower, z));
    EXPECT_FALSE(readout::HeightAt(doc::CDataDoc(), 0.5, 0.5, rulers::kZeroLower, z));
}

TEST(Readout, TheTexelUnderAPointOfTheSurface) {
    // A 3 x 2 surface in the top-left corner of a 4 x 4 texture: texel (x, y) holds 10 y + x.
    surface::CTextureImage texture;
    texture.width = texture.height = 4;
    texture.uMax = 0.75f;
    texture.vMax = 0.5f;
    for (int k = 0; k < 16; ++k)
        texture.texels.push_back(float(10 * (k / 4) + k % 4));
    float level = -1.0f;
    ASSERT_TRUE(readout::LevelAt(texture, 0.99, 0.99, level));
    EXPECT_EQ(level, 12.0f);
    ASSERT_TRUE(readout::LevelAt(texture, 0.4, 0.1, level));
    EXPECT_EQ(level, 1.0f);
    // Resampled into the whole texture.
    texture.uMax = texture.vMax = 1.0f;
    ASSERT_TRUE(readout::LevelAt(texture, 0.99, 0.99, level));
    EXPECT_EQ(level, 33.0f);
    // Read in place from the surface.
    const doc::CDataDoc s = Small();
    surface::CTextureImage inPlace;
    inPlace.grid = s.heights.data();
    inPlace.columns = 3;
    inPlace.rows = 2;
    ASSERT_TRUE(readout::LevelAt(inPlace, 0.9, 0.9, level));
    EXPECT_EQ(level, 0.1f);
    EXPECT_FALSE(readout::LevelAt(surface::CTextureImage(), 0.5, 0.5, level));
}

TEST(Readout, TextGivesFourDigitsInReadableUnits) {
    EXPECT_EQ(readout::Text(ph::Size(1.5, kMicro), ph::Size(250.0, L"nm"), L"z", ph::Size(0.01234, kMicro)),
              std::wstring(L"x 1.500 \u00B5m  y 250.0 nm  z 12.34 nm"));
    EXPECT_EQ(readout::Text(ph::Size(1.5, kMicro), ph::Size(-0.5, kMicro)),
              std::wstring(L"x 1.500 \u00B5m  y -500.0 nm"));
}
