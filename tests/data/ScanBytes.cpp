#include "data/ScanBytes.h"

#include <algorithm>
#include <fstream>

namespace testdata {
namespace {

// splitmix64: tiny, well mixed and the same everywhere.
std::uint64_t Mix(std::uint64_t z) {
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        state_ += 0x9E3779B97F4A7C15ull;
        return Mix(state_);
    }
    // Uniform in [lo, hi]; the modulo bias is irrelevant here.
    std::int64_t Range(std::int64_t lo, std::int64_t hi) {
        return lo + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
    }

private:
    std::uint64_t state_;
};

constexpr std::int64_t kOne = 65536; // fixed-point 1.0

// Cubic ease 3t^2 - 2t^3 in fixed point, so octave seams are invisible.
std::int64_t Smooth(std::int64_t t) {
    return t * t * (3 * kOne - 2 * t) / (kOne * kOne);
}

std::int64_t Lerp(std::int64_t a, std::int64_t b, std::int64_t s) {
    return a + (b - a) * s / kOne;
}

// Integer arithmetic only: floating point results could differ with FMA contraction or libm.
void AddOctave(std::vector<std::int64_t>& raw, int columns, int rows, std::uint32_t seed, int octave,
               int cell, int weight) {
    const int gx = columns / cell + 2, gy = rows / cell + 2;
    std::vector<std::int64_t> lattice(static_cast<std::size_t>(gx) * gy);
    for (int iy = 0; iy < gy; ++iy)
        for (int ix = 0; ix < gx; ++ix) {
            const std::uint64_t h = Mix(Mix(Mix((std::uint64_t{seed} << 8) + octave) + ix) + iy);
            lattice[static_cast<std::size_t>(iy) * gx + ix] = static_cast<std::int64_t>(h % 65536) - 32768;
        }
    std::vector<int> cellX(columns);
    std::vector<std::int64_t> easeX(columns);
    for (int x = 0; x < columns; ++x) {
        cellX[x] = x / cell;
        easeX[x] = Smooth((x % cell) * kOne / cell);
    }
    for (int y = 0; y < rows; ++y) {
        const std::int64_t* top = &lattice[static_cast<std::size_t>(y / cell) * gx];
        const std::int64_t* bottom = top + gx;
        const std::int64_t sy = Smooth((y % cell) * kOne / cell);
        std::int64_t* out = &raw[static_cast<std::size_t>(y) * columns];
        for (int x = 0; x < columns; ++x) {
            const int i = cellX[x];
            const std::int64_t upper = Lerp(top[i], top[i + 1], easeX[x]);
            const std::int64_t lower = Lerp(bottom[i], bottom[i + 1], easeX[x]);
            out[x] += weight * Lerp(upper, lower, sy);
        }
    }
}

} // namespace

std::vector<std::int16_t> PatternSamples(int columns, int rows, std::uint32_t seed) {
    if (columns <= 0 || rows <= 0)
        return {};
    const std::size_t n = static_cast<std::size_t>(columns) * rows;
    std::vector<std::int64_t> raw(n, 0);
    const int extent = std::max(columns, rows);
    for (int octave = 0; octave < 3; ++octave)
        AddOctave(raw, columns, rows, seed, octave, std::max(1, extent / (3 << octave)), 4 >> octave);

    Rng rng(Mix(seed ^ 0x5EEDull));
    const std::int64_t tiltX = rng.Range(-98304, 98304), tiltY = rng.Range(-98304, 98304);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            std::int64_t& v = raw[static_cast<std::size_t>(y) * columns + x];
            v += tiltX * (2 * x - columns) / columns + tiltY * (2 * y - rows) / rows;
            v += rng.Range(-6000, 6000);
        }

    const auto [lo, hi] = std::minmax_element(raw.begin(), raw.end());
    const std::int64_t min = *lo, span = *hi - *lo;
    std::vector<std::int16_t> out(n, 0);
    if (span > 0)
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<std::int16_t>(-30000 + (raw[i] - min) * 60000 / span);
    return out;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    if (!stream)
        throw std::runtime_error("cannot create " + path);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream)
        throw std::runtime_error("cannot write " + path);
}

} // namespace testdata
