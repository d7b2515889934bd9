#include "view2d/qt/StatusBarTop.h"

#include <QHBoxLayout>
#include <QLabel>

CStatusBarTop::CStatusBarTop(const QStringList& panes, QWidget* parent) : QFrame(parent) {
    // A size smaller than the window's text, as status bars use: the seven panes of an image window
    // then fit over the width of a small image.
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    setFont(small);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    for (const QString& text : panes) {
        auto* pane = new QLabel(text, this);
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setTextFormat(Qt::PlainText);
        layout->addWidget(pane);
        m_panes.push_back(pane);
    }
    layout->addStretch(1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void CStatusBarTop::SetPaneText(int pane, const QString& text) {
    if (pane >= 0 && pane < PaneCount() && m_panes[pane]->text() != text)
        m_panes[pane]->setText(text);
}

QString CStatusBarTop::PaneText(int pane) const {
    return pane >= 0 && pane < PaneCount() ? m_panes[pane]->text() : QString();
}
