#include "view2d/qt/CtrlButton.h"

#include <QPainter>
#include <qdrawutil.h>

namespace color {

CCtrlButton::CCtrlButton(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CCtrlButton::SetColor(COLORREF color) {
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QRect CCtrlButton::ColorRect() const {
    return IsPushed() ? rect().adjusted(4, 4, -4, -4) : rect().adjusted(3, 3, -4, -4);
}

QSize CCtrlButton::sizeHint() const {
    return QSize(36, 24);
}

void CCtrlButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QBrush face = palette().button();
    qDrawWinButton(&painter, rect(), palette(), IsPushed(), &face);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(RedOf(m_color), GreenOf(m_color), BlueOf(m_color)));
    // A 1-pixel pen draws on the right and bottom edges: the outline stays inside the rectangle.
    painter.drawRect(ColorRect().adjusted(0, 0, -1, -1));
}

} // namespace color
