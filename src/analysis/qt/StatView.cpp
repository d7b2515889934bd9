#include "analysis/qt/StatView.h"

#include <qopengl.h>

#include "analysis/Roughness.h"
#include "analysis/qt/StatChildFrame.h"
#include "model/DataDoc.h"
#include "model/UpdateHint.h"

namespace statist {

CStatView::CStatView(QWidget* parent) : CGraphView(parent), m_histogram(this), m_bearing(this) {}

CStatView::~CStatView() = default;

CChildFrame* CStatView::Frame() const {
    return dynamic_cast<CChildFrame*>(fw::CChildFrame::FrameOf(const_cast<CStatView*>(this)));
}

void CStatView::OnInitialUpdate() {
    WriteRoughness();
    Layout();
}

void CStatView::OnUpdate(fw::CView*, long hint, void*) {
    if (hint != doc::kHintRefit && hint != doc::kHintSurface)
        return;
    // While locked the graphs and numbers are those of the snapshot, which did not change.
    if (!IsLocked()) {
        m_bPrepared = false;
        WriteRoughness();
        Layout(true);
    }
    Invalidate();
}

void CStatView::WriteRoughness() {
    CChildFrame* frame = Frame();
    const doc::CDataDoc* surface = GetSurface();
    if (!frame || !surface)
        return;
    if (surface->columns <= 0 || surface->rows <= 0 ||
        surface->heights.size() != std::size_t(surface->columns) * std::size_t(surface->rows))
        return;
    const CRoughness r = Roughness(surface->heights.data(), surface->columns, surface->rows);
    frame->SetPaneText(CChildFrame::kPaneRa,
                       QString::fromStdWString(QuantityText(Physical(surface->range, r.ra))));
    frame->SetPaneText(CChildFrame::kPaneRq,
                       QString::fromStdWString(QuantityText(Physical(surface->range, r.rq))));
    frame->SetPaneText(CChildFrame::kPaneSk, QString::fromStdWString(MomentText(r.sk)));
    frame->SetPaneText(CChildFrame::kPaneKs, QString::fromStdWString(MomentText(r.ks)));
}

const CHeightDistribution* CStatView::Heights() {
    if (m_bPrepared)
        return &m_heights;
    const doc::CDataDoc* surface = GetSurface();
    if (!surface || surface->heights.size() != std::size_t(surface->columns) * std::size_t(surface->rows))
        return nullptr;
    m_heights.Prepare(surface->heights.data(), surface->columns, surface->rows, m_bAdjustPlane);
    m_bPrepared = true;
    ++m_nPreparations;
    return &m_heights;
}

void CStatView::Layout(bool force) {
    const CChildFrame* frame = Frame();
    const doc::CDataDoc* surface = GetSurface();
    const int w = GetClientWidth(), h = GetClientHeight();
    if (!frame || !frame->StatusBar() || !surface || w <= 0 || h <= 0)
        return;
    if (force) {
        // A hidden graph is not computed now, but when it is shown again.
        m_histogram.SetCount(0);
        m_bearing.SetCount(0);
    }
    const bool both = m_bHistogram && m_bBearing;
    if (m_bHistogram)
        m_histogram.Place(CGraph::PlotOf(w, h, both, false));
    if (m_bBearing)
        m_bearing.Place(CGraph::PlotOf(w, h, both, both));
    const int bins = m_bHistogram ? std::max(0, m_histogram.WantedCount()) : 0;
    const int levels = m_bBearing ? std::max(0, m_bearing.WantedCount()) : 0;
    const bool histogram = m_bHistogram && (bins != m_histogram.Count() || bins == 0);
    const bool bearing = m_bBearing && (levels != m_bearing.Count() || levels == 0);
    if (histogram || bearing) {
        CHistogramBins binned;
        CBearingLevels levelled;
        if (const CHeightDistribution* heights = Heights())
            heights->Compute(histogram ? bins : 0, bearing ? levels : 0, histogram ? &binned : nullptr,
                             bearing ? &levelled : nullptr);
        if (histogram)
            m_histogram.Set(binned, surface->range);
        if (bearing)
            m_bearing.Set(levelled, surface->range);
    }
    if (m_bHistogram)
        m_histogram.SetRulers(surface->range, m_histogram.Plot(), false);
    if (m_bBearing)
        m_bearing.SetRulers(surface->range, m_bearing.Plot(), false);
    Invalidate();
}

void CStatView::OnSizeChanged() {
    Layout();
}

void CStatView::DrawScene() {
    const bool print = RenderTarget == kPrinter;
    CGraphView::DrawScene();
    const doc::CDataDoc* surface = GetSurface();
    if (!surface)
        return;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int w = viewport[2], h = viewport[3];
    const bool both = m_bHistogram && m_bBearing;
    CGraph* graphs[2] = {m_bHistogram ? &m_histogram : nullptr, m_bBearing ? &m_bearing : nullptr};
    for (int k = 0; k < 2; ++k) {
        CGraph* graph = graphs[k];
        if (!graph)
            continue;
        if (!print) {
            graph->Draw(graph->Plot(), h, false);
            continue;
        }
        // Paper: the same lines in a plot of the page's size, margins and rulers three times as large.
        const CPlot plot = CGraph::PlotOf(w, h, both, both && k == 1, 3);
        graph->SetRulers(surface->range, plot, true);
        graph->Draw(plot, h, true);
        graph->SetRulers(surface->range, graph->Plot(), false);
    }
}

void CStatView::OnEditCopy() {
    const doc::CDataDoc* surface = GetSurface();
    if (!surface)
        return;
    std::string text;
    if (m_bHistogram)
        text += m_histogram.Table(surface->range);
    if (m_bBearing)
        text += (text.empty() ? "" : "\n") + m_bearing.Table(surface->range);
    CopyWithText(QString::fromStdString(text));
}

// The toggles

// One of the graphs is always shown: hiding the only one shows the other.
void CStatView::ToggleGraph(bool& shown, bool& other) {
    shown = !shown;
    if (!shown && !other)
        other = true;
    Layout();
}

void CStatView::ToggleHistogram() {
    ToggleGraph(m_bHistogram, m_bBearing);
}

void CStatView::ToggleBearingCurve() {
    ToggleGraph(m_bBearing, m_bHistogram);
}

void CStatView::ToggleAdjustPlane() {
    m_bAdjustPlane = !m_bAdjustPlane;
    m_bPrepared = false;
    Layout(true);
}

void CStatView::OnUnlocked() {
    // While locked the same data stayed and nothing was computed again; now the document's is.
    m_bPrepared = false;
    WriteRoughness();
    Layout(true);
}

bool CStatView::OnCommand(int id) {
    switch (id) {
    case ID_HEIGHT_HISTOGRAM:
        ToggleHistogram();
        return true;
    case ID_BEARING_CURVE:
        ToggleBearingCurve();
        return true;
    case ID_ADJUST_PLANE:
        ToggleAdjustPlane();
        return true;
    default:
        return CGraphView::OnCommand(id);
    }
}

bool CStatView::OnUpdateCommand(int id, fw::CCmdState& state) const {
    switch (id) {
    case ID_HEIGHT_HISTOGRAM:
        state.enabled = true;
        state.checked = m_bHistogram;
        return true;
    case ID_BEARING_CURVE:
        state.enabled = true;
        state.checked = m_bBearing;
        return true;
    case ID_ADJUST_PLANE:
        state.enabled = true;
        state.checked = m_bAdjustPlane;
        return true;
    default:
        return CGraphView::OnUpdateCommand(id, state);
    }
}

} // namespace statist
