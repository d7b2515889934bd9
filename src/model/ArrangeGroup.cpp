#include "model/ArrangeGroup.h"

#include <algorithm>

namespace doc {

std::vector<CFramePos> ArrangeGroup(int x0, int y0, int w, int h, int caption,
                                    const std::vector<CGroupFrame>& frames) {
    std::vector<CFramePos> placed;
    placed.reserve(frames.size());
    for (const CGroupFrame& f : frames) {
        const int k = std::max(f.image, 0);
        const int o = caption * (k / 4);
        switch (k % 4) {
        case 0:
            placed.push_back({x0 + o, y0 + o});
            w = f.width;
            h = f.height;
            break;
        case 1:
            placed.push_back({x0 + w + o, y0 + o});
            h = std::max(h, f.height);
            break;
        case 2:
            placed.push_back({x0 + o, y0 + h + o});
            w = std::max(w, f.width);
            break;
        default:
            placed.push_back({x0 + w + o, y0 + h + o});
            break;
        }
    }
    return placed;
}

} // namespace doc
