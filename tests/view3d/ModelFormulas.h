#pragma once
// The model's coordinates as Mesh.h documents them, worked out in float the way it writes them, for
// the tests of the mesh arrays and of the solid written from them.
#include <random>
#include <vector>

namespace testmodel {

inline float X(int j, int nx) {
    const float a = nx * 0.5f;
    return float(j) + float(j) / (2 * a) - a;
}
inline float Y(int i, int ny) {
    const float b = ny * 0.5f;
    return b - float(i) - float(i) / (2 * b);
}
inline float Z(float h, int nx) {
    const float a = nx * 0.5f;
    return a * h * 0.5f;
}

// Heights drawn evenly from [0, 1).
inline std::vector<float> RandomHeights(int nx, int ny, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> h(std::size_t(nx) * ny);
    for (float& v : h)
        v = unit(random);
    return h;
}

} // namespace testmodel
