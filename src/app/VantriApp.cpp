#include "app/VantriApp.h"

#include <QApplication>
#include <QMdiArea>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <algorithm>

#include "app/AboutDlg.h"
#include "app/AppCommands.h"
#include "app/MainFrame.h"
#include "app/Placement.h"
#include "app/ToolIcons.h"
#include "formats/qt/AdvFileDialog.h"
#include "framework/fwDocManager.h"
#include "framework/fwDocTemplate.h"
#include "framework/fwDocument.h"
#include "framework/qt/fwBusyCursor.h"
#include "framework/qt/fwChildFrame.h"
#include "framework/qt/fwQtPath.h"
#include "model/ArrangeGroup.h"
#include "model/OpenDialog.h"
#include "model/VantriDoc.h"
#include "processing/Busy.h"
#include "processing/qt/SetCorePrompt.h"
#include "view2d/qt/View2D.h"

namespace mframe {

namespace {

CVantriApp* g_app = nullptr;

QSettings Settings() {
    return QSettings(QStringLiteral("Ardwyn"), QStringLiteral("Vantri"));
}

} // namespace

// The dialogs the core asks through: the file dialog of the document manager and the kernel dialog
// of the custom filters and morphology.
struct CVantriApp::CDialogs {
    CDialogs(doc::CDialogMemory& memory, QWidget* owner) : files(memory, owner), kernel(owner) {}
    doc::CAdvFileDialog files;
    doc::CSetCorePrompt kernel;
};

CVantriApp::CVantriApp() {
    g_app = this;
}

CVantriApp::~CVantriApp() {
    doc::SetKernelPrompt(nullptr);
    if (auto* manager = dynamic_cast<doc::CVantriDocManager*>(&GetDocManager()))
        manager->SetFileDialog(nullptr);
    GetDocManager().CloseAllDocuments();
    m_dialogs.reset();
    m_pMainFrame.reset();
    if (g_app == this)
        g_app = nullptr;
}

CVantriApp* CVantriApp::Get() {
    return g_app;
}

bool CVantriApp::InitInstance(const QStringList& files) {
    std::vector<std::wstring> paths;
    for (const QString& file : files)
        paths.push_back(fw::FromQPath(file));
    return InitInstance(paths);
}

bool CVantriApp::InitInstance(const std::vector<std::wstring>& files) {
    // Every window, message box and dialog shows it in its title bar.
    QApplication::setWindowIcon(AppIcon());
    // Long work shows the busy cursor; the core's loops report through the same hook.
    fw::CBusyCursor::Install();
    doc::busy::SetListener(&fw::CBusyCursor::Tick);
    LoadSettings();
    m2D::Register2DDocTypes(*this);
    m_pMainFrame = std::make_unique<CMainFrame>();
    m_dialogs = std::make_unique<CDialogs>(dialogMemory, m_pMainFrame.get());
    if (auto* manager = dynamic_cast<doc::CVantriDocManager*>(&GetDocManager()))
        manager->SetFileDialog(&m_dialogs->files);
    doc::SetKernelPrompt(&m_dialogs->kernel);
    QSettings settings = Settings();
    QStringList recent;
    settings.beginGroup(QStringLiteral("Recent File List"));
    for (int k = 1; k <= kRecentFiles; ++k) {
        const QString path = settings.value(QStringLiteral("File%1").arg(k)).toString();
        if (!path.isEmpty())
            recent.append(path);
    }
    settings.endGroup();
    m_pMainFrame->SetRecentFiles(recent);
    // The whole screen also where no window manager maximises (a bare X server).
    if (QScreen* screen = QGuiApplication::primaryScreen())
        m_pMainFrame->setGeometry(screen->availableGeometry());
    m_pMainFrame->showMaximized();
    // Every file given opens; one that fails is reported by its reader and the others still open.
    for (const std::wstring& file : files)
        OpenDocumentFile(file);
    m_pMainFrame->showMaximized();
    return true;
}

fw::CDocument* CVantriApp::OpenDocumentFile(const std::wstring& path) {
    fw::CDocument* opened = doc::CSurfaceApp::OpenDocumentFile(path);
    // A file Qt cannot name stays out of the list, which would reopen another file in its place.
    const QString recent = opened ? fw::ToQPath(opened->GetPathName()) : QString();
    if (!recent.isEmpty() && m_pMainFrame) {
        m_pMainFrame->AddRecentFile(recent);
        SaveRecentFiles();
    }
    return opened;
}

void CVantriApp::OnFileOpen() {
    std::wstring path;
    if (!GetDocManager().DoPromptFileName(path, 0, doc::kDialogHideReadOnly, true, nullptr))
        return;
    std::vector<std::wstring> files{path};
    if (auto* manager = dynamic_cast<doc::CVantriDocManager*>(&GetDocManager()))
        files = manager->ChosenFiles();
    // One after another, as from the command line; each group placed before the next opens, so that
    // none covers another.
    for (const std::wstring& file : files) {
        OpenDocumentFile(file);
        ArrangeMarkedGroup();
    }
}

// Deferred work

void CVantriApp::QueueUpdate(fw::CView* view, long hint) {
    const std::pair<fw::CView*, long> item{view, hint};
    if (std::find(m_updates.begin(), m_updates.end(), item) == m_updates.end())
        m_updates.push_back(item);
}

void CVantriApp::DrainUpdates() {
    // Items queued while draining are drained too; a view that went away is passed over.
    while (!m_updates.empty()) {
        const auto [view, hint] = m_updates.front();
        m_updates.pop_front();
        bool alive = false;
        for (fw::CDocTemplate* type : GetDocManager().GetTemplates())
            for (fw::CDocument* document : type->GetDocuments()) {
                const auto& views = document->GetViews();
                alive = alive || std::find(views.begin(), views.end(), view) != views.end();
            }
        if (alive)
            view->OnDeferredUpdate(hint);
    }
}

void CVantriApp::ArrangeMarkedGroup() {
    doc::CVantriDoc* marked = TakeArrangeMark();
    if (!marked || !m_pMainFrame)
        return;
    const std::vector<fw::CChildFrame*> markedFrames = fw::CChildFrame::FramesOf(*marked);
    if (markedFrames.empty())
        return;
    std::vector<doc::CGroupFrame> frames;
    std::vector<fw::CChildFrame*> windows;
    for (doc::CVantriDoc* document : marked->GroupDocuments()) {
        const std::vector<fw::CChildFrame*> of = fw::CChildFrame::FramesOf(*document);
        if (of.empty())
            continue;
        frames.push_back({document->image, of.front()->width(), of.front()->height()});
        windows.push_back(of.front());
    }
    QStyle* style = m_pMainFrame->style();
    const int caption =
        style->pixelMetric(QStyle::PM_TitleBarHeight) + style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    // The group laid out from (0, 0), then the whole block put where it covers no earlier window.
    std::vector<QRect> places;
    QRect block;
    const std::vector<doc::CFramePos> arranged = doc::ArrangeGroup(
        0, 0, markedFrames.front()->width(), markedFrames.front()->height(), caption, frames);
    for (std::size_t k = 0; k < windows.size() && k < arranged.size(); ++k) {
        places.emplace_back(QPoint(arranged[k].x, arranged[k].y), windows[k]->size());
        block = block.united(places.back());
    }
    std::vector<QRect> open;
    for (fw::CChildFrame* frame : m_pMainFrame->GetChildFrames())
        if (std::find(windows.begin(), windows.end(), frame) == windows.end() && frame->isVisible() &&
            !frame->isMinimized() && !frame->isMaximized())
            open.push_back(frame->geometry());
    const QPoint at = FreePlace(block.size(), open, m_pMainFrame->MdiArea()->viewport()->size(), caption);
    for (std::size_t k = 0; k < places.size(); ++k) {
        windows[k]->move(places[k].topLeft() - block.topLeft() + at);
        windows[k]->raise();
        windows[k]->show();
    }
}

bool CVantriApp::OnIdle(long count) {
    if (count == 0) {
        DrainUpdates();
        ArrangeMarkedGroup();
        if (m_pMainFrame)
            m_pMainFrame->MoveBackPending();
        if (dialogMemory.changed) {
            dialogMemory.changed = false;
            SaveProfile();
        }
    }
    return doc::CSurfaceApp::OnIdle(count);
}

// Settings

void CVantriApp::LoadSettings() {
    QSettings settings = Settings();
    const QByteArray profile = settings.value(QStringLiteral("Settings/Profile")).toByteArray();
    if (profile.isEmpty()) {
        dialogMemory.changed = true; // the defaults are written at the first idle pass
        return;
    }
    dialogMemory.LoadProfile(reinterpret_cast<const unsigned char*>(profile.constData()),
                             static_cast<std::size_t>(profile.size()));
    dialogMemory.changed = false;
}

void CVantriApp::SaveProfile() {
    const auto bytes = dialogMemory.Profile();
    QSettings settings = Settings();
    settings.setValue(
        QStringLiteral("Settings/Profile"),
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())));
}

