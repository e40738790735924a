#include "Pacing.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace lumetra::sim {

namespace {

// An empty loop the optimiser must keep: the barrier says memory may change.
inline void spin(std::uint64_t n)
{
    for (std::uint64_t i = 0; i < n; ++i)
        asm volatile("" ::: "memory");
}

// Time on this thread's own clock, so that a calibration made while the other core is
// busy, or while we were descheduled, is not mistaken for a slow machine.
double threadNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

std::uint64_t calibrate()
{
    std::uint64_t n = 1 << 12;
    double best = 0;
    for (int tries = 0; tries < 5;) {
        const double t0 = threadNanoseconds();
        spin(n);
        const double ns = threadNanoseconds() - t0;
        if (ns < 2e6 && n < (1ull << 34)) {
            n *= 2;
            continue;
        }
        // the fastest of a few: interruptions only ever make a try slower
        const double perSpin = ns / static_cast<double>(n);
        best = tries++ == 0 ? perSpin : std::min(best, perSpin);
    }
    const auto spins = static_cast<std::uint64_t>(std::llround(delayStepNanoseconds / best));
    return spins > 0 ? spins : 1;
}

} // namespace

std::uint64_t spinsPerStep()
{
    static const std::uint64_t spins = calibrate();
    return spins;
}

long long pacingSteps(double count)
{
    if (!(count > 0.0))
        return 0;
    if (count >= static_cast<double>(maxDelayCount))
        return maxDelayCount;
    return static_cast<long long>(std::ceil(count));
}

void pace(double count)
{
    const long long steps = pacingSteps(count);
    if (steps == 0)
        return;
    const std::uint64_t spins = spinsPerStep();
    // the test comes before each subtraction, so a count of N makes exactly N steps
    for (long long counter = steps; counter != 0; counter = counter - 1)
        spin(spins);
}

} // namespace lumetra::sim
