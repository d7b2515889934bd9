#pragma once
// The vertical ruler: ticks left of the image, labels right-aligned before them. Kind 0 counts down
// from the top edge, kind 3 up from the bottom, the centred kinds up from the middle.
#include "view2d/RulerAxis.h"

namespace rulers {

class CVert : public CAxis {
public:
    void draw(bool print, IPainter& painter) const override;
};

} // namespace rulers
