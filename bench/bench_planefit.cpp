// Plane fitting on one 4096 x 4096 surface, single thread: each of our four models against Gwyddion's
// polynomial fit and subtraction, then a table of the ratios of the mean wall times. Gwyddion's full
// polynomial of the same degrees also has the cross terms (x*y for the plane; x*y, x^2*y, x*y^2 and
// x^2*y^2 for the paraboloid), so a second column fits exactly our terms with its general polynomial
// fit. The other in-place stages of the chain are timed alongside for the record.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "processing/ChainStages.h"
#include "processing/PlaneFit.h"

// Last: built without NLS, Gwyddion's headers define gettext as a macro, which breaks a later
// <libintl.h> (the standard library's <locale> pulls it in).
#include <libgwyddion/gwythreads.h>
#include <libprocess/datafield.h>
#include <libprocess/level.h>

namespace {

constexpr int kSide = 4096;

// A scan-like surface in [0, 1]: tilt, bow, a few row offsets and noise.
std::vector<float> g_surface;
std::vector<float> g_wide;       // the same, twice as high: FitToUnit has to stretch it
std::vector<float> g_ours;       // worked on in place by our side
GwyDataField* g_field = nullptr; // worked on in place by Gwyddion

void MakeSurface() {
    g_surface.resize(static_cast<std::size_t>(kSide) * kSide);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-0.01f, 0.01f);
    for (int i = 0; i < kSide; ++i) {
        const double y = i / double(kSide);
        const double rowOffset = (i / 512) % 2 ? 0.05 : 0.0;
        for (int j = 0; j < kSide; ++j) {
            const double x = j / double(kSide);
            const double z =
                0.2 + 0.3 * x + 0.2 * y + 0.15 * (x - 0.5) * (x - 0.5) - 0.1 * (y - 0.4) * (y - 0.4);
            g_surface[j + static_cast<std::size_t>(i) * kSide] =
                static_cast<float>(z + rowOffset) + noise(random);
        }
    }
    g_wide = g_surface;
    for (float& v : g_wide)
        v *= 2.0f;
    g_ours = g_surface;
    g_field = gwy_data_field_new(kSide, kSide, 1.0, 1.0, FALSE);
    gdouble* data = gwy_data_field_get_data(g_field);
    for (std::size_t k = 0; k < g_surface.size(); ++k)
        data[k] = g_surface[k];
}

struct CModel {
    const char* name;
    doc::PlaneModel mode;
    int xDegree, yDegree;    // Gwyddion's full polynomial of these degrees
    std::vector<gint> terms; // Gwyddion's fit of exactly our terms, as (x power, y power) pairs
};

const CModel kModels[] = {
    {"Plane", doc::PlaneModel::Plane, 1, 1, {0, 0, 1, 0, 0, 1}},
    {"ParabolaX", doc::PlaneModel::ParabolaX, 2, 0, {0, 0, 1, 0, 2, 0}},
    {"ParabolaY", doc::PlaneModel::ParabolaY, 0, 2, {0, 0, 0, 1, 0, 2}},
    {"Paraboloid", doc::PlaneModel::Paraboloid, 2, 2, {0, 0, 1, 0, 0, 1, 2, 0, 0, 2}},
};

// Both sides fit in place, again and again: the cost of a fit does not depend on the values.
void BM_Ours(benchmark::State& state, const CModel* model) {
    doc::CPlaneFit fit;
    fit.mode = model->mode;
    for (auto _ : state) {
        fit.Apply(g_ours.data(), kSide, kSide);
        benchmark::ClobberMemory();
    }
}

void BM_GwyPolynom(benchmark::State& state, const CModel* model) {
    std::vector<gdouble> coeffs((model->xDegree + 1) * (model->yDegree + 1));
    for (auto _ : state) {
        gwy_data_field_fit_polynom(g_field, model->xDegree, model->yDegree, coeffs.data());
        gwy_data_field_subtract_polynom(g_field, model->xDegree, model->yDegree, coeffs.data());
        benchmark::ClobberMemory();
    }
}

void BM_GwyTerms(benchmark::State& state, const CModel* model) {
    const gint n = static_cast<gint>(model->terms.size() / 2);
    std::vector<gdouble> coeffs(n);
    for (auto _ : state) {
        gwy_data_field_fit_poly(g_field, nullptr, n, model->terms.data(), FALSE, coeffs.data());
        gwy_data_field_subtract_poly(g_field, n, model->terms.data(), coeffs.data());
        benchmark::ClobberMemory();
    }
}

// The chain stages start each iteration from the same surface; the copy is not timed.
template <typename Stage>
void TimeStage(benchmark::State& state, Stage stage, const std::vector<float>& source = g_surface) {
    for (auto _ : state) {
        state.PauseTiming();
        g_ours = source;
        state.ResumeTiming();
        stage(g_ours.data());
        benchmark::ClobberMemory();
    }
}

