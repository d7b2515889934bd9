// Gwyddion's file modules for the opening benchmarks: set-up without a display, a checked load and
// the timed loop. Include it last: built without NLS, Gwyddion's headers define gettext as a macro,
// which breaks a later <libintl.h> (the standard library's <locale> pulls it in).
#pragma once

#include <benchmark/benchmark.h>

#include <iostream>
#include <string>

#include <app/gwyapp.h>
#include <libdraw/gwydraw.h>
#include <libgwymodule/gwymodule.h>
#include <libprocess/datafield.h>

namespace bench {

// Gwyddion's loaders need no display: only the drawing types (file detection reads the app
// settings, whose defaults name a gradient) and the file modules.
inline void InitGwyddionFiles() {
    gwy_draw_type_init();
    const gchar* dirs[] = {GWY_MODULE_DIR "/file", nullptr};
    gwy_module_register_modules(dirs);
}

// Loads path once outside the timings: checks that module read a side x side field first, and warms
// the page cache as our side's check does.
inline bool CheckGwyddionLoad(const std::string& path, const std::string& module, int side) {
    GError* error = nullptr;
    const gchar* loader = nullptr;
    GwyContainer* data = gwy_file_load_with_func(path.c_str(), GWY_RUN_NONINTERACTIVE, &loader, &error);
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
    const bool ok = loader && module == loader && field && gwy_data_field_get_xres(field) == side &&
                    gwy_data_field_get_yres(field) == side;
    if (!ok)
        std::cerr << "gwyddion's module " << (loader ? loader : "?") << " did not read a " << side << " x "
                  << side << " image from " << path << " (expected module " << module << ")\n";
    g_free(ids);
    g_object_unref(data);
    return ok;
}

// The timed loop of Gwyddion's side: detection by every registered file module, the load, the unref.
inline void TimeGwyddionLoad(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        GError* error = nullptr;
        GwyContainer* data = gwy_file_load(path.c_str(), GWY_RUN_NONINTERACTIVE, &error);
        if (!data) {
            g_clear_error(&error);
            state.SkipWithError("gwy_file_load failed");
            break;
        }
        benchmark::DoNotOptimize(data);
        g_object_unref(data);
    }
}

} // namespace bench
