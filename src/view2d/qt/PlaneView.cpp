#include "view2d/qt/PlaneView.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QOpenGLWidget>
#include <QPageLayout>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <qopengl.h>

#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "framework/qt/fwCommandTable.h"
#include "framework/qt/fwMDIFrame.h"
#include "model/VantriDoc.h"
#include "view2d/Readout.h"
#include "view2d/ViewOptions.h"
#include "view2d/qt/Model2D.h"
#include "view2d/qt/PlaneChildFrame.h"
#include "view2d/qt/RulerGL.h"
#include "view2d/qt/VRView.h"
#include "view3d/qt/glContext.h"
#include "view3d/qt/glPixels.h"
#include "view3d/qt/glPrint.h"

namespace m2D {

namespace {

// A magnifier with a plus or a minus: the zoom cursors.
QCursor ZoomCursor(bool in) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 5));
    painter.drawEllipse(QPointF(12, 12), 8, 8);
    painter.drawLine(QPointF(18, 18), QPointF(28, 28));
    painter.setPen(QPen(Qt::black, 2));
    painter.drawEllipse(QPointF(12, 12), 8, 8);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawLine(QPointF(18, 18), QPointF(28, 28));
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(QPointF(8, 12), QPointF(16, 12));
    if (in)
        painter.drawLine(QPointF(12, 8), QPointF(12, 16));
    painter.end();
    return QCursor(pixmap, 12, 12);
}

// Whether a chosen file is the scan itself, under whatever name, link or folder path.
bool IsScan(const QString& chosen, const std::wstring& scan) {
    std::error_code ignored;
    return !scan.empty() && std::filesystem::equivalent(std::filesystem::path(chosen.toStdString()),
                                                        std::filesystem::path(fw::ToUtf8(scan)), ignored);
}

// The export's first proposal: beside the scan, under its name as vantri-cli names the picture; never
// the scan itself, which may already be called "x.bmp".
QString ProposedBmp(const fw::CDocument& document) {
    const auto* scan = dynamic_cast<const doc::CVantriDoc*>(&document);
    const int image = scan ? scan->image : 0;
    const std::wstring& path = document.GetPathName();
    std::string proposed = BmpPathFor(fw::ToUtf8(path.empty() ? document.GetTitle() : path), image);
    if (IsScan(QString::fromStdString(proposed), path))
        proposed.insert(proposed.size() - 4, "-" + std::to_string(image));
    return QString::fromStdString(proposed);
}

CPlaneView::ProfileOpener& SharedOpener() {
    static CPlaneView::ProfileOpener opener;
    return opener;
}

// The name the user chose, without the blanks a name ends with, and with ".bmp" when it has no
// extension (a title's "scan.007 -Height-" has none: an extension holds no blank).
QString PictureName(const QString& chosen) {
    QFileInfo info(chosen);
    const QString name = info.fileName().trimmed();
    if (name.isEmpty())
        return QString();
    const QString suffix = QFileInfo(name).suffix();
    const bool extension = !suffix.isEmpty() && !suffix.contains(QLatin1Char(' '));
    return QDir(info.path()).filePath(extension ? name : name + QStringLiteral(".bmp"));
}

} // namespace

void CPlaneView::SetProfileOpener(ProfileOpener opener) {
    SharedOpener() = std::move(opener);
}

