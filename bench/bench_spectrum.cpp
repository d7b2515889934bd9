// The spectrum and auto-correlation windows' textures of a 4096 x 4096 surface, one thread:
// - the spectrum rebuilt (transform, amplitudes, centring, logarithmic display levels) against
//   fftwf_execute of the same single-precision real-to-complex transform alone, out of place from the
//   surface as the spectrum runs it, its measured plan made beforehand; and, for comparison, against
//   the in-place transform of a copy;
// - the first spectrum of the process, its plan included (estimated, no wisdom file);
// - the auto-correlation rebuilt, the reduction to 64 x 64 and the enlargement back included.
#include <benchmark/benchmark.h>

#include <fftw3.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "BenchCommon.h"
#include "analysis/Spectrum.h"
#include "processing/Fourier.h"
#include "processing/GridAllocator.h"

namespace {

constexpr int kSide = 4096;
doc::TGrid<float> g_grid; // as a document holds its surface
double g_firstMs = -1;

void BM_SpectrumRebuild(benchmark::State& state) {
    fourier::CSpectralTexture texture;
    for (auto _ : state)
        if (fourier::BuildSpectrum(g_grid.data(), kSide, kSide, 8192, true, texture) != 0) {
            state.SkipWithError("spectrum failed");
            break;
        }
}

void BM_FftwExecute(benchmark::State& state) {
    // The grid is aligned as fftwf_malloc aligns: the plan runs on it, as the spectrum's does.
    float* in = static_cast<float*>(fftwf_malloc(sizeof(float) * kSide * kSide));
    auto* out = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * (kSide / 2 + 1) * kSide));
    fftwf_plan plan = fftwf_plan_dft_r2c_2d(kSide, kSide, in, out, FFTW_MEASURE);
    for (auto _ : state)
        fftwf_execute_dft_r2c(plan, g_grid.data(), out);
    fftwf_destroy_plan(plan);
    fftwf_free(out);
    fftwf_free(in);
}

void BM_FftwExecuteInPlace(benchmark::State& state) {
    const std::size_t stride = 2 * (kSide / 2 + 1);
    float* work = static_cast<float*>(fftwf_malloc(sizeof(float) * stride * kSide));
    fftwf_plan plan =
        fftwf_plan_dft_r2c_2d(kSide, kSide, work, reinterpret_cast<fftwf_complex*>(work), FFTW_MEASURE);
    for (auto _ : state) {
        // The transform works in place: the input is laid in again outside the timing.
        state.PauseTiming();
        for (int y = 0; y < kSide; ++y)
            std::memcpy(work + y * stride, g_grid.data() + std::size_t(y) * kSide, sizeof(float) * kSide);
        state.ResumeTiming();
        fftwf_execute(plan);
    }
    fftwf_destroy_plan(plan);
    fftwf_free(work);
}

void BM_CorrelationRebuild(benchmark::State& state) {
    fourier::CSpectralTexture texture;
    for (auto _ : state)
        if (fourier::BuildCorrelation(g_grid.data(), kSide, kSide, 8192, texture) != 0) {
            state.SkipWithError("correlation failed");
            break;
        }
}

int Run() {
    // The first spectrum is timed as a session without wisdom sees it, unless told otherwise.
    ::setenv("VANTRI_FFTW_WISDOM", "off", 0);
    g_grid.resize(std::size_t(kSide) * kSide);
    std::mt19937 random(5);
    std::uniform_real_distribution<float> level(0.0f, 1.0f);
    for (float& v : g_grid)
        v = level(random);
    {
        fourier::CSpectralTexture texture;
        const auto start = std::chrono::steady_clock::now();
        if (fourier::BuildSpectrum(g_grid.data(), kSide, kSide, 8192, true, texture) != 0)
            return 1;
        g_firstMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    // The measured plan the following spectra run on; its wisdom makes the peer's plan at once.
    doc::fourier::WaitForMeasuredPlans();
    bench::WallMs(benchmark::RegisterBenchmark("SpectrumRebuild", BM_SpectrumRebuild))->MinTime(2);
    bench::WallMs(benchmark::RegisterBenchmark("FftwExecute", BM_FftwExecute))->MinTime(2);
    bench::WallMs(benchmark::RegisterBenchmark("FftwExecuteInPlace", BM_FftwExecuteInPlace))->MinTime(2);
    bench::WallMs(benchmark::RegisterBenchmark("CorrelationRebuild", BM_CorrelationRebuild))->MinTime(1);
    bench::RunAndSummarise([](const bench::MeanReporter& reporter, std::ostream& out) {
        const double ours = reporter.MeanMs("SpectrumRebuild"), fftw = reporter.MeanMs("FftwExecute");
        const double inPlace = reporter.MeanMs("FftwExecuteInPlace");
        out << "4096 x 4096, one thread (mean wall ms), real-to-complex transform:\n"
            << "spectrum rebuild " << bench::Ms(ours) << ", fftwf_execute alone " << bench::Ms(fftw)
            << ", ratio " << bench::Ratio(ours, fftw) << " (goal <= 1.30)\n"
            << "in place on a copy, fftwf_execute alone " << bench::Ms(inPlace) << ", ratio "
            << bench::Ratio(ours, inPlace) << "\n"
            << "first spectrum of the process, plan included: " << bench::Ms(g_firstMs) << "\n"
            << "auto-correlation rebuild: " << bench::Ms(reporter.MeanMs("CorrelationRebuild"))
            << " (goal <= 30 ms)\n";
    });
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_spectrum", Run);
}
