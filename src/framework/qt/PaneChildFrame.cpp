#include "framework/qt/PaneChildFrame.h"

#include <QFrame>
#include <QVBoxLayout>
#include <utility>

#include "framework/fwDocument.h"

CPaneChildFrame::CPaneChildFrame(fw::CDocument* document, const std::vector<CStatusBarTop::CPane>& panes,
                                 QString titleSuffix, QWidget* parent)
    : CAdvChildFrame(document, parent), m_suffix(std::move(titleSuffix)) {
    auto* body = new QWidget(this);
    m_pLayout = new QVBoxLayout(body);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pLayout->setSpacing(0);
    m_pStatus = new CStatusBarTop(panes, body);
    m_pLayout->addWidget(m_pStatus);
    setWidget(body);
    setAttribute(Qt::WA_DeleteOnClose);
}

void CPaneChildFrame::SetView(QWidget* view, bool rule) {
    QWidget* body = widget();
    if (rule) {
        auto* line = new QFrame(body);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        m_pLayout->addWidget(line);
    }
    view->setParent(body);
    m_pLayout->addWidget(view, 1);
    AddView(view);
}

void CPaneChildFrame::SetPaneText(int pane, const QString& text) {
    m_pStatus->SetPaneText(pane, text);
}

QString CPaneChildFrame::PaneText(int pane) const {
    return m_pStatus->PaneText(pane);
}

void CPaneChildFrame::OnUpdateFrameTitle() {
    fw::CDocument* document = GetDocument();
    if (!document)
        return;
    QString title = QString::fromStdWString(document->GetTitle()) + m_suffix;
    if (const int number = GetWindowNumber(); number > 0)
        title += QStringLiteral(" : %1").arg(number);
    if (windowTitle() != title)
        setWindowTitle(title);
}