void BM_Stage_EliminateJumps(benchmark::State& state) {
    TimeStage(state, [](float* g) { doc::EliminateJumps(g, kSide, kSide); });
}
void BM_Stage_FlattenRowsColumns(benchmark::State& state) {
    TimeStage(state, [](float* g) { doc::Flatten(g, kSide, kSide, doc::Flattening::OnYX); });
}
void BM_Stage_FitToUnit(benchmark::State& state) {
    TimeStage(
        state, [](float* g) { benchmark::DoNotOptimize(doc::FitToUnit(g, kSide, kSide)); }, g_wide);
}
void BM_Stage_Normalize(benchmark::State& state) {
    TimeStage(state, [](float* g) {
        doc::CNormalizeState normalize;
        normalize.pending = true; // measure and apply
        benchmark::DoNotOptimize(doc::Normalize(g, kSide, kSide, normalize));
    });
}

// Before any timing: our residual, less its centre 0.5, must match Gwyddion's fit of the same terms.
bool CheckAgainstGwyddion() {
    bool ok = true;
    for (const CModel& model : kModels) {
        std::vector<float> ours = g_surface;
        doc::CPlaneFit fit;
        fit.mode = model.mode;
        fit.Apply(ours.data(), kSide, kSide);
        GwyDataField* field = gwy_data_field_duplicate(g_field);
        const gint n = static_cast<gint>(model.terms.size() / 2);
        std::vector<gdouble> coeffs(n);
        gwy_data_field_fit_poly(field, nullptr, n, model.terms.data(), FALSE, coeffs.data());
        gwy_data_field_subtract_poly(field, n, model.terms.data(), coeffs.data());
        const gdouble* theirs = gwy_data_field_get_data(field);
        double worst = 0;
        for (std::size_t k = 0; k < ours.size(); ++k)
            worst = std::max(worst, std::fabs((ours[k] - 0.5) - theirs[k]));
        g_object_unref(field);
        std::printf("%-11s largest difference from gwyddion's residual: %.2e\n", model.name, worst);
        ok = ok && worst < 1e-5;
    }
    return ok;
}

void Register() {
    using bench::WallMs;
    for (const CModel& model : kModels) {
        WallMs(benchmark::RegisterBenchmark((std::string("Ours/") + model.name).c_str(), BM_Ours, &model));
        WallMs(benchmark::RegisterBenchmark((std::string("GwyPolynom/") + model.name).c_str(), BM_GwyPolynom,
                                            &model));
        WallMs(benchmark::RegisterBenchmark((std::string("GwyTerms/") + model.name).c_str(), BM_GwyTerms,
                                            &model));
    }
    WallMs(benchmark::RegisterBenchmark("Stage/EliminateJumps", BM_Stage_EliminateJumps));
    WallMs(benchmark::RegisterBenchmark("Stage/FlattenRowsColumns", BM_Stage_FlattenRowsColumns));
    WallMs(benchmark::RegisterBenchmark("Stage/FitToUnit", BM_Stage_FitToUnit));
    WallMs(benchmark::RegisterBenchmark("Stage/Normalize", BM_Stage_Normalize));
}

void PrintTable(const bench::MeanReporter& reporter, std::ostream& out) {
    using bench::Ms;
    using bench::Ratio;
    char line[200];
    out << "\nmean wall time, ms (4096 x 4096, one thread)\n";
    std::snprintf(line, sizeof line, "%-11s %9s %12s %8s %12s %8s\n", "model", "ours", "gwy polynom", "ratio",
                  "gwy terms", "ratio");
    out << line;
    for (const CModel& model : kModels) {
        const double ours = reporter.MeanMs(std::string("Ours/") + model.name);
        const double polynom = reporter.MeanMs(std::string("GwyPolynom/") + model.name);
        const double terms = reporter.MeanMs(std::string("GwyTerms/") + model.name);
        std::snprintf(line, sizeof line, "%-11s %9s %12s %8s %12s %8s\n", model.name, Ms(ours).c_str(),
                      Ms(polynom).c_str(), Ratio(ours, polynom).c_str(), Ms(terms).c_str(),
                      Ratio(ours, terms).c_str());
        out << line;
    }
    out << "\nchain stages, ms\n";
    for (const char* stage : {"EliminateJumps", "FlattenRowsColumns", "FitToUnit", "Normalize"}) {
        std::snprintf(line, sizeof line, "%-20s %9s\n", stage,
                      Ms(reporter.MeanMs(std::string("Stage/") + stage)).c_str());
        out << line;
    }
    out << std::flush;
}

int Run() {
    gwy_threads_set_enabled(FALSE);
    MakeSurface();
    if (!CheckAgainstGwyddion()) {
        std::cerr << "bench_planefit: the residuals disagree\n";
        return 1;
    }
    Register();
    bench::RunAndSummarise(PrintTable);
    g_object_unref(g_field);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_planefit", Run);
}
