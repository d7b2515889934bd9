// The whole correction chain on one 4096 x 4096 NanoScope III surface, single thread, against the sum
// of the fastest peer for each of its steps (OpenCV, Gwyddion), all measured in the same run on the
// same data. Our stages are also timed one by one on copies of their inputs, so that the chain's time
// can be read stage by stage.
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "model/VantriDoc.h"
#include "processing/ChainStages.h"
#include "processing/Filter.h"
#include "processing/GridAllocator.h"
#include "processing/Morphology.h"
#include "processing/PlaneFit.h"

// Last: built without NLS, Gwyddion's headers define gettext as a macro, which breaks a later
// <libintl.h> (the standard library's <locale> pulls it in).
#include <libgwyddion/gwythreads.h>
#include <libprocess/correct.h>
#include <libprocess/datafield.h>
#include <libprocess/level.h>
#include <libprocess/stats.h>

namespace {

constexpr int kSide = 4096;
using Grid = doc::TGrid<float>;

// The document's settings for the timed chain: every correction that has a peer is on.
void Configure(doc::CVantriDoc& d) {
    d.m_bJumps = true;
    d.m_nFlatting = doc::Flattening::OnYX;
    d.m_planeFit.mode = doc::PlaneModel::Paraboloid;
    d.m_morphology.operation = doc::MorphOp::Dilate3;
    d.m_filter.type = doc::FilterType::Median5; // the 9-cell cross in 5 x 5
    d.m_normalize.pending = true;
}

doc::CVantriDoc* g_doc = nullptr;

// Our stages in the order of the chain. Each works in place on a copy of the grid that the stage
// before it left, which the set-up computes once.
struct CStage {
    const char* name;
    std::function<void(float*)> run;
};

doc::CPlaneFit g_plane;
doc::CMorphology g_morphology;
doc::CFilter g_filter;

const std::vector<CStage>& Stages() {
    static const std::vector<CStage> stages = {
        {"EliminateJumps", [](float* g) { doc::EliminateJumps(g, kSide, kSide); }},
        {"Flatten", [](float* g) { doc::Flatten(g, kSide, kSide, doc::Flattening::OnYX); }},
        {"PlaneFit", [](float* g) { g_plane.Apply(g, kSide, kSide); }},
        {"FitToUnit1", [](float* g) { benchmark::DoNotOptimize(doc::FitToUnit(g, kSide, kSide)); }},
        {"Dilate", [](float* g) { benchmark::DoNotOptimize(g_morphology.Apply(g, kSide, kSide)); }},
        {"FitToUnit2", [](float* g) { benchmark::DoNotOptimize(doc::FitToUnit(g, kSide, kSide)); }},
        {"Median", [](float* g) { benchmark::DoNotOptimize(g_filter.Apply(g, kSide, kSide)); }},
        {"Normalize",
         [](float* g) {
             doc::CNormalizeState state;
             state.pending = true;
             benchmark::DoNotOptimize(doc::Normalize(g, kSide, kSide, state));
         }},
        {"FitToUnit3", [](float* g) { benchmark::DoNotOptimize(doc::FitToUnit(g, kSide, kSide)); }},
    };
    return stages;
}

std::vector<Grid> g_inputs; // g_inputs[s] is what stage s starts from; the last is the chain's result
Grid g_work;

// Runs the stages from the converted grid and keeps every intermediate grid.
void PrepareInputs() {
    Grid converted;
    int columns = 0, rows = 0;
    g_doc->m_preprocessor.Run(g_doc->m_raw.data(), g_doc->m_rawColumns, g_doc->m_rawRows, converted, columns,
                              rows);
    if (columns != kSide || rows != kSide)
        throw std::runtime_error("the converted grid is not 4096 x 4096");
    g_inputs.assign(1, converted);
    for (const CStage& stage : Stages()) {
        Grid next = g_inputs.back();
        stage.run(next.data());
        g_inputs.push_back(std::move(next));
    }
    g_work = converted;
}

// Before any timing: the stages called one by one must give exactly what the document's chain gives.
bool CheckStagesAgainstChain() {
    Configure(*g_doc);
    g_doc->Reprocess();
    const Grid& chain = g_doc->heights;
    const Grid& stages = g_inputs.back();
    const bool same = chain.size() == stages.size() &&
                      std::memcmp(chain.data(), stages.data(), chain.size() * sizeof(float)) == 0;
    std::cout << "stage by stage the grid is " << (same ? "identical to" : "DIFFERENT from")
              << " the document's chain\n";
    return same;
}

void BM_Chain(benchmark::State& state) {
    for (auto _ : state) {
        Configure(*g_doc); // Normalize measures again on every run
        g_doc->Reprocess();
        benchmark::ClobberMemory();
    }
}

void BM_Convert(benchmark::State& state) {
    Grid out;
    int columns = 0, rows = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_doc->m_preprocessor.Run(g_doc->m_raw.data(), g_doc->m_rawColumns,
                                                           g_doc->m_rawRows, out, columns, rows));
        benchmark::ClobberMemory();
    }
}

