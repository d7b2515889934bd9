// The statistics window's numbers on one 4096 x 4096 surface, single thread, against Gwyddion's
// whole-field roughness (gwy_data_field_get_stats), height distribution (gwy_data_field_dh) and its
// cumulative form (gwy_data_field_cdh):
// - opening: Ra, Rq, skewness and kurtosis about the mean plane, then the histogram and the bearing
//   curve of a window's bin and level counts from the surface;
// - a re-bin after a resize: both graphs for new counts from what opening prepared;
// and, before any timing, our four numbers against Gwyddion's on the same plane-levelled field.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "analysis/HeightDistribution.h"
#include "analysis/Roughness.h"

// Last: built without NLS, Gwyddion's headers define gettext as a macro, which breaks a later
// <libintl.h> (the standard library's <locale> pulls it in).
#include <libgwyddion/gwythreads.h>
#include <libprocess/datafield.h>
#include <libprocess/dataline.h>
#include <libprocess/level.h>
#include <libprocess/stats.h>

namespace {

constexpr int kSide = 4096;
// A window of about 1200 x 700 pixels: its histogram's bins and its bearing curve's levels.
constexpr int kBins = 540;
constexpr int kLevels = 650;

std::vector<float> g_surface;
GwyDataField* g_field = nullptr;

// A scan-like surface in [0, 1]: tilt, a bow, grains and noise.
void MakeSurface() {
    g_surface.resize(static_cast<std::size_t>(kSide) * kSide);
    std::mt19937 random(5);
    std::normal_distribution<float> noise(0.0f, 0.03f);
    for (int i = 0; i < kSide; ++i) {
        const double y = i / double(kSide);
        for (int j = 0; j < kSide; ++j) {
            const double x = j / double(kSide);
            const double grain = 0.08 * std::sin(x * 90.0) * std::sin(y * 70.0);
            const double z = 0.3 + 0.25 * x + 0.15 * y + 0.1 * (x - 0.5) * (x - 0.5) + grain;
            g_surface[j + static_cast<std::size_t>(i) * kSide] =
                std::fmin(1.0f, std::fmax(0.0f, static_cast<float>(z) + noise(random)));
        }
    }
    g_field = gwy_data_field_new(kSide, kSide, 1.0, 1.0, FALSE);
    gdouble* data = gwy_data_field_get_data(g_field);
    for (std::size_t k = 0; k < g_surface.size(); ++k)
        data[k] = g_surface[k];
}

void BM_OursOpen(benchmark::State& state) {
    for (auto _ : state) {
        const statist::CRoughness r = statist::Roughness(g_surface.data(), kSide, kSide);
        statist::CHeightDistribution heights;
        heights.Prepare(g_surface.data(), kSide, kSide, false);
        statist::CHistogramBins histogram;
        statist::CBearingLevels bearing;
        heights.Compute(kBins, kLevels, &histogram, &bearing);
        benchmark::DoNotOptimize(r.rq);
        benchmark::DoNotOptimize(histogram.largest);
        benchmark::DoNotOptimize(bearing.range);
    }
}

void BM_GwyOpen(benchmark::State& state) {
    GwyDataLine* line = gwy_data_line_new(1, 1.0, FALSE);
    for (auto _ : state) {
        // Gwyddion caches a field's statistics; each opening starts without them.
        gwy_data_field_invalidate(g_field);
        gdouble avg, ra, rms, skew, kurtosis;
        gwy_data_field_get_stats(g_field, &avg, &ra, &rms, &skew, &kurtosis);
        gwy_data_field_dh(g_field, line, kBins);
        gwy_data_field_cdh(g_field, line, kLevels);
        benchmark::DoNotOptimize(kurtosis);
    }
    g_object_unref(line);
}

void BM_OursRebin(benchmark::State& state) {
    statist::CHeightDistribution heights;
    heights.Prepare(g_surface.data(), kSide, kSide, false);
    int widen = 0;
    for (auto _ : state) {
        // A resize by one pixel each way: one bin and one level more, or fewer.
        widen = (widen + 1) % 8;
        statist::CHistogramBins histogram;
        statist::CBearingLevels bearing;
        heights.Compute(kBins + widen, kLevels + widen, &histogram, &bearing);
        benchmark::DoNotOptimize(histogram.largest);
    }
}

// Ra, Rq, skewness and kurtosis against Gwyddion's on the field levelled by its plane fit.
bool CheckAgainstGwyddion() {
    GwyDataField* field = gwy_data_field_duplicate(g_field);
    gdouble a, bx, by;
    gwy_data_field_fit_plane(field, &a, &bx, &by);
    gwy_data_field_plane_level(field, a, bx, by);
    gdouble avg, ra, rms, skew, kurtosis;
    gwy_data_field_get_stats(field, &avg, &ra, &rms, &skew, &kurtosis);
    g_object_unref(field);
    const statist::CRoughness r = statist::Roughness(g_surface.data(), kSide, kSide);
    const double theirs[4] = {ra, rms, skew, kurtosis + 3.0};
    const double ours[4] = {r.ra, r.rq, r.sk.value_or(NAN), r.ks.value_or(NAN)};
    const char* names[4] = {"Ra", "Rq", "skewness", "kurtosis"};
    bool ok = true;
    for (int k = 0; k < 4; ++k) {
        const double relative = std::fabs(ours[k] - theirs[k]) / std::fabs(theirs[k]);
        std::printf("%-9s ours %.9g gwyddion %.9g relative difference %.2e\n", names[k], ours[k], theirs[k],
                    relative);
        ok = ok && relative <= 1e-6;
    }
    return ok;
}

void PrintTable(const bench::MeanReporter& reporter, std::ostream& out) {
    using bench::Ms;
    using bench::Ratio;
    const double open = reporter.MeanMs("Ours/Open"), gwy = reporter.MeanMs("Gwyddion/StatsDhCdh");
    const double rebin = reporter.MeanMs("Ours/Rebin");
    char line[200];
    out << "\nmean wall time, ms (4096 x 4096, one thread, " << kBins << " bins, " << kLevels << " levels)\n";
    std::snprintf(line, sizeof line,
                  "opening: ours %s, gwyddion stats + dh + cdh %s, ratio %s (goal <= 1.00)\n",
                  Ms(open).c_str(), Ms(gwy).c_str(), Ratio(open, gwy).c_str());
    out << line;
    std::snprintf(line, sizeof line, "re-bin of both graphs: %s (goal <= 20 ms)\n", Ms(rebin).c_str());
    out << line << std::flush;
}

int Run() {
    gwy_threads_set_enabled(FALSE);
    MakeSurface();
    if (!CheckAgainstGwyddion()) {
        std::cerr << "bench_statistics: the roughness numbers disagree with Gwyddion's\n";
        return 1;
    }
    bench::WallMs(benchmark::RegisterBenchmark("Ours/Open", BM_OursOpen));
    bench::WallMs(benchmark::RegisterBenchmark("Gwyddion/StatsDhCdh", BM_GwyOpen));
    bench::WallMs(benchmark::RegisterBenchmark("Ours/Rebin", BM_OursRebin));
    bench::RunAndSummarise(PrintTable);
    g_object_unref(g_field);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_statistics", Run);
}
