// The 3D window on scans of 512, 1024 and 4096 samples a side, on this machine's OpenGL (a software
// renderer under Xvfb): building the model (arrays, normals, walls and display lists), a frame while the
// model is turned (the preview of a mesh larger than 512 x 512), a frame of the whole mesh at rest, and
// what the model's arrays hold. Run under a display (xvfb-run -a).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QOpenGLWidget>
#include <QSurfaceFormat>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>

#include "BenchCommon.h"
#include "framework/qt/fwMDIFrame.h"
#include "model/UpdateHint.h"
#include "model/VantriDoc.h"
#include "view3d/qt/View3D.h"

namespace {

// A scan-like surface: a tilt, grains and noise, in 0..1.
class CScanDoc : public doc::CVantriDoc {
public:
    explicit CScanDoc(int side) {
        columns = rows = side;
        width = height = ph::Size(10.0, "\xb5m");
        range = ph::Size(100.0, "nm");
        heights.resize(std::size_t(side) * side);
        std::mt19937 random(1);
        std::uniform_real_distribution<float> noise(-0.02f, 0.02f);
        for (int i = 0; i < side; ++i)
            for (int j = 0; j < side; ++j) {
                const double x = j / double(side), y = i / double(side);
                const double z = 0.3 + 0.2 * x + 0.1 * y + 0.1 * std::sin(40 * x) * std::sin(30 * y);
                heights[std::size_t(j) + std::size_t(i) * side] = static_cast<float>(z) + noise(random);
            }
        SetTitle(L"scan");
    }
};

struct CWindow {
    std::unique_ptr<CScanDoc> document;
    m3D::CChildFrame* frame = nullptr;
};
std::map<int, CWindow> g_windows;
std::map<int, double> g_megabytes;

m3D::C3DView& View(int side) {
    return *g_windows.at(side).frame->View();
}

void Build(benchmark::State& state, int side) {
    CWindow& window = g_windows.at(side);
    for (auto _ : state)
        window.document->UpdateAllViews(nullptr, doc::kHintSurface, nullptr);
}

// A drag across the window, one move a frame, each drawn and read back as the screen shows it.
void Turn(benchmark::State& state, int side) {
    m3D::C3DView& view = View(side);
    QOpenGLWidget* client = view.GetGLWidget();
    const QPointF centre(client->width() / 2.0, client->height() / 2.0);
    QTest::mousePress(client, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    int step = 0;
    for (auto _ : state) {
        const QPointF at = centre + QPointF(std::sin(step * 0.2) * client->width() * 0.3, 0.0);
        ++step;
        QMouseEvent move(QEvent::MouseMove, at, client->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(client, &move);
        benchmark::DoNotOptimize(client->grabFramebuffer());
    }
    QTest::mouseRelease(client, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}

void Rest(benchmark::State& state, int side) {
    QOpenGLWidget* client = View(side).GetGLWidget();
    for (auto _ : state)
        benchmark::DoNotOptimize(client->grabFramebuffer());
}

void PrintSummary(const bench::MeanReporter& reporter, std::ostream& out) {
    char line[200];
    out << "\nside   build ms   arrays MiB   turning fps (goal >= 10)   at rest ms\n";
    for (const auto& [side, window] : g_windows) {
        const std::string name = std::to_string(side);
        const double turn = reporter.MeanMs("turn/" + name);
        std::snprintf(line, sizeof line, "%-6d %9s %12.1f %26s %12s\n", side,
                      bench::Ms(reporter.MeanMs("build/" + name)).c_str(), g_megabytes[side],
                      turn > 0 ? std::to_string(static_cast<int>(1000.0 / turn)).c_str() : "n/a",
                      bench::Ms(reporter.MeanMs("rest/" + name)).c_str());
        out << line;
    }
    out << std::flush;
}

int Run(int argc, char** argv) {
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setSwapInterval(0);
    QSurfaceFormat::setDefaultFormat(format);
    QApplication qt(argc, argv);
    fw::CMDIFrame main;
    m3D::Register3DCommands(main.Commands());
    main.resize(1400, 1000);
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        throw std::runtime_error("no display");
    for (int side : {512, 1024, 4096}) {
        CWindow& window = g_windows[side];
        window.document = std::make_unique<CScanDoc>(side);
        window.frame = m3D::Open3D(*window.document, nullptr);
        if (!window.frame || !QTest::qWaitForWindowExposed(window.frame))
            throw std::runtime_error("no 3D window");
        window.frame->resize(800, 720);
        QTest::qWait(50);
        g_megabytes[side] = window.frame->View()->Model().Mesh().Bytes() / 1048576.0;
        const std::string name = std::to_string(side);
        // The largest builds and frames take seconds: a few iterations are enough.
        const int few = side >= 4096 ? 2 : 0;
        auto* build = bench::WallMs(benchmark::RegisterBenchmark(("build/" + name).c_str(), Build, side));
        auto* rest = bench::WallMs(benchmark::RegisterBenchmark(("rest/" + name).c_str(), Rest, side));
        if (few) {
            build->Iterations(few);
            rest->Iterations(few);
        }
        bench::WallMs(benchmark::RegisterBenchmark(("turn/" + name).c_str(), Turn, side));
    }
    bench::RunAndSummarise(PrintSummary);
    for (auto& [side, window] : g_windows)
        window.frame->DestroyFrame();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::Main(argc, argv, "bench_3d_turn", [&] { return Run(argc, argv); });
}
