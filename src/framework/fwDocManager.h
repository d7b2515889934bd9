#pragma once
// The document manager keeps the registered templates and routes a path to the best of them.
#include <memory>
#include <string>
#include <vector>

namespace fw {

class CDocTemplate;
class CDocument;

class CDocManager {
public:
    CDocManager() = default;
    virtual ~CDocManager();
    CDocManager(const CDocManager&) = delete;
    CDocManager& operator=(const CDocManager&) = delete;

    // Registers a template; the manager owns it from now on.
    CDocTemplate* AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
    std::vector<CDocTemplate*> GetTemplates() const;

    // Asks every template to match the path, in registration order. An open document of the same path
    // is activated and returned; otherwise the first template with the best confidence opens it.
    virtual CDocument* OpenDocumentFile(const std::wstring& path);

    // Asks the user for a file name; the core has no dialog and answers false.
    virtual bool DoPromptFileName(std::wstring& fileName, int titleId, unsigned flags, bool openFileDialog,
                                  CDocTemplate* docTemplate);

    // Asks every modified document whether to save it; false as soon as one is cancelled.
    bool SaveAllModified();
    void CloseAllDocuments();

private:
    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
};

// The absolute, normalised form of a path, as documents keep it.
std::wstring FullPath(const std::wstring& path);
// Whether two paths name the same file as the file system sees it: the same file through links and
// "..", whatever the letters; a file that does not exist by its full path (letter case counts where
// the file system's does).
bool SameFile(const std::wstring& a, const std::wstring& b);

} // namespace fw
