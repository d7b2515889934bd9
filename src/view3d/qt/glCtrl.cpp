#include "view3d/qt/glCtrl.h"

#include <GL/glu.h>
#include <QOpenGLContext>

#include "view3d/qt/glContext.h"

namespace gl {

CglCtrl::CglCtrl(QWidget* parent, const QSurfaceFormat* format)
    : QOpenGLWidget(parent), m_format(StandardFormat()) {
    CglCtrl::CreateContext(format);
}

CglCtrl::~CglCtrl() = default;

bool CglCtrl::CreateContext(const QSurfaceFormat* format) {
    if (context())
        return false;
    if (format)
        m_format = *format;
    setFormat(m_format);
    return true;
}

void CglCtrl::initializeGL() {
    // A control moved to another window gets a new context, which wants the first-paint setup again.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] { m_bInitialized = false; });
}

void CglCtrl::paintGL() {
    if (!m_bInitialized) {
        const qreal ratio = devicePixelRatioF();
        const int width = qRound(this->width() * ratio), height = qRound(this->height() * ratio);
        glViewport(0, 0, width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0.0, width, 0.0, height);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        InitGL();
        m_bInitialized = true;
    }
    DrawScene();
}

void CglCtrl::InitGL() {
    glClearColor(0.75f, 0.75f, 0.75f, 1.0f);
}

void CglCtrl::DrawScene() {
    glClear(GL_COLOR_BUFFER_BIT);
    glFlush();
}

} // namespace gl
