#pragma once
// The filtering engine: a filter type and a kernel geometry, applied to a float grid in place.
#include "processing/KernelGeometry.h"
#include "processing/Scratch.h"

namespace doc {

// The filter types. The values are the ones the chain has always compared and stored.
enum class FilterType : int {
    None = 0,
    Mean3 = 1,
    Mean5 = 2,
    Mean7 = 3,
    MeanCustom = 4,
    Median3 = 5, // the 5-cell cross of 3 x 3
    Median3x1 = 6,
    Median1x3 = 7,
    Median5 = 8, // the 9-cell cross of 5 x 5
    Median5x1 = 9,
    Median1x5 = 10,
    MedianCustom = 11,
    // The edge filters of the image view.
    PrewittHoriz = 12,
    PrewittVert = 13,
    ScharrHoriz = 14,
    ScharrVert = 15,
    SobelHoriz3 = 16,
    SobelHoriz5 = 17,
    SobelVert3 = 18,
    SobelVert5 = 19,
    SobelHorizSecond3 = 20,
    SobelHorizSecond5 = 21,
    SobelVertSecond3 = 22,
    SobelVertSecond5 = 23,
    SobelCross3 = 24,
    SobelCross5 = 25,
    RobertsUp = 26,
    RobertsDown = 27,
    Laplace3 = 28,
    Laplace5 = 29,
    Gauss3 = 30,
    Gauss5 = 31,
    HighPass3 = 32,
    HighPass5 = 33,
    LowPass3 = 34,
    LowPass5 = 35,
    Sharpen = 36,
    // Not filters of the chain: the spectrum and auto-correlation windows' own.
    Spectrum = 37,
    AutoCorrelation = 38,
};

class CFilter {
public:
    FilterType type = FilterType::None;
    CKernelGeometry kernel;
    CKernelDialogValues dialog;

    // Applies the type to columns x rows cells in place and returns the primitive's status (0 for
    // success). On any other status the grid keeps the values it had; the caller shows the status text.
    // Work buffers come from scratch when given, else from the system for this call alone.
    int Apply(float* grid, int columns, int rows, CScratch* scratch = nullptr);
    // The same from src into dst (which may be src); on a failure dst is left as it was.
    int Apply(const float* src, float* dst, int columns, int rows, CScratch* scratch = nullptr);
};

// Stretches the grid so that all but about 0.2 % of the values at each end fall in [0.1, 0.9], and
// clamps the rest into [0, 1].
void RobustRescale(float* grid, int columns, int rows);

} // namespace doc
