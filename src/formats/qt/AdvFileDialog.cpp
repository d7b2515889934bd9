#include "formats/qt/AdvFileDialog.h"

#include <QApplication>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <array>

#include "framework/fwMessage.h"
#include "framework/qt/fwQtPath.h"

namespace doc {

namespace {

// One showing of the dialog: follows the folder shown to pick its view, and asks before a save
// replaces a file.
class CFileChooser : public QFileDialog {
public:
    CFileChooser(QWidget* parent, const CFileDialogRequest& request, const CDialogMemory& memory)
        : QFileDialog(parent), m_request(request) {
        setOption(QFileDialog::DontUseNativeDialog);
        // The replace question is ours, so that it goes through the application's message boxes.
        setOption(QFileDialog::DontConfirmOverwrite);
        std::copy(std::begin(memory.viewModes), std::end(memory.viewModes), m_viewModes.begin());
        connect(this, &QFileDialog::directoryEntered, this, &CFileChooser::OnFolder);
        // Going back and forward in the history moves the model without announcing a folder.
        if (auto* model = findChild<QFileSystemModel*>())
            connect(model, &QFileSystemModel::rootPathChanged, this, &CFileChooser::OnFolder);
    }

    // Starts in folder, in the view remembered for it.
    void Start(const QString& folder) {
        if (!folder.isEmpty())
            setDirectory(folder);
        OnFolder(directory().absolutePath());
    }

    // The views to remember once the user confirmed.
    const std::array<int, 4>& ViewModes() {
        TakeViewMode();
        return m_viewModes;
    }

    void accept() override {
        const QStringList files = selectedFiles();
        if (!m_request.openDialog && (m_request.flags & kDialogOverwritePrompt) && files.size() == 1) {
            const QFileInfo target(files.front());
            if (target.exists() && !target.isDir()) {
                const std::wstring question =
                    QDir::toNativeSeparators(target.absoluteFilePath()).toStdWString() +
                    L" already exists.\nDo you want to replace it?";
                if (fw::MessageBox(question, fw::MsgButtons::YesNo, fw::MsgIcon::Exclamation) !=
                    fw::MsgAnswer::Yes)
                    return;
            }
        }
        QFileDialog::accept();
    }

private:
    int Slot() const { return CDialogMemory::Slot(m_request.openDialog, m_bFolderHasScans); }

    void OnFolder(const QString& folder) {
        if (m_bStarted && folder == m_folder)
            return;
        if (m_bStarted)
            TakeViewMode();
        m_bStarted = true;
        m_folder = folder;
        m_bFolderHasScans = FolderHoldsScanFiles(fw::FromQPath(folder), m_request.filters);
        m_shown = CAdvFileDialog::ToViewMode(m_viewModes[Slot()]);
        setViewMode(m_shown);
    }

    // A view the user switched to belongs to the folder shown until now.
    void TakeViewMode() {
        if (!m_bStarted || viewMode() == m_shown)
            return;
        m_shown = viewMode();
        m_viewModes[Slot()] = CAdvFileDialog::ToViewModeId(m_shown);
    }

