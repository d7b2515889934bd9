#include "view2d/Attenuator.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/ScopedLocale.h"

using color::CAttenuator;

TEST(Attenuator, ContrastFollowsTheTangentUpToTheCapAndStopsAtNinetyNine) {
    CAttenuator a;
    for (int i = 0; i < 8; ++i)
        a.ContrastUp();
    const double gain = std::exp(std::tan(0.04 * 3.14159265358979323846));
    EXPECT_DOUBLE_EQ(a.Gain(), gain);
    EXPECT_DOUBLE_EQ(a.Bias(), -(gain - 1.0) * 0.5); // grey 0.5 stays put
    while (a.Contrast() < 96)
        a.ContrastUp();
    EXPECT_LT(a.Gain(), 9999999.0);
    a.ContrastUp();
    EXPECT_EQ(a.Gain(), 9999999.0);
    while (a.ContrastUp()) {
    }
    EXPECT_EQ(a.Contrast(), 99);
    EXPECT_FALSE(color::CanContrastUp(a));
    while (a.ContrastDown()) {
    }
    EXPECT_EQ(a.Contrast(), -99);
    EXPECT_FALSE(color::CanContrastDown(a));
}

TEST(Attenuator, BrightnessShiftsTheBiasWithTheGain) {
    CAttenuator a;
    while (a.BrightnessUp()) {
    }
    EXPECT_EQ(a.Brightness(), 99);
    EXPECT_FALSE(color::CanBrightnessUp(a));
    EXPECT_DOUBLE_EQ(a.Bias(), 0.99);
    a.ContrastUp();
    EXPECT_DOUBLE_EQ(a.Bias(), 99 * (a.Gain() + 1.0) * 0.005 - (a.Gain() - 1.0) * 0.5);
    for (const char* name : testlocale::kLocales) {
        testlocale::CScopedLocale locale(name);
        SCOPED_TRACE(name);
        EXPECT_EQ(color::ContrastTip(0), L"Contrast 50.0%");
        EXPECT_EQ(color::BrightnessTip(-99), L"Brightness 0.5%");
        EXPECT_EQ(color::PercentTip(99), L"99.5%");
    }
}
