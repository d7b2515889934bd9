// Opens one 4096 x 4096 16-bit NanoScope III Height image with our reader and with Gwyddion's file
// modules in the same process, then prints the ratio of the mean wall-clock times.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "BenchCommon.h"
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
    if (!ok)
        bench::ReportOpenFailure(path, recorder);
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

void PrintRatio(const bench::MeanReporter& reporter, std::ostream& out) {
    const double ours = reporter.MeanMs("BM_Vantri_Open_4096");
    const double theirs = reporter.MeanMs("BM_Gwyddion_Load_4096");
    if (ours < 0 || theirs < 0) {
        out << "ratio vantri/gwyddion: n/a (both benchmarks must run without error)\n";
        return;
    }
    char line[160];
    std::snprintf(line, sizeof line, "mean wall time: vantri %.1f ms, gwyddion %.1f ms\n", ours, theirs);
    out << line;
    std::snprintf(line, sizeof line, "ratio vantri/gwyddion: %.2f\n", ours / theirs);
    out << line << std::flush;
}

int Run() {
    bench::TempDir temp;
    g_path = bench::WriteNanoScope(temp, kSide);

    InitGwyddion();
    const bool gwyddionOk = CheckGwyddion(g_path);
    const bool vantriOk = CheckVantri(g_path);
    if (!gwyddionOk || !vantriOk)
        return 1;

    bench::RunAndSummarise(PrintRatio);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_open_nanoscope", Run);
}
