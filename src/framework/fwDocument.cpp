#include "framework/fwDocument.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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

namespace fs = std::filesystem;

std::wstring SystemError(int error) {
    return FromUtf8(std::strerror(error));
}

// A descriptor closed when it goes.
struct CFd {
    int fd = -1;
    explicit CFd(int d) : fd(d) {}
    ~CFd() {
        if (fd >= 0)
            ::close(fd);
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
};

// A temporary file in the folder of the target, so that the final rename stays on one file system.
struct CTempFile {
    std::string path;
    bool keep = false;

    ~CTempFile() {
        if (!path.empty() && !keep)
            ::unlink(path.c_str());
    }
};

// The file a save replaces: links followed, so that a symbolic link stays a link and its target gets
// the data; a link to a file not there yet makes that file.
struct CTarget {
    std::string path;
    std::string folder;
    bool exists = false;
    struct stat st {};
};

std::string FollowLinks(std::string path) {
    for (int level = 0; level < 40; ++level) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> text(std::max<std::size_t>(static_cast<std::size_t>(st.st_size), PATH_MAX) + 1);
        const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
        if (n < 0 || static_cast<std::size_t>(n) >= text.size())
            throw CFileException(L"Cannot follow the link " + FromUtf8(path) + L": " + SystemError(errno));
        fs::path next(std::string(text.data(), static_cast<std::size_t>(n)));
        // Not normalised: ".." after a linked folder is for the system to resolve.
        path = next.is_absolute() ? next.string() : (fs::path(path).parent_path() / next).string();
    }
    throw CFileException(FromUtf8(path) + L": " + SystemError(ELOOP));
}

CTarget FindTarget(const std::wstring& path) {
    CTarget t;
    t.path = FollowLinks(ToUtf8(FullPath(path)));
    if (char* real = ::realpath(t.path.c_str(), nullptr)) {
        t.path = real;
        std::free(real);
    }
    t.folder = fs::path(t.path).parent_path().string();
    const std::wstring name = FromUtf8(t.path);
    if (::stat(t.path.c_str(), &t.st) == 0) {
        t.exists = true;
        if (!S_ISREG(t.st.st_mode))
            throw CFileException(name + L" is not a regular file: it cannot be replaced.");
        // A file with no write permission for anyone was marked read-only by its owner: the superuser,
        // whom access() lets through, does not replace it either.
        if ((t.st.st_mode & 0222) == 0 || ::access(t.path.c_str(), W_OK) != 0)
            throw CFileException(name + L" is read-only: the file cannot be replaced.");
    } else if (errno != ENOENT) {
        throw CFileException(L"Cannot save " + name + L": " + SystemError(errno));
    }
    if (::access(t.folder.c_str(), W_OK) != 0) {
        const int error = errno;
        if (error == EACCES || error == EROFS)
            throw CFileException(L"The folder " + FromUtf8(t.folder) + L" is read-only: " + name +
                                 L" cannot be saved there.");
        throw CFileException(L"Cannot save " + name + L": " + SystemError(error));
    }
    return t;
}

// Creates the temporary file, open in file. One that is to replace the target gets the target's owner,
// group and mode; one that only feeds a copy in place stays private.
void CreateTemp(const CTarget& target, bool replaces, CTempFile& temp, CFile& file) {
    // A short fixed name: one made from the target's name would exceed the system's limit for long names.
    std::string name = (fs::path(target.folder) / ".vantri-XXXXXX").string();
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        throw CFileException(L"Cannot create a file beside " + FromUtf8(target.path) + L": " +
                             SystemError(errno));
    temp.path = name;
    mode_t mode = 0600;
    if (replaces && target.exists) {
        // Where the user may not give the file away, it keeps at least the group, if the user is in
        // it; otherwise it is the user's, as any new file would be.
        if (::fchown(fd, target.st.st_uid, target.st.st_gid) != 0) {
            [[maybe_unused]] const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), target.st.st_gid);
        }
        mode = target.st.st_mode & 07777;
    } else if (replaces) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode); // after fchown, which may clear the set-id bits
    std::FILE* stream = ::fdopen(fd, "wb");
    if (!stream) {
        ::close(fd);
        throw CFileException(L"Cannot write " + FromUtf8(temp.path));
    }
    file.Attach(stream, FromUtf8(temp.path));
}

// Copies the complete temporary file into the target's own inode. Renaming would give only this name
// the new data while the file's other hard links kept the old; writing in place reaches them all, at
// the price that a failure half-way damages the target, so the complete copy is then kept and named.
void CopyInPlace(CTempFile& temp, const CTarget& target) {
    const std::wstring name = FromUtf8(target.path);
    CFd in(::open(temp.path.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0)
        throw CFileException(L"Cannot read " + FromUtf8(temp.path) + L": " + SystemError(errno));
    CFd out(::open(target.path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (out.fd < 0)
        throw CFileException(L"Cannot write " + name + L": " + SystemError(errno));
    int error = 0;
    char buffer[65536];
    while (error == 0) {
        const ssize_t got = ::read(in.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; done < got && error == 0;) {
            const ssize_t put = ::write(out.fd, buffer + done, static_cast<std::size_t>(got - done));
            if (put >= 0)
                done += put;
            else if (errno != EINTR)
                error = errno;
        }
    }
    if (error == 0 && ::fsync(out.fd) != 0)
        error = errno;
    if (::close(out.fd) != 0 && error == 0)
        error = errno;
    out.fd = -1;
    if (error != 0) {
        temp.keep = true;
        throw CFileException(L"Cannot write " + name + L": " + SystemError(error) +
                             L"\nThe document was saved in " + FromUtf8(temp.path) + L".");
    }
}

// A rename is on the disk only once its folder is; a file system that cannot sync a folder has
// replaced the file all the same.
void SyncFolder(const std::string& folder) {
    CFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.fd >= 0)
        ::fsync(fd.fd);
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

void CDocument::SetTitle(const std::wstring& title) {
    m_strTitle = title;
}

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
    CTempFile temp;
    try {
        const CTarget target = FindTarget(path);
        const bool inPlace = target.exists && target.st.st_nlink > 1;
        CFile file;
        CreateTemp(target, !inPlace, temp, file);
        CArchive ar(file, CArchive::store);
        Serialize(ar);
        file.Close();
        if (inPlace) {
            CopyInPlace(temp, target);
        } else {
            if (std::rename(temp.path.c_str(), target.path.c_str()) != 0)
                throw CFileException(L"Cannot replace " + FromUtf8(target.path) + L": " + SystemError(errno));
            temp.keep = true;
            SyncFolder(target.folder);
        }
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

bool CDocument::DoFileSave() {
    return DoSave(m_strPathName);
}

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

void CDocument::ReportSaveLoadException(const std::wstring& path, const std::exception_ptr& error,
                                        bool saving) {
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
