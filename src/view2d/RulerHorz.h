#pragma once
// The horizontal ruler: ticks above the image for the kinds above, below it for the kinds below.
#include "view2d/RulerAxis.h"

namespace rulers {

class CHorz : public CAxis {
public:
    void draw(bool print, IPainter& painter) const override;
};

} // namespace rulers
