#include "app/MainFrame.h"

#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUrl>
#include <algorithm>

#include "analysis/qt/Profile.h"
#include "analysis/qt/Spectra.h"
#include "analysis/qt/StatView.h"
#include "analysis/qt/Statistics.h"
#include "app/AppCommands.h"
#include "app/Help.h"
#include "app/Placement.h"
#include "app/ToolIcons.h"
#include "framework/fwApp.h"
#include "framework/fwDocManager.h"
#include "framework/fwMessage.h"
#include "framework/qt/AdvChildFrame.h"
#include "framework/qt/fwCommandTable.h"
#include "framework/qt/fwMDIDocTemplate.h"
#include "framework/qt/fwQtPath.h"
#include "model/SurfaceCommands.h"
#include "model/VantriDocTemplate.h"
#include "model/WindowException.h"
#include "view2d/qt/AttToolBar.h"
#include "view2d/qt/Bump.h"
#include "view2d/qt/FillCommands.h"
#include "view2d/qt/PlaneChildFrame.h"
#include "view2d/qt/PlaneView.h"
#include "view2d/qt/View2D.h"
#include "view3d/qt/View3D.h"

namespace mframe {

namespace {

using CVantriMDITemplate = fw::TMDIDocTemplate<doc::CVantriDocTemplate>;

// The tool bars each kind of window shows besides the main and surface ones.
std::vector<int> KindToolBars(WindowKind kind) {
    switch (kind) {
    case kKind2D:
    case kKindCorrelation:
        return {131, 132};
    case kKindFourier:
        return {131, 132, 133};
    case kKindBump:
        return {134};
    case kKind3D:
        return {135};
    case kKindProfile:
        return {229};
    case kKindStatistics:
        return {136};
    default:
        return {};
    }
}

} // namespace

CMainFrame::CMainFrame() {
    RegisterAppCommands(Commands());
    SetCommandIcons(Commands());
    // A line finished on an image window opens its profile window.
    prof::InstallProfileOpener();
    m_pHelp = new CHelp(this);
    setObjectName(QStringLiteral("MainFrame"));
    // The client's background: the light grey of the stock brush.
    MdiArea()->setBackground(QColor(192, 192, 192));
    MdiArea()->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The lock-key indicators: shown, but greyed, since the desktop does not tell their state.
    for (const char* text : {"CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setEnabled(false);
        statusBar()->addPermanentWidget(label);
        m_indicators.append(label);
    }
    ToolBar(128);
    BuildNoDocMenu(*menuBar(), Commands());
    setAcceptDrops(true);
    gl::CglView::SetPrinterSettings([this](QPrinter& printer) {
        QPrinter& setup = Printer();
        printer.setPrinterName(setup.printerName());
        printer.setPageLayout(setup.pageLayout());
        printer.setColorMode(setup.colorMode());
        printer.setDuplex(setup.duplex());
        if (setup.outputFormat() == QPrinter::PdfFormat) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(setup.outputFileName());
        }
    });
}

CMainFrame::~CMainFrame() {
    gl::CglView::SetPrinterSettings(nullptr);
}

QPrinter& CMainFrame::Printer() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

QToolBar* CMainFrame::FindToolBar(int id) const {
    auto it = m_toolBars.find(id);
    return it == m_toolBars.end() ? nullptr : it->second.data();
}

QToolBar* CMainFrame::ToolBar(int id) {
    if (QToolBar* bar = FindToolBar(id))
        return bar;
    QToolBar* bar = nullptr;
    if (id == 131) {
        auto* att = new color::CAttToolBar(Commands(), this);
        att->SetSource([this]() -> const color::CAttenuator* {
            fw::CChildFrame* frame = GetActiveFrame();
            auto* plane = frame ? dynamic_cast<m2D::CPlaneView*>(frame->GetActiveView()) : nullptr;
            return plane ? &plane->Model().Attenuator() : nullptr;
        });
        bar = att;
    } else {
        const std::vector<int> buttons = ToolBarButtons(id);
        if (buttons.empty())
            return nullptr;
        bar = new QToolBar(this);
        for (int button : buttons) {
            if (button == 0) {
                bar->addSeparator();
                continue;
            }
            if (QAction* action = Commands().Action(button))
                bar->addAction(action);
        }
    }
    bar->setObjectName(QStringLiteral("ToolBar%1").arg(id));
    bar->setWindowTitle(QStringLiteral("Tool bar %1").arg(id));
    bar->setIconSize(QSize(16, 16)); // the pictures' grid
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    // Each new bar docks on the same row, right of the bars before it.
    addToolBar(Qt::TopToolBarArea, bar);
    m_toolBars[id] = bar;
    return bar;
}

void CMainFrame::ShowKindToolBars(WindowKind kind, bool shown) {
    if (shown && kind == kKind2D)
        ToolBar(133)->hide(); // made with the image bar, docked after it, shown by the spectrum only
    for (int id : KindToolBars(kind)) {
        QToolBar* bar = shown ? ToolBar(id) : FindToolBar(id);
        if (bar)
            bar->setVisible(shown);
    }
}

void CMainFrame::OnFrameActivated(fw::CChildFrame* frame, bool active) {
    auto* adv = dynamic_cast<CAdvChildFrame*>(frame);
    const WindowKind kind = adv ? adv->Kind() : kKindNone;
    if (active) {
        ToolBar(130);
        if (m_nKind != kind)
            ShowKindToolBars(m_nKind, false);
        m_nKind = kind;
        ShowKindToolBars(kind, true);
    } else {
        ShowKindToolBars(kind, false);
        if (m_nKind == kind)
            m_nKind = kKindNone;
    }
    UpdateMenu();
}

void CMainFrame::UpdateMenu() {
    const bool documents = !GetChildFrames().empty();
    if (documents == m_bDocMenu)
        return;
    m_bDocMenu = documents;
    if (documents)
        BuildDocMenu(*menuBar(), Commands());
    else
        BuildNoDocMenu(*menuBar(), Commands());
    for (QAction* top : menuBar()->actions())
        if (top->text() == QStringLiteral("&Window") && top->menu()) {
            QMenu* menu = top->menu();
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillWindowList(menu); });
        }
}

