#include "view2d/qt/AttToolBar.h"

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QToolTip>

#include "framework/qt/fwCommandTable.h"
#include "view2d/Attenuator.h"
#include "view2d/qt/FillCommands.h"

namespace color {

namespace {

constexpr int kIds[4] = {ID_CONTRAST_UP, ID_CONTRAST_DOWN, ID_BRIGHTNESS_UP, ID_BRIGHTNESS_DOWN};

constexpr int kFirstInterval = 150;

// At these tick counts the repeat speeds up to these periods (ms).
struct CSpeedUp {
    int count;
    int interval;
};
constexpr CSpeedUp kSpeedUps[] = {{2, 140}, {4, 130}, {8, 120}, {12, 110}, {15, 100},
                                  {18, 90}, {21, 80}, {25, 70}, {32, 60},  {40, 50}};

bool IsContrast(int index) {
    return index < 2;
}

QString Text(const std::wstring& text) {
    return QString::fromStdWString(text);
}

} // namespace

CAttToolBar::CAttToolBar(fw::CCommandTable& commands, QWidget* parent)
    : QToolBar(parent), m_commands(commands) {
    for (int i = 0; i < 4; ++i) {
        QAction* action = commands.Action(kIds[i]);
        if (!action)
            continue;
        addAction(action);
        m_buttons[i] = qobject_cast<QToolButton*>(widgetForAction(action));
        if (m_buttons[i])
            m_buttons[i]->installEventFilter(this);
    }
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kFirstInterval);
    connect(&m_timer, &QTimer::timeout, this, &CAttToolBar::Tick);
}

CAttToolBar::~CAttToolBar() {
    Release();
}

QToolButton* CAttToolBar::Button(int index) const {
    return index >= 0 && index < 4 ? m_buttons[index] : nullptr;
}

QLabel* CAttToolBar::TrackingTip() const {
    return m_pTip;
}

int CAttToolBar::IndexOf(const QObject* object) const {
    for (int i = 0; i < 4; ++i)
        if (object && m_buttons[i] == object)
            return i;
    return -1;
}

void CAttToolBar::Tick() {
    if (m_nCount == 0)
        return;
    for (const CSpeedUp& speedUp : kSpeedUps)
        if (m_nCount == speedUp.count)
            m_timer.start(speedUp.interval);
    ++m_nCount;
    Step();
    ShowTrackingTip();
}

void CAttToolBar::Press(int index) {
    m_commands.Update(kIds[index]);
    if (!m_commands.Action(kIds[index])->isEnabled())
        return;
    Release();
    m_nPressed = index;
    m_buttons[index]->setDown(true);
    Step();
    ShowTrackingTip();
    m_nCount = 1;
    m_timer.start(kFirstInterval);
    // The release may go elsewhere: a window that pops up meanwhile takes the mouse.
    qApp->installEventFilter(this);
}

void CAttToolBar::Release() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
    m_timer.stop();
    m_nCount = 0;
    if (QToolButton* button = Button(m_nPressed))
        button->setDown(false);
}

void CAttToolBar::Step() {
    m_commands.Execute(kIds[m_nPressed]);
    // One step can enable or disable the buttons of both directions; no idle pass comes between ticks.
    for (int id : kIds)
        m_commands.Update(id);
}

bool CAttToolBar::PressedStep(int& step) const {
    const CAttenuator* attenuator = m_source ? m_source() : nullptr;
    if (!attenuator || m_nPressed < 0)
        return false;
    step = IsContrast(m_nPressed) ? attenuator->Contrast() : attenuator->Brightness();
    return true;
}

void CAttToolBar::ShowTrackingTip() {
    int step = 0;
    if (!PressedStep(step))
        return;
    if (!m_pTip) {
        m_pTip = new QLabel(this, Qt::ToolTip | Qt::WindowStaysOnTopHint);
        m_pTip->setPalette(QToolTip::palette());
        m_pTip->setBackgroundRole(QPalette::ToolTipBase);
        m_pTip->setForegroundRole(QPalette::ToolTipText);
        m_pTip->setFont(QToolTip::font());
        m_pTip->setMargin(2);
        m_pTip->setFrameStyle(QFrame::Box | QFrame::Plain);
        m_pTip->setAutoFillBackground(true);
    }
    m_pTip->setText(Text(PercentTip(step)));
    m_pTip->adjustSize();
    const QToolButton* button = m_buttons[m_nPressed];
    m_pTip->move(button->mapToGlobal(QPoint(0, button->height() + 2)));
    m_pTip->show();
}

void CAttToolBar::DestroyTrackingTip() {
    if (!m_pTip)
        return;
    m_pTip->hide();
    m_pTip->deleteLater();
    m_pTip = nullptr;
}

QString CAttToolBar::ButtonTip(int index) const {
    const CAttenuator* attenuator = m_source ? m_source() : nullptr;
    if (!attenuator)
        return QString();
    return IsContrast(index) ? Text(ContrastTip(attenuator->Contrast()))
                             : Text(BrightnessTip(attenuator->Brightness()));
}

bool CAttToolBar::eventFilter(QObject* watched, QEvent* event) {
    const int index = IndexOf(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (index >= 0 && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Press(index);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Release();
            // The button must not click: its steps are already taken.
            if (index >= 0)
                return true;
        }
        break;
    case QEvent::MouseMove:
        if (m_pTip && index >= 0) {
            const QToolButton* pressed = Button(m_nPressed);
            const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            if (!pressed || !pressed->rect().contains(pressed->mapFromGlobal(at)))
                DestroyTrackingTip();
        }
        break;
    case QEvent::Leave:
        if (index >= 0 && index == m_nPressed)
            DestroyTrackingTip();
        break;
    case QEvent::ToolTip:
        if (index >= 0) {
            const QString tip = ButtonTip(index);
            if (tip.isEmpty())
                break; // the command's own tooltip
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, m_buttons[index]);
            return true;
        }
        break;
    default:
        break;
    }
    return QToolBar::eventFilter(watched, event);
}

void CAttToolBar::hideEvent(QHideEvent* event) {
    Release();
    DestroyTrackingTip();
    QToolBar::hideEvent(event);
}

} // namespace color
