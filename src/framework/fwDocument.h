#pragma once
// The document of the document/view layer: a path, a title, a modified flag and the views that show it.
#include <exception>
#include <string>
#include <vector>

#include "framework/fwCommand.h"

namespace fw {

class CArchive;
class CDocTemplate;
class CDocument;

// What a document knows of a view: it is told to update with a hint. A view is the first target of
// the commands given while its window is active.
class CView : public ICmdTarget {
public:
    // A view that goes away leaves its document.
    virtual ~CView();
    virtual void OnUpdate(CView* sender, long hint, void* pHint) = 0;
    // Once, when its frame is first shown; by default an update without a hint.
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
    // Work the view asked to have done at the next idle moment (the application's update queue).
    virtual void OnDeferredUpdate(long) {}
    bool OnCommand(int) override { return false; }
    bool OnUpdateCommand(int, CCmdState&) const override { return false; }
    CDocument* GetDocument() const { return m_pDocument; }

private:
    friend class CDocument;
    CDocument* m_pDocument = nullptr;
};

class CDocument : public ICmdTarget {
public:
    CDocument() = default;
    virtual ~CDocument();
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    const std::wstring& GetPathName() const { return m_strPathName; }
    // Sets the full path and the title (the file name); addToMRU is the window layer's business.
    virtual void SetPathName(const std::wstring& path, bool addToMRU = true);
    const std::wstring& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const std::wstring& title);

    bool IsModified() const { return m_bModified; }
    virtual void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

    void AddView(CView* view);
    void RemoveView(CView* view);
    const std::vector<CView*>& GetViews() const { return m_views; }
    // Tells every view but the sender to update.
    void UpdateAllViews(CView* sender, long hint = 0, void* pHint = nullptr);

    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    // Loads the document from a file: opens it, serialises it in and clears the modified flag.
    // Failures are reported (unless already shown) and give false.
    virtual bool OnOpenDocument(const std::wstring& path);
    // Stores the document into a temporary file beside path and renames it over path when complete.
    virtual bool OnSaveDocument(const std::wstring& path);
    virtual void Serialize(CArchive& ar);

    // Saves under path, or asks for a path when it is empty; on success the document takes the path
    // when replace is set.
    virtual bool DoSave(const std::wstring& path, bool replace = true);
    // The Save command: saves under the current path (asks for one when there is none).
    virtual bool DoFileSave();
    // Before the document closes: asks whether to save changes, and saves when told to. False when the
    // user cancels or the save fails, so that the document stays open.
    virtual bool SaveModified();

    bool OnCommand(int) override { return false; }
    bool OnUpdateCommand(int, CCmdState&) const override { return false; }

protected:
    // Shows a load or save failure unless the thrower showed it already.
    virtual void ReportSaveLoadException(const std::wstring& path, const std::exception_ptr& error,
                                         bool saving);

private:
    friend class CDocTemplate;
    std::wstring m_strPathName;
    std::wstring m_strTitle;
    bool m_bModified = false;
    std::vector<CView*> m_views;
    CDocTemplate* m_pDocTemplate = nullptr;
};

} // namespace fw
