#include "analysis/qt/StatGraphs.h"

#include <GL/glu.h>
#include <charconv>
#include <iterator>
#include <qopengl.h>

#include "framework/fwText.h"
#include "view2d/qt/RulerGL.h"
#include "view3d/qt/glPixels.h"
#include "view3d/qt/glView.h"

namespace statist {

namespace {

// Moves the raster position by (x, y) pixels from the origin of the current viewport; a position set
// inside and then moved stays valid where a plain one outside would drop the whole text.
void RasterAt(float x, float y) {
    glRasterPos2f(0.0f, 0.0f);
    glBitmap(0, 0, 0.0f, 0.0f, gl::DevicePixels(x), gl::DevicePixels(y), nullptr);
}

// Gives a ruler a span over a length, or leaves it empty when there is nothing to measure.
void Span(rulers::ruler& ruler, double value, const wchar_t* unit, float length, bool print) {
    if (!(value > 0.0) || length < 1.0f) {
        ruler.clear();
        return;
    }
    ph::Size span(value, unit);
    span.normalize();
    ruler.reset(span, length, print);
}

void Span(rulers::ruler& ruler, ph::Size span, float length, bool print) {
    Span(ruler, span.value(), span.unit(), length, print);
}

// The shortest text that reads back as the same float, in the C format.
std::string Number(double value) {
    char text[32];
    const auto end = std::to_chars(std::begin(text), std::end(text), static_cast<float>(value));
    return std::string(text, end.ptr);
}

// A range in its best prefix: the unit the tables write heights in.
ph::Size Unit(const ph::Size& range) {
    ph::Size unit = range;
    unit.normalize();
    return unit;
}

void Along(rulers::CAxis& axis, const CPlot& plot) {
    axis.set_area({static_cast<float>(plot.left), static_cast<float>(plot.bottom),
                   static_cast<float>(plot.width), static_cast<float>(plot.height)});
    axis.set_offset(0.0f);
}

} // namespace

CPlot CGraph::PlotOf(int viewWidth, int viewHeight, bool half, bool right, int scale) {
    const int across = half ? viewWidth / 2 : viewWidth;
    CPlot plot;
    plot.left = (right ? viewWidth / 2 : 0) + kLeft * scale;
    plot.bottom = kBottom * scale;
    plot.width = across - (kLeft + kRight) * scale;
    plot.height = viewHeight - (kBottom + kTop) * scale;
    return plot;
}

void CGraph::Place(const CPlot& plot) {
    left = plot.left;
    bottom = plot.bottom;
    width = plot.width;
    height = plot.height;
}

void CGraph::Draw(const CPlot& plot, int viewHeight, bool print) {
    if (plot.width <= 0 || plot.height <= 0)
        return;
    const float s = print ? 3.0f : 1.0f;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_VIEWPORT_BIT | GL_TRANSFORM_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    gl::Viewport(plot.left, plot.bottom, plot.width, plot.height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // An empty range (a surface of one height) still gets a valid projection.
    gluOrtho2D(xMin, xMax > xMin ? xMax : xMin + 1.0f, yMin, yMax > yMin ? yMax : yMin + 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    float quad[8];
    AreaQuad(quad);
    glColor3f(0.96f, 0.96f, 0.96f);
    glBegin(GL_QUADS);
    for (int k = 0; k < 4; ++k)
        glVertex2f(quad[2 * k], quad[2 * k + 1]);
    glEnd();
    if (!lines.empty()) {
        gl::LineWidth(print ? 3.0f : 1.0f);
        glColor3f(0.0f, 0.0f, 1.0f);
        glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, 0, lines.data());
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(lines.size() / 2));
        glPopClientAttrib();
    }

    // The caption, centred in a strip along the top of the view above the plot.
    const int strip = static_cast<int>(24 * s);
    gl::Viewport(plot.left, viewHeight - strip, plot.width, strip);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, plot.width, 0.0, strip);
    glColor3f(0.0f, 0.0f, 1.0f);
    const float captionWidth = static_cast<float>(gl::TextWidth(caption, print));
    RasterAt((static_cast<float>(plot.width) - captionWidth) * 0.5f, 8.0f * s);
    gl::CglView::CallText(caption);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();

