#pragma once
// The view of the statistics window: the height histogram and the bearing curve side by side, either
// of them hidden on request, of the surface's heights or of their residuals about the mean plane, and
// the roughness numbers of the surface in the frame's status bar.
//
// What the graphs need of the surface whatever their counts is prepared once per surface and setting
// (statist::CHeightDistribution); resizing the window only re-bins.
#include <memory>

#include "analysis/HeightDistribution.h"
#include "analysis/qt/GraphView.h"
#include "analysis/qt/StatGraphs.h"

namespace doc {
class CDataDoc;
}

namespace statist {

class CChildFrame;

enum StatCommand : int {
    ID_HEIGHT_HISTOGRAM = 32891,
    ID_BEARING_CURVE = 32892,
    ID_ADJUST_PLANE = 32893,
};

class CStatView : public CGraphView {
    Q_OBJECT
public:
    explicit CStatView(QWidget* parent = nullptr);
    ~CStatView() override;

    // The roughness numbers into the status bar; the graphs follow at the first layout.
    void OnInitialUpdate() override;
    // A changed surface (hints 1 and 2): both graphs and the numbers again, unless locked.
    void OnUpdate(fw::CView* sender, long hint, void* pHint) override;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;
    // The picture and, as tab-separated text, the graphs shown: the histogram's bins and the bearing
    // curve's levels, a blank line between them.
    void OnEditCopy() override;

    // The toggles.
    void ToggleHistogram();
    void ToggleBearingCurve();
    void ToggleAdjustPlane();

    bool HistogramShown() const { return m_bHistogram; }
    bool BearingShown() const { return m_bBearing; }
    bool AdjustPlane() const { return m_bAdjustPlane; }
    const CHistogram& Histogram() const { return m_histogram; }
    const CBearingCurve& Bearing() const { return m_bearing; }
    // How many times the heights were prepared (a sort's worth of work) and the graphs computed.
    int Preparations() const { return m_nPreparations; }

    // Places both graphs for the client's size, computing a graph whose count changed; with force
    // both are computed again.
    void Layout(bool force = false);
    // Ra, Rq, Sk and Ks of the current surface into the frame's panes.
    void WriteRoughness();

protected:
    void OnUnlocked() override;
    void DrawScene() override;
    void OnSizeChanged() override;

private:
    CChildFrame* Frame() const;
    void ToggleGraph(bool& shown, bool& other);
    // The prepared heights for the current surface and setting, made when missing.
    const CHeightDistribution* Heights();

    CHistogram m_histogram;
    CBearingCurve m_bearing;
    bool m_bHistogram = true;
    bool m_bBearing = true;
    bool m_bAdjustPlane = false;
    CHeightDistribution m_heights;
    bool m_bPrepared = false;
    int m_nPreparations = 0;
};

} // namespace statist
