#include "framework/fwDocument.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/fwApp.h"
#include "framework/fwArchive.h"
#include "framework/fwDocManager.h"
#include "framework/fwDocTemplate.h"
#include "framework/fwException.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"

namespace fw {

namespace {

// A temporary file in the folder of the target, so that the final rename stays on one file system.
struct CTempFile {
    std::string path;
    bool keep = false;

    ~CTempFile() {
        if (!path.empty() && !keep)
            ::unlink(path.c_str());
    }
};

mode_t NewFileMode(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0)
        return st.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

CView::~CView() {
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

CDocument::~CDocument() {
    for (CView* view : m_views)
        view->m_pDocument = nullptr;
}

void CDocument::SetPathName(const std::wstring& path, bool) {
    m_strPathName = FullPath(path);
    const std::string utf8 = ToUtf8(m_strPathName);
    SetTitle(FromUtf8(std::filesystem::path(utf8).filename().string()));
}

void CDocument::SetTitle(const std::wstring& title) { m_strTitle = title; }

void CDocument::AddView(CView* view) {
    if (!view || std::find(m_views.begin(), m_views.end(), view) != m_views.end())
        return;
    m_views.push_back(view);
    view->m_pDocument = this;
}

void CDocument::RemoveView(CView* view) {
    auto it = std::find(m_views.begin(), m_views.end(), view);
    if (it == m_views.end())
        return;
    m_views.erase(it);
    view->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* sender, long hint, void* pHint) {
    // A view may add or remove views while it updates; walk a copy.
    const std::vector<CView*> views = m_views;
    for (CView* view : views)
        if (view != sender && std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->OnUpdate(sender, hint, pHint);
}

bool CDocument::OnOpenDocument(const std::wstring& path) {
    try {
        CFile file;
        file.Open(path, CFile::modeRead);
        CArchive ar(file, CArchive::load);
        Serialize(ar);
    } catch (const std::exception&) { // our own exceptions derive from it too
        ReportSaveLoadException(path, std::current_exception(), false);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const std::wstring& path) {
    const std::string target = ToUtf8(FullPath(path));
    CTempFile temp;
    try {
        std::filesystem::path where(target);
        std::string pattern = (where.parent_path() / ("." + where.filename().string() + ".XXXXXX")).string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const mode_t mode = NewFileMode(target);
        int fd = ::mkstemp(name.data());
        if (fd < 0)
            throw CFileException(L"Cannot create a file beside " + FromUtf8(target) + L": " +
                                 FromUtf8(std::strerror(errno)));
        temp.path = name.data();
        ::fchmod(fd, mode);
        std::FILE* stream = ::fdopen(fd, "wb");
        if (!stream) {
            ::close(fd);
            throw CFileException(L"Cannot write " + FromUtf8(temp.path));
        }
        CFile file;
        file.Attach(stream, FromUtf8(temp.path));
        CArchive ar(file, CArchive::store);
        Serialize(ar);
        file.Close();
        if (std::rename(temp.path.c_str(), target.c_str()) != 0)
            throw CFileException(L"Cannot replace " + FromUtf8(target) + L": " + FromUtf8(std::strerror(errno)));
        temp.keep = true;
    } catch (const std::exception&) { // our own exceptions derive from it too
        ReportSaveLoadException(path, std::current_exception(), true);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

void CDocument::Serialize(CArchive&) {}

bool CDocument::DoSave(const std::wstring& path, bool replace) {
    std::wstring name = path;
    if (name.empty()) {
        name = m_strPathName.empty() ? m_strTitle : m_strPathName;
        CWinApp* app = CWinApp::Get();
        if (!app || !app->GetDocManager().DoPromptFileName(name, 0, 0, false, m_pDocTemplate))
            return false;
    }
    if (!OnSaveDocument(name))
        return false;
    if (replace)
        SetPathName(name);
    return true;
}

bool CDocument::DoFileSave() { return DoSave(m_strPathName); }

bool CDocument::SaveModified() {
    if (!IsModified())
        return true;
    // The file's own name, not the title, which a document type may have decorated.
    std::wstring name = m_strTitle;
    if (!m_strPathName.empty())
        name = FromUtf8(std::filesystem::path(ToUtf8(m_strPathName)).filename().string());
    if (name.empty())
        name = L"Untitled";
    switch (MessageBox(L"Save changes to " + name + L"?", MsgButtons::YesNoCancel, MsgIcon::Exclamation)) {
    case MsgAnswer::Cancel:
        return false;
    case MsgAnswer::Yes:
        return DoFileSave();
    case MsgAnswer::No:
    case MsgAnswer::Ok:
        break;
    }
    return true;
}

void CDocument::ReportSaveLoadException(const std::wstring& path, const std::exception_ptr& error, bool saving) {
    std::wstring text = saving ? L"Failed to save document." : L"Failed to open document.";
    try {
        std::rethrow_exception(error);
    } catch (const CException& e) {
        if (e.reported)
            return;
        text += L"\n" + e.GetErrorMessage();
    } catch (const std::bad_alloc&) {
        text += L"\nNot enough memory for " + path + L".";
    } catch (const std::exception& e) {
        text += L"\n" + FromUtf8(e.what());
    }
    MessageBox(text, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace fw
