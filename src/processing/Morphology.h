#pragma once
// Grey-level dilation and erosion of a float grid.
#include "processing/KernelGeometry.h"

namespace doc {

class CMorphology {
public:
    // 0 none, 1 dilate 3 x 3, 2 dilate custom, 3 erode 3 x 3, 4 erode custom.
    int operation = 0;
    CKernelGeometry element;
    CKernelDialogValues dialog;

    // Applies the operation in place and returns the primitive's status (0 for success); on any other
    // status the grid keeps its values.
    int Apply(float* grid, int columns, int rows) const;
};

} // namespace doc
