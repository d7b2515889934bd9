#pragma once
// A small dense matrix for normal-equation systems: row-major, element (column q, row r) at
// q + r * columns.
#include <algorithm>
#include <cstddef>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

namespace gl::e {

template <typename T> class TMatrix {
public:
    TMatrix() = default;

    // Discards the contents; on failure (negative sizes, no memory) the matrix is left empty.
    bool Resize(int columns, int rows) {
        m_cells.clear();
        m_columns = m_rows = 0;
        if (columns < 0 || rows < 0)
            return false;
        try {
            m_cells.resize(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
        } catch (const std::bad_alloc&) {
            return false;
        } catch (const std::length_error&) {
            return false;
        }
        m_columns = columns;
        m_rows = rows;
        return true;
    }

    void Zero() { std::fill(m_cells.begin(), m_cells.end(), T()); }

    void SwapColumns(int a, int b) {
        if (a == b)
            return;
        for (int r = 0; r < m_rows; ++r)
            std::swap((*this)(a, r), (*this)(b, r));
    }

    T& operator()(int column, int row) { return m_cells[Index(column, row)]; }
    const T& operator()(int column, int row) const { return m_cells[Index(column, row)]; }

    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }

private:
    std::size_t Index(int column, int row) const {
        return static_cast<std::size_t>(column) +
               static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columns);
    }

    std::vector<T> m_cells;
    int m_columns = 0, m_rows = 0;
};

} // namespace gl::e
