#include "view3d/Stl.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/fwText.h"

namespace surface {

namespace {

// A write to the file failed with this errno.
struct CWriteError {
    int error;
};

std::wstring SystemError(int error) {
    return fw::FromUtf8(std::strerror(error));
}

// The temporary file beside the target, written in large blocks, removed unless it was renamed over
// the target.
class CTempOutput {
public:
    ~CTempOutput() {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_temp.empty())
            ::unlink(m_temp.c_str());
    }

    bool Create(const std::string& path, std::wstring& problem) {
        const std::size_t slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : path.substr(0, slash);
        // A short name of our own: one made from the target's name could pass the system's limit.
        std::string temp = folder + "/.vantri-stl-XXXXXX";
        m_fd = ::mkstemp(temp.data());
        if (m_fd < 0) {
            problem = L"Cannot create a file in " + fw::FromUtf8(folder) + L": " + SystemError(errno);
            return false;
        }
        m_temp = temp;
        // mkstemp makes the file private; the model gets the permissions any new file would.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(m_fd, 0666 & ~mask);
        m_buffer.resize(kBlock);
        return true;
    }

    // Room for n bytes (n at most a block) at the end of what is buffered; Advance then takes them.
    char* Room(std::size_t n) {
        if (m_used + n > m_buffer.size())
            Flush();
        return m_buffer.data() + m_used;
    }
    void Advance(char* end) { m_used = static_cast<std::size_t>(end - m_buffer.data()); }

    void Flush() {
        const char* p = m_buffer.data();
        std::size_t left = m_used;
        while (left > 0) {
            const ssize_t put = ::write(m_fd, p, left);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                throw CWriteError{put < 0 ? errno : EIO};
            p += put;
            left -= static_cast<std::size_t>(put);
        }
        m_used = 0;
    }

    // The data on the disk, then the name: a crash never leaves a part of a model under the target's name.
    void Commit(const std::string& path) {
        Flush();
        if (::fsync(m_fd) != 0)
            throw CWriteError{errno};
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0)
            throw CWriteError{errno};
        if (std::rename(m_temp.c_str(), path.c_str()) != 0)
            throw CWriteError{errno};
        m_temp.clear();
    }

private:
    // 4 MiB: a 4096 x 4096 model of 1.6 GB goes out in some 400 writes.
    static constexpr std::size_t kBlock = std::size_t(4) << 20;
    int m_fd = -1;
    std::string m_temp;
    std::vector<char> m_buffer;
    std::size_t m_used = 0;
};

// The unit normal of the triangle a, b, c (counter-clockwise seen from the side it points to).
void FacetNormal(const float* a, const float* b, const float* c, float* n) {
    const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
    const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
    const double x = u[1] * v[2] - u[2] * v[1], y = u[2] * v[0] - u[0] * v[2], z = u[0] * v[1] - u[1] * v[0];
    const double inverse = 1.0 / std::sqrt(x * x + y * y + z * z);
    n[0] = float(x * inverse);
    n[1] = float(y * inverse);
    n[2] = float(z * inverse);
}

inline char* PutFloat(char* p, float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    for (int k = 0; k < 4; ++k)
        p[k] = char(bits >> (8 * k));
    return p + 4;
}

class CBinaryFacets {
public:
    explicit CBinaryFacets(CTempOutput& out) : m_out(out) {}

    void Begin(std::uint64_t count) {
        char* p = m_out.Room(84);
        char header[80] = "Vantri surface solid";
        std::memcpy(p, header, 80);
        const std::uint32_t n = std::uint32_t(count);
        for (int k = 0; k < 4; ++k)
            p[80 + k] = char(n >> (8 * k));
        m_out.Advance(p + 84);
    }
    void operator()(const float* a, const float* b, const float* c) {
        float n[3];
        FacetNormal(a, b, c, n);
        char* p = m_out.Room(50);
        const float* const vectors[] = {n, a, b, c};
        for (const float* point : vectors)
            for (int k = 0; k < 3; ++k)
                p = PutFloat(p, point[k]);
        *p++ = 0; // the attribute byte count
        *p++ = 0;
        m_out.Advance(p);
        ++facets;
    }
    void End() {}

    std::uint64_t facets = 0;

private:
    CTempOutput& m_out;
};

