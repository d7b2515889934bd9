#include "view3d/Stl.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>

#include "common/ScopedLocale.h"
#include "common/StlFile.h"
#include "view3d/ModelFormulas.h"

namespace {

namespace fs = std::filesystem;
using surface::CMeshGrid;
using surface::StlFormat;

struct CGrid {
    const char* name;
    int nx, ny;
    std::vector<float> h;
};

// Heights of every kind of edge: none at 0, some at 0 (the wall's triangles there drop out), all at 0
// around a single spike, and a level plateau.
std::vector<CGrid> Grids() {
    std::vector<CGrid> grids;
    auto add = [&](const char* name, int nx, int ny, auto height) {
        CGrid g{name, nx, ny, std::vector<float>(std::size_t(nx) * ny)};
        for (int i = 0; i < ny; ++i)
            for (int j = 0; j < nx; ++j)
                g.h[j + std::size_t(i) * nx] = height(i, j);
        grids.push_back(g);
    };
    add("2x2", 2, 2, [](int i, int j) { return 0.25f + 0.25f * i + 0.125f * j; });
    add("2x5", 2, 5, [](int i, int j) { return 0.1f * (i + 1) + 0.3f * j; });
    add("5x2", 5, 2, [](int i, int j) { return 0.1f * (j + 1) + 0.3f * i; });
    add("3x4", 3, 4, [](int i, int j) { return 0.2f + 0.05f * float(i * j); });
    add("7x5 waves", 7, 5,
        [](int i, int j) { return float(0.5 + 0.4 * std::sin(i * 1.3) * std::cos(j * 0.7)); });
    add("6x6 spike", 6, 6, [](int i, int j) { return i == 3 && j == 2 ? 1.0f : 0.0f; });
    add("8x3 touching zero", 8, 3, [](int i, int j) { return (i + j) % 3 == 0 ? 0.0f : 0.6f; });
    add("4x4 level", 4, 4, [](int, int) { return 0.5f; });
    // Flat at 0: the surface lies on the bottom, and the two share no edge but the perimeter's.
    add("5x2 at 0", 5, 2, [](int, int) { return 0.0f; });
    add("2x4 at 0", 2, 4, [](int, int) { return 0.0f; });
    add("3x3 at 0", 3, 3, [](int, int) { return 0.0f; });
    return grids;
}

using testmodel::X;
using testmodel::Y;

float Z(const CGrid& g, int i, int j) {
    return testmodel::Z(g.h[j + std::size_t(i) * g.nx], g.nx);
}

// The facets the solid must have: two a cell, two a wall segment less one for each end at height 0,
// and the bottom's 2 (nx + ny) - 6.
std::uint64_t ExpectedFacets(const CGrid& g) {
    std::uint64_t walls = 0;
    auto side = [&](int count, auto height) {
        for (int k = 0; k + 1 < count; ++k)
            walls += (height(k) != 0) + (height(k + 1) != 0);
    };
    const int nx = g.nx, ny = g.ny;
    side(ny, [&](int i) { return Z(g, i, 0); });
    side(ny, [&](int i) { return Z(g, i, nx - 1); });
    side(nx, [&](int j) { return Z(g, 0, j); });
    side(nx, [&](int j) { return Z(g, ny - 1, j); });
    return 2 * std::uint64_t(nx - 1) * (ny - 1) + walls + 2 * std::uint64_t(nx + ny) - 6;
}

// The volume under the surface's triangles: each one's plan area times its mean height.
double ExpectedVolume(const CGrid& g) {
    double volume = 0;
    for (int i = 0; i + 1 < g.ny; ++i)
        for (int j = 0; j + 1 < g.nx; ++j) {
            const double area =
                (double(X(j + 1, g.nx)) - X(j, g.nx)) * (double(Y(i, g.ny)) - Y(i + 1, g.ny)) / 2;
            const double z00 = Z(g, i, j), z10 = Z(g, i + 1, j), z11 = Z(g, i + 1, j + 1),
                         z01 = Z(g, i, j + 1);
            volume += area * (z00 + z10 + z11) / 3 + area * (z00 + z11 + z01) / 3;
        }
    return volume;
}

CMeshGrid Mesh(const CGrid& g) {
    CMeshGrid mesh;
    surface::BuildVertices(g.h.data(), g.nx, g.ny, mesh);
    return mesh;
}

class StlTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(VANTRI_TEST_OUT) /
              ("stl_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    // Only what the test itself left: no temporary file stays behind.
    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.insert(entry.path().filename().string());
        return names;
    }
    fs::path dir;
};