void CMainFrame::FillWindowList(QMenu* menu) {
    // The open windows under the commands, as "&1 title" to "&9 title", the active one checked.
    for (QAction* action : menu->actions())
        if (action->property("windowList").toBool())
            delete action;
    const QList<QMdiSubWindow*> windows = MdiArea()->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty())
        return;
    auto add = [menu](QAction* action) {
        action->setProperty("windowList", true);
        menu->addAction(action);
        return action;
    };
    add(new QAction(menu))->setSeparator(true);
    for (int k = 0; k < std::min<int>(kListedWindows, int(windows.size())); ++k) {
        QMdiSubWindow* window = windows[k];
        QAction* action =
            add(new QAction(QStringLiteral("&%1 %2").arg(k + 1).arg(window->windowTitle()), menu));
        action->setCheckable(true);
        action->setChecked(window == MdiArea()->activeSubWindow());
        connect(action, &QAction::triggered, this,
                [this, window = QPointer<QMdiSubWindow>(window)] { ActivateWindow(window); });
    }
    if (windows.size() > kListedWindows) {
        QAction* more = add(new QAction(QStringLiteral("&More Windows..."), menu));
        connect(more, &QAction::triggered, this, [this] { ChooseWindow(); });
    }
}

void CMainFrame::ActivateWindow(QMdiSubWindow* window) {
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    MdiArea()->setActiveSubWindow(window);
}

void CMainFrame::ChooseWindow() {
    const QList<QMdiSubWindow*> windows = MdiArea()->subWindowList(QMdiArea::CreationOrder);
    QStringList titles;
    for (QMdiSubWindow* window : windows)
        titles.append(window->windowTitle());
    const int active = int(windows.indexOf(MdiArea()->activeSubWindow()));
    bool chosen = false;
    const QString title =
        QInputDialog::getItem(this, QStringLiteral("Select Window"), QStringLiteral("Select &window:"),
                              titles, std::max(0, active), false, &chosen);
    const int k = int(titles.indexOf(title));
    if (chosen && k >= 0)
        ActivateWindow(windows[k]);
}

