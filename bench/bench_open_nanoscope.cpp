// Opens one 4096 x 4096 16-bit NanoScope III Height image with our reader and with Gwyddion's file
// modules in the same process, then prints the ratio of the mean wall-clock times.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchCommon.h"
#include "GwyddionFiles.h" // last, see there

namespace {

constexpr int kSide = 4096;
constexpr int kIterations = 5;

std::string g_path; // the generated file, UTF-8

void BM_Vantri_Open_4096(benchmark::State& state) {
    bench::TimeVantriOpen(state, g_path);
}

void BM_Gwyddion_Load_4096(benchmark::State& state) {
    bench::TimeGwyddionLoad(state, g_path);
}

BENCHMARK(BM_Vantri_Open_4096)->Iterations(kIterations)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gwyddion_Load_4096)->Iterations(kIterations)->UseRealTime()->Unit(benchmark::kMillisecond);

void PrintRatio(const bench::MeanReporter& reporter, std::ostream& out) {
    bench::PrintOpenRatio(reporter, out, "BM_Vantri_Open_4096", "BM_Gwyddion_Load_4096");
}

int Run() {
    bench::TempDir temp;
    g_path = bench::WriteNanoScope(temp, kSide);

    bench::InitGwyddionFiles();
    const bool gwyddionOk = bench::CheckGwyddionLoad(g_path, "nanoscope", kSide);
    const bool vantriOk = bench::CheckVantriOpen(g_path);
    if (!gwyddionOk || !vantriOk)
        return 1;

    bench::RunAndSummarise(PrintRatio);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_open_nanoscope", Run);
}
