#pragma once
// Draws rulers with OpenGL: ticks as lines, labels and units with the bitmap-font lists (1000 + code)
// of the current context, widths from the font tables. Printing draws three times as large: the
// printer fonts' widths and lines three pixels wide, to go with the tripled distances of the rulers.
#include "view2d/RulerPainter.h"

namespace rulers {

class CGLPainter : public IPainter {
public:
    // Paints in black into the rectangle (x, y, width, height) of the current framebuffer, one unit a
    // pixel, origin at its lower-left corner. The GL state it changes is given back on destruction.
    CGLPainter(int x, int y, int width, int height, bool print);
    ~CGLPainter();
    CGLPainter(const CGLPainter&) = delete;
    CGLPainter& operator=(const CGLPainter&) = delete;

    void Line(float x0, float y0, float x1, float y1) override;
    void Text(float x, float y, const char* text) override;
    float TextWidth(const char* text) override;
    void UnitText(float x, float y, const wchar_t* text) override;

private:
    void MoveTo(float x, float y);
    bool m_print;
};

} // namespace rulers
