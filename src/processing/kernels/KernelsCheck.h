#pragma once
// The first checks every primitive makes, in their order: pointers, region size, row steps.
#include "processing/kernels/Kernels.h"

namespace doc::kern {

inline int CheckImages(const void* src, int srcStep, const void* dst, int dstStep, KSize roi) {
    if (!src || !dst)
        return StsNullPtr;
    if (roi.width <= 0 || roi.height <= 0)
        return StsSize;
    if (srcStep <= 0 || dstStep <= 0)
        return StsStep;
    return StsNoErr;
}

} // namespace doc::kern
