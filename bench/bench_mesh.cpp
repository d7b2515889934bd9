// The model of the 3D and bump views, single thread, on scan-like surfaces of 1024 x 1024 and
// 4096 x 4096 points:
// - building its arrays (vertices, normals, walls) into a new mesh, as a window opening does, and into
//   the same mesh again, as a change of the surface does; the bytes they hold;
// - the reduction of the 4096 x 4096 grid to 512 x 512 that stands for it while the model turns;
// - writing the binary STL solid of each surface (time and file size);
// against a memcpy of as many bytes as the arrays hold, the least any build of them can cost.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "view3d/Mesh.h"
#include "view3d/Stl.h"

namespace {

constexpr int kSides[] = {1024, 4096};
constexpr int kReducedSide = 512;

std::map<int, std::vector<float>> g_surfaces;
std::map<int, std::size_t> g_heldBytes, g_stlBytes;
std::map<int, double> g_firstMs;
std::unique_ptr<bench::TempDir> g_dir;

// Heights in [0, 1] as a processed scan holds them: a gentle bow, rounded grains on a lattice, a few
// scratches along the fast axis and measurement noise.
std::vector<float> ScanLike(int side) {
    std::vector<float> h(std::size_t(side) * side);
    std::mt19937 random(17);
    std::normal_distribution<float> noise(0.0f, 0.02f);
    const double cell = side / 48.0;
    for (int i = 0; i < side; ++i) {
        const double v = (i + 0.5) / side - 0.5;
        const double scratch = (i % 311 == 7) ? -0.15 : 0.0;
        for (int j = 0; j < side; ++j) {
            const double u = (j + 0.5) / side - 0.5;
            const double gu = std::fmod(j, cell) / cell - 0.5, gv = std::fmod(i, cell) / cell - 0.5;
            const double grain = std::fmax(0.0, 0.25 - gu * gu - gv * gv);
            const double z = 0.45 - 0.6 * (u * u + v * v) + 0.9 * grain + scratch;
            h[j + std::size_t(i) * side] = std::fmin(1.0f, std::fmax(0.0f, float(z) + noise(random)));
        }
    }
    return h;
}

void BuildModel(const std::vector<float>& h, int side, surface::CMeshGrid& mesh, surface::CWalls& walls) {
    surface::BuildVertices(h.data(), side, side, mesh);
    surface::BuildNormals(mesh);
    surface::BuildWalls(mesh, walls);
}

std::string Name(const char* what, int side) {
    return std::string(what) + "/" + std::to_string(side);
}

void RegisterSide(int side) {
    const std::vector<float>& h = g_surfaces[side];
    bench::WallMs(
        benchmark::RegisterBenchmark(Name("Build", side).c_str(), [&h, side](benchmark::State& state) {
            for (auto _ : state) {
                surface::CMeshGrid mesh;
                surface::CWalls walls;
                BuildModel(h, side, mesh, walls);
                if (mesh.normals.empty()) {
                    state.SkipWithError("no model");
                    break;
                }
                g_heldBytes[side] = mesh.Bytes() + walls.Bytes();
                benchmark::DoNotOptimize(mesh.normals.data());
            }
        })->Iterations(side > 1024 ? 10 : 100));
    bench::WallMs(
        benchmark::RegisterBenchmark(Name("Rebuild", side).c_str(), [&h, side](benchmark::State& state) {
            surface::CMeshGrid mesh;
            surface::CWalls walls;
            BuildModel(h, side, mesh, walls);
            for (auto _ : state) {
                BuildModel(h, side, mesh, walls);
                benchmark::DoNotOptimize(mesh.normals.data());
            }
        }));
    bench::WallMs(benchmark::RegisterBenchmark(Name("Memcpy", side).c_str(), [side](benchmark::State& state) {
        // The bytes of vertices and normals, from one touched buffer into another.
        const std::size_t bytes = 2 * 3 * std::size_t(side) * side * sizeof(float);
        std::vector<char> from(bytes, 1), to(bytes, 0);
        for (auto _ : state) {
            std::memcpy(to.data(), from.data(), bytes);
            benchmark::DoNotOptimize(to.data());
        }
    }));
    // A write goes to the disk before its rename: a few runs say enough.
    bench::WallMs(
        benchmark::RegisterBenchmark(Name("WriteStl", side).c_str(), [&h, side](benchmark::State& state) {
            surface::CMeshGrid mesh;
            surface::BuildVertices(h.data(), side, side, mesh);
            const std::string path = g_dir->Path("model" + std::to_string(side) + ".stl");
            for (auto _ : state) {
                std::wstring problem;
                if (!surface::WriteStl(path, mesh, surface::StlFormat::Binary, problem)) {
                    state.SkipWithError("the STL file was not written");
                    break;
                }
                state.PauseTiming();
                g_stlBytes[side] = std::filesystem::file_size(path);
                std::filesystem::remove(path);
                state.ResumeTiming();
            }
        })->Iterations(side > 1024 ? 2 : 5));
}

void BM_Reduce(benchmark::State& state) {
    const std::vector<float>& h = g_surfaces[4096];
    std::vector<float> out;
    int columns = 0, rows = 0;
    for (auto _ : state) {
        surface::Reduce(h.data(), 4096, 4096, std::size_t(kReducedSide) * kReducedSide, out, columns, rows);
        benchmark::DoNotOptimize(out.data());
    }
    if (columns != kReducedSide || rows != kReducedSide)
        state.SkipWithError("not reduced to 512 x 512");
}

double MiB(std::size_t bytes) {
    return bytes / 1048576.0;
}

void PrintTable(const bench::MeanReporter& reporter, std::ostream& out) {
    using bench::Ms;
    char line[200];
    out << "\nthe model of a scan-like surface, one thread (mean wall ms)\n";
    std::snprintf(line, sizeof line, "%-6s %10s %10s %10s %9s %10s %10s %9s\n", "side", "first", "build",
                  "rebuild", "MiB held", "memcpy", "STL write", "STL MiB");
    out << line;
    for (const int side : kSides) {
        std::snprintf(line, sizeof line, "%-6d %10.2f %10s %10s %9.1f %10s %10s %9.1f\n", side,
                      g_firstMs[side], Ms(reporter.MeanMs(Name("Build", side))).c_str(),
                      Ms(reporter.MeanMs(Name("Rebuild", side))).c_str(), MiB(g_heldBytes[side]),
                      Ms(reporter.MeanMs(Name("Memcpy", side))).c_str(),
                      Ms(reporter.MeanMs(Name("WriteStl", side))).c_str(), MiB(g_stlBytes[side]));
        out << line;
    }
    std::snprintf(line, sizeof line, "reduce 4096 x 4096 to %d x %d: %s ms\n", kReducedSide, kReducedSide,
                  Ms(reporter.MeanMs("Reduce/4096")).c_str());
    out << line;
    const double build = reporter.MeanMs("Build/4096"), floor = reporter.MeanMs("Memcpy/4096");
    std::snprintf(line, sizeof line, "build/memcpy at 4096: %s, rebuild/memcpy: %s\n",
                  bench::Ratio(build, floor).c_str(),
                  bench::Ratio(reporter.MeanMs("Rebuild/4096"), floor).c_str());
    out << line << std::flush;
}

// The process's first build of each size, before any benchmark: its arrays are the first of their
// size, whose pages the system has to find (and, for huge pages, gather) before it can hand them over.
void TimeFirstBuild(int side) {
    const auto start = std::chrono::steady_clock::now();
    surface::CMeshGrid mesh;
    surface::CWalls walls;
    BuildModel(g_surfaces[side], side, mesh, walls);
    g_firstMs[side] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

int Run() {
    g_dir = std::make_unique<bench::TempDir>();
    for (const int side : kSides)
        g_surfaces[side] = ScanLike(side);
    for (const int side : kSides) {
        TimeFirstBuild(side);
        RegisterSide(side);
    }
    bench::WallMs(benchmark::RegisterBenchmark("Reduce/4096", BM_Reduce));
    bench::RunAndSummarise(PrintTable);
    g_dir.reset();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_mesh", Run);
}
