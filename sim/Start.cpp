#include "Start.h"

#include "Convert.h"
#include "Display.h"
#include "Errors.h"
#include "Optics.h"
#include "Setup.h"
#include "Sweep.h"

namespace lumetra::sim {

namespace {

// What every point of a run shares, from the boxes read after the set-up.
SweepConstants constantsOf(Canvas& canvas, const Geometry& g, RunParameters& p)
{
    chooseOpticalParameters(canvas, p);
    return SweepConstants(g, p, tiltFor(numberIn(canvas, Box::nUhel)));
}

} // namespace

void startRun(Canvas& canvas, RunObserver* observer, SweepMemory* memory)
{
    Geometry g;
    RunParameters p;
    std::string frequency;
    Clearing clearing = Clearing::FirstRun;
    p.phaseRate = setUpRun(canvas, g, &frequency, &clearing);
    if (observer)
        observer->cleared(clearing);
    const SweepConstants constants = constantsOf(canvas, g, p);
    if (observer)
        observer->swept(constants);
    try {
        sweep(canvas, constants, [&](int d, double probability, int tailY) {
            const int dots = showPoint(canvas, g, p.barScale, d, probability, tailY);
            if (observer)
                observer->point(d, probability, dots);
        }, memory);
    } catch (const Overflow& e) {
        // every other quantity of the sweep is bounded: the arrows turned too fast
        throw Overflow(std::string(e.what()) + " Kmitočet " + quoteForReport(frequency)
                       + " je pro výpočet šipek příliš velký.");
    }
    endRun(canvas);
    if (observer)
        observer->ended();
}

void prepareSums(Canvas& canvas, SweepMemory& memory)
{
    RunParameters p;
    try {
        p.phaseRate = phaseRateOf(canvas.Text(Box::nKmitočet));
        memory.probabilities(constantsOf(canvas, Geometry{}, p));
    } catch (const Failure&) {
        // the run reports it, in its own order
    }
}

} // namespace lumetra::sim
