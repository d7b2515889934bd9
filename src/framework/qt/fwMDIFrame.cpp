#include "framework/qt/fwMDIFrame.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QToolBar>

#include "framework/fwApp.h"
#include "framework/fwDocManager.h"
#include "framework/fwDocument.h"
#include "framework/qt/fwChildFrame.h"
#include "framework/qt/fwCommandTable.h"

namespace fw {

namespace {
CMDIFrame* g_mainFrame = nullptr;
}

CMDIFrame::CMDIFrame(QWidget* parent)
    : QMainWindow(parent), m_pArea(new QMdiArea(this)), m_pCommands(new CCommandTable(this)) {
    g_mainFrame = this;
    setCentralWidget(m_pArea);
    m_pCommands->SetRoute([this] { return CommandRoute(); });
    m_pCommands->AttachShortcuts(this);
    connect(m_pArea, &QMdiArea::subWindowActivated, this, [this] { OnSubWindowActivated(); });
    OnUpdateFrameTitle();
}

CMDIFrame::~CMDIFrame() {
    // The children go after this body; their last signals must not reach a half-destroyed frame.
    m_pArea->disconnect(this);
    m_pCommands->SetRoute(nullptr);
    if (g_mainFrame == this)
        g_mainFrame = nullptr;
}

CMDIFrame* CMDIFrame::Get() {
    return g_mainFrame;
}

void CMDIFrame::AddChild(CChildFrame* frame) {
    if (frame)
        m_pArea->addSubWindow(frame);
}

CChildFrame* CMDIFrame::GetActiveFrame() const {
    return qobject_cast<CChildFrame*>(m_pArea->currentSubWindow());
}

std::vector<CChildFrame*> CMDIFrame::GetChildFrames() const {
    std::vector<CChildFrame*> frames;
    for (QMdiSubWindow* window : m_pArea->subWindowList())
        if (auto* frame = qobject_cast<CChildFrame*>(window))
            frames.push_back(frame);
    return frames;
}

std::vector<ICmdTarget*> CMDIFrame::CommandRoute() {
    std::vector<ICmdTarget*> route;
    if (CChildFrame* frame = GetActiveFrame()) {
        CView* view = frame->GetActiveView();
        CDocument* doc = view && view->GetDocument() ? view->GetDocument() : frame->GetDocument();
        if (view)
            route.push_back(view);
        if (doc)
            route.push_back(doc);
        route.push_back(frame);
    }
    route.push_back(this);
    if (CWinApp* app = CWinApp::Get())
        route.push_back(app);
    return route;
}

void CMDIFrame::OnIdleUpdateCmdUI() {
    QList<QAction*> shown;
    for (QToolBar* bar : findChildren<QToolBar*>())
        if (bar->isVisible())
            shown += bar->actions();
    m_pCommands->Update(shown);
    m_pCommands->UpdateShortcuts();
    for (CChildFrame* frame : GetChildFrames())
        frame->OnUpdateFrameTitle();
    OnUpdateFrameTitle();
}

void CMDIFrame::OnUpdateFrameTitle() {
    const QString caption = QGuiApplication::applicationDisplayName();
    QString title = caption;
    if (const CChildFrame* frame = GetActiveFrame()) {
        // A maximised child puts its own title in brackets after the caption.
        if (frame->isMaximized()) {
            if (windowTitle().startsWith(caption + QStringLiteral(" - [")))
                return;
        } else if (const CDocument* doc = frame->GetDocument()) {
            title += QStringLiteral(" - ") + QString::fromStdWString(doc->GetTitle());
        }
    }
    if (windowTitle() != title)
        setWindowTitle(title);
}

void CMDIFrame::closeEvent(QCloseEvent* event) {
    if (CWinApp* app = CWinApp::Get()) {
        if (!app->GetDocManager().SaveAllModified()) {
            event->ignore();
            return;
        }
        app->GetDocManager().CloseAllDocuments();
    }
    QMainWindow::closeEvent(event);
}

void CMDIFrame::ForgetFrame(const CChildFrame* frame) {
    if (m_activeFrame == frame)
        m_activeFrame = nullptr;
}

void CMDIFrame::OnSubWindowActivated() {
    CChildFrame* now = GetActiveFrame();
    if (now == m_activeFrame)
        return;
    QPointer<CChildFrame> before = m_activeFrame;
    m_activeFrame = now;
    if (before) {
        before->OnMDIActivate(false);
        OnFrameActivated(before, false);
    }
    if (now) {
        now->OnMDIActivate(true);
        OnFrameActivated(now, true);
    }
    OnUpdateFrameTitle();
}

} // namespace fw
