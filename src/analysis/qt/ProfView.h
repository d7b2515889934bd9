#pragma once
// The view of a profile window: the heights of the surface along a line drawn on an image window,
// with the cut sector between two markers that the mouse drags, and the readings in the frame's status
// bar. The line stays drawn on the image window, with the sector and, while this window is active,
// highlighted.
#include <QPointer>
#include <string>

#include "analysis/qt/GraphView.h"
#include "view2d/Profile.h"
#include "view2d/RulerHorz.h"
#include "view2d/RulerVert.h"

namespace m2D {
class CPlaneView;
struct CProfLine;
} // namespace m2D

namespace prof {

class CChildFrame;

enum ProfCommand : int {
    ID_NORMALIZE_PROFILE = 32883,
    ID_INTERPOLATION = 32885,
    ID_CUT_SECTOR = 32886,
};

class CProfView : public statist::CGraphView {
    Q_OBJECT
public:
    explicit CProfView(QWidget* parent = nullptr);
    ~CProfView() override;

    // The line from start to end, in the image's model space, drawn on `plane`.
    void SetLine(m2D::CPlaneView* plane, CPointF start, CPointF end);
    m2D::CPlaneView* Plane() const { return m_plane; }
    // This window's line in the image window's list, or null once that window is gone.
    m2D::CProfLine* Record() const;

    void OnInitialUpdate() override;
    // Hints 1 and 2: the same line sampled again, unless locked.
    void OnUpdate(fw::CView* sender, long hint, void* pHint) override;
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;

    void ToggleNormalize();
    void ToggleInterpolation();
    void ToggleCut();

    const ProfileModel& Model() const { return m_model; }
    int Dragged() const { return m_nDrag; }

    // The picture and, as tab-separated text, the samples in physical units.
    void OnEditCopy() override;

protected:
    void OnUnlocked() override;
    void DrawScene() override;
    void OnSizeChanged() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CChildFrame* Frame() const;
    // Samples again for the client, sets the rulers, writes the panes and the sector, repaints.
    void Refresh();
    void SetRulers(const CPlotRect& plot, bool print);
    // The panes of the bar shown, and the sector's ends on the image window.
    void WritePanes();

    ProfileModel m_model;
    rulers::CHorz m_horz;
    rulers::CVert m_vert;
    int m_nDrag = 0;
    QPointer<m2D::CPlaneView> m_plane;
};

} // namespace prof
