#pragma once
// Printing an OpenGL scene: the size of the off-screen image for a page, and the off-screen context
// that renders it.
#include <QImage>
#include <QSize>
#include <QSurfaceFormat>
#include <functional>
#include <memory>

class QOffscreenSurface;
class QOpenGLContext;

namespace gl {

// The starting divisor of the printer's resolution, so that the image is rendered near 300 dpi:
// below 600 dpi 1, then 2, 4, 8 and from 4800 dpi 16.
int PrintDivisor(int dpi);

struct CPrintFit {
    int divisor = 1;
    int width = 0; // of the rendered image, in pixels
    int height = 0;
};

// Fits the aspect of the on-screen viewport (viewWidth x viewHeight) into the printable page
// (pageWidth x pageHeight pixels) divided by the divisor, raising the divisor until both sides are
// below the largest viewport (maxWidth x maxHeight). An empty view or page gives an empty image.
CPrintFit FitPrintImage(int dpi, int pageWidth, int pageHeight, int viewWidth, int viewHeight, int maxWidth,
                        int maxHeight);

// An off-screen context that shares display lists and textures with a view's context and renders into
// a framebuffer object.
class CPrintContext {
public:
    // Null when the context, its surface or the wanted format cannot be had.
    static std::unique_ptr<CPrintContext> Create(QOpenGLContext* share, const QSurfaceFormat& format);
    ~CPrintContext();

    // The largest image it renders: the maximum viewport, bounded by what a framebuffer holds.
    QSize MaxSize() const { return m_maxSize; }
    // Runs draw with the context current for the duration (drawing into a framebuffer object of the
    // size), and returns the image; a null image when the framebuffer cannot be made.
    QImage Render(QSize size, const std::function<void()>& draw);
    // Runs code with the context current (drawing into no framebuffer object).
    void Run(const std::function<void()>& code);

private:
    CPrintContext();
    // The context goes before its surface.
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLContext> m_context;
    QSize m_maxSize;
};

} // namespace gl
