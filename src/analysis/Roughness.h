#pragma once
// The roughness of a surface about its mean plane: Ra, Rq, skewness and kurtosis as the statistics
// window shows them, and the height parameters of ISO 25178 that the command line adds.
#include <optional>
#include <string>

#include "model/phSize.h"

namespace statist {

// Residuals of a grid (columns x rows, row-major) about its least-squares mean plane, with zero mean,
// written to out (columns x rows floats; out may be grid). The plane is the one plane fitting of the
// correction chain subtracts (model Plane), so the residuals are those of the chain less its 0.5.
// A single row or column has no unique plane: its least-squares line along the scan is taken instead,
// and a single point is its own mean.
void MeanPlaneResiduals(const float* grid, int columns, int rows, float* out);

// Moments of the residuals, normalised (the range of the surface is 1). Skewness and kurtosis are
// undefined, and empty, when Rq is 0 (a surface whose residuals are all 0: flat, tilted or a single
// point). Kurtosis is not reduced by 3.
struct CRoughness {
    double ra = 0.0;
    double rq = 0.0;
    std::optional<double> sk;
    std::optional<double> ks;
    // The highest and lowest residual.
    double peak = 0.0;
    double valley = 0.0;
    std::size_t points = 0;
};

// Ra = sum |r| / N, Rq = sqrt(sum r^2 / N), Sk = sum r^3 / (N Rq^3), Ks = sum r^4 / (N Rq^4) over the
// N residuals r of the grid about its mean plane. An empty grid gives all zeros.
CRoughness Roughness(const float* grid, int columns, int rows);

// A normalised height times the surface's range, in its best prefix: what the Ra and Rq panes show.
ph::Size Physical(const ph::Size& range, double normalised);
// The pane text of such a quantity: three significant digits with the unit ("12.3 nm").
std::wstring QuantityText(ph::Size quantity);
// Skewness and kurtosis as the panes show them: two decimals whatever the locale ("0.00", never
// "-0.00"), or "n/a" when undefined.
std::wstring MomentText(const std::optional<double>& moment);

// The height parameters of ISO 25178-2 about the least-squares mean plane, in physical units: Sa, Sq,
// Sp (highest peak), Sv (depth of the lowest valley, positive), Sz = Sp + Sv; Ssk and Sku (not
// reduced by 3) are dimensionless and empty when Sq is 0.
struct CIsoHeights {
    ph::Size sa, sq, sp, sv, sz;
    std::optional<double> ssk, sku;
};
CIsoHeights IsoHeights(const CRoughness& roughness, const ph::Size& range);

} // namespace statist
