#include "view2d/RulerVert.h"

namespace rulers {

namespace {
// The labels end this far left of the image edge, past the longest tick, and hang this far below
// their tick.
constexpr float kLabelGap = 10.0f;
constexpr float kLabelDrop = 9.0f;
} // namespace

void CVert::draw(bool print, IPainter& painter) const {
    if (units_per_pixel() <= 0.0f)
        return;
    const CArea& a = area();
    const float s = print ? 3.0f : 1.0f;
    const float edge = a.left;
    const float top = a.bottom + a.height;
    for (const CTick& tick : ticks()) {
        const float along = pixels_to(tick.position);
        if (!within(along, a.height))
            continue;
        const float y = kind() == kUpperLeft ? top - along : a.bottom + along;
        painter.Line(edge - 2.0f * s, y, edge - static_cast<float>(2 + tick.length) * s, y);
        if (tick.text[0] != '\0')
            painter.Text(edge - kLabelGap * s - painter.TextWidth(tick.text), y - kLabelDrop * s, tick.text);
    }
}

} // namespace rulers
