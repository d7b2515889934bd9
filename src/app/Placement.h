#pragma once
// Where the Window menu puts the child windows of the MDI client, and where a window that sticks out
// of the client is moved back to. Sizes never change; only the top-left corners do.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

namespace mframe {

// Cascade: child k at (k x step, k x step), in the order given.
std::vector<QPoint> CascadePlaces(int count, int step);

// Tile: rows from the top-left corner, left to right; a child starts a new row when its right edge
// would pass the client's right edge by more than a quarter of its own width; each row is as tall as
// its tallest child.
std::vector<QPoint> TilePlaces(const std::vector<QSize>& sizes, int clientWidth);

// A window at `at` of `size` that reaches past the client's right or bottom edge, moved left and up
// by what sticks out, never past the left or top edge.
QPoint MovedInside(QPoint at, QSize size, QSize client);

// Where a new block of windows (a file's group) goes: the first place, row by row from the top left,
// where it covers none of the open windows and stays inside the client; when there is none, a step
// down and right of the last open window, moved back inside the client.
QPoint FreePlace(QSize block, const std::vector<QRect>& open, QSize client, int step);

} // namespace mframe
