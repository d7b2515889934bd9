#include "view2d/qt/Bump.h"

#include <algorithm>
#include <qopengl.h>

#include "framework/qt/fwMDIDocTemplate.h"
#include "model/DataDoc.h"
#include "view2d/qt/ProfCont.h"
#include "view3d/qt/glLight.h"
#include "view3d/qt/glPixels.h"

namespace surface {

bool CBump::Build(const doc::CDataDoc& surface) {
    SetSurfaceSize(surface.columns, surface.rows);
    m_bStale = true;
    return m_mesh.BuildArrays(surface, false);
}

void CBump::Upload(int target) {
    // The printing context shares the screen's lists.
    if (target != 0)
        return;
    m_mesh.DeleteLists();
    m_mesh.BuildLists(true);
    m_bStale = false;
}

void CBump::Release(int target) {
    if (target == 0) {
        m_mesh.DeleteLists();
        m_bStale = true;
    }
}

void CBump::Draw(int target, const std::list<m2D::CProfLine>& profiles, float hScale, float vScale) {
    const CViewport& vp = ImageViewport();
    const CMeshGrid& mesh = m_mesh.Mesh();
    if (vp.width <= 0 || vp.height <= 0 || mesh.Empty())
        return;
    if (target == 0 && m_bStale)
        Upload(0);
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT |
                 GL_TRANSFORM_BIT | GL_VIEWPORT_BIT);
    gl::Viewport(vp.x, vp.y, vp.width, vp.height);
    // Straight down on heights 0 .. nx / 4: the top of the relief at the near plane.
    const float a = static_cast<float>(mesh.columns) * 0.5f;
    m_fNear = -a / 2.0f;
    const CWindow& win = VisibleWindow();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(win.left, win.right, win.bottom, win.top, m_fNear, 0.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The light is placed in the eye's frame, before the flips and turn: the relief is lit from the
    // viewer's upper left whichever way it lies.
    gl::CLight::Apply();
    gl::CMaterial::Apply();
    glScalef(static_cast<float>(HSign()), static_cast<float>(VSign()), 1.0f);
    glRotatef(static_cast<float>(Angle()), 0.0f, 0.0f, 1.0f);
    // A single flip reverses the winding of every face.
    m_bCulledFront = HSign() * VSign() < 0;
    glEnable(GL_CULL_FACE);
    glCullFace(m_bCulledFront ? GL_FRONT : GL_BACK);
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(m_bSmooth ? GL_SMOOTH : GL_FLAT);
    glColor3f(1.0f, 1.0f, 1.0f);
    // Shown smaller than the preview, the relief looks the same from the preview at a fraction of the
    // cost; printing always draws the whole mesh.
    const float shrink = m_mesh.HasPreview()
                             ? static_cast<float>(m_mesh.Preview().columns) / static_cast<float>(mesh.columns)
                             : 0.0f;
    m_bDrewPreview = target == 0 && std::max(hScale, vScale) <= shrink;
    m_mesh.DrawMesh(m_bDrewPreview);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    DrawProfiles(profiles, hScale, vScale);
    glPopAttrib();
}

} // namespace surface

namespace bump {

CModel::CModel(m2D::CPlaneView* view) : m2D::CModel(view) {
    m_props.m_bBarAllowed = false;
    m_props.m_bHeightBar = false;
}

CChildFrame::CChildFrame(fw::CDocument* document, QWidget* parent)
    : m2D::TPlaneChildFrame<CBumpView>(document, parent) {}

CChildFrame* OpenBump(fw::CDocument& document, fw::CChildFrame* pattern) {
    return fw::OpenFrame<CChildFrame>(document, pattern);
}

} // namespace bump
