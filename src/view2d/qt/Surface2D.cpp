#include "view2d/qt/Surface2D.h"

#include <cfloat>

#include "model/DataDoc.h"
#include "view2d/qt/ColorUpload.h"
#include "view2d/qt/GLNames.h"
#include "view2d/qt/Model2D.h"
#include "view2d/qt/PlaneView.h"
#include "view2d/qt/ProfCont.h"
#include "view3d/qt/glPixels.h"

namespace surface {

bool C2D::Build(const doc::CDataDoc& surface) {
    SetSurfaceSize(surface.columns, surface.rows);
    m_bStale[0] = m_bStale[1] = true;
    const Resampler resample =
        m_resample ? m_resample : Resampler([](const float* in, int c, int r, float* out, int w, int h) {
            return ScaleImage(in, c, r, out, w, h);
        });
    if (surface.heights.size() < static_cast<std::size_t>(surface.columns) * surface.rows)
        return BuildTexture(nullptr, 0, 0, m_filter, m_nMaxTexture, resample, m_texture);
    // An unfiltered surface that fits is read where it is, by each upload; Upload makes sure it is
    // still there.
    return BuildTexture(surface.heights.data(), surface.columns, surface.rows, m_filter, m_nMaxTexture,
                        resample, m_texture, Unfiltered::kInPlace);
}

bool C2D::SurfaceInPlace() {
    if (!m_texture.grid)
        return true;
    const m2D::CPlaneView* view = m_pModel ? m_pModel->View() : nullptr;
    const doc::CDataDoc* surface = view ? view->Surface() : nullptr;
    if (surface && surface->heights.data() == m_texture.grid && surface->columns == m_texture.columns &&
        surface->rows == m_texture.rows &&
        surface->heights.size() >= static_cast<std::size_t>(surface->columns) * surface->rows)
        return true;
    // The view shows another surface now (its locked copy, say) that came without a build.
    return surface && Build(*surface);
}

void C2D::Upload(int target) {
    const int slot = Slot(target);
    if (m_texture.width <= 0 || m_texture.height <= 0 || !SurfaceInPlace())
        return;
    if (!m_names[slot])
        glGenTextures(1, &m_names[slot]);
    glBindTexture(GL_TEXTURE_2D, m_names[slot]);
    color::UploadTexture(m_texture, m_pModel->Converter(), m_pModel->Attenuator());
    // Clamped to the edge texels: clamping to the border would blend the image's outermost half texel
    // with the border colour under linear filtering, a dark seam along a texture that the image fills.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    const GLint filter = m_bSmooth ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    // The quad, the surface's first row along its top edge.
    if (!m_lists[slot])
        m_lists[slot] = glGenLists(1);
    const float w = Columns() * 0.5f, h = Rows() * 0.5f;
    const float u = m_texture.uMax, v = m_texture.vMax;
    glNewList(m_lists[slot], GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(0, v), glVertex2f(-w, -h);
    glTexCoord2f(u, v), glVertex2f(w, -h);
    glTexCoord2f(u, 0), glVertex2f(w, h);
    glTexCoord2f(0, 0), glVertex2f(-w, h);
    glEnd();
    glEndList();
    m_bStale[slot] = false;
}

void C2D::SetSmoothing(bool smooth) {
    m_bSmooth = smooth;
    const GLint filter = smooth ? GL_LINEAR : GL_NEAREST;
    for (GLuint name : m_names)
        if (name) {
            glBindTexture(GL_TEXTURE_2D, name);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        }
}

void C2D::Release(int target) {
    const int slot = Slot(target);
    DeleteNames(m_names[slot], m_lists[slot]);
    m_bStale[slot] = true;
}

void C2D::Draw(int target, const std::list<m2D::CProfLine>& profiles, float hScale, float vScale) {
    const CViewport& vp = ImageViewport();
    if (vp.width <= 0 || vp.height <= 0 || m_texture.width <= 0)
        return;
    const int slot = Slot(target);
    if (!m_names[slot] || m_bStale[slot])
        Upload(target);
    const CWindow& win = VisibleWindow();
    gl::Viewport(vp.x, vp.y, vp.width, vp.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(win.left, win.right, win.bottom, win.top, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(static_cast<float>(HSign()), static_cast<float>(VSign()), 1.0f);
    glRotatef(static_cast<float>(Angle()), 0.0f, 0.0f, 1.0f);
    // A single flip turns the quad's back to the viewer.
    glEnable(GL_CULL_FACE);
    glCullFace(HSign() * VSign() < 0 ? GL_FRONT : GL_BACK);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_names[slot]);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glCallList(m_lists[slot]);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    DrawProfiles(profiles, hScale, vScale);
}

} // namespace surface
