// Times the box mean, the medians, the morphology and the border copy against OpenCV's nearest
// equivalents on the same 4096 x 4096 image, single-threaded, and the cross medians also against
// Gwyddion's rank filter with the same cross; then prints the ratios of the mean times (ours / peer).
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "processing/kernels/Kernels.h"

// Last: built without NLS, Gwyddion's headers define gettext as a macro, which breaks a later
// <libintl.h> (the standard library's <locale> pulls it in).
#include <libgwyddion/gwythreads.h>
#include <libprocess/datafield.h>
#include <libprocess/filters.h>

namespace {

namespace k = doc::kern;

constexpr int kSide = 4096;
constexpr int kPad = 3; // the largest mask reach

// The same random cells, in the quantised range of the grids, as 16-bit and float images; ours read
// a copy with replicated borders made once, OpenCV replicates the border inside each call.
struct Images {
    cv::Mat src16, bordered16, dst16;
    cv::Mat src32, bordered32, dst32;

    Images() {
        src16.create(kSide, kSide, CV_16S);
        cv::RNG rng(20240612);
        rng.fill(src16, cv::RNG::UNIFORM, 0, 32768);
        src16.convertTo(src32, CV_32F, 1.0 / 32767);
        cv::copyMakeBorder(src16, bordered16, kPad, kPad, kPad, kPad, cv::BORDER_REPLICATE);
        cv::copyMakeBorder(src32, bordered32, kPad, kPad, kPad, kPad, cv::BORDER_REPLICATE);
        dst16.create(kSide, kSide, CV_16S);
        dst32.create(kSide, kSide, CV_32F);
    }
    const std::int16_t* Roi16() const { return bordered16.ptr<std::int16_t>(kPad) + kPad; }
    const float* Roi32() const { return bordered32.ptr<float>(kPad) + kPad; }
    int Step16() const { return int(bordered16.step); }
    int Step32() const { return int(bordered32.step); }
    std::int16_t* Dst16() { return dst16.ptr<std::int16_t>(); }
    float* Dst32() { return dst32.ptr<float>(); }
};

Images& Data() {
    static Images images;
    return images;
}

const k::KSize kRoi{kSide, kSide};

// Gwyddion filters in place: a pristine copy of the image and the field it is restored into.
struct GwyImages {
    GwyDataField* source = nullptr;
    GwyDataField* work = nullptr;

