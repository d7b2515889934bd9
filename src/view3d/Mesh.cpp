#include "view3d/Mesh.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "processing/Busy.h"

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

// Newell's sums over the quad P0 = P(i, j), P1 = P(i+1, j), P2 = P(i+1, j+1), P3 = P(i, j+1) lose
// their zero terms where x depends on the column only and y on the row only, and reduce to
//   N = (dy (z0 + z1 - z2 - z3), dx (z1 + z2 - z0 - z3), 2 dx dy),
// dx = x(j+1) - x(j), dy = y(i) - y(i+1): the same normal without the cancellation of the full sums
// at coordinates near +-nx/2. Normalised by a division (not a reciprocal's product) since sqrt(z * z)
// is z in binary floating point: a level cell's (0, 0, 2 dx dy) becomes exactly (0, 0, 1). A zero
// normal stays as it is.
inline void CellNormal(float z0, float z1, float z2, float z3, float dx, float dy, float* n) {
    const float x = dy * ((z0 + z1) - (z2 + z3)), y = dx * ((z1 + z2) - (z0 + z3)), z = 2.0f * dx * dy;
    const float length = std::sqrt((x * x + y * y) + z * z);
    if (length == 0) {
        n[0] = x, n[1] = y, n[2] = z;
        return;
    }
    n[0] = x / length;
    n[1] = y / length;
    n[2] = z / length;
}

// The normals of one row of cells from the heights of its upper and lower edge, laid out one after
// another, and each column's dx. Four cells at a time where SSE2 is there, by the same operations in
// the same order as CellNormal, so that every cell gets the same bits either way.
void RowNormals(const float* zTop, const float* zBottom, const float* dxs, float dy, int cells, float* n) {
    int j = 0;
#if defined(__SSE2__)
    const __m128 vdy = _mm_set1_ps(dy), two = _mm_set1_ps(2.0f), zero = _mm_setzero_ps();
    for (; j + 4 <= cells; j += 4) {
        const __m128 z0 = _mm_loadu_ps(zTop + j), z3 = _mm_loadu_ps(zTop + j + 1);
        const __m128 z1 = _mm_loadu_ps(zBottom + j), z2 = _mm_loadu_ps(zBottom + j + 1);
        const __m128 dx = _mm_loadu_ps(dxs + j);
        const __m128 x = _mm_mul_ps(vdy, _mm_sub_ps(_mm_add_ps(z0, z1), _mm_add_ps(z2, z3)));
        const __m128 y = _mm_mul_ps(dx, _mm_sub_ps(_mm_add_ps(z1, z2), _mm_add_ps(z0, z3)));
        const __m128 z = _mm_mul_ps(_mm_mul_ps(two, dx), vdy);
        const __m128 length =
            _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y)), _mm_mul_ps(z, z)));
        const __m128 none = _mm_cmpeq_ps(length, zero);
        auto unit = [&](__m128 sum) {
            return _mm_or_ps(_mm_and_ps(none, sum), _mm_andnot_ps(none, _mm_div_ps(sum, length)));
        };
        const __m128 ux = unit(x), uy = unit(y), uz = unit(z);
        // Four normals side by side into three each: x0 y0 z0 x1 | y1 z1 x2 y2 | z2 x3 y3 z3.
        const __m128 xy01 = _mm_unpacklo_ps(ux, uy), xy23 = _mm_unpackhi_ps(ux, uy);
        const __m128 z0x1 = _mm_shuffle_ps(uz, xy01, _MM_SHUFFLE(2, 2, 0, 0));
        const __m128 y1z1 = _mm_shuffle_ps(xy01, uz, _MM_SHUFFLE(1, 1, 3, 3));
        const __m128 z23xy3 = _mm_shuffle_ps(uz, xy23, _MM_SHUFFLE(3, 2, 3, 2));
        _mm_storeu_ps(n, _mm_shuffle_ps(xy01, z0x1, _MM_SHUFFLE(2, 0, 1, 0)));
        _mm_storeu_ps(n + 4, _mm_shuffle_ps(y1z1, xy23, _MM_SHUFFLE(1, 0, 2, 0)));
        _mm_storeu_ps(n + 8, _mm_shuffle_ps(z23xy3, z23xy3, _MM_SHUFFLE(1, 3, 2, 0)));
        n += 12;
    }
#endif
    for (; j < cells; ++j, n += 3)
        CellNormal(zTop[j], zBottom[j], zBottom[j + 1], zTop[j + 1], dxs[j], dy, n);
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
        if (i % 256 == 0)
            doc::busy::Tick();
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
    // The heights of two rows side by side for the cells between them, and dx, the same on every row.
    std::vector<float> upper, lower, dxs;
    if (!Allocate(upper, std::size_t(nx)) || !Allocate(lower, std::size_t(nx)) ||
        !Allocate(dxs, std::size_t(nx))) {
        mesh.normals.clear();
        return;
    }
    const float* v = mesh.vertices.data();
    for (int j = 0; j + 1 < nx; ++j)
        dxs[j] = v[3 * j + 3] - v[3 * j];
    for (int j = 0; j < nx; ++j)
        lower[j] = v[3 * j + 2];
    for (int i = 0; i + 1 < ny; ++i) {
        if (i % 256 == 0)
            doc::busy::Tick();
        const float* above = v + std::size_t(i) * rowFloats;
        const float* below = above + rowFloats;
        upper.swap(lower);
        for (int j = 0; j < nx; ++j)
            lower[j] = below[3 * j + 2];
        float* n = normals + std::size_t(i) * rowFloats;
        RowNormals(upper.data(), lower.data(), dxs.data(), above[1] - below[1], nx - 1, n);
        // The last column takes its left neighbour's normal.
        n += rowFloats - 3;
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
