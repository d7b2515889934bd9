#include "analysis/qt/StatChildFrame.h"

#include <QEvent>
#include <QVBoxLayout>

#include "analysis/qt/StatView.h"
#include "framework/fwDocument.h"
#include "view2d/qt/StatusBarTop.h"

namespace statist {

CChildFrame::CChildFrame(fw::CDocument* document, QWidget* parent) : CAdvChildFrame(document, parent) {
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pStatus = new CStatusBarTop(std::vector<CStatusBarTop::CPane>{{QStringLiteral(" Roughness"), 0, false},
                                                                    {QStringLiteral(" Ra:"), 0, false},
                                                                    {QString(), 50, true},
                                                                    {QStringLiteral(" Rq:"), 0, false},
                                                                    {QString(), 50, true},
                                                                    {QStringLiteral(" Sk:"), 0, false},
                                                                    {QString(), 30, true},
                                                                    {QStringLiteral(" Ks:"), 0, false},
                                                                    {QString(), 30, true}},
                                  body);
    // A line under the panes sets them off from the graphs.
    m_pStatus->setFrameShape(QFrame::NoFrame);
    auto* rule = new QFrame(body);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    m_pView = new CStatView(body);
    m_pView->setFrameShape(QFrame::NoFrame);
    layout->addWidget(m_pStatus);
    layout->addWidget(rule);
    layout->addWidget(m_pView, 1);
    setWidget(body);
    setAttribute(Qt::WA_DeleteOnClose);
    AddView(m_pView);
    setMinimumSize(kMinWidth, kMinHeight);
    resize(kWidth, kHeight);
}

void CChildFrame::SetPaneText(int pane, const QString& text) {
    m_pStatus->SetPaneText(pane, text);
}

QString CChildFrame::PaneText(int pane) const {
    return m_pStatus->PaneText(pane);
}

void CChildFrame::OnUpdateFrameTitle() {
    fw::CDocument* document = GetDocument();
    if (!document)
        return;
    QString title = QString::fromStdWString(document->GetTitle()) + QStringLiteral(" : Statistics");
    if (const int number = GetWindowNumber(); number > 0)
        title += QStringLiteral(" : %1").arg(number);
    if (windowTitle() != title)
        setWindowTitle(title);
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
