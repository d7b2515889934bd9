#include "view2d/RulerVR.h"

#include <stdexcept>

namespace rulers {

CArea CVR::layout(const ph::Size& heightSpan, float viewWidth, float viewHeight, bool print) {
    const CArea bar = AreaOf(viewWidth, viewHeight, margins(print));
    set_area(bar);
    set_offset(0.0f);
    reset(heightSpan, bar.height, print);
    return bar;
}

CArea CVR::layout(const ph::Size& start, const ph::Size& end, float viewWidth, float viewHeight, bool print) {
    const CArea bar = AreaOf(viewWidth, viewHeight, margins(print));
    set_area(bar);
    set_offset(0.0f);
    // As reset does: an axis too short for any step, or one that no step fits, is left empty.
    try {
        if (bar.height >= 40.0f) {
            set_range(start, end, bar.height);
            set_length(bar.height, print ? 120.0f : 40.0f, print ? 300.0f : 100.0f);
            return bar;
        }
    } catch (const std::logic_error&) {
    }
    clear();
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
