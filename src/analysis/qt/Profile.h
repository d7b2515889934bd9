#pragma once
// The profile windows as the application sees them: their commands with their texts, and opening one
// for a line drawn on an image window.
#include <QPoint>

namespace fw {
class CCommandTable;
} // namespace fw
namespace m2D {
class CPlaneView;
struct CProfLine;
} // namespace m2D

namespace prof {

class CChildFrame;

// Adds "Normalize profile", "Interpolation" and "Cut the sector of profile".
void RegisterProfileCommands(fw::CCommandTable& commands);

// A profile window on the image window's document for its finished line, its top-left corner at a
// point of the screen (kept inside the MDI client), shown and activated; null without a main frame,
// and for a window that does not show the surface itself (only 2D and bump windows do).
CChildFrame* OpenProfile(m2D::CPlaneView& plane, m2D::CProfLine& line, QPoint globalAt);

// Every image window opens its profile windows with OpenProfile from now on.
void InstallProfileOpener();

} // namespace prof
