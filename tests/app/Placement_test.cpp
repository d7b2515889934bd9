// Where the Window menu and the move back inside put child windows.
#include <gtest/gtest.h>

#include "app/Placement.h"

namespace {

using mframe::CascadePlaces;
using mframe::FreePlace;
using mframe::MovedInside;
using mframe::TilePlaces;

TEST(Placement, TileStartsARowWhenAChildWouldPassTheEdgeByMoreThanAQuarterOfItself) {
    // Three 400-pixel windows in 1000 pixels: the third would end at 1200, 200 past the edge.
    EXPECT_EQ(TilePlaces({{400, 300}, {400, 250}, {400, 300}}, 1000),
              (std::vector<QPoint>{{0, 0}, {400, 0}, {0, 300}}));
    // 100 past the edge is a quarter of 400: it stays in the row.
    EXPECT_EQ(TilePlaces({{400, 100}, {300, 120}, {400, 80}}, 1000),
              (std::vector<QPoint>{{0, 0}, {400, 0}, {700, 0}}));
    // A child wider than the client still takes a row of its own; the next row starts under it, and
    // an 800-pixel child 100 past the edge stays in that row.
    EXPECT_EQ(TilePlaces({{1500, 200}, {300, 100}, {800, 90}, {400, 50}}, 1000),
              (std::vector<QPoint>{{0, 0}, {0, 200}, {300, 200}, {0, 300}}));
}

TEST(Placement, ANewGroupGoesWhereItCoversNoWindowElseItCascadesInside) {
    const QSize client(1000, 800);
    EXPECT_EQ(FreePlace({400, 300}, {}, client, 26), QPoint(0, 0));
    // Right of the first window, then under both when the row is full.
    EXPECT_EQ(FreePlace({400, 300}, {{0, 0, 500, 400}}, client, 26), QPoint(500, 0));
    EXPECT_EQ(FreePlace({400, 300}, {{0, 0, 500, 400}, {500, 0, 500, 300}}, client, 26), QPoint(500, 300));
    // No room: a step from the last window, moved back so that it stays inside.
    const std::vector<QRect> full{{0, 0, 1000, 800}, {100, 100, 600, 500}};
    EXPECT_EQ(FreePlace({400, 300}, full, client, 26), QPoint(126, 126));
    EXPECT_EQ(FreePlace({400, 300}, {{0, 0, 1000, 500}, {0, 500, 1000, 300}}, client, 26), QPoint(26, 500));
    EXPECT_EQ(FreePlace({1200, 900}, full, client, 26), QPoint(0, 0));
}

TEST(Placement, CascadeStepsDownAndRight) {
    EXPECT_EQ(CascadePlaces(3, 26), (std::vector<QPoint>{{0, 0}, {26, 26}, {52, 52}}));
    EXPECT_TRUE(CascadePlaces(0, 26).empty());
}

TEST(Placement, AWindowSticksOutOnlyUntilTheEdgeOfTheClient) {
    const QSize client(1000, 800);
    EXPECT_EQ(MovedInside({900, 700}, {300, 200}, client), QPoint(700, 600));
    EXPECT_EQ(MovedInside({100, 100}, {300, 200}, client), QPoint(100, 100));
    // Larger than the client: the left and top edges win.
    EXPECT_EQ(MovedInside({50, 60}, {1200, 900}, client), QPoint(0, 0));
}

} // namespace
