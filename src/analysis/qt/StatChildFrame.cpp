#include "analysis/qt/StatChildFrame.h"

#include <QEvent>

#include "analysis/qt/StatView.h"

namespace statist {

// Titled " : Statistics".
CChildFrame::CChildFrame(fw::CDocument* document, QWidget* parent)
    : CPaneChildFrame(document,
                      {{QStringLiteral(" Roughness"), 0, false},
                       {QStringLiteral(" Ra:"), 0, false},
                       {QString(), 50, true},
                       {QStringLiteral(" Rq:"), 0, false},
                       {QString(), 50, true},
                       {QStringLiteral(" Sk:"), 0, false},
                       {QString(), 30, true},
                       {QStringLiteral(" Ks:"), 0, false},
                       {QString(), 30, true}},
                      QStringLiteral(" : Statistics"), parent) {
    // A line under the panes sets them off from the graphs.
    m_pView = new CStatView(this);
    m_pView->setFrameShape(QFrame::NoFrame);
    SetView(m_pView, true);
    setMinimumSize(kMinWidth, kMinHeight);
    resize(kWidth, kHeight);
}

void CChildFrame::changeEvent(QEvent* event) {
    CAdvChildFrame::changeEvent(event);
    // The smallest size holds while the frame is not maximised.
    if (event->type() == QEvent::WindowStateChange) {
        if (isMaximized())
            setMinimumSize(0, 0);
        else
            setMinimumSize(kMinWidth, kMinHeight);
    }
}

} // namespace statist
