#include "analysis/Roughness.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "processing/Busy.h"
#include "processing/PlaneFit.h"

namespace statist {

namespace {

// The least-squares line z = a + b*k over k = 1..n, subtracted in double.
void SubtractLine(const float* z, std::size_t n, std::size_t stride, float* out) {
    if (n == 1) {
        out[0] = 0.0f;
        return;
    }
    double sz = 0.0, skz = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
        sz += z[k * stride];
        skz += static_cast<double>(k + 1) * z[k * stride];
    }
    const double dn = static_cast<double>(n);
    const double sk = dn * (dn + 1.0) / 2.0, skk = dn * (dn + 1.0) * (2.0 * dn + 1.0) / 6.0;
    const double b = (dn * skz - sk * sz) / (dn * skk - sk * sk);
    const double a = (sz - b * sk) / dn;
    for (std::size_t k = 0; k < n; ++k)
        out[k * stride] = static_cast<float>(z[k * stride] - (a + b * static_cast<double>(k + 1)));
}

// Sums of |r|, r^2, r^3 and r^4 over one row, four lanes each so that the additions need not form
// one dependent chain; the totals over rows are kept in extended precision.
struct CSums {
    long double abs = 0.0L, p2 = 0.0L, p3 = 0.0L, p4 = 0.0L;
};

void AddRow(const float* r, std::size_t n, CSums& sums, float& lo, float& hi) {
    double a[4] = {}, s2[4] = {}, s3[4] = {}, s4[4] = {};
    float mn[4] = {r[0], r[0], r[0], r[0]}, mx[4] = {r[0], r[0], r[0], r[0]};
    std::size_t j = 0;
    for (; j + 4 <= n; j += 4)
        for (std::size_t k = 0; k < 4; ++k) {
            const float f = r[j + k];
            const double v = f, v2 = v * v;
            a[k] += std::fabs(v);
            s2[k] += v2;
            s3[k] += v2 * v;
            s4[k] += v2 * v2;
            mn[k] = std::min(mn[k], f);
            mx[k] = std::max(mx[k], f);
        }
    for (; j < n; ++j) {
        const float f = r[j];
        const double v = f, v2 = v * v;
        a[0] += std::fabs(v);
        s2[0] += v2;
        s3[0] += v2 * v;
        s4[0] += v2 * v2;
        mn[0] = std::min(mn[0], f);
        mx[0] = std::max(mx[0], f);
    }
    sums.abs += (a[0] + a[1]) + (a[2] + a[3]);
    sums.p2 += (s2[0] + s2[1]) + (s2[2] + s2[3]);
    sums.p3 += (s3[0] + s3[1]) + (s3[2] + s3[3]);
    sums.p4 += (s4[0] + s4[1]) + (s4[2] + s4[3]);
    lo = std::min({lo, mn[0], mn[1], mn[2], mn[3]});
    hi = std::max({hi, mx[0], mx[1], mx[2], mx[3]});
}

// A moment that came out as no number (an overflow of a residual cubed cannot happen in [-1, 1],
// but a hostile grid is no reason to show "nan") counts as undefined.
std::optional<double> Defined(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

// Hands the residuals to take(rows, count) one band of rows at a time, so that a large grid needs no
// second grid of residuals: a band of about 64 KiB stays in the cache from its subtraction to its use.
template <typename Take> void ForEachResidualBand(const float* grid, int columns, int rows, Take take) {
    const std::size_t w = static_cast<std::size_t>(columns), h = static_cast<std::size_t>(rows);
    if (columns < 2 || rows < 2) {
        // No plane fits a single row or column: its least-squares line along the scan is taken.
        std::vector<float> line(w * h);
        SubtractLine(grid, w * h, 1, line.data());
        take(line.data(), w * h);
        return;
    }
    doc::CPlaneFit fit;
    fit.mode = doc::PlaneModel::Plane;
    double k[5];
    const bool fitted = fit.Coefficients(grid, columns, rows, k);
    const std::size_t bandRows = std::max<std::size_t>(1, 16384 / w);
    std::vector<float> band(bandRows * w);
    for (std::size_t first = 0; first < h; first += bandRows) {
        doc::busy::Tick();
        const std::size_t count = std::min(bandRows, h - first);
        std::copy(grid + first * w, grid + (first + count) * w, band.data());
        // A system that cannot be solved leaves the heights as they are, about the level 0.5.
        if (fitted)
            fit.SubtractBand(band.data(), columns, static_cast<int>(first), static_cast<int>(count), k);
        for (std::size_t q = 0; q < count * w; ++q)
            band[q] -= 0.5f;
        take(band.data(), count * w);
    }
}

} // namespace

void MeanPlaneResiduals(const float* grid, int columns, int rows, float* out) {
    if (!grid || !out || columns <= 0 || rows <= 0)
        return;
    float* to = out;
    ForEachResidualBand(grid, columns, rows, [&](const float* r, std::size_t count) {
        std::copy(r, r + count, to);
        to += count;
    });
}

CRoughness Roughness(const float* grid, int columns, int rows) {
    CRoughness result;
    if (!grid || columns <= 0 || rows <= 0)
        return result;
    CSums sums;
    float lo = std::numeric_limits<float>::infinity(), hi = -lo;
    ForEachResidualBand(grid, columns, rows,
                        [&](const float* r, std::size_t count) { AddRow(r, count, sums, lo, hi); });
    const std::size_t n = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    const long double ln = static_cast<long double>(n);
    result.points = n;
    result.ra = static_cast<double>(sums.abs / ln);
    result.rq = std::sqrt(static_cast<double>(sums.p2 / ln));
    result.peak = hi;
    result.valley = lo;
    if (result.rq > 0.0) {
        const long double rq = result.rq;
        result.sk = Defined(static_cast<double>(sums.p3 / (ln * rq * rq * rq)));
        result.ks = Defined(static_cast<double>(sums.p4 / (ln * rq * rq * rq * rq)));
    }
    return result;
}

ph::Size Physical(const ph::Size& range, double normalised) {
    ph::Size quantity = range * normalised;
    quantity.normalize();
    return quantity;
}

std::wstring QuantityText(ph::Size quantity) {
    return quantity.str(3);
}

std::wstring MomentText(const std::optional<double>& moment) {
    if (!moment)
        return L"n/a";
    // Rounding noise about a symmetric surface would otherwise read "-0.00".
    double value = *moment;
    if (std::fabs(value) < 0.005)
        value = 0.0;
    char text[400];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    if (written.ec != std::errc())
        return L"n/a";
    return std::wstring(text, written.ptr);
}

CIsoHeights IsoHeights(const CRoughness& roughness, const ph::Size& range) {
    CIsoHeights iso;
    iso.sa = Physical(range, roughness.ra);
    iso.sq = Physical(range, roughness.rq);
    iso.sp = Physical(range, roughness.peak);
    iso.sv = Physical(range, -roughness.valley);
    iso.sz = Physical(range, roughness.peak - roughness.valley);
    iso.ssk = roughness.sk;
    iso.sku = roughness.ks;
    return iso;
}

} // namespace statist