void CMainFrame::OnIdleUpdateCmdUI() {
    UpdateMenu();
    if (!GetActiveFrame() && m_nKind != kKindNone) {
        ShowKindToolBars(m_nKind, false);
        m_nKind = kKindNone;
    }
    fw::CMDIFrame::OnIdleUpdateCmdUI();
}

// Placing the children

void CMainFrame::Cascade() {
    const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight) +
                     style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const QList<QMdiSubWindow*> children = MdiArea()->subWindowList();
    const std::vector<QPoint> places = CascadePlaces(static_cast<int>(children.size()), step);
    for (int k = 0; k < children.size(); ++k) {
        if (children[k]->isMaximized() || children[k]->isMinimized())
            children[k]->showNormal();
        children[k]->move(places[std::size_t(k)]);
        children[k]->raise();
    }
}

void CMainFrame::Tile() {
    const QList<QMdiSubWindow*> children = MdiArea()->subWindowList();
    std::vector<QSize> sizes;
    for (QMdiSubWindow* child : children) {
        if (child->isMaximized() || child->isMinimized()) {
            child->showNormal();
            // An image window comes back at the size that holds its image.
            if (auto* plane = dynamic_cast<m2D::CPlaneChildFrame*>(child))
                plane->FitToImage();
        }
        sizes.push_back(child->size());
    }
    const std::vector<QPoint> places = TilePlaces(sizes, MdiArea()->viewport()->width());
    for (int k = 0; k < children.size(); ++k)
        children[k]->move(places[std::size_t(k)]);
}

void CMainFrame::ArrangeIcons() {
    // The minimised children in a row along the bottom of the client.
    int x = 0;
    const int bottom = MdiArea()->viewport()->height();
    for (QMdiSubWindow* child : MdiArea()->subWindowList())
        if (child->isMinimized()) {
            child->move(x, bottom - child->height());
            x += child->width();
        }
}

void CMainFrame::MoveBackLater(fw::CChildFrame* frame) {
    m_moveBack = frame;
}

void CMainFrame::MoveBackPending() {
    QPointer<fw::CChildFrame> frame = m_moveBack;
    m_moveBack = nullptr;
    if (!frame || frame->isMinimized() || frame->isMaximized())
        return;
    const QPoint at = MovedInside(frame->pos(), frame->size(), MdiArea()->viewport()->size());
    if (at != frame->pos())
        frame->move(at);
}

// Recent files

void CMainFrame::SetRecentFiles(const QStringList& files) {
    m_recent = files.mid(0, kRecentFiles);
    for (int k = 0; k < kRecentFiles; ++k) {
        QAction* action = Commands().Action(ID_FILE_MRU_FILE1 + k);
        if (!action)
            continue;
        if (k < m_recent.size()) {
            action->setText(QStringLiteral("&%1 %2").arg(k + 1).arg(QFileInfo(m_recent[k]).fileName()));
            action->setVisible(true);
        } else {
            // An empty list shows one disabled "Recent File" item.
            action->setText(QStringLiteral("Recent File"));
            action->setVisible(k == 0);
        }
    }
}

void CMainFrame::AddRecentFile(const QString& path) {
    QStringList files = m_recent;
    files.removeAll(path);
    files.prepend(path);
    SetRecentFiles(files);
}

// Commands

void CMainFrame::ShowSurfacePopup(int id) {
    std::unique_ptr<QMenu> menu(CreateSurfacePopup(id, Commands(), this));
    menu->exec(QCursor::pos());
}

void CMainFrame::OpenNewView() {
    fw::CChildFrame* active = GetActiveFrame();
    fw::CDocument* document = active ? active->GetDocument() : nullptr;
    auto* type = document ? dynamic_cast<CVantriMDITemplate*>(document->GetDocTemplate()) : nullptr;
    if (!type)
        return;
    fw::CChildFrame* frame = nullptr;
    try {
        frame = type->CreateNewFrame(*document, active);
        type->InitialUpdateFrame(frame, *document);
    } catch (const doc::CWindowException& e) {
        fw::MessageBox(QString::fromUtf8(e.what()).toStdWString(), fw::MsgButtons::Ok,
                       fw::MsgIcon::Exclamation);
        if (frame)
            frame->DestroyFrame();
    }
}