class CAsciiFacets {
public:
    explicit CAsciiFacets(CTempOutput& out) : m_out(out) {}

    void Begin(std::uint64_t) { Text("solid vantri\n"); }
    void operator()(const float* a, const float* b, const float* c) {
        float n[3];
        FacetNormal(a, b, c, n);
        // 12 numbers of at most 15 characters and 130 of words: well within the room asked.
        char* p = m_out.Room(512);
        p = Put(p, "  facet normal");
        p = Numbers(p, n);
        p = Put(p, "\n    outer loop\n");
        const float* const points[] = {a, b, c};
        for (const float* point : points) {
            p = Put(p, "      vertex");
            p = Numbers(p, point);
            *p++ = '\n';
        }
        p = Put(p, "    endloop\n  endfacet\n");
        m_out.Advance(p);
        ++facets;
    }
    void End() { Text("endsolid vantri\n"); }

    std::uint64_t facets = 0;

private:
    template <std::size_t N> static char* Put(char* p, const char (&text)[N]) {
        std::memcpy(p, text, N - 1);
        return p + N - 1;
    }
    // Three numbers, each after a space: the shortest text that reads back as the same float, in
    // the C format whatever the process's locale.
    static char* Numbers(char* p, const float* v) {
        for (int k = 0; k < 3; ++k) {
            *p++ = ' ';
            p = std::to_chars(p, p + 32, v[k], std::chars_format::scientific).ptr;
        }
        return p;
    }
    template <std::size_t N> void Text(const char (&text)[N]) { m_out.Advance(Put(m_out.Room(N), text)); }

    CTempOutput& m_out;
};

// The points of one wall of CWalls.
struct CWall {
    const std::vector<float>& points;
    bool footFirst;
    const float* Top(std::size_t k) const { return points.data() + 6 * k + (footFirst ? 3 : 0); }
    const float* Foot(std::size_t k) const { return points.data() + 6 * k + (footFirst ? 0 : 3); }
};

bool Same(const float* p, const float* q) {
    return p[0] == q[0] && p[1] == q[1] && p[2] == q[2];
}

// A wall's facets, two a segment between consecutive edge points u, v taken in the direction opposite
// to the surface's boundary (reversed: from the last point back). A point whose top is its foot drops
// the triangle that would have no area.
template <typename Facet> void WallFacets(const CWall& wall, bool reversed, Facet&& facet) {
    const std::size_t count = wall.points.size() / 6;
    for (std::size_t k = 0; k + 1 < count; ++k) {
        const std::size_t u = reversed ? k + 1 : k, v = reversed ? k : k + 1;
        if (!Same(wall.Top(u), wall.Foot(u)))
            facet(wall.Top(u), wall.Foot(u), wall.Foot(v));
        if (!Same(wall.Top(v), wall.Foot(v)))
            facet(wall.Top(u), wall.Foot(v), wall.Top(v));
    }
}

// The four walls in order: the surface runs its boundary down the first column, along the last row,
// up the last column and back along the first row.
template <typename Facet> void AllWallFacets(const CWalls& walls, Facet&& facet) {
    WallFacets(CWall{walls.a, false}, false, facet);
    WallFacets(CWall{walls.b, false}, false, facet);
    WallFacets(CWall{walls.c, true}, true, facet);
    WallFacets(CWall{walls.d, true}, true, facet);
}

// The bottom as Stl.h lays it out, counter-clockwise seen from below.
template <typename Facet> void BottomFacets(const CMeshGrid& mesh, const CWalls& walls, Facet&& facet) {
    const int nx = mesh.columns, ny = mesh.rows;
    const CWall first{walls.a, false}, last{walls.b, false}, right{walls.c, true}, top{walls.d, true};
    auto L = [&](int i) { return first.Foot(std::size_t(i)); };
    auto B = [&](int j) { return last.Foot(std::size_t(j)); };
    auto R = [&](int i) { return right.Foot(std::size_t(i)); };
    auto T = [&](int j) { return top.Foot(std::size_t(j)); };
    if (nx == 2) {
        for (int i = 0; i + 1 < ny; ++i)
            facet(T(1), L(i + 1), L(i));
        for (int i = 0; i + 1 < ny; ++i)
            facet(B(0), R(i), R(i + 1));
        return;
    }
    if (ny == 2) {
        for (int j = 0; j + 1 < nx; ++j)
            facet(B(0), T(j), T(j + 1));
        for (int j = 0; j + 1 < nx; ++j)
            facet(T(nx - 1), B(j + 1), B(j));
        return;
    }
    for (int i = 0; i + 1 < ny; ++i)
        facet(T(1), L(i + 1), L(i));
    facet(T(1), B(1), B(0));
    for (int j = 1; j <= nx - 3; ++j) {
        facet(T(j), T(j + 1), B(j));
        facet(T(j + 1), B(j + 1), B(j));
    }
    const float* apex = B(nx - 2);
    for (int i = 0; i + 1 < ny; ++i)
        facet(apex, R(i), R(i + 1));
    facet(apex, T(nx - 2), T(nx - 1));
}