CPlaneView::CPlaneView(QWidget* parent) : gl::CglView(parent) {
    setFrameShape(QFrame::NoFrame);
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

CPlaneView::~CPlaneView() = default;

void CPlaneView::ReleaseGL() {
    gl::CCurrentContext current(GetGLWidget());
    if (current)
        Model().Drawer().Release(kScreen);
}

doc::CDataDoc* CPlaneView::GetSurface() {
    if (m_pLocked)
        return m_pLocked.get();
    return dynamic_cast<doc::CDataDoc*>(GetDocument());
}

void CPlaneView::OnInitialUpdate() {
    Rebuild();
    if (CPlaneChildFrame* frame = Frame())
        frame->InitialLayout();
    ApplyLayout();
    WriteSizePanes();
}

void CPlaneView::OnUpdate(fw::CView*, long hint, void*) {
    if (hint == doc::kHintSurface && !m_pLocked)
        Rebuild();
    Invalidate();
}

void CPlaneView::Rebuild() {
    const doc::CDataDoc* surface = GetSurface();
    if (!surface)
        return;
    surface::CPlaneDrawer& drawer = Model().Drawer();
    drawer.Build(*surface);
    m_bNeedBuild = false;
    ApplyLayout();
    WriteSizePanes();
    if (CPlaneChildFrame* frame = Frame())
        frame->OnSurfaceRebuilt();
    Invalidate();
}

void CPlaneView::Reupload() {
    gl::CCurrentContext current(GetGLWidget());
    if (current)
        Model().Drawer().Upload(kScreen);
    Invalidate();
}

void CPlaneView::SetSmoothing(bool smooth) {
    gl::CCurrentContext current(GetGLWidget());
    Model().Drawer().SetSmoothing(smooth);
    Invalidate();
}

void CPlaneView::InitGL() {
    gl::CglView::InitGL();
    GLint most = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
    if (most > 0 && Model().Drawer().SetMaxTextureSize(most))
        m_bNeedBuild = true;
    // A new context (the window moved to another top-level window) has none of the old names.
    CreateTextFont();
    CreateSymbolFont();
}

CSize CPlaneView::ImageSize() const {
    const surface::CPlaneDrawer& drawer = const_cast<CPlaneView*>(this)->Model().Drawer();
    const CProperties& props = const_cast<CPlaneView*>(this)->Model().Props();
    return m2D::ImageSize(drawer.DisplayedWidth(), drawer.DisplayedHeight(), props.m_fHScale,
                          props.m_fVScale);
}

ph::Size CPlaneView::DisplayedWidth() const {
    const doc::CDataDoc* s = Surface();
    if (!s)
        return ph::Size();
    return const_cast<CPlaneView*>(this)->Model().Drawer().Rotated() ? s->height : s->width;
}

ph::Size CPlaneView::DisplayedHeight() const {
    const doc::CDataDoc* s = Surface();
    if (!s)
        return ph::Size();
    return const_cast<CPlaneView*>(this)->Model().Drawer().Rotated() ? s->width : s->height;
}

void CPlaneView::ApplyLayout() {
    const CProperties& props = Model().Props();
    if (props.m_bDragDrop) {
        SetLogicalSize(0, 0);
    } else {
        const CSize image = ImageSize();
        const rulers::CMargins m = Model().RulerMargins(false);
        SetLogicalSize(image.width + m.left + m.right, image.height + m.top + m.bottom);
    }
    Invalidate();
}

void CPlaneView::FitScaleToClient() {
    CProperties& props = Model().Props();
    const surface::CPlaneDrawer& drawer = Model().Drawer();
    if (!props.m_bDragDrop || drawer.DisplayedWidth() <= 0 || drawer.DisplayedHeight() <= 0)
        return;
    const rulers::CMargins m = Model().RulerMargins(false);
    float h = static_cast<float>(GetClientWidth() - m.left - m.right) / drawer.DisplayedWidth();
    const CPlaneChildFrame* frame = Frame();
    if (frame && frame->isMaximized() && props.m_bLockAspect) {
        // A maximised window is not shaped like the image: the whole image fits it, as wide or as
        // high as it can.
        const float v = static_cast<float>(GetClientHeight() - m.top - m.bottom) / drawer.DisplayedHeight();
        h = std::min(h, v);
    }
    if (std::fabs(h - props.m_fHScale) > 0.0001f * props.m_fHScale)
        props.SetHScale(h);
    if (!props.m_bLockAspect) {
        const float v = static_cast<float>(GetClientHeight() - m.top - m.bottom) / drawer.DisplayedHeight();
        if (std::fabs(v - props.m_fVScale) > 0.0001f * props.m_fVScale)
            props.SetVScale(v);
    }
}

void CPlaneView::OnSizeChanged() {
    // A minimised window keeps its scales for when it comes back.
    if (CPlaneChildFrame* frame = Frame(); frame && (frame->IsSizing() || frame->isMinimized()))
        return;
    FitScaleToClient();
    WriteSizePanes();
}

void CPlaneView::UpdateScaleBounds() {
    CProperties& props = Model().Props();
    const surface::CPlaneDrawer& drawer = Model().Drawer();
    const float least = MinimumScale(drawer.DisplayedWidth(), drawer.DisplayedHeight());
    int mdiWidth = 0, borders = 0;
    if (CPlaneChildFrame* frame = Frame()) {
        mdiWidth = frame->MdiClientWidth();
        borders = frame->BorderWidth();
    }
    const rulers::CMargins m = Model().RulerMargins(false);
    // The frame's edges and borders come as one measure: what the frame adds across the view.
    const float most =
        MaximumScale(props.m_bDragDrop, mdiWidth, 0, borders / 2, m.left + m.right,
                     props.m_bHeightBar && props.m_bBarAllowed, drawer.DisplayedWidth(), least);
    props.SetBounds(least, most);
}

void CPlaneView::ChooseInitialScale(int targetWidth, int targetHeight, int extraWidth, int extraHeight) {
    CProperties& props = Model().Props();
    auto* document = dynamic_cast<doc::CVantriDoc*>(GetDocument());
    float scale = document ? document->m_f2DScale : 0.0f;
    if (!(scale > 0.0f)) {
        const surface::CPlaneDrawer& drawer = Model().Drawer();
        CFit fit;
        fit.displayedWidth = drawer.DisplayedWidth();
        fit.displayedHeight = drawer.DisplayedHeight();
        fit.extraWidth = extraWidth;
        fit.extraHeight = extraHeight;
        fit.targetWidth = targetWidth;
        fit.targetHeight = targetHeight;
        const CFitResult result = InitialScale(fit);
        if (result.error == FitError::kTooNarrow)
            throw C2DException("width of main frame is too small for display this file");
        if (result.error != FitError::kNone)
            throw C2DException("dimension of main frame or surface is wrong");
        scale = result.scale;
    }
    // The bounds come later from the window's size; the scale is the one chosen here.
    props.m_fMinScale = std::min(props.m_fMinScale, scale);
    props.m_fMaxScale = std::max(props.m_fMaxScale, scale);
    props.SetHScale(scale);
    props.SetVScale(scale);
    if (document)
        document->m_f2DScale = scale;
}

// Zooming

void CPlaneView::Zoom(bool in, QPointF at) {
    const float scale = Model().Props().m_fHScale;
    ZoomTo(in ? ZoomInStep(scale) : ZoomOutStep(scale), in, at);
}

void CPlaneView::WheelZoom(int notches) {
    const float scale = Model().Props().m_fHScale;
    const float wheel = WheelScale(scale, notches);
    // The point kept in place is the centre of what is visible.
    const rulers::CMargins m = Model().RulerMargins(false);
    const QPointF centre(m.left + (GetClientWidth() - m.left - m.right) / 2.0,
                         m.top + (GetClientHeight() - m.top - m.bottom) / 2.0);
    ZoomTo(wheel, wheel > scale, centre);
}

void CPlaneView::ZoomTo(float entry, bool in, QPointF at) {
    CProperties& props = Model().Props();
    const surface::CPlaneDrawer& drawer = Model().Drawer();
    if (drawer.DisplayedWidth() <= 0)
        return;
    // The point as a fraction of the image, to be put back under the same client point.
    const rulers::CMargins m = Model().RulerMargins(false);
    const CSize before = ImageSize();
    const double scrollX = GetHScrollInfo().nPos - GetHScrollInfo().nMin;
    const double scrollY = GetVScrollInfo().nPos - GetVScrollInfo().nMin;
    const double fx = before.width > 0 ? (at.x() - m.left + scrollX) / before.width : 0.5;
    const double fy = before.height > 0 ? (at.y() - m.top + scrollY) / before.height : 0.5;

    if (in && props.m_bDragDrop) {
        props.m_bDragDrop = false;
        UpdateScaleBounds();
    }
    const CScales scales = ZoomScales(entry, {props.m_fHScale, props.m_fVScale}, props.m_bLockAspect,
                                      props.m_fMinScale, props.m_fMaxScale, in);
    props.SetHScale(scales.h);
    if (!props.m_bLockAspect)
        props.SetVScale(scales.v);
    const CSize after = ImageSize();
    CPlaneChildFrame* frame = Frame();
    bool fitted = false;
    if (!in) {
        // The client the image needs, against the whole view (its bars' room included).
        const int fullWidth = width(), fullHeight = height();
        const int needWidth = after.width + m.left + m.right, needHeight = after.height + m.top + m.bottom;
        const bool widthFits = needWidth <= fullWidth, heightFits = needHeight <= fullHeight;
        if (widthFits && heightFits) {
            fitted = true;
            if (props.m_bDragDrop) {
                if (frame)
                    frame->ResizeViewBy(needWidth - fullWidth, needHeight - fullHeight);
            } else {
                props.m_bDragDrop = true;
                UpdateScaleBounds();
            }
        } else if (heightFits && frame) {
            frame->ResizeViewBy(0, needHeight - fullHeight);
        } else if (widthFits && frame && needWidth != fullWidth) {
            frame->ResizeViewBy(needWidth - fullWidth, 0);
        }
    }
    ApplyLayout();
    WriteSizePanes();
    if (frame)
        frame->OnScalesChanged();
    if (!fitted)
        ScrollTo(qRound(fx * after.width - (at.x() - m.left)), qRound(fy * after.height - (at.y() - m.top)));
}

void CPlaneView::ScrollTo(int x, int y) {
    const gl::ScrollInfo& h = GetHScrollInfo();
    const gl::ScrollInfo& v = GetVScrollInfo();
    if (HasHScrollBar())
        OnHScroll(gl::Scroll::ThumbTrack, std::clamp(h.nMin + x, h.nMin, std::max(h.nMin, h.Last())));
    if (HasVScrollBar())
        OnVScroll(gl::Scroll::ThumbTrack, std::clamp(v.nMin + y, v.nMin, std::max(v.nMin, v.Last())));
    Invalidate();
}

// Flips and turns

void CPlaneView::FlipVertically() {
    Model().Drawer().FlipV();
    if (HasVScrollBar()) {
        const gl::ScrollInfo& v = GetVScrollInfo();
        OnVScroll(gl::Scroll::ThumbTrack, MirrorScroll(v.nMin, v.nMax, v.nPage, v.nPos));
    }
    Invalidate();
}

void CPlaneView::FlipHorizontally() {
    Model().Drawer().FlipH();
    if (HasHScrollBar()) {
        const gl::ScrollInfo& h = GetHScrollInfo();
        OnHScroll(gl::Scroll::ThumbTrack, MirrorScroll(h.nMin, h.nMax, h.nPage, h.nPos));
    }
    Invalidate();
}

void CPlaneView::Turn() {
    surface::CPlaneDrawer& drawer = Model().Drawer();
    // The centre of what is visible, as offsets into the image, swaps axes with the image.
    const gl::ScrollInfo h = GetHScrollInfo(), v = GetVScrollInfo();
    const int centreX = h.nPos - h.nMin + std::min(h.nPage, h.nMax) / 2;
    const int centreY = v.nPos - v.nMin + std::min(v.nPage, v.nMax) / 2;
    drawer.SetAngle(TurnAngle(drawer.Angle(), drawer.HSign(), drawer.VSign()));
    UpdateScaleBounds();
    ApplyLayout();
    const gl::ScrollInfo nh = GetHScrollInfo(), nv = GetVScrollInfo();
    ScrollTo(centreY - std::min(nh.nPage, nh.nMax) / 2, centreX - std::min(nv.nPage, nv.nMax) / 2);
    WriteSizePanes();
    if (CPlaneChildFrame* frame = Frame())
        frame->OnTurned();
    Invalidate();
}

void CPlaneView::SetLocked(bool locked) {
    if (locked == IsLocked())
        return;
    if (locked) {
        const doc::CDataDoc* surface = GetSurface();
        if (!surface)
            return;
        m_pLocked = std::make_unique<doc::CDataDoc>(*surface);
    } else {
        m_pLocked.reset();
        OnUpdate(nullptr, doc::kHintSurface, nullptr);
        if (CPlaneChildFrame* frame = Frame())
            frame->OnSurfaceRebuilt();
    }
}

// Commands

bool CPlaneView::OnCommand(int id) {
    switch (id) {
    case ID_FLIP_VERTICALLY:
        FlipVertically();
        return true;
    case ID_FLIP_HORIZONTALLY:
        FlipHorizontally();
        return true;
    case ID_TURN_90:
        Turn();
        return true;
    case ID_PROFILE:
        m_nMode =
            (m_nMode == kModeProfileStart || m_nMode == kModeProfileEnd) ? kModeZoom : kModeProfileStart;
        if (m_nMode == kModeZoom && !m_profiles.empty() && !m_profiles.back().end.IsSet())
            m_profiles.pop_back();
        UpdateCursor(false);
        Invalidate();
        return true;
    case ID_LOCK_UPDATE:
        SetLocked(!IsLocked());
        return true;
    case ID_EXPORT_BMP:
        OnExportBmp();
        return true;
    case ID_FILE_PRINT_DIRECT: {
        QPrinter printer(QPrinter::HighResolution);
        ApplyPrinterSettings(printer);
        gl::CglView::OnFilePrint(printer);
        return true;
    }
    case ID_VIEW_PROPERTIES: {
        std::unique_ptr<QDialog> sheet = MakeOptionsSheet(*this, OptionsKind());
        sheet->exec();
        return true;
    }
    default:
        return gl::CglView::OnCommand(id);
    }
}

bool CPlaneView::OnUpdateCommand(int id, fw::CCmdState& state) const {
    switch (id) {
    case ID_FLIP_VERTICALLY:
    case ID_FLIP_HORIZONTALLY:
    case ID_TURN_90:
    case ID_EXPORT_BMP:
    case ID_FILE_PRINT_DIRECT:
        state.enabled = Surface() != nullptr;
        return true;
    case ID_PROFILE:
        state.enabled = Surface() != nullptr;
        state.checked = m_nMode == kModeProfileStart || m_nMode == kModeProfileEnd;
        return true;
    case ID_LOCK_UPDATE:
        state.enabled = Surface() != nullptr;
        state.checked = IsLocked();
        return true;
    case ID_VIEW_PROPERTIES:
        state.enabled = Surface() != nullptr;
        return true;
    default:
        return gl::CglView::OnUpdateCommand(id, state);
    }
}

// Drawing

void CPlaneView::DrawScene() {
    const bool print = RenderTarget == kPrinter;
    if (print) {
        CreatePrinterTextFont();
        CreatePrinterSymbolFont();
    }
    gl::CglView::DrawScene();
    const doc::CDataDoc* surface = GetSurface();
    if (!surface)
        return;
    if (m_bNeedBuild)
        Rebuild();
    IPlaneModel& model = Model();
    const CProperties& props = model.Props();
    surface::CPlaneDrawer& drawer = model.Drawer();
    GLint full[4];
    glGetIntegerv(GL_VIEWPORT, full);
    // The client (or the print bitmap) from its lower-left corner; the base's viewport is not used.
    const int width = print ? full[2] : GetClientWidth();
    const int height = print ? full[3] : GetClientHeight();
    const CSize image = print ? m_printImage : ImageSize();
    const rulers::CMargins margins = model.RulerMargins(print);
    const int scrollX = print ? 0 : GetHScrollInfo().nPos - GetHScrollInfo().nMin;
    const int scrollY = print ? 0 : GetVScrollInfo().nPos - GetVScrollInfo().nMin;
    drawer.Layout(width, height, margins, image.width, image.height, scrollX, scrollY);
    const float hScale = drawer.DisplayedWidth() > 0 ? float(image.width) / drawer.DisplayedWidth() : 0.0f;
    const float vScale = drawer.DisplayedHeight() > 0 ? float(image.height) / drawer.DisplayedHeight() : 0.0f;
    if (!(print && m_bPrintNoImage))
        drawer.Draw(RenderTarget, m_profiles, print ? hScale : props.m_fHScale,
                    print ? vScale : props.m_fVScale);
    if (!print && m_nMode == kModeProfileEnd)
        DrawRubberLine();
    model.ResetRulers(DisplayedWidth(), DisplayedHeight(), static_cast<float>(image.width),
                      static_cast<float>(image.height), print);
    model.PlaceRulers(static_cast<float>(width), static_cast<float>(height), static_cast<float>(scrollX),
                      static_cast<float>(scrollY), print);
    gl::Viewport(0, 0, width, height);
    {
        rulers::CGLPainter painter(0, 0, width, height, print);
        model.DrawRulers(print, painter);
    }
    glViewport(full[0], full[1], full[2], full[3]);
}

void CPlaneView::DrawRubberLine() {
    if (m_profiles.empty() || m_profiles.back().end.IsSet() || !m_profiles.back().start.IsSet())
        return;
    const surface::CPlaneDrawer& drawer = Model().Drawer();
    const surface::CPlane::CViewport& vp = drawer.ImageViewport();
    if (vp.width <= 0 || vp.height <= 0)
        return;
    // The start in the quad's frame, the cursor in window pixels: both drawn in window pixels.
    double qx, qy;
    drawer.SurfaceToQuad(m_profiles.back().start.x, m_profiles.back().start.y, qx, qy);
    const double a = drawer.Angle() * std::acos(-1.0) / 180.0;
    const double X = drawer.HSign() * (qx * std::cos(a) - qy * std::sin(a));
    const double Y = drawer.VSign() * (qx * std::sin(a) + qy * std::cos(a));
    const surface::CPlane::CWindow& win = drawer.VisibleWindow();
    const double sx = vp.x + (X - win.left) / (win.right - win.left) * vp.width;
    const double sy = vp.y + (Y - win.bottom) / (win.top - win.bottom) * vp.height;
    const double cx = m_cursor.x(), cy = GetClientHeight() - m_cursor.y();
    gl::Viewport(0, 0, GetClientWidth(), GetClientHeight());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, GetClientWidth(), 0, GetClientHeight(), -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(0.0f, 0.7f, 0.0f);
    gl::LineWidth(1.0f);
    glBegin(GL_LINES);
    glVertex2d(sx, sy);
    glVertex2d(cx, cy);
    glEnd();
    glBegin(GL_LINE_LOOP);
    glVertex2d(sx - 3, sy - 3);
    glVertex2d(sx + 3, sy - 3);
    glVertex2d(sx + 3, sy + 3);
    glVertex2d(sx - 3, sy + 3);
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
}

// Mouse and keys

QPointF CPlaneView::ClientPoint(const QPointF& widgetPoint) const {
    return widgetPoint;
}

bool CPlaneView::InImageArea(QPointF at) const {
    const rulers::CMargins m = Model().RulerMargins(false);
    return at.x() >= m.left && at.x() < GetClientWidth() - m.right && at.y() >= m.top &&
           at.y() < GetClientHeight() - m.bottom;
}

bool CPlaneView::ClientToSurface(QPointF at, double& u, double& v) const {
    return const_cast<CPlaneView*>(this)->Model().Drawer().WindowToSurface(at.x(), at.y(), GetClientHeight(),
                                                                           u, v);
}

bool CPlaneView::ReadoutValue(double u, double v, std::wstring& label, ph::Size& value) const {
    const doc::CDataDoc* surface = Surface();
    const int bar = const_cast<CPlaneView*>(this)->Model().Props().m_nBarOrigin;
    if (!surface || !readout::HeightAt(*surface, u, v, bar, value))
        return false;
    label = L"z";
    return true;
}

void CPlaneView::UpdateReadout() {
    fw::CMDIFrame* main = fw::CMDIFrame::Get();
    const doc::CDataDoc* surface = Surface();
    double fx, fy, u, v;
    const surface::CPlaneDrawer& drawer = Model().Drawer();
    if (!main || !surface || !drawer.WindowToDisplay(m_cursor.x(), m_cursor.y(), GetClientHeight(), fx, fy) ||
        !ClientToSurface(m_cursor, u, v)) {
        ClearReadout();
        return;
    }
    const int placement = const_cast<CPlaneView*>(this)->Model().Props().m_nRulerOrigin;
    std::wstring label;
    ph::Size value;
    if (!ReadoutValue(std::clamp(u, 0.0, 1.0), std::clamp(v, 0.0, 1.0), label, value))
        label.clear();
    const std::wstring text = readout::Text(readout::AlongX(fx, DisplayedWidth(), placement),
                                            readout::AlongY(fy, DisplayedHeight(), placement), label, value);
    main->statusBar()->showMessage(QString::fromStdWString(text));
    m_bReadout = true;
}

void CPlaneView::ClearReadout() {
    if (!m_bReadout)
        return;
    m_bReadout = false;
    if (fw::CMDIFrame* main = fw::CMDIFrame::Get())
        main->statusBar()->clearMessage();
}

bool CPlaneView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        ClearReadout();
    return gl::CglView::viewportEvent(event);
}

