#pragma once
// The vertical ruler: ticks left of the image, labels right-aligned before them. kUpperLeft counts
// down from the top edge, kLowerLeft up from the bottom, the centred kinds up from the middle.
#include "view2d/RulerAxis.h"

namespace rulers {

class CVert : public CAxis {
public:
    void draw(bool print, IPainter& painter) const override;
};

} // namespace rulers
