// Plumbing shared by the benchmark programs: a console reporter that keeps each benchmark's mean
// times, the frame of main(), a temporary directory, and for the opening benchmarks the generated
// scan files and our side's open.
#pragma once

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace bench {

// Mean milliseconds per iteration; negative when the benchmark did not run.
struct Mean {
    double wallMs = -1, cpuMs = -1;
};

// Prints as the console reporter does and keeps each benchmark's total wall and CPU time and iterations.
class MeanReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that redirected output stays plain text.
    MeanReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    // Every repetition counts; with --benchmark_report_aggregates_only only the mean arrives, and is used.
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations <= 0)
                continue;
            const std::string& name = run.run_name.function_name;
            const double n = static_cast<double>(run.iterations);
            if (run.run_type == Run::RT_Iteration) {
                Total& total = m_totals[name];
                total.wall += run.real_accumulated_time;
                total.cpu += run.cpu_accumulated_time;
                total.iterations += n;
            } else if (run.aggregate_name == "mean") {
                m_means[name] = {run.real_accumulated_time / n * 1e3, run.cpu_accumulated_time / n * 1e3};
            }
        }
    }

    Mean Of(const std::string& name) const {
        const auto it = m_totals.find(name);
        if (it != m_totals.end() && it->second.iterations > 0)
            return {it->second.wall / it->second.iterations * 1e3,
                    it->second.cpu / it->second.iterations * 1e3};
        const auto mean = m_means.find(name);
        return mean == m_means.end() ? Mean() : mean->second;
    }

    // Mean wall milliseconds, or -1 when the benchmark did not run.
    double MeanMs(const std::string& name) const { return Of(name).wallMs; }

private:
    struct Total {
        double wall = 0, cpu = 0; // seconds
        double iterations = 0;
    };
    std::map<std::string, Total> m_totals;
    std::map<std::string, Mean> m_means;
};

// Milliseconds with two decimals, or "n/a" when the benchmark did not run.
inline std::string Ms(double ms) {
    if (ms < 0)
        return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", ms);
    return text;
}

// ours / theirs with two decimals, or none when either is missing.
inline std::string Ratio(double ours, double theirs, const char* none = "n/a") {
    if (ours < 0 || theirs <= 0)
        return none;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", ours / theirs);
    return text;
}

// Wall-clock time, since a peer may work on other threads, shown in milliseconds.
inline benchmark::internal::Benchmark* WallMs(benchmark::internal::Benchmark* b) {
    return b->UseRealTime()->Unit(benchmark::kMillisecond);
}

// Times call, which returns okStatus on success; a failure ends the benchmark with an error.
inline benchmark::internal::Benchmark* RegisterChecked(const std::string& name, std::function<int()> call,
                                                       int okStatus) {
    return benchmark::RegisterBenchmark(name.c_str(), [call, okStatus](benchmark::State& state) {
        for (auto _ : state)
            if (call() != okStatus) {
                state.SkipWithError("kernel failed");
                break;
            }
    });
}

// Runs the selected benchmarks, then prints the summary from their means.
inline void RunAndSummarise(const std::function<void(const MeanReporter&, std::ostream&)>& summary) {
    MeanReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    summary(reporter, reporter.GetOutputStream());
    benchmark::Shutdown();
}

// Parses the benchmark flags and runs body; an exception ends the program with its message.
inline int Main(int argc, char** argv, const char* program, const std::function<int()>& body) {
    try {
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv))
            return 1;
        return body();
    } catch (const std::exception& e) {
        std::cerr << program << ": " << e.what() << "\n";
        return 1;
    }
}

// A fresh temporary directory, removed with its contents on destruction.
class TempDir {
public:
    TempDir() {
        std::string dir = (std::filesystem::temp_directory_path() / "vantri-bench-XXXXXX").string();
        if (!mkdtemp(dir.data()))
            throw std::runtime_error("cannot create a temporary directory");
        m_dir = dir;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

private:
    std::filesystem::path m_dir;
};

} // namespace bench

// Only the programs that open a file have the test-data generators (and link them).
#if __has_include("data/NanoScopeGen.h")
#include "data/NanoScopeGen.h"
#include "data/NtMdtGen.h"
#include "data/SpmGen.h"
#include "formats/DocTypes.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "model/SurfaceApp.h"
#include "model/VantriDoc.h"

