#include "processing/Filter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "processing/Quantise.h"
#include "processing/RobustRange.h"
#include "processing/kernels/Image.h"
#include "processing/kernels/KernelTable.h"

namespace doc {

namespace {

using namespace kern;

enum class Back { Unit, UnitPlusHalf, UnitThenRescale, Rescale };

// How one type runs: its border (left, top, right, bottom), its work format and the way back.
struct CPlan {
    int left, top, right, bottom;
    bool integer;
    Back back;
};

bool PlanOf(int type, const CKernelGeometry& k, CPlan& plan) {
    auto square = [&](int r, bool integer, Back back) { plan = {r, r, r, r, integer, back}; };
    switch (type) {
    case 1:
    case 5:
    case 12:
    case 13:
    case 26:
    case 27:
    case 30:
    case 34:
    case 36:
        square(1, true, type >= 12 && type <= 27 ? Back::UnitThenRescale : Back::Unit);
        return true;
    case 2:
    case 8:
    case 31:
    case 35:
        square(2, true, Back::Unit);
        return true;
    case 3:
        square(3, true, Back::Unit);
        return true;
    case 28:
    case 32:
        square(1, true, Back::UnitPlusHalf);
        return true;
    case 29:
    case 33:
        square(2, true, Back::UnitPlusHalf);
        return true;
    case 4:
    case 11:
        plan = {std::max(k.anchorX, 0),
                std::max(k.anchorY, 0),
                std::max(k.width - 1 - k.anchorX, 0),
                std::max(k.height - 1 - k.anchorY, 0),
                true,
                Back::Unit};
        return true;
    case 6:
        plan = {1, 0, 1, 0, true, Back::Unit};
        return true;
    case 7:
        plan = {0, 1, 0, 1, true, Back::Unit};
        return true;
    case 9:
        plan = {2, 0, 2, 0, true, Back::Unit};
        return true;
    case 10:
        plan = {0, 2, 0, 2, true, Back::Unit};
        return true;
    case 14:
    case 15:
    case 16:
    case 18:
    case 20:
    case 22:
    case 24:
        square(1, false, Back::Rescale);
        return true;
    case 17:
    case 19:
    case 21:
    case 23:
    case 25:
        square(2, false, Back::Rescale);
        return true;
    default:
        return false;
    }
}

int Run16s(int type, const CKernelGeometry& k, const std::int16_t* src, int srcStep, std::int16_t* dst,
           int dstStep, KSize roi) {
    const CKernelTable& K = Kernels();
    switch (type) {
    case 1:
    case 2:
    case 3: {
        const int side = 2 * type + 1;
        return K.box16s(src, srcStep, dst, dstStep, roi, {side, side}, {type, type});
    }
    case 4:
        return K.box16s(src, srcStep, dst, dstStep, roi, {k.width, k.height}, {k.anchorX, k.anchorY});
    case 5:
        return K.medianCross16s(src, srcStep, dst, dstStep, roi, Mask3x3);
    case 6:
        return K.medianHoriz16s(src, srcStep, dst, dstStep, roi, Mask3x1);
    case 7:
        return K.medianVert16s(src, srcStep, dst, dstStep, roi, Mask1x3);
    case 8:
        return K.medianCross16s(src, srcStep, dst, dstStep, roi, Mask5x5);
    case 9:
        return K.medianHoriz16s(src, srcStep, dst, dstStep, roi, Mask5x1);
    case 10:
        return K.medianVert16s(src, srcStep, dst, dstStep, roi, Mask1x5);
    case 11:
        return K.median16s(src, srcStep, dst, dstStep, roi, {k.width, k.height}, {k.anchorX, k.anchorY});
    case 12:
        return K.prewittHoriz16s(src, srcStep, dst, dstStep, roi);
    case 13:
        return K.prewittVert16s(src, srcStep, dst, dstStep, roi);
    case 26:
        return K.robertsUp16s(src, srcStep, dst, dstStep, roi);
    case 27:
        return K.robertsDown16s(src, srcStep, dst, dstStep, roi);
    case 28:
        return K.laplace16s(src, srcStep, dst, dstStep, roi, Mask3x3);
    case 29:
        return K.laplace16s(src, srcStep, dst, dstStep, roi, Mask5x5);
    case 30:
        return K.gauss16s(src, srcStep, dst, dstStep, roi, Mask3x3);
    case 31:
        return K.gauss16s(src, srcStep, dst, dstStep, roi, Mask5x5);
    case 32:
        return K.hipass16s(src, srcStep, dst, dstStep, roi, Mask3x3);
    case 33:
        return K.hipass16s(src, srcStep, dst, dstStep, roi, Mask5x5);
    case 34:
        return K.lowpass16s(src, srcStep, dst, dstStep, roi, Mask3x3);
    case 35:
        return K.lowpass16s(src, srcStep, dst, dstStep, roi, Mask5x5);
    case 36:
        return K.sharpen16s(src, srcStep, dst, dstStep, roi);
    default:
        return StsNoErr;
    }
}

int Run32f(int type, const float* src, int srcStep, float* dst, int dstStep, KSize roi) {
    const CKernelTable& K = Kernels();
    const MaskSize mask = type % 2 == 0 ? Mask3x3 : Mask5x5; // 16, 18, ... are 3 x 3; 17, 19, ... 5 x 5
    switch (type) {
    case 14:
        return K.scharrHoriz32f(src, srcStep, dst, dstStep, roi);
    case 15:
        return K.scharrVert32f(src, srcStep, dst, dstStep, roi);
    case 16:
    case 17:
        return K.sobelHoriz32f(src, srcStep, dst, dstStep, roi, mask);
    case 18:
    case 19:
        return K.sobelVert32f(src, srcStep, dst, dstStep, roi, mask);
    case 20:
    case 21:
        return K.sobelHorizSecond32f(src, srcStep, dst, dstStep, roi, mask);
    case 22:
    case 23:
        return K.sobelVertSecond32f(src, srcStep, dst, dstStep, roi, mask);
    case 24:
    case 25:
        return K.sobelCross32f(src, srcStep, dst, dstStep, roi, mask);
    default:
        return StsNoErr;
    }
}

} // namespace

void RobustRescale(float* grid, int columns, int rows) {
    if (!grid || columns <= 0 || rows <= 0)
        return;
    const std::size_t n = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    std::vector<float> values(grid, grid + n);
    // A flat result (a derivative of a flat surface) has no span to stretch by: it becomes all 0.
    StretchToUnit(grid, n, RobustRange(values.data(), n));
}

int CFilter::Apply(float* grid, int columns, int rows) {
    CPlan plan{};
    if (!grid || columns <= 0 || rows <= 0 || !PlanOf(type, kernel, plan))
        return StsNoErr;
    if (type >= 1 && type <= 3) {
        kernel.width = kernel.height = 2 * type + 1;
        kernel.anchorX = kernel.anchorY = type;
    }
    const KSize roi{columns, rows};
    const KSize outer{columns + plan.left + plan.right, rows + plan.top + plan.bottom};
    auto cell = [&](int j, int i) -> float& {
        return grid[static_cast<std::size_t>(j) + static_cast<std::size_t>(i) * columns];
    };

    if (plan.integer) {
        TImage16s work(columns, rows), bordered(outer.width, outer.height);
        if (!work || !bordered)
            return StsNoMem;
        for (int i = 0; i < rows; ++i)
            QuantiseRow(&cell(0, i), work.Row(i), columns);
        int status = Kernels().copyBorder16s(work.Row(0), work.Step(), roi, bordered.Row(0), bordered.Step(),
                                             outer, plan.top, plan.left);
        if (status == StsNoErr)
            status = Run16s(type, kernel, bordered.At(plan.left, plan.top), bordered.Step(), work.Row(0),
                            work.Step(), roi);
        if (status != StsNoErr)
            return status;
        const float half = plan.back == Back::UnitPlusHalf ? 0.5f : 0.0f;
        for (int i = 0; i < rows; ++i)
            UnquantiseRow(work.Row(i), &cell(0, i), columns, half);
    } else {
        TImage32f work(columns, rows), bordered(outer.width, outer.height);
        if (!work || !bordered)
            return StsNoMem;
        for (int i = 0; i < rows; ++i)
            std::copy(&cell(0, i), &cell(0, i) + columns, work.Row(i));
        int status = Kernels().copyBorder32f(work.Row(0), work.Step(), roi, bordered.Row(0), bordered.Step(),
                                             outer, plan.top, plan.left);
        if (status == StsNoErr)
            status = Run32f(type, bordered.At(plan.left, plan.top), bordered.Step(), work.Row(0), work.Step(),
                            roi);
        if (status != StsNoErr)
            return status;
        for (int i = 0; i < rows; ++i)
            std::copy(work.Row(i), work.Row(i) + columns, &cell(0, i));
    }
    if (plan.back == Back::UnitThenRescale || plan.back == Back::Rescale)
        RobustRescale(grid, columns, rows);
    return StsNoErr;
}

} // namespace doc
