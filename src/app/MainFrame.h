#pragma once
// The main frame: the MDI client, menu 128 or the document menu, the tool bars that follow the kind
// of the active window, the status bar, the Window menu's placements, dropped files and the recent
// files.
#include <QPointer>
#include <QStringList>
#include <map>

#include "framework/qt/AdvChildFrame.h"
#include "framework/qt/fwMDIFrame.h"

class QLabel;
class QMenu;
class QMdiSubWindow;
class QPrinter;
class QToolBar;

namespace color {
class CAttToolBar;
}

namespace mframe {

class CHelp;

class CMainFrame : public fw::CMDIFrame {
    Q_OBJECT
public:
    CMainFrame();
    ~CMainFrame() override;

    // The tool bar of a resource id (128 main, 130 surface, 131 brightness/contrast, 132 image, 133
    // logarithm), made on first need; null for ids this window has none of.
    QToolBar* ToolBar(int id);
    QToolBar* FindToolBar(int id) const;
    // The kind of the active window; kKindNone without one.
    WindowKind ActiveKind() const { return m_nKind; }

    // The Window menu's placements.
    void Cascade();
    void Tile();
    void ArrangeIcons();
    // Moves the remembered frame back inside the client area (the idle pass's step).
    void MoveBackPending();

    // The recent files, most recent first; the menu items follow.
    void SetRecentFiles(const QStringList& files);
    const QStringList& RecentFiles() const { return m_recent; }
    void AddRecentFile(const QString& path);

    QPrinter& Printer();
    // Help Topics, F1 and context help.
    CHelp& Help() const { return *m_pHelp; }

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;
    void OnFrameActivated(fw::CChildFrame* frame, bool active) override;
    void MoveBackLater(fw::CChildFrame* frame) override;
    void OnIdleUpdateCmdUI() override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ShowKindToolBars(WindowKind kind, bool shown);
    void UpdateMenu();
    // The Window menu's list of the open windows, made each time the menu opens.
    static constexpr int kListedWindows = 9;
    void FillWindowList(QMenu* menu);
    void ActivateWindow(QMdiSubWindow* window);
    void ChooseWindow();
    void ShowSurfacePopup(int id);
    void OpenNewView();

    WindowKind m_nKind = kKindNone;
    bool m_bDocMenu = false;
    std::map<int, QPointer<QToolBar>> m_toolBars;
    QPointer<fw::CChildFrame> m_moveBack;
    QStringList m_recent;
    std::unique_ptr<QPrinter> m_printer;
    QList<QLabel*> m_indicators;
    CHelp* m_pHelp = nullptr;
};

} // namespace mframe
