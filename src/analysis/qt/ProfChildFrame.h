#pragma once
// The frame of a profile window: two rows of panes along its top, one shown at a time (the cut
// sector's readings while it is on, else the lowest and highest point's), and the plot under them.
#include <string>
#include <vector>

#include "framework/qt/PaneChildFrame.h"

namespace prof {

class CProfView;

class CChildFrame : public CPaneChildFrame {
    Q_OBJECT
public:
    static constexpr int kWidth = 565, kHeight = 365, kMinSize = 200;

    explicit CChildFrame(fw::CDocument* document, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CProfView* View() const { return m_pView; }
    WindowKind Kind() const override { return kKindProfile; }

    // The cut sector's bar (12 panes) or the extremes' (14).
    void ShowSectorBar(bool sector);
    bool SectorBarShown() const { return m_bSector; }
    CStatusBarTop* Bar(bool sector) const;
    // The texts into the bar shown.
    void SetPanes(const std::vector<std::wstring>& texts);

    // The line on the image window is highlighted while this window is the active one.
    void OnMDIActivate(bool active) override;

protected:
    void changeEvent(QEvent* event) override;

private:
    CProfView* m_pView = nullptr;
    CStatusBarTop* m_pExtremes = nullptr;
    bool m_bSector = true;
};

} // namespace prof
