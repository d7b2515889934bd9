#pragma once
// What a surface document's UpdateAllViews tells its views, and what the application's deferred
// updates carry.

namespace doc {

enum UpdateHint : long {
    // Refit the frame to its image after a drag-and-drop rescale.
    kHintRefit = 1,
    // The processed surface changed: every view rebuilds from it.
    kHintSurface = 2,
};

} // namespace doc
