#include "Start.h"

#include "Convert.h"
#include "Display.h"
#include "Errors.h"
#include "Optics.h"
#include "Setup.h"
#include "Sweep.h"

namespace lumetra::sim {

void startRun(Canvas& canvas)
{
    Geometry g;
    RunParameters p;
    std::string frequency;
    p.phaseRate = setUpRun(canvas, g, &frequency);
    chooseOpticalParameters(canvas, p);

    const double tilt = tiltFor(numberIn(canvas, Box::nUhel));
    const SweepConstants constants(g, p, tilt);
    try {
        sweep(canvas, constants, [&](int d, double probability, int tailY) {
            showPoint(canvas, g, p.barScale, d, probability, tailY);
        });
    } catch (const Overflow& e) {
        // every other quantity of the sweep is bounded: the arrows turned too fast
        throw Overflow(std::string(e.what()) + " Kmitočet " + quoteForReport(frequency)
                       + " je pro výpočet šipek příliš velký.");
    }
    endRun(canvas);
}

} // namespace lumetra::sim
