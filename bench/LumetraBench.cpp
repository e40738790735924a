// Run with --benchmark_format=json for figures to compare against.
#include "Application.h"
#include "Lumetrafrm.h"
#include "Picture.h"
#include "QtCanvas.h"
#include "RecordingCanvas.h"
#include "Setup.h"
#include "Start.h"
#include "Sweep.h"

#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

using namespace lumetra;

namespace {

sim::SweepConstants defaultConstants()
{
    sim::RunParameters p;
    p.phaseRate = 0.75 * 0.2;
    p.refrFactor = 2;
    p.barScale = 0.0035;
    p.arrowLength = 10;
    return sim::SweepConstants(sim::Geometry{}, p, sim::tiltFor(45));
}

double residentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// The reference: every screen point of a run summed arrow by arrow on one core, 7001
// points of 501 arrows, each with its own cosine and sine.
void BM_DirectSum(benchmark::State& state)
{
    const auto c = defaultConstants();
    for (auto _ : state)
        for (int d = 0; d <= c.lastPoint; ++d)
            benchmark::DoNotOptimize(sim::sweepPoint(c, d, nullptr));
}
BENCHMARK(BM_DirectSum)->Unit(benchmark::kMillisecond);

// The arithmetic of a whole run as the sweep does it, on one core: the probabilities of
// all screen points, and the drawn chains summed arrow by arrow.
void BM_SweepArithmetic(benchmark::State& state)
{
    const auto c = defaultConstants();
    for (auto _ : state) {
        benchmark::DoNotOptimize(sim::probabilities(c).data());
        for (int d = 0; d <= c.lastPoint; d += sim::chainEvery)
            benchmark::DoNotOptimize(sim::sweepPoint(c, d, nullptr));
    }
}
BENCHMARK(BM_SweepArithmetic)->Unit(benchmark::kMillisecond);

// The whole sweep as a run makes it, but drawing only into a canvas that counts.
void BM_SweepOnRecordingCanvas(benchmark::State& state)
{
    const auto c = defaultConstants();
    for (auto _ : state) {
        RecordingCanvas canvas;
        canvas.setRecordCalls(false);
        sim::sweep(canvas, c, [](int, double p, int) { benchmark::DoNotOptimize(p); });
    }
}
BENCHMARK(BM_SweepOnRecordingCanvas)->Unit(benchmark::kMillisecond);

// A window with the text boxes a run uses, never shown.
struct OffscreenWindow {
    QWidget window;
    Picture picture{QSize(1920, 1080), 1.0, threeDLightRgb};
    QtCanvas canvas{&window, picture};
    OffscreenWindow()
    {
        for (int i = 0; i < boxCount; ++i) {
            auto* edit = new QLineEdit(&window);
            edit->setObjectName(QString::fromUtf8(std::string(boxName(static_cast<Box>(i))).c_str()));
        }
        canvas.setLive(false);
        canvas.Text(Box::nIndex, "1.7");
    }
};

void BM_FullWipe(benchmark::State& state)
{
    OffscreenWindow w;
    for (auto _ : state)
        sim::clearPicture(w.canvas, sim::Geometry{}, sim::Clearing::Full);
}
BENCHMARK(BM_FullWipe)->Unit(benchmark::kMillisecond);

// The same 26 rays at every screen point, as a run draws them.
void BM_IncomingRays(benchmark::State& state)
{
    OffscreenWindow w;
    const auto c = defaultConstants();
    for (auto _ : state)
        for (int d = 0; d <= c.lastPoint; ++d)
            for (const auto& ray : c.rays) {
                w.canvas.DrawWidth(1);
                w.canvas.Line(ray.x1, ray.y1, ray.x2, ray.y2);
            }
}
BENCHMARK(BM_IncomingRays)->Unit(benchmark::kMillisecond);

// A whole first run with the start-up settings (delay count 1) in the real window
// class, on the off-screen platform.
void BM_WholeRun(benchmark::State& state)
{
    Lumetrafrm window;
    auto* maže = window.findChild<QLineEdit*>(QStringLiteral("nMaže"));
    for (auto _ : state) {
        maže->setText(QStringLiteral("0")); // every iteration is a first run: no question
        window.cmdStart_Click();
    }
    state.counters["resident_MB"] = residentMegabytes();
}
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMillisecond)->UseRealTime();

// A later run answered "Ano": the question, then the full wipe, then the sweep.
void BM_LaterRunFullWipe(benchmark::State& state)
{
    Lumetrafrm window;
    window.canvas().setQuestionHandler([](const std::string&) { return vbYes; });
    window.cmdStart_Click();
    for (auto _ : state)
        window.cmdStart_Click();
}
BENCHMARK(BM_LaterRunFullWipe)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WindowStartUp(benchmark::State& state)
{
    for (auto _ : state) {
        Lumetrafrm window;
        window.show();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_WindowStartUp)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app::prepareApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
