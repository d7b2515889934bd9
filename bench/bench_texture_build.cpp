// The texture build of a 4096 x 4096 surface, single thread: copied into a texture of its size (the
// largest texture at 16384), and resampled into 2048 x 2048 when that is the largest, against a
// memcpy of the 64 MiB float grid. gluScaleImage does the same resampling here too, so that its time
// says whether GLU could do the views' resampling within the budget of three memcpys; and both
// resamplers also take the same grid to 3000 x 3000, the box path that is not an exact halving.
//
// gluScaleImage needs an OpenGL context: on a machine without a display run it under `xvfb-run -a`.
#include "view2d/TextureImage.h"
#include "view2d/qt/GluResample.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <random>
#include <vector>

#include "BenchGL.h"

namespace {

constexpr int kSide = 4096, kHalf = 2048, kOdd = 3000;
constexpr std::size_t kCells = std::size_t(kSide) * kSide;

std::vector<float> g_grid, g_copy, g_half, g_odd;
surface::CTextureImage g_texture;

// Uniform random levels in 0..1; every buffer allocated and touched before the timing.
void MakeGrid() {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> level(0.0f, 1.0f);
    g_grid.resize(kCells);
    std::generate(g_grid.begin(), g_grid.end(), [&] { return level(random); });
    g_copy.assign(kCells, 0.5f);
    g_half.assign(std::size_t(kHalf) * kHalf, 0.0f);
    g_odd.assign(std::size_t(kOdd) * kOdd, 0.0f);
    surface::BuildTexture(g_grid.data(), kSide, kSide, doc::FilterType::None, 16384, {}, g_texture);
}

// The largest difference between the two resamplers in 16-bit steps, or -1 when one fails.
double StepsApart(int width, int height) {
    std::vector<float> ours(std::size_t(width) * height), glu(ours.size());
    if (!surface::ScaleImage(g_grid.data(), kSide, kSide, ours.data(), width, height) ||
        !surface::GluScaleImage(g_grid.data(), kSide, kSide, glu.data(), width, height))
        return -1;
    double worst = 0;
    for (std::size_t k = 0; k < ours.size(); ++k)
        worst = std::max(worst, std::fabs(std::round(ours[k] * 65535.0) - std::round(glu[k] * 65535.0)));
    return worst;
}

void BM_BuildCopy(benchmark::State& state) {
    for (auto _ : state) {
        surface::BuildTexture(g_grid.data(), kSide, kSide, doc::FilterType::None, 16384, {}, g_texture);
        benchmark::ClobberMemory();
    }
}

void BM_BuildResampled(benchmark::State& state) {
    for (auto _ : state) {
        surface::BuildTexture(g_grid.data(), kSide, kSide, doc::FilterType::None, kHalf, {}, g_texture);
        benchmark::ClobberMemory();
    }
}

void BM_GluScaleImage(benchmark::State& state) {
    for (auto _ : state) {
        surface::GluScaleImage(g_grid.data(), kSide, kSide, g_half.data(), kHalf, kHalf);
        benchmark::ClobberMemory();
    }
}

void BM_ScaleImageBox(benchmark::State& state) {
    for (auto _ : state) {
        surface::ScaleImage(g_grid.data(), kSide, kSide, g_odd.data(), kOdd, kOdd);
        benchmark::ClobberMemory();
    }
}

void BM_GluScaleImageBox(benchmark::State& state) {
    for (auto _ : state) {
        surface::GluScaleImage(g_grid.data(), kSide, kSide, g_odd.data(), kOdd, kOdd);
        benchmark::ClobberMemory();
    }
}

void BM_MemcpyGrid(benchmark::State& state) {
    for (auto _ : state) {
        std::memcpy(g_copy.data(), g_grid.data(), kCells * sizeof(float));
        benchmark::ClobberMemory();
    }
}

void PrintRatios(const bench::MeanReporter& reporter, std::ostream& out) {
    const double copy = reporter.MeanMs("BuildCopy"), resampled = reporter.MeanMs("BuildResampled");
    const double glu = reporter.MeanMs("GluScaleImage"), memcpy = reporter.MeanMs("MemcpyGrid");
    const double box = reporter.MeanMs("ScaleImageBox"), gluBox = reporter.MeanMs("GluScaleImageBox");
    char line[300];
    std::snprintf(line, sizeof line,
                  "\nmean wall time (4096 x 4096, one thread): copy %s ms, resampled to 2048 %s ms, "
                  "gluScaleImage to 2048 %s ms, memcpy of the grid %s ms\n",
                  bench::Ms(copy).c_str(), bench::Ms(resampled).c_str(), bench::Ms(glu).c_str(),
                  bench::Ms(memcpy).c_str());
    out << line;
    out << "ratio copy/memcpy: " << bench::Ratio(copy, memcpy) << "\n";
    out << "ratio resampled/memcpy: " << bench::Ratio(resampled, memcpy) << "\n";
    out << "ratio gluScaleImage/memcpy: " << bench::Ratio(glu, memcpy) << "\n";
    out << "to 3000 x 3000: ScaleImage " << bench::Ms(box) << " ms, gluScaleImage " << bench::Ms(gluBox)
        << " ms, ratios to memcpy " << bench::Ratio(box, memcpy) << " and " << bench::Ratio(gluBox, memcpy)
        << "\n";
    out << "gluScaleImage within 3 x memcpy: "
        << (glu < 0 || memcpy <= 0 ? "n/a"
            : glu <= 3 * memcpy    ? "yes"
                                   : "no")
        << "\n"
        << std::flush;
}

int Run() {
    MakeGrid();
    // The halving is exact in both; the box path may differ by a step where float rounding does.
    const double halfApart = StepsApart(kHalf, kHalf), oddApart = StepsApart(kOdd, kOdd);
    std::cout << "ScaleImage against gluScaleImage: " << halfApart << " steps apart halved, " << oddApart
              << " to 3000 x 3000\n";
    if (halfApart != 0 || oddApart < 0 || oddApart > 1) {
        std::cerr << "bench_texture_build: ScaleImage disagrees with gluScaleImage\n";
        return 1;
    }
    using bench::WallMs;
    WallMs(benchmark::RegisterBenchmark("BuildCopy", BM_BuildCopy));
    WallMs(benchmark::RegisterBenchmark("BuildResampled", BM_BuildResampled));
    WallMs(benchmark::RegisterBenchmark("GluScaleImage", BM_GluScaleImage));
    WallMs(benchmark::RegisterBenchmark("ScaleImageBox", BM_ScaleImageBox));
    WallMs(benchmark::RegisterBenchmark("GluScaleImageBox", BM_GluScaleImageBox));
    WallMs(benchmark::RegisterBenchmark("MemcpyGrid", BM_MemcpyGrid));
    bench::RunAndSummarise(PrintRatios);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::GLMain(argc, argv, "bench_texture_build", Run);
}
