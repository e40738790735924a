#include "Start.h"

#include "Display.h"
#include "Optics.h"
#include "Setup.h"
#include "Sweep.h"

namespace lumetra::sim {

void startRun(Canvas& canvas)
{
    Geometry g;
    RunParameters p;
    p.phaseRate = setUpRun(canvas, g);
    chooseOpticalParameters(canvas, p);

    const double tilt = tiltFor(numberIn(canvas, Box::nUhel));
    const SweepConstants constants(g, p, tilt);
    sweep(canvas, constants, [&](int d, double probability, int tailY) {
        showPoint(canvas, g, p.barScale, d, probability, tailY);
    });
    endRun(canvas);
}

} // namespace lumetra::sim
