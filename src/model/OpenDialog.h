#pragma once
// What the file dialogs offer and remember: the filters of the scan types, the last filter chosen
// and the folder view mode for each kind of dialog and folder. The window layer shows the dialog
// itself through IFileDialog; the settings store CDialogMemory.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/fwDocManager.h"

namespace fw {
class CDocTemplate;
}

namespace doc {

struct CFileFilter {
    std::wstring name;     // "NT-MDT Files (*.mdt)"
    std::wstring patterns; // "*.mdt", several joined with ";"
};

// The dialog's filters: the given template's only, or else every template's in registration order;
// then "All Files (*.*)". defaultExtension (if given) receives the extension, without its dot, of
// the template that supplies the default: the given one, or else the first.
std::vector<CFileFilter> DialogFilters(const std::vector<fw::CDocTemplate*>& templates,
                                       const fw::CDocTemplate* only,
                                       std::wstring* defaultExtension = nullptr);

// Whether a folder holds a file matching any filter but the last ("All Files"). Patterns match
// file names without regard to case, as the file system of the scan computers does.
bool FolderHoldsScanFiles(const std::wstring& folder, const std::vector<CFileFilter>& filters);
// Whether a file name matches a pattern of '*', '?' and literal characters, without regard to case.
bool MatchesPattern(const std::wstring& name, const std::wstring& pattern);

// Command ids of the folder view's modes, as the dialog's view reports them.
enum : int {
    ID_VIEW_LARGE_ICONS = 28713,
    ID_VIEW_LIST = 28715,
    ID_VIEW_DETAILS = 28716,
    ID_VIEW_THUMBNAILS = 28717,
    ID_VIEW_TILES = 28718,
};

class CDialogMemory {
public:
    // The settings keep the memory as these bytes: the changed flag, the filter index, then the four
    // view modes as 16-bit little-endian ids in slot order.
    static constexpr std::size_t kProfileSize = 10;

    // Set whenever something below changes, so that the settings are written at the next idle moment.
    bool changed = false;
    // The filter last chosen, counted from 1; 0 when none was chosen yet.
    std::uint8_t filterIndex = 0;
    // One view mode per kind of dialog and folder (see Slot): folders of scans open as thumbnails.
    int viewModes[4] = {ID_VIEW_LIST, ID_VIEW_THUMBNAILS, ID_VIEW_LIST, ID_VIEW_LIST};

    static int Slot(bool openDialog, bool folderHasScans) {
        return (openDialog ? 0 : 2) + (folderHasScans ? 1 : 0);
    }

    // The filter a dialog of filterCount filters starts with: the remembered one, or else the last.
    int StartFilter(int filterCount) const;
    // The user confirmed a dialog with this filter (from 1).
    void FilterChosen(int index);
    // The view reported a command; a view-mode id is remembered for the kind of dialog and folder.
    // Returns whether it was one.
    bool ViewCommand(bool openDialog, bool folderHasScans, int commandId);
    int ViewMode(bool openDialog, bool folderHasScans) const {
        return viewModes[Slot(openDialog, folderHasScans)];
    }

    std::array<unsigned char, kProfileSize> Profile() const;
    // Takes as many bytes as were stored (at most kProfileSize); the rest keep their values.
    void LoadProfile(const unsigned char* bytes, std::size_t count);
};

// Everything a file dialog needs to show; Run fills in the answer.
struct CFileDialogRequest {
    bool openDialog = true;
    int titleId = 0; // the caller's title string id; 0 for the dialog's usual title
    unsigned flags = 0;
    std::vector<CFileFilter> filters;
    int filterIndex = 1; // from 1; on OK, the filter the user left selected
    std::wstring defaultExtension;
    std::wstring fileName;               // the proposed name; on OK, the chosen path
    std::vector<std::wstring> fileNames; // on OK, every path chosen, in order (the first is fileName)
};

class IFileDialog {
public:
    virtual ~IFileDialog() = default;
    // Shows the dialog; true when the user pressed OK.
    virtual bool Run(CFileDialogRequest& request) = 0;
};

// The dialog flags the document manager always asks for.
enum : unsigned {
    kDialogOverwritePrompt = 0x2,
    kDialogHideReadOnly = 0x4,
    kDialogEnableSizing = 0x800000,
};

// The document manager of the scan types: its file prompts go through the remembered filter.
class CVantriDocManager : public fw::CDocManager {
public:
    explicit CVantriDocManager(CDialogMemory& memory);
    ~CVantriDocManager() override;

    // The window layer's dialog; without one, prompts answer false.
    void SetFileDialog(IFileDialog* dialog) { m_pDialog = dialog; }

    bool DoPromptFileName(std::wstring& fileName, int titleId, unsigned flags, bool openFileDialog,
                          fw::CDocTemplate* docTemplate) override;
    // Every file the last confirmed prompt chose, in order.
    const std::vector<std::wstring>& ChosenFiles() const { return m_chosen; }

private:
    std::vector<std::wstring> m_chosen;
    CDialogMemory& m_memory;
    IFileDialog* m_pDialog = nullptr;
};

} // namespace doc
