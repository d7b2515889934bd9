#pragma once
// The base of the analysis windows' graph views (statistics, profile): the surface they show, or a
// copy of it while updates are locked; the GL state of a flat graph with the screen fonts; and the
// printer fonts while printing.
#include <memory>

#include "view3d/qt/glView.h"

namespace statist {

class CGraphView : public gl::CglView {
    Q_OBJECT
public:
    explicit CGraphView(QWidget* parent = nullptr);
    ~CGraphView() override;

    // The lock snapshot while updates are locked, else the document's surface.
    doc::CDataDoc* GetSurface() override;
    bool IsLocked() const { return m_pLocked != nullptr; }

protected:
    // A copy of the surface from now on, or the document's again; false when nothing changed.
    bool Lock(bool on);
    // Flat shading, back faces culled, the screen fonts.
    void InitGL() override;
    // Clears; printing, the printer fonts go into the lists first.
    void DrawScene() override;

private:
    std::unique_ptr<doc::CDataDoc> m_pLocked;
};

} // namespace statist
