#pragma once
// A ruler drawn along one edge of the image area of a view.
#include "view2d/Ruler.h"
#include "view2d/RulerLayout.h"
#include "view2d/RulerPainter.h"

namespace rulers {

class CAxis : public ruler {
public:
    // The image area the ruler runs along, in view pixels.
    void set_area(const CArea& area) { m_area = area; }
    const CArea& area() const { return m_area; }

    // Ticks and labels within the area; printing triples the tick and label distances.
    virtual void draw(bool print, IPainter& painter) const = 0;

private:
    CArea m_area;
};

} // namespace rulers