void BM_Stage(benchmark::State& state, std::size_t s) {
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(g_inputs[s].begin(), g_inputs[s].end(), g_work.begin());
        state.ResumeTiming();
        Stages()[s].run(g_work.data());
        benchmark::ClobberMemory();
    }
}

// ---- Peers. Each gets the input of the stage it stands in for, in its own types.

GwyDataField* NewField(const Grid& grid) {
    GwyDataField* field = gwy_data_field_new(kSide, kSide, 1.0, 1.0, FALSE);
    std::copy(grid.begin(), grid.end(), gwy_data_field_get_data(field));
    return field;
}

// Copies source into a work field outside the timing, then times run on it.
void TimeGwyddion(benchmark::State& state, std::size_t stage, const std::function<void(GwyDataField*)>& run) {
    GwyDataField* source = NewField(g_inputs[stage]);
    GwyDataField* work = gwy_data_field_new_alike(source, FALSE);
    for (auto _ : state) {
        state.PauseTiming();
        gwy_data_field_copy(source, work, FALSE);
        state.ResumeTiming();
        run(work);
        benchmark::ClobberMemory();
    }
    g_object_unref(work);
    g_object_unref(source);
}

std::size_t StageIndex(const std::string& name) {
    for (std::size_t s = 0; s < Stages().size(); ++s)
        if (name == Stages()[s].name)
            return s;
    throw std::logic_error("no stage " + name);
}

// Gwyddion's scar marking with the defaults of its module: lines that stand out from their
// neighbours, one sign.
void PeerMarkScars(GwyDataField* field) {
    GwyDataField* marks = gwy_data_field_new_alike(field, FALSE);
    gwy_data_field_mark_scars(field, marks, 0.666, 0.25, 16.0, 4.0, FALSE);
    g_object_unref(marks);
}

// Gwyddion's row alignment by the median of each row.
void PeerAlignRows(GwyDataField* field) {
    GwyDataLine* shifts =
        gwy_data_field_find_row_shifts_trimmed_mean(field, nullptr, GWY_MASK_IGNORE, 0.5, 1);
    gwy_data_field_subtract_row_shifts(field, shifts);
    g_object_unref(shifts);
}

// The median of every row and of every column.
void PeerLineMedians(GwyDataField* field) {
    GwyDataLine* line = gwy_data_line_new(1, 1.0, FALSE);
    gwy_data_field_get_line_stats(field, line, GWY_LINE_STAT_MEDIAN, GWY_ORIENTATION_HORIZONTAL);
    gwy_data_field_get_line_stats(field, line, GWY_LINE_STAT_MEDIAN, GWY_ORIENTATION_VERTICAL);
    g_object_unref(line);
}

// Rows aligned by the median difference to the row before, then the same for the columns of the
// transposed field.
void PeerRowDifferences(GwyDataField* field) {
    GwyDataLine* shifts =
        gwy_data_field_find_row_shifts_trimmed_diff(field, nullptr, GWY_MASK_IGNORE, 0.5, 1);
    gwy_data_field_subtract_row_shifts(field, shifts);
    g_object_unref(shifts);
    GwyDataField* flipped = gwy_data_field_new_alike(field, FALSE);
    gwy_data_field_flip_xy(field, flipped, FALSE);
    shifts = gwy_data_field_find_row_shifts_trimmed_diff(flipped, nullptr, GWY_MASK_IGNORE, 0.5, 1);
    gwy_data_field_subtract_row_shifts(flipped, shifts);
    g_object_unref(shifts);
    g_object_unref(flipped);
}

