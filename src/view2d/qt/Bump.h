#pragma once
// The bump window: the surface as a lit relief seen straight from above, the 3D window's mesh drawn
// with an orthographic top view inside the 2D window's machinery, so that magnification, scrolling,
// turning, flipping, rulers, printing, BMP export and profile lines work as on the image.
#include "view2d/qt/Model2D.h"
#include "view2d/qt/PlaneChildFrame.h"
#include "view2d/qt/PlaneView.h"
#include "view3d/qt/Mesh3D.h"

namespace fw {
class CCommandTable;
}

namespace bump {
class CModel;
}

namespace surface {

// The relief: the mesh by the 3D window's formulas, without walls, lit by the fixed light from the
// viewer's upper left whatever the turn and flips.
class CBump : public ATPlane<bump::CModel> {
public:
    explicit CBump(bump::CModel* model) : ATPlane(model) {}
    ~CBump() override = default;

    bool Build(const doc::CDataDoc& surface) override;
    void Upload(int target) override;
    void Draw(int target, const std::list<m2D::CProfLine>& profiles, float hScale, float vScale) override;
    void SetSmoothing(bool smooth) override { m_bSmooth = smooth; }
    void Release(int target) override;
    // No texture: any surface can be drawn.
    bool SetMaxTextureSize(int) override { return false; }
    int TextureWidth() const override { return 0; }
    int TextureHeight() const override { return 0; }

    const AT3D<bump::CModel>& Mesh() const { return m_mesh; }
    // The projection of the last drawing: x and y as the visible window, depth from the near value
    // (-nx / 4, the top of the relief) to 0.
    float Near() const { return m_fNear; }
    // Whether the last drawing culled front faces (a single flip).
    bool CulledFront() const { return m_bCulledFront; }
    // Whether the last drawing used the mesh's preview (the image shown smaller than the preview).
    bool DrewPreview() const { return m_bDrewPreview; }

private:
    AT3D<bump::CModel> m_mesh{nullptr};
    bool m_bStale = true;
    bool m_bSmooth = true;
    float m_fNear = 0.0f;
    bool m_bCulledFront = false;
    bool m_bDrewPreview = false;
};

} // namespace surface

namespace bump {

// The model of the bump window: the 2D model's options, rulers and colour transfer with the relief as
// its drawer. The relief has no height bar beside it.
class CModel : public m2D::CModel {
public:
    explicit CModel(m2D::CPlaneView* view = nullptr);
    surface::CPlaneDrawer& Drawer() override { return m_relief; }
    surface::CBump& Relief() { return m_relief; }

private:
    surface::CBump m_relief{this};
};

class CBumpView : public m2D::TView<CModel> {
    Q_OBJECT
public:
    explicit CBumpView(QWidget* parent = nullptr) : m2D::TView<CModel>(parent) {}
    // "Bump View", "Light" and "Material".
    m2D::COptionsPage::Kind OptionsKind() const override { return m2D::COptionsPage::kBump; }
};

class CChildFrame : public m2D::TPlaneChildFrame<CBumpView> {
    Q_OBJECT
public:
    explicit CChildFrame(fw::CDocument* document, QWidget* parent = nullptr);
    QString TitleSuffix() const override { return QStringLiteral(" : Bump"); }
    WindowKind Kind() const override { return kKindBump; }
};

// A new bump window on the document, sized as a 2D window; null without a main frame. Throws
// m2D::C2DException when no scale fits, as a 2D window does.
CChildFrame* OpenBump(fw::CDocument& document, fw::CChildFrame* pattern);

} // namespace bump