void CPlaneView::UpdateCursor(bool shift) {
    QWidget* target = viewport();
    if (m_nMode == kModeProfileStart || m_nMode == kModeProfileEnd) {
        target->setCursor(Qt::CrossCursor);
        return;
    }
    if (m_nMode != kModeZoom || !InImageArea(m_cursor)) {
        target->setCursor(Qt::ArrowCursor);
        return;
    }
    static const QCursor in = ZoomCursor(true), out = ZoomCursor(false);
    target->setCursor(shift ? out : in);
}

void CPlaneView::mousePressEvent(QMouseEvent* event) {
    const QPointF at = ClientPoint(event->position());
    m_cursor = at;
    if (event->button() != Qt::LeftButton) {
        gl::CglView::mousePressEvent(event);
        return;
    }
    double u, v;
    if ((m_nMode == kModeProfileStart || m_nMode == kModeProfileEnd) && ClientToSurface(at, u, v)) {
        const CProfPoint point{static_cast<float>(std::clamp(u, 0.0, 1.0)),
                               static_cast<float>(std::clamp(v, 0.0, 1.0))};
        if (m_nMode == kModeProfileStart) {
            CProfLine line;
            line.start = point;
            m_profiles.push_back(line);
            m_nMode = kModeProfileEnd;
        } else {
            m_profiles.back().end = point;
            m_nMode = kModeProfileStart;
            const ProfileOpener& open = openProfile ? openProfile : SharedOpener();
            if (open)
                m_profiles.back().window = open(*this, m_profiles.back(), event->globalPosition().toPoint());
        }
        Invalidate();
    }
    event->accept();
}

