#include "Pacing.h"

#include <chrono>
#include <cmath>

namespace lumetra::sim {

namespace {

// An empty loop the optimiser must keep: the barrier says memory may change.
inline void spin(std::uint64_t n)
{
    for (std::uint64_t i = 0; i < n; ++i)
        asm volatile("" ::: "memory");
}

std::uint64_t calibrate()
{
    using clock = std::chrono::steady_clock;
    std::uint64_t n = 1 << 12;
    for (;;) {
        const auto t0 = clock::now();
        spin(n);
        const auto ns = std::chrono::duration<double, std::nano>(clock::now() - t0).count();
        if (ns >= 2e6 || n >= (1ull << 34)) {
            const double perSpin = ns / static_cast<double>(n);
            const auto spins = static_cast<std::uint64_t>(std::llround(delayStepNanoseconds / perSpin));
            return spins > 0 ? spins : 1;
        }
        n *= 2;
    }
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