namespace bench {

// Writes a NanoScope III file with one side x side 16-bit Height image into dir; returns its path.
inline std::string WriteNanoScope(const TempDir& dir, int side) {
    const std::string path = dir.Path("scan" + std::to_string(side) + ".000");
    testdata::NsImage image;
    image.type = "Height";
    image.columns = image.rows = side;
    image.bytesPerPixel = 2;
    testdata::NsFile file;
    file.images = {image};
    testdata::WriteFile(path, testdata::MakeNanoScope(file));
    return path;
}

// Writes an NT-MDT file with one side x side scanned frame into dir; returns its path.
inline std::string WriteNtMdt(const TempDir& dir, int side) {
    const std::string path = dir.Path("scan" + std::to_string(side) + ".mdt");
    testdata::MdtFile file;
    file.frames[0].columns = file.frames[0].rows = side;
    testdata::WriteFile(path, testdata::MakeNtMdt(file));
    return path;
}

// Writes a NANOTOP-205 file of side x side samples into dir; returns its path.
inline std::string WriteSpm(const TempDir& dir, int side) {
    const std::string path = dir.Path("scan" + std::to_string(side) + ".spm");
    testdata::SpmFile file;
    file.columns = file.rows = side;
    testdata::WriteFile(path, testdata::MakeSpm(file));
    return path;
}

// Says that our reader could not open path, with the messages it gave.
inline void ReportOpenFailure(const std::string& path, const fw::CMessageRecorder& recorder) {
    std::cerr << "vantri cannot open " << path << "\n";
    for (const std::wstring& text : recorder.Texts())
        std::cerr << "  " << fw::ToUtf8(text) << "\n";
}

// Opens path once as the application does, outside the timings; reports a failure.
inline bool CheckVantriOpen(const std::string& path) {
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scope(recorder);
    doc::CSurfaceApp app;
    doc::RegisterDocTypes(app);
    const bool ok = app.OpenDocumentFile(fw::FromUtf8(path)) != nullptr;
    app.GetDocManager().CloseAllDocuments();
    if (!ok)
        ReportOpenFailure(path, recorder);
    return ok;
}

// A generated side x side NanoScope III scan, opened as the application opens it (message boxes go
// to a recorder) for the benchmarks that work on a document; closed and removed at the end.
class COpenedScan {
public:
    explicit COpenedScan(int side) : m_path(WriteNanoScope(m_temp, side)), m_scope(m_recorder) {
        doc::RegisterDocTypes(m_app);
        m_doc = dynamic_cast<doc::CVantriDoc*>(m_app.OpenDocumentFile(fw::FromUtf8(m_path)));
        if (!m_doc) {
            ReportOpenFailure(m_path, m_recorder);
            throw std::runtime_error("the generated scan did not open");
        }
    }
    ~COpenedScan() { m_app.GetDocManager().CloseAllDocuments(); }
    COpenedScan(const COpenedScan&) = delete;
    COpenedScan& operator=(const COpenedScan&) = delete;

    doc::CVantriDoc& Doc() const { return *m_doc; }

private:
    TempDir m_temp;
    std::string m_path;
    fw::CMessageRecorder m_recorder;
    fw::CScopedMessages m_scope;
    doc::CSurfaceApp m_app;
    doc::CVantriDoc* m_doc = nullptr;
};

// The timed loop of our side: open, then close, since the document manager hands back an already
// open document of the same path. Message boxes go to a recorder.
inline void TimeVantriOpen(benchmark::State& state, const std::string& utf8Path) {
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scope(recorder);
    doc::CSurfaceApp app;
    doc::RegisterDocTypes(app);
    const std::wstring path = fw::FromUtf8(utf8Path);
    for (auto _ : state) {
        fw::CDocument* document = app.OpenDocumentFile(path);
        if (!document) {
            state.SkipWithError("OpenDocumentFile failed");
            break;
        }
        benchmark::DoNotOptimize(document);
        app.GetDocManager().CloseAllDocuments();
    }
}

// Prints the mean wall times of an open benchmark pair and their ratio; label, if any, goes in
// parentheses after the words it qualifies.
inline void PrintOpenRatio(const MeanReporter& reporter, std::ostream& out, const std::string& ours,
                           const std::string& theirs, const std::string& label = "") {
    const std::string suffix = label.empty() ? "" : " (" + label + ")";
    const double oursMs = reporter.MeanMs(ours), theirsMs = reporter.MeanMs(theirs);
    if (oursMs < 0 || theirsMs < 0) {
        out << "ratio vantri/gwyddion" << suffix << ": n/a (both benchmarks must run without error)\n";
        return;
    }
    char line[200];
    std::snprintf(line, sizeof line, "mean wall time%s: vantri %.1f ms, gwyddion %.1f ms\n", suffix.c_str(),
                  oursMs, theirsMs);
    out << line;
    std::snprintf(line, sizeof line, "ratio vantri/gwyddion%s: %.2f\n", suffix.c_str(), oursMs / theirsMs);
    out << line << std::flush;
}

} // namespace bench
#endif
