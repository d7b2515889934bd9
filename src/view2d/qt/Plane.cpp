#include "view2d/qt/Plane.h"

#include <algorithm>
#include <cmath>

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

bool CPlane::WindowToSurface(double x, double y, int windowHeight, double& u, double& v) const {
    if (m_viewport.width <= 0 || m_viewport.height <= 0)
        return false;
    const double top = windowHeight - (m_viewport.y + m_viewport.height);
    const double fx = (x - m_viewport.x) / m_viewport.width, fy = (y - top) / m_viewport.height;
    if (fx < 0 || fx > 1 || fy < 0 || fy > 1)
        return false;
    // The point in the displayed frame, then undone through the flips and the rotation.
    const double X = m_window.left + fx * (m_window.right - m_window.left);
    const double Y = m_window.top - fy * (m_window.top - m_window.bottom);
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

} // namespace surface
