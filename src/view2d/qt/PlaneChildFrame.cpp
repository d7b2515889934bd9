#include "view2d/qt/PlaneChildFrame.h"

#include <QMdiArea>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>
#include <algorithm>

#include "framework/fwDocument.h"
#include "framework/qt/StatusBarTop.h"
#include "framework/qt/fwMDIFrame.h"
#include "model/VantriDoc.h"
#include "model/VantriDocTemplate.h"
#include "view2d/ViewOptions.h"
#include "view2d/qt/FillCommands.h"
#include "view2d/qt/Model2D.h"
#include "view2d/qt/PlaneView.h"
#include "view2d/qt/VRView.h"

namespace m2D {

// The splitter

CSplitWnd::CSplitWnd(QWidget* parent) : QWidget(parent) {}

void CSplitWnd::SetPanes(QWidget* image, QWidget* bar) {
    m_pImage = image;
    m_pBar = bar;
    if (image)
        image->setParent(this);
    if (bar)
        bar->setParent(this);
    ShowBar(m_bBar && bar);
}

void CSplitWnd::ShowBar(bool shown) {
    m_bBar = shown && m_pBar;
    if (m_pBar)
        m_pBar->setVisible(m_bBar);
    Place();
}

void CSplitWnd::resizeEvent(QResizeEvent*) {
    Place();
}

void CSplitWnd::Place() {
    const int bar = m_bBar ? CVRView::kWidth : 0;
    const int image = m_bBar ? std::max(10, width() - bar) : width();
    if (m_pImage)
        m_pImage->setGeometry(0, 0, image, height());
    if (m_pBar && m_bBar)
        m_pBar->setGeometry(image, 0, bar, height());
}

// Sizing done by the frame itself: the view keeps its scales meanwhile.
class CPlaneChildFrame::CSizing {
public:
    explicit CSizing(CPlaneChildFrame& frame) : m_frame(frame) { ++m_frame.m_nSizing; }
    ~CSizing() { --m_frame.m_nSizing; }

private:
    CPlaneChildFrame& m_frame;
};

CPlaneChildFrame::CPlaneChildFrame(fw::CDocument* document, QWidget* parent)
    : CAdvChildFrame(document, parent) {
    m_pBody = new QWidget(this);
    auto* layout = new QVBoxLayout(m_pBody);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pStatus = new CStatusBarTop({QStringLiteral(" Scale:"), QStringLiteral("x "), QStringLiteral("y "),
                                   QStringLiteral(" Size:"), QStringLiteral(" x"), QStringLiteral(" y"),
                                   QStringLiteral(" z")},
                                  m_pBody);
    m_pSplit = new CSplitWnd(m_pBody);
    layout->addWidget(m_pStatus);
    layout->addWidget(m_pSplit, 1);
    setWidget(m_pBody);
    setAttribute(Qt::WA_DeleteOnClose);
}

CPlaneChildFrame::~CPlaneChildFrame() = default;

void CPlaneChildFrame::Init(CPlaneView* view) {
    m_pView = view;
    view->setFrameShape(QFrame::NoFrame);
    m_pSplit->SetPanes(view, nullptr);
    AddView(view);
    IPlaneModel& model = view->Model();
    model.Props().onScaleText = [this](int pane, const std::wstring& text) {
        SetPaneText(pane, (pane == kPaneHScale ? QStringLiteral("x- ") : QStringLiteral("y- ")) +
                              QString::fromStdWString(text));
    };
    if (fw::CMDIFrame* main = fw::CMDIFrame::Get()) {
        m_fill = std::make_unique<color::CFillCommands>(
            model.Converter(), model.Attenuator(), main->Commands(), *this, [this] { OnColorsChanged(); });
        if (auto* plain = dynamic_cast<CModel*>(&model))
            plain->SetCustomFill(&m_fill->CustomFill());
    }
    if (model.Props().m_bHeightBar && model.Props().m_bBarAllowed) {
        m_pBar = MakeBar();
        m_pSplit->SetPanes(view, m_pBar);
        m_pSplit->ShowBar(true);
    }
}

CVRView* CPlaneChildFrame::MakeBar() {
    return new CVRView(m_pView);
}

void CPlaneChildFrame::RemakeBar() {
    if (!m_pBar)
        return;
    const bool shown = m_pSplit->BarShown();
    delete m_pBar.data();
    m_pBar = MakeBar();
    m_pSplit->SetPanes(m_pView, m_pBar);
    m_pSplit->ShowBar(shown);
}

CVRView* CPlaneChildFrame::BarView() const {
    return m_pSplit->BarShown() ? m_pBar.data() : nullptr;
}

void CPlaneChildFrame::SetPaneText(int pane, const QString& text) {
    m_pStatus->SetPaneText(pane, text);
}

QString CPlaneChildFrame::PaneText(int pane) const {
    return m_pStatus->PaneText(pane);
}

int CPlaneChildFrame::MdiClientWidth() const {
    if (QMdiArea* area = mdiArea())
        return area->viewport()->width();
    if (fw::CMDIFrame* main = fw::CMDIFrame::Get())
        return main->MdiArea()->viewport()->width();
    return 0;
}

QSize CPlaneChildFrame::Extra() const {
    // The decorations: what the frame adds round its widget.
    const QSize decorations = sizeHint() - m_pBody->sizeHint();
    const int bar = m_pSplit->BarShown() ? CVRView::kWidth : 0;
    return QSize(std::max(0, decorations.width()) + bar,
                 std::max(0, decorations.height()) + m_pStatus->sizeHint().height());
}

int CPlaneChildFrame::BorderWidth() const {
    return std::max(0, (sizeHint() - m_pBody->sizeHint()).width());
}

QSize CPlaneChildFrame::FrameSizeFor(int width, int height) const {
    const rulers::CMargins m = m_pView->Model().RulerMargins(false);
    const QSize extra = Extra();
    return QSize(width + m.left + m.right + extra.width(), height + m.top + m.bottom + extra.height());
}

QSize CPlaneChildFrame::MinimumFrame() const {
    return FrameSizeFor(200, 200);
}

QSize CPlaneChildFrame::FittedFrame() const {
    const CProperties& props = m_pView->Model().Props();
    const CSize image = m_pView->ImageSize();
    QSize size = FrameSizeFor(image.width, image.height);
    const int most = MdiClientWidth();
    if (props.m_bDragDrop && image.width > 0 && size.width() > most && most > 0) {
        // The image scaled down to the client's width, its aspect kept.
        const double k = double(most - (size.width() - image.width)) / image.width;
        size = FrameSizeFor(qRound(image.width * k), qRound(image.height * k));
    }
    if (most > 0)
        size.setWidth(std::min(size.width(), most));
    return size;
}

void CPlaneChildFrame::InitialLayout() {
    CSizing sizing(*this);
    const doc::CDataDoc* surface = m_pView->GetSurface();
    if (surface)
        m_pView->Model().Drawer().SetSurfaceSize(surface->columns, surface->rows);
    // The part of the MDI client the new window should fit, by the image counter of its file.
    QSize client;
    if (QMdiArea* area = mdiArea())
        client = area->viewport()->size();
    else if (fw::CMDIFrame* main = fw::CMDIFrame::Get())
        client = main->MdiArea()->viewport()->size();
    int counter = 0;
    if (auto* document = dynamic_cast<doc::CVantriDoc*>(GetDocument()))
        if (doc::CVantriDocTemplate* type = document->GetVantriTemplate())
            counter = type->m_nImage;
    QSize target;
    if (counter == 0)
        target = QSize(int(client.width() * 0.75), int(client.height() * 0.75));
    else if (counter == 1)
        target = QSize(int(client.width() * 0.5), client.height());
    else
        target = QSize(int(client.width() * 0.5), int(client.height() * 0.5));
    const rulers::CMargins m = m_pView->Model().RulerMargins(false);
    const QSize extra = Extra();
    m_pView->ChooseInitialScale(target.width(), target.height(), m.left + m.right + extra.width(),
                                m.top + m.bottom + extra.height());
    m_pView->UpdateScaleBounds();
    const CSize image = m_pView->ImageSize();
    setMinimumSize(MinimumFrame().boundedTo(FrameSizeFor(image.width, image.height)));
    resize(FrameSizeFor(image.width, image.height));
    m_lastSize = size();
}

void CPlaneChildFrame::ResizeViewBy(int dw, int dh) {
    if (isMaximized() || (!dw && !dh))
        return;
    CSizing sizing(*this);
    resize(width() + dw, height() + dh);
    m_lastSize = size();
}

void CPlaneChildFrame::FitToImage() {
    if (isMaximized())
        return;
    const QSize fitted = FittedFrame();
    {
        CSizing sizing(*this);
        resize(fitted);
        m_lastSize = size();
    }
    m_pView->FitScaleToClient();
    m_pView->WriteSizePanes();
}

void CPlaneChildFrame::OnScalesChanged() {
    setMinimumSize(MinimumFrame().boundedTo(FittedFrame()));
}

void CPlaneChildFrame::OnTurned() {
    if (m_pView->Model().Props().m_bDragDrop)
        FitToImage();
    if (CVRView* bar = BarView())
        bar->UpdateBar();
}

void CPlaneChildFrame::OnSurfaceRebuilt() {
    if (CVRView* bar = BarView())
        bar->UpdateBar();
}

void CPlaneChildFrame::OnColorsChanged() {
    m_pView->Reupload();
    if (CVRView* bar = BarView())
        bar->Rebuild();
}

void CPlaneChildFrame::ShowHeightBar(bool shown) {
    CProperties& props = m_pView->Model().Props();
    if (shown == m_pSplit->BarShown() || (shown && !props.m_bBarAllowed))
        return;
    const int step = CVRView::kWidth;
    {
        CSizing sizing(*this);
        if (shown) {
            if (!m_pBar)
                m_pBar = MakeBar();
            m_pSplit->SetPanes(m_pView, m_pBar);
            // Grown by the bar when the MDI client has room; otherwise the image column gives it up.
            const int room = MdiClientWidth() - (x() + width());
            m_pSplit->ShowBar(true);
            if (!isMaximized() && !props.m_bDragDrop && room >= step)
                resize(width() + step, height());
        } else {
            m_pSplit->ShowBar(false);
            delete m_pBar.data();
            setMinimumSize(MinimumFrame().boundedTo(FittedFrame()));
            if (!isMaximized() && !props.m_bDragDrop)
                resize(width() - step, height());
        }
        m_lastSize = size();
    }
    props.m_bHeightBar = shown;
    m_pView->UpdateScaleBounds();
    if (props.m_bDragDrop)
        FitToImage();
    OnScalesChanged();
    m_pView->Invalidate();
}

void CPlaneChildFrame::ShowRulers(bool shown) {
    CProperties& props = m_pView->Model().Props();
    props.m_bRulers = shown;
    m_pView->Model().ShowRulers(shown);
    m_pView->UpdateScaleBounds();
    m_pView->ApplyLayout();
    FitToImage();
    OnScalesChanged();
}

bool CPlaneChildFrame::OnCommand(int id) {
    switch (id) {
    case ID_VIEW_RULERS:
        ShowRulers(!m_pView->Model().Props().m_bRulers);
        return true;
    case ID_VIEW_HEIGHT_BAR:
        ShowHeightBar(!m_pSplit->BarShown());
        return true;
    default:
        if (m_fill && m_fill->OnCommand(id))
            return true;
        return CAdvChildFrame::OnCommand(id);
    }
}

bool CPlaneChildFrame::OnUpdateCommand(int id, fw::CCmdState& state) const {
    switch (id) {
    case ID_VIEW_RULERS:
        state.enabled = true;
        state.checked = m_pView->Model().Props().m_bRulers;
        return true;
    case ID_VIEW_HEIGHT_BAR:
        state.enabled = m_pView->Model().Props().m_bBarAllowed;
        state.checked = m_pSplit->BarShown();
        return true;
    default:
        if (m_fill && m_fill->OnUpdateCommand(id, state))
            return true;
        return CAdvChildFrame::OnUpdateCommand(id, state);
    }
}

void CPlaneChildFrame::OnUpdateFrameTitle() {
    fw::CDocument* document = GetDocument();
    if (!document)
        return;
    QString title = QString::fromStdWString(document->GetTitle()) + TitleSuffix();
    if (const int number = GetWindowNumber(); number > 0)
        title += QStringLiteral(" : %1").arg(number);
    if (windowTitle() != title)
        setWindowTitle(title);
}

void CPlaneChildFrame::changeEvent(QEvent* event) {
    if (event->type() != QEvent::WindowStateChange || !m_pView) {
        CAdvChildFrame::changeEvent(event);
        return;
    }
    const Qt::WindowStates away = Qt::WindowMaximized | Qt::WindowMinimized;
    const Qt::WindowStates before = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    CProperties& props = m_pView->Model().Props();
    if (!(before & away) && (windowState() & away)) {
        m_fNormalHScale = props.m_fHScale;
        m_fNormalVScale = props.m_fVScale;
    }
    if (!(before & away) || (windowState() & away)) {
        CAdvChildFrame::changeEvent(event);
        if (isMaximized()) {
            m_pView->FitScaleToClient();
            m_pView->ApplyLayout();
            m_pView->WriteSizePanes();
        }
        return;
    }
    // Back to normal: the window takes its size and the view its scales from before.
    {
        CSizing sizing(*this);
        CAdvChildFrame::changeEvent(event);
        m_lastSize = size();
    }
    if (m_fNormalHScale > 0.0f) {
        props.SetHScale(m_fNormalHScale);
        props.SetVScale(m_fNormalVScale);
    }
    m_pView->UpdateScaleBounds();
    m_pView->ApplyLayout();
    OnScalesChanged();
    m_pView->WriteSizePanes();
}

void CPlaneChildFrame::resizeEvent(QResizeEvent* event) {
    CAdvChildFrame::resizeEvent(event);
    if (isMaximized() || isMinimized())
        return; // the normal size stays the reference of the next drag
    const QSize before = m_lastSize.isValid() ? m_lastSize : event->oldSize();
    m_lastSize = size();
    if (IsSizing() || !m_pView || !before.isValid())
        return;
    const CProperties& props = m_pView->Model().Props();
    QSize wanted = size();
    if (props.m_bLockAspect && props.m_bDragDrop) {
        // The aspect held while the image follows the frame: an edge moves the other pair of edges by
        // as much; a corner follows the cursor across and its side follows by the same amount.
        const int dw = width() - before.width(), dh = height() - before.height();
        if (dw != 0 && dh == 0)
            wanted.setHeight(height() + dw);
        else if (dh != 0 && dw == 0)
            wanted.setWidth(width() + dh);
        else if (dw != 0 && dh != 0)
            wanted.setHeight(before.height() + dw);
    }
    // No larger than the fitted frame.
    const QSize fitted = FittedFrame();
    if (wanted.width() > fitted.width() || wanted.height() > fitted.height()) {
        const double k =
            std::min(double(fitted.width()) / wanted.width(), double(fitted.height()) / wanted.height());
        if (props.m_bLockAspect && props.m_bDragDrop)
            wanted = QSize(before.width() + qRound((wanted.width() - before.width()) * k),
                           before.height() + qRound((wanted.height() - before.height()) * k));
        wanted = wanted.boundedTo(fitted);
    }
    // A step that would go below the smallest frame is not taken.
    if (wanted.width() < minimumWidth() || wanted.height() < minimumHeight())
        wanted = before;
    if (wanted != size()) {
        CSizing sizing(*this);
        resize(wanted);
        m_lastSize = size();
    }
    m_pView->FitScaleToClient();
    m_pView->WriteSizePanes();
}

} // namespace m2D
