#include "processing/Filter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "processing/AutoCorrelation.h"
#include "processing/Bands.h"
#include "processing/Fourier.h"
#include "processing/RobustRange.h"
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

using F = FilterType;

// The half side of the fixed-size mean filters; 0 for every other type.
int MeanRadius(FilterType type) {
    switch (type) {
    case F::Mean3:
        return 1;
    case F::Mean5:
        return 2;
    case F::Mean7:
        return 3;
    default:
        return 0;
    }
}

bool PlanOf(FilterType type, const CKernelGeometry& k, CPlan& plan) {
    auto square = [&](int r, bool integer, Back back) { plan = {r, r, r, r, integer, back}; };
    switch (type) {
    case F::Mean3:
    case F::Median3:
    case F::Gauss3:
    case F::LowPass3:
    case F::Sharpen:
        square(1, true, Back::Unit);
        return true;
    case F::PrewittHoriz:
    case F::PrewittVert:
    case F::RobertsUp:
    case F::RobertsDown:
        square(1, true, Back::UnitThenRescale);
        return true;
    case F::Mean5:
    case F::Median5:
    case F::Gauss5:
    case F::LowPass5:
        square(2, true, Back::Unit);
        return true;
    case F::Mean7:
        square(3, true, Back::Unit);
        return true;
    case F::Laplace3:
    case F::HighPass3:
        square(1, true, Back::UnitPlusHalf);
        return true;
    case F::Laplace5:
    case F::HighPass5:
        square(2, true, Back::UnitPlusHalf);
        return true;
    case F::MeanCustom:
    case F::MedianCustom:
        plan = {std::max(k.anchorX, 0),
                std::max(k.anchorY, 0),
                std::max(k.width - 1 - k.anchorX, 0),
                std::max(k.height - 1 - k.anchorY, 0),
                true,
                Back::Unit};
        return true;
    case F::Median3x1:
        plan = {1, 0, 1, 0, true, Back::Unit};
        return true;
    case F::Median1x3:
        plan = {0, 1, 0, 1, true, Back::Unit};
        return true;
    case F::Median5x1:
        plan = {2, 0, 2, 0, true, Back::Unit};
        return true;
    case F::Median1x5:
        plan = {0, 2, 0, 2, true, Back::Unit};
        return true;
    case F::ScharrHoriz:
    case F::ScharrVert:
    case F::SobelHoriz3:
    case F::SobelVert3:
    case F::SobelHorizSecond3:
    case F::SobelVertSecond3:
    case F::SobelCross3:
        square(1, false, Back::Rescale);
        return true;
    case F::SobelHoriz5:
    case F::SobelVert5:
    case F::SobelHorizSecond5:
    case F::SobelVertSecond5:
    case F::SobelCross5:
        square(2, false, Back::Rescale);
        return true;
    default:
        return false;
    }
}

int Run16s(FilterType type, const CKernelGeometry& k, const std::int16_t* src, int srcStep, std::int16_t* dst,
           int dstStep, KSize roi) {
    const CKernelTable& K = Kernels();
    switch (type) {
    case F::Mean3:
    case F::Mean5:
    case F::Mean7: {
        const int r = MeanRadius(type), side = 2 * r + 1;
        return K.box16s(src, srcStep, dst, dstStep, roi, {side, side}, {r, r});
    }
    case F::MeanCustom:
        return K.box16s(src, srcStep, dst, dstStep, roi, {k.width, k.height}, {k.anchorX, k.anchorY});
    case F::Median3:
        return K.medianCross16s(src, srcStep, dst, dstStep, roi, Mask3x3);
    case F::Median3x1:
        return K.medianHoriz16s(src, srcStep, dst, dstStep, roi, Mask3x1);
    case F::Median1x3:
        return K.medianVert16s(src, srcStep, dst, dstStep, roi, Mask1x3);
    case F::Median5:
        return K.medianCross16s(src, srcStep, dst, dstStep, roi, Mask5x5);
    case F::Median5x1:
        return K.medianHoriz16s(src, srcStep, dst, dstStep, roi, Mask5x1);
    case F::Median1x5:
        return K.medianVert16s(src, srcStep, dst, dstStep, roi, Mask1x5);
    case F::MedianCustom:
        return K.median16s(src, srcStep, dst, dstStep, roi, {k.width, k.height}, {k.anchorX, k.anchorY});
    case F::PrewittHoriz:
        return K.prewittHoriz16s(src, srcStep, dst, dstStep, roi);
    case F::PrewittVert:
        return K.prewittVert16s(src, srcStep, dst, dstStep, roi);
    case F::RobertsUp:
        return K.robertsUp16s(src, srcStep, dst, dstStep, roi);
    case F::RobertsDown:
        return K.robertsDown16s(src, srcStep, dst, dstStep, roi);
    case F::Laplace3:
        return K.laplace16s(src, srcStep, dst, dstStep, roi, Mask3x3);
    case F::Laplace5:
        return K.laplace16s(src, srcStep, dst, dstStep, roi, Mask5x5);
    case F::Gauss3:
        return K.gauss16s(src, srcStep, dst, dstStep, roi, Mask3x3);
    case F::Gauss5:
        return K.gauss16s(src, srcStep, dst, dstStep, roi, Mask5x5);
    case F::HighPass3:
        return K.hipass16s(src, srcStep, dst, dstStep, roi, Mask3x3);
    case F::HighPass5:
        return K.hipass16s(src, srcStep, dst, dstStep, roi, Mask5x5);
    case F::LowPass3:
        return K.lowpass16s(src, srcStep, dst, dstStep, roi, Mask3x3);
    case F::LowPass5:
        return K.lowpass16s(src, srcStep, dst, dstStep, roi, Mask5x5);
    case F::Sharpen:
        return K.sharpen16s(src, srcStep, dst, dstStep, roi);
    default:
        return StsNoErr;
    }
}

