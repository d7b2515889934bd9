#include "processing/kernels/KernelTable.h"

namespace doc::kern {

namespace {
// The only variant so far: the kernels choose their vector width themselves, once, at run time
// (KernelsSimd.h).
CKernelTable PortableKernels() {
    return CKernelTable{
        CopyReplicateBorder16s,
        CopyReplicateBorder32f,
        FilterBox16s,
        FilterMedianCross16s,
        FilterMedianHoriz16s,
        FilterMedianVert16s,
        FilterMedian16s,
        FilterPrewittHoriz16s,
        FilterPrewittVert16s,
        FilterRobertsUp16s,
        FilterRobertsDown16s,
        FilterLaplace16s,
        FilterGauss16s,
        FilterHipass16s,
        FilterLowpass16s,
        FilterSharpen16s,
        FilterScharrHoriz32f,
        FilterScharrVert32f,
        FilterSobelHoriz32f,
        FilterSobelVert32f,
        FilterSobelHorizSecond32f,
        FilterSobelVertSecond32f,
        FilterSobelCross32f,
        Dilate3x3_32f,
        Erode3x3_32f,
        Dilate32f,
        Erode32f,
        Dilate3x3_16s,
        Erode3x3_16s,
        Dilate16s,
        Erode16s,
    };
}
} // namespace

const CKernelTable& Kernels() {
    static const CKernelTable table = PortableKernels();
    return table;
}

} // namespace doc::kern
