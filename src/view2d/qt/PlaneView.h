#pragma once
// The view of a 2D-type image window: the surface's image at a chosen magnification with rulers round
// it, zoomed by clicks and the wheel, flipped, turned, locked against updates, copied, exported to BMP
// and printed. TView<CModel> gives it its model; the 2D, bump, spectrum and auto-correlation windows
// each instantiate it with theirs.
#include <QPoint>
#include <QPointF>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/DataDoc.h"
#include "model/UpdateHint.h"
#include "view2d/BmpFile.h"
#include "view2d/Zoom.h"
#include "view2d/qt/OptionsPage.h"
#include "view2d/qt/PlaneModel.h"
#include "view2d/qt/ProfCont.h"
#include "view3d/qt/glView.h"

class QMenu;

namespace m2D {

class CPlaneChildFrame;

enum PlaneCommand : int {
    ID_FLIP_VERTICALLY = 32779,
    ID_FLIP_HORIZONTALLY = 32780,
    ID_TURN_90 = 32794,
    ID_VIEW_PROPERTIES = 32778,
    ID_EXPORT_BMP = 32848,
    ID_PROFILE = 32822,
    ID_LOCK_UPDATE = 32894,
    ID_FILE_PRINT_DIRECT = 57608,
};

// The view's context menu, "2D Pop Up".
constexpr int IDR_2D_POPUP = 158;

// What the mouse does in the view.
enum Mode : int { kModeZoom = 0, kModeMenu = 1, kModeProfileStart = 2, kModeProfileEnd = 3 };

class CPlaneView : public gl::CglView {
    Q_OBJECT
public:
    explicit CPlaneView(QWidget* parent = nullptr);
    ~CPlaneView() override;

    virtual IPlaneModel& Model() = 0;
    const IPlaneModel& Model() const { return const_cast<CPlaneView*>(this)->Model(); }

    // The document's processed surface, or the view's own copy while updates are locked.
    doc::CDataDoc* GetSurface() override;
    const doc::CDataDoc* Surface() const { return const_cast<CPlaneView*>(this)->GetSurface(); }

    void OnInitialUpdate() override;
    // doc::kHintSurface rebuilds the texture (unless locked); any update redraws.
    void OnUpdate(fw::CView* sender, long hint, void* pHint) override;

    // The texture made again from the surface, the layout and the screen after it.
    void Rebuild();
    // The colours changed (fill, negative, brightness, contrast): the same texels uploaded again.
    void Reupload();
    void SetSmoothing(bool smooth);

    // The image's size in pixels at the current scales.
    CSize ImageSize() const;
    // The displayed surface's extents: the surface's X and Y sizes, swapped when turned by 90 degrees.
    ph::Size DisplayedWidth() const;
    ph::Size DisplayedHeight() const;
    // The scroll extent follows the options (none while the image fits the window) and the image size.
    void ApplyLayout();
    // With drag-and-drop scaling on, the scales that make the image fill the client.
    void FitScaleToClient();
    // The bounds of the scales for the window as it is now.
    void UpdateScaleBounds();
    // The click zoom about a point of the client (pixels, origin top left).
    void Zoom(bool in, QPointF at);
    // The wheel zoom by whole notches (negative towards the user), about the centre of what is visible.
    void WheelZoom(int notches);
    // Either zoom: the scales go to `entry` (with the aspect's rules and bounds), the window follows,
    // and the image point under `at` stays there.
    void ZoomTo(float entry, bool in, QPointF at);
    // Both scales for a new window, from the document's remembered scale or the fitting search;
    // throws C2DException when none fits.
    void ChooseInitialScale(int targetWidth, int targetHeight, int extraWidth, int extraHeight);

    int GetMode() const { return m_nMode; }
    bool IsLocked() const { return m_pLocked != nullptr; }
    void SetLocked(bool locked);
    CProfCont& Profiles() { return m_profiles; }

    void FlipVertically();
    void FlipHorizontally();
    void Turn();

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;

    // The rendered window beside the rendered height bar when the bar is shown, as for the clipboard.
    bool Capture(CPicture& picture);
    void OnEditCopy() override;
    // The export command: asks for a file (again after a "No" to replacing one, and when the scan
    // itself is chosen) and writes it.
    void OnExportBmp();
    // Asks for the export file, proposing a name that ends in ".bmp"; empty when cancelled. By default
    // a save dialog titled "Export to".
    std::function<QString(const QString& initialName)> exportPrompt;
    // Opens the profile window of a finished line, its corner at a point of the screen, and returns it;
    // this view's own opener, else the one set for every view. Without either the line stays drawn on
    // the image and opens nothing.
    using ProfileOpener = std::function<QWidget*(CPlaneView& view, CProfLine& line, QPoint globalAt)>;
    ProfileOpener openProfile;
    static void SetProfileOpener(ProfileOpener opener);

    void OnPrint(QPainter& painter, QPrinter& printer) override;
    void OnEndPrinting() override;

    CPlaneChildFrame* Frame() const;
    // The page the "Options" sheet shows for this window.
    virtual COptionsPage::Kind OptionsKind() const { return COptionsPage::k2D; }
    // Deletes the drawer's textures and lists in the view's context; the model's owner calls it while
    // the model still exists.
    void ReleaseGL();
    // The scale texts and the size panes into the frame's status bar.
    void WriteSizePanes();

protected:
    void InitGL() override;
    void DrawScene() override;
    void OnSizeChanged() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    // Where a point of the client (pixels, origin top left) lies on the surface.
    bool ClientToSurface(QPointF at, double& u, double& v) const;
    // The value the main window's readout gives for a point of the surface (fractions of its width
    // and height from its first sample) and its label; by default the height, "z", as the height bar
    // counts it. False for none.
    virtual bool ReadoutValue(double u, double v, std::wstring& label, ph::Size& value) const;
    // The readout of the point under the mouse in the main window's status bar, or none when the
    // mouse is not over the image.
    void UpdateReadout();
    void ClearReadout();
    bool viewportEvent(QEvent* event) override;
    bool InImageArea(QPointF at) const;
    void UpdateCursor(bool shift);
    void ScrollTo(int x, int y);

private:
    void DrawRubberLine();
    QPointF ClientPoint(const QPointF& widgetPoint) const;
    void ShowContextMenu(const QPoint& globalPos);
    bool ExportTo(const QString& path);

    int m_nMode = kModeZoom;
    std::unique_ptr<doc::CDataDoc> m_pLocked;
    CProfCont m_profiles;
    QPointF m_cursor; // the last mouse position in the client, for the rubber line
    bool m_bNeedBuild = true;
    bool m_bReadout = false; // the status bar shows this view's readout
    // While printing: the image's size on the print bitmap, and whether its texture is too large.
    CSize m_printImage;
    bool m_bPrintNoImage = false;
};

// The view of one model class.
template <class CModel> class TView : public CPlaneView {
public:
    explicit TView(QWidget* parent = nullptr) : CPlaneView(parent), m_model(this) {}
    ~TView() override { ReleaseGL(); }
    IPlaneModel& Model() override { return m_model; }
    CModel& GetModel() { return m_model; }
    const CModel& GetModel() const { return m_model; }

protected:
    CModel m_model;
};

} // namespace m2D