    GwyImages() {
        source = gwy_data_field_new(kSide, kSide, 1.0, 1.0, FALSE);
        const cv::Mat& s = Data().src16;
        gdouble* d = gwy_data_field_get_data(source);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                d[std::size_t(y) * kSide + x] = s.at<std::int16_t>(y, x);
        work = gwy_data_field_duplicate(source);
    }
};

GwyImages& GwyData() {
    static GwyImages images;
    return images;
}

GwyDataField* CrossKernel(int side) {
    GwyDataField* kernel = gwy_data_field_new(side, side, side, side, TRUE);
    for (int i = 0; i < side; ++i) {
        gwy_data_field_set_val(kernel, i, side / 2, 1.0);
        gwy_data_field_set_val(kernel, side / 2, i, 1.0);
    }
    return kernel;
}

// The median of the cross over the whole field, in place.
void GwyCrossMedian(GwyDataField* field, GwyDataField* kernel, int cells) {
    gwy_data_field_area_filter_kth_rank(field, kernel, 0, 0, gwy_data_field_get_xres(field),
                                        gwy_data_field_get_yres(field), cells / 2, nullptr);
}

// Gwyddion must take the same cells as we do before the times mean anything: compares the inner cells
// (the borders differ). libgwyddion 2.62's selection returns a wrong rank for about one set of nine
// in ten, so the 9-cell cross is only required to agree mostly; the count is printed.
bool CheckGwyddionCross(int side, k::MaskSize mask) {
    constexpr int n = 64, at = 100;
    Images& d = Data();
    GwyDataField* field = gwy_data_field_new(n, n, 1.0, 1.0, FALSE);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            gwy_data_field_set_val(field, x, y, d.src16.at<std::int16_t>(at + y, at + x));
    GwyDataField* kernel = CrossKernel(side);
    GwyCrossMedian(field, kernel, 2 * side - 1);
    cv::Mat out(n, n, CV_16S);
    k::FilterMedianCross16s(d.bordered16.ptr<std::int16_t>(kPad + at) + kPad + at, d.Step16(),
                            out.ptr<std::int16_t>(), int(out.step), {n, n}, mask);
    int same = 0, cells = 0;
    for (int y = side; y < n - side; ++y)
        for (int x = side; x < n - side; ++x, ++cells)
            same += gwy_data_field_get_val(field, x, y) == out.at<std::int16_t>(y, x);
    g_object_unref(kernel);
    g_object_unref(field);
    std::cout << "Gwyddion's " << side << " x " << side << " cross median agrees with ours on " << same
              << " of " << cells << " inner cells\n";
    return side == 3 ? same == cells : 2 * same > cells;
}

std::function<void()> Blur(int side) {
    return [side] {
        Images& d = Data();
        cv::blur(d.src16, d.dst16, {side, side}, {-1, -1}, cv::BORDER_REPLICATE);
    };
}

std::function<void()> MedianBlur(int side) {
    return [side] {
        Images& d = Data();
        cv::medianBlur(d.src16, d.dst16, side);
    };
}

std::function<void()> Morph(bool dilate, int width, int height) {
    const cv::Mat element = cv::getStructuringElement(cv::MORPH_RECT, {width, height});
    return [dilate, element] {
        Images& d = Data();
        if (dilate)
            cv::dilate(d.src32, d.dst32, element, {-1, -1}, 1, cv::BORDER_REPLICATE);
        else
            cv::erode(d.src32, d.dst32, element, {-1, -1}, 1, cv::BORDER_REPLICATE);
    };
}

std::function<int()> Box(int side) {
    return [side] {
        Images& d = Data();
        return k::FilterBox16s(d.Roi16(), d.Step16(), d.Dst16(), int(d.dst16.step), kRoi, {side, side},
                               {side / 2, side / 2});
    };
}

using Fixed16 = int (*)(const std::int16_t*, int, std::int16_t*, int, k::KSize, k::MaskSize);

std::function<int()> Median(Fixed16 f, k::MaskSize mask) {
    return [f, mask] {
        Images& d = Data();
        return f(d.Roi16(), d.Step16(), d.Dst16(), int(d.dst16.step), kRoi, mask);
    };
}

std::function<int()> Square(int side) {
    return [side] {
        Images& d = Data();
        return k::FilterMedian16s(d.Roi16(), d.Step16(), d.Dst16(), int(d.dst16.step), kRoi, {side, side},
                                  {side / 2, side / 2});
    };
}

std::function<int()> Rect(bool dilate, int width, int height) {
    return [dilate, width, height] {
        static const std::vector<std::uint8_t> ones(64, 1);
        Images& d = Data();
        auto f = dilate ? k::Dilate32f : k::Erode32f;
        return f(d.Roi32(), d.Step32(), d.Dst32(), int(d.dst32.step), kRoi, ones.data(), {width, height},
                 {width / 2, height / 2});
    };
}

std::function<int()> Morph3x3(bool dilate) {
    return [dilate] {
        Images& d = Data();
        return (dilate ? k::Dilate3x3_32f : k::Erode3x3_32f)(d.Roi32(), d.Step32(), d.Dst32(),
                                                             int(d.dst32.step), kRoi);
    };
}

struct Pair {
    std::string name;   // ours
    std::string peer;   // "OpenCV" or "Gwyddion"
    std::string theirs; // the peer's call
    std::function<int()> ours;
    std::function<void(benchmark::State&)> timed; // the peer, timing itself
};

std::function<void(benchmark::State&)> Timed(std::function<void()> call) {
    return [call](benchmark::State& state) {
        for (auto _ : state)
            call();
    };
}

std::function<void(benchmark::State&)> GwyTimed(int side) {
    return [side](benchmark::State& state) {
        GwyImages& g = GwyData();
        GwyDataField* kernel = CrossKernel(side);
        for (auto _ : state) {
            state.PauseTiming();
            gwy_data_field_copy(g.source, g.work, FALSE);
            state.ResumeTiming();
            GwyCrossMedian(g.work, kernel, 2 * side - 1);
        }
        g_object_unref(kernel);
    };
}

std::vector<Pair> Pairs() {
    auto copy16 = [] {
        Images& d = Data();
        return k::CopyReplicateBorder16s(d.src16.ptr<std::int16_t>(), int(d.src16.step), kRoi,
                                         d.bordered16.ptr<std::int16_t>(), int(d.bordered16.step),
                                         {kSide + 2 * kPad, kSide + 2 * kPad}, kPad, kPad);
    };
    auto copy32 = [] {
        Images& d = Data();
        return k::CopyReplicateBorder32f(d.src32.ptr<float>(), int(d.src32.step), kRoi,
                                         d.bordered32.ptr<float>(), int(d.bordered32.step),
                                         {kSide + 2 * kPad, kSide + 2 * kPad}, kPad, kPad);
    };
    auto makeBorder = [](bool f32) {
        return [f32] {
            Images& d = Data();
            cv::copyMakeBorder(f32 ? d.src32 : d.src16, f32 ? d.bordered32 : d.bordered16, kPad, kPad, kPad,
                               kPad, cv::BORDER_REPLICATE);
        };
    };
    return {
        {"CopyBorder16s", "OpenCV", "copyMakeBorder", copy16, Timed(makeBorder(false))},
        {"CopyBorder32f", "OpenCV", "copyMakeBorder", copy32, Timed(makeBorder(true))},
        {"Box3x3", "OpenCV", "blur 3x3", Box(3), Timed(Blur(3))},
        {"Box5x5", "OpenCV", "blur 5x5", Box(5), Timed(Blur(5))},
        {"Box7x7", "OpenCV", "blur 7x7", Box(7), Timed(Blur(7))},
        {"MedianCross3x3", "OpenCV", "medianBlur 3", Median(k::FilterMedianCross16s, k::Mask3x3),
         Timed(MedianBlur(3))},
        {"MedianCross5x5", "OpenCV", "medianBlur 5", Median(k::FilterMedianCross16s, k::Mask5x5),
         Timed(MedianBlur(5))},
        {"MedianCross3x3", "Gwyddion", "kth_rank cross 3", Median(k::FilterMedianCross16s, k::Mask3x3),
         GwyTimed(3)},
        {"MedianCross5x5", "Gwyddion", "kth_rank cross 5", Median(k::FilterMedianCross16s, k::Mask5x5),
         GwyTimed(5)},
        {"MedianHoriz3", "OpenCV", "medianBlur 3", Median(k::FilterMedianHoriz16s, k::Mask3x1),
         Timed(MedianBlur(3))},
        {"MedianHoriz5", "OpenCV", "medianBlur 5", Median(k::FilterMedianHoriz16s, k::Mask5x1),
         Timed(MedianBlur(5))},
        {"MedianVert3", "OpenCV", "medianBlur 3", Median(k::FilterMedianVert16s, k::Mask1x3),
         Timed(MedianBlur(3))},
        {"MedianVert5", "OpenCV", "medianBlur 5", Median(k::FilterMedianVert16s, k::Mask1x5),
         Timed(MedianBlur(5))},
        {"MedianSquare3x3", "OpenCV", "medianBlur 3", Square(3), Timed(MedianBlur(3))},
        {"MedianSquare5x5", "OpenCV", "medianBlur 5", Square(5), Timed(MedianBlur(5))},
        {"Dilate3x3", "OpenCV", "dilate 3x3", Morph3x3(true), Timed(Morph(true, 3, 3))},
        {"Erode3x3", "OpenCV", "erode 3x3", Morph3x3(false), Timed(Morph(false, 3, 3))},
        {"Dilate5x3", "OpenCV", "dilate 5x3", Rect(true, 5, 3), Timed(Morph(true, 5, 3))},
        {"Erode5x3", "OpenCV", "erode 5x3", Rect(false, 5, 3), Timed(Morph(false, 5, 3))},
    };
}

// Wall time is what counts; CPU time is printed beside it because a shared machine stretches wall
// time whenever the benchmark is descheduled.
void PrintRatios(const bench::MeanReporter& reporter, const std::vector<Pair>& pairs, std::ostream& out) {
    char line[200];
    std::snprintf(line, sizeof line, "\n%-16s %-8s %9s %9s %7s %9s %9s %7s  %s\n", "kernel", "peer",
                  "ours ms", "peer ms", "ratio", "ours cpu", "peer cpu", "ratio", "peer call");
    out << line;
    for (const Pair& pair : pairs) {
        const bench::Mean ours = reporter.Of("Ours/" + pair.name);
        const bench::Mean theirs = reporter.Of(pair.peer + "/" + pair.name);
        if (ours.wallMs < 0 || theirs.wallMs < 0)
            std::snprintf(line, sizeof line, "%-16s %-8s %9s %9s %7s %9s %9s %7s  %s\n", pair.name.c_str(),
                          pair.peer.c_str(), "-", "-", "n/a", "-", "-", "n/a", pair.theirs.c_str());
        else
            std::snprintf(line, sizeof line, "%-16s %-8s %9.2f %9.2f %7.3f %9.2f %9.2f %7.3f  %s\n",
                          pair.name.c_str(), pair.peer.c_str(), ours.wallMs, theirs.wallMs,
                          ours.wallMs / theirs.wallMs, ours.cpuMs, theirs.cpuMs, ours.cpuMs / theirs.cpuMs,
                          pair.theirs.c_str());
        out << line;
    }
    out << std::flush;
}

int Run() {
    cv::setNumThreads(1);
    gwy_threads_set_enabled(FALSE);
    Data();
    if (!CheckGwyddionCross(3, k::Mask3x3) || !CheckGwyddionCross(5, k::Mask5x5))
        return 1;

    const std::vector<Pair> pairs = Pairs();
    std::map<std::string, bool> registered;
    for (const Pair& pair : pairs) {
        if (!registered[pair.name]) {
            registered[pair.name] = true;
            bench::WallMs(bench::RegisterChecked("Ours/" + pair.name, pair.ours, k::StsNoErr));
        }
        auto* peer =
            bench::WallMs(benchmark::RegisterBenchmark((pair.peer + "/" + pair.name).c_str(), pair.timed));
        if (pair.peer == "Gwyddion")
            peer->Iterations(2);
    }

    bench::RunAndSummarise([&pairs](const bench::MeanReporter& reporter, std::ostream& out) {
        PrintRatios(reporter, pairs, out);
    });
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_kernels_rank", Run);
}
