#include "framework/fwApp.h"

#include "framework/fwDocManager.h"
#include "framework/fwDocTemplate.h"

namespace fw {

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() : m_pDocManager(std::make_unique<CDocManager>()) {
    g_app = this;
}

CWinApp::~CWinApp() {
    // Documents go before the templates and the application that reach them.
    m_pDocManager->CloseAllDocuments();
    if (g_app == this)
        g_app = nullptr;
}

CWinApp* CWinApp::Get() {
    return g_app;
}

void CWinApp::SetDocManager(std::unique_ptr<CDocManager> manager) {
    if (manager)
        m_pDocManager = std::move(manager);
}

bool CWinApp::OnIdle(long) {
    return false;
}

CDocument* CWinApp::OpenDocumentFile(const std::wstring& path) {
    return m_pDocManager->OpenDocumentFile(path);
}

} // namespace fw
