#pragma once
// The geometry of a custom kernel: its size and the cell of it that lands on the output cell.

namespace doc {

struct CKernelGeometry {
    int width = 1;
    int height = 1;
    int anchorX = 0;
    int anchorY = 0;
};

// What the kernel dialog shows and remembers between showings.
struct CKernelDialogValues {
    int width = 3;
    int height = 3;
    int anchorX = 1;
    int anchorY = 1;
    bool center = true; // the anchor follows the middle of the kernel
};

} // namespace doc
