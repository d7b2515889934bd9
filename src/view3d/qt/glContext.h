#pragma once
// The pixel formats of the OpenGL windows, and the guard that keeps a context current for one operation.
#include <QSurfaceFormat>

class QOpenGLContext;
class QOpenGLWidget;
class QSurface;

namespace gl {

// Double buffer, RGBA 8-8-8-8, depth and stencil, in a compatibility profile for fixed-function drawing.
// Of the 32 depth bits asked for, the platform grants what it has (usually 24); accumulation buffers
// have no counterpart.
QSurfaceFormat StandardFormat();
// 24-bit colour and nothing else: no alpha, depth or stencil (the colour bar's format).
QSurfaceFormat RgbFormat();

// Makes a widget's context current for the lifetime of the guard, then releases it, or gives back the
// context that was current before (with its framebuffer binding). Nothing is switched when the
// widget's context is already current.
class CCurrentContext {
public:
    enum Mode {
        Own, // the widget's context
        Any  // whatever context is current; the widget's when none is
    };
    explicit CCurrentContext(QOpenGLWidget* widget, Mode mode = Own);
    ~CCurrentContext();
    CCurrentContext(const CCurrentContext&) = delete;
    CCurrentContext& operator=(const CCurrentContext&) = delete;

    // False when no context could be made current (the widget has none yet).
    explicit operator bool() const { return m_bCurrent; }

private:
    QOpenGLWidget* m_pWidget = nullptr;
    QOpenGLContext* m_pPrevious = nullptr;
    QSurface* m_pPreviousSurface = nullptr;
    int m_nPreviousFramebuffer = 0;
    bool m_bSwitched = false;
    bool m_bCurrent = false;
};

} // namespace gl
