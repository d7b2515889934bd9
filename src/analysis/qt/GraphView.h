#pragma once
// The base of the analysis windows' graph views (statistics, profile): the surface they show, or a
// copy of it while updates are locked; the GL state of a flat graph with the screen fonts; and the
// printer fonts while printing.
#include <memory>

#include "view3d/qt/glView.h"

namespace statist {

// Both graph windows' "Lock update" button.
enum GraphCommand : int { ID_LOCK_UPDATE = 32894 };

class CGraphView : public gl::CglView {
    Q_OBJECT
public:
    explicit CGraphView(QWidget* parent = nullptr);
    ~CGraphView() override;

    // The lock snapshot while updates are locked, else the document's surface.
    doc::CDataDoc* GetSurface() override;
    bool IsLocked() const { return m_pLocked != nullptr; }

    // "Lock update": a copy of the surface from now on, or the document's again.
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;

protected:
    // Unlocked again: the graph follows the document's surface as it is now.
    virtual void OnUnlocked() = 0;
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