int Run32f(FilterType type, const float* src, int srcStep, float* dst, int dstStep, KSize roi) {
    const CKernelTable& K = Kernels();
    switch (type) {
    case F::ScharrHoriz:
        return K.scharrHoriz32f(src, srcStep, dst, dstStep, roi);
    case F::ScharrVert:
        return K.scharrVert32f(src, srcStep, dst, dstStep, roi);
    case F::SobelHoriz3:
        return K.sobelHoriz32f(src, srcStep, dst, dstStep, roi, Mask3x3);
    case F::SobelHoriz5:
        return K.sobelHoriz32f(src, srcStep, dst, dstStep, roi, Mask5x5);
    case F::SobelVert3:
        return K.sobelVert32f(src, srcStep, dst, dstStep, roi, Mask3x3);
    case F::SobelVert5:
        return K.sobelVert32f(src, srcStep, dst, dstStep, roi, Mask5x5);
    case F::SobelHorizSecond3:
        return K.sobelHorizSecond32f(src, srcStep, dst, dstStep, roi, Mask3x3);
    case F::SobelHorizSecond5:
        return K.sobelHorizSecond32f(src, srcStep, dst, dstStep, roi, Mask5x5);
    case F::SobelVertSecond3:
        return K.sobelVertSecond32f(src, srcStep, dst, dstStep, roi, Mask3x3);
    case F::SobelVertSecond5:
        return K.sobelVertSecond32f(src, srcStep, dst, dstStep, roi, Mask5x5);
    case F::SobelCross3:
        return K.sobelCross32f(src, srcStep, dst, dstStep, roi, Mask3x3);
    case F::SobelCross5:
        return K.sobelCross32f(src, srcStep, dst, dstStep, roi, Mask5x5);
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

int CFilter::Apply(float* grid, int columns, int rows, CScratch* scratch) {
    return Apply(grid, grid, columns, rows, scratch);
}

int CFilter::Apply(const float* src, float* dst, int columns, int rows, CScratch* scratch) {
    // The spectral windows' types report their own sizes and failures and need no kernel.
    if (type == F::Spectrum)
        return fourier::AmplitudeSpectrum(src, dst, columns, rows);
    if (type == F::AutoCorrelation)
        return AutoCorrelation(src, dst, columns, rows);
    CPlan plan{};
    if (!src || !dst || columns <= 0 || rows <= 0 || !PlanOf(type, kernel, plan))
        return StsNoErr;
    if (const int r = MeanRadius(type)) {
        kernel.width = kernel.height = 2 * r + 1;
        kernel.anchorX = kernel.anchorY = r;
    }
    CScratch own;
    CScratch& work = scratch ? *scratch : own;
    const CMargins margins{plan.left, plan.top, plan.right, plan.bottom};
    const std::size_t lineLength = static_cast<std::size_t>(columns);
    auto line = [&](int i) { return dst + static_cast<std::size_t>(i) * lineLength; };

    int status = StsNoErr;
    if (plan.integer) {
        const float half = plan.back == Back::UnitPlusHalf ? 0.5f : 0.0f;
        status = RunQuantisedBands(
            src, dst, columns, rows, margins, work, half,
            [&](const std::int16_t* origin, int step, std::int16_t* out, int outStep, KSize roi) {
                return Run16s(type, kernel, origin, step, out, outStep, roi);
            });
    } else {
        const long long rowBytes = static_cast<long long>(columns) * static_cast<long long>(sizeof(float));
        if (rowBytes > INT_MAX)
            return StsNoMem;
        status = RunBands<float>(
            src, columns, rows, margins, work,
            [&](const float* row, float* cells) { std::copy(row, row + columns, cells); },
            [&](const float* origin, int step, int first, int count) {
                return Run32f(type, origin, step, line(first), static_cast<int>(rowBytes), {columns, count});
            });
    }
    if (status != StsNoErr)
        return status;
    if (plan.back == Back::UnitThenRescale || plan.back == Back::Rescale)
        RobustRescale(dst, columns, rows);
    return StsNoErr;
}

} // namespace doc