bool CMainFrame::OnCommand(int id) {
    switch (id) {
    case ID_APP_EXIT:
        close();
        return true;
    case ID_VIEW_STATUS_BAR:
        statusBar()->setVisible(!statusBar()->isVisible());
        return true;
    case ID_FILE_PRINT_SETUP: {
        QPageSetupDialog dialog(&Printer(), this);
        dialog.exec();
        return true;
    }
    case ID_VIEW_2D:
        OpenNewView();
        return true;
    case doc::ID_STATISTICS:
        if (fw::CChildFrame* active = GetActiveFrame(); active && active->GetDocument())
            statist::OpenStatistics(*active->GetDocument(), active);
        return true;
    case ID_VIEW_3D:
        if (fw::CChildFrame* active = GetActiveFrame(); active && active->GetDocument())
            m3D::Open3D(*active->GetDocument(), active);
        return true;
    case ID_VIEW_BUMP:
    case doc::ID_FOURIER:
    case doc::ID_AUTOCORRELATION:
        // Image windows, which a frame too narrow for any scale refuses.
        if (fw::CChildFrame* active = GetActiveFrame(); active && active->GetDocument()) {
            try {
                fw::CDocument& document = *active->GetDocument();
                if (id == ID_VIEW_BUMP)
                    bump::OpenBump(document, active);
                else if (id == doc::ID_FOURIER)
                    fourier::OpenSpectrum(document, active);
                else
                    correl::OpenCorrelation(document, active);
            } catch (const doc::CWindowException& e) {
                fw::MessageBox(QString::fromUtf8(e.what()).toStdWString(), fw::MsgButtons::Ok,
                               fw::MsgIcon::Exclamation);
            }
        }
        return true;
    case ID_HELP_INDEX:
        m_pHelp->Open(TopicOfKind(kKindNone));
        return true;
    case ID_HELP:
        m_pHelp->Open(TopicOfKind(m_nKind));
        return true;
    case ID_CONTEXT_HELP:
        m_pHelp->StartContextHelp();
        return true;
    case ID_WINDOW_CASCADE:
        Cascade();
        return true;
    case ID_WINDOW_TILE:
        Tile();
        return true;
    case ID_WINDOW_ARRANGE:
        ArrangeIcons();
        return true;
    case doc::ID_FILTER_POPUP:
    case doc::ID_MORPH_POPUP:
    case doc::ID_PLANE_POPUP:
    case doc::ID_FLATTING_POPUP:
        ShowSurfacePopup(id);
        return true;
    default:
        return false;
    }
}

bool CMainFrame::OnUpdateCommand(int id, fw::CCmdState& state) const {
    switch (id) {
    case ID_APP_EXIT:
    case ID_FILE_PRINT_SETUP:
    case ID_HELP_INDEX:
    case ID_HELP:
    case ID_CONTEXT_HELP:
        state.enabled = true;
        return true;
    case ID_VIEW_STATUS_BAR:
        state.enabled = true;
        state.checked = statusBar()->isVisible();
        return true;
    case doc::ID_STATISTICS:
    case doc::ID_FOURIER:
    case doc::ID_AUTOCORRELATION:
    case ID_VIEW_3D:
    case ID_VIEW_BUMP:
    case ID_VIEW_2D: {
        const fw::CChildFrame* active = GetActiveFrame();
        state.enabled = active && active->GetDocument() &&
                        dynamic_cast<CVantriMDITemplate*>(active->GetDocument()->GetDocTemplate());
        return true;
    }
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE:
    case ID_WINDOW_ARRANGE:
        state.enabled = !GetChildFrames().empty();
        return true;
    case doc::ID_FILTER_POPUP:
    case doc::ID_MORPH_POPUP:
    case doc::ID_PLANE_POPUP:
    case doc::ID_FLATTING_POPUP:
        state.enabled = GetActiveFrame() != nullptr;
        return true;
    default:
        return false;
    }
}

// Dropped files

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    event->acceptProposedAction();
    activateWindow();
    if (fw::CWinApp* app = fw::CWinApp::Get())
        for (const QString& path : paths)
            app->OpenDocumentFile(fw::FromQPath(path));
}

} // namespace mframe
