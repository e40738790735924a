#include "Start.h"

#include "Convert.h"
#include "Display.h"
#include "Errors.h"
#include "Optics.h"
#include "Setup.h"
#include "Sweep.h"

namespace lumetra::sim {

void startRun(Canvas& canvas, RunObserver* observer, SweepMemory* memory)
{
    Geometry g;
    RunParameters p;
    std::string frequency;
    Clearing clearing = Clearing::FirstRun;
    p.phaseRate = setUpRun(canvas, g, &frequency, &clearing);
    if (observer)
        observer->cleared(clearing);
    chooseOpticalParameters(canvas, p);

    const double tilt = tiltFor(numberIn(canvas, Box::nUhel));
    const SweepConstants constants(g, p, tilt);
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

} // namespace lumetra::sim
