#include "Start.h"

#include "Convert.h"
#include "Display.h"
#include "Errors.h"
#include "Optics.h"
#include "Setup.h"
#include "Sweep.h"

namespace lumetra::sim {

RunShown startRun(Canvas& canvas)
{
    Geometry g;
    RunParameters p;
    std::string frequency;
    RunShown shown;
    p.phaseRate = setUpRun(canvas, g, &frequency, &shown.clearing);
    chooseOpticalParameters(canvas, p);

    const double tilt = tiltFor(numberIn(canvas, Box::nUhel));
    const SweepConstants constants(g, p, tilt);
    shown.probability.resize(static_cast<std::size_t>(constants.lastPoint) + 1);
    try {
        sweep(canvas, constants, [&](int d, double probability, int tailY) {
            shown.probability[static_cast<std::size_t>(d)] = probability;
            shown.dots += showPoint(canvas, g, p.barScale, d, probability, tailY);
        });
    } catch (const Overflow& e) {
        // every other quantity of the sweep is bounded: the arrows turned too fast
        throw Overflow(std::string(e.what()) + " Kmitočet " + quoteForReport(frequency)
                       + " je pro výpočet šipek příliš velký.");
    }
    endRun(canvas);
    return shown;
}

} // namespace lumetra::sim
