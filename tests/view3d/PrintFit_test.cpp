#include "view3d/PrintFit.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using gl::EPrintScale;

TEST(PrintFit, TheDivisorKeepsTheImageNear300Dpi) {
    const std::pair<int, int> cases[] = {{72, 1},   {300, 1},  {599, 1},  {600, 2},   {1199, 2}, {1200, 4},
                                         {2399, 4}, {2400, 8}, {4799, 8}, {4800, 16}, {9600, 16}};
    for (const auto& [dpi, divisor] : cases)
        EXPECT_EQ(gl::PrintDivisor(dpi), divisor) << dpi;
}

TEST(PrintFit, TheViewFillsThePageLessItsFrameAndTheDivisorGrowsPastTheLargestViewport) {
    const gl::CPrintFrame none;
    // The 2D window's printed rulers with the height bar beside them.
    const gl::CPrintFrame rulers{108, 72, 36, 36, 228};
    struct {
        int dpi, page[2], view[2];
        gl::CPrintFrame frame;
        int most[2];
        EPrintScale scale;
        gl::CPrintFit fit;
    } const cases[] = {
        // A4 at 300 dpi: a 4:3 view fills the width.
        {300, {2480, 3508}, {400, 300}, none, {16384, 16384}, EPrintScale::Aspect, {1, 2480, 1860}},
        {1200, {9920, 14032}, {400, 300}, none, {16384, 16384}, EPrintScale::Aspect, {4, 2480, 1860}},
        // A narrow view fills the height.
        {300, {2480, 3508}, {100, 400}, none, {16384, 16384}, EPrintScale::Aspect, {1, 877, 3508}},
        // 2480 is not below 2480.
        {300, {2480, 3508}, {400, 300}, none, {2480, 4000}, EPrintScale::Aspect, {2, 1240, 930}},
        {300, {2480, 3508}, {0, 300}, none, {16384, 16384}, EPrintScale::Aspect, {1, 0, 0}},
        // The frame takes its room first: 2480 - 144 - 228 across, 3508 - 108 down.
        {300, {2480, 3508}, {512, 512}, rulers, {16384, 16384}, EPrintScale::Factor, {1, 2108, 2108}},
        // The sheet with its frame and bar is 2480 wide: not below 2480.
        {300, {2480, 3508}, {512, 512}, rulers, {2480, 16384}, EPrintScale::Factor, {2, 868, 868}},
        {300, {2480, 3508}, {512, 512}, rulers, {16384, 3508}, EPrintScale::Factor, {1, 2108, 2108}},
        // The free side: to the nearest pixel for a scene, truncated for an image.
        {300, {100, 100}, {3, 8}, none, {16384, 16384}, EPrintScale::Aspect, {1, 38, 100}},
        {300, {100, 100}, {3, 8}, none, {16384, 16384}, EPrintScale::Factor, {1, 37, 100}},
        // A sliver of an image keeps a pixel; a scene's rounds to nothing.
        {300, {100, 100}, {1000, 1}, none, {16384, 16384}, EPrintScale::Factor, {1, 100, 1}},
        {300, {100, 100}, {1000, 1}, none, {16384, 16384}, EPrintScale::Aspect, {1, 100, 0}},
        // No room beside the frame, or none left as the divisor grows.
        {300, {100, 100}, {10, 10}, {60, 0, 40, 0, 0}, {16384, 16384}, EPrintScale::Factor, {1, 0, 0}},
        {300, {300, 300}, {10, 10}, {0, 0, 0, 0, 90}, {100, 16384}, EPrintScale::Factor, {4, 0, 0}},
        {300, {100, 100}, {0, 10}, none, {16384, 16384}, EPrintScale::Factor, {1, 0, 0}},
    };
    for (const auto& c : cases) {
        const gl::CPrintFit fit = gl::FitPrintImage(c.dpi, c.page[0], c.page[1], c.view[0], c.view[1],
                                                    c.frame, c.most[0], c.most[1], c.scale);
        EXPECT_EQ(std::make_tuple(fit.divisor, fit.width, fit.height),
                  std::make_tuple(c.fit.divisor, c.fit.width, c.fit.height))
            << c.dpi << " dpi, page " << c.page[0] << " x " << c.page[1] << ", view " << c.view[0] << " x "
            << c.view[1] << ", most " << c.most[0] << " x " << c.most[1];
    }
}

} // namespace
