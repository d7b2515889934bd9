#pragma once
// The ruler of the height bar: a vertical ruler over the surface's height span, placed by the bar's
// own choice (0 "0 - upper", 1 "0 - by centre", 2 "0 - lower"), with the span's unit above it.
#include "view2d/RulerVert.h"

namespace rulers {

class CVR : public CVert {
public:
    CVR() { set_placement(kZeroCentre); }

    void set_placement(int placement) {
        m_placement = placement;
        set_kind(KindOf(placement));
    }
    int placement() const { return m_placement; }
    CMargins margins(bool print) const { return MarginsOf(m_placement, true, print); }

    // The bar inside a bar view of the given size, and the ruler from 0 to the height span along it.
    // Returns the bar's rectangle.
    CArea layout(const ph::Size& heightSpan, float viewWidth, float viewHeight, bool print);
    // The same with the ruler running from start to end (end below start counts down).
    CArea layout(const ph::Size& start, const ph::Size& end, float viewWidth, float viewHeight, bool print);

    // The ruler and the unit text of the span.
    void draw(bool print, IPainter& painter) const override;

private:
    int m_placement = kZeroCentre;
};

} // namespace rulers