void CPlaneView::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF at = ClientPoint(event->position());
    if (event->button() == Qt::LeftButton && m_nMode == kModeZoom && InImageArea(at)) {
        Zoom(!(event->modifiers() & Qt::ShiftModifier), at);
        event->accept();
        return;
    }
    gl::CglView::mouseReleaseEvent(event);
}

void CPlaneView::mouseMoveEvent(QMouseEvent* event) {
    m_cursor = ClientPoint(event->position());
    UpdateCursor(event->modifiers() & Qt::ShiftModifier);
    UpdateReadout();
    if (m_nMode == kModeProfileEnd)
        Invalidate();
    gl::CglView::mouseMoveEvent(event);
}

void CPlaneView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Shift) {
        UpdateCursor(true);
        event->accept();
        return;
    }
    gl::CglView::keyPressEvent(event);
}

void CPlaneView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Shift) {
        UpdateCursor(false);
        event->accept();
        return;
    }
    gl::CglView::keyReleaseEvent(event);
}

void CPlaneView::wheelEvent(QWheelEvent* event) {
    if (Model().Props().m_bDragDrop) {
        gl::CglView::wheelEvent(event);
        return;
    }
    const int notches = WheelNotches(event->angleDelta().y());
    if (notches != 0) {
        WheelZoom(notches);
        // Another point of the image lies under the mouse now.
        m_cursor = ClientPoint(event->position());
        UpdateReadout();
    }
    event->accept();
}

