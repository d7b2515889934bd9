#pragma once
// The application object: one per process, reachable from anywhere as CWinApp::Get().
#include <memory>
#include <string>

#include "framework/fwCommand.h"
#include "framework/fwDocManager.h"

namespace fw {

class CDocument;

// The application is the last target of every command.
class CWinApp : public ICmdTarget {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The application in force, or null when none exists.
    static CWinApp* Get();

    CDocManager& GetDocManager() { return *m_pDocManager; }
    // Installs another manager (the window layer's, with its file dialog).
    void SetDocManager(std::unique_ptr<CDocManager> manager);

    virtual CDocument* OpenDocumentFile(const std::wstring& path);

    // Deferred work, called when the event queue has run dry with count 0, 1, 2, ... for as long as it
    // returns true; input starts the count again at 0.
    virtual bool OnIdle(long count);

    bool OnCommand(int) override { return false; }
    bool OnUpdateCommand(int, CCmdState&) const override { return false; }

private:
    std::unique_ptr<CDocManager> m_pDocManager;
};

} // namespace fw
