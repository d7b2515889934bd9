// Roughness about the mean plane, its texts and the ISO 25178 heights.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/Roughness.h"
#include "common/ScopedLocale.h"

namespace {

using statist::CRoughness;
using statist::Roughness;

TEST(Roughness, ThePlaneIsRemovedFirst) {
    // A tilted flat surface has no roughness, up to rounding; skewness and kurtosis of what is left
    // are still numbers or undefined, never inf or nan.
    const int w = 64, h = 48;
    std::vector<float> v(w * h);
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j)
            v[j + i * w] = 0.1f + 0.01f * j + 0.005f * i;
    CRoughness r = Roughness(v.data(), w, h);
    EXPECT_LT(r.ra, 1e-6);
    EXPECT_LT(r.rq, 1e-6);
    EXPECT_EQ(r.points, std::size_t(w * h));
    for (const auto& moment : {r.sk, r.ks}) {
        if (moment) {
            EXPECT_TRUE(std::isfinite(*moment));
        }
    }

    // All equal: Rq is exactly 0, and the moments are undefined.
    std::vector<float> flat(w * h, 0.3f);
    r = Roughness(flat.data(), w, h);
    EXPECT_EQ(r.rq, 0.0);
    EXPECT_FALSE(r.sk);
    EXPECT_FALSE(r.ks);
    EXPECT_EQ(statist::MomentText(r.sk), L"n/a");
}

TEST(Roughness, MomentsOfKnownResiduals) {
    // A chequerboard of +-d over a tilt: residuals are exactly +-d, so Ra = Rq = d, Sk = 0, Ks = 1.
    const int w = 40, h = 30;
    const float d = 0.125f;
    std::vector<float> v(w * h);
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j)
            v[j + i * w] = 0.5f + 0.002f * j - 0.001f * i + ((i + j) % 2 ? d : -d);
    const CRoughness r = Roughness(v.data(), w, h);
    EXPECT_NEAR(r.ra, d, 1e-6);
    EXPECT_NEAR(r.rq, d, 1e-6);
    ASSERT_TRUE(r.sk && r.ks);
    EXPECT_EQ(statist::MomentText(r.sk), L"0.00");
    EXPECT_EQ(statist::MomentText(r.ks), L"1.00");

    // One spike on a flat field: positive skew and a kurtosis near N - 2 (population moments).
    std::vector<float> spike(100, 0.5f);
    spike[37] = 0.9f;
    const CRoughness s = Roughness(spike.data(), 10, 10);
    ASSERT_TRUE(s.sk && s.ks);
    EXPECT_GT(*s.sk, 9.0);
    EXPECT_GT(*s.ks, 90.0);
    EXPECT_NEAR(s.peak - s.valley, 0.4, 1e-2);
}

TEST(Roughness, ASingleRowOrColumnIsTakenAboutItsLine) {
    // No plane fits one row: its least-squares line is removed, so a straight profile is smooth and
    // a sawtooth over a slope keeps only the teeth.
    std::vector<float> row(200);
    for (int j = 0; j < 200; ++j)
        row[j] = 0.2f + 0.003f * j;
    for (auto [w, h] : {std::pair{200, 1}, std::pair{1, 200}}) {
        const CRoughness r = Roughness(row.data(), w, h);
        EXPECT_LT(r.rq, 1e-6) << w << "x" << h;
    }
    std::vector<float> teeth(200);
    for (int j = 0; j < 200; ++j)
        teeth[j] = 0.2f + 0.003f * j + (j % 2 ? 0.01f : -0.01f);
    const CRoughness r = Roughness(teeth.data(), 200, 1);
    EXPECT_NEAR(r.rq, 0.01, 1e-4);
    EXPECT_NEAR(r.ra, 0.01, 1e-4);
    // A single point is its own mean.
    const float one = 0.7f;
    const CRoughness p = Roughness(&one, 1, 1);
    EXPECT_EQ(p.ra, 0.0);
    EXPECT_FALSE(p.sk);
}

TEST(Roughness, TextsAreTheSameUnderEveryLocale) {
    const ph::Size range(2.0, L"\u00b5m");
    for (const char* name : testlocale::kLocales) {
        testlocale::CScopedLocale locale(name);
        EXPECT_EQ(statist::QuantityText(statist::Physical(range, 0.00617)), L"12.3 nm") << name;
        EXPECT_EQ(statist::MomentText(-1.2345), L"-1.23") << name;
        EXPECT_EQ(statist::MomentText(-0.004), L"0.00") << name;
        EXPECT_EQ(statist::MomentText(3.0), L"3.00") << name;
    }
}

TEST(Roughness, IsoHeightsArePhysicalAndSzSpansPeakToValley) {
    CRoughness r;
    r.ra = 0.01;
    r.rq = 0.02;
    r.peak = 0.3;
    r.valley = -0.1;
    r.sk = 0.5;
    r.ks = 3.5;
    const statist::CIsoHeights iso = statist::IsoHeights(r, ph::Size(1.0, L"\u00b5m"));
    EXPECT_EQ(std::wstring(iso.sa.unit()), L"nm");
    EXPECT_NEAR(iso.sa.value(), 10.0, 1e-9);
    EXPECT_NEAR(iso.sp.value(), 300.0, 1e-9);
    EXPECT_NEAR(iso.sv.value(), 100.0, 1e-9);
    EXPECT_NEAR(iso.sz.value(), 400.0, 1e-9);
    EXPECT_EQ(iso.sku, 3.5);
}

} // namespace
