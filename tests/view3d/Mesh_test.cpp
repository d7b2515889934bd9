#include "view3d/Mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "view3d/ModelFormulas.h"

namespace {

using surface::CMeshGrid;

using testmodel::RandomHeights;
using testmodel::X;
using testmodel::Y;
using testmodel::Z;

const float* Vertex(const CMeshGrid& m, int i, int j) {
    return m.vertices.data() + 3 * (std::size_t(j) + std::size_t(i) * m.columns);
}
const float* Normal(const CMeshGrid& m, int i, int j) {
    return m.normals.data() + 3 * (std::size_t(j) + std::size_t(i) * m.columns);
}

void ExpectNormal(const float* n, double x, double y, double z, double tolerance) {
    EXPECT_NEAR(n[0], x, tolerance);
    EXPECT_NEAR(n[1], y, tolerance);
    EXPECT_NEAR(n[2], z, tolerance);
}

TEST(MeshVertices, FollowTheFormulasOnOddAndEvenGrids) {
    for (const auto& [nx, ny] : {std::pair{5, 4}, std::pair{4, 7}, std::pair{1, 3}, std::pair{6, 1}}) {
        SCOPED_TRACE(std::to_string(nx) + " x " + std::to_string(ny));
        const std::vector<float> h = RandomHeights(nx, ny, unsigned(nx * 10 + ny));
        CMeshGrid mesh;
        surface::BuildVertices(h.data(), nx, ny, mesh);
        ASSERT_EQ(mesh.columns, nx);
        ASSERT_EQ(mesh.rows, ny);
        ASSERT_EQ(mesh.vertices.size(), 3u * nx * ny);
        for (int i = 0; i < ny; ++i)
            for (int j = 0; j < nx; ++j) {
                const float* v = Vertex(mesh, i, j);
                EXPECT_EQ(v[0], X(j, nx)) << i << "," << j;
                EXPECT_EQ(v[1], Y(i, ny)) << i << "," << j;
                EXPECT_EQ(v[2], Z(h[j + std::size_t(i) * nx], nx)) << i << "," << j;
            }
        // Centred: the first column at -nx/2, row 0 at +ny/2; the full height range is a quarter of nx.
        EXPECT_EQ(Vertex(mesh, 0, 0)[0], -nx * 0.5f);
        EXPECT_EQ(Vertex(mesh, 0, 0)[1], ny * 0.5f);
        EXPECT_GE(mesh.Bytes(), 3u * nx * ny * sizeof(float));
    }
}

TEST(MeshVertices, GridsWithoutPointsOrBeyondTheLimitLeaveAnEmptyMesh) {
    const std::vector<float> h(16, 0.5f);
    CMeshGrid mesh;
    surface::BuildVertices(h.data(), 4, 4, mesh);
    surface::BuildNormals(mesh);
    ASSERT_FALSE(mesh.Empty());
    struct {
        const float* heights;
        int columns, rows;
    } const refused[] = {{nullptr, 4, 4},
                         {h.data(), 0, 4},
                         {h.data(), 4, 0},
                         {h.data(), -4, -4},
                         // 2^30 vertices: refused before anything is allocated for them.
                         {h.data(), 1 << 15, 1 << 15},
                         {h.data(), 0x7FFFFFFF, 0x7FFFFFFF}};
    for (const auto& r : refused) {
        surface::BuildVertices(r.heights, r.columns, r.rows, mesh);
        EXPECT_TRUE(mesh.Empty());
        EXPECT_TRUE(mesh.vertices.empty());
        EXPECT_TRUE(mesh.normals.empty());
        surface::BuildNormals(mesh);
        EXPECT_TRUE(mesh.normals.empty());
        surface::CWalls walls;
        surface::BuildWalls(mesh, walls);
        EXPECT_TRUE(walls.a.empty() && walls.b.empty() && walls.c.empty() && walls.d.empty());
    }
    // Arrays that do not match the size given get no normals.
    surface::BuildVertices(h.data(), 4, 4, mesh);
    mesh.rows = 5;
    surface::BuildNormals(mesh);
    EXPECT_TRUE(mesh.normals.empty());
}

TEST(MeshNormals, ALevelSurfaceIsUpEverywhereEvenOnTheLastRowAndColumn) {
    for (const auto& [nx, ny] : {std::pair{2, 2}, std::pair{5, 4}, std::pair{64, 33}, std::pair{1, 5},
                                 std::pair{5, 1}, std::pair{1, 1}}) {
        SCOPED_TRACE(std::to_string(nx) + " x " + std::to_string(ny));
        for (const float level : {0.0f, 0.37f, 1.0f}) {
            const std::vector<float> h(std::size_t(nx) * ny, level);
            CMeshGrid mesh;
            surface::BuildVertices(h.data(), nx, ny, mesh);
            surface::BuildNormals(mesh);
            ASSERT_EQ(mesh.normals.size(), mesh.vertices.size());
            for (std::size_t k = 0; k < mesh.normals.size(); k += 3) {
                EXPECT_EQ(mesh.normals[k], 0.0f) << k / 3;
                EXPECT_EQ(mesh.normals[k + 1], 0.0f) << k / 3;
                EXPECT_EQ(mesh.normals[k + 2], 1.0f) << k / 3;
            }
        }
    }
}

TEST(MeshNormals, ATiltedPlaneGivesItsAnalyticUnitNormal) {
    const int nx = 9, ny = 6;
    const double alpha = 0.07, beta = -0.04; // h = 0.5 + alpha j + beta i
    std::vector<float> h(std::size_t(nx) * ny);
    for (int i = 0; i < ny; ++i)
        for (int j = 0; j < nx; ++j)
            h[j + std::size_t(i) * nx] = float(0.5 + alpha * j + beta * i);
    CMeshGrid mesh;
    surface::BuildVertices(h.data(), nx, ny, mesh);
    surface::BuildNormals(mesh);
    // x = j (1 + 1/nx) - a, y = b - i (1 + 1/ny), z = (nx/4) h: the plane's slopes along x and y.
    const double dzdx = nx / 4.0 * alpha / (1 + 1.0 / nx), dzdy = -nx / 4.0 * beta / (1 + 1.0 / ny);
    const double length = std::sqrt(dzdx * dzdx + dzdy * dzdy + 1);
    for (int i = 0; i < ny; ++i)
        for (int j = 0; j < nx; ++j) {
            SCOPED_TRACE(std::to_string(i) + "," + std::to_string(j));
            ExpectNormal(Normal(mesh, i, j), -dzdx / length, -dzdy / length, 1 / length, 2e-6);
        }
}

// Newell's sums over the four corners in the documented order, in double.
void Newell(const CMeshGrid& m, int i, int j, double* n) {
    const float* p[4] = {Vertex(m, i, j), Vertex(m, i + 1, j), Vertex(m, i + 1, j + 1), Vertex(m, i, j + 1)};
    n[0] = n[1] = n[2] = 0;
    for (int k = 0; k < 4; ++k) {
        const float* c = p[k];
        const float* d = p[(k + 1) % 4];
        n[0] += (double(c[1]) - d[1]) * (double(c[2]) + d[2]);
        n[1] += (double(c[2]) - d[2]) * (double(c[0]) + d[0]);
        n[2] += (double(c[0]) - d[0]) * (double(c[1]) + d[1]);
    }
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; k < 3; ++k)
        n[k] /= length;
}

