#pragma once

#include "Canvas.h"

namespace lumetra::sim {

// The whole Start run: set-up and clearing, optical parameters, the sweep with its
// bars, dots and pacing, and the end of the run. A failure leaves what was drawn and
// written so far and propagates.
void startRun(Canvas& canvas);

} // namespace lumetra::sim
