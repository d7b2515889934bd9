// A Surface-menu change on a processed 4096 x 4096 document with the whole chain on, single thread:
// the document reruns the chain only from the stage whose setting changed. Each change is timed
// against the stage it changes, run alone on a copy of that stage's input, in the same run on the
// same data; the run that keeps every stage's output is timed against a run that keeps nothing.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>

#include "BenchCommon.h"
#include "model/VantriDoc.h"

namespace {

constexpr int kSide = 4096;
using Grid = doc::TGrid<float>;
doc::CVantriDoc* g_doc = nullptr;

// Every stage on: jumps, flattening, the paraboloid, the 3 x 3 dilation, the 5 x 5 cross median and
// "Normalize".
void FullChain(doc::CVantriDoc& d) {
    d.m_bJumps = true;
    d.m_nFlatting = doc::Flattening::OnYX;
    d.m_planeFit.mode = doc::PlaneModel::Paraboloid;
    d.m_morphology.operation = doc::MorphOp::Dilate3;
    d.m_filter.type = doc::FilterType::Median5;
    d.m_normalize = doc::CNormalizeState{};
    d.m_normalize.pending = true;
}

// The inputs of the filter and of "Normalize" under the full chain, and the states "Normalize" measured
// with the 3 x 3 mean and with no filter: the states the filter changes below start from.
Grid g_filterInput, g_normalizeInput;
doc::CNormalizeState g_measuredMean3, g_measuredNone;

doc::CNormalizeState MeasuredWith(doc::FilterType filter) {
    doc::CVantriDoc& d = *g_doc;
    FullChain(d);
    d.m_filter.type = filter;
    d.Reprocess();
    return d.m_normalize;
}

void PrepareInputs() {
    doc::CVantriDoc& d = *g_doc;
    FullChain(d);
    d.m_filter.type = doc::FilterType::None;
    d.m_normalize = doc::CNormalizeState{};
    d.Reprocess(); // ends with the fit after the dilation: the filter's input
    g_filterInput = d.heights;
    d.m_filter.type = doc::FilterType::Median5;
    d.Reprocess();
    // What the filter left, before the last fit: the input of "Normalize".
    g_normalizeInput = g_filterInput;
    d.m_filter.Apply(g_normalizeInput.data(), d.columns, d.rows);
    g_measuredMean3 = MeasuredWith(doc::FilterType::Mean3);
    g_measuredNone = MeasuredWith(doc::FilterType::None);
    FullChain(d);
    d.Reprocess();
}

void Alone(benchmark::State& state, const Grid& input, const std::function<void(float*)>& stage) {
    Grid work = input;
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(input.begin(), input.end(), work.begin());
        state.ResumeTiming();
        stage(work.data());
        benchmark::ClobberMemory();
    }
}

void MedianAlone(benchmark::State& state) {
    doc::CFilter filter;
    filter.type = doc::FilterType::Median5;
    Alone(state, g_filterInput, [&](float* g) { benchmark::DoNotOptimize(filter.Apply(g, kSide, kSide)); });
}

void NormalizeAlone(benchmark::State& state) {
    Alone(state, g_normalizeInput, [](float* g) {
        doc::CNormalizeState s;
        s.pending = true;
        benchmark::DoNotOptimize(doc::Normalize(g, kSide, kSide, s));
    });
}

// The steps after the filter alone: "Normalize" with a state measured before, and the last fit.
void TailAlone(benchmark::State& state, const doc::CNormalizeState& measured) {
    Alone(state, g_normalizeInput, [&measured](float* g) {
        doc::CNormalizeState s = measured;
        benchmark::DoNotOptimize(doc::Normalize(g, kSide, kSide, s));
        benchmark::DoNotOptimize(doc::FitToUnit(g, kSide, kSide));
    });
}

// "Normalize" measuring, then the last fit.
void NormalizeAndFitAlone(benchmark::State& state) {
    Alone(state, g_normalizeInput, [](float* g) {
        doc::CNormalizeState s;
        s.pending = true;
        benchmark::DoNotOptimize(doc::Normalize(g, kSide, kSide, s));
        benchmark::DoNotOptimize(doc::FitToUnit(g, kSide, kSide));
    });
}

// The change made by set, from the state made by before; what an earlier run kept of the steps from
// `forget` on is dropped first, so that the change is computed, not found.
void Change(benchmark::State& state, const std::function<void(doc::CVantriDoc&)>& before,
            const std::function<void(doc::CVantriDoc&)>& set, int forget) {
    doc::CVantriDoc& d = *g_doc;
    for (auto _ : state) {
        state.PauseTiming();
        FullChain(d);
        before(d);
        d.Reprocess();
        if (forget < doc::CChain::kSteps)
            d.Chain().DropFrom(forget);
        state.ResumeTiming();
        set(d);
        d.Reprocess();
        benchmark::ClobberMemory();
    }
    FullChain(d);
    d.Reprocess();
}

void Nothing(doc::CVantriDoc&) {}
void NormalizeOff(doc::CVantriDoc& d) {
    d.m_normalize = doc::CNormalizeState{};
}
void NormalizeOn(doc::CVantriDoc& d) {
    d.m_normalize = doc::CNormalizeState{};
    d.m_normalize.pending = true;
}
void OtherFilter(doc::CVantriDoc& d) {
    d.m_filter.type = doc::FilterType::Mean3;
}
void Median(doc::CVantriDoc& d) {
    d.m_filter.type = doc::FilterType::Median5;
}

