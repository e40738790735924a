#pragma once

#include "Canvas.h"
#include "Setup.h"

#include <vector>

namespace lumetra::sim {

// What a run that ended showed, for telling it in words or tones beside the picture.
struct RunShown {
    std::vector<double> probability; // by screen point d = 0 … lastPoint, as its bar took it
    long long dots = 0;              // photon dots drawn
    Clearing clearing = Clearing::FirstRun;
};

// The whole Start run: set-up and clearing, optical parameters, the sweep with its
// bars, dots and pacing, and the end of the run. A failure leaves what was drawn and
// written so far and propagates.
RunShown startRun(Canvas& canvas);

} // namespace lumetra::sim
