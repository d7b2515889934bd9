#include "view3d/qt/glPrint.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QPainter>
#include <algorithm>

#include "view3d/qt/glPixels.h"

namespace gl {

void DrawOnPage(QPainter& painter, const QRect& page, const QImage& sheet, int divisor) {
    if (divisor == 1)
        painter.drawImage(QPoint((page.width() - sheet.width()) / 2, (page.height() - sheet.height()) / 2),
                          sheet);
    else
        painter.drawImage(QRect((page.width() - divisor * sheet.width()) / 2,
                                (page.height() - divisor * sheet.height()) / 2, divisor * sheet.width(),
                                divisor * sheet.height()),
                          sheet);
}

CPrintContext::CPrintContext() = default;
CPrintContext::~CPrintContext() = default;

std::unique_ptr<CPrintContext> CPrintContext::Create(QOpenGLContext* share, const QSurfaceFormat& format) {
    std::unique_ptr<CPrintContext> print(new CPrintContext);
    print->m_surface = std::make_unique<QOffscreenSurface>();
    print->m_surface->setFormat(format);
    print->m_surface->create();
    print->m_context = std::make_unique<QOpenGLContext>();
    print->m_context->setFormat(format);
    print->m_context->setShareContext(share);
    if (!print->m_surface->isValid() || !print->m_context->create() ||
        (share && !QOpenGLContext::areSharing(print->m_context.get(), share)))
        return nullptr;
    bool ok = false;
    print->Run([&] {
        QOpenGLFunctions* f = print->m_context->functions();
        if (!QOpenGLFramebufferObject::hasOpenGLFramebufferObjects())
            return;
        GLint viewport[2] = {0, 0}, texture = 0, renderbuffer = 0;
        f->glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
        f->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
        f->glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
        print->m_maxSize = QSize(std::min({viewport[0], texture, renderbuffer}),
                                 std::min({viewport[1], texture, renderbuffer}));
        ok = !print->m_maxSize.isEmpty();
    });
    return ok ? std::move(print) : nullptr;
}

void CPrintContext::Run(const std::function<void()>& code) {
    QOpenGLContext* previous = QOpenGLContext::currentContext();
    if (previous == m_context.get()) {
        code();
        return;
    }
    QSurface* previousSurface = previous ? previous->surface() : nullptr;
    if (!m_context->makeCurrent(m_surface.get()))
        return;
    code();
    m_context->doneCurrent();
    if (previous)
        previous->makeCurrent(previousSurface);
}

QImage CPrintContext::Render(QSize size, const std::function<void()>& draw) {
    QImage image;
    // Pictures for the printer are laid out in their own pixels.
    const CPixelRatio ratio(1.0);
    Run([&] {
        QOpenGLFramebufferObject fbo(size, QOpenGLFramebufferObject::CombinedDepthStencil);
        if (!fbo.isValid() || !fbo.bind())
            return;
        draw();
        image = fbo.toImage();
        fbo.release();
    });
    return image;
}

} // namespace gl
