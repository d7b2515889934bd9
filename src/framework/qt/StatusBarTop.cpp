#include "framework/qt/StatusBarTop.h"

#include <QHBoxLayout>
#include <QLabel>

CStatusBarTop::CStatusBarTop(const QStringList& panes, QWidget* parent)
    : CStatusBarTop(std::vector<CPane>(), parent) {
    for (const QString& text : panes)
        AddPane({text, 0, true});
}

CStatusBarTop::CStatusBarTop(const std::vector<CPane>& panes, QWidget* parent) : QFrame(parent) {
    // A size smaller than the window's text, as status bars use: the seven panes of an image window
    // then fit over the width of a small image.
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    setFont(small);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    layout->addStretch(1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    for (const CPane& pane : panes)
        AddPane(pane);
}

void CStatusBarTop::AddPane(const CPane& pane) {
    auto* label = new QLabel(pane.text, this);
    if (pane.border) {
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
    }
    label->setTextFormat(Qt::PlainText);
    if (pane.width > 0)
        label->setMinimumWidth(pane.width);
    // Before the stretch that keeps the panes at the left.
    auto* row = static_cast<QHBoxLayout*>(layout());
    row->insertWidget(row->count() - 1, label);
    m_panes.push_back(label);
}

void CStatusBarTop::SetPaneText(int pane, const QString& text) {
    if (pane >= 0 && pane < PaneCount() && m_panes[pane]->text() != text)
        m_panes[pane]->setText(text);
}

QString CStatusBarTop::PaneText(int pane) const {
    return pane >= 0 && pane < PaneCount() ? m_panes[pane]->text() : QString();
}
