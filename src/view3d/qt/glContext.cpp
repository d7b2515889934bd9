#include "view3d/qt/glContext.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>

namespace gl {

QSurfaceFormat StandardFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(8);
    format.setDepthBufferSize(32);
    format.setStencilBufferSize(8);
    return format;
}

QSurfaceFormat RgbFormat() {
    QSurfaceFormat format = StandardFormat();
    format.setAlphaBufferSize(0);
    format.setDepthBufferSize(0);
    format.setStencilBufferSize(0);
    return format;
}

CCurrentContext::CCurrentContext(QOpenGLWidget* widget, Mode mode) : m_pWidget(widget) {
    QOpenGLContext* current = QOpenGLContext::currentContext();
    if (current && (mode == Any || current == widget->context())) {
        m_bCurrent = true;
        return;
    }
    // A widget that was never shown has no context; making it "current" would leave GL calls to
    // whatever context happens to be current.
    if (!widget->isValid())
        return;
    if (current) {
        m_pPrevious = current;
        m_pPreviousSurface = current->surface();
        current->functions()->glGetIntegerv(GL_FRAMEBUFFER_BINDING, &m_nPreviousFramebuffer);
    }
    widget->makeCurrent();
    m_bSwitched = m_bCurrent = QOpenGLContext::currentContext() == widget->context();
}

CCurrentContext::~CCurrentContext() {
    if (!m_bSwitched)
        return;
    if (m_pPrevious && m_pPrevious->makeCurrent(m_pPreviousSurface)) {
        m_pPrevious->functions()->glBindFramebuffer(GL_FRAMEBUFFER,
                                                    static_cast<GLuint>(m_nPreviousFramebuffer));
        return;
    }
    m_pWidget->doneCurrent();
}

} // namespace gl
