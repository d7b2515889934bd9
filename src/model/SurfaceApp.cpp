#include "model/SurfaceApp.h"

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

fw::CDocument* CSurfaceApp::OpenDocumentFile(const std::wstring& path) {
    std::map<CVantriDocTemplate*, int> groupsBefore;
    if (m_nDepth == 0)
        for (fw::CDocTemplate* t : GetDocManager().GetTemplates())
            if (auto* vt = dynamic_cast<CVantriDocTemplate*>(t))
                groupsBefore[vt] = vt->m_nGroup;

    fw::CDocument* opened = nullptr;
    ++m_nDepth;
    try {
        opened = fw::CWinApp::OpenDocumentFile(path);
    } catch (const CWindowException& e) {
        // The template closed the document again; the user learns why.
        fw::MessageBox(fw::FromUtf8(e.what()), fw::MsgButtons::Ok, fw::MsgIcon::Exclamation);
        opened = nullptr;
    } catch (...) {
        --m_nDepth;
        throw;
    }
    if (!opened)
        ++m_nFailed;
    if (--m_nDepth > 0)
        return opened;

    for (auto& [t, before] : groupsBefore) {
        // A later image that failed left its group unfinished: close the group so that the next file
        // does not share its number.
        if (t->m_nGroup == before && t->m_nImage != 0)
            ++t->m_nGroup;
        t->m_nImage = 0;
    }
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
