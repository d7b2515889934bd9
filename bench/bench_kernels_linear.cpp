// Times each fixed linear kernel against OpenCV's nearest equivalent on the same 4096 x 4096 image,
// single-threaded, then prints the ratio of the mean times (ours / OpenCV).
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "processing/kernels/Kernels.h"

namespace {

namespace k = doc::kern;

constexpr int kSide = 4096;
constexpr int kPad = 2; // the largest mask radius

// The same random cells as 16-bit and float images; ours read a copy with replicated borders made
// once, OpenCV replicates the border inside each call.
struct Images {
    cv::Mat src16, bordered16, dst16;
    cv::Mat src32, bordered32, dst32;

    Images() {
        src16.create(kSide, kSide, CV_16S);
        cv::RNG rng(20240611);
        rng.fill(src16, cv::RNG::UNIFORM, -32768, 32768);
        src16.convertTo(src32, CV_32F);
        cv::copyMakeBorder(src16, bordered16, kPad, kPad, kPad, kPad, cv::BORDER_REPLICATE);
        cv::copyMakeBorder(src32, bordered32, kPad, kPad, kPad, kPad, cv::BORDER_REPLICATE);
        dst16.create(kSide, kSide, CV_16S);
        dst32.create(kSide, kSide, CV_32F);
    }
    const std::int16_t* Roi16() const { return bordered16.ptr<std::int16_t>(kPad) + kPad; }
    const float* Roi32() const { return bordered32.ptr<float>(kPad) + kPad; }
};

Images& Data() {
    static Images images;
    return images;
}

using Kernel16 = int (*)(const std::int16_t*, int, std::int16_t*, int, k::KSize);
using Kernel32 = int (*)(const float*, int, float*, int, k::KSize);

std::function<int()> Ours16(Kernel16 f) {
    return [f] {
        Images& d = Data();
        return f(d.Roi16(), int(d.bordered16.step), d.dst16.ptr<std::int16_t>(), int(d.dst16.step),
                 {kSide, kSide});
    };
}

template <class Masked> std::function<int()> Ours16(Masked f, k::MaskSize mask) {
    return [f, mask] {
        Images& d = Data();
        return f(d.Roi16(), int(d.bordered16.step), d.dst16.ptr<std::int16_t>(), int(d.dst16.step),
                 {kSide, kSide}, mask);
    };
}

std::function<int()> Ours32(Kernel32 f) {
    return [f] {
        Images& d = Data();
        return f(d.Roi32(), int(d.bordered32.step), d.dst32.ptr<float>(), int(d.dst32.step), {kSide, kSide});
    };
}

template <class Masked> std::function<int()> Ours32(Masked f, k::MaskSize mask) {
    return [f, mask] {
        Images& d = Data();
        return f(d.Roi32(), int(d.bordered32.step), d.dst32.ptr<float>(), int(d.dst32.step), {kSide, kSide},
                 mask);
    };
}

std::function<void()> Filter2D(std::vector<float> weights, float divisor) {
    const int side = weights.size() == 9 ? 3 : 5;
    cv::Mat kernel = cv::Mat(side, side, CV_32F, weights.data()).clone() / divisor;
    return [kernel] {
        Images& d = Data();
        cv::filter2D(d.src16, d.dst16, CV_16S, kernel, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE);
    };
}

std::function<void()> Sobel(int dx, int dy, int ksize) {
    return [=] {
        Images& d = Data();
        cv::Sobel(d.src32, d.dst32, CV_32F, dx, dy, ksize, 1, 0, cv::BORDER_REPLICATE);
    };
}

std::function<void()> Scharr(int dx, int dy) {
    return [=] {
        Images& d = Data();
        cv::Scharr(d.src32, d.dst32, CV_32F, dx, dy, 1, 0, cv::BORDER_REPLICATE);
    };
}

struct Pair {
    std::string name;   // ours
    std::string theirs; // OpenCV's call
    std::function<int()> ours;
    std::function<void()> opencv;
    // Where both compute the same thing: 1, or -1 if OpenCV's result has the other sign; else 0.
    int agree = 0;
};

std::vector<Pair> Pairs() {
    std::vector<float> hipass5(25, -1.f);
    hipass5[12] = 24;
    return {
        {"PrewittHoriz", "filter2D 3x3", Ours16(k::FilterPrewittHoriz16s),
         Filter2D({-1, -1, -1, 0, 0, 0, 1, 1, 1}, 1), 1},
        {"PrewittVert", "filter2D 3x3", Ours16(k::FilterPrewittVert16s),
         Filter2D({1, 0, -1, 1, 0, -1, 1, 0, -1}, 1), 1},
        {"RobertsUp", "filter2D 3x3", Ours16(k::FilterRobertsUp16s),
         Filter2D({0, 0, -1, 0, 1, 0, 0, 0, 0}, 1), 1},
        {"RobertsDown", "filter2D 3x3", Ours16(k::FilterRobertsDown16s),
         Filter2D({-1, 0, 0, 0, 1, 0, 0, 0, 0}, 1), 1},
        {"Laplace3x3", "Laplacian ksize 3", Ours16(k::FilterLaplace16s, k::Mask3x3),
         [] {
             Images& d = Data();
             cv::Laplacian(d.src16, d.dst16, CV_16S, 3, 1, 0, cv::BORDER_REPLICATE);
         }},
        {"Laplace5x5", "Laplacian ksize 5", Ours16(k::FilterLaplace16s, k::Mask5x5),
         [] {
             Images& d = Data();
             cv::Laplacian(d.src16, d.dst16, CV_16S, 5, 1, 0, cv::BORDER_REPLICATE);
         }},
        {"Gauss3x3", "GaussianBlur 3x3", Ours16(k::FilterGauss16s, k::Mask3x3),
         [] {
             Images& d = Data();
             cv::GaussianBlur(d.src16, d.dst16, {3, 3}, 0, 0, cv::BORDER_REPLICATE);
         }},
        // Our 5 x 5 weights are close to a Gaussian of sigma 0.85.
        {"Gauss5x5", "GaussianBlur 5x5", Ours16(k::FilterGauss16s, k::Mask5x5),
         [] {
             Images& d = Data();
             cv::GaussianBlur(d.src16, d.dst16, {5, 5}, 0.85, 0.85, cv::BORDER_REPLICATE);
         }},
        {"Hipass3x3", "filter2D 3x3", Ours16(k::FilterHipass16s, k::Mask3x3),
         Filter2D({-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1), 1},
        {"Hipass5x5", "filter2D 5x5", Ours16(k::FilterHipass16s, k::Mask5x5), Filter2D(hipass5, 1), 1},
        {"Lowpass3x3", "blur 3x3", Ours16(k::FilterLowpass16s, k::Mask3x3),
         [] {
             Images& d = Data();
             cv::blur(d.src16, d.dst16, {3, 3}, {-1, -1}, cv::BORDER_REPLICATE);
         },
         1},
        {"Lowpass3x3/filter2D", "filter2D 3x3", Ours16(k::FilterLowpass16s, k::Mask3x3),
         Filter2D(std::vector<float>(9, 1.f), 9)},
        {"Lowpass5x5", "blur 5x5", Ours16(k::FilterLowpass16s, k::Mask5x5),
         [] {
             Images& d = Data();
             cv::blur(d.src16, d.dst16, {5, 5}, {-1, -1}, cv::BORDER_REPLICATE);
         },
         1},
        {"Lowpass5x5/filter2D", "filter2D 5x5", Ours16(k::FilterLowpass16s, k::Mask5x5),
         Filter2D(std::vector<float>(25, 1.f), 25)},
        {"Sharpen", "filter2D 3x3", Ours16(k::FilterSharpen16s),
         Filter2D({-1, -1, -1, -1, 16, -1, -1, -1, -1}, 8)},
        {"ScharrHoriz", "Scharr dy", Ours32(k::FilterScharrHoriz32f), Scharr(0, 1), 1},
        {"ScharrVert", "Scharr dx", Ours32(k::FilterScharrVert32f), Scharr(1, 0), 1},
        {"SobelHoriz3x3", "Sobel dy 3", Ours32(k::FilterSobelHoriz32f, k::Mask3x3), Sobel(0, 1, 3), 1},
        {"SobelHoriz5x5", "Sobel dy 5", Ours32(k::FilterSobelHoriz32f, k::Mask5x5), Sobel(0, 1, 5), 1},
        {"SobelVert3x3", "Sobel dx 3", Ours32(k::FilterSobelVert32f, k::Mask3x3), Sobel(1, 0, 3), -1},
        {"SobelVert5x5", "Sobel dx 5", Ours32(k::FilterSobelVert32f, k::Mask5x5), Sobel(1, 0, 5), -1},
        {"SobelHorizSecond3x3", "Sobel dy2 3", Ours32(k::FilterSobelHorizSecond32f, k::Mask3x3),
         Sobel(0, 2, 3), 1},
        {"SobelHorizSecond5x5", "Sobel dy2 5", Ours32(k::FilterSobelHorizSecond32f, k::Mask5x5),
         Sobel(0, 2, 5), 1},
        {"SobelVertSecond3x3", "Sobel dx2 3", Ours32(k::FilterSobelVertSecond32f, k::Mask3x3), Sobel(2, 0, 3),
         1},
        {"SobelVertSecond5x5", "Sobel dx2 5", Ours32(k::FilterSobelVertSecond32f, k::Mask5x5), Sobel(2, 0, 5),
         1},
        {"SobelCross3x3", "Sobel dxdy 3", Ours32(k::FilterSobelCross32f, k::Mask3x3), Sobel(1, 1, 3), -1},
        {"SobelCross5x5", "Sobel dxdy 5", Ours32(k::FilterSobelCross32f, k::Mask5x5), Sobel(1, 1, 5), -1},
    };
}

// Runs both sides once where they compute the same thing and counts the cells that differ (beyond
// rounding for floats): a wrong orientation or weight in either setup shows here, not as a timing.
bool CheckAgreement(const std::vector<Pair>& pairs, std::ostream& out) {
    bool ok = true;
    for (const Pair& pair : pairs) {
        if (!pair.agree)
            continue;
        Images& d = Data();
        // The float kernels are the Scharr and Sobel ones.
        cv::Mat& dst =
            pair.name.rfind("Scharr", 0) == 0 || pair.name.rfind("Sobel", 0) == 0 ? d.dst32 : d.dst16;
        if (pair.ours() != k::StsNoErr) {
            out << pair.name << ": our kernel failed\n";
            ok = false;
            continue;
        }
        cv::Mat ours;
        dst.convertTo(ours, CV_64F);
        pair.opencv();
        cv::Mat theirs;
        dst.convertTo(theirs, CV_64F, pair.agree);
        // Float sums of 25 weighted cells of up to 32768 differ by a few units with the order of adding.
        const double tolerance = dst.depth() == CV_32F ? 4 : 0;
        const int differing = cv::countNonZero(cv::abs(ours - theirs) > tolerance);
        if (differing) {
            out << pair.name << ": " << differing << " cells differ from OpenCV's " << pair.theirs << "\n";
            ok = false;
        }
    }
    out << (ok ? "every comparable kernel agrees with OpenCV\n" : "") << std::flush;
    return ok;
}

void PrintRatios(const bench::MeanReporter& reporter, const std::vector<Pair>& pairs, std::ostream& out) {
    char line[160];
    std::snprintf(line, sizeof line, "\n%-20s %10s %10s %7s  %s\n", "kernel", "ours ms", "opencv ms", "ratio",
                  "opencv call");
    out << line;
    for (const Pair& pair : pairs) {
        const double ours = reporter.MeanMs("Ours/" + pair.name);
        const double theirs = reporter.MeanMs("OpenCV/" + pair.name);
        if (ours < 0 || theirs < 0)
            std::snprintf(line, sizeof line, "%-20s %10s %10s %7s  %s\n", pair.name.c_str(), "-", "-", "n/a",
                          pair.theirs.c_str());
        else
            std::snprintf(line, sizeof line, "%-20s %10.2f %10.2f %7.2f  %s\n", pair.name.c_str(), ours,
                          theirs, ours / theirs, pair.theirs.c_str());
        out << line;
    }
    out << std::flush;
}

int Run() {
    cv::setNumThreads(0);
    const std::vector<Pair> pairs = Pairs();
    if (!CheckAgreement(pairs, std::cout))
        return 1;

    for (const Pair& pair : pairs) {
        bench::WallMs(bench::RegisterChecked("Ours/" + pair.name, pair.ours, k::StsNoErr));
        std::function<void()> opencv = pair.opencv;
        bench::WallMs(
            benchmark::RegisterBenchmark(("OpenCV/" + pair.name).c_str(), [opencv](benchmark::State& state) {
                for (auto _ : state)
                    opencv();
            }));
    }

    bench::RunAndSummarise([&pairs](const bench::MeanReporter& reporter, std::ostream& out) {
        PrintRatios(reporter, pairs, out);
    });
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_kernels_linear", Run);
}
