#pragma once
// Grey-level dilation and erosion of a float grid.
#include "processing/KernelGeometry.h"
#include "processing/Scratch.h"

namespace doc {

enum class MorphOp : int { None = 0, Dilate3 = 1, DilateCustom = 2, Erode3 = 3, ErodeCustom = 4 };

class CMorphology {
public:
    MorphOp operation = MorphOp::None;
    CKernelGeometry element;
    CKernelDialogValues dialog;

    // Applies the operation in place and returns the primitive's status (0 for success); on any other
    // status the grid keeps its values. Work buffers come from scratch when given, else from the
    // system for this call alone.
    int Apply(float* grid, int columns, int rows, CScratch* scratch = nullptr) const;
    // The same from src into dst (which may be src); on a failure dst is left as it was.
    int Apply(const float* src, float* dst, int columns, int rows, CScratch* scratch = nullptr) const;
};

} // namespace doc
