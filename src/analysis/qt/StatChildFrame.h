#pragma once
// The frame of the statistics window: the roughness panes along its top, the graphs' view under them.
#include <QString>

#include "framework/qt/PaneChildFrame.h"

namespace statist {

class CStatView;

class CChildFrame : public CPaneChildFrame {
    Q_OBJECT
public:
    // The panes: " Roughness", then " Ra:", " Rq:", " Sk:" and " Ks:" each followed by its value.
    enum Pane : int { kPaneRa = 2, kPaneRq = 4, kPaneSk = 6, kPaneKs = 8 };
    static constexpr int kPanes = 9;
    // A new window's size, and the smallest a window that is not maximised is made.
    static constexpr int kWidth = 565, kHeight = 365;
    static constexpr int kMinWidth = 450, kMinHeight = 200;

    explicit CChildFrame(fw::CDocument* document, QWidget* parent = nullptr);

    CStatView* View() const { return m_pView; }
    WindowKind Kind() const override { return kKindStatistics; }

protected:
    void changeEvent(QEvent* event) override;

private:
    CStatView* m_pView = nullptr;
};

} // namespace statist
