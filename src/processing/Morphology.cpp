#include "processing/Morphology.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "processing/Bands.h"
#include "processing/Quantise.h"
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
    const int outStep = BandStep<std::int16_t>(columns);
    const int bandRows =
        BandRows(BandStep<std::int16_t>(static_cast<long long>(columns) + w - 1), margins, rows);
    auto* out =
        outStep ? work.Take<std::int16_t>(1, static_cast<std::size_t>(bandRows) * outStep / 2) : nullptr;
    if (!out)
        return StsNoMem;
    return RunBands<std::int16_t>(
        src, columns, rows, margins, work,
        [&](const float* row, std::int16_t* cells) { QuantiseRow(row, cells, columns); },
        [&](const std::int16_t* origin, int step, int first, int count) {
            const KSize roi{columns, count};
            const CKernelTable& K = Kernels();
            int status;
            if (custom)
                status = dilate ? K.dilate16s(origin, step, out, outStep, roi, mask.data(), {w, h}, {ax, ay})
                                : K.erode16s(origin, step, out, outStep, roi, mask.data(), {w, h}, {ax, ay});
            else
                status = dilate ? K.dilate3x3_16s(origin, step, out, outStep, roi)
                                : K.erode3x3_16s(origin, step, out, outStep, roi);
            if (status == StsNoErr)
                for (int k = 0; k < count; ++k)
                    UnquantiseRow(BandRow(out, outStep, k),
                                  dst +
                                      static_cast<std::size_t>(first + k) * static_cast<std::size_t>(columns),
                                  columns);
            return status;
        });
}

} // namespace doc
