#include "view2d/qt/Plane.h"

#include <algorithm>
#include <cmath>
#include <qopengl.h>

#include "view2d/qt/ProfCont.h"
#include "view3d/qt/glPixels.h"

namespace surface {

void CPlane::Layout(int width, int height, const rulers::CMargins& margins, int imageWidth, int imageHeight,
                    int scrollX, int scrollY) {
    const int areaWidth = std::max(0, width - margins.left - margins.right);
    const int areaHeight = std::max(0, height - margins.top - margins.bottom);
    scrollX = std::clamp(scrollX, 0, std::max(0, imageWidth - areaWidth));
    scrollY = std::clamp(scrollY, 0, std::max(0, imageHeight - areaHeight));
    const int shownWidth = std::min(areaWidth, imageWidth - scrollX);
    const int shownHeight = std::min(areaHeight, imageHeight - scrollY);
    m_viewport.x = margins.left;
    m_viewport.width = std::max(0, shownWidth);
    m_viewport.height = std::max(0, shownHeight);
    m_viewport.y = height - margins.top - m_viewport.height;
    const double w = DisplayedWidth(), h = DisplayedHeight();
    const double perX = imageWidth > 0 ? w / imageWidth : 0.0; // samples per pixel
    const double perY = imageHeight > 0 ? h / imageHeight : 0.0;
    m_window.left = -w / 2 + scrollX * perX;
    m_window.right = m_window.left + m_viewport.width * perX;
    m_window.top = h / 2 - scrollY * perY;
    m_window.bottom = m_window.top - m_viewport.height * perY;
}

bool CPlane::WindowToFrame(double x, double y, int windowHeight, double& X, double& Y) const {
    if (m_viewport.width <= 0 || m_viewport.height <= 0)
        return false;
    const double top = windowHeight - (m_viewport.y + m_viewport.height);
    const double fx = (x - m_viewport.x) / m_viewport.width, fy = (y - top) / m_viewport.height;
    if (fx < 0 || fx > 1 || fy < 0 || fy > 1)
        return false;
    X = m_window.left + fx * (m_window.right - m_window.left);
    Y = m_window.top - fy * (m_window.top - m_window.bottom);
    return true;
}

bool CPlane::WindowToDisplay(double x, double y, int windowHeight, double& fx, double& fy) const {
    double X, Y;
    const double w = DisplayedWidth(), h = DisplayedHeight();
    if (!(w > 0) || !(h > 0) || !WindowToFrame(x, y, windowHeight, X, Y))
        return false;
    fx = std::clamp(X / w + 0.5, 0.0, 1.0);
    fy = std::clamp(0.5 - Y / h, 0.0, 1.0);
    return true;
}

bool CPlane::WindowToSurface(double x, double y, int windowHeight, double& u, double& v) const {
    // The point in the displayed frame, then undone through the flips and the rotation.
    double X, Y;
    if (!WindowToFrame(x, y, windowHeight, X, Y))
        return false;
    const double a = -m_nAngle * std::acos(-1.0) / 180.0; // the inverse rotation
    const double sx = X * m_nHSign, sy = Y * m_nVSign;
    const double qx = sx * std::cos(a) - sy * std::sin(a), qy = sx * std::sin(a) + sy * std::cos(a);
    u = m_nColumns > 0 ? qx / m_nColumns + 0.5 : 0.0;
    v = m_nRows > 0 ? 0.5 - qy / m_nRows : 0.0;
    return true;
}

void CPlane::SurfaceToQuad(double u, double v, double& qx, double& qy) const {
    qx = (u - 0.5) * m_nColumns;
    qy = (0.5 - v) * m_nRows;
}

namespace {

// A square marker of `pixels` screen pixels round (x, y), in quad units of (px, py) per pixel.
void Square(double x, double y, double pixels, double px, double py) {
    const double dx = pixels * px * 0.5, dy = pixels * py * 0.5;
    glBegin(GL_QUADS);
    glVertex2d(x - dx, y - dy);
    glVertex2d(x + dx, y - dy);
    glVertex2d(x + dx, y + dy);
    glVertex2d(x - dx, y + dy);
    glEnd();
}

} // namespace

void CPlaneDrawer::DrawProfiles(const std::list<m2D::CProfLine>& profiles, float hScale, float vScale) const {
    if (profiles.empty() || !(hScale > 0.0f) || !(vScale > 0.0f))
        return;
    // Quad units per screen pixel; turned by 90 degrees the scales swap axes.
    double px = 1.0 / hScale, py = 1.0 / vScale;
    if (Rotated())
        std::swap(px, py);
    for (const m2D::CProfLine& line : profiles) {
        if (!line.start.IsSet())
            continue;
        double x0, y0, x1, y1;
        SurfaceToQuad(line.start.x, line.start.y, x0, y0);
        if (!line.end.IsSet())
            continue; // the rubber line is the view's: it follows the cursor
        SurfaceToQuad(line.end.x, line.end.y, x1, y1);
        const bool lit = line.highlight != 0;
        gl::LineWidth(2.0f);
        glColor3f(0.0f, 0.7f, 0.0f);
        glBegin(GL_LINES);
        glVertex2d(x0, y0);
        glVertex2d(x1, y1);
        glEnd();
        gl::LineWidth(1.0f);
        for (int end = 0; end < 2; ++end) {
            const double x = end ? x1 : x0, y = end ? y1 : y0;
            const float outer = lit ? 0.0f : 0.3f, inner = lit ? 1.0f : 0.9f;
            glColor3f(outer, outer, outer);
            Square(x, y, 7, px, py);
            glColor3f(inner, inner, inner);
            Square(x, y, 5, px, py);
            glColor3f(0.0f, 0.7f, 0.0f);
            Square(x, y, 3, px, py);
        }
        if (line.cutStart.IsSet() && line.cutEnd.IsSet()) {
            double c0x, c0y, c1x, c1y;
            SurfaceToQuad(line.cutStart.x, line.cutStart.y, c0x, c0y);
            SurfaceToQuad(line.cutEnd.x, line.cutEnd.y, c1x, c1y);
            glColor3f(1.0f, 0.0f, 0.0f);
            glBegin(GL_LINES);
            glVertex2d(c0x, c0y);
            glVertex2d(c1x, c1y);
            glEnd();
            for (int end = 0; end < 2; ++end) {
                const double x = end ? c1x : c0x, y = end ? c1y : c0y;
                const float ring = lit ? 1.0f : 0.9f;
                glColor3f(ring, ring, ring);
                Square(x, y, 5, px, py);
                glColor3f(1.0f, 0.0f, 0.0f);
                Square(x, y, 3, px, py);
            }
        }
    }
    glColor3f(1.0f, 1.0f, 1.0f);
}

} // namespace surface
