#include "view3d/qt/View3D.h"

#include <GL/glu.h>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>
#include <qopengl.h>

#include "framework/fwDocument.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "framework/qt/fwCommandTable.h"
#include "framework/qt/fwMDIDocTemplate.h"
#include "framework/qt/fwMDIFrame.h"
#include "framework/qt/fwQtPath.h"
#include "model/DataDoc.h"
#include "model/UpdateHint.h"
#include "view3d/Stl.h"
#include "view3d/qt/OptionsSheet.h"
#include "view3d/qt/glContext.h"
#include "view3d/qt/glLight.h"

namespace m3D {

namespace {

constexpr double kDegrees = 180.0 / 3.14159265358979323846;

// An arc cosine that takes the points of the ball's rim and just outside it: a point the drag left the
// ball at has |x| or |y| a little over 1, which would give no angle at all.
double ArcCos(float v) {
    return std::acos(std::fmax(-1.0, std::fmin(1.0, static_cast<double>(v))));
}

} // namespace

CBallPoint BallPoint(float px, float py, int width, int height, float cx, float cy) {
    CBallPoint p;
    const float half = static_cast<float>(width) * 0.5f;
    if (half <= 0.0f)
        return p;
    p.x = (px - cx) / half;
    p.y = ((static_cast<float>(height) - py) - cy) / half;
    const float rest = 1.0f - p.x * p.x - p.y * p.y;
    p.z = rest < 0.0f ? 0.0f : std::sqrt(rest);
    return p;
}

void TurnBy(const CBallPoint& last, const CBallPoint& now, bool& upperHalf, double& tilt, double& azimuth) {
    const double dx = (ArcCos(now.x) - ArcCos(last.x)) * kDegrees;
    const double dy = (ArcCos(now.y) - ArcCos(last.y)) * kDegrees;
    if (!upperHalf) {
        azimuth -= dx;
        tilt += dy;
    } else {
        azimuth += dx;
        tilt -= dy;
    }
    if (tilt > 0.0)
        tilt = 0.0;
    if (tilt < -90.0) {
        tilt = -90.0;
        upperHalf = !upperHalf;
    }
}

// The view

C3DView::C3DView(QWidget* parent) : gl::CglView(parent), m_model(this) {
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

C3DView::~C3DView() {
    gl::CCurrentContext current(GetGLWidget());
    if (current)
        m_model.Mesh().DeleteLists();
}

doc::CDataDoc* C3DView::GetSurface() {
    if (m_pLocked)
        return m_pLocked.get();
    return dynamic_cast<doc::CDataDoc*>(GetDocument());
}

namespace {

CChildFrame* Frame(const C3DView* view) {
    return dynamic_cast<CChildFrame*>(fw::CChildFrame::FrameOf(const_cast<C3DView*>(view)));
}

} // namespace

void C3DView::OnInitialUpdate() {
    WriteAngles();
    RebuildModel();
}

void C3DView::OnUpdate(fw::CView*, long hint, void*) {
    if (hint != doc::kHintRefit && hint != doc::kHintSurface)
        return;
    if (!IsLocked())
        RebuildModel();
    UpdateViewport();
    RedrawWindow();
}

void C3DView::SetLocked(bool locked) {
    if (locked == IsLocked())
        return;
    if (locked) {
        if (const doc::CDataDoc* surface = GetSurface())
            m_pLocked = std::make_unique<doc::CDataDoc>(*surface);
        return;
    }
    m_pLocked.reset();
    OnUpdate(nullptr, doc::kHintSurface, nullptr);
}

void C3DView::WriteAngles() {
    CChildFrame* frame = Frame(this);
    if (!frame)
        return;
    auto text = [](double degrees) {
        ph::Size angle(degrees, "deg");
        return QString::fromStdWString(angle.str(3));
    };
    frame->SetPaneText(CChildFrame::kPaneTilt, text(m_model.tilt));
    frame->SetPaneText(CChildFrame::kPaneY, text(m_model.yAngle));
    frame->SetPaneText(CChildFrame::kPaneAzimuth, text(m_model.azimuth));
}

void C3DView::BuildModel() {
    gl::CLight::Apply();
    gl::CMaterial::Apply();
    if (const doc::CDataDoc* surface = GetSurface())
        m_model.Mesh().BuildArrays(*surface, true);
    m_model.Mesh().BuildLists(true);
}

void C3DView::RebuildModel() {
    gl::CCurrentContext current(GetGLWidget());
    if (!current)
        return;
    m_model.Mesh().DeleteLists();
    BuildModel();
}

void C3DView::InitGL() {
    gl::CglView::InitGL();
    gl::CCurrentContext current(GetGLWidget());
    if (!current)
        return;
    glClearDepth(1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // A new context has none of the old lists.
    m_model.Mesh().DeleteLists(true);
    BuildModel();
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    ApplySmoothing();
}

void C3DView::ApplySmoothing() {
    gl::CCurrentContext current(GetGLWidget());
    if (current)
        glShadeModel(m_model.smoothing ? GL_SMOOTH : GL_FLAT);
}

// The model keeps the surface's aspect: as wide as the client and as high as that makes it, or as high
// as the client when that is too high, centred.
void C3DView::UpdateViewport() {
    const int w = GetClientWidth(), h = GetClientHeight();
    const doc::CDataDoc* surface = GetSurface();
    if (w <= 0 || h <= 0 || !surface || surface->columns <= 0 || surface->rows <= 0) {
        gl::CglView::UpdateViewport();
        return;
    }
    const float r = static_cast<float>(surface->rows) / static_cast<float>(surface->columns);
    int width = w, height = static_cast<int>(r * static_cast<float>(w));
    if (height > h) {
        height = h;
        width = static_cast<int>(static_cast<float>(h) / r);
    }
    m_modelViewport = QRect((w - width) / 2, (h - height) / 2, width, height);
    ApplyViewport(m_modelViewport);
}

void C3DView::DrawScene() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawModel();
}

void C3DView::DrawModel() {
    const surface::CMeshGrid& mesh = m_model.Mesh().Mesh();
    if (mesh.Empty())
        return;
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double nx = mesh.columns, ny = mesh.rows;
    if (m_model.projection == CModel::kOrthographic) {
        const double a = nx * 0.5 * 1.42, b = ny * 0.5 * 1.42;
        glOrtho(-a, a, -b, b, -2.0 * a, 2.0 * a);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    } else {
        gluPerspective(21.0, 1.0, nx * 0.25, nx * 8.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslated(0.0, 0.0, -4.0 * nx);
    }
    glRotated(m_model.tilt, 1.0, 0.0, 0.0);
    glRotated(m_model.azimuth, 0.0, 0.0, 1.0);
    // While the model is turned a large mesh is drawn from its preview; printing and copying always
    // draw the whole mesh.
    const bool preview = m_bDragging && RenderTarget == kScreen;
    glColor3f(1.0f, 1.0f, 1.0f);
    m_model.Mesh().DrawMesh(preview);
    if (RenderTarget == kScreen)
        glColor3f(1.0f, 1.0f, 1.0f);
    else
        glColor3f(0.92f, 0.92f, 0.92f);
    m_model.Mesh().DrawWalls();
    m_model.Mesh().DrawOutline();
}

// The trackball

CBallPoint C3DView::Ball(const QPointF& widgetPoint) const {
    const QPointF p = widgetPoint;
    const int w = GetClientWidth(), h = GetClientHeight();
    return BallPoint(static_cast<float>(p.x()), static_cast<float>(p.y()), w, h, w * 0.5f, h * 0.5f);
}

void C3DView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        gl::CglView::mousePressEvent(event);
        return;
    }
    m_last = Ball(event->position());
    m_bUpperHalf = m_last.y > 0.0f;
    // The drag draws the preview of a large mesh: each step costs a bounded time, and the window and
    // the rest of the desktop stay responsive without lowering anything system-wide.
    m_bDragging = true;
}

void C3DView::mouseMoveEvent(QMouseEvent* event) {
    const CBallPoint now = Ball(event->position());
    if (now.z == 0.0f) {
        viewport()->setCursor(Qt::ArrowCursor);
    } else {
        viewport()->setCursor(Qt::SizeAllCursor);
        if (m_bDragging && (event->buttons() & Qt::LeftButton)) {
            TurnBy(m_last, now, m_bUpperHalf, m_model.tilt, m_model.azimuth);
            WriteAngles();
            Invalidate();
        }
    }
    m_last = now;
}

void C3DView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        EndDrag();
    gl::CglView::mouseReleaseEvent(event);
}