void CPlaneView::contextMenuEvent(QContextMenuEvent* event) {
    ShowContextMenu(event->globalPos());
    event->accept();
}

void CPlaneView::ShowContextMenu(const QPoint& globalPos) {
    fw::CMDIFrame* main = fw::CMDIFrame::Get();
    if (!main)
        return;
    fw::CCommandTable& commands = main->Commands();
    QMenu menu(this);
    for (int id : {ID_FLIP_VERTICALLY, ID_FLIP_HORIZONTALLY, ID_TURN_90})
        if (QAction* action = commands.Action(id))
            menu.addAction(action);
    menu.addSeparator();
    QAction* property = menu.addAction(QStringLiteral("&Property"));
    fw::CCmdState state;
    state.enabled = false;
    OnUpdateCommand(ID_VIEW_PROPERTIES, state);
    property->setEnabled(state.enabled);
    QObject::connect(property, &QAction::triggered, this, [this] { OnCommand(ID_VIEW_PROPERTIES); });
    commands.Update(menu.actions());
    const int previous = m_nMode;
    m_nMode = kModeMenu;
    viewport()->setCursor(Qt::ArrowCursor);
    menu.exec(globalPos);
    m_nMode = previous;
    UpdateCursor(false);
}

// Copy, export and print

bool CPlaneView::Capture(CPicture& picture) {
    std::vector<std::uint8_t> image;
    if (!CaptureClient(image))
        return false;
    std::vector<std::uint8_t> bar;
    CVRView* barView = Frame() ? Frame()->BarView() : nullptr;
    const bool composed =
        barView && barView->isVisible() && barView->CaptureClient(bar)
            ? Composite(image.data(), GetClientWidth(), GetClientHeight(), bar.data(),
                        barView->GetClientWidth(), barView->GetClientHeight(), picture)
            : Composite(image.data(), GetClientWidth(), GetClientHeight(), nullptr, 0, 0, picture);
    // The framebuffer's alpha and the white fill's differ; every pixel is opaque.
    for (std::size_t i = 3; i < picture.pixels.size(); i += 4)
        picture.pixels[i] = 0xFF;
    return composed;
}

