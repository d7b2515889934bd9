#include "analysis/qt/GraphView.h"

#include <qopengl.h>

#include "model/DataDoc.h"

namespace statist {

CGraphView::CGraphView(QWidget* parent) : gl::CglView(parent) {}

CGraphView::~CGraphView() = default;

doc::CDataDoc* CGraphView::GetSurface() {
    if (m_pLocked)
        return m_pLocked.get();
    return dynamic_cast<doc::CDataDoc*>(GetDocument());
}

bool CGraphView::Lock(bool on) {
    if (on == IsLocked())
        return false;
    if (!on) {
        m_pLocked.reset();
        return true;
    }
    const doc::CDataDoc* surface = GetSurface();
    if (!surface)
        return false;
    m_pLocked = std::make_unique<doc::CDataDoc>(*surface);
    return true;
}

bool CGraphView::OnCommand(int id) {
    if (id != ID_LOCK_UPDATE)
        return gl::CglView::OnCommand(id);
    if (Lock(!IsLocked()) && !IsLocked())
        OnUnlocked();
    return true;
}

bool CGraphView::OnUpdateCommand(int id, fw::CCmdState& state) const {
    if (id != ID_LOCK_UPDATE)
        return gl::CglView::OnUpdateCommand(id, state);
    state.enabled = true;
    state.checked = IsLocked();
    return true;
}

void CGraphView::InitGL() {
    gl::CglView::InitGL();
    glClearDepth(1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glShadeModel(GL_FLAT);
    glEnable(GL_CULL_FACE);
    CreateTextFont();
    CreateSymbolFont();
}

void CGraphView::DrawScene() {
    if (RenderTarget == kPrinter) {
        CreatePrinterTextFont();
        CreatePrinterSymbolFont();
    }
    gl::CglView::DrawScene();
}

} // namespace statist
