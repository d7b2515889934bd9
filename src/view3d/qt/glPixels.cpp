#include "view3d/qt/glPixels.h"

#include <cmath>
#include <qopengl.h>

namespace gl {

namespace {
// Views paint on the GUI thread only.
double g_ratio = 1.0;

int Device(int logical) {
    return static_cast<int>(std::lround(logical * g_ratio));
}
} // namespace

double PixelRatio() {
    return g_ratio;
}

CPixelRatio::CPixelRatio(double ratio) : m_previous(g_ratio) {
    g_ratio = ratio > 0.0 ? ratio : 1.0;
}

CPixelRatio::~CPixelRatio() {
    g_ratio = m_previous;
}

void Viewport(int x, int y, int width, int height) {
    glViewport(Device(x), Device(y), Device(width), Device(height));
}

void LineWidth(float width) {
    glLineWidth(DevicePixels(width));
}

float DevicePixels(float logical) {
    return static_cast<float>(logical * g_ratio);
}

} // namespace gl