void CPlaneView::OnEditCopy() {
    CPicture picture;
    if (!Capture(picture))
        return;
    QImage image(picture.pixels.data(), picture.width, picture.height, picture.width * 4,
                 QImage::Format_RGB32);
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
        clipboard->setImage(image.mirrored());
    }
}

bool CPlaneView::ExportTo(const QString& path) {
    CPicture picture;
    if (!Capture(picture))
        return true; // no memory for the picture: nothing more is done
    const std::string name = QFile::encodeName(path).toStdString();
    // The fourth byte of a pixel of an uncompressed bitmap is reserved, 0; programs that read it as
    // alpha would otherwise show the picture transparent or not by the whim of the framebuffer.
    for (std::size_t i = 3; i < picture.pixels.size(); i += 4)
        picture.pixels[i] = 0;
    const std::vector<std::uint8_t> bytes = BmpBytes(picture.pixels.data(), picture.width, picture.height);
    if (bytes.empty())
        return true;
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    if (!file) {
        fw::MessageBox(L"Error creating file.", fw::MsgButtons::Ok, fw::MsgIcon::Stop);
        return false;
    }
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        fw::MessageBox(L"Error writing file.", fw::MsgButtons::Ok, fw::MsgIcon::Stop);
        return false;
    }
    return true;
}

