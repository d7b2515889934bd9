#include "framework/qt/fwChildFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <algorithm>

#include "framework/fwDocTemplate.h"
#include "framework/fwDocument.h"
#include "framework/qt/fwMDIFrame.h"

namespace fw {

CChildFrame::CChildFrame(CDocument* document, QWidget* parent)
    : QMdiSubWindow(parent), m_pDocument(document) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now || !isAncestorOf(now))
            return;
        for (const auto& view : m_views)
            if (view && (view == now || view->isAncestorOf(now))) {
                SetActiveView(view);
                return;
            }
    });
}

CChildFrame::~CChildFrame() {
    // The views go after this body and may take the focus with them; the members are gone by then.
    disconnect(m_focusWatch);
    if (CMDIFrame* main = CMDIFrame::Get())
        main->ForgetFrame(this);
    DetachViews();
}

void CChildFrame::AddView(QWidget* view) {
    if (!view || m_views.contains(view))
        return;
    m_views.append(view);
    // A click makes a view active even when it takes no focus.
    view->installEventFilter(this);
    if (!widget())
        setWidget(view);
    if (auto* v = dynamic_cast<CView*>(view); v && m_pDocument)
        m_pDocument->AddView(v);
    if (!m_activeView)
        m_activeView = view;
}

QList<QWidget*> CChildFrame::GetViewWidgets() const {
    QList<QWidget*> views;
    for (const auto& view : m_views)
        if (view)
            views.append(view);
    return views;
}

CView* CChildFrame::GetActiveView() const {
    return dynamic_cast<CView*>(m_activeView.data());
}

void CChildFrame::SetActiveView(QWidget* view) {
    if (view && m_views.contains(view))
        m_activeView = view;
}

int CChildFrame::GetWindowNumber() const {
    if (!m_pDocument)
        return 0;
    const std::vector<CChildFrame*> frames = FramesOf(*m_pDocument);
    if (frames.size() < 2)
        return 0;
    auto it = std::find(frames.begin(), frames.end(), this);
    return it == frames.end() ? 0 : static_cast<int>(it - frames.begin()) + 1;
}

void CChildFrame::OnUpdateFrameTitle() {
    if (!m_pDocument)
        return;
    QString title = QString::fromStdWString(m_pDocument->GetTitle());
    if (const int number = GetWindowNumber(); number > 0)
        title += QStringLiteral(":%1").arg(number);
    if (windowTitle() != title)
        setWindowTitle(title);
}

void CChildFrame::ActivateFrame() {
    QMdiArea* area = mdiArea();
    const QMdiSubWindow* current = area ? area->currentSubWindow() : nullptr;
    if (current && current != this && current->isMaximized())
        showMaximized();
    else if (isMinimized())
        showNormal();
    else
        show();
    if (!testAttribute(Qt::WA_Resized))
        adjustSize();
    if (area)
        area->setActiveSubWindow(this);
    if (m_activeView)
        m_activeView->setFocus();
}

bool CChildFrame::CloseDocument() {
    CDocument* doc = m_pDocument;
    if (!doc) {
        close();
        return true;
    }
    if (!doc->SaveModified())
        return false;
    QList<QPointer<CChildFrame>> frames;
    for (CChildFrame* frame : FramesOf(*doc))
        frames.append(frame);
    frames.append(this);
    if (CDocTemplate* docTemplate = doc->GetDocTemplate())
        docTemplate->CloseDocument(doc);
    // A template without window hooks left its frames; they must not outlive the document they point to.
    for (const auto& frame : frames)
        if (frame)
            frame->DestroyFrame();
    return true;
}

void CChildFrame::DestroyFrame() {
    if (m_bDestroying)
        return;
    m_bDestroying = true;
    DetachViews();
    m_pDocument = nullptr;
    close();
}

QList<QWidget*> CChildFrame::FocusableViews() const {
    QList<QWidget*> views;
    for (const QPointer<QWidget>& view : m_views)
        if (view && view->isVisible() && view->isEnabled() && view->focusPolicy() != Qt::NoFocus)
            views.append(view);
    return views;
}

bool CChildFrame::OnCommand(int id) {
    switch (id) {
    case ID_FILE_CLOSE:
        CloseDocument();
        return true;
    case ID_NEXT_PANE:
    case ID_PREV_PANE: {
        // From the active view to the next (or previous) one in the order the frame added them.
        const QList<QWidget*> views = FocusableViews();
        if (views.size() < 2)
            return true;
        const int at = std::max<int>(0, static_cast<int>(views.indexOf(m_activeView.data())));
        const int step = id == ID_NEXT_PANE ? 1 : -1;
        QWidget* next =
            views.at((at + step + static_cast<int>(views.size())) % static_cast<int>(views.size()));
        SetActiveView(next);
        next->setFocus(id == ID_NEXT_PANE ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    default:
        return false;
    }
}

bool CChildFrame::OnUpdateCommand(int id, CCmdState& state) const {
    switch (id) {
    case ID_FILE_CLOSE:
        return true;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        state.enabled = FocusableViews().size() > 1;
        return true;
    default:
        return false;
    }
}

std::vector<CChildFrame*> CChildFrame::FramesOf(const CDocument& document) {
    std::vector<CChildFrame*> frames;
    for (CView* view : document.GetViews()) {
        CChildFrame* frame = FrameOf(dynamic_cast<QWidget*>(view));
        if (frame && std::find(frames.begin(), frames.end(), frame) == frames.end())
            frames.push_back(frame);
    }
    return frames;
}

CChildFrame* CChildFrame::FrameOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (auto* frame = qobject_cast<CChildFrame*>(w))
            return frame;
    return nullptr;
}

bool CChildFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType())
        SetActiveView(static_cast<QWidget*>(watched));
    return QMdiSubWindow::eventFilter(watched, event);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (!m_bDestroying && m_pDocument) {
        const std::vector<CChildFrame*> frames = FramesOf(*m_pDocument);
        const bool last =
            std::all_of(frames.begin(), frames.end(), [this](CChildFrame* f) { return f == this; });
        // The document lives as long as one of its windows does.
        if (last && !CloseDocument()) {
            event->ignore();
            return;
        }
    }
    DetachViews();
    QMdiSubWindow::closeEvent(event);
}

void CChildFrame::DetachViews() {
    for (const auto& widget : m_views)
        if (auto* view = dynamic_cast<CView*>(widget.data()))
            if (CDocument* doc = view->GetDocument())
                doc->RemoveView(view);
}

} // namespace fw
