#include "view2d/RulerHorz.h"

namespace rulers {

void CHorz::draw(bool print, IPainter& painter) const {
    if (units_per_pixel() <= 0.0f)
        return;
    const CArea& a = area();
    const float s = print ? 3.0f : 1.0f;
    const bool above = kind() == kUpperLeft || kind() == kCentreAbove;
    const float edge = above ? a.bottom + a.height : a.bottom;
    const float away = above ? s : -s; // one pixel away from the image
    const float labelY = above ? edge + 10.0f * s : edge - 18.0f * s;
    for (const CTick& tick : ticks()) {
        const float along = pixels_to(tick.position);
        if (!within(along, a.width))
            continue;
        const float x = a.left + along;
        painter.Line(x, edge + 2.0f * away, x, edge + static_cast<float>(2 + tick.length) * away);
        if (tick.text[0] != '\0')
            painter.Text(x - painter.TextWidth(tick.text) * 0.5f, labelY, tick.text);
    }
}

} // namespace rulers
