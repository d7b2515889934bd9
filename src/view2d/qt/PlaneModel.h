#pragma once
// What an image view needs of its model, whichever model it is: the options, the drawer, the rulers
// and the colour transfer. Each 2D-type model answers it for its own parts.
#include "model/phSize.h"
#include "view2d/RulerLayout.h"
#include "view2d/RulerPainter.h"

namespace color {
class CAttenuator;
class CConverter;
} // namespace color
namespace surface {
class CPlaneDrawer;
}

namespace m2D {

class CProperties;

class IPlaneModel {
public:
    virtual ~IPlaneModel() = default;
    virtual CProperties& Props() = 0;
    virtual surface::CPlaneDrawer& Drawer() = 0;
    virtual color::CConverter& Converter() = 0;
    virtual color::CAttenuator& Attenuator() = 0;

    // The ruler pair: its margins, its reset for the displayed extents over the image's pixel size,
    // its place in the view, its drawing.
    virtual rulers::CMargins RulerMargins(bool print) const = 0;
    virtual void ShowRulers(bool shown) = 0;
    virtual void SetRulerPlacement(int placement) = 0;
    virtual void ResetRulers(const ph::Size& width, const ph::Size& height, float pixelWidth,
                             float pixelHeight, bool print) = 0;
    virtual void PlaceRulers(float viewWidth, float viewHeight, float scrollX, float scrollY, bool print) = 0;
    virtual void DrawRulers(bool print, rulers::IPainter& painter) = 0;
};

} // namespace m2D
