// Opens every image of the real NanoScope III files of the test data with our reader and with
// Gwyddion's file modules, and prints them side by side as a Markdown table: samples, lateral sizes
// and Z spans. Exits with 1 when a file opens on one side only, or an image differs beyond the
// rounding of narrowed 32-bit samples; a span that Gwyddion shows in V where the header gives mV
// (exactly 1000 times ours) is noted, not counted.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/DIDoc.h"
#include "formats/DocTypes.h"
#include "framework/fwDocManager.h"
#include "framework/fwMessage.h"
#include "framework/fwText.h"
#include "model/SurfaceApp.h"
#include "model/phSize.h"

#include "GwyddionFiles.h" // last, see there
#include <libprocess/stats.h>

namespace {

const char* const kFiles[] = {"scilab4spm__data1.007",      "SurfaceTopography__di-1.di",
                              "SurfaceTopography__di-2.di", "SurfaceTopography__di-3.di",
                              "SurfaceTopography__di-4.di", "SurfaceTopography__di-5.di",
                              "SurfaceTopography__di-6.di"};

// Narrowing 32-bit samples to 16 bits loses up to 2 of some 32768 counts of a span.
constexpr double kSpanTolerance = 1e-4;

struct CImage {
    std::string type;
    int columns = 0, rows = 0;
    double width = 0, height = 0; // m
    double span = 0;              // in unit
    std::string unit;             // as each side prints it
    std::string headerUnit;       // ours: the unit of the full scale as the header gives it
    double siSpan = 0;            // ours in the unit's base (m, V, deg)
};

// The quantity in the base unit of its row: m, V or deg (the rows the reader gives).
double InBase(ph::Size size) {
    for (const wchar_t* base : {L"m", L"V", L"deg"})
        if (ph::Size(1.0, base).dimension() == size.dimension())
            return size.cast(base).value();
    return NAN;
}

std::vector<CImage> OpenOurs(const std::string& path) {
    fw::CMessageRecorder recorder;
    fw::CScopedMessages scope(recorder);
    doc::CSurfaceApp app;
    doc::RegisterDocTypes(app);
    std::vector<CImage> images;
    auto* first = dynamic_cast<doc::CVantriDoc*>(app.OpenDocumentFile(fw::FromUtf8(path)));
    if (first)
        for (doc::CVantriDoc* d : first->GroupDocuments()) {
            CImage image;
            image.type = fw::ToUtf8(d->ImageType());
            image.columns = d->columns;
            image.rows = d->rows;
            image.width = InBase(d->width);
            image.height = InBase(d->height);
            image.span = d->range.value();
            image.unit = fw::ToUtf8(d->range.unit());
            image.siSpan = InBase(d->range);
            if (auto* di = dynamic_cast<doc::CDIDoc*>(d))
                image.headerUnit = di->m_strHeightUnit;
            images.push_back(image);
        }
    for (const auto& box : recorder.boxes)
        std::fprintf(stderr, "%s: %s\n", path.c_str(), fw::ToUtf8(box.text).c_str());
    app.GetDocManager().CloseAllDocuments();
    return images;
}

std::vector<CImage> LoadGwyddion(const std::string& path) {
    std::vector<CImage> images;
    GError* error = nullptr;
    GwyContainer* data = gwy_file_load(path.c_str(), GWY_RUN_NONINTERACTIVE, &error);
    if (!data) {
        std::fprintf(stderr, "%s: gwyddion: %s\n", path.c_str(), error ? error->message : "no reason");
        g_clear_error(&error);
        return images;
    }
    gint* ids = gwy_app_data_browser_get_data_ids(data);
    for (int i = 0; ids[i] >= 0; ++i) {
        GwyDataField* field =
            GWY_DATA_FIELD(gwy_container_get_object(data, gwy_app_get_data_key_for_id(ids[i])));
        CImage image;
        const guchar* title = nullptr;
        const std::string key = "/" + std::to_string(ids[i]) + "/data/title";
        if (gwy_container_gis_string_by_name(data, key.c_str(), &title))
            image.type = reinterpret_cast<const char*>(title);
        image.columns = gwy_data_field_get_xres(field);
        image.rows = gwy_data_field_get_yres(field);
        image.width = gwy_data_field_get_xreal(field);
        image.height = gwy_data_field_get_yreal(field);
        double lo = 0, hi = 0;
        gwy_data_field_get_min_max(field, &lo, &hi);
        image.span = hi - lo;
        gchar* unit = gwy_si_unit_get_string(gwy_data_field_get_si_unit_z(field), GWY_SI_UNIT_FORMAT_PLAIN);
        image.unit = unit;
        g_free(unit);
        images.push_back(image);
    }
    g_free(ids);
    g_object_unref(data);
    return images;
}

bool Near(double a, double b, double tolerance) {
    return std::abs(a - b) <= tolerance * std::abs(b);
}

int Run(const std::string& folder) {
    bench::InitGwyddionFiles();
    std::printf("| file | # | type (ours / Gwyddion) | samples | X x Y (m, ours / Gwyddion) | Z span, ours | "
                "Z span, Gwyddion | note |\n|---|---|---|---|---|---|---|---|\n");
    int failures = 0;
    for (const char* name : kFiles) {
        const std::string path = folder + "/" + name;
        const std::vector<CImage> ours = OpenOurs(path), theirs = LoadGwyddion(path);
        if (ours.size() != theirs.size()) {
            std::printf("| %s | | %zu images / %zu | | | | | **differ** |\n", name, ours.size(),
                        theirs.size());
            ++failures;
            continue;
        }
        for (std::size_t k = 0; k < ours.size(); ++k) {
            const CImage &a = ours[k], &b = theirs[k];
            std::string note;
            const bool same = a.columns == b.columns && a.rows == b.rows && Near(a.width, b.width, 1e-9) &&
                              Near(a.height, b.height, 1e-9);
            if (!same) {
                note = "**sizes differ**";
            } else if (Near(a.siSpan, b.span, kSpanTolerance)) {
                const double ppm = (a.siSpan / b.span - 1) * 1e6;
                char text[32];
                std::snprintf(text, sizeof text, "same (%+.1f ppm)", ppm);
                note = std::abs(ppm) < 0.05 ? "same" : text;
            } else if (a.headerUnit == "mV" && b.unit == "V" &&
                       Near(a.siSpan * 1000, b.span, kSpanTolerance)) {
                note = "Gwyddion shows the mV as V";
            } else {
                note = "**spans differ**";
            }
            if (note.find("**") != std::string::npos)
                ++failures;
            std::printf("| %s | %zu | %s / %s | %d x %d / %d x %d | %.4g x %.4g / %.4g x %.4g | %.9g %s | "
                        "%.9g %s | %s |\n",
                        name, k, a.type.c_str(), b.type.c_str(), a.columns, a.rows, b.columns, b.rows,
                        a.width, a.height, b.width, b.height, a.span, a.unit.c_str(), b.span, b.unit.c_str(),
                        note.c_str());
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: compare_real_nanoscope [FOLDER]\n");
        return 2;
    }
    return Run(argc == 2 ? argv[1] : VANTRI_REAL_DATA);
}
