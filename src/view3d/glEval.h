#pragma once
// Rounding and bilinear sampling shared by the views and the rulers.
#include <cstddef>

#include "framework/fwContract.h"

namespace gl {

// Half away from zero; negative values (and NaN) are refused. Values past the unsigned range saturate.
unsigned round(const float val);

// Rounds val half away from zero to precision decimals (-4..4), in single precision.
float fround(const float val, const int precision);

namespace e {

// A read-only view of a row-major height grid: element (column j, row i) at j + i * columns.
template <typename T> class TGridView {
public:
    TGridView(const T* cells, std::size_t columns, std::size_t rows)
        : m_cells(cells), m_columns(columns), m_rows(rows) {}

    std::size_t Columns() const { return m_columns; }
    std::size_t Rows() const { return m_rows; }
    const T& operator()(std::size_t column, std::size_t row) const {
        return m_cells[column + row * m_columns];
    }

    // Bilinear height at (x, y) in cells, x in 0..columns and y in 0..rows (ends included); beyond the
    // last column or row the edge cells are held.
    T interp(const float x, const float y) const {
        // The negated test also refuses NaN; an empty grid has no cell to hold.
        if (m_columns == 0 || m_rows == 0 || !(x >= 0.0f && x <= static_cast<float>(m_columns)) ||
            !(y >= 0.0f && y <= static_cast<float>(m_rows)))
            fw::ThrowOutOfRange("glEval", "T interp(const float x, const float y) const ", "");
        const std::size_t i = static_cast<std::size_t>(x);
        const std::size_t k = static_cast<std::size_t>(y);
        const float fx = x - static_cast<float>(i);
        const float fy = y - static_cast<float>(k);
        const std::size_t lastColumn = m_columns - 1, lastRow = m_rows - 1;
        T left, right;
        if (k < lastRow) {
            const std::size_t c = i < lastColumn ? i : lastColumn;
            left = (1.0f - fy) * (*this)(c, k) + fy * (*this)(c, k + 1);
            right = i < lastColumn ? (1.0f - fy) * (*this)(i + 1, k) + fy * (*this)(i + 1, k + 1) : left;
        } else if (i < lastColumn) {
            left = (*this)(i, lastRow);
            right = (*this)(i + 1, lastRow);
        } else {
            left = right = (*this)(lastColumn, lastRow);
        }
        return (1.0f - fx) * left + fx * right;
    }

private:
    const T* m_cells;
    std::size_t m_columns, m_rows;
};

} // namespace e

} // namespace gl
