#pragma once
// The open and save dialogs of the scan files: Qt's own (non-native) file dialog showing the
// document types' filters, starting with the filter last chosen, and keeping a view for each kind
// of dialog (open or save) and folder (holding scan files or not).
//
// Qt's dialog offers two views, List and Detail, where the memory keeps the ids of the five folder
// views the scan computers' dialog knew. ID_VIEW_DETAILS shows as Detail and every other id as List,
// so that thumbnails, icons and tiles (scan folders default to thumbnails) all open as List. A view
// is written back only when the user switched to the other one: List as ID_VIEW_LIST, Detail as
// ID_VIEW_DETAILS; a folder left in the view it opened with keeps its id. Like the file name and
// the filter, a view chosen in a cancelled dialog is forgotten.
#include <QFileDialog>
#include <QPointer>
#include <functional>
#include <utility>
#include <vector>

#include "model/OpenDialog.h"

namespace doc {

class CAdvFileDialog : public IFileDialog {
public:
    // memory outlives the dialog; the application keeps it with its settings. The dialog sits over
    // owner, or over the active window when there is none.
    explicit CAdvFileDialog(CDialogMemory& memory, QWidget* owner = nullptr);
    ~CAdvFileDialog() override;

    // Shows the dialog modally for the request; on OK fills in the chosen path and filter and
    // remembers the views the user chose.
    bool Run(CFileDialogRequest& request) override;

    // The title shown for a caller's title id; without one, "Open" or "Save As".
    void SetTitle(int titleId, const QString& title);

    // Qt's view for a remembered view id, and the id to remember for a Qt view.
    static QFileDialog::ViewMode ToViewMode(int viewModeId);
    static int ToViewModeId(QFileDialog::ViewMode mode);
    // Qt's form of a filter, "Name (*.a *.b)". "*.*" becomes "*": every file, with a dot or not.
    static QString ToNameFilter(const CFileFilter& filter);

    // For the window tests: called on the dialog once its modal loop runs.
    std::function<void(QFileDialog&)> onShown;

private:
    CDialogMemory& m_memory;
    QPointer<QWidget> m_owner;
    std::vector<std::pair<int, QString>> m_titles;
    // The folder of the last confirmed dialog; empty before the first.
    QString m_lastFolder;
};

} // namespace doc
