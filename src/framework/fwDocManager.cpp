#include "framework/fwDocManager.h"

#include <algorithm>
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

bool CDocManager::DoPromptFileName(std::wstring&, int, unsigned, bool, CDocTemplate*) {
    return false;
}

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
    namespace fs = std::filesystem;
    if (path.empty())
        return path;
    std::error_code ec;
    const fs::path p = fs::absolute(fs::path(ToUtf8(path)), ec);
    if (ec)
        return path;
    // Taken by its letters, ".." after a symbolic link to a folder would lead beside the link
    // instead of beside its target; such a path is resolved on the disk. Other paths keep the
    // folders they were given by, as the user knows them.
    if (std::find(p.begin(), p.end(), fs::path("..")) != p.end()) {
        const fs::path name = p.filename();
        const bool plainName = !name.empty() && name != "." && name != "..";
        // The file's own name stays, so that a link to a file keeps its name.
        fs::path resolved =
            plainName ? fs::weakly_canonical(p.parent_path(), ec) / name : fs::weakly_canonical(p, ec);
        if (!ec)
            return FromUtf8(resolved.string());
    }
    return FromUtf8(p.lexically_normal().string());
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    namespace fs = std::filesystem;
    const fs::path pa(ToUtf8(a));
    const fs::path pb(ToUtf8(b));
    std::error_code ec;
    if (fs::exists(pa, ec) && fs::exists(pb, ec)) {
        const bool same = fs::equivalent(pa, pb, ec);
        return same && !ec;
    }
    // A file that is not there is known by its path alone.
    const std::wstring fa = FullPath(a);
    const std::wstring fb = FullPath(b);
#ifdef _WIN32
    return SameTextNoCase(fa, fb);
#else
    return fa == fb;
#endif
}

} // namespace fw
