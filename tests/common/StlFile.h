#pragma once
// Reads STL files back, binary or ASCII, and checks that their facets close a solid: what the model
// writer's tests and the command line's share. The reader trusts nothing it reads: a short or
// malformed file comes back with ok false and the reason.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace teststl {

using CPoint = std::array<float, 3>;

struct CFacet {
    CPoint normal;
    CPoint v[3];
};

struct CStl {
    bool ok = false;
    std::string error;
    bool ascii = false;
    std::string header; // binary: the 80 bytes; ASCII: the first line
    std::uint32_t count = 0;
    std::vector<CFacet> facets;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline float LittleFloat(const char* p) {
    std::uint32_t bits = 0;
    for (int k = 0; k < 4; ++k)
        bits |= std::uint32_t(static_cast<unsigned char>(p[k])) << (8 * k);
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

// Reads "WORD x y z" after the word, in the C format (strtof of a C-locale test process).
inline bool ReadTriple(std::istringstream& in, const char* word, CPoint& p) {
    std::string w;
    if (!(in >> w) || w != word)
        return false;
    for (float& c : p) {
        std::string number;
        if (!(in >> number))
            return false;
        char* end = nullptr;
        c = std::strtof(number.c_str(), &end);
        if (*end)
            return false;
    }
    return true;
}

inline bool Expect(std::istringstream& in, const char* words) {
    std::istringstream expected(words);
    for (std::string want, got; expected >> want;)
        if (!(in >> got) || got != want)
            return false;
    return true;
}

inline CStl ParseAscii(const std::string& bytes) {
    CStl stl;
    stl.ascii = true;
    stl.header = bytes.substr(0, bytes.find('\n'));
    std::istringstream in(bytes);
    if (!Expect(in, "solid vantri")) {
        stl.error = "no solid line";
        return stl;
    }
    for (std::string word; in >> word;) {
        if (word == "endsolid") {
            stl.ok = Expect(in, "vantri");
            stl.count = std::uint32_t(stl.facets.size());
            if (!stl.ok)
                stl.error = "endsolid without its name";
            return stl;
        }
        CFacet f;
        if (word != "facet" || !ReadTriple(in, "normal", f.normal) || !Expect(in, "outer loop") ||
            !ReadTriple(in, "vertex", f.v[0]) || !ReadTriple(in, "vertex", f.v[1]) ||
            !ReadTriple(in, "vertex", f.v[2]) || !Expect(in, "endloop endfacet")) {
            stl.error = "malformed facet " + std::to_string(stl.facets.size());
            return stl;
        }
        stl.facets.push_back(f);
    }
    stl.error = "no endsolid";
    return stl;
}

inline CStl ParseBinary(const std::string& bytes) {
    CStl stl;
    if (bytes.size() < 84) {
        stl.error = "shorter than the header";
        return stl;
    }
    stl.header = bytes.substr(0, 80);
    for (int k = 0; k < 4; ++k)
        stl.count |= std::uint32_t(static_cast<unsigned char>(bytes[80 + k])) << (8 * k);
    if (bytes.size() != 84 + 50 * std::uint64_t(stl.count)) {
        stl.error = "size " + std::to_string(bytes.size()) + " for " + std::to_string(stl.count) + " facets";
        return stl;
    }
    stl.facets.resize(stl.count);
    for (std::uint32_t t = 0; t < stl.count; ++t) {
        const char* p = bytes.data() + 84 + 50 * std::size_t(t);
        CFacet& f = stl.facets[t];
        CPoint* points[] = {&f.normal, &f.v[0], &f.v[1], &f.v[2]};
        for (int q = 0; q < 4; ++q)
            for (int c = 0; c < 3; ++c)
                (*points[q])[c] = LittleFloat(p + 12 * q + 4 * c);
        if (p[48] != 0 || p[49] != 0) {
            stl.error = "attribute bytes set";
            return stl;
        }
    }
    stl.ok = true;
    return stl;
}

inline CStl ReadStl(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    return bytes.compare(0, 6, "solid ") == 0 ? ParseAscii(bytes) : ParseBinary(bytes);
}

// What the facets make of a solid. A closed, consistently wound surface uses every directed edge
// once and its reverse once; its outward normals give it a positive volume.
struct CSolid {
    std::size_t edges = 0;        // undirected
    std::size_t openEdges = 0;    // used other than once each way
    std::size_t degenerate = 0;   // facets of no area
    std::size_t wrongNormals = 0; // stored normal not the unit normal of the winding
    double volume = 0;            // by the divergence theorem
    std::map<CPoint, int> points; // every distinct vertex
};

inline CSolid CheckSolid(const std::vector<CFacet>& facets) {
    CSolid s;
    auto id = [&](const CPoint& p) { return s.points.emplace(p, int(s.points.size())).first->second; };
    std::map<std::pair<int, int>, int> directed;
    for (const CFacet& f : facets) {
        const int ids[3] = {id(f.v[0]), id(f.v[1]), id(f.v[2])};
        for (int k = 0; k < 3; ++k)
            ++directed[{ids[k], ids[(k + 1) % 3]}];
        double u[3], v[3];
        for (int c = 0; c < 3; ++c) {
            u[c] = double(f.v[1][c]) - f.v[0][c];
            v[c] = double(f.v[2][c]) - f.v[0][c];
        }
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length == 0) {
            ++s.degenerate;
            continue;
        }
        double off = 0;
        for (int c = 0; c < 3; ++c)
            off = std::fmax(off, std::fabs(n[c] / length - f.normal[c]));
        if (off > 1e-5)
            ++s.wrongNormals;
        s.volume += (f.v[0][0] * n[0] + f.v[0][1] * n[1] + f.v[0][2] * n[2]) / 6.0;
    }
    for (const auto& [edge, uses] : directed) {
        const auto back = directed.find({edge.second, edge.first});
        const int reverse = back == directed.end() ? 0 : back->second;
        if (edge.first < edge.second || reverse == 0) {
            ++s.edges;
            if (uses != 1 || reverse != 1)
                ++s.openEdges;
        }
    }
    return s;
}

} // namespace teststl
