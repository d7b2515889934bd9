#include "framework/fwDocTemplate.h"

#include <algorithm>
#include <cwctype>

#include "framework/fwDocManager.h"
#include "framework/fwDocument.h"
#include "framework/fwText.h"

namespace fw {

CDocTemplate::CDocTemplate(std::wstring docString, Factory factory)
    : m_strDocString(std::move(docString)), m_factory(std::move(factory)) {}

CDocTemplate::~CDocTemplate() = default;

bool CDocTemplate::GetDocString(std::wstring& field, DocStringIndex index) const {
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = m_strDocString.find(L'\n', start);
        if (start == std::wstring::npos) {
            field.clear();
            return false;
        }
        ++start;
    }
    const std::size_t end = m_strDocString.find(L'\n', start);
    field = m_strDocString.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    return !field.empty();
}

CDocTemplate::Confidence CDocTemplate::MatchDocType(const std::wstring& path, CDocument*& match) {
    match = FindOpenDocument(path);
    if (match)
        return yesAlreadyOpen;
    std::wstring filter;
    if (GetDocString(filter, filterExt)) {
        const std::wstring ext = fw::PathExtension(path);
        std::size_t start = 0;
        while (start <= filter.size()) {
            std::size_t end = filter.find(L';', start);
            std::wstring one =
                filter.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
            if (!one.empty() && one[0] == L'*')
                one.erase(0, 1);
            if (!ext.empty() && fw::SameTextNoCase(one, ext))
                return yesAttemptNative;
            if (end == std::wstring::npos)
                break;
            start = end + 1;
        }
    }
    return yesAttemptForeign;
}

CDocument* CDocTemplate::OpenDocumentFile(const std::wstring& path) {
    std::unique_ptr<CDocument> created = m_factory();
    if (!created)
        return nullptr;
    CDocument* doc = created.get();
    doc->m_pDocTemplate = this;
    m_docs.push_back(std::move(created));
    // Whatever fails or throws on the way (the frame, the load, the first showing) takes the new
    // document away again, so that no half-made document stays listed.
    try {
        if (!CreateFrame(*doc) || !doc->OnOpenDocument(path)) {
            CloseDocument(doc);
            return nullptr;
        }
        // Only now, after a load that may have opened the file's further images, does the document
        // own the path; until then the file is not "already open" for the manager.
        doc->SetPathName(path);
        InitialUpdateFrame(*doc);
    } catch (...) {
        CloseDocument(doc);
        throw;
    }
    return doc;
}

CDocument* CDocTemplate::FindOpenDocument(const std::wstring& path) const {
    for (const auto& doc : m_docs)
        if (!doc->GetPathName().empty() && SameFile(doc->GetPathName(), path))
            return doc.get();
    return nullptr;
}

std::vector<CDocument*> CDocTemplate::GetDocuments() const {
    std::vector<CDocument*> docs;
    for (const auto& doc : m_docs)
        docs.push_back(doc.get());
    return docs;
}

void CDocTemplate::CloseDocument(CDocument* document) {
    auto it =
        std::find_if(m_docs.begin(), m_docs.end(), [document](const auto& d) { return d.get() == document; });
    if (it == m_docs.end())
        return;
    DestroyFrame(**it);
    // Take it out of the list before destroying it, so that nothing can reach a half-destroyed document.
    std::unique_ptr<CDocument> doomed = std::move(*it);
    m_docs.erase(it);
}

void CDocTemplate::CloseAllDocuments() {
    while (!m_docs.empty())
        CloseDocument(m_docs.back().get());
}

} // namespace fw