void C3DView::focusOutEvent(QFocusEvent* event) {
    gl::CglView::focusOutEvent(event);
    EndDrag();
}

void C3DView::EndDrag() {
    if (!m_bDragging)
        return;
    m_bDragging = false;
    // The whole mesh once the model rests.
    if (m_model.Mesh().HasPreview())
        Invalidate();
}

// Commands

bool C3DView::OnCommand(int id) {
    switch (id) {
    case ID_PROJECTION_ORTHO:
    case ID_PROJECTION_PERSPECTIVE:
        m_model.projection = id == ID_PROJECTION_ORTHO ? CModel::kOrthographic : CModel::kPerspective;
        RedrawWindow();
        return true;
    case ID_LOCK_UPDATE:
        SetLocked(!IsLocked());
        return true;
    case ID_EXPORT_STL:
        OnExportStl();
        return true;
    case ID_VIEW_PROPERTIES: {
        std::unique_ptr<QDialog> sheet = MakeOptionsSheet();
        sheet->exec();
        return true;
    }
    default:
        return gl::CglView::OnCommand(id);
    }
}

bool C3DView::OnUpdateCommand(int id, fw::CCmdState& state) const {
    switch (id) {
    case ID_PROJECTION_ORTHO:
    case ID_PROJECTION_PERSPECTIVE:
        state.enabled = true;
        state.radio = true;
        state.checked =
            m_model.projection == (id == ID_PROJECTION_ORTHO ? CModel::kOrthographic : CModel::kPerspective);
        return true;
    case ID_LOCK_UPDATE:
        state.enabled = true;
        state.checked = IsLocked();
        return true;
    case ID_VIEW_PROPERTIES:
        state.enabled = true;
        return true;
    case ID_EXPORT_STL:
        state.enabled = m_model.Mesh().Mesh().columns >= 2 && m_model.Mesh().Mesh().rows >= 2;
        return true;
    default:
        return gl::CglView::OnUpdateCommand(id, state);
    }
}