    // The rulers, and their units: the horizontal one's after its right end, the vertical one's
    // above its top.
    const int viewWidth = plot.left + plot.width + static_cast<int>(kRight * s);
    rulers::CGLPainter painter(0, 0, viewWidth, viewHeight, print);
    horz.draw(print, painter);
    vert.draw(print, painter);
    if (!horz.ticks().empty())
        painter.UnitText(static_cast<float>(plot.left + plot.width) + 12.0f * s,
                         static_cast<float>(plot.bottom) - 18.0f * s, horz.span().unit());
    if (!vert.ticks().empty())
        painter.UnitText(static_cast<float>(plot.left) - 30.0f * s,
                         static_cast<float>(plot.bottom + plot.height) + 8.0f * s, vert.span().unit());
}

void CHistogram::Set(const CHistogramBins& bins, const ph::Size& range) {
    halfRange = bins.halfRange;
    largest = bins.largest;
    lines = bins.lines;
    xMin = -halfRange;
    xMax = halfRange;
    yMin = 0.0f;
    yMax = static_cast<float>(largest);
    caption = HistogramCaption(range, bins);
    m_nCount = static_cast<int>(bins.fractions.size());
}

void CHistogram::SetRulers(const ph::Size& range, const CPlot& plot, bool print) {
    horz.set_kind(rulers::kCentreBelow);
    vert.set_kind(rulers::kLowerLeft);
    Along(horz, plot);
    Along(vert, plot);
    // The heights' span, centred on 0, under the plot.
    Span(horz, range * (2.0 * halfRange), static_cast<float>(plot.width), print);
    // 100 percent over plot height / F pixels, so that the top of the plot reads F: the same ticks
    // as F percent over the plot's height.
    Span(vert, 100.0 * largest, L"%", static_cast<float>(plot.height), print);
}

std::string CHistogram::Table(const ph::Size& range) const {
    const ph::Size unit = Unit(range);
    std::string out = "height (" + fw::ToUtf8(unit.unit()) + ")\tfraction (%)\n";
    for (std::size_t k = 0; k + 3 < lines.size(); k += 4)
        out += Number(unit.value() * lines[k]) + "\t" + Number(100.0 * lines[k + 3]) + "\n";
    return out;
}

void CHistogram::AreaQuad(float (&quad)[8]) const {
    const float q[8] = {-halfRange, 0.0f, halfRange, 0.0f, halfRange, 1.0f, -halfRange, 1.0f};
    std::copy(q, q + 8, quad);
}

void CBearingCurve::Set(const CBearingLevels& levels, const ph::Size& range) {
    largest = levels.range;
    lines = levels.lines;
    xMin = 0.0f;
    xMax = 1.0f;
    yMin = 0.0f;
    yMax = levels.range;
    caption = BearingCaption(range, levels);
    m_nCount = static_cast<int>(levels.fractions.size());
}

void CBearingCurve::SetRulers(const ph::Size& range, const CPlot& plot, bool print) {
    horz.set_kind(rulers::kLowerLeft);
    vert.set_kind(rulers::kLowerLeft);
    Along(horz, plot);
    Along(vert, plot);
    Span(horz, 100.0, L"%", static_cast<float>(plot.width), print);
    Span(vert, range * largest, static_cast<float>(plot.height), print);
}

std::string CBearingCurve::Table(const ph::Size& range) const {
    const ph::Size unit = Unit(range);
    std::string out = "bearing (%)\theight (" + fw::ToUtf8(unit.unit()) + ")\n";
    for (std::size_t k = 0; k + 3 < lines.size(); k += 4)
        out += Number(100.0 * lines[k + 2]) + "\t" + Number(unit.value() * lines[k + 1]) + "\n";
    return out;
}

void CBearingCurve::AreaQuad(float (&quad)[8]) const {
    const float r = static_cast<float>(largest);
    const float q[8] = {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, r, 0.0f, r};
    std::copy(q, q + 8, quad);
}

} // namespace statist