void CPlaneView::OnExportBmp() {
    if (!GetDocument())
        return;
    const std::wstring scan = GetDocument()->GetPathName();
    // Beside the scan; a surface read from no file goes to the folder of the last picture, or else to
    // the user's documents, never the process's working folder.
    static QString s_lastFolder;
    QString proposed = ProposedBmp(*GetDocument());
    if (QFileInfo(proposed).isRelative())
        proposed =
            QDir(s_lastFolder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                        : s_lastFolder)
                .filePath(proposed);
    QString initial = proposed;
    for (;;) {
        QString path;
        if (exportPrompt) {
            path = exportPrompt(initial);
        } else {
            QFileDialog dialog(this, QStringLiteral("Export to"), initial,
                               QStringLiteral("File BMP (*.bmp)"));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setOption(QFileDialog::DontConfirmOverwrite); // the question below is the view's
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
                path = dialog.selectedFiles().front();
        }
        path = PictureName(path);
        if (path.isEmpty())
            return;
        // Replacing the scan with its picture would lose the measurement.
        if (IsScan(path, scan)) {
            fw::MessageBox(
                L"The file " + path.toStdWString() +
                    L" is the scan shown in this window.\nPlease choose another name for the picture.",
                fw::MsgButtons::Ok, fw::MsgIcon::Exclamation);
            initial = proposed;
            continue;
        }
        if (QFileInfo::exists(path)) {
            const std::wstring question = L"The file " + path.toStdWString() +
                                          L" already exist.\nWoud you like to replace existing file?";
            if (fw::MessageBox(question, fw::MsgButtons::YesNo, fw::MsgIcon::Question) !=
                fw::MsgAnswer::Yes) {
                initial = path.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive) ? path : proposed;
                continue;
            }
        }
        if (ExportTo(path))
            s_lastFolder = QFileInfo(path).absolutePath();
        return;
    }
}