// STL export

void C3DView::OnExportStl() {
    const fw::CDocument* document = GetDocument();
    QString name = document ? QString::fromStdWString(document->GetTitle()).trimmed() : QString();
    name = name.section(QLatin1Char(' '), 0, 0);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    name = (dot > 0 ? name.left(dot) : name) + QStringLiteral(".stl");
    const QString path = exportPrompt ? exportPrompt(name)
                                      : QFileDialog::getSaveFileName(this, QStringLiteral("Export to"), name,
                                                                     QStringLiteral("STL solid (*.stl)"));
    if (!path.isEmpty())
        ExportStl(path);
}

bool C3DView::ExportStl(const QString& path) {
    // The system's bytes of the path, as the scan readers take them.
    std::wstring problem;
    if (surface::WriteStl(fw::ToUtf8(fw::FromQPath(path)), m_model.Mesh().Mesh(), surface::StlFormat::Binary,
                          problem))
        return true;
    fw::MessageBox(problem, fw::MsgButtons::Ok, fw::MsgIcon::Exclamation);
    return false;
}

// The "Options" sheet

namespace {

// The "3D View" page: projection and smoothing can be set; shading is the only mode, and the grid,
// rulers and B-spline approximation are offered disabled.
class CProperties : public QWidget {
public:
    CProperties(CModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
        setWindowTitle(QStringLiteral("3D View"));
        auto* layout = new QGridLayout(this);
        auto* projection = new QGroupBox(QStringLiteral("Projection"), this);
        auto* pl = new QVBoxLayout(projection);
        m_ortho = new QRadioButton(QStringLiteral("Orthographical"), projection);
        m_perspective = new QRadioButton(QStringLiteral("Perspective"), projection);
        pl->addWidget(m_ortho);
        pl->addWidget(m_perspective);
        auto* mode = new QGroupBox(QStringLiteral("Mode"), this);
        auto* ml = new QVBoxLayout(mode);
        auto* shaded = new QRadioButton(QStringLiteral("Shaded"), mode);
        shaded->setChecked(true);
        ml->addWidget(shaded);
        for (const char* text : {"Textured", "Mixed"}) {
            auto* other = new QRadioButton(QString::fromUtf8(text), mode);
            other->setEnabled(false);
            ml->addWidget(other);
        }
        auto* modes = new QComboBox(mode);
        modes->setEnabled(false);
        ml->addWidget(modes);
        auto* grid = new QCheckBox(QStringLiteral("Grid"), this);
        auto* step = new QSpinBox(this);
        auto* rulers = new QCheckBox(QStringLiteral("Rulers"), this);
        auto* spline = new QCheckBox(QStringLiteral("B-spline approximation of "), this);
        auto* degree = new QSpinBox(this);
        degree->setRange(0, 7);
        degree->setValue(model.splineDegree);
        for (QWidget* off : std::initializer_list<QWidget*>{grid, step, rulers, spline, degree})
            off->setEnabled(false);
        m_smoothing = new QCheckBox(QStringLiteral("Smoothing"), this);
        layout->addWidget(projection, 0, 0, 1, 2);
        layout->addWidget(mode, 1, 0, 1, 2);
        layout->addWidget(grid, 2, 0);
        layout->addWidget(step, 2, 1);
        layout->addWidget(rulers, 3, 0);
        layout->addWidget(spline, 4, 0);
        layout->addWidget(degree, 4, 1);
        layout->addWidget(new QLabel(QStringLiteral("degree"), this), 4, 2);
        layout->addWidget(m_smoothing, 5, 0);
        m_ortho->setChecked(model.projection == CModel::kOrthographic);
        m_perspective->setChecked(model.projection == CModel::kPerspective);
        m_smoothing->setChecked(model.smoothing);
    }
    // True when the smoothing changed.
    bool Apply() {
        m_model.projection = m_ortho->isChecked() ? CModel::kOrthographic : CModel::kPerspective;
        const bool smoothing = m_smoothing->isChecked();
        const bool changed = smoothing != m_model.smoothing;
        m_model.smoothing = smoothing;
        return changed;
    }

private:
    CModel& m_model;
    QRadioButton* m_ortho;
    QRadioButton* m_perspective;
    QCheckBox* m_smoothing;
};

} // namespace

