#pragma once
// The application: start-up, the document types with their 2D windows, opening files (dialog, recent
// files, command line, dropped files), the deferred view updates, the arrangement of a new group, and
// the settings kept between runs.
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/SurfaceApp.h"

namespace fw {
class CView;
}

namespace mframe {

class CMainFrame;

class CVantriApp : public doc::CSurfaceApp {
public:
    CVantriApp();
    ~CVantriApp() override;

    static CVantriApp* Get();

    // The start-up: settings, document types, the main frame shown maximised, then the files given.
    // False when the main frame could not be made.
    bool InitInstance(const std::vector<std::wstring>& files);
    bool InitInstance(const QStringList& files);
    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

    // Opens as the application does; a file that opens goes to the top of the recent files.
    fw::CDocument* OpenDocumentFile(const std::wstring& path) override;
    // The Open command: the file dialog, then the open.
    void OnFileOpen();

    // Asks for a view's deferred update at the next idle pass; an equal pair already waiting is enough.
    void QueueUpdate(fw::CView* view, long hint);
    std::size_t QueuedUpdates() const { return m_updates.size(); }

    bool OnIdle(long count) override;
    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, fw::CCmdState& state) const override;

    // The settings: the dialog memory ("Settings/Profile", 10 bytes) and the recent files.
    void LoadSettings();
    void SaveProfile();
    void SaveRecentFiles();

private:
    void DrainUpdates();
    void ArrangeMarkedGroup();

    std::unique_ptr<CMainFrame> m_pMainFrame;
    std::deque<std::pair<fw::CView*, long>> m_updates;
    struct CDialogs;
    std::unique_ptr<CDialogs> m_dialogs;
};

} // namespace mframe
