#pragma once
// The application's core: opening files as groups of surface documents. The window layer and the
// command-line tool both build on it.
#include <functional>
#include <string>

#include "framework/fwApp.h"
#include "model/OpenDialog.h"

namespace doc {

class CVantriDoc;

class CSurfaceApp : public fw::CWinApp {
public:
    // Installs the scan types' document manager, which prompts through the remembered filter.
    CSurfaceApp();

    // What the file dialogs remember; the settings store it.
    CDialogMemory dialogMemory;

    // The most images one open of a file makes documents of.
    static constexpr int kMaxGroupImages = 256;

    // Opens a path as the application does: its first image, then each further image of the file in
    // turn, up to kMaxGroupImages (the user is told how many were left out). Then the image counters
    // start again at 0, an unfinished group still gets its own number, and a first image is marked for
    // arrangement of its group.
    fw::CDocument* OpenDocumentFile(const std::wstring& path) override;

    // The document whose group waits to be arranged at the next idle moment; clears the mark.
    CVantriDoc* TakeArrangeMark();
    // Forgets a document that is about to close.
    void ForgetDocument(const CVantriDoc* doc);
    // How many opens, outermost or nested, gave no document.
    int FailedOpens() const { return m_nFailed; }

private:
    // Runs one open; a window that cannot be made is reported. Counts a failure.
    fw::CDocument* OpenOne(const std::function<fw::CDocument*()>& open);

    int m_nDepth = 0;
    CVantriDoc* m_pArrange = nullptr;
    int m_nFailed = 0;
};

} // namespace doc