template <typename Facets>
void WriteSolid(const CMeshGrid& mesh, const CWalls& walls, std::uint64_t count, Facets& facets) {
    facets.Begin(count);
    const std::size_t nx = std::size_t(mesh.columns);
    for (std::size_t i = 0; i + 1 < std::size_t(mesh.rows); ++i) {
        const float* upper = mesh.vertices.data() + 3 * i * nx;
        const float* lower = upper + 3 * nx;
        for (std::size_t j = 0; j + 1 < nx; ++j, upper += 3, lower += 3) {
            facets(upper, lower, lower + 3);
            facets(upper, lower + 3, upper + 3);
        }
    }
    AllWallFacets(walls, facets);
    BottomFacets(mesh, walls, facets);
    facets.End();
}

bool Finite(const CMeshGrid& mesh) {
    bool finite = true;
    for (const float v : mesh.vertices)
        finite = finite && std::isfinite(v);
    return finite;
}

std::uint64_t FacetCount(const CMeshGrid& mesh, const CWalls& walls) {
    const std::uint64_t nx = std::uint64_t(mesh.columns), ny = std::uint64_t(mesh.rows);
    std::uint64_t count = 2 * (nx - 1) * (ny - 1) + 2 * (nx + ny) - 6;
    AllWallFacets(walls, [&](const float*, const float*, const float*) { ++count; });
    return count;
}

bool MakesSolid(const CMeshGrid& mesh) {
    return mesh.columns >= 2 && mesh.rows >= 2 &&
           std::size_t(mesh.columns) * std::size_t(mesh.rows) <= kMaxMeshVertices &&
           mesh.vertices.size() == 3 * std::size_t(mesh.columns) * std::size_t(mesh.rows);
}

} // namespace

std::uint64_t StlFacetCount(const CMeshGrid& mesh) {
    if (!MakesSolid(mesh))
        return 0;
    CWalls walls;
    BuildWalls(mesh, walls);
    return FacetCount(mesh, walls);
}

bool WriteStl(const std::string& path, const CMeshGrid& mesh, StlFormat format, std::wstring& problem) {
    problem.clear();
    if (mesh.columns < 2 || mesh.rows < 2) {
        problem = L"A surface of fewer than 2 x 2 points encloses nothing: it makes no solid.";
        return false;
    }
    if (!MakesSolid(mesh)) {
        problem = L"The surface's model does not match its size.";
        return false;
    }
    if (!Finite(mesh)) {
        problem = L"The surface holds a height that is not a number: it makes no solid.";
        return false;
    }
    CWalls walls;
    BuildWalls(mesh, walls);
    const std::uint64_t count = FacetCount(mesh, walls);
    if (format == StlFormat::Binary && count > 0xFFFFFFFFull) {
        problem = L"The surface has too many triangles for a binary STL file.";
        return false;
    }
    CTempOutput out;
    if (!out.Create(path, problem))
        return false;
    try {
        std::uint64_t written = 0;
        if (format == StlFormat::Binary) {
            CBinaryFacets facets(out);
            WriteSolid(mesh, walls, count, facets);
            written = facets.facets;
        } else {
            CAsciiFacets facets(out);
            WriteSolid(mesh, walls, count, facets);
            written = facets.facets;
        }
        if (written != count) {
            problem = L"The model's triangles did not come to their count; nothing is written.";
            return false;
        }
        out.Commit(path);
    } catch (const CWriteError& e) {
        problem = L"Cannot write " + fw::FromUtf8(path) + L": " + SystemError(e.error);
        return false;
    }
    return true;
}

} // namespace surface
