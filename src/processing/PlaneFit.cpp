#include "processing/PlaneFit.h"

#include <cmath>
#include <cstddef>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define VANTRI_PLANEFIT_SSE2 1
#else
#define VANTRI_PLANEFIT_SSE2 0
#endif

namespace doc {

namespace {

using Matrix = gl::e::TMatrix<double>;

[[noreturn]] void ThrowOutOfRange(const char* condition) {
    throw std::out_of_range(std::string("File: PlaneFit\n function:\n"
                                        "double calc_determinant(gl::e::TMatrix<double>& core, int size)\n") +
                            condition);
}

// The determinant of rows top ... top + n - 1 and the n columns listed in cols, by cofactor expansion
// along the first row. The minors are not copied out: each level passes its column list down, in
// scratch.
double Minor(const Matrix& core, int top, const int* cols, int n, int* scratch) {
    auto m = [&](int r, int c) { return core(cols[c], top + r); };
    if (n == 2)
        return m(0, 0) * m(1, 1) - m(0, 1) * m(1, 0);
    if (n == 3)
        return m(1, 0) * m(2, 1) * m(0, 2) + m(0, 1) * m(1, 2) * m(2, 0) + m(1, 1) * m(0, 0) * m(2, 2) -
               m(0, 2) * m(1, 1) * m(2, 0) - m(2, 1) * m(0, 0) * m(1, 2) - m(0, 1) * m(1, 0) * m(2, 2);
    int* sub = scratch;
    double det = 0.0;
    for (int b = 0; b < n; ++b) {
        for (int c = 0, s = 0; c < n; ++c)
            if (c != b)
                sub[s++] = cols[c];
        const double minor = Minor(core, top + 1, sub, n - 1, scratch + (n - 1));
        if (b % 2 == 0)
            det += m(0, b) * minor;
        else
            det -= m(0, b) * minor;
    }
    return det;
}

// Sums of the powers 0 ... 4 of the 1-based coordinates of one axis. Each power is formed as a double
// first: 4096^4 already needs 49 bits.
struct CPowerSums {
    double p[5] = {};
};

CPowerSums AxisSums(int n) {
    CPowerSums s;
    for (int t = 1; t <= n; ++t) {
        const double v = t, v2 = v * v;
        s.p[0] += 1.0;
        s.p[1] += v;
        s.p[2] += v2;
        s.p[3] += v2 * v;
        s.p[4] += v2 * v2;
    }
    return s;
}

// An axis that takes no part in a model: its only power sum is the empty product.
CPowerSums NoAxis() {
    CPowerSums s;
    s.p[0] = 1.0;
    return s;
}

struct CTerm {
    int px, py; // powers of x and y
};

struct CModel {
    int count;
    CTerm terms[5]; // in the order of the coefficients; the constant term last
};

const CModel* ModelOf(PlaneModel mode) {
    static const CModel kPlane{3, {{1, 0}, {0, 1}, {0, 0}}};
    static const CModel kParabolaX{3, {{2, 0}, {1, 0}, {0, 0}}};
    static const CModel kParabolaY{3, {{0, 2}, {0, 1}, {0, 0}}};
    static const CModel kParaboloid{5, {{2, 0}, {0, 2}, {1, 0}, {0, 1}, {0, 0}}};
    switch (mode) {
    case PlaneModel::Plane:
        return &kPlane;
    case PlaneModel::ParabolaX:
        return &kParabolaX;
    case PlaneModel::ParabolaY:
        return &kParabolaY;
    case PlaneModel::Paraboloid:
        return &kParaboloid;
    default:
        return nullptr;
    }
}

// Too few distinct coordinates make the system singular whatever the data; rounding could still give
// it a tiny non-zero determinant, so these shapes are not solved at all.
bool Solvable(PlaneModel mode, int columns, int rows) {
    switch (mode) {
    case PlaneModel::Plane:
        return columns >= 2 && rows >= 2;
    case PlaneModel::ParabolaX:
        return columns >= 3 && rows >= 1;
    case PlaneModel::ParabolaY:
        return rows >= 3 && columns >= 1;
    case PlaneModel::Paraboloid:
        return columns >= 3 && rows >= 3;
    default:
        return false;
    }
}

// out[p] = sum of x^p * z over one row (x = 1 ... n), p = 0 ... Degree. Four lanes per sum, folded
// at the end: without them the additions form one dependent chain, and the compiler may not reorder
// them to vectorise. x advances by 4 in each lane, which stays exact.
template <int Degree> void RowMoments(const float* z, std::size_t n, double* out) {
    double s0[4] = {}, s1[4] = {}, s2[4] = {};
    std::size_t j = 0;
#if VANTRI_PLANEFIT_SSE2
    __m128d a0 = _mm_setzero_pd(), b0 = a0, a1 = a0, b1 = a0, a2 = a0, b2 = a0;
    __m128d xa = _mm_set_pd(2.0, 1.0), xb = _mm_set_pd(4.0, 3.0);
    const __m128d four = _mm_set1_pd(4.0);
    for (; j + 4 <= n; j += 4) {
        const __m128 v = _mm_loadu_ps(z + j);
        const __m128d va = _mm_cvtps_pd(v), vb = _mm_cvtps_pd(_mm_movehl_ps(v, v));
        a0 = _mm_add_pd(a0, va);
        b0 = _mm_add_pd(b0, vb);
        if constexpr (Degree >= 1) {
            a1 = _mm_add_pd(a1, _mm_mul_pd(va, xa));
            b1 = _mm_add_pd(b1, _mm_mul_pd(vb, xb));
        }
        if constexpr (Degree >= 2) {
            a2 = _mm_add_pd(a2, _mm_mul_pd(va, _mm_mul_pd(xa, xa)));
            b2 = _mm_add_pd(b2, _mm_mul_pd(vb, _mm_mul_pd(xb, xb)));
        }
        xa = _mm_add_pd(xa, four);
        xb = _mm_add_pd(xb, four);
    }
    _mm_storeu_pd(s0, a0);
    _mm_storeu_pd(s0 + 2, b0);
    _mm_storeu_pd(s1, a1);
    _mm_storeu_pd(s1 + 2, b1);
    _mm_storeu_pd(s2, a2);
    _mm_storeu_pd(s2 + 2, b2);
#else
    for (; j + 4 <= n; j += 4)
        for (std::size_t k = 0; k < 4; ++k) {
            const double v = z[j + k], x = static_cast<double>(j + k + 1);
            s0[k] += v;
            if constexpr (Degree >= 1)
                s1[k] += v * x;
            if constexpr (Degree >= 2)
                s2[k] += v * (x * x);
        }
#endif
    for (; j < n; ++j) {
        const double v = z[j], x = static_cast<double>(j + 1);
        s0[0] += v;
        if constexpr (Degree >= 1)
            s1[0] += v * x;
        if constexpr (Degree >= 2)
            s2[0] += v * (x * x);
    }
    auto fold = [](const double* s) { return (s[0] + s[1]) + (s[2] + s[3]); };
    out[0] = fold(s0);
    if constexpr (Degree >= 1)
        out[1] = fold(s1);
    if constexpr (Degree >= 2)
        out[2] = fold(s2);
}

// The main part of each row runs in a loop whose trip count is a multiple of 8 (set outside the row
// loop): the compiler then vectorises it without needing a scalar remainder of its own.
std::size_t WholeBlocks(std::size_t n) {
    return n & ~static_cast<std::size_t>(7);
}

// Replaces every cell z of row i by cell(z, rowTerm(i), j).
template <typename RowTerm, typename Cell>
void MapRows(float* grid, std::size_t w, std::size_t h, std::size_t firstRow, RowTerm rowTerm, Cell cell) {
    const std::size_t body = WholeBlocks(w);
    for (std::size_t i = 0; i < h; ++i) {
        float* row = grid + i * w;
        const double t = rowTerm(firstRow + i);
        for (std::size_t j = 0; j < body; ++j)
            row[j] = cell(row[j], t, j);
        for (std::size_t j = body; j < w; ++j)
            row[j] = cell(row[j], t, j);
    }
}

// z[p][q] = sum over all cells of x^p * y^q * z. The sums separate: each row's sums over x are taken
// first and then weighted with that row's powers of y.
template <int Degree> void CellMoments(const float* grid, std::size_t w, std::size_t h, double (&z)[3][3]) {
    for (std::size_t i = 0; i < h; ++i) {
        const double y = static_cast<double>(i + 1), y2 = y * y;
        double r[3] = {};
        RowMoments<Degree>(grid + i * w, w, r);
        for (int p = 0; p <= Degree; ++p) {
            z[p][0] += r[p];
            z[p][1] += y * r[p];
            z[p][2] += y2 * r[p];
        }
    }
}

// Moments of the column means over x (the y powers stay 0).
void ColumnMeanMoments(const float* grid, std::size_t w, std::size_t h, double (&z)[3][3]) {
    std::vector<double> sums(w, 0.0);
    double* sum = sums.data();
    const std::size_t body = WholeBlocks(w);
    for (std::size_t i = 0; i < h; ++i) {
        const float* row = grid + i * w;
        for (std::size_t j = 0; j < body; ++j)
            sum[j] += row[j];
        for (std::size_t j = body; j < w; ++j)
            sum[j] += row[j];
    }
    for (std::size_t j = 0; j < w; ++j) {
        const double m = sums[j] / static_cast<double>(h), x = static_cast<double>(j + 1);
        z[0][0] += m;
        z[1][0] += m * x;
        z[2][0] += m * (x * x);
    }
}

// Moments of the row means over y (the x powers stay 0).
void RowMeanMoments(const float* grid, std::size_t w, std::size_t h, double (&z)[3][3]) {
    for (std::size_t i = 0; i < h; ++i) {
        double sum;
        RowMoments<0>(grid + i * w, w, &sum);
        const double m = sum / static_cast<double>(w), y = static_cast<double>(i + 1);
        z[0][0] += m;
        z[0][1] += m * y;
        z[0][2] += m * (y * y);
    }
}

// Each model is evaluated in double, in the order of its formula, and subtracted; the parts that
// depend on x alone are computed once per column.
// Rows of the grid count from firstRow: a band of a larger grid.
void SubtractModel(float* grid, std::size_t w, std::size_t h, std::size_t firstRow, PlaneModel mode,
                   const double* k) {
    std::vector<double> perColumnBuffer(w);
    double* perColumn = perColumnBuffer.data();
    const double a = k[0], b = k[1], c = k[2];
    auto to = [](double v) { return static_cast<float>(v); };
    switch (mode) {
    case PlaneModel::Plane: // z - ((c - 0.5) + (b*y + a*x))
        for (std::size_t j = 0; j < w; ++j)
            perColumn[j] = a * static_cast<double>(j + 1);
        MapRows(
            grid, w, h, firstRow, [=](std::size_t i) { return b * static_cast<double>(i + 1); },
            [=](double z, double by, std::size_t j) { return to(z - (c + (by + perColumn[j]))); });
        break;
    case PlaneModel::ParabolaX: // z - ((c - 0.5) + x*(b + x*a))
        for (std::size_t j = 0; j < w; ++j) {
            const double x = static_cast<double>(j + 1);
            perColumn[j] = c + x * (b + x * a);
        }
        MapRows(
            grid, w, h, firstRow, [](std::size_t) { return 0.0; },
            [=](double z, double, std::size_t j) { return to(z - perColumn[j]); });
        break;
    case PlaneModel::ParabolaY: // z - ((c - 0.5) + y*(b + y*a))
        MapRows(
            grid, w, h, firstRow,
            [=](std::size_t i) {
                const double y = static_cast<double>(i + 1);
                return c + y * (b + y * a);
            },
            [=](double z, double t, std::size_t) { return to(z - t); });
        break;
    case PlaneModel::Paraboloid: { // z - ((e - 0.5) + b*y^2 + d*y + x*(c + x*a))
        const double d = k[3], e = k[4];
        for (std::size_t j = 0; j < w; ++j) {
            const double x = static_cast<double>(j + 1);
            perColumn[j] = x * (c + x * a);
        }
        MapRows(
            grid, w, h, firstRow,
            [=](std::size_t i) {
                const double y = static_cast<double>(i + 1);
                return e + b * (y * y) + d * y;
            },
            [=](double z, double t, std::size_t j) { return to(z - (t + perColumn[j])); });
        break;
    }
    default:
        break;
    }
}

} // namespace

double calc_determinant(gl::e::TMatrix<double>& core, int size) {
    if (size < 2)
        ThrowOutOfRange("size < 2");
    if (size > core.Columns() || size > core.Rows())
        ThrowOutOfRange("size > matrix");
    // The column lists of all levels: size for the top, then size - 1, size - 2, ... for the minors.
    const std::size_t need = static_cast<std::size_t>(size) * static_cast<std::size_t>(size + 1) / 2;
    int local[64];
    std::vector<int> heap;
    int* cols = local;
    if (need > sizeof local / sizeof local[0]) {
        heap.resize(need);
        cols = heap.data();
    }
    for (int c = 0; c < size; ++c)
        cols[c] = c;
    return Minor(core, 0, cols, size, cols + size);
}

bool CPlaneFit::NormalEquations(const float* grid, int columns, int rows,
                                gl::e::TMatrix<double>& system) const {
    const CModel* model = ModelOf(mode);
    if (!model || !grid || columns <= 0 || rows <= 0)
        return false;
    const std::size_t w = static_cast<std::size_t>(columns), h = static_cast<std::size_t>(rows);
    try {
        double z[3][3] = {};
        CPowerSums xs = AxisSums(columns), ys = AxisSums(rows);
        switch (mode) {
        case PlaneModel::Plane:
            CellMoments<1>(grid, w, h, z);
            break;
        case PlaneModel::ParabolaX:
            ys = NoAxis();
            ColumnMeanMoments(grid, w, h, z);
            break;
        case PlaneModel::ParabolaY:
            xs = NoAxis();
            RowMeanMoments(grid, w, h, z);
            break;
        case PlaneModel::Paraboloid:
            CellMoments<2>(grid, w, h, z);
            break;
        default:
            break;
        }
        const int n = model->count;
        if (!system.Resize(n + 1, n))
            return false;
        // Sum of x^p y^q over the cells = (sum of x^p) (sum of y^q) over the axes.
        for (int r = 0; r < n; ++r) {
            const CTerm& tr = model->terms[r];
            for (int c = 0; c < n; ++c) {
                const CTerm& tc = model->terms[c];
                system(c, r) = xs.p[tr.px + tc.px] * ys.p[tr.py + tc.py];
            }
            system(n, r) = z[tr.px][tr.py];
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CPlaneFit::Coefficients(const float* grid, int columns, int rows, double (&k)[5]) const {
    if (!grid || !Solvable(mode, columns, rows))
        return false;
    try {
        Matrix system;
        if (!NormalEquations(grid, columns, rows, system))
            return false;
        // Cramer's rule: coefficient c is D_c / D, D_c with column c replaced by the right-hand side.
        const int n = system.Rows();
        const double d = calc_determinant(system, n);
        if (d == 0.0 || !std::isfinite(d))
            return false;
        const double inverse = 1.0 / d;
        for (int c = 0; c < n; ++c) {
            system.SwapColumns(c, n);
            k[c] = inverse * calc_determinant(system, n);
            system.SwapColumns(c, n);
            if (!std::isfinite(k[c]))
                return false;
        }
        k[n - 1] -= 0.5; // the residual is centred on 0.5
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void CPlaneFit::SubtractBand(float* band, int columns, int firstRow, int bandRows,
                             const double (&k)[5]) const {
    if (!band || columns <= 0 || bandRows <= 0 || firstRow < 0)
        return;
    try {
        SubtractModel(band, static_cast<std::size_t>(columns), static_cast<std::size_t>(bandRows),
                      static_cast<std::size_t>(firstRow), mode, k);
    } catch (const std::bad_alloc&) {
    }
}

void CPlaneFit::Apply(float* grid, int columns, int rows) const {
    double k[5];
    if (Coefficients(grid, columns, rows, k))
        SubtractBand(grid, columns, 0, rows, k);
}

} // namespace doc