TEST(MeshNormals, ARoughSurfaceHasEachCellsNewellNormalAndTheEdgesCopyTheirNeighbours) {
    // 37 cells a row: nine runs of four and one alone.
    const int nx = 38, ny = 23;
    const std::vector<float> h = RandomHeights(nx, ny, 7);
    CMeshGrid mesh;
    surface::BuildVertices(h.data(), nx, ny, mesh);
    surface::BuildNormals(mesh);
    for (int i = 0; i + 1 < ny; ++i)
        for (int j = 0; j + 1 < nx; ++j) {
            SCOPED_TRACE(std::to_string(i) + "," + std::to_string(j));
            double n[3];
            Newell(mesh, i, j, n);
            ExpectNormal(Normal(mesh, i, j), n[0], n[1], n[2], 2e-6);
        }
    auto same = [&](int i, int j, int fromI, int fromJ) {
        EXPECT_TRUE(std::equal(Normal(mesh, i, j), Normal(mesh, i, j) + 3, Normal(mesh, fromI, fromJ)))
            << i << "," << j << " from " << fromI << "," << fromJ;
    };
    for (int j = 0; j + 1 < nx; ++j)
        same(ny - 1, j, ny - 2, j);
    for (int i = 0; i + 1 < ny; ++i)
        same(i, nx - 1, i, nx - 2);
    same(ny - 1, nx - 1, ny - 2, nx - 2);
}

TEST(MeshWalls, RunAlongTheEdgesInTheirOrderWithFeetAtZero) {
    const int nx = 5, ny = 3;
    const std::vector<float> h = RandomHeights(nx, ny, 3);
    CMeshGrid mesh;
    surface::BuildVertices(h.data(), nx, ny, mesh);
    surface::CWalls walls;
    surface::BuildWalls(mesh, walls);
    struct {
        const std::vector<float>& wall;
        int count;
        bool footFirst;
        int i0, j0, di, dj;
    } const expected[] = {
        {walls.a, ny, false, 0, 0, 1, 0},      // first column
        {walls.b, nx, false, ny - 1, 0, 0, 1}, // last row
        {walls.c, ny, true, 0, nx - 1, 1, 0},  // last column
        {walls.d, nx, true, 0, 0, 0, 1},       // first row
    };
    for (const auto& e : expected) {
        ASSERT_EQ(e.wall.size(), 6u * e.count);
        for (int k = 0; k < e.count; ++k) {
            const float* p = Vertex(mesh, e.i0 + k * e.di, e.j0 + k * e.dj);
            const float* top = e.wall.data() + 6 * k + (e.footFirst ? 3 : 0);
            const float* foot = e.wall.data() + 6 * k + (e.footFirst ? 0 : 3);
            EXPECT_TRUE(std::equal(top, top + 3, p)) << k;
            EXPECT_EQ(foot[0], p[0]);
            EXPECT_EQ(foot[1], p[1]);
            EXPECT_EQ(foot[2], 0.0f);
        }
    }
    EXPECT_EQ(walls.Bytes() >= 6 * sizeof(float) * (2 * nx + 2 * ny), true);
}

