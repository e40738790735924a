#pragma once

#include "Canvas.h"
#include "Setup.h"

namespace lumetra::sim {

struct SweepConstants;
class SweepMemory;

// Follows a run as it goes, for whoever looks at the run afterwards; it draws nothing.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // After the set-up, with the clearing it chose.
    virtual void cleared(Clearing clearing) = 0;
    // Before the first screen point, with what every point of the run shares.
    virtual void swept(const SweepConstants& constants) = 0;
    // A screen point shown: the probability its bar took, and the photon dots drawn.
    virtual void point(int d, double probability, int dots) = 0;
    // After the last screen point and the end of the run.
    virtual void ended() = 0;
};

// The whole Start run: set-up and clearing, optical parameters, the sweep with its
// bars, dots and pacing, and the end of the run. A failure leaves what was drawn and
// written so far and propagates. With a memory, a run like the last one takes its sums
// from it.
void startRun(Canvas& canvas, RunObserver* observer = nullptr, SweepMemory* memory = nullptr);

// Sums, into the memory, what a run with the settings in the boxes would sum: work for
// an idle window, so that the next Start need not. It reads the boxes as the run does,
// and draws and asks nothing; settings that the run would fail on are left to the run.
void prepareSums(Canvas& canvas, SweepMemory& memory);

} // namespace lumetra::sim
