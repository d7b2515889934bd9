#pragma once
// The application object: one per process, reachable from anywhere as CWinApp::Get().
#include <memory>
#include <string>

#include "framework/fwDocManager.h"

namespace fw {

class CDocument;

class CWinApp {
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

private:
    std::unique_ptr<CDocManager> m_pDocManager;
};

} // namespace fw
