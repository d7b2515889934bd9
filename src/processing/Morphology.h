#pragma once
// Grey-level dilation and erosion of a float grid.
#include "processing/KernelGeometry.h"

namespace doc {

enum class MorphOp : int { None = 0, Dilate3 = 1, DilateCustom = 2, Erode3 = 3, ErodeCustom = 4 };

class CMorphology {
public:
    MorphOp operation = MorphOp::None;
    CKernelGeometry element;
    CKernelDialogValues dialog;

    // Applies the operation in place and returns the primitive's status (0 for success); on any other
    // status the grid keeps its values.
    int Apply(float* grid, int columns, int rows) const;
};

} // namespace doc
