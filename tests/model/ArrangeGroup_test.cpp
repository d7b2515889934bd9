#include <gtest/gtest.h>

#include "model/ArrangeGroup.h"

namespace {
bool operator==(const doc::CFramePos& a, const doc::CFramePos& b) {
    return a.x == b.x && a.y == b.y;
}
} // namespace

TEST(ArrangeGroup, FourImagesTileTwoByTwoAndFurtherBlocksStepByACaption) {
    // Frames of unequal sizes: the block grows to the larger neighbour.
    const std::vector<doc::CGroupFrame> frames = {{0, 300, 200}, {1, 320, 250}, {2, 350, 210},
                                                  {3, 300, 200}, {4, 300, 200}, {5, 300, 200}};
    const auto placed = doc::ArrangeGroup(10, 20, 999, 999, 30, frames);
    ASSERT_EQ(placed.size(), frames.size());
    EXPECT_TRUE(placed[0] == (doc::CFramePos{10, 20}));
    EXPECT_TRUE(placed[1] == (doc::CFramePos{310, 20}));  // right of image 0
    EXPECT_TRUE(placed[2] == (doc::CFramePos{10, 270}));  // below the taller of images 0 and 1
    EXPECT_TRUE(placed[3] == (doc::CFramePos{360, 270})); // right of the wider of images 0 and 2
    EXPECT_TRUE(placed[4] == (doc::CFramePos{40, 50}));   // the second block, one caption down and right
    EXPECT_TRUE(placed[5] == (doc::CFramePos{340, 50}));
}

TEST(ArrangeGroup, ThreeImagesFillThreeQuarters) {
    const auto placed = doc::ArrangeGroup(0, 0, 200, 100, 25, {{0, 200, 100}, {1, 200, 100}, {2, 200, 100}});
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_TRUE(placed[1] == (doc::CFramePos{200, 0}));
    EXPECT_TRUE(placed[2] == (doc::CFramePos{0, 100}));
}
