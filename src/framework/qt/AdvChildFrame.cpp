#include "framework/qt/AdvChildFrame.h"

#include <QEvent>
#include <QMdiArea>

#include "framework/qt/fwMDIFrame.h"

CAdvChildFrame::CAdvChildFrame(fw::CDocument* document, QWidget* parent)
    : fw::CChildFrame(document, parent) {}

bool CAdvChildFrame::SticksOut() const {
    const QMdiArea* area = mdiArea();
    if (!area || isMinimized() || isMaximized())
        return false;
    const QSize client = area->viewport()->size();
    return geometry().right() >= client.width() || geometry().bottom() >= client.height();
}

void CAdvChildFrame::focusInEvent(QFocusEvent* event) {
    fw::CChildFrame::focusInEvent(event);
    if (SticksOut())
        if (fw::CMDIFrame* main = fw::CMDIFrame::Get())
            main->MoveBackLater(this);
}

bool CAdvChildFrame::eventFilter(QObject* watched, QEvent* event) {
    // The focus usually lands on a view inside the frame.
    if (event->type() == QEvent::FocusIn && SticksOut())
        if (fw::CMDIFrame* main = fw::CMDIFrame::Get())
            main->MoveBackLater(this);
    return fw::CChildFrame::eventFilter(watched, event);
}
