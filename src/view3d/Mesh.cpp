#include "view3d/Mesh.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

namespace surface {

namespace {

void Clear(CMeshGrid& mesh) {
    mesh.columns = mesh.rows = 0;
    mesh.vertices.clear();
    mesh.normals.clear();
}

// A vector sized to n values, or false (and empty) when the memory is not there.
template <typename Vector> bool Allocate(Vector& values, std::size_t n) {
    try {
        values.resize(n);
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    values.clear();
    return false;
}

bool Consistent(const CMeshGrid& mesh) {
    return !mesh.Empty() && std::size_t(mesh.columns) * std::size_t(mesh.rows) <= kMaxMeshVertices &&
           mesh.vertices.size() == 3 * std::size_t(mesh.columns) * std::size_t(mesh.rows);
}

// Normalises n in double, so that a level cell's (0, 0, 2 dx dy) becomes exactly (0, 0, 1) and any
// other keeps its float precision; a zero normal stays as it is.
inline void StoreUnit(float x, float y, float z, float* n) {
    const double length2 = double(x) * x + double(y) * y + double(z) * z;
    if (length2 == 0) {
        n[0] = x, n[1] = y, n[2] = z;
        return;
    }
    const double inverse = 1.0 / std::sqrt(length2);
    n[0] = float(x * inverse);
    n[1] = float(y * inverse);
    n[2] = float(z * inverse);
}

// One wall: count edge points from first, step vertices apart, each the surface point and its foot in
// the order asked.
void BuildWall(const float* first, std::size_t step, int count, bool footFirst, std::vector<float>& wall) {
    wall.resize(6 * std::size_t(count));
    float* w = wall.data();
    for (int k = 0; k < count; ++k, w += 6) {
        const float* p = first + 3 * step * std::size_t(k);
        float* surface = footFirst ? w + 3 : w;
        float* foot = footFirst ? w : w + 3;
        surface[0] = foot[0] = p[0];
        surface[1] = foot[1] = p[1];
        surface[2] = p[2];
        foot[2] = 0.0f;
    }
}

// Where the reduced grid's samples fall along one side: the first source index and the weight of the
// next, with the last sample exactly on the last point.
struct CTap {
    int index;
    float weight;
};

std::vector<CTap> Taps(int from, int to) {
    std::vector<CTap> taps(std::size_t(to), CTap{0, 0.0f});
    for (int q = 1; q < to; ++q) {
        // Integers below 2^53: the last position is exactly from - 1.
        const double u = double(q) * double(from - 1) / double(to - 1);
        const int index = std::min(int(u), from - 1);
        taps[q] = index == from - 1 ? CTap{index, 0.0f} : CTap{index, float(u - index)};
    }
    return taps;
}

// The reduced size: the grid's sides scaled alike so that at most most vertices remain, each side at
// least 2 points (1 when most is below 4) and no longer than the grid's.
void ReducedSize(int columns, int rows, std::size_t most, int& outColumns, int& outRows) {
    const double scale = std::sqrt(double(most) / (double(columns) * double(rows)));
    const int least = most >= 4 ? 2 : 1;
    const int leastColumns = std::min(columns, least), leastRows = std::min(rows, least);
    int c = std::clamp(int(std::min(double(columns), std::floor(columns * scale))), leastColumns, columns);
    int r = std::clamp(int(std::min(double(rows), std::floor(rows * scale))), leastRows, rows);
    // Rounding, or a side held at its least, may leave too many: the relatively longer side gives way.
    while (std::size_t(c) * std::size_t(r) > most) {
        const bool columnsGive =
            r <= leastRows || (c > leastColumns && double(c) * rows >= double(r) * columns);
        if (columnsGive && c > leastColumns)
            --c;
        else if (r > leastRows)
            --r;
        else
            break;
    }
    if (std::size_t(c) * std::size_t(r) > most) // most is 1, 2 or 3 and both sides are 1 or 2
        c = r = 1;
    outColumns = c;
    outRows = r;
}

} // namespace

std::size_t CMeshGrid::Bytes() const {
    return (vertices.capacity() + normals.capacity()) * sizeof(float);
}

std::size_t CWalls::Bytes() const {
    return (a.capacity() + b.capacity() + c.capacity() + d.capacity()) * sizeof(float);
}

void BuildVertices(const float* heights, int columns, int rows, CMeshGrid& mesh) {
    if (!heights || columns <= 0 || rows <= 0 ||
        std::size_t(columns) * std::size_t(rows) > kMaxMeshVertices) {
        Clear(mesh);
        return;
    }
    const std::size_t count = std::size_t(columns) * std::size_t(rows);
    std::vector<float> xs;
    if (!Allocate(mesh.vertices, 3 * count) || !Allocate(xs, std::size_t(columns))) {
        Clear(mesh);
        return;
    }
    mesh.columns = columns;
    mesh.rows = rows;
    const float a = columns * 0.5f, b = rows * 0.5f;
    // x depends on the column alone: worked out once for all rows.
    for (int j = 0; j < columns; ++j)
        xs[j] = float(j) + float(j) / (2.0f * a) - a;
    for (int i = 0; i < rows; ++i) {
        const float y = b - float(i) - float(i) / (2.0f * b);
        const float* h = heights + std::size_t(i) * std::size_t(columns);
        float* v = mesh.vertices.data() + 3 * std::size_t(i) * std::size_t(columns);
        for (int j = 0; j < columns; ++j, v += 3) {
            v[0] = xs[j];
            v[1] = y;
            v[2] = a * h[j] * 0.5f;
        }
    }
}

void BuildNormals(CMeshGrid& mesh) {
    if (!Consistent(mesh) || !Allocate(mesh.normals, mesh.vertices.size())) {
        mesh.normals.clear();
        return;
    }
    const int nx = mesh.columns, ny = mesh.rows;
    const std::size_t rowFloats = 3 * std::size_t(nx);
    float* normals = mesh.normals.data();
    if (nx < 2 || ny < 2) {
        for (std::size_t k = 0; k < mesh.normals.size(); k += 3)
            normals[k] = 0.0f, normals[k + 1] = 0.0f, normals[k + 2] = 1.0f;
        return;
    }
    // Newell's sums over the quad P0 = P(i, j), P1 = P(i+1, j), P2 = P(i+1, j+1), P3 = P(i, j+1) lose
    // their zero terms where x depends on the column only and y on the row only, and reduce to
    //   N = (dy (z0 + z1 - z2 - z3), dx (z1 + z2 - z0 - z3), 2 dx dy),
    // dx = x(j+1) - x(j), dy = y(i) - y(i+1): the same normal without the cancellation of the full sums
    // at coordinates near +-nx/2, and exactly +z where the four heights are equal.
    for (int i = 0; i + 1 < ny; ++i) {
        const float* top = mesh.vertices.data() + std::size_t(i) * rowFloats;
        const float* bottom = top + rowFloats;
        float* n = normals + std::size_t(i) * rowFloats;
        const float dy = top[1] - bottom[1];
        for (int j = 0; j + 1 < nx; ++j, top += 3, bottom += 3, n += 3) {
            const float dx = top[3] - top[0];
            const float z0 = top[2], z1 = bottom[2], z2 = bottom[5], z3 = top[5];
            StoreUnit(dy * ((z0 + z1) - (z2 + z3)), dx * ((z1 + z2) - (z0 + z3)), 2.0f * dx * dy, n);
        }
        // The last column takes its left neighbour's normal.
        n[0] = n[-3], n[1] = n[-2], n[2] = n[-1];
    }
    // The last row takes the row above it, whose last column already holds its left neighbour's.
    std::copy(normals + (ny - 2) * rowFloats, normals + (ny - 1) * rowFloats, normals + (ny - 1) * rowFloats);
}

void BuildWalls(const CMeshGrid& mesh, CWalls& walls) {
    if (!Consistent(mesh)) {
        walls = CWalls();
        return;
    }
    const std::size_t nx = std::size_t(mesh.columns), ny = std::size_t(mesh.rows);
    const float* v = mesh.vertices.data();
    BuildWall(v, nx, mesh.rows, false, walls.a);
    BuildWall(v + 3 * (ny - 1) * nx, 1, mesh.columns, false, walls.b);
    BuildWall(v + 3 * (nx - 1), nx, mesh.rows, true, walls.c);
    BuildWall(v, 1, mesh.columns, true, walls.d);
}

void StripIndices(int columns, int row, std::vector<std::uint32_t>& indices) {
    indices.clear();
    if (columns <= 0 || row < 0 || (std::uint64_t(row) + 2) * std::uint64_t(columns) > 0xFFFFFFFFull + 1)
        return;
    indices.resize(2 * std::size_t(columns));
    const std::uint32_t top = std::uint32_t(row) * std::uint32_t(columns),
                        bottom = top + std::uint32_t(columns);
    for (std::uint32_t j = 0; j < std::uint32_t(columns); ++j) {
        indices[2 * j] = top + j;
        indices[2 * j + 1] = bottom + j;
    }
}

void Reduce(const float* heights, int columns, int rows, std::size_t maxVertices, std::vector<float>& out,
            int& outColumns, int& outRows) {
    outColumns = outRows = 0;
    out.clear();
    if (!heights || columns <= 0 || rows <= 0 || maxVertices == 0)
        return;
    const std::size_t count = std::size_t(columns) * std::size_t(rows);
    if (count <= maxVertices) {
        try {
            out.assign(heights, heights + count);
        } catch (const std::bad_alloc&) {
            out.clear();
            return;
        }
        outColumns = columns;
        outRows = rows;
        return;
    }
    int c = 0, r = 0;
    ReducedSize(columns, rows, maxVertices, c, r);
    if (!Allocate(out, std::size_t(c) * std::size_t(r)))
        return;
    const std::vector<CTap> across = Taps(columns, c), down = Taps(rows, r);
    for (int p = 0; p < r; ++p) {
        const CTap t = down[p];
        const float* upper = heights + std::size_t(t.index) * std::size_t(columns);
        // The last row has no row below it; its weight is 0 there.
        const float* lower = t.index + 1 < rows ? upper + columns : upper;
        float* o = out.data() + std::size_t(p) * std::size_t(c);
        for (int q = 0; q < c; ++q) {
            const CTap s = across[q];
            const int next = s.index + 1 < columns ? s.index + 1 : s.index;
            const float above = upper[s.index] + s.weight * (upper[next] - upper[s.index]);
            const float below = lower[s.index] + s.weight * (lower[next] - lower[s.index]);
            o[q] = above + t.weight * (below - above);
        }
    }
    outColumns = c;
    outRows = r;
}

} // namespace surface
