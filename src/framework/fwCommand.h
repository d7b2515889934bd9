#pragma once
// Commands: an id travels along a route of targets until one handles it; before a menu or tool bar shows
// it, the same route says whether it is enabled and how it is marked.
#include <vector>

namespace fw {

// Framework commands that the window layer handles itself.
enum FrameworkCommand : int {
    ID_FILE_CLOSE = 57602,
    ID_NEXT_PANE = 57680, // the focus to the frame's next view (F6), or its previous one (Shift+F6)
    ID_PREV_PANE = 57681,
};

// What an update handler says of a command.
struct CCmdState {
    bool enabled = true;
    bool checked = false; // a check mark
    bool radio = false;   // the mark is a radio dot rather than a check
};

class ICmdTarget {
public:
    virtual ~ICmdTarget() = default;
    // Handles the command; false when the id is not this target's.
    virtual bool OnCommand(int id) = 0;
    // Fills in the command's state; false when the id is not this target's. A target answers here
    // for every id it handles, since a command nobody answers for is disabled.
    virtual bool OnUpdateCommand(int id, CCmdState& state) const = 0;
};

// Gives the command to the targets in order until one handles it; false when none did. A command
// whose update says it is disabled goes nowhere, however stale the button that sent it.
bool RouteCommand(const std::vector<ICmdTarget*>& route, int id);
// The state from the first target that answers for the id; disabled when none does.
CCmdState RouteUpdate(const std::vector<ICmdTarget*>& route, int id);

} // namespace fw
