// Opens one 4096 x 4096 16-bit NanoScope III Height image with our reader and with Gwyddion's file
// modules in the same process, then prints the ratio of the mean wall-clock times.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/NanoScopeGen.h"
#include "formats/DocTypes.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "model/SurfaceApp.h"

// Last: built without NLS, Gwyddion's headers define gettext as a macro, which breaks a later
// <libintl.h> (the standard library's <locale> pulls it in).
#include <app/gwyapp.h>
#include <libdraw/gwydraw.h>
#include <libgwymodule/gwymodule.h>
#include <libprocess/datafield.h>

namespace {

constexpr int kSide = 4096;
constexpr int kIterations = 5;

std::string g_path; // the generated file, UTF-8

// Gwyddion's loaders need no display: only the drawing types (file detection reads the app
// settings, whose defaults name a gradient) and the file modules.
void InitGwyddion() {
    gwy_draw_type_init();
    const gchar* dirs[] = {GWY_MODULE_DIR "/file", nullptr};
    gwy_module_register_modules(dirs);
}

// Loads once outside the timings: checks the module and the grid, and warms both sides alike.
bool CheckGwyddion(const std::string& path) {
    GError* error = nullptr;
    const gchar* module = nullptr;
    GwyContainer* data = gwy_file_load_with_func(path.c_str(), GWY_RUN_NONINTERACTIVE, &module, &error);
    if (!data) {
        std::cerr << "gwyddion cannot load " << path << ": " << (error ? error->message : "no reason")
                  << "\n";
        g_clear_error(&error);
        return false;
    }
    gint* ids = gwy_app_data_browser_get_data_ids(data);
    GwyDataField* field = nullptr;
    if (ids[0] >= 0)
        field = GWY_DATA_FIELD(gwy_container_get_object(data, gwy_app_get_data_key_for_id(ids[0])));
    const bool ok = module && std::string(module) == "nanoscope" && field &&
                    gwy_data_field_get_xres(field) == kSide && gwy_data_field_get_yres(field) == kSide;
    if (!ok)
        std::cerr << "gwyddion's module " << (module ? module : "?") << " did not read a " << kSide << " x "
                  << kSide << " image from " << path << "\n";
    g_free(ids);
    g_object_unref(data);
    return ok;
}

bool CheckVantri(const std::string& path) {
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scope(recorder);
    doc::CSurfaceApp app;
    doc::RegisterDocTypes(app);
    const bool ok = app.OpenDocumentFile(fw::FromUtf8(path)) != nullptr;
    app.GetDocManager().CloseAllDocuments();
    if (!ok) {
        std::cerr << "vantri cannot open " << path << "\n";
        for (const std::wstring& text : recorder.Texts())
            std::cerr << "  " << fw::ToUtf8(text) << "\n";
    }
    return ok;
}

// Closing is timed on both sides: the manager hands back an already open document of the same path.
void BM_Vantri_Open_4096(benchmark::State& state) {
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scope(recorder);
    doc::CSurfaceApp app;
    doc::RegisterDocTypes(app);
    const std::wstring path = fw::FromUtf8(g_path);
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

void BM_Gwyddion_Load_4096(benchmark::State& state) {
    for (auto _ : state) {
        GError* error = nullptr;
        GwyContainer* data = gwy_file_load(g_path.c_str(), GWY_RUN_NONINTERACTIVE, &error);
        if (!data) {
            g_clear_error(&error);
            state.SkipWithError("gwy_file_load failed");
            break;
        }
        benchmark::DoNotOptimize(data);
        g_object_unref(data);
    }
}

BENCHMARK(BM_Vantri_Open_4096)->Iterations(kIterations)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gwyddion_Load_4096)->Iterations(kIterations)->UseRealTime()->Unit(benchmark::kMillisecond);

// Prints as the console reporter does and keeps each benchmark's total wall time and iterations.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations <= 0)
                continue;
            const std::string& name = run.run_name.function_name;
            Total* total = name == "BM_Vantri_Open_4096"     ? &m_vantri
                           : name == "BM_Gwyddion_Load_4096" ? &m_gwyddion
                                                             : nullptr;
            if (!total)
                continue;
            total->seconds += run.real_accumulated_time;
            total->iterations += static_cast<double>(run.iterations);
        }
    }

    void PrintRatio(std::ostream& out) const {
        if (m_vantri.iterations == 0 || m_gwyddion.iterations == 0) {
            out << "ratio vantri/gwyddion: n/a (both benchmarks must run without error)\n";
            return;
        }
        const double ours = m_vantri.seconds / m_vantri.iterations;
        const double theirs = m_gwyddion.seconds / m_gwyddion.iterations;
        char line[160];
        std::snprintf(line, sizeof line, "mean wall time: vantri %.1f ms, gwyddion %.1f ms\n", ours * 1e3,
                      theirs * 1e3);
        out << line;
        std::snprintf(line, sizeof line, "ratio vantri/gwyddion: %.2f\n", ours / theirs);
        out << line << std::flush;
    }

private:
    struct Total {
        double seconds = 0;
        double iterations = 0;
    };
    Total m_vantri, m_gwyddion;
};

// Holds the generated file in a fresh temporary directory and removes both on exit.
class TempFile {
public:
    TempFile() {
        std::string dir = (std::filesystem::temp_directory_path() / "vantri-bench-XXXXXX").string();
        if (!mkdtemp(dir.data()))
            throw std::runtime_error("cannot create a temporary directory");
        m_dir = dir;
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

private:
    std::filesystem::path m_dir;
};

int Run(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    TempFile temp;
    g_path = temp.Path("scan4096.000");
    testdata::NsImage image;
    image.type = "Height";
    image.columns = image.rows = kSide;
    image.bytesPerPixel = 2;
    testdata::NsFile file;
    file.images = {image};
    testdata::WriteFile(g_path, testdata::MakeNanoScope(file));

    InitGwyddion();
    const bool gwyddionOk = CheckGwyddion(g_path);
    const bool vantriOk = CheckVantri(g_path);
    if (!gwyddionOk || !vantriOk)
        return 1;

    RatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                 : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio(reporter.GetOutputStream());
    benchmark::Shutdown();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "bench_open_nanoscope: " << e.what() << "\n";
        return 1;
    }
}
