#pragma once
// The surface as the 3D and bump views draw it: a grid of vertices with their normals, and the four
// side walls that drop from the surface's edges to height 0. Plain arrays, made here without OpenGL;
// the window layer compiles them into display lists.
//
// For a grid of nx columns and ny rows of normalised heights h (0..1), with a = nx * 0.5 and
// b = ny * 0.5 as floats:
//   x(j) = j + j / (2a) - a,   y(i) = b - i - i / (2b),   z(i, j) = a * h(i, j) * 0.5,
// so the model is centred on the origin, row 0 lies at +y and the full height range spans a quarter of
// the grid's width.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "processing/GridAllocator.h"

namespace surface {

// The most vertices a mesh holds: a 16384 x 16384 grid, 6 GiB of vertices and normals, far beyond any
// scan; it also keeps every vertex index within 32 bits.
constexpr std::size_t kMaxMeshVertices = std::size_t(1) << 28;

// Vertices and normals, 3 floats each, row-major: vertex (row i, column j) at 3 * (j + i * columns).
// The arrays of a 4096 x 4096 grid are 200 MB each: they live on huge pages and are not zero-filled
// before they are written, as the surface's own grids.
struct CMeshGrid {
    int columns = 0; // nx
    int rows = 0;    // ny
    doc::TGrid<float> vertices;
    doc::TGrid<float> normals;

    bool Empty() const { return columns <= 0 || rows <= 0; }
    // The bytes the arrays hold.
    std::size_t Bytes() const;
};

// The vertex array of a grid by the formulas above. A grid of no cells leaves an empty mesh, and so does
// one of more than kMaxMeshVertices or one whose arrays cannot be allocated.
void BuildVertices(const float* heights, int columns, int rows, CMeshGrid& mesh);

// The normals: for every cell (i < ny - 1, j < nx - 1) the Newell normal of the quadrilateral
// P(i, j), P(i+1, j), P(i+1, j+1), P(i, j+1), normalised (a zero-length one stored as it is), at
// vertex (i, j); then every vertex of the last row takes the normal of the vertex above it, and every
// vertex of the last column that of its left neighbour. A level surface gives +z everywhere. A grid of
// one row or one column has no cells: its normals are +z. The vertices are those BuildVertices made
// (x by column, y by row); a mesh whose arrays do not match its size gets no normals.
void BuildNormals(CMeshGrid& mesh);

// The four walls, each with 2 vertices (3 floats each) per edge point; a foot is the surface point
// with z = 0:
//   a: along the first column, ny points, each the surface point then its foot;
//   b: along the last row, nx points, surface point then foot;
//   c: along the last column, ny points, foot then surface point;
//   d: along the first row, nx points, foot then surface point.
struct CWalls {
    std::vector<float> a, b, c, d;
    std::size_t Bytes() const;
};
void BuildWalls(const CMeshGrid& mesh, CWalls& walls);

// The index list of the quad strip between rows i and i + 1: 2 * nx indices alternating (i, j),
// (i + 1, j) for j = 0 .. nx - 1. Empty for a row outside 0 .. 2^32 / nx - 2 or no columns.
void StripIndices(int columns, int row, std::vector<std::uint32_t>& indices);

// A grid of at most maxVertices vertices that stands for a larger one while the model is turned: the
// heights bilinearly resampled onto a coarser grid whose corners are the grid's corners and whose
// aspect follows the grid's. outColumns and outRows are its size; a grid that is small enough is
// copied as it is. Below 4 vertices a side may shrink to one point, the first row or column; with none
// (or no grid) the result is empty, 0 x 0. The reduced mesh built from it by the same formulas, scaled by
// (nx / outColumns, ny / outRows, nx / outColumns), covers the place of the full one.
void Reduce(const float* heights, int columns, int rows, std::size_t maxVertices, std::vector<float>& out,
            int& outColumns, int& outRows);

} // namespace surface
