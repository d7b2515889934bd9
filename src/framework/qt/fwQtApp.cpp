#include "framework/qt/fwQtApp.h"

#include <QEvent>
#include <QSinglePointEvent>
#include <QWidget>

#include "framework/fwApp.h"
#include "framework/qt/fwMDIFrame.h"

namespace fw {

namespace {
const QEvent::Type kIdleEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
}

CQtApp::CQtApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Menus show texts and marks; tool bar images stay on the tool bars, where a checked image shows.
    setAttribute(Qt::AA_DontShowIconsInMenus);
    m_pPreviousMessages = SetMessageService(&m_messages);
    installEventFilter(this);
}

CQtApp::~CQtApp() {
    if (&Messages() == &m_messages)
        SetMessageService(m_pPreviousMessages);
}

CQtApp* CQtApp::Get() {
    return qobject_cast<CQtApp*>(QCoreApplication::instance());
}

int CQtApp::Run() {
    KickIdle();
    return exec();
}

void CQtApp::KickIdle() {
    m_nIdleCount = 0;
    if (m_bPosted)
        return;
    m_bPosted = true;
    // Low priority: the step waits behind the events already queued.
    postEvent(this, new QEvent(kIdleEvent), Qt::LowEventPriority);
}

bool CQtApp::eventFilter(QObject* watched, QEvent* event) {
    // What the idle pass itself sets off does not ask for another pass.
    if (!m_bInIdle && StartsIdle(watched, event))
        KickIdle();
    return QApplication::eventFilter(watched, event);
}

bool CQtApp::event(QEvent* event) {
    if (event->type() != kIdleEvent)
        return QApplication::event(event);
    m_bPosted = false;
    RunIdleStep();
    return true;
}

void CQtApp::RunIdleStep() {
    // The loop of a modal dialog or an open menu is not idle time; closing it asks for a new pass.
    if (activeModalWidget() || activePopupWidget())
        return;
    const long count = m_nIdleCount;
    bool more = false;
    {
        struct CInIdle {
            bool& flag;
            explicit CInIdle(bool& f) : flag(f) { flag = true; }
            ~CInIdle() { flag = false; }
        } inIdle(m_bInIdle);
        CWinApp* app = CWinApp::Get();
        more = app && app->OnIdle(count);
        if (count == 0)
            if (CMDIFrame* frame = CMDIFrame::Get())
                frame->OnIdleUpdateCmdUI();
    }
    // One step per event, so that input is served between the steps; input starts again from 0.
    if (more && !m_bPosted) {
        KickIdle();
        m_nIdleCount = count + 1;
    }
}

bool CQtApp::StartsIdle(QObject* receiver, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::TabletMove: {
        // A move reaches every widget on its way up; only a new position counts.
        const QPointF at = static_cast<QSinglePointEvent*>(event)->globalPosition();
        if (at == m_lastMouse)
            return false;
        m_lastMouse = at;
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchEnd:
    case QEvent::DragEnter:
    case QEvent::DragLeave:
    case QEvent::Drop:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::WindowStateChange:
    case QEvent::Close:
    case QEvent::FileOpen:
    case QEvent::MetaCall:
        return true;
    case QEvent::Show:
    case QEvent::Hide:
        // Windows only: a dialog or menu going away ends a stretch without idle passes.
        return receiver->isWidgetType() && static_cast<QWidget*>(receiver)->isWindow();
    default:
        return false;
    }
}

} // namespace fw
