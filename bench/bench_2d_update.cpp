// A Surface-menu change on a 2048 x 2048 scan shown in a 2D window, until it is on the screen: the
// chain, the texture build, the upload through the colour transfer and the draw, against the chain
// alone on the same document; and a user going through the filters of the Surface menu one after
// another. Run under a display (xvfb-run); VANTRI_BENCH_SIDE=4096 in the environment takes a scan of
// that side instead.
#include <benchmark/benchmark.h>

#include <QOpenGLWidget>
#include <QSurfaceFormat>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <qopengl.h>

#include "BenchWindow.h"
#include "framework/qt/fwChildFrame.h"
#include "framework/qt/fwMDIFrame.h"
#include "framework/qt/fwQtApp.h"
#include "model/SurfaceCommands.h"
#include "model/VantriDoc.h"
#include "view2d/qt/View2D.h"
#include "view3d/qt/glContext.h"

namespace {

// The scan's side: 2048, or VANTRI_BENCH_SIDE when it is a number from 16 to 8192.
int Side() {
    const char* text = std::getenv("VANTRI_BENCH_SIDE");
    const int side = text ? std::atoi(text) : 0;
    return side >= 16 && side <= 8192 ? side : 2048;
}
const int kSide = Side();
doc::CVantriDoc* g_doc = nullptr;
m2D::C2DView* g_view = nullptr;

// A Surface-menu setting switched on and off in turn, so that every run changes the surface. The chain
// runs as the commands run it, through the reader's Reprocess (the chain and the extents after it).
// Plane fitting goes through its command; the median of the 5 x 5 cross, a heavier stage, is set,
// run and sent to the views as its command does.
void Toggle(bool on, bool median, bool toScreen) {
    if (!median && toScreen) {
        g_doc->OnCommand(on ? doc::ID_PLANE_PLANE : doc::ID_PLANE_NONE);
    } else {
        if (median)
            g_doc->m_filter.type = on ? doc::FilterType::Median5 : doc::FilterType::None;
        else
            g_doc->m_planeFit.mode = on ? doc::PlaneModel::Plane : doc::PlaneModel::None;
        g_doc->Reprocess();
        if (toScreen)
            g_doc->UpdateAllViews(nullptr, doc::kHintSurface);
    }
    // Drawn into the window's framebuffer and read back: the picture the screen shows.
    if (toScreen)
        benchmark::DoNotOptimize(g_view->GetGLWidget()->grabFramebuffer());
}

// Each change is computed, not found among the results the document keeps: what it kept of the changed
// stage and after it is dropped first, in both the chain's timing and the screen's.
void Change(benchmark::State& state, bool median, bool toScreen) {
    g_doc->Chain().Keep(true);
    const int step = median ? doc::CChain::kFilter : doc::CChain::kPlane;
    bool on = false;
    for (auto _ : state) {
        g_doc->Chain().DropFrom(step);
        Toggle(on = !on, median, toScreen);
    }
    Toggle(false, median, false);
}

// The filters of the Surface menu chosen one after another through their commands, each drawn: more
// of them than the document keeps results of, so that every choice is computed.
void FilterCycle(benchmark::State& state) {
    static const int kCommands[] = {doc::ID_FILTER_MEAN3,    doc::ID_FILTER_MEDIAN3, doc::ID_FILTER_GAUSS3,
                                    doc::ID_FILTER_MEAN5,    doc::ID_FILTER_MEDIAN5, doc::ID_FILTER_GAUSS5,
                                    doc::ID_FILTER_LOWPASS3, doc::ID_FILTER_SHARPEN, doc::ID_FILTER_MEAN7,
                                    doc::ID_FILTER_LOWPASS5, doc::ID_FILTER_LAPLACE3};
    std::size_t next = 0;
    for (auto _ : state) {
        g_doc->OnCommand(kCommands[next++ % std::size(kCommands)]);
        benchmark::DoNotOptimize(g_view->GetGLWidget()->grabFramebuffer());
    }
    g_doc->OnCommand(doc::ID_FILTER_NONE);
}

// The parts of the way to the screen, one at a time.
void TextureBuild(benchmark::State& state) {
    for (auto _ : state)
        g_view->Model().Drawer().Build(*g_view->GetSurface());
}

void Rebuild(benchmark::State& state) {
    for (auto _ : state)
        g_view->Rebuild();
}

void Upload(benchmark::State& state) {
    gl::CCurrentContext current(g_view->GetGLWidget());
    for (auto _ : state) {
        g_view->Model().Drawer().Upload(0);
        glFinish();
    }
}

void Redraw(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(g_view->GetGLWidget()->grabFramebuffer());
}

void PrintSummary(const bench::MeanReporter& reporter, std::ostream& out) {
    const double chain = reporter.MeanMs("chain"), screen = reporter.MeanMs("chain+texture+upload+draw");
    char line[200];
    std::snprintf(line, sizeof line,
                  "\n%dx%d plane fit: chain %s ms, to the screen %s ms, ratio %s (goal <= 1.30)\n", kSide,
                  kSide, bench::Ms(chain).c_str(), bench::Ms(screen).c_str(),
                  bench::Ratio(screen, chain).c_str());
    out << line;
    const double median = reporter.MeanMs("median chain"),
                 medianScreen = reporter.MeanMs("median to the screen");
    std::snprintf(line, sizeof line, "%dx%d median 5 x 5 cross: chain %s ms, to the screen %s ms, ratio %s\n",
                  kSide, kSide, bench::Ms(median).c_str(), bench::Ms(medianScreen).c_str(),
                  bench::Ratio(medianScreen, median).c_str());
    out << line;
    // What the way to the screen adds to the chain, whatever the chain costs.
    const auto beyond = [](double total, double part) { return total < 0 || part < 0 ? -1.0 : total - part; };
    std::snprintf(line, sizeof line, "beyond the chain: plane fit %s ms, median %s ms\n",
                  bench::Ms(beyond(screen, chain)).c_str(), bench::Ms(beyond(medianScreen, median)).c_str());
    out << line;
    std::snprintf(line, sizeof line, "%dx%d a filter after another, chosen and drawn: %s ms\n", kSide, kSide,
                  bench::Ms(reporter.MeanMs("filter after filter to the screen")).c_str());
    out << line << std::flush;
}

int Run(int argc, char** argv) {
    bench::CScanWindow window(argc, argv, kSide);
    g_doc = window.document;
    g_view = window.view;
    bench::WallMs(benchmark::RegisterBenchmark("chain", Change, false, false));
    bench::WallMs(benchmark::RegisterBenchmark("chain+texture+upload+draw", Change, false, true));
    bench::WallMs(benchmark::RegisterBenchmark("median chain", Change, true, false));
    bench::WallMs(benchmark::RegisterBenchmark("median to the screen", Change, true, true));
    bench::WallMs(benchmark::RegisterBenchmark("filter after filter to the screen", FilterCycle));
    bench::WallMs(benchmark::RegisterBenchmark("texture build", TextureBuild));
    bench::WallMs(benchmark::RegisterBenchmark("rebuild", Rebuild));
    bench::WallMs(benchmark::RegisterBenchmark("upload", Upload));
    bench::WallMs(benchmark::RegisterBenchmark("redraw", Redraw));
    bench::RunAndSummarise(PrintSummary);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_2d_update", [&] { return Run(argc, argv); });
}