TEST_F(StlTest, BinaryAndAsciiFilesCloseASolidOfTheSurfacesVolume) {
    for (const CGrid& g : Grids()) {
        SCOPED_TRACE(g.name);
        const CMeshGrid mesh = Mesh(g);
        const std::uint64_t count = ExpectedFacets(g);
        EXPECT_EQ(surface::StlFacetCount(mesh), count);
        const std::string binary = (dir / "model.stl").string(), ascii = (dir / "model-ascii.stl").string();
        std::wstring problem;
        ASSERT_TRUE(surface::WriteStl(binary, mesh, StlFormat::Binary, problem));
        EXPECT_EQ(problem, L"");
        ASSERT_TRUE(surface::WriteStl(ascii, mesh, StlFormat::Ascii, problem));
        const teststl::CStl b = teststl::ReadStl(binary), a = teststl::ReadStl(ascii);
        ASSERT_TRUE(b.ok) << b.error;
        ASSERT_TRUE(a.ok) << a.error;
        EXPECT_FALSE(b.ascii);
        EXPECT_EQ(b.header.rfind("Vantri surface solid", 0), 0u);
        EXPECT_EQ(b.count, count);
        ASSERT_EQ(b.facets.size(), count);

        const teststl::CSolid solid = teststl::CheckSolid(b.facets);
        EXPECT_EQ(solid.openEdges, 0u);
        EXPECT_EQ(solid.degenerate, 0u);
        EXPECT_EQ(solid.wrongNormals, 0u);
        // A closed polyhedron's Euler characteristic is 2.
        EXPECT_EQ(std::int64_t(solid.points.size()) - std::int64_t(solid.edges) + std::int64_t(count), 2);
        const double volume = ExpectedVolume(g);
        EXPECT_NEAR(solid.volume, volume, 1e-5 * (1 + volume));

        // The points are the surface's, by the formulas, and the feet of its edges: nothing else.
        std::set<teststl::CPoint> points;
        for (int i = 0; i < g.ny; ++i)
            for (int j = 0; j < g.nx; ++j) {
                points.insert({X(j, g.nx), Y(i, g.ny), Z(g, i, j)});
                if (i == 0 || j == 0 || i == g.ny - 1 || j == g.nx - 1)
                    points.insert({X(j, g.nx), Y(i, g.ny), 0.0f});
            }
        std::set<teststl::CPoint> written;
        for (const auto& [point, id] : solid.points)
            written.insert(point);
        EXPECT_EQ(written, points);

        // ASCII holds the same facets, number for number.
        ASSERT_EQ(a.facets.size(), b.facets.size());
        for (std::size_t t = 0; t < a.facets.size(); ++t)
            EXPECT_TRUE(std::memcmp(&a.facets[t], &b.facets[t], sizeof(teststl::CFacet)) == 0) << t;
    }
    EXPECT_EQ(Files(), (std::set<std::string>{"model.stl", "model-ascii.stl"}));
}

TEST_F(StlTest, TheSurfaceComesFirstTwoTrianglesACellUpward) {
    const CGrid g = Grids()[4];
    const teststl::CStl stl = [&] {
        std::wstring problem;
        const std::string path = (dir / "m.stl").string();
        EXPECT_TRUE(surface::WriteStl(path, Mesh(g), StlFormat::Binary, problem));
        return teststl::ReadStl(path);
    }();
    ASSERT_TRUE(stl.ok);
    std::size_t t = 0;
    for (int i = 0; i + 1 < g.ny; ++i)
        for (int j = 0; j + 1 < g.nx; ++j) {
            const teststl::CPoint p00{X(j, g.nx), Y(i, g.ny), Z(g, i, j)},
                p10{X(j, g.nx), Y(i + 1, g.ny), Z(g, i + 1, j)},
                p11{X(j + 1, g.nx), Y(i + 1, g.ny), Z(g, i + 1, j + 1)},
                p01{X(j + 1, g.nx), Y(i, g.ny), Z(g, i, j + 1)};
            const teststl::CFacet& first = stl.facets[t++];
            const teststl::CFacet& second = stl.facets[t++];
            EXPECT_TRUE(first.v[0] == p00 && first.v[1] == p10 && first.v[2] == p11) << i << "," << j;
            EXPECT_TRUE(second.v[0] == p00 && second.v[1] == p11 && second.v[2] == p01) << i << "," << j;
            EXPECT_GT(first.normal[2], 0.0f);
            EXPECT_GT(second.normal[2], 0.0f);
        }
    // The bottom's facets, last, face down.
    for (std::size_t k = stl.facets.size() - (2 * (g.nx + g.ny) - 6); k < stl.facets.size(); ++k)
        EXPECT_EQ(stl.facets[k].normal, (teststl::CPoint{0.0f, 0.0f, -1.0f})) << k;
}

