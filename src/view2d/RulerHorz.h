#pragma once
// The horizontal ruler: ticks above the image for kinds 0 and 1, below it for kinds 2 and 3.
#include "view2d/RulerAxis.h"

namespace rulers {

class CHorz : public CAxis {
public:
    void draw(bool print, IPainter& painter) const override;
};

} // namespace rulers
