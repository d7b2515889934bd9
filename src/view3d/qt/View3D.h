#pragma once
// The 3D window: the surface as a lit mesh standing on a box whose walls drop to height 0, turned with
// the mouse like a trackball, in orthographic or perspective projection.
#include <QPointF>
#include <QString>
#include <functional>
#include <memory>

#include "framework/qt/PaneChildFrame.h"
#include "model/phSize.h"
#include "view3d/qt/Mesh3D.h"
#include "view3d/qt/glView.h"

class QDialog;

namespace fw {
class CCommandTable;
}

namespace m3D {

enum Command3D : int {
    ID_VIEW_PROPERTIES = 32778,
    ID_PROJECTION_ORTHO = 32856,
    ID_PROJECTION_PERSPECTIVE = 32857,
    ID_LOCK_UPDATE = 32894,
    ID_EXPORT_STL = 32849, // "Export to" "*.stl", beside the image windows' "*.bmp"
};

class C3DView;

// The view's settings and angles, and the mesh.
class CModel {
public:
    enum Projection : int { kOrthographic = 0, kPerspective = 1 };
    enum Mode : int { kShaded = 0, kTextured = 1, kMixed = 2 };
    static constexpr double kInitialTilt = -54.74;
    static constexpr double kInitialAzimuth = 45.0;

    explicit CModel(C3DView* view) : m_pView(view), m_mesh(this) {}

    C3DView* View() const { return m_pView; }
    surface::AT3D<CModel>& Mesh() { return m_mesh; }
    const surface::AT3D<CModel>& Mesh() const { return m_mesh; }

    int projection = kPerspective;
    int mode = kShaded;
    bool rulers = false;
    bool grid = false;
    int splineDegree = 3;
    bool smoothing = true;
    // Tilt about X (0 looks straight down, -90 edge-on), the Y angle (shown, never changed) and the
    // azimuth about Z, in degrees.
    double tilt = kInitialTilt;
    double yAngle = 0.0;
    double azimuth = kInitialAzimuth;

private:
    C3DView* m_pView;
    surface::AT3D<CModel> m_mesh;
};

// The trackball's point for a client point: both axes over half the width, z on the unit sphere or
// 0 outside it.
struct CBallPoint {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};
CBallPoint BallPoint(float px, float py, int width, int height, float cx, float cy);

// One step of a drag from `last` to `now`: the angles turn by the differences of the arc cosines,
// their sense set by the half the drag began in; the tilt stays within -90..0, and passing -90 turns
// the horizontal sense round (upperHalf flips).
void TurnBy(const CBallPoint& last, const CBallPoint& now, bool& upperHalf, double& tilt, double& azimuth);

class C3DView : public gl::CglView {
    Q_OBJECT
public:
    explicit C3DView(QWidget* parent = nullptr);
    ~C3DView() override;

    doc::CDataDoc* GetSurface() override;
    void OnInitialUpdate() override;
    // Hints 1 and 2 build the model again from the surface, unless locked.
    void OnUpdate(fw::CView* sender, long hint, void* pHint) override;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;

    CModel& Model() { return m_model; }
    bool IsLocked() const { return m_pLocked != nullptr; }
    void SetLocked(bool locked);
    bool UpperHalf() const { return m_bUpperHalf; }
    bool Dragging() const { return m_bDragging; }
    // The viewport in the client: the surface's aspect, as large as fits, centred.
    QRect ModelViewport() const { return m_modelViewport; }
    // The three angles into the frame's panes.
    void WriteAngles();
    // The "Options" sheet: "3D View", "Light" and "Material"; made for the caller, not shown.
    std::unique_ptr<QDialog> MakeOptionsSheet();
    // Shading as the smoothing option says, in the view's context.
    void ApplySmoothing();
    // The export command: asks for a file ending in ".stl" and writes the model as a closed solid
    // for 3D printing; a failure is shown and leaves no file.
    void OnExportStl();
    bool ExportStl(const QString& path);
    // Asks for the export file, proposing a name; empty when cancelled. A save dialog by default.
    std::function<QString(const QString& initialName)> exportPrompt;

protected:
    void InitGL() override;
    void DrawScene() override;
    void UpdateViewport() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The arrays (on screen) and lists of the model, after the light and material.
    void BuildModel();
    void RebuildModel();
    void DrawModel();
    CBallPoint Ball(const QPointF& widgetPoint) const;
    void EndDrag();

    CModel m_model;
    std::unique_ptr<doc::CDataDoc> m_pLocked;
    CBallPoint m_last;
    bool m_bUpperHalf = false;
    bool m_bDragging = false;
    QRect m_modelViewport;
};

class CChildFrame : public CPaneChildFrame {
    Q_OBJECT
public:
    // The panes: " Angular position:", then " x", " y" and " z" each followed by its angle.
    enum Pane : int { kPaneTilt = 2, kPaneY = 4, kPaneAzimuth = 6 };

    explicit CChildFrame(fw::CDocument* document, QWidget* parent = nullptr);

    C3DView* View() const { return m_pView; }
    WindowKind Kind() const override { return kKind3D; }

private:
    C3DView* m_pView = nullptr;
};

// Adds the 3D window's commands with their texts.
void Register3DCommands(fw::CCommandTable& commands);
// A new 3D window on the document, shown and activated; null without a main frame.
CChildFrame* Open3D(fw::CDocument& document, fw::CChildFrame* pattern);

} // namespace m3D
