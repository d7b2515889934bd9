// Opens one 4096 x 4096 NT-MDT scan and one 4096 x 4096 NANOTOP-205 scan with our readers and with
// Gwyddion's file modules in the same process, then prints the ratio of the mean wall-clock times
// for each format.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchCommon.h"
#include "GwyddionFiles.h" // last, see there

namespace {

constexpr int kSide = 4096;
constexpr int kIterations = 5;

struct Format {
    const char* label;  // in the summary lines
    const char* name;   // in the benchmark names
    const char* module; // Gwyddion's loader for it
    std::string path;   // the generated file, UTF-8
};

std::string Ours(const Format& format) {
    return "BM_Vantri_Open_" + std::string(format.name) + "_" + std::to_string(kSide);
}

std::string Theirs(const Format& format) {
    return "BM_Gwyddion_Load_" + std::string(format.name) + "_" + std::to_string(kSide);
}

int Run() {
    bench::TempDir temp;
    Format formats[] = {
        {"NT-MDT", "NtMdt", "nt-mdt", bench::WriteNtMdt(temp, kSide)},
        {"NANOTOP-205", "Spm", "nanotop", bench::WriteSpm(temp, kSide)},
    };

    bench::InitGwyddionFiles();
    bool ok = true;
    for (const Format& format : formats) {
        ok = bench::CheckGwyddionLoad(format.path, format.module, kSide) && ok;
        ok = bench::CheckVantriOpen(format.path) && ok;
    }
    if (!ok)
        return 1;

    for (const Format& format : formats) {
        const std::string path = format.path;
        bench::WallMs(benchmark::RegisterBenchmark(Ours(format).c_str(), [path](benchmark::State& state) {
            bench::TimeVantriOpen(state, path);
        }))->Iterations(kIterations);
        bench::WallMs(benchmark::RegisterBenchmark(Theirs(format).c_str(), [path](benchmark::State& state) {
            bench::TimeGwyddionLoad(state, path);
        }))->Iterations(kIterations);
    }
    bench::RunAndSummarise([&formats](const bench::MeanReporter& reporter, std::ostream& out) {
        for (const Format& format : formats)
            bench::PrintOpenRatio(reporter, out, Ours(format), Theirs(format), format.label);
    });
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_open_ntmdt_spm", Run);
}