TEST_F(StlTest, AsciiNumbersAreTheSameInEveryLocaleAndAFileIsReplacedWhole) {
    const CGrid g = Grids()[4];
    const CMeshGrid mesh = Mesh(g);
    const std::string path = (dir / "text.stl").string();
    std::wstring problem;
    ASSERT_TRUE(surface::WriteStl(path, mesh, StlFormat::Ascii, problem));
    const std::string c = teststl::ReadBytes(path);
    EXPECT_EQ(c.rfind("solid vantri\n  facet normal ", 0), 0u);
    EXPECT_EQ(c.substr(c.size() - 16), "endsolid vantri\n");
    for (const char* name : testlocale::kLocales) {
        testlocale::CScopedLocale locale(name);
        if (!locale.ok())
            continue;
        ASSERT_TRUE(surface::WriteStl(path, mesh, StlFormat::Ascii, problem));
        EXPECT_TRUE(teststl::ReadBytes(path) == c) << name;
    }
    // The binary model written over the text one replaces it, with the permissions of a new file.
    ASSERT_TRUE(surface::WriteStl(path, mesh, StlFormat::Binary, problem));
    EXPECT_EQ(fs::file_size(path), 84 + 50 * ExpectedFacets(g));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
    EXPECT_EQ(Files(), (std::set<std::string>{"text.stl"}));
}

TEST_F(StlTest, ASurfaceThatMakesNoSolidIsRefusedAndNothingIsWritten) {
    const std::string path = (dir / "none.stl").string();
    std::wstring problem;
    CMeshGrid empty;
    EXPECT_FALSE(surface::WriteStl(path, empty, StlFormat::Binary, problem));
    EXPECT_NE(problem.find(L"2 x 2"), std::wstring::npos);
    for (const auto& [nx, ny] : {std::pair{1, 5}, std::pair{5, 1}, std::pair{1, 1}}) {
        const std::vector<float> h(std::size_t(nx) * ny, 0.5f);
        CMeshGrid mesh;
        surface::BuildVertices(h.data(), nx, ny, mesh);
        problem.clear();
        EXPECT_EQ(surface::StlFacetCount(mesh), 0u);
        EXPECT_FALSE(surface::WriteStl(path, mesh, StlFormat::Ascii, problem));
        EXPECT_NE(problem.find(L"2 x 2"), std::wstring::npos);
    }
    // A height that is not a number, and arrays that do not match the size.
    std::vector<float> h(9, 0.5f);
    h[4] = std::nanf("");
    CMeshGrid mesh;
    surface::BuildVertices(h.data(), 3, 3, mesh);
    problem.clear();
    EXPECT_FALSE(surface::WriteStl(path, mesh, StlFormat::Binary, problem));
    EXPECT_FALSE(problem.empty());
    mesh.rows = 4;
    EXPECT_EQ(surface::StlFacetCount(mesh), 0u);
    problem.clear();
    EXPECT_FALSE(surface::WriteStl(path, mesh, StlFormat::Binary, problem));
    EXPECT_FALSE(problem.empty());
    EXPECT_TRUE(Files().empty());
}

TEST_F(StlTest, AFileThatCannotBeWrittenWholeLeavesNothingBehind) {
    const CMeshGrid mesh = Mesh(Grids()[4]);
    std::wstring problem;
    // No such folder, and a folder that is a file.
    std::ofstream(dir / "plain") << "x";
    for (const fs::path& path : {dir / "missing" / "m.stl", dir / "plain" / "m.stl"}) {
        EXPECT_FALSE(surface::WriteStl(path.string(), mesh, StlFormat::Binary, problem));
        EXPECT_NE(problem.find(L"Cannot create a file in "), std::wstring::npos);
        EXPECT_FALSE(fs::exists(path));
    }
    // A name taken by a folder: written, but not renamed over it.
    fs::create_directory(dir / "taken.stl");
    problem.clear();
    EXPECT_FALSE(surface::WriteStl((dir / "taken.stl").string(), mesh, StlFormat::Binary, problem));
    EXPECT_NE(problem.find(L"Cannot write "), std::wstring::npos);
    EXPECT_TRUE(fs::is_directory(dir / "taken.stl"));

    // The file system full half-way: a size limit makes the writes fail as a full disk does. An earlier
    // file under the name stays as it was.
    const std::string path = (dir / "full.stl").string();
    std::ofstream(path) << "earlier";
    const CGrid large{"large", 200, 100, std::vector<float>(20000, 0.5f)};
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = saved;
    limit.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    for (const StlFormat format : {StlFormat::Binary, StlFormat::Ascii}) {
        problem.clear();
        EXPECT_FALSE(surface::WriteStl(path, Mesh(large), format, problem));
        EXPECT_NE(problem.find(L"Cannot write " + std::wstring(path.begin(), path.end()) + L": "),
                  std::wstring::npos);
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(teststl::ReadBytes(path), "earlier");
    EXPECT_EQ(Files(), (std::set<std::string>{"full.stl", "plain", "taken.stl"}));
}

} // namespace
