#include "analysis/qt/ProfView.h"

#include <GL/glu.h>
#include <QMouseEvent>
#include <cmath>
#include <qopengl.h>

#include "analysis/qt/ProfChildFrame.h"
#include "model/DataDoc.h"
#include "model/UpdateHint.h"
#include "view2d/qt/PlaneView.h"
#include "view2d/qt/RulerGL.h"
#include "view3d/qt/glContext.h"
#include "view3d/qt/glPixels.h"

namespace prof {

namespace {

// A surface's point of model space as fractions of its width and height from its first sample, as the
// image window keeps its lines.
m2D::CProfPoint ToFractions(CPointF p, const doc::CDataDoc& surface) {
    return {p.x / surface.columns + 0.5f, 0.5f - p.y / surface.rows};
}

// The plot of a client of width x height pixels, its margins three times as large on paper.
CPlotRect PlotOf(int width, int height, int scale) {
    return {ProfileModel::kLeft * scale, ProfileModel::kBottom * scale,
            width - (ProfileModel::kLeft + ProfileModel::kRight) * scale,
            height - (ProfileModel::kBottom + ProfileModel::kTop) * scale};
}

// A ruler from 0 to a span over a length, or empty when there is nothing to measure.
void Span(rulers::CAxis& ruler, ph::Size span, const CPlotRect& plot, float length, bool print) {
    ruler.set_kind(rulers::kLowerLeft);
    ruler.set_area({static_cast<float>(plot.left), static_cast<float>(plot.bottom),
                    static_cast<float>(plot.width), static_cast<float>(plot.height)});
    ruler.set_offset(0.0f);
    if (!(span.value() > 0.0) || length < 1.0f) {
        ruler.clear();
        return;
    }
    span.normalize();
    ruler.reset(span, length, print);
}

} // namespace

CProfView::CProfView(QWidget* parent) : statist::CGraphView(parent) {
    viewport()->setMouseTracking(true);
}

CProfView::~CProfView() = default;

CChildFrame* CProfView::Frame() const {
    return dynamic_cast<CChildFrame*>(fw::CChildFrame::FrameOf(const_cast<CProfView*>(this)));
}

void CProfView::SetLine(m2D::CPlaneView* plane, CPointF start, CPointF end) {
    m_plane = plane;
    m_model.SetStart(start.x, start.y);
    m_model.points.push_back(end);
    // The line is sampled once the client has its size; until then it is its two ends.
    if (const doc::CDataDoc* surface = GetSurface(); surface && GetClientWidth() > 0) {
        m_model.points.resize(1);
        m_model.SetClient(GetClientWidth(), GetClientHeight());
        m_model.Resample(end.x, end.y, *surface);
    }
}

m2D::CProfLine* CProfView::Record() const {
    if (!m_plane)
        return nullptr;
    const QWidget* frame = Frame();
    for (m2D::CProfLine& line : m_plane->Profiles())
        if (line.window == frame)
            return &line;
    return nullptr;
}

void CProfView::OnInitialUpdate() {
    Refresh();
}

void CProfView::OnUpdate(fw::CView*, long hint, void*) {
    if (hint != doc::kHintRefit && hint != doc::kHintSurface)
        return;
    if (!IsLocked())
        Refresh();
}

void CProfView::Refresh() {
    const doc::CDataDoc* surface = GetSurface();
    if (!surface || GetClientWidth() <= 0 || GetClientHeight() <= 0)
        return;
    const CPointF end = m_model.points.empty() ? CPointF() : m_model.points.back();
    m_model.SetClient(GetClientWidth(), GetClientHeight());
    if (m_model.points.size() == 2) {
        // The first sampling: the line's two ends as SetLine left them.
        m_model.points.resize(1);
        m_model.Resample(end.x, end.y, *surface);
    } else {
        m_model.ReSample(*surface);
    }
    SetRulers(m_model.plot, false);
    WritePanes();
    Invalidate();
}

void CProfView::SetRulers(const CPlotRect& plot, bool print) {
    const doc::CDataDoc* surface = GetSurface();
    if (!surface)
        return;
    Span(m_horz, m_model.HorizontalSpan(*surface), plot, static_cast<float>(plot.width), print);
    Span(m_vert, m_model.VerticalSpan(*surface), plot, static_cast<float>(plot.height), print);
}

void CProfView::WritePanes() {
    const doc::CDataDoc* surface = GetSurface();
    if (!surface)
        return;
    if (CChildFrame* frame = Frame())
        frame->SetPanes(m_model.Panes(*surface));
    m2D::CProfLine* line = Record();
    if (!line || surface->columns <= 0 || surface->rows <= 0)
        return;
    if (m_model.cut) {
        line->cutStart = ToFractions(m_model.PointAt(m_model.marker1), *surface);
        line->cutEnd = ToFractions(m_model.PointAt(m_model.marker2), *surface);
    } else {
        line->cutStart = line->cutEnd = m2D::CProfPoint();
    }
    m_plane->Invalidate();
}

void CProfView::OnSizeChanged() {
    Refresh();
}

void CProfView::DrawScene() {
    const bool print = RenderTarget == kPrinter;
    CGraphView::DrawScene();
    if (!GetSurface() || m_model.samples.empty())
        return;
    GLint device[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, device);
    // The base's viewport in the logical pixels the plot is laid out in.
    const double ratio = gl::PixelRatio();
    int viewport[4];
    for (int k = 0; k < 4; ++k)
        viewport[k] = static_cast<int>(std::lround(device[k] / ratio));
    const CPlotRect plot = print ? PlotOf(viewport[2], viewport[3], 3) : m_model.plot;
    if (plot.width <= 0 || plot.height <= 0)
        return;
    const ProfileModel& m = m_model;
    const float s = print ? 3.0f : 1.0f;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_VIEWPORT_BIT | GL_TRANSFORM_BIT | GL_LINE_BIT);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    gl::Viewport(viewport[0] + plot.left, viewport[1] + plot.bottom, plot.width, plot.height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // A line of no length, or of one height, still gets a projection.
    gluOrtho2D(m.xMin, m.xMax > m.xMin ? m.xMax : m.xMin + 1.0f, m.yMin,
               m.yMax > m.yMin ? m.yMax : m.yMin + 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glColor3f(0.96f, 0.96f, 0.96f);
    glRectf(0.0f, 0.0f, static_cast<float>(m.length), 1.0f);
    if (m.cut) {
        glColor3f(1.0f, 1.0f, 0.8f);
        glRectf(m.marker1, m.yMin, m.marker2, m.yMax);
        gl::LineWidth(s);
        glColor3f(1.0f, 0.0f, 0.0f);
        glBegin(GL_LINES);
        for (float marker : {m.marker1, m.marker2}) {
            glVertex2f(marker, m.yMin);
            glVertex2f(marker, m.yMax);
        }
        glEnd();
    }
    gl::LineWidth(s);
    glColor3f(0.0f, 0.0f, 0.0f);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, m.polyline.data());
    glDrawArrays(GL_LINE_STRIP, 0, static_cast<GLsizei>(m.polyline.size() / 2));
    glPopClientAttrib();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();

    if (print)
        SetRulers(plot, true);
    {
        rulers::CGLPainter painter(viewport[0], viewport[1], viewport[2], viewport[3], print);
        m_horz.draw(print, painter);
        m_vert.draw(print, painter);
        if (!m_horz.ticks().empty())
            painter.UnitText(static_cast<float>(plot.left + plot.width) + 4.0f * s,
                             static_cast<float>(plot.bottom) - 18.0f * s, m_horz.span().unit());
        if (!m_vert.ticks().empty())
            painter.UnitText(static_cast<float>(plot.left) - 30.0f * s,
                             static_cast<float>(plot.bottom + plot.height) + 8.0f * s, m_vert.span().unit());
    }
    if (print)
        SetRulers(m_model.plot, false);
}

// The toggles

void CProfView::ToggleNormalize() {
    m_model.normalize = !m_model.normalize;
    Refresh();
}

void CProfView::ToggleInterpolation() {
    m_model.interpolation = !m_model.interpolation;
    Refresh();
}

void CProfView::ToggleCut() {
    m_model.cut = !m_model.cut;
    m_nDrag = 0;
    if (CChildFrame* frame = Frame())
        frame->ShowSectorBar(m_model.cut);
    Refresh();
}

void CProfView::OnUnlocked() {
    // The document's surface sampled again.
    OnUpdate(nullptr, doc::kHintSurface, nullptr);
}

bool CProfView::OnCommand(int id) {
    switch (id) {
    case ID_NORMALIZE_PROFILE:
        ToggleNormalize();
        return true;
    case ID_INTERPOLATION:
        ToggleInterpolation();
        return true;
    case ID_CUT_SECTOR:
        ToggleCut();
        return true;
    default:
        return CGraphView::OnCommand(id);
    }
}

bool CProfView::OnUpdateCommand(int id, fw::CCmdState& state) const {
    switch (id) {
    case ID_NORMALIZE_PROFILE:
        state.enabled = true;
        state.checked = m_model.normalize;
        return true;
    case ID_INTERPOLATION:
        state.enabled = true;
        state.checked = m_model.interpolation;
        return true;
    case ID_CUT_SECTOR:
        state.enabled = true;
        state.checked = m_model.cut;
        return true;
    default:
        return CGraphView::OnUpdateCommand(id, state);
    }
}

// The markers

void CProfView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        CGraphView::mousePressEvent(event);
        return;
    }
    const QPointF at = event->position();
    m_nDrag = m_model.Pick(at.x(), at.y());
    event->accept();
}

void CProfView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (m_nDrag == 0) {
        viewport()->setCursor(m_model.Pick(at.x(), at.y()) ? Qt::SizeHorCursor : Qt::ArrowCursor);
        CGraphView::mouseMoveEvent(event);
        return;
    }
    m_model.SetMarker(m_nDrag, m_model.DistanceAtPixel(at.x()));
    Invalidate();
    WritePanes();
    event->accept();
}

void CProfView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_nDrag = 0;
    CGraphView::mouseReleaseEvent(event);
}

// Copy

void CProfView::OnEditCopy() {
    if (const doc::CDataDoc* surface = GetSurface())
        CopyWithText(QString::fromStdString(m_model.Table(*surface, '\t')));
}

} // namespace prof
