#pragma once
// The 3D model as a closed solid in an STL file, for 3D printers and CAD programs: the surface as two
// triangles a cell (P(i, j), P(i+1, j), P(i+1, j+1) and P(i, j), P(i+1, j+1), P(i, j+1)), the four walls
// of CWalls down to z = 0, and a flat bottom at z = 0. Coordinates are the mesh's own, one unit a grid
// cell. Every facet runs counter-clockwise seen from outside and carries the unit normal of its
// triangle, pointing out; every edge is shared by exactly two facets, once each way. A wall point at
// height 0 is its own foot: the wall triangles that would have no area there are left out.
//
// The bottom holds every foot of the perimeter, so that it shares each wall's lower edges. With T the
// feet of the first row, B those of the last row (columns 0 .. nx-1), L those of the first column and R
// those of the last (rows 0 .. ny-1), it is made of
//   - a fan from T[1] over the first column's feet L[0] .. L[ny-1], closed by T[1], B[1], B[0];
//   - a ladder of two triangles a column between T and B for columns 1 .. nx-3, split along
//     T[j+1] - B[j];
//   - a fan from B[nx-2] over the last column's feet R[0] .. R[ny-1], closed by B[nx-2], T[nx-2], T[nx-1];
// for a grid of two columns, a fan from T[1] over L and one from B[0] over R; for a grid of two rows,
// a fan from B[0] over T and one from T[nx-1] over B. No three of its points in one triangle lie on a
// line, and none of its inner edges joins two points that an edge of the surface joins (the surface's
// cells are split from P(i, j) to P(i+1, j+1)): where the surface comes down to 0 along its edges,
// surface and bottom still share no edge but the perimeter's. 2 (nx + ny) - 6 triangles.
#include <cstdint>
#include <string>

#include "view3d/Mesh.h"

namespace surface {

enum class StlFormat { Binary, Ascii };

// The facets of mesh's solid: 2 (nx-1)(ny-1) on the surface, up to 4 (nx-1) + 4 (ny-1) on the walls
// (fewer where the edge touches 0) and 2 (nx + ny) - 6 on the bottom. 0 for a mesh of fewer than 2 x 2
// points, which cannot enclose anything.
std::uint64_t StlFacetCount(const CMeshGrid& mesh);

// Writes the solid of mesh (its vertices: the normals are not used) to path, binary (an 80-byte header,
// the facet count, 50 bytes a facet, little-endian) or ASCII ("solid vantri", numbers in the C format
// whatever the locale). The file is written beside path under a temporary name and renamed over it
// once complete and on the disk. False, with what went wrong in problem, when the mesh is fewer than
// 2 x 2 points, does not match its size or holds a number that is not finite, or when the file cannot
// be written whole: no file is then left (an earlier file at path stays as it was).
bool WriteStl(const std::string& path, const CMeshGrid& mesh, StlFormat format, std::wstring& problem);

} // namespace surface
