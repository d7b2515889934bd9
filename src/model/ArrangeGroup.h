#pragma once
// Placement of the windows of one file's images: 2 x 2 blocks, each further block stepped down and
// right by one caption.
#include <vector>

namespace doc {

struct CGroupFrame {
    int image; // the image index of the frame's document
    int width; // the frame's size, which placing does not change
    int height;
};

struct CFramePos {
    int x;
    int y;
};

// x0, y0, w, h: the marked frame's rectangle in the client area; caption: the window frame height plus
// the caption height. Returns the new top-left corner of every frame, in the order given.
std::vector<CFramePos> ArrangeGroup(int x0, int y0, int w, int h, int caption,
                                    const std::vector<CGroupFrame>& frames);

} // namespace doc