// The same five terms as our paraboloid: 1, x, y, x^2, y^2.
void PeerPolyFit(GwyDataField* field) {
    const gint terms[] = {0, 0, 1, 0, 0, 1, 2, 0, 0, 2};
    gdouble coeffs[5];
    gwy_data_field_fit_poly(field, nullptr, 5, terms, FALSE, coeffs);
    gwy_data_field_subtract_poly(field, 5, terms, coeffs);
}

cv::Mat MatOf(const Grid& grid) {
    return cv::Mat(kSide, kSide, CV_32F, const_cast<float*>(grid.data())).clone();
}

void BM_CvDilate(benchmark::State& state) {
    const cv::Mat source = MatOf(g_inputs[StageIndex("Dilate")]);
    cv::Mat out(kSide, kSide, CV_32F);
    const cv::Mat element = cv::getStructuringElement(cv::MORPH_RECT, {3, 3});
    for (auto _ : state) {
        cv::dilate(source, out, element, {-1, -1}, 1, cv::BORDER_REPLICATE);
        benchmark::ClobberMemory();
    }
}

// OpenCV's 5 x 5 median takes 16-bit images (signed ones where its version supports them); the grid
// in [0, 1] is spread over the 16-bit range.
int g_medianDepth = CV_16S;

cv::Mat SixteenBit(const Grid& grid, int depth) {
    cv::Mat out;
    const double offset = depth == CV_16S ? -32768.0 : 0.0;
    MatOf(grid).convertTo(out, depth, 65535.0, offset);
    return out;
}

bool ChooseMedianDepth() {
    const cv::Mat probe = SixteenBit(g_inputs[StageIndex("Median")], CV_16S)(cv::Rect(0, 0, 64, 64));
    cv::Mat out;
    try {
        cv::medianBlur(probe, out, 5);
    } catch (const cv::Exception&) {
        g_medianDepth = CV_16U;
    }
    std::cout << "OpenCV's medianBlur 5 runs on " << (g_medianDepth == CV_16S ? "CV_16S" : "CV_16U") << "\n";
    return true;
}

void BM_CvMedianBlur(benchmark::State& state) {
    const cv::Mat source = SixteenBit(g_inputs[StageIndex("Median")], g_medianDepth);
    cv::Mat out(kSide, kSide, g_medianDepth);
    for (auto _ : state) {
        cv::medianBlur(source, out, 5);
        benchmark::ClobberMemory();
    }
}

void BM_CvNormalize(benchmark::State& state) {
    const cv::Mat source = MatOf(g_inputs[StageIndex("Normalize")]);
    cv::Mat out(kSide, kSide, CV_32F);
    for (auto _ : state) {
        cv::normalize(source, out, 0.0, 1.0, cv::NORM_MINMAX, CV_32F);
        benchmark::ClobberMemory();
    }
}

// A step of the chain: our stages that make it up and the peers that do the same job.
struct CStep {
    const char* name;
    std::vector<const char*> ours; // stage names
    std::vector<const char*> peers;
};

const std::vector<CStep>& Steps() {
    static const std::vector<CStep> steps = {
        {"convert + range", {"Convert"}, {}},
        {"jump elimination", {"EliminateJumps"}, {"gwy mark_scars", "gwy align rows (median)"}},
        {"flatten Y and X", {"Flatten"}, {"gwy line medians rows+cols", "gwy row diff shifts rows+cols"}},
        {"paraboloid fit", {"PlaneFit"}, {"gwy fit_poly+subtract_poly"}},
        {"dilate 3x3", {"Dilate"}, {"cv dilate 3x3 32F"}},
        {"median 5x5 cross", {"Median"}, {"cv medianBlur 5"}},
        {"normalize", {"Normalize"}, {"cv normalize minmax 32F"}},
        {"FitToUnit x3", {"FitToUnit1", "FitToUnit2", "FitToUnit3"}, {}},
    };
    return steps;
}