void CPlaneView::OnPrint(QPainter& painter, QPrinter& printer) {
    gl::CPrintContext* context = PrintContext();
    const doc::CDataDoc* surface = GetSurface();
    if (!context || !surface)
        return;
    const int dpi = printer.resolution();
    const QRect page = printer.pageLayout().paintRectPixels(dpi);
    const QSize most = context->MaxSize();
    const rulers::CMargins m = Model().RulerMargins(true);
    CVRView* barView = Frame() ? Frame()->BarView() : nullptr;
    const bool bar = barView && barView->isVisible();
    const int barWidth = bar ? 3 * CVRView::kWidth : 0;
    const CSize shown = ImageSize();
    const gl::CPrintFit fit = gl::FitPrintImage(dpi, page.width(), page.height(), shown.width, shown.height,
                                                {m.left, m.top, m.right, m.bottom, barWidth}, most.width(),
                                                most.height(), gl::EPrintScale::Factor);
    if (fit.width <= 0 || fit.height <= 0)
        return;
    const CSize total = {fit.width + m.left + m.right, fit.height + m.top + m.bottom};
    m_printImage = {fit.width, fit.height};
    GLint maxTexture = 0;
    QImage picture = context->Render(QSize(total.width, total.height), [&] {
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
        m_bPrintNoImage =
            Model().Drawer().TextureWidth() > maxTexture || Model().Drawer().TextureHeight() > maxTexture;
        glViewport(0, 0, total.width, total.height);
        RenderTarget = kPrinter;
        DrawScene();
        RenderTarget = kScreen;
        glFlush();
    });
    if (m_bPrintNoImage)
        fw::MessageBox(L"Print operation with this surface image will be impossible.", fw::MsgButtons::Ok,
                       fw::MsgIcon::Exclamation);
    m_bPrintNoImage = false;
    if (picture.isNull())
        return;
    QImage sheet(total.width + barWidth, total.height, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    {
        QPainter compose(&sheet);
        compose.drawImage(0, 0, picture.convertToFormat(QImage::Format_RGB32));
        if (bar) {
            const QImage strip = context->Render(QSize(barWidth, total.height), [&] {
                glViewport(0, 0, barWidth, total.height);
                barView->DrawForPrint(barWidth, total.height);
                glFlush();
            });
            if (!strip.isNull())
                compose.drawImage(total.width, 0, strip.convertToFormat(QImage::Format_RGB32));
        }
    }
    gl::DrawOnPage(painter, page, sheet, fit.divisor);
}

void CPlaneView::OnEndPrinting() {
    if (gl::CPrintContext* context = PrintContext()) {
        CVRView* barView = Frame() ? Frame()->BarView() : nullptr;
        context->Run([&] {
            Model().Drawer().Release(kPrinter);
            if (barView)
                barView->ReleasePrint();
        });
    }
    gl::CglView::OnEndPrinting();
}

// The frame

CPlaneChildFrame* CPlaneView::Frame() const {
    return dynamic_cast<CPlaneChildFrame*>(fw::CChildFrame::FrameOf(const_cast<CPlaneView*>(this)));
}

void CPlaneView::WriteSizePanes() {
    CPlaneChildFrame* frame = Frame();
    const doc::CDataDoc* surface = Surface();
    if (!frame || !surface)
        return;
    const CProperties& props = Model().Props();
    frame->SetPaneText(1, QStringLiteral("x- ") + QString::fromStdWString(props.m_strWidth));
    frame->SetPaneText(2, QStringLiteral("y- ") + QString::fromStdWString(props.m_strHeight));
    ph::Size w = DisplayedWidth(), h = DisplayedHeight(), z = surface->range;
    frame->SetPaneText(4, QStringLiteral("x- ") + QString::fromWCharArray(w.str(3)));
    frame->SetPaneText(5, QStringLiteral("y- ") + QString::fromWCharArray(h.str(3)));
    frame->SetPaneText(6, QStringLiteral("z~ ") + QString::fromWCharArray(z.str(3)));
}

} // namespace m2D