std::unique_ptr<QDialog> C3DView::MakeOptionsSheet() {
    // The page, once the sheet has made it.
    auto page = std::make_shared<CProperties*>(nullptr);
    return gl::MakeOptionsSheet(
        this,
        [&](QWidget* tabs) {
            *page = new CProperties(m_model, tabs);
            return std::vector<QWidget*>{*page, new gl::CLight(tabs), new gl::CMaterial(tabs)};
        },
        [this, page] {
            if ((*page)->Apply())
                ApplySmoothing();
            RedrawWindow();
        });
}

// The frame

// Titled " : 3D"; half as wide as the main frame's client, nine tenths of that high.
CChildFrame::CChildFrame(fw::CDocument* document, QWidget* parent)
    : CPaneChildFrame(document,
                      {{QStringLiteral(" Angular position:"), 0, false},
                       {QStringLiteral(" x"), 0, false},
                       {QString(), 30, true},
                       {QStringLiteral(" y"), 0, false},
                       {QString(), 30, true},
                       {QStringLiteral(" z"), 0, false},
                       {QString(), 30, true}},
                      QStringLiteral(" : 3D"), parent) {
    m_pView = new C3DView(this);
    m_pView->setFrameShape(QFrame::NoFrame);
    SetView(m_pView);
    int width = 500;
    if (fw::CMDIFrame* main = fw::CMDIFrame::Get())
        width = std::max(200, main->MdiArea()->viewport()->width() / 2);
    resize(width, static_cast<int>(0.9 * width));
}

void Register3DCommands(fw::CCommandTable& commands) {
    using fw::CmdStyle;
    static const fw::CCommandText kCommands[] = {
        {ID_PROJECTION_ORTHO, "Orthographic projection", "Orthographic projection\nOrthographic projection",
         CmdStyle::Radio},
        {ID_PROJECTION_PERSPECTIVE, "Perspective projection",
         "Perspective projection\nPerspective projection", CmdStyle::Radio},
        {ID_EXPORT_STL, "*.stl", "Export the model to an STL solid file\nExport to STL", CmdStyle::Plain},
    };
    commands.AddAll(kCommands);
}

CChildFrame* Open3D(fw::CDocument& document, fw::CChildFrame* pattern) {
    return fw::OpenFrame<CChildFrame>(document, pattern);
}

} // namespace m3D