// "Normalize" off and on again, each found among the kept results.
void ToggleKept(benchmark::State& state) {
    doc::CVantriDoc& d = *g_doc;
    for (auto _ : state) {
        NormalizeOff(d);
        d.Reprocess();
        NormalizeOn(d);
        d.Reprocess();
        benchmark::ClobberMemory();
    }
}

// The whole chain from the raw counts, keeping the output of every stage, or keeping nothing.
void WholeChain(benchmark::State& state, bool keep) {
    doc::CVantriDoc& d = *g_doc;
    d.Chain().Keep(keep);
    for (auto _ : state) {
        state.PauseTiming();
        d.Chain().DropFrom(doc::CChain::kConvert);
        FullChain(d);
        state.ResumeTiming();
        d.Reprocess();
        benchmark::ClobberMemory();
    }
    d.Chain().Keep(true);
}

void PrintTable(const bench::MeanReporter& reporter, std::ostream& out) {
    const auto Mean = [&reporter](const std::string& name) { return reporter.MeanMs(name); };
    char line[240];
    out << "\nmean wall time, ms (4096 x 4096, one thread, the whole chain on)\n";
    std::snprintf(line, sizeof line, "%-30s %8s %8s %7s %12s %7s\n", "change", "ours", "stage", "ratio",
                  "stage->end", "ratio");
    out << line;
    const double normalize = Mean("Alone/normalize"), median = Mean("Alone/median 5");
    const double normalizeOn = Mean("Alone/normalize+fit");
    const auto afterMedian = [&](const char* tail) {
        const double rest = Mean(tail);
        return median >= 0 && rest >= 0 ? median + rest : -1;
    };
    const struct {
        const char* change;
        double stage, toEnd; // the changed stage alone; it and the stages after it alone
    } rows[] = {
        {"normalize off", normalize, normalize},
        {"normalize on", normalize, normalizeOn},
        {"normalize off+on, kept", normalize >= 0 ? 2 * normalize : -1, -1},
        {"filter mean 3 -> median 5", median, afterMedian("Alone/normalize (mean 3's)+fit")},
        {"filter off -> median 5", median, afterMedian("Alone/normalize (no filter's)+fit")},
    };
    for (const auto& r : rows) {
        const double ours = Mean(std::string("Change/") + r.change);
        std::snprintf(line, sizeof line, "%-30s %8s %8s %7s %12s %7s\n", r.change, bench::Ms(ours).c_str(),
                      bench::Ms(r.stage).c_str(), bench::Ratio(ours, r.stage).c_str(),
                      bench::Ms(r.toEnd).c_str(), bench::Ratio(ours, r.toEnd, "-").c_str());
        out << line;
    }
    out << "(stage: the changed stage alone; stage->end: it and the stages after it, alone; \"normalize "
           "off\"\n"
           " is timed against \"Normalize\" alone, \"off+on, kept\" against two of it)\n";
    const double keeping = Mean("Chain/whole, keeping"), plain = Mean("Chain/whole, keeping nothing");
    std::snprintf(line, sizeof line,
                  "\nwhole chain: keeping every stage %s ms, keeping nothing %s ms, ratio %s\n",
                  bench::Ms(keeping).c_str(), bench::Ms(plain).c_str(), bench::Ratio(keeping, plain).c_str());
    out << line;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::snprintf(line, sizeof line, "peak resident memory %.0f MiB\n", usage.ru_maxrss / 1024.0);
    out << line << std::flush;
}

int Run() {
    bench::COpenedScan scan(kSide);
    g_doc = &scan.Doc();
    if (g_doc->columns != kSide || g_doc->rows != kSide)
        throw std::runtime_error("the surface is not 4096 x 4096");
    g_doc->Chain().Keep(true); // as after the first Surface-menu change
    PrepareInputs();

    using bench::WallMs;
    WallMs(benchmark::RegisterBenchmark("Alone/normalize", NormalizeAlone));
    WallMs(benchmark::RegisterBenchmark("Alone/median 5", MedianAlone));
    WallMs(benchmark::RegisterBenchmark("Alone/normalize+fit", NormalizeAndFitAlone));
    WallMs(benchmark::RegisterBenchmark("Alone/normalize (mean 3's)+fit", TailAlone, g_measuredMean3));
    WallMs(benchmark::RegisterBenchmark("Alone/normalize (no filter's)+fit", TailAlone, g_measuredNone));
    WallMs(benchmark::RegisterBenchmark("Change/normalize off", Change, Nothing, NormalizeOff,
                                        static_cast<int>(doc::CChain::kNormalize)));
    WallMs(benchmark::RegisterBenchmark("Change/normalize on", Change, NormalizeOff, NormalizeOn,
                                        static_cast<int>(doc::CChain::kNormalize)));
    WallMs(benchmark::RegisterBenchmark("Change/normalize off+on, kept", ToggleKept));
    WallMs(benchmark::RegisterBenchmark("Change/filter mean 3 -> median 5", Change, OtherFilter, Median,
                                        static_cast<int>(doc::CChain::kFilter)));
    WallMs(benchmark::RegisterBenchmark(
        "Change/filter off -> median 5", Change,
        [](doc::CVantriDoc& d) { d.m_filter.type = doc::FilterType::None; }, Median,
        static_cast<int>(doc::CChain::kFilter)));
    WallMs(benchmark::RegisterBenchmark("Chain/whole, keeping", WholeChain, true));
    WallMs(benchmark::RegisterBenchmark("Chain/whole, keeping nothing", WholeChain, false));
    bench::RunAndSummarise(PrintTable);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_chain_change", Run);
}
