#include "model/SurfaceApp.h"

#include <functional>
#include <map>
#include <memory>

#include "framework/fwDocTemplate.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "model/VantriDoc.h"
#include "model/VantriDocTemplate.h"
#include "model/WindowException.h"

namespace doc {

CSurfaceApp::CSurfaceApp() {
    SetDocManager(std::make_unique<CVantriDocManager>(dialogMemory));
}

fw::CDocument* CSurfaceApp::OpenOne(const std::function<fw::CDocument*()>& open) {
    fw::CDocument* opened = nullptr;
    try {
        opened = open();
    } catch (const CWindowException& e) {
        // The template closed the document again; the user learns why.
        fw::MessageBox(fw::FromUtf8(e.what()), fw::MsgButtons::Ok, fw::MsgIcon::Exclamation);
        opened = nullptr;
    }
    if (!opened)
        ++m_nFailed;
    return opened;
}

fw::CDocument* CSurfaceApp::OpenDocumentFile(const std::wstring& path) {
    if (m_nDepth > 0)
        return OpenOne([&] { return fw::CWinApp::OpenDocumentFile(path); });

    std::map<CVantriDocTemplate*, int> groupsBefore;
    for (fw::CDocTemplate* t : GetDocManager().GetTemplates())
        if (auto* vt = dynamic_cast<CVantriDocTemplate*>(t))
            groupsBefore[vt] = vt->m_nGroup;

    struct CDepth {
        int& depth;
        explicit CDepth(int& d) : depth(d) { ++depth; }
        ~CDepth() {
            --depth;
            CVantriDoc::s_pending = CVantriDoc::CPendingImage{};
        }
    } depth(m_nDepth);
    CVantriDoc::s_pending = CVantriDoc::CPendingImage{};
    fw::CDocument* opened = OpenOne([&] { return fw::CWinApp::OpenDocumentFile(path); });

    // The further images of the file, each once the one before it has opened: one after another, never
    // nested, and no more of them than one open can sensibly show.
    int images = 1;
    for (CVantriDoc::CPendingImage& next = CVantriDoc::s_pending; next.armed; ++images) {
        next.armed = false;
        if (images >= kMaxGroupImages) {
            const int left = next.previous ? next.previous->ImagesFrom(next.image) : 0;
            fw::MessageBox(L"Only the first " + std::to_wstring(kMaxGroupImages) +
                               L" images of this file are opened; " +
                               (left > 0 ? std::to_wstring(left) : std::wstring(L"the other")) +
                               L" images are left out.",
                           fw::MsgButtons::Ok, fw::MsgIcon::Exclamation);
            break;
        }
        fw::CDocTemplate* t = next.docTemplate;
        const std::wstring file = next.path;
        if (t)
            OpenOne([&] { return t->OpenDocumentFile(file); });
    }

    for (auto& [t, before] : groupsBefore) {
        // A later image that failed left its group unfinished: close the group so that the next file
        // does not share its number.
        if (t->m_nGroup == before && t->m_nImage != 0)
            ++t->m_nGroup;
        t->m_nImage = 0;
    }
    // The later images' windows came up after the first one's: the first image stays in front.
    if (opened && images > 1 && opened->GetDocTemplate())
        opened->GetDocTemplate()->ActivateFrame(*opened);
    // The first document of a group is image 0, or the first image a reader did not pass over.
    if (auto* doc = dynamic_cast<CVantriDoc*>(opened);
        doc && (doc->image == 0 || doc->GroupDocuments().front() == doc))
        m_pArrange = doc;
    return opened;
}

CVantriDoc* CSurfaceApp::TakeArrangeMark() {
    CVantriDoc* doc = m_pArrange;
    m_pArrange = nullptr;
    return doc;
}

void CSurfaceApp::ForgetDocument(const CVantriDoc* doc) {
    if (m_pArrange == doc)
        m_pArrange = nullptr;
}

} // namespace doc