void Register() {
    using bench::WallMs;
    WallMs(benchmark::RegisterBenchmark("Chain/Ours", BM_Chain));
    WallMs(benchmark::RegisterBenchmark("Ours/Convert", BM_Convert));
    for (std::size_t s = 0; s < Stages().size(); ++s)
        WallMs(benchmark::RegisterBenchmark((std::string("Ours/") + Stages()[s].name).c_str(), BM_Stage, s));

    struct CGwyPeer {
        const char* name;
        const char* stage;
        void (*run)(GwyDataField*);
    };
    static const CGwyPeer gwy[] = {
        {"gwy mark_scars", "EliminateJumps", PeerMarkScars},
        {"gwy align rows (median)", "EliminateJumps", PeerAlignRows},
        {"gwy line medians rows+cols", "Flatten", PeerLineMedians},
        {"gwy row diff shifts rows+cols", "Flatten", PeerRowDifferences},
        {"gwy fit_poly+subtract_poly", "PlaneFit", PeerPolyFit},
    };
    for (const CGwyPeer& peer : gwy)
        WallMs(benchmark::RegisterBenchmark(
            (std::string("Peer/") + peer.name).c_str(),
            [&peer](benchmark::State& state) { TimeGwyddion(state, StageIndex(peer.stage), peer.run); }));
    WallMs(benchmark::RegisterBenchmark("Peer/cv dilate 3x3 32F", BM_CvDilate));
    WallMs(benchmark::RegisterBenchmark("Peer/cv medianBlur 5", BM_CvMedianBlur));
    WallMs(benchmark::RegisterBenchmark("Peer/cv normalize minmax 32F", BM_CvNormalize));
}

void PrintTable(const bench::MeanReporter& reporter, std::ostream& out) {
    using bench::Ms;
    const auto Mean = [&reporter](const std::string& name) { return reporter.MeanMs(name); };
    const auto Ratio = [](double ours, double theirs) { return bench::Ratio(ours, theirs, "-"); };
    char line[240];
    out << "\nmean wall time, ms (4096 x 4096, one thread)\n";
    std::snprintf(line, sizeof line, "%-18s %9s %9s  %-30s %7s\n", "step", "ours", "best peer", "peer",
                  "ratio");
    out << line;
    double ours = 0, peers = 0;
    bool complete = true;
    for (const CStep& step : Steps()) {
        double mine = 0;
        for (const char* stage : step.ours) {
            const double ms = Mean(std::string("Ours/") + stage);
            complete = complete && ms >= 0;
            mine += ms;
        }
        double best = -1;
        const char* bestName = "-";
        for (const char* peer : step.peers) {
            const double ms = Mean(std::string("Peer/") + peer);
            if (ms >= 0 && (best < 0 || ms < best)) {
                best = ms;
                bestName = peer;
            }
        }
        if (!step.peers.empty()) {
            complete = complete && best >= 0;
            peers += best;
        }
        ours += mine;
        std::snprintf(line, sizeof line, "%-18s %9s %9s  %-30s %7s\n", step.name, Ms(mine).c_str(),
                      Ms(best).c_str(), bestName, Ratio(mine, best).c_str());
        out << line;
    }
    std::snprintf(line, sizeof line, "%-18s %9s %9s\n", "sum", complete ? Ms(ours).c_str() : "n/a",
                  complete ? Ms(peers).c_str() : "n/a");
    out << line;
    out << "\nevery peer, ms\n";
    for (const CStep& step : Steps())
        for (const char* peer : step.peers) {
            std::snprintf(line, sizeof line, "  %-30s %9s  (%s)\n", peer,
                          Ms(Mean(std::string("Peer/") + peer)).c_str(), step.name);
            out << line;
        }
    const double chain = Mean("Chain/Ours");
    if (chain < 0 || !complete) {
        out << "\nchain ratio: n/a (the chain and every step must run)\n" << std::flush;
        return;
    }
    std::snprintf(line, sizeof line, "\nchain ours %.1f ms, sum of best peers %.1f ms, ratio %.2f\n", chain,
                  peers, chain / peers);
    out << line << std::flush;
}

int Run() {
    cv::setNumThreads(1);
    gwy_threads_set_enabled(FALSE);

    bench::COpenedScan scan(kSide);
    g_doc = &scan.Doc();
    g_plane.mode = doc::PlaneModel::Paraboloid;
    g_morphology.operation = doc::MorphOp::Dilate3;
    g_filter.type = doc::FilterType::Median5;
    PrepareInputs();
    if (!CheckStagesAgainstChain() || !ChooseMedianDepth())
        return 1;

    Register();
    bench::RunAndSummarise(PrintTable);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_chain", Run);
}
