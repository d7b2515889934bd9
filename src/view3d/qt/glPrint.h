#pragma once
// Printing an OpenGL scene: the off-screen context that renders it, and its place on the page.
#include <QImage>
#include <QSize>
#include <QSurfaceFormat>
#include <functional>
#include <memory>

#include "view3d/PrintFit.h"

class QOffscreenSurface;
class QOpenGLContext;
class QPainter;
class QRect;

namespace gl {

// Draws the rendered sheet centred on the page (the printable area, in printer pixels), scaled up by
// the divisor it was fitted with.
void DrawOnPage(QPainter& painter, const QRect& page, const QImage& sheet, int divisor);

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
