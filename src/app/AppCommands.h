#pragma once
// The application's command table: ids, menu texts, prompts and tooltips, accelerators, the menus
// (128 without documents, the document menu) and the tool bars' button lists.
#include <QString>
#include <vector>

class QMenu;
class QMenuBar;
class QWidget;

namespace fw {
class CCommandTable;
}

namespace mframe {

enum AppCommand : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_MRU_FILE1 = 57616, // to 57619: the four recent files
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_INDEX = 57667,
    ID_CONTEXT_HELP = 57669,
    ID_HELP = 57670,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_WINDOW_ARRANGE = 57649,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE = 57651,
    ID_VIEW_STATUS_BAR = 59393,
    ID_VIEW_2D = 32790,
    ID_VIEW_BUMP = 32791,
    ID_VIEW_3D = 32772,
    ID_CLOSE_ALL = 263,
    ID_SURFACE_NORMALIZE_TOOL = 32899, // tool bar 137
    ID_LOG_SCALE = 32900,
};

constexpr int kRecentFiles = 4;

// Adds every command of the application with its texts and keys (the 2D window's and the fills' too).
void RegisterAppCommands(fw::CCommandTable& commands);

// Fills the menu bar with menu 128 (no document open) or the document menu.
void BuildNoDocMenu(QMenuBar& bar, fw::CCommandTable& commands);
void BuildDocMenu(QMenuBar& bar, fw::CCommandTable& commands);
// The Surface menu's sub-menus that the tool bar's drop-down buttons show: 32880 Filter, 32882
// Morphology, 32824 Plane fitting, 243 Flatting.
QMenu* CreateSurfacePopup(int popupId, fw::CCommandTable& commands, QWidget* parent);

// The buttons of the tool bars by resource id (0 is a separator).
std::vector<int> ToolBarButtons(int toolBar);

} // namespace mframe