    const CFileDialogRequest& m_request;
    std::array<int, 4> m_viewModes{};
    bool m_bStarted = false;
    QString m_folder;
    bool m_bFolderHasScans = false;
    ViewMode m_shown = List;
};

} // namespace

CAdvFileDialog::CAdvFileDialog(CDialogMemory& memory, QWidget* owner) : m_memory(memory), m_owner(owner) {}
CAdvFileDialog::~CAdvFileDialog() = default;

void CAdvFileDialog::SetTitle(int titleId, const QString& title) {
    for (auto& [id, text] : m_titles)
        if (id == titleId) {
            text = title;
            return;
        }
    m_titles.emplace_back(titleId, title);
}

QFileDialog::ViewMode CAdvFileDialog::ToViewMode(int viewModeId) {
    return viewModeId == ID_VIEW_DETAILS ? QFileDialog::Detail : QFileDialog::List;
}

int CAdvFileDialog::ToViewModeId(QFileDialog::ViewMode mode) {
    return mode == QFileDialog::Detail ? ID_VIEW_DETAILS : ID_VIEW_LIST;
}

QString CAdvFileDialog::ToNameFilter(const CFileFilter& filter) {
    QStringList patterns;
    for (const QString& pattern : QString::fromStdWString(filter.patterns).split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        patterns << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
    }
    if (patterns.isEmpty())
        patterns << QStringLiteral("*");
    return QString::fromStdWString(filter.name) + QStringLiteral(" (") + patterns.join(u' ') + u')';
}

bool CAdvFileDialog::Run(CFileDialogRequest& request) {
    QWidget* owner = m_owner ? m_owner.data() : QApplication::activeWindow();
    CFileChooser dialog(owner, request, m_memory);

    QString title = request.openDialog ? QStringLiteral("Open") : QStringLiteral("Save As");
    for (const auto& [id, text] : m_titles)
        if (id == request.titleId && request.titleId != 0)
            title = text;
    dialog.setWindowTitle(title);
    dialog.setAcceptMode(request.openDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Open takes several files at once, which open in the order they were chosen in.
    dialog.setFileMode(request.openDialog ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    if (!request.openDialog)
        dialog.setDefaultSuffix(QString::fromStdWString(request.defaultExtension));

    // The combo shows the names as the document types spell them; the patterns stay behind them.
    QStringList filters;
    for (const CFileFilter& filter : request.filters)
        filters << ToNameFilter(filter);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.at(std::clamp(request.filterIndex, 1, int(filters.size())) - 1));

    // The proposed name may carry its folder; a bare name is proposed in the folder shown last.
    QString folder;
    QString name;
    QString proposedPath = fw::ToQPath(request.fileName);
    // A path Qt cannot name (see ToQPath) is not proposed; its folder still is.
    const std::size_t slash = request.fileName.find_last_of(L"/\\");
    if (proposedPath.isEmpty() && slash != std::wstring::npos)
        proposedPath = fw::ToQPath(request.fileName.substr(0, slash + 1));
    if (!proposedPath.isEmpty()) {
        const QFileInfo proposed(proposedPath);
        if (proposed.isDir()) {
            folder = proposed.absoluteFilePath();
        } else {
            name = proposed.fileName();
            if (request.fileName.find_first_of(L"/\\") != std::wstring::npos &&
                proposed.absoluteDir().exists())
                folder = proposed.absolutePath();
        }
    }
    // The first dialog starts in the user's documents, not the folder the program was started from.
    if (folder.isEmpty())
        folder = m_lastFolder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                        : m_lastFolder;
    dialog.Start(folder);
    if (!name.isEmpty())
        dialog.selectFile(name);

    if (onShown)
        QTimer::singleShot(0, &dialog, [this, &dialog] { onShown(dialog); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;

    m_lastFolder = dialog.directory().absolutePath();
    request.fileName = fw::FromQPath(dialog.selectedFiles().front());
    request.fileNames.clear();
    for (const QString& file : dialog.selectedFiles())
        request.fileNames.push_back(fw::FromQPath(file));
    // Qt answers with the whole filter or, its details hidden, with the name alone.
    const QString selected = dialog.selectedNameFilter();
    for (int k = 0; k < int(request.filters.size()); ++k)
        if (selected == filters.at(k) ||
            selected == QString::fromStdWString(request.filters[k].name).trimmed()) {
            request.filterIndex = k + 1;
            break;
        }
    const std::array<int, 4>& modes = dialog.ViewModes();
    for (int slot = 0; slot < 4; ++slot)
        if (modes[slot] != m_memory.viewModes[slot])
            m_memory.ViewCommand(slot < 2, slot % 2 == 1, modes[slot]);
    return true;
}

} // namespace doc
