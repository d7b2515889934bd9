// A profile window of a 4096 x 4096 scan (a diagonal line across its 2D window) following a
// Surface-menu change: the chain alone against the chain, the re-sampling and the profile's redraw;
// and a marker dragged with the mouse, each step redrawn. Run under a display (xvfb-run);
// VANTRI_BENCH_SIDE in the environment takes a scan of another side.
#include <benchmark/benchmark.h>

#include <QOpenGLWidget>
#include <QSurfaceFormat>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "BenchWindow.h"
#include "analysis/qt/ProfChildFrame.h"
#include "analysis/qt/ProfView.h"
#include "analysis/qt/Profile.h"
#include "framework/qt/fwChildFrame.h"
#include "framework/qt/fwMDIFrame.h"
#include "framework/qt/fwQtApp.h"
#include "model/SurfaceCommands.h"
#include "model/VantriDoc.h"
#include "view2d/qt/View2D.h"

namespace {

int Side() {
    const char* text = std::getenv("VANTRI_BENCH_SIDE");
    const int side = text ? std::atoi(text) : 0;
    return side >= 16 && side <= 8192 ? side : 4096;
}
const int kSide = Side();
doc::CVantriDoc* g_doc = nullptr;
prof::CProfView* g_profile = nullptr;

// Plane fitting on and off in turn, the chain run as its command runs it; with `profile` the profile
// window follows as an update of the surface makes it (re-sampled, its panes written) and is drawn.
void Change(benchmark::State& state, bool profile) {
    g_doc->Chain().Keep(true);
    bool on = false;
    for (auto _ : state) {
        g_doc->Chain().DropFrom(doc::CChain::kPlane);
        g_doc->m_planeFit.mode = (on = !on) ? doc::PlaneModel::Plane : doc::PlaneModel::None;
        g_doc->Reprocess();
        if (profile) {
            g_profile->OnUpdate(nullptr, doc::kHintSurface, nullptr);
            benchmark::DoNotOptimize(g_profile->GetGLWidget()->grabFramebuffer());
        }
    }
}

// The re-sampling and the redraw alone.
void Follow(benchmark::State& state) {
    for (auto _ : state) {
        g_profile->OnUpdate(nullptr, doc::kHintSurface, nullptr);
        benchmark::DoNotOptimize(g_profile->GetGLWidget()->grabFramebuffer());
    }
}

// The second marker dragged back and forth by the mouse: each step moves it, writes the panes and the
// sector's ends on the image, and redraws the profile; with `image` the image window's repaint that
// the step asks for is made too, as the event loop makes it.
void Drag(benchmark::State& state, bool image) {
    const prof::ProfileModel& m = g_profile->Model();
    QWidget* surface = g_profile->viewport();
    const int y = surface->height() / 2;
    const int x = m.plot.left + static_cast<int>((m.marker2 - m.xMin) / (m.xMax - m.xMin) * m.plot.width);
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(x, y));
    int step = 0;
    for (auto _ : state) {
        QTest::mouseMove(surface, QPoint(x - 40 + (step++ % 80), y));
        benchmark::DoNotOptimize(g_profile->GetGLWidget()->grabFramebuffer());
        if (image)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(x, y));
    if (g_profile->Dragged() != 0)
        throw std::runtime_error("the marker was never let go");
}

void PrintSummary(const bench::MeanReporter& reporter, std::ostream& out) {
    const double chain = reporter.MeanMs("chain"), follow = reporter.MeanMs("chain+profile");
    char line[200];
    std::snprintf(
        line, sizeof line,
        "\n%dx%d plane fit: chain %s ms, with the profile %s ms, beyond the chain %s ms (goal <= 5)\n", kSide,
        kSide, bench::Ms(chain).c_str(), bench::Ms(follow).c_str(),
        bench::Ms(chain < 0 || follow < 0 ? -1.0 : follow - chain).c_str());
    out << line;
    std::snprintf(line, sizeof line,
                  "re-sample and redraw %s ms; a marker's drag step %s ms, with the image's repaint %s ms\n",
                  bench::Ms(reporter.MeanMs("re-sample+redraw")).c_str(),
                  bench::Ms(reporter.MeanMs("marker drag step")).c_str(),
                  bench::Ms(reporter.MeanMs("marker drag step+image")).c_str());
    out << line << std::flush;
}

int Run(int argc, char** argv) {
    bench::CScanWindow window(argc, argv, kSide);
    prof::RegisterProfileCommands(window.main.Commands());
    g_doc = window.document;
    m2D::CPlaneView& plane = *window.view;
    m2D::CProfLine line;
    line.start = {0.05f, 0.1f};
    line.end = {0.95f, 0.8f};
    plane.Profiles().push_back(line);
    prof::CChildFrame* frame =
        prof::OpenProfile(plane, plane.Profiles().back(), window.main.mapToGlobal(QPoint(40, 40)));
    if (!frame || !QTest::qWaitForWindowExposed(frame))
        throw std::runtime_error("no profile window");
    g_profile = frame->View();
    QTest::qWait(100);
    bench::WallMs(benchmark::RegisterBenchmark("chain", Change, false));
    bench::WallMs(benchmark::RegisterBenchmark("chain+profile", Change, true));
    bench::WallMs(benchmark::RegisterBenchmark("re-sample+redraw", Follow));
    bench::WallMs(benchmark::RegisterBenchmark("marker drag step", Drag, false));
    bench::WallMs(benchmark::RegisterBenchmark("marker drag step+image", Drag, true));
    bench::RunAndSummarise(PrintSummary);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_profile", [&] { return Run(argc, argv); });
}
