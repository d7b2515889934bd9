#pragma once
// The plane-fitting stage of the correction chain: fits a low-order polynomial to the grid by least
// squares and subtracts it, leaving the residual centred on 0.5. Coordinates are 1-based cell indices:
// x = column + 1, y = row + 1.
#include "processing/TMatrix.h"

namespace doc {

// The determinant of the leading size x size block of core (further columns, such as the right-hand
// side of an augmented system, are not read). Throws std::out_of_range for a size below 2 or beyond
// the matrix.
double calc_determinant(gl::e::TMatrix<double>& core, int size);

// The models: Plane a·x + b·y + c, ParabolaX in x fitted to the column means, ParabolaY in y fitted to
// the row means, Paraboloid a·x² + b·y² + c·x + d·y + e (no x·y term).
enum class PlaneModel : int { None = 0, Plane = 1, ParabolaX = 2, ParabolaY = 3, Paraboloid = 4 };

class CPlaneFit {
public:
    PlaneModel mode = PlaneModel::None;

    // Subtracts the fitted model from the grid (columns x rows, row-major). The grid is left as it is
    // for no model or an unknown one, a singular system (too few rows or columns for the model), or
    // when memory runs out.
    void Apply(float* grid, int columns, int rows) const;
    // Apply in two steps, for a grid that is worked on one band of rows at a time: the model's
    // coefficients (in the order below, the constant less 0.5), false where Apply leaves the grid as
    // it is; then their subtraction from rows firstRow .. firstRow + bandRows - 1 of the grid, held
    // in band.
    bool Coefficients(const float* grid, int columns, int rows, double (&k)[5]) const;
    void SubtractBand(float* band, int columns, int firstRow, int bandRows, const double (&k)[5]) const;

    // The augmented normal equations of the model (n + 1 columns, n rows, the right-hand side last),
    // in the order of the coefficients above. False for no model or an unknown one, an empty grid, or
    // no memory.
    bool NormalEquations(const float* grid, int columns, int rows, gl::e::TMatrix<double>& system) const;
};

} // namespace doc
