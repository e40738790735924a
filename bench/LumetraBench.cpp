// Run with --benchmark_format=json for figures to compare against.
#include "Application.h"
#include "Lumetrafrm.h"
#include "PaintedCanvas.h"
#include "Picture.h"
#include "RecordingCanvas.h"
#include "Setup.h"
#include "Start.h"
#include "Sweep.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
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

// The window's picture and canvas, never shown.
struct OffscreenWindow {
    Picture picture{1.0 / twipsPerPixel, threeDLightPixel};
    PaintedCanvas canvas{picture};
};

void BM_FullWipe(benchmark::State& state)
{
    OffscreenWindow w;
    for (auto _ : state)
        sim::clearPicture(w.canvas, sim::Geometry{}, sim::Clearing::Full);
}
BENCHMARK(BM_FullWipe)->Unit(benchmark::kMillisecond);

// The same 26 rays at every screen point, as a run draws them; at factor 1 and 1.77.
void BM_IncomingRays(benchmark::State& state)
{
    OffscreenWindow w;
    w.picture.setScale(static_cast<double>(state.range(0)) / 100 / twipsPerPixel);
    const auto c = defaultConstants();
    for (auto _ : state)
        for (int d = 0; d <= c.lastPoint; ++d)
            for (const auto& ray : c.rays) {
                w.canvas.DrawWidth(1);
                w.canvas.Line(ray.x1, ray.y1, ray.x2, ray.y2);
            }
}
BENCHMARK(BM_IncomingRays)->Arg(100)->Arg(177)->Unit(benchmark::kMillisecond);

// The window shown at the design area's size, 15 twips to a pixel.
void showAtFactorOne(Lumetrafrm& window)
{
    window.resize(867, 600);
    window.show();
    QApplication::processEvents();
}

// A whole first run with the start-up settings (delay count 1) in the real window
// class, on the off-screen platform.
void BM_WholeRun(benchmark::State& state)
{
    for (auto _ : state) {
        // a fresh window each time: a first run, with nothing drawn before it
        state.PauseTiming();
        auto window = std::make_unique<Lumetrafrm>();
        showAtFactorOne(*window);
        state.ResumeTiming();
        window->handle("cmdStart");
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["resident_MB"] = residentMegabytes();
}
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMillisecond)->UseRealTime();

// A later run answered "Ano": the question, then the full wipe, then the sweep.
void BM_LaterRunFullWipe(benchmark::State& state)
{
    Lumetrafrm window;
    showAtFactorOne(window);
    window.setQuestionHandler([](const std::string&) { return vbYes; });
    window.handle("cmdStart");
    for (auto _ : state)
        window.handle("cmdStart");
}
BENCHMARK(BM_LaterRunFullWipe)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs with the colour changing between them, every one after the first answered "Ne",
// so that the bars and dots of all of them stay in the picture.
void compareColours(PaintedCanvas& canvas, int runs)
{
    static const char* const colours[][2] = {{"Zelená", "0.75"}, {"Červená", "0.5"}, {"Modrá", "1"}};
    for (int i = 0; i < runs; ++i) {
        canvas.choose(colours[i % 3][0], colours[i % 3][1]);
        canvas.answer(vbNo);
        sim::startRun(canvas);
    }
}

// The picture of 20 such runs drawn again at another size, as after a maximize; the
// reference is drawing one run at that size.
void BM_RedrawTwentyRuns(benchmark::State& state)
{
    Picture picture(1.0 / twipsPerPixel, threeDLightPixel);
    PaintedCanvas canvas(picture);
    compareColours(canvas, 20);
    bool large = false;
    for (auto _ : state) {
        large = !large;
        picture.setScale((large ? 1.77 : 1.0) / twipsPerPixel);
    }
    state.counters["kept_lines"] = static_cast<double>(picture.keptLines());
}
BENCHMARK(BM_RedrawTwentyRuns)->Unit(benchmark::kMillisecond);

// Tidying after two such runs, as the window does when idle: the lines that later ones
// cover are forgotten to make room for a third. Input that arrives meanwhile waits.
void BM_TidyAfterTwoRuns(benchmark::State& state)
{
    std::size_t kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Picture picture(1.0 / twipsPerPixel, threeDLightPixel);
        PaintedCanvas canvas(picture);
        compareColours(canvas, 1);
        const std::uint64_t before = picture.linesEverKept();
        compareColours(canvas, 1);
        const auto lastRun = static_cast<std::size_t>(picture.linesEverKept() - before);
        state.ResumeTiming();
        while (picture.makeRoom(lastRun)) {
        }
        kept = picture.keptLines();
    }
    state.counters["kept_lines"] = static_cast<double>(kept);
}
BENCHMARK(BM_TidyAfterTwoRuns)->Unit(benchmark::kMillisecond);

void BM_OneRunAtFactor177(benchmark::State& state)
{
    Picture picture(1.77 / twipsPerPixel, threeDLightPixel);
    PaintedCanvas canvas(picture);
    compareColours(canvas, 1);
    for (auto _ : state)
        compareColours(canvas, 1);
}
BENCHMARK(BM_OneRunAtFactor177)->Unit(benchmark::kMillisecond);

// Resident memory of the real window, maximized on a full-HD screen, after 200 runs
// answered "Ne" with the colour changing between them; after_one_run_MB is the reference.
void BM_ResidentAfter200Runs(benchmark::State& state)
{
    for (auto _ : state) {
        Lumetrafrm window;
        window.resize(1920, 1061);
        window.show();
        QApplication::processEvents();
        window.setQuestionHandler([](const std::string&) { return vbNo; });
        const char* const options[] = {"opZelená", "opČervená", "opModrá"};
        for (int run = 0; run < 200; ++run) {
            window.findChild<QRadioButton*>(QString::fromUtf8(options[run % 3]))->setChecked(true);
            window.handle("cmdStart");
            QApplication::processEvents();
            if (run == 0)
                state.counters["after_one_run_MB"] = residentMegabytes();
        }
        state.counters["resident_MB"] = residentMegabytes();
        state.counters["kept_lines"] = static_cast<double>(window.picture().keptLines());
    }
}
BENCHMARK(BM_ResidentAfter200Runs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_WindowStartUp(benchmark::State& state)
{
    for (auto _ : state) {
        Lumetrafrm window;
        window.show();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_WindowStartUp)->Unit(benchmark::kMillisecond)->UseRealTime();

// The inspector moving from one screen point to the next after a run, in the window
// maximized on a full-HD screen (factor 1.77): the new chain, the panel drawn and shown.
void BM_InspectorMove(benchmark::State& state)
{
    Lumetrafrm window;
    window.resize(1534, 1062);
    window.show();
    QApplication::processEvents();
    window.handle("cmdStart");
    auto* panel = window.findChild<QWidget*>(QStringLiteral("inspector"));
    const auto& at = window.placement();
    const double x = at.left + 5600 * at.pixelsPerTwip();
    int d = 0;
    for (auto _ : state) {
        d = (d + 7) % 7001;
        window.model().pointerMoved(x, at.top + (1000 + d) * at.pixelsPerTwip());
        panel->repaint();
    }
    state.counters["point"] = d;
}
BENCHMARK(BM_InspectorMove)->Unit(benchmark::kMillisecond)->UseRealTime();

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