TEST(MeshStrips, AlternateTheRowAndTheOneBelow) {
    std::vector<std::uint32_t> indices;
    surface::StripIndices(3, 1, indices);
    EXPECT_EQ(indices, (std::vector<std::uint32_t>{3, 6, 4, 7, 5, 8}));
    surface::StripIndices(1, 0, indices);
    EXPECT_EQ(indices, (std::vector<std::uint32_t>{0, 1}));
    // The last index that fits 32 bits, and one beyond it.
    surface::StripIndices(65536, 65534, indices);
    ASSERT_EQ(indices.size(), 2u * 65536);
    EXPECT_EQ(indices.back(), 0xFFFFFFFFu);
    for (const auto& [columns, row] : {std::pair{65536, 65535}, std::pair{0, 0}, std::pair{3, -1}}) {
        surface::StripIndices(columns, row, indices);
        EXPECT_TRUE(indices.empty()) << columns << " " << row;
    }
}

TEST(MeshReduce, KeepsCornersBoundsAndAspectAndLeavesSmallGridsAlone) {
    const std::vector<float> h = RandomHeights(401, 150, 11);
    std::vector<float> out;
    int c = -1, r = -1;
    surface::Reduce(h.data(), 401, 150, 401 * 150, out, c, r);
    EXPECT_EQ(c, 401);
    EXPECT_EQ(r, 150);
    EXPECT_EQ(out, h);

    for (const std::size_t most : {std::size_t(10000), std::size_t(4000), std::size_t(60149)}) {
        SCOPED_TRACE(most);
        surface::Reduce(h.data(), 401, 150, most, out, c, r);
        ASSERT_GE(c, 2);
        ASSERT_GE(r, 2);
        EXPECT_LE(std::size_t(c) * r, most);
        ASSERT_EQ(out.size(), std::size_t(c) * r);
        EXPECT_NEAR(double(c) / r, 401.0 / 150, 0.05 * 401 / 150);
        EXPECT_EQ(out[0], h[0]);
        EXPECT_EQ(out[c - 1], h[400]);
        EXPECT_EQ(out[std::size_t(r - 1) * c], h[149 * 401]);
        EXPECT_EQ(out.back(), h.back());
        const auto [lo, hi] = std::minmax_element(h.begin(), h.end());
        EXPECT_GE(*std::min_element(out.begin(), out.end()), *lo);
        EXPECT_LE(*std::max_element(out.begin(), out.end()), *hi);
    }

    // Bilinear resampling reproduces a plane where the samples fall.
    std::vector<float> plane(std::size_t(301) * 201);
    for (int i = 0; i < 201; ++i)
        for (int j = 0; j < 301; ++j)
            plane[j + std::size_t(i) * 301] = float(0.001 * j + 0.002 * i);
    surface::Reduce(plane.data(), 301, 201, 1500, out, c, r);
    for (int p = 0; p < r; ++p)
        for (int q = 0; q < c; ++q) {
            const double u = q * 300.0 / (c - 1), v = p * 200.0 / (r - 1);
            EXPECT_NEAR(out[q + std::size_t(p) * c], 0.001 * u + 0.002 * v, 1e-5) << p << "," << q;
        }
}

TEST(MeshReduce, ThinGridsTinyBudgetsAndNoGrid) {
    const std::vector<float> h = RandomHeights(20000, 2, 5);
    std::vector<float> out;
    int c = 0, r = 0;
    // Two rows stay two rows: the corners are kept and the row gives way.
    surface::Reduce(h.data(), 20000, 2, 1000, out, c, r);
    EXPECT_EQ(r, 2);
    EXPECT_EQ(c, 500);
    EXPECT_EQ(out[c - 1], h[19999]);
    EXPECT_EQ(out.back(), h.back());
    surface::Reduce(h.data(), 20000, 2, 3, out, c, r);
    EXPECT_LE(std::size_t(c) * r, 3u);
    EXPECT_EQ(out.size(), std::size_t(c) * r);
    EXPECT_EQ(out[0], h[0]);
    for (const auto& [heights, columns, rows, most] :
         {std::tuple{h.data(), 20000, 2, std::size_t(0)},
          std::tuple{static_cast<const float*>(nullptr), 4, 4, std::size_t(9)},
          std::tuple{h.data(), 0, 2, std::size_t(9)}}) {
        surface::Reduce(heights, columns, rows, most, out, c, r);
        EXPECT_TRUE(out.empty());
        EXPECT_EQ(c, 0);
        EXPECT_EQ(r, 0);
    }
}

} // namespace
