#pragma once
// The device pixels under the views' drawing. The views lay out and draw in logical pixels, as Qt
// hands them sizes and mouse positions; on a screen of device pixel ratio r each of those covers
// r x r device pixels. Only what OpenGL takes in window pixels converts: viewports, line widths, and
// raster moves of bitmap text, whose fonts are rasterised at r. Painting on the screen sets r;
// pictures for the printer and the clipboard are drawn at 1, their sizes in samples.
namespace gl {

double PixelRatio();

// Sets the ratio for as long as it lives, then puts back the one before.
class CPixelRatio {
public:
    explicit CPixelRatio(double ratio);
    ~CPixelRatio();
    CPixelRatio(const CPixelRatio&) = delete;
    CPixelRatio& operator=(const CPixelRatio&) = delete;

private:
    double m_previous;
};

// glViewport of a rectangle in logical pixels.
void Viewport(int x, int y, int width, int height);
// glLineWidth of a width in logical pixels.
void LineWidth(float width);
// A length in logical pixels in device pixels.
float DevicePixels(float logical);

} // namespace gl
