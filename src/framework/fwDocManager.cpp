#include "framework/fwDocManager.h"

#include <filesystem>

#include "framework/fwDocTemplate.h"
#include "framework/fwDocument.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"

namespace fw {

CDocManager::~CDocManager() = default;

CDocTemplate* CDocManager::AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate) {
    docTemplate->m_pManager = this;
    m_templates.push_back(std::move(docTemplate));
    return m_templates.back().get();
}

std::vector<CDocTemplate*> CDocManager::GetTemplates() const {
    std::vector<CDocTemplate*> list;
    for (const auto& t : m_templates)
        list.push_back(t.get());
    return list;
}

CDocument* CDocManager::OpenDocumentFile(const std::wstring& path) {
    const std::wstring full = FullPath(path);
    CDocTemplate* best = nullptr;
    CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
    CDocument* openDoc = nullptr;
    for (const auto& t : m_templates) {
        CDocument* match = nullptr;
        const CDocTemplate::Confidence c = t->MatchDocType(full, match);
        if (c > bestMatch) {
            bestMatch = c;
            best = t.get();
            if (c == CDocTemplate::yesAlreadyOpen) {
                openDoc = match;
                break;
            }
        }
    }
    if (openDoc) {
        best->ActivateFrame(*openDoc);
        return openDoc;
    }
    if (!best) {
        MessageBox(L"Failed to create empty document.", MsgButtons::Ok, MsgIcon::Exclamation);
        return nullptr;
    }
    return best->OpenDocumentFile(full);
}

bool CDocManager::DoPromptFileName(std::wstring&, int, unsigned, bool, CDocTemplate*) { return false; }

bool CDocManager::SaveAllModified() {
    for (const auto& t : m_templates)
        for (CDocument* doc : t->GetDocuments())
            if (!doc->SaveModified())
                return false;
    return true;
}

void CDocManager::CloseAllDocuments() {
    for (const auto& t : m_templates)
        t->CloseAllDocuments();
}

std::wstring FullPath(const std::wstring& path) {
    if (path.empty())
        return path;
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(ToUtf8(path)), ec);
    if (ec)
        return path;
    return FromUtf8(p.lexically_normal().string());
}

} // namespace fw
