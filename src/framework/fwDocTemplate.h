#pragma once
// A document template binds a document class to its document string and owns the documents it made.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fw {

class CDocument;
class CDocManager;

class CDocTemplate {
public:
    enum Confidence {
        noAttempt,
        maybeAttemptForeign,
        maybeAttemptNative,
        yesAttemptForeign,
        yesAttemptNative,
        yesAlreadyOpen
    };
    // The seven newline-separated fields of a document string, in their order.
    enum DocStringIndex {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName
    };

    using Factory = std::function<std::unique_ptr<CDocument>()>;

    CDocTemplate(std::wstring docString, Factory factory);
    virtual ~CDocTemplate();
    CDocTemplate(const CDocTemplate&) = delete;
    CDocTemplate& operator=(const CDocTemplate&) = delete;

    // One field of the document string; false when it is empty or missing.
    bool GetDocString(std::wstring& field, DocStringIndex index) const;

    // An open document of this template with the same file answers
    // yesAlreadyOpen; a path whose extension is the filter's answers yesAttemptNative.
    virtual Confidence MatchDocType(const std::wstring& path, CDocument*& match);

    // Creates a document and its frame and loads the file into it. The document takes the path only
    // after its load returned, so that a load may open further documents of the same file. On failure
    // the document and its frame are destroyed and null is returned.
    virtual CDocument* OpenDocumentFile(const std::wstring& path);

    // The open document of the same file (see SameFile), or null.
    CDocument* FindOpenDocument(const std::wstring& path) const;
    // The documents of this template, in the order they were opened.
    std::vector<CDocument*> GetDocuments() const;
    // Closes a document: destroys its frame and the document itself.
    void CloseDocument(CDocument* document);
    void CloseAllDocuments();

    CDocManager* GetDocManager() const { return m_pManager; }

protected:
    // Window-layer hooks: make, show and destroy the frame of a document. The core has no frames.
    virtual bool CreateFrame(CDocument&) { return true; }
    virtual void InitialUpdateFrame(CDocument&) {}
    virtual void DestroyFrame(CDocument&) {}

public:
    // Brings an open document's frame to the front.
    virtual void ActivateFrame(CDocument&) {}

private:
    friend class CDocManager;
    std::wstring m_strDocString;
    Factory m_factory;
    std::vector<std::unique_ptr<CDocument>> m_docs;
    CDocManager* m_pManager = nullptr;
};

} // namespace fw
