#pragma once
// The commands' pictures. The standard commands take the desktop's icon theme by their freedesktop
// names, with the program's own pictures where the theme has none; every other command of a tool bar
// has a picture drawn for this program. The pictures are 16 x 16 SVG embedded as Qt resources, so
// that they stay sharp at every size and device pixel ratio.
#include <QIcon>

namespace fw {
class CCommandTable;
}

namespace mframe {

// The picture of a command; null for a command without one.
QIcon CommandIcon(int id);
// Gives every command of the table that has a picture its icon; menus show those of the standard
// commands.
void SetCommandIcons(fw::CCommandTable& commands);
// The program's icon: a scanned surface under the probe.
QIcon AppIcon();

} // namespace mframe
