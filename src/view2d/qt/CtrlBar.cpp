#include "view2d/qt/CtrlBar.h"

#include <GL/glu.h>

#include "view3d/qt/glContext.h"

namespace color {

namespace {

void Vertex(COLORREF color, float x, float y) {
    glColor3ub(RedOf(color), GreenOf(color), BlueOf(color));
    glVertex2f(x, y);
}

} // namespace

CCtrlBar::CCtrlBar(QWidget* parent) : gl::CglCtrl(parent) {
    const QSurfaceFormat format = gl::RgbFormat();
    CreateContext(&format);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void CCtrlBar::SetFill(const CCustomFill& fill) {
    m_fill = fill;
    update();
}

QSize CCtrlBar::sizeHint() const {
    return QSize(24, 256);
}

void CCtrlBar::InitGL() {
    gl::CglCtrl::InitGL();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, 1.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glShadeModel(GL_SMOOTH);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
}

void CCtrlBar::DrawScene() {
    glClear(GL_COLOR_BUFFER_BIT);
    const COLORREF bottom = m_fill.colors[CCustomFill::kBottom];
    const COLORREF middle = m_fill.colors[CCustomFill::kMiddle];
    const COLORREF top = m_fill.colors[CCustomFill::kTop];
    // Counter-clockwise seen from the front.
    if (m_fill.mode == 0) {
        glBegin(GL_QUADS);
        Vertex(bottom, 0.0f, 0.0f);
        Vertex(bottom, 1.0f, 0.0f);
        Vertex(top, 1.0f, 1.0f);
        Vertex(top, 0.0f, 1.0f);
    } else {
        const float p = m_fill.MiddlePosition();
        glBegin(GL_QUAD_STRIP);
        Vertex(bottom, 0.0f, 0.0f);
        Vertex(bottom, 1.0f, 0.0f);
        Vertex(middle, 0.0f, p);
        Vertex(middle, 1.0f, p);
        Vertex(top, 0.0f, 1.0f);
        Vertex(top, 1.0f, 1.0f);
    }
    glEnd();
    glFlush();
}

} // namespace color
