#include "processing/Morphology.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "processing/Bands.h"
#include "processing/kernels/KernelTable.h"

namespace doc {

using namespace kern;

int CMorphology::Apply(float* grid, int columns, int rows, CScratch* scratch) const {
    return Apply(grid, grid, columns, rows, scratch);
}

int CMorphology::Apply(const float* src, float* dst, int columns, int rows, CScratch* scratch) const {
    const bool custom = operation == MorphOp::DilateCustom || operation == MorphOp::ErodeCustom;
    const bool dilate = operation == MorphOp::Dilate3 || operation == MorphOp::DilateCustom;
    const bool erode = operation == MorphOp::Erode3 || operation == MorphOp::ErodeCustom;
    if (!src || !dst || columns <= 0 || rows <= 0 || !(dilate || erode))
        return StsNoErr;
    const int w = custom ? element.width : 3, h = custom ? element.height : 3;
    const int ax = custom ? element.anchorX : 1, ay = custom ? element.anchorY : 1;
    // The checks the primitive makes, made before the border is sized from the element.
    if (w < 1 || h < 1)
        return StsMaskSize;
    if (ax < 0 || ay < 0 || ax >= w || ay >= h)
        return StsAnchor;

    CScratch own;
    CScratch& work = scratch ? *scratch : own;
    std::vector<std::uint8_t> mask;
    try {
        if (custom)
            mask.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 1);
    } catch (const std::bad_alloc&) {
        return StsNoMem;
    }
    // The element works on the 16-bit counts of the cells. The maximum (or minimum) of counts turned
    // back into floats is the float of their maximum: the way back keeps their order.
    const CMargins margins{ax, ay, w - 1 - ax, h - 1 - ay};
    return RunQuantisedBands(
        src, dst, columns, rows, margins, work, 0.0f,
        [&](const std::int16_t* origin, int step, std::int16_t* out, int outStep, KSize roi) {
            const CKernelTable& K = Kernels();
            if (custom)
                return dilate ? K.dilate16s(origin, step, out, outStep, roi, mask.data(), {w, h}, {ax, ay})
                              : K.erode16s(origin, step, out, outStep, roi, mask.data(), {w, h}, {ax, ay});
            return dilate ? K.dilate3x3_16s(origin, step, out, outStep, roi)
                          : K.erode3x3_16s(origin, step, out, outStep, roi);
        });
}

} // namespace doc
