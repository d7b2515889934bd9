#include "view2d/qt/VRView.h"

#include <cstdint>

#include "model/DataDoc.h"
#include "view2d/ColorTransfer.h"
#include "view2d/ViewOptions.h"
#include "view2d/qt/GLNames.h"
#include "view2d/qt/PlaneView.h"
#include "view2d/qt/RulerGL.h"
#include "view3d/qt/glContext.h"
#include "view3d/qt/glPixels.h"

namespace m2D {

// The bar

void C2DVR::Upload(int target) {
    const int slot = Slot(target);
    if (!m_names[slot])
        glGenTextures(1, &m_names[slot]);
    IPlaneModel& image = m_pModel->Image()->Model();
    // The same transfer as the image's texels, so the bar shows exactly the image's colours.
    std::uint8_t bgra[256 * 4];
    color::TransferBgra(m_ramp, 256, 1, image.Converter(), image.Attenuator(), bgra);
    glBindTexture(GL_TEXTURE_1D, m_names[slot]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB8, 256, 0, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (!m_lists[slot]) {
        // The lowest level at the bottom, the highest at the top, the outermost tenth of a percent cut.
        m_lists[slot] = glGenLists(1);
        glNewList(m_lists[slot], GL_COMPILE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0.0, 1.0, 0.001, 0.999, -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_TEXTURE_1D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glBegin(GL_QUADS);
        glTexCoord1f(0.0f), glVertex2f(0.0f, 0.0f);
        glTexCoord1f(0.0f), glVertex2f(1.0f, 0.0f);
        glTexCoord1f(1.0f), glVertex2f(1.0f, 1.0f);
        glTexCoord1f(1.0f), glVertex2f(0.0f, 1.0f);
        glEnd();
        glDisable(GL_TEXTURE_1D);
        glEndList();
    }
    m_bStale[slot] = false;
}

void C2DVR::Draw(int target, const rulers::CArea& bar) {
    if (bar.width < 1.0f || bar.height < 1.0f)
        return;
    const int slot = Slot(target);
    if (!m_names[slot] || m_bStale[slot])
        Upload(target);
    gl::Viewport(static_cast<int>(bar.left), static_cast<int>(bar.bottom), static_cast<int>(bar.width),
                 static_cast<int>(bar.height));
    glBindTexture(GL_TEXTURE_1D, m_names[slot]);
    glCallList(m_lists[slot]);
    if (target == gl::CglView::kPrinter || target == gl::CglView::kClipboard) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        // Half a pixel beyond the bar on every side, so that all four edges fall on pixel centres.
        glOrtho(-0.5 / bar.width, 1.0 + 0.5 / bar.width, -0.5 / bar.height, 1.0 + 0.5 / bar.height, -1.0,
                1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor3f(0.0f, 0.0f, 0.0f);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glBegin(GL_QUADS);
        glVertex2f(0.0f, 0.0f);
        glVertex2f(1.0f, 0.0f);
        glVertex2f(1.0f, 1.0f);
        glVertex2f(0.0f, 1.0f);
        glEnd();
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glColor3f(1.0f, 1.0f, 1.0f);
    }
}

void C2DVR::Release(int target) {
    const int slot = Slot(target);
    surface::DeleteNames(m_names[slot], m_lists[slot]);
    m_bStale[slot] = true;
}

// The model

CVRModel::CVRModel(CVRView* view, CPlaneView* image) : m_pView(view), m_pImage(image) {
    m_ruler.set_placement(image->Model().Props().m_nBarOrigin);
}

CProperties& CVRModel::Props() const {
    return m_pImage->Model().Props();
}

// The view

CVRView::CVRView(CPlaneView* image, QWidget* parent) : gl::CglView(parent), m_model(this, image) {
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
}

CVRView::~CVRView() {
    gl::CCurrentContext current(GetGLWidget());
    if (current)
        m_model.Bar().Release(kScreen);
}

doc::CDataDoc* CVRView::GetSurface() {
    return m_model.Image()->GetSurface();
}

void CVRView::InitGL() {
    gl::CglView::InitGL();
    m_model.Bar().Release(kScreen); // the names of an earlier context are gone with it
    CreateTextFont();
    CreateSymbolFont();
}

void CVRView::Rebuild() {
    gl::CCurrentContext current(GetGLWidget());
    if (current)
        m_model.Bar().Upload(kScreen);
    Invalidate();
}

void CVRView::UpdateBar() {
    m_model.Ruler().set_placement(m_model.Props().m_nBarOrigin);
    Invalidate();
}

void CVRView::Draw(int width, int height, bool print) {
    const doc::CDataDoc* surface = GetSurface();
    if (!surface || width <= 0 || height <= 0)
        return;
    m_rect =
        LayoutRuler(m_model.Ruler(), *surface, static_cast<float>(width), static_cast<float>(height), print);
    m_model.m_nHeight = static_cast<int>(m_rect.height);
    m_model.Bar().Draw(RenderTarget, m_rect);
    gl::Viewport(0, 0, width, height);
    rulers::CGLPainter painter(0, 0, width, height, print);
    m_model.Ruler().draw(print, painter);
}

rulers::CArea CVRView::LayoutRuler(rulers::CVR& ruler, const doc::CDataDoc& surface, float width,
                                   float height, bool print) {
    ruler.set_placement(m_model.Props().m_nBarOrigin);
    return ruler.layout(surface.range, width, height, print);
}

void CVRView::DrawScene() {
    gl::CglView::DrawScene();
    Draw(GetClientWidth(), GetClientHeight(), false);
}

void CVRView::DrawForPrint(int width, int height) {
    glClearColor(kPrintClear[0], kPrintClear[1], kPrintClear[2], kPrintClear[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    RenderTarget = kPrinter;
    Draw(width, height, true);
    RenderTarget = kScreen;
}

void CVRView::ReleasePrint() {
    m_model.Bar().Release(kPrinter);
}

} // namespace m2D
