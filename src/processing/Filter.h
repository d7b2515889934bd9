#pragma once
// The filtering engine: a filter type and a kernel geometry, applied to a float grid in place.
#include "processing/KernelGeometry.h"

namespace doc {

class CFilter {
public:
    // 0 none; 1-3 mean 3/5/7; 4 mean custom; 5 median cross 3; 6, 7 median 3 horizontal, vertical;
    // 8 median cross 5; 9, 10 median 5 horizontal, vertical; 11 median custom; 12-27 edge filters of the
    // image view; 28, 29 Laplacian 3/5; 30, 31 Gaussian 3/5; 32, 33 high-pass 3/5; 34, 35 low-pass 3/5;
    // 36 sharpening.
    int type = 0;
    CKernelGeometry kernel;
    CKernelDialogValues dialog;

    // Applies the type to columns x rows cells in place and returns the primitive's status (0 for
    // success). On any other status the grid keeps the values it had; the caller shows the status text.
    int Apply(float* grid, int columns, int rows);
};

// Stretches the grid so that all but about 0.2 % of the values at each end fall in [0.1, 0.9], and
// clamps the rest into [0, 1].
void RobustRescale(float* grid, int columns, int rows);

} // namespace doc
