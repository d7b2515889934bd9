#include "app/StaticLink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

CStaticLink::CStaticLink(const QString& text, const QString& link, QWidget* parent)
    : QLabel(text, parent), m_link(link) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    Colour();
}

QString CStaticLink::Link() const {
    return m_link.isEmpty() ? QStringLiteral("http://") + text() : m_link;
}

bool CStaticLink::Open() {
    if (!QDesktopServices::openUrl(QUrl(Link()))) {
        QApplication::beep();
        return false;
    }
    m_bVisited = true;
    Colour();
    return true;
}

void CStaticLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Open();
    QLabel::mouseReleaseEvent(event);
}

void CStaticLink::Colour() {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, m_bVisited ? QColor(0x80, 0x00, 0x80) : QColor(0x00, 0x00, 0xFF));
    setPalette(palette);
    update();
}
