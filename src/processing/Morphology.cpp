#include "processing/Morphology.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "processing/Quantise.h"
#include "processing/kernels/Image.h"
#include "processing/kernels/KernelTable.h"

namespace doc {

using namespace kern;

int CMorphology::Apply(float* grid, int columns, int rows) const {
    const bool custom = operation == MorphOp::DilateCustom || operation == MorphOp::ErodeCustom;
    const bool dilate = operation == MorphOp::Dilate3 || operation == MorphOp::DilateCustom;
    const bool erode = operation == MorphOp::Erode3 || operation == MorphOp::ErodeCustom;
    if (!grid || columns <= 0 || rows <= 0 || !(dilate || erode))
        return StsNoErr;
    const int w = custom ? element.width : 3, h = custom ? element.height : 3;
    const int ax = custom ? element.anchorX : 1, ay = custom ? element.anchorY : 1;
    // The checks the primitive makes, made before the border is sized from the element.
    if (w < 1 || h < 1)
        return StsMaskSize;
    if (ax < 0 || ay < 0 || ax >= w || ay >= h)
        return StsAnchor;

    const KSize roi{columns, rows};
    const KSize outer{columns + w - 1, rows + h - 1};
    TImage16s counts(columns, rows), bordered(outer.width, outer.height);
    TImage32f values(outer.width, outer.height), result(columns, rows);
    if (!counts || !bordered || !values || !result)
        return StsNoMem;
    for (int i = 0; i < rows; ++i)
        QuantiseRow(grid + static_cast<std::size_t>(i) * columns, counts.Row(i), columns);
    int status = Kernels().copyBorder16s(counts.Row(0), counts.Step(), roi, bordered.Row(0), bordered.Step(),
                                         outer, ay, ax);
    if (status != StsNoErr)
        return status;
    for (int i = 0; i < outer.height; ++i)
        UnquantiseRow(bordered.Row(i), values.Row(i), outer.width);
    const float* src = values.At(ax, ay);
    if (custom) {
        const std::vector<std::uint8_t> mask(static_cast<std::size_t>(w) * h, 1);
        status = dilate ? Kernels().dilate32f(src, values.Step(), result.Row(0), result.Step(), roi,
                                              mask.data(), {w, h}, {ax, ay})
                        : Kernels().erode32f(src, values.Step(), result.Row(0), result.Step(), roi,
                                             mask.data(), {w, h}, {ax, ay});
    } else {
        status = dilate ? Kernels().dilate3x3_32f(src, values.Step(), result.Row(0), result.Step(), roi)
                        : Kernels().erode3x3_32f(src, values.Step(), result.Row(0), result.Step(), roi);
    }
    if (status != StsNoErr)
        return status;
    for (int i = 0; i < rows; ++i)
        std::copy(result.Row(i), result.Row(i) + columns, grid + static_cast<std::size_t>(i) * columns);
    return StsNoErr;
}

} // namespace doc
