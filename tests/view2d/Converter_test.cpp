#include "view2d/Converter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using color::CConverter;
using color::CCustomFill;

namespace {

struct Owner : color::IFillOwner {
    const CCustomFill* CustomFill() const override { return &fill; }
    CCustomFill fill;
};

std::vector<float> Table(const float* t) {
    return std::vector<float>(t, t + 256);
}

std::vector<float> Tables(const CConverter& c) {
    std::vector<float> all = Table(c.Red()), green = Table(c.Green()), blue = Table(c.Blue());
    all.insert(all.end(), green.begin(), green.end());
    all.insert(all.end(), blue.begin(), blue.end());
    return all;
}

} // namespace

TEST(Converter, RampsHaveExactEndsThresholdsAndChannelRoles) {
    CConverter c;
    EXPECT_EQ(c.Type(), 2u);
    EXPECT_EQ(c.Red()[255], 1.0f);
    EXPECT_EQ(Table(c.Blue()), Table(c.Red()));
    c.SetType(CConverter::kAmber);
    EXPECT_EQ(c.Green()[85], 0.0f);
    EXPECT_EQ(c.Green()[86], 1.0f / 170.0f);
    EXPECT_EQ(c.Blue()[170], 0.0f);
    EXPECT_EQ(c.Blue()[171], 1.0f / 85.0f);
    EXPECT_EQ(c.Green()[255], 1.0f);
    EXPECT_EQ(c.Blue()[255], 1.0f);
    const std::vector<float> red = Table(c.Red()), green = Table(c.Green()), blue = Table(c.Blue());
    c.SetType(CConverter::kMarine);
    EXPECT_EQ(Table(c.Blue()), red);
    EXPECT_EQ(Table(c.Red()), blue);
    c.SetType(CConverter::kForest);
    EXPECT_EQ(Table(c.Green()), red);
    EXPECT_EQ(Table(c.Red()), green);
}

TEST(Converter, NegativeMirrorsOnceAndSurvivesFillChanges) {
    CConverter c;
    c.SetType(CConverter::kAmber);
    const std::vector<float> amber = Tables(c);
    c.SetNegative(1);
    const std::vector<float> negative = Tables(c);
    c.SetNegative(1);
    EXPECT_EQ(Tables(c), negative);
    EXPECT_EQ(c.Blue()[0], 1.0f); // white at index 0
    c.SetNegative(0);
    EXPECT_EQ(Tables(c), amber);
    c.SetNegative(7); // any non-zero flag is negative
    c.SetType(CConverter::kGray);
    c.SetType(CConverter::kAmber);
    EXPECT_EQ(Tables(c), negative);
    // An unknown type is stored but neither rebuilds nor mirrors the tables.
    c.SetType(9);
    EXPECT_EQ(c.Type(), 9u);
    EXPECT_EQ(Tables(c), negative);
    c.SetNegative(0);
    EXPECT_EQ(Tables(c), amber);
}

TEST(Converter, CustomFillsRunFromBottomToTop) {
    Owner owner;
    owner.fill.mode = 0;
    owner.fill.colors[CCustomFill::kTop] = color::MakeColorRef(255, 0, 51);
    owner.fill.colors[CCustomFill::kBottom] = color::MakeColorRef(0, 102, 255);
    CConverter c(&owner);
    c.SetType(CConverter::kCustom);
    EXPECT_FLOAT_EQ(c.Green()[0], 0.4f);
    EXPECT_FLOAT_EQ(c.Blue()[255], 0.2f);
    EXPECT_FLOAT_EQ(c.Red()[51], 0.2f);

    // Three colours with the slider in the middle: green at 127 and 128 whatever the thumb.
    for (float h : {0.0f, 0.03f, 0.2f}) {
        owner.fill = CCustomFill();
        owner.fill.h = h;
        c.SetType(CConverter::kCustom);
        EXPECT_FLOAT_EQ(c.Green()[127], 1.0f) << h;
        EXPECT_FLOAT_EQ(c.Green()[128], 1.0f) << h;
        EXPECT_FLOAT_EQ(c.Blue()[64], 63.0f / 127.0f) << h;
        EXPECT_FLOAT_EQ(c.Red()[255], 1.0f) << h;
    }
    // Without a dialog the starting colours are used.
    CConverter alone;
    alone.SetType(CConverter::kCustom);
    EXPECT_EQ(Tables(alone), Tables(c));
}

TEST(Converter, CustomMiddleAtEitherEndGivesNoNaN) {
    // n = p * 256 of 0, 1, 255, 256 and beyond: segments of no entry or of one.
    for (float s : {0.0f, 1.5f / 256.0f, 255.5f / 256.0f, 1.0f, 3.0f, -1.0f, std::nanf("")}) {
        Owner owner;
        owner.fill.s = s;
        CConverter c(&owner);
        c.SetType(CConverter::kCustom);
        for (float v : Tables(c))
            ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << s;
        if (s == 255.5f / 256.0f || s == 1.0f) {
            EXPECT_FLOAT_EQ(c.Green()[255], 1.0f) << s; // the middle colour reaches the top
        }
    }
}
