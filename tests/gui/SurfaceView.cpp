#include "SurfaceView.h"

#include <algorithm>
#include <cmath>

#include "view2d/qt/RulerGL.h"
#include "view3d/qt/glContext.h"

namespace guitest {

doc::CDataDoc MakeSurface() {
    doc::CDataDoc surface;
    surface.columns = kColumns;
    surface.rows = kRows;
    surface.width = ph::Size(5.0, "\xb5m");
    surface.height = ph::Size(2.5, "\xb5m");
    surface.range = ph::Size(100.0, "nm");
    surface.heights.resize(std::size_t(kColumns) * kRows);
    const double pi = std::acos(-1.0);
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            float& z = surface.heights[std::size_t(j) + std::size_t(i) * kColumns];
            if (i >= kRows - kWedgeRows) {
                z = WedgeLevel(j / (kColumns / kWedgeSteps));
                continue;
            }
            // Micrometres from the top-left corner: bumps 1.25 um apart on a slow diagonal swell.
            const double x = 5.0 * j / kColumns, y = 2.5 * i / kRows;
            const double bumps = std::sin(2 * pi * x / 1.25) * std::cos(2 * pi * y / 1.25);
            const double swell = std::sin(2 * pi * (0.6 * x + y) / 2.5);
            z = static_cast<float>(0.5 + 0.3 * bumps + 0.15 * swell);
        }
    return surface;
}

CSurfaceView::CSurfaceView(QWidget* parent) : gl::CglView(parent), m_surface(MakeSurface()) {}

CSurfaceView::~CSurfaceView() {
    gl::CCurrentContext current(GetGLWidget());
    if (current && m_texture)
        glDeleteTextures(1, &m_texture);
}

void CSurfaceView::SetSurface(const doc::CDataDoc& surface) {
    m_surface = surface;
    Redraw();
}

const color::CCustomFill* CSurfaceView::CustomFill() const {
    return m_pCustomFill ? m_pCustomFill : &m_defaultFill;
}

void CSurfaceView::Redraw() {
    m_bTextureStale = true;
    Invalidate();
}

void CSurfaceView::SetUploadPath(color::UploadPath path) {
    m_path = path;
    Redraw();
}

void CSurfaceView::SetPlacement(int placement) {
    m_rulers.set_placement(placement);
    Invalidate();
}

void CSurfaceView::InitGL() {
    // A new context (the widget moved to another window) took the old texture with it.
    m_texture = 0;
    m_bTextureStale = true;
    gl::CglView::InitGL();
    CreateTextFont();
    CreateSymbolFont();
}

QSize CSurfaceView::ImageSize(int width, int height) const {
    if (width <= 0 || height <= 0)
        return QSize();
    double aspect = (m_surface.width / m_surface.height).value();
    if (!(aspect > 0.0 && std::isfinite(aspect)))
        aspect = m_surface.rows > 0 ? double(m_surface.columns) / m_surface.rows : 1.0;
    const int w = std::min(width, static_cast<int>(height * aspect));
    return QSize(w, std::min(height, static_cast<int>(std::lround(w / aspect))));
}

void CSurfaceView::DrawScene() {
    const bool print = RenderTarget == kPrinter;
    if (print) {
        CreatePrinterTextFont();
        CreatePrinterSymbolFont();
    }
    gl::CglView::DrawScene();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    // The drawing is the image with the rulers' margins round it, in the view's top-left corner, so
    // that the rulers run along the image's edges whichever side they are on.
    const rulers::CMargins margins = m_rulers.margins(print);
    const QSize image =
        ImageSize(viewport[2] - margins.left - margins.right, viewport[3] - margins.top - margins.bottom);
    const int width = image.width() + margins.left + margins.right;
    const int height = image.height() + margins.top + margins.bottom;
    const int below = viewport[3] - height;
    m_image = QRectF(margins.left, below + margins.bottom, image.width(), image.height());
    // The safe reset: an axis too short or a span no step fits leaves that ruler empty.
    m_rulers.reset(m_surface.width, m_surface.height, static_cast<float>(image.width()),
                   static_cast<float>(image.height()), print);
    m_rulers.set_view(static_cast<float>(width), static_cast<float>(height), 0.0f, 0.0f, print);

    glViewport(viewport[0], viewport[1] + below, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    DrawImage(QRectF(margins.left, margins.bottom, image.width(), image.height()));
    {
        rulers::CGLPainter painter(viewport[0], viewport[1] + below, width, height, print);
        m_rulers.draw(print, painter);
    }
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

void CSurfaceView::DrawImage(const QRectF& at) {
    if (at.isEmpty() || m_surface.heights.empty())
        return;
    if (!m_texture)
        glGenTextures(1, &m_texture);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    if (m_bTextureStale) {
        color::UploadTexture(m_surface.heights.data(), m_surface.columns, m_surface.rows, m_converter,
                             m_attenuator, m_path);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        m_bTextureStale = false;
    }
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    // Row 0, the scan's first line, along the top edge.
    const double left = at.x(), right = left + at.width();
    const double low = at.y(), high = low + at.height();
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2d(left, high);
    glTexCoord2f(1, 0), glVertex2d(right, high);
    glTexCoord2f(1, 1), glVertex2d(right, low);
    glTexCoord2f(0, 1), glVertex2d(left, low);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

} // namespace guitest
