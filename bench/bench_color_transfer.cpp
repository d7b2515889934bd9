// The colour transfer of a 4096 x 4096 grey-level grid into 8-bit RGB on the processor, single
// thread, against a plain memcpy of an RGB buffer of the same size; the ratio says how close the
// transfer comes to moving the bytes alone.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <random>
#include <vector>

#include "BenchCommon.h"
#include "view2d/ColorTransfer.h"

namespace {

constexpr std::size_t kSide = 4096;
constexpr std::size_t kCells = kSide * kSide;

std::vector<float> g_grey;
std::vector<std::uint8_t> g_source, g_target; // RGB sized
std::vector<std::uint8_t> g_bgra;
color::CConverter g_converter;
color::CAttenuator g_attenuator;

// Grey levels with some beyond 0..1, as a surface with raised contrast sends them to the clamps.
void MakeGrid() {
    g_grey.resize(kCells);
    std::mt19937 random(11);
    std::uniform_real_distribution<float> level(0.0f, 1.0f);
    for (float& v : g_grey)
        v = level(random);
    g_source.assign(kCells * 3, 0x5A);
    g_target.assign(kCells * 3, 0);
    g_bgra.assign(kCells * 4, 0);
    g_converter.SetType(color::CConverter::kAmber);
    for (int i = 0; i < 10; ++i)
        g_attenuator.ContrastUp();
    g_attenuator.BrightnessUp();
}

// Before any timing: a sample of pixels against the formula written out pixel by pixel.
bool CheckTransfer() {
    color::TransferRgb(g_grey.data(), kSide, kSide, g_converter, g_attenuator, g_target.data());
    const float gain = static_cast<float>(g_attenuator.Gain()),
                bias = static_cast<float>(g_attenuator.Bias());
    const float* const tables[3] = {g_converter.Red(), g_converter.Green(), g_converter.Blue()};
    for (std::size_t p = 0; p < kCells; p += 997) {
        const unsigned index = color::GreyIndex(g_grey[p], gain, bias);
        for (int k = 0; k < 3; ++k)
            if (g_target[p * 3 + k] != color::ComponentByte(tables[k][index]))
                return false;
    }
    return true;
}

void BM_TransferRgb(benchmark::State& state) {
    for (auto _ : state) {
        color::TransferRgb(g_grey.data(), kSide, kSide, g_converter, g_attenuator, g_target.data());
        benchmark::ClobberMemory();
    }
}

void BM_TransferBgra(benchmark::State& state) {
    for (auto _ : state) {
        color::TransferBgra(g_grey.data(), kSide, kSide, g_converter, g_attenuator, g_bgra.data());
        benchmark::ClobberMemory();
    }
}

void BM_MemcpyRgb(benchmark::State& state) {
    for (auto _ : state) {
        std::memcpy(g_target.data(), g_source.data(), g_source.size());
        benchmark::ClobberMemory();
    }
}

void PrintRatio(const bench::MeanReporter& reporter, std::ostream& out) {
    const double transfer = reporter.MeanMs("TransferRgb"), bgra = reporter.MeanMs("TransferBgra");
    const double copy = reporter.MeanMs("MemcpyRgb");
    char line[200];
    std::snprintf(line, sizeof line,
                  "\nmean wall time (4096 x 4096, one thread): transfer %s ms, bgra %s ms, memcpy %s ms\n",
                  bench::Ms(transfer).c_str(), bench::Ms(bgra).c_str(), bench::Ms(copy).c_str());
    out << line;
    out << "ratio transfer/memcpy: " << bench::Ratio(transfer, copy) << "\n" << std::flush;
}

int Run() {
    MakeGrid();
    if (!CheckTransfer()) {
        std::cerr << "bench_color_transfer: the transfer disagrees with the formula\n";
        return 1;
    }
    using bench::WallMs;
    WallMs(benchmark::RegisterBenchmark("TransferRgb", BM_TransferRgb));
    WallMs(benchmark::RegisterBenchmark("TransferBgra", BM_TransferBgra));
    WallMs(benchmark::RegisterBenchmark("MemcpyRgb", BM_MemcpyRgb));
    bench::RunAndSummarise(PrintRatio);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_color_transfer", Run);
}
