#pragma once
// Where rulers draw: the window layer implements it with OpenGL lines and bitmap-font display lists.
// Coordinates are view pixels with the origin at the lower-left corner, as OpenGL counts them.

namespace rulers {

class IPainter {
public:
    virtual void Line(float x0, float y0, float x1, float y1) = 0;
    // text: 8-bit characters, one display list per code (0xB0 is the degree sign); (x, y) is the
    // raster position, the left end of the baseline.
    virtual void Text(float x, float y, const char* text) = 0;
    // Width in pixels of text in the current font.
    virtual float TextWidth(const char* text) = 0;
    // Unit symbols reach beyond 8 bits (the ohm sign), so they come as wide text.
    virtual void UnitText(float x, float y, const wchar_t* text) = 0;

protected:
    ~IPainter() = default;
};

} // namespace rulers
