#include "view2d/RulerVR.h"

namespace rulers {

CArea CVR::layout(const ph::Size& heightSpan, float viewWidth, float viewHeight, bool print) {
    const CArea bar = AreaOf(viewWidth, viewHeight, margins(print));
    set_area(bar);
    set_offset(0.0f);
    reset(heightSpan, bar.height, print);
    return bar;
}

void CVR::draw(bool print, IPainter& painter) const {
    CVert::draw(print, painter);
    if (ticks().empty())
        return;
    const CPoint at = UnitTextAt(m_placement, area(), 20.0f, print);
    painter.UnitText(at.x, at.y, span().unit());
}

} // namespace rulers