void CVantriApp::SaveRecentFiles() {
    if (!m_pMainFrame)
        return;
    QSettings settings = Settings();
    settings.beginGroup(QStringLiteral("Recent File List"));
    const QStringList& recent = m_pMainFrame->RecentFiles();
    for (int k = 1; k <= kRecentFiles; ++k) {
        if (k <= recent.size())
            settings.setValue(QStringLiteral("File%1").arg(k), recent[k - 1]);
        else
            settings.remove(QStringLiteral("File%1").arg(k));
    }
    settings.endGroup();
}

// Commands

bool CVantriApp::OnCommand(int id) {
    switch (id) {
    case ID_FILE_OPEN:
        OnFileOpen();
        return true;
    case ID_APP_ABOUT: {
        CAboutDlg about(m_pMainFrame.get());
        about.exec();
        return true;
    }
    case ID_CLOSE_ALL:
        if (GetDocManager().SaveAllModified())
            GetDocManager().CloseAllDocuments();
        if (m_pMainFrame)
            m_pMainFrame->MoveBackLater(nullptr);
        return true;
    default:
        if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFiles && m_pMainFrame) {
            const QStringList recent = m_pMainFrame->RecentFiles();
            const int k = id - ID_FILE_MRU_FILE1;
            if (k < recent.size() && !OpenDocumentFile(fw::FromQPath(recent[k]))) {
                // A file that no longer opens leaves the list.
                QStringList rest = recent;
                rest.removeAt(k);
                m_pMainFrame->SetRecentFiles(rest);
                SaveRecentFiles();
            }
            return true;
        }
        return doc::CSurfaceApp::OnCommand(id);
    }
}

bool CVantriApp::OnUpdateCommand(int id, fw::CCmdState& state) const {
    switch (id) {
    case ID_FILE_OPEN:
    case ID_APP_ABOUT:
        state.enabled = true;
        return true;
    case ID_CLOSE_ALL:
        state.enabled = m_pMainFrame && !m_pMainFrame->GetChildFrames().empty();
        return true;
    default:
        if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFiles) {
            state.enabled = m_pMainFrame && id - ID_FILE_MRU_FILE1 < m_pMainFrame->RecentFiles().size();
            return true;
        }
        return doc::CSurfaceApp::OnUpdateCommand(id, state);
    }
}

} // namespace mframe
