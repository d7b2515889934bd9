#include "view2d/Zoom.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <iterator>

using m2D::CFit;
using m2D::FitError;
using m2D::InitialScale;
using m2D::kZoomSteps;

namespace {

// A window of size x size samples framed by 50 pixels across and 80 down.
CFit Square(int size, int targetWidth, int targetHeight) {
    return {size, size, 50, 80, targetWidth, targetHeight};
}

// The frame at m fits the target and shows at least 200 x 200 pixels, worked out by hand.
::testing::AssertionResult Good(const CFit& f, float m) {
    const long w = std::lround(static_cast<double>(f.displayedWidth) * m);
    const long h = std::lround(static_cast<double>(f.displayedHeight) * m);
    if (w + f.extraWidth > f.targetWidth || h + f.extraHeight > f.targetHeight)
        return ::testing::AssertionFailure() << "frame too large at " << m;
    if (w < 200 || h < 200)
        return ::testing::AssertionFailure() << "image " << w << " x " << h << " at " << m;
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(Zoom, ClickStepsMoveOneEntryAndStopAtTheEnds) {
    for (std::size_t k = 0; k + 1 < std::size(kZoomSteps); ++k) {
        EXPECT_EQ(m2D::ZoomInStep(kZoomSteps[k]), kZoomSteps[k + 1]) << k;
        EXPECT_EQ(m2D::ZoomOutStep(kZoomSteps[k + 1]), kZoomSteps[k]) << k;
    }
    EXPECT_EQ(m2D::ZoomInStep(0.999f), 1.5f); // rounds to 1 first
    EXPECT_EQ(m2D::ZoomOutStep(1.0f), 0.75f);
    EXPECT_EQ(m2D::ZoomInStep(0.123f), 0.15f);
    EXPECT_EQ(m2D::ZoomOutStep(0.01f), 0.01f);
    EXPECT_EQ(m2D::ZoomInStep(100.0f), 100.0f);
    EXPECT_EQ(m2D::ZoomInStep(250.0f), 100.0f);
}

TEST(Zoom, WheelGrowsOrShrinksByHundredthsAndNeverReachesZero) {
    EXPECT_EQ(m2D::WheelNotches(-239), -1);
    EXPECT_FLOAT_EQ(m2D::WheelScale(2.0f, -3), 2.06f);
    EXPECT_FLOAT_EQ(m2D::WheelScale(2.0f, 3), 1.94f);
    EXPECT_EQ(m2D::WheelScale(2.0f, 0), 2.0f);
    EXPECT_NEAR(m2D::WheelScale(2.0f, 99), 0.02f, 1e-6f); // s - 0.99 s loses digits
    EXPECT_GT(m2D::WheelScale(2.0f, INT_MAX), 0.0f);
}

TEST(Zoom, ScalesKeepTheAspectUntilTheVerticalScaleMeetsABound) {
    struct Case {
        float entry, h, v;
        bool lock, in;
        float newH, newV;
    } const cases[] = {
        {3.0f, 1.0f, 2.0f, true, true, 3.0f, 3.0f},      // locked
        {3.0f, 1.0f, 2.0f, false, true, 3.0f, 6.0f},     // twice as high stays so
        {75.0f, 1.0f, 2.0f, false, true, 50.0f, 100.0f}, // 150 passes the largest scale
        {0.05f, 2.0f, 1.0f, false, false, 0.08f, 0.04f}, // 0.025 passes the smallest
        {0.05f, 2.0f, 1.0f, false, true, 0.05f, 0.025f}, // zooming in only the largest counts
        {2.0f, 0.0f, 1.0f, false, true, 2.0f, 2.0f},     // no ratio: 1
    };
    for (const Case& c : cases) {
        const m2D::CScales s = m2D::ZoomScales(c.entry, {c.h, c.v}, c.lock, 0.04f, 100.0f, c.in);
        EXPECT_FLOAT_EQ(s.h, c.newH) << c.entry << " from " << c.h << " x " << c.v;
        EXPECT_FLOAT_EQ(s.v, c.newV) << c.entry << " from " << c.h << " x " << c.v;
    }
}

TEST(Zoom, TurnsCycleThroughFourAnglesEitherWay) {
    int angle = 0;
    const int plain[] = {-90, -180, -270, 0};
    for (int expected : plain)
        EXPECT_EQ(angle = m2D::TurnAngle(angle, -1, -1), expected);
    const int flipped[] = {-270, -180, -90, 0};
    for (int expected : flipped)
        EXPECT_EQ(angle = m2D::TurnAngle(angle, 1, -1), expected);
    EXPECT_EQ(m2D::TurnAngle(90, 1, 1), 0); // 90 is -270
}

TEST(Zoom, MirroredScrollStaysInRangeAndMirrorsBack) {
    EXPECT_EQ(m2D::MirrorScroll(0, 1000, 300, 100), 600);
    EXPECT_EQ(m2D::MirrorScroll(0, 1000, 300, m2D::MirrorScroll(0, 1000, 300, 100)), 100);
    EXPECT_EQ(m2D::MirrorScroll(10, 1000, 300, 10), 710);
    EXPECT_EQ(m2D::MirrorScroll(0, 1000, 300, -50), 700);           // clamped
    EXPECT_EQ(m2D::MirrorScroll(5, 100, 300, 40), 5);               // page larger than the range
    EXPECT_EQ(m2D::MirrorScroll(INT_MIN, INT_MAX, 0, -1), INT_MIN); // no overflow
}

TEST(Zoom, ScaleBoundsAndImageSize) {
    EXPECT_FLOAT_EQ(m2D::MinimumScale(400, 100), 2.0f);
    EXPECT_EQ(m2D::MinimumScale(0, 400), 200.0f);
    EXPECT_EQ(m2D::MaximumScale(false, 1000, 2, 4, 48, true, 512, 0.4f), 100.0f);
    EXPECT_FLOAT_EQ(m2D::MaximumScale(true, 1000, 2, 4, 48, true, 512, 0.4f),
                    (1000 - 4 - 8 - 48 - 76) / 512.0f);
    EXPECT_FLOAT_EQ(m2D::MaximumScale(true, 300, 2, 4, 48, true, 512, 0.4f), 0.4f); // no room
    EXPECT_FLOAT_EQ(m2D::MaximumScale(true, 1000, 2, 4, 48, false, 0, 0.4f), 0.4f); // no samples
    EXPECT_EQ(m2D::MaximumScale(true, 0, 0, 0, 0, false, 512, NAN), 1.0f);
    const m2D::CSize size = m2D::ImageSize(3, 5, 0.5f, 0.3f);
    EXPECT_EQ(size.width, 2); // 1.5 rounds up
    EXPECT_EQ(size.height, 2);
    EXPECT_EQ(m2D::ImageSize(3, 5, -1.0f, NAN).width, 0);
    EXPECT_EQ(m2D::ImageSize(INT_MAX, 5, 100.0f, 1.0f).width, INT_MAX);
}

TEST(Zoom, NewWindowTakesTheNaturalSizeOrAStepThatFits) {
    const CFit natural = Square(512, 1600, 1200);
    EXPECT_EQ(InitialScale(natural).scale, 1.0f);

    const CFit large = Square(4096, 1000, 700);
    const m2D::CFitResult down = InitialScale(large);
    EXPECT_EQ(down.scale, 0.15f); // 0.2 is 899 pixels high
    EXPECT_TRUE(Good(large, down.scale));

    const CFit tiny = Square(16, 1600, 1200);
    EXPECT_EQ(InitialScale(tiny).scale, 15.0f); // 240 pixels; 10 gives 160
}

TEST(Zoom, NewWindowRefinesBetweenStepsWhenNoStepWillDo) {
    // 0.2 makes 260 pixels, too wide; 0.15 makes 195, too small.
    EXPECT_FLOAT_EQ(InitialScale({1300, 1300, 0, 0, 250, 250}).scale, 0.19f);
    // Only 200..205 pixels will do: two levels down, 0.158 gives 205.
    EXPECT_FLOAT_EQ(InitialScale({1300, 1300, 0, 0, 205, 205}).scale, 0.158f);
    // Growing: 15 makes 240, too large; between 10 and 15, 14 makes 224.
    EXPECT_FLOAT_EQ(InitialScale({16, 16, 0, 0, 230, 230}).scale, 14.0f);
    // Below the smallest step.
    EXPECT_FLOAT_EQ(InitialScale({30000, 30000, 0, 0, 290, 290}).scale, 0.008f);
    // No rounded scale falls between 200 and 250 pixels: the smallest scale keeping the minimum.
    const CFit huge{300000, 300000, 0, 0, 250, 250};
    const m2D::CFitResult least = InitialScale(huge);
    EXPECT_EQ(least.error, FitError::kNone);
    EXPECT_TRUE(Good(huge, least.scale));
}

TEST(Zoom, NewWindowReportsTargetsAndSurfacesWithoutAScale) {
    EXPECT_EQ(InitialScale(Square(512, 249, 1200)).error, FitError::kTooNarrow);
    EXPECT_EQ(InitialScale(Square(512, 1600, 279)).error, FitError::kNoScale);
    EXPECT_EQ(InitialScale(Square(0, 1600, 1200)).error, FitError::kNoScale);
    // A strip 8 samples high needs a scale of 25 to be 200 pixels high, and then it is 102400 wide.
    const m2D::CFitResult strip = InitialScale({4096, 8, 50, 80, 1600, 1200});
    EXPECT_EQ(strip.error, FitError::kNoScale);
    EXPECT_EQ(strip.scale, 0.0f);
}

TEST(Zoom, NewWindowScaleIsGoodWheneverOneExists) {
    const int sizes[] = {1, 7, 64, 199, 200, 333, 1000, 4096, 20000};
    const int targets[] = {250, 300, 701, 1024, 2500};
    for (int w : sizes)
        for (int h : sizes)
            for (int tw : targets)
                for (int th : targets) {
                    const CFit fit{w, h, 40, 30, tw, th};
                    const m2D::CFitResult r = InitialScale(fit);
                    // The smallest scale keeping the minimum decides whether any scale is good.
                    const bool exists = Good(fit, m2D::MinimumScale(w, h));
                    SCOPED_TRACE(::testing::Message() << w << " x " << h << " in " << tw << " x " << th);
                    ASSERT_EQ(r.error, exists ? FitError::kNone : FitError::kNoScale);
                    if (exists) {
                        EXPECT_TRUE(Good(fit, r.scale));
                    }
                }
}
