#include "view2d/qt/RulerGL.h"

#include <cmath>
#include <qopengl.h>
#include <string>
#include <utility>

#include "view3d/qt/glFont.h"
#include "view3d/qt/glPixels.h"

namespace rulers {

namespace {

// Labels are 8-bit: each byte is its own character code (0xB0 the degree sign).
std::wstring Widen(const char* text) {
    std::wstring wide;
    for (const char* c = text; *c; ++c)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
    return wide;
}

} // namespace

CGLPainter::CGLPainter(int x, int y, int width, int height, bool print) : m_print(print) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_VIEWPORT_BIT | GL_TRANSFORM_BIT);
    for (GLenum cap : {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_LIGHTING, GL_DEPTH_TEST, GL_BLEND, GL_FOG,
                       GL_LINE_SMOOTH, GL_LINE_STIPPLE, GL_ALPHA_TEST, GL_COLOR_LOGIC_OP})
        glDisable(cap);
    gl::Viewport(x, y, width, height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // Whole coordinates land on pixel centres: a tick at x fills column x, a label starts at it.
    glTranslatef(0.5f, 0.5f, 0.0f);
    glColor3f(0.0f, 0.0f, 0.0f);
    gl::LineWidth(print ? 3.0f : 1.0f);
}

CGLPainter::~CGLPainter() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

// Lines run towards growing coordinates along their longer axis: a segment from a to b then fills the
// pixels a .. b - 1 under every driver's rule for the end pixels, whichever way the caller gave it.
void CGLPainter::Line(float x0, float y0, float x1, float y1) {
    if (std::fabs(x1 - x0) >= std::fabs(y1 - y0) ? x1 < x0 : y1 < y0) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    glBegin(GL_LINES);
    glVertex2f(x0, y0);
    glVertex2f(x1, y1);
    glEnd();
}

// A raster position outside the viewport would be invalid and drop the whole text: it is set inside
// and then moved, so that a label that sticks out is only cut at the window's edge.
void CGLPainter::MoveTo(float x, float y) {
    glRasterPos2f(0.0f, 0.0f);
    glBitmap(0, 0, 0.0f, 0.0f, gl::DevicePixels(x), gl::DevicePixels(y), nullptr);
}

void CGLPainter::Text(float x, float y, const char* text) {
    MoveTo(x, y);
    gl::CallText(Widen(text));
}

float CGLPainter::TextWidth(const char* text) {
    return static_cast<float>(gl::TextWidth(Widen(text), m_print));
}

void CGLPainter::UnitText(float x, float y, const wchar_t* text) {
    MoveTo(x, y);
    gl::CallText(text);
}

} // namespace rulers
