#pragma once
// The entry points of the image primitives, filled once: callers go through this table, so that a
// variant for another processor can stand in for the portable one without touching them.
#include "processing/kernels/Kernels.h"

namespace doc::kern {

struct CKernelTable {
    decltype(&CopyReplicateBorder16s) copyBorder16s;
    decltype(&CopyReplicateBorder32f) copyBorder32f;
    decltype(&FilterBox16s) box16s;
    decltype(&FilterMedianCross16s) medianCross16s;
    decltype(&FilterMedianHoriz16s) medianHoriz16s;
    decltype(&FilterMedianVert16s) medianVert16s;
    decltype(&FilterMedian16s) median16s;
    decltype(&FilterPrewittHoriz16s) prewittHoriz16s;
    decltype(&FilterPrewittVert16s) prewittVert16s;
    decltype(&FilterRobertsUp16s) robertsUp16s;
    decltype(&FilterRobertsDown16s) robertsDown16s;
    decltype(&FilterLaplace16s) laplace16s;
    decltype(&FilterGauss16s) gauss16s;
    decltype(&FilterHipass16s) hipass16s;
    decltype(&FilterLowpass16s) lowpass16s;
    decltype(&FilterSharpen16s) sharpen16s;
    decltype(&FilterScharrHoriz32f) scharrHoriz32f;
    decltype(&FilterScharrVert32f) scharrVert32f;
    decltype(&FilterSobelHoriz32f) sobelHoriz32f;
    decltype(&FilterSobelVert32f) sobelVert32f;
    decltype(&FilterSobelHorizSecond32f) sobelHorizSecond32f;
    decltype(&FilterSobelVertSecond32f) sobelVertSecond32f;
    decltype(&FilterSobelCross32f) sobelCross32f;
    decltype(&Dilate3x3_32f) dilate3x3_32f;
    decltype(&Erode3x3_32f) erode3x3_32f;
    decltype(&Dilate32f) dilate32f;
    decltype(&Erode32f) erode32f;
    decltype(&Dilate3x3_16s) dilate3x3_16s;
    decltype(&Erode3x3_16s) erode3x3_16s;
    decltype(&Dilate16s) dilate16s;
    decltype(&Erode16s) erode16s;
};

// The table in force; selected on first use (the start-up of the application or tool).
const CKernelTable& Kernels();

} // namespace doc::kern
