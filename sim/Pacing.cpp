#include "Pacing.h"

#include "Clock.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>
#include <mutex>

namespace lumetra::sim {

namespace {

// Where the spins leave their work, so that the optimiser keeps it.
volatile std::uint64_t spun = 0;

// Steps of a chain, each of which waits for the last: an empty loop was unrolled into
// almost nothing in the browser's build, and its speed then swung severalfold with what
// the other core did. Out of line, so that the calibration times the very code the
// delays run.
[[gnu::noinline]] void spin(std::uint64_t n)
{
    std::uint64_t x = n;
    for (std::uint64_t i = 0; i < n; ++i)
        x = (x ^ (x >> 29)) * 0xBF58476D1CE4E5B9ull;
    spun = x;
}

// Time on this thread's own clock, so that a calibration made while we were
// descheduled is not mistaken for a slow machine. A browser has no such clock; there
// the page's own clock serves, which nothing else moves while we spin.
bool threadNanoseconds(double& ns)
{
    timespec t{};
    const bool own = clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t) == 0;
    if (!own)
        clock_gettime(CLOCK_MONOTONIC, &t);
    ns = static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
    return own;
}

// One try at the speed of a spin: spins of a count that lasts at least as long as the
// clock times well. The count that got there is kept for the next try. Under triesMutex.
double tryNanosecondsPerSpin()
{
    static std::uint64_t n = 1 << 12;
    double t0 = 0, t1 = 0;
    // a page's clock ticks every 0.1 ms, and a slowed-down browser stalls its thread
    // every few tenths: its tries are longer
    const double shortestTry = threadNanoseconds(t0) ? 5e5 : 2e6;
    for (;;) {
        threadNanoseconds(t0);
        spin(n);
        threadNanoseconds(t1);
        const double ns = t1 - t0;
        if (ns >= shortestTry || n >= (1ull << 34))
            return ns / static_cast<double>(n);
        n *= 2;
    }
}

// The last three tries, and the middle one of them. Not the fastest: on a page's clock a
// try can be fast as well as slow, when it falls between the stalls of a slowed-down
// browser, or before the browser has compiled the spins as it will once they are hot.
class Tries {
public:
    double add(double perSpin)
    {
        tries_[next_++ % tries_.size()] = perSpin;
        if (!enough())
            return perSpin;
        const auto [a, b, c] = tries_;
        return std::max(std::min(a, b), std::min(std::max(a, b), c));
    }
    bool enough() const { return next_ >= tries_.size(); }

private:
    std::array<double, 3> tries_{};
    std::size_t next_ = 0;
};

std::mutex triesMutex;
Tries tries;
std::atomic<bool> triedEnough{false};

// How long one spin takes now. A spin's speed changes with the load on the other core
// and the clock of this one, so every delay long enough to time well corrects it, and
// so does a try while the window is idle.
std::atomic<double> perSpinNs{0.0};

// Under triesMutex.
void tryOnce()
{
    perSpinNs.store(tries.add(tryNanosecondsPerSpin()));
    triedEnough.store(tries.enough());
}

std::atomic<double>& nanosecondsPerSpin()
{
    if (!triedEnough.load()) {
        const std::lock_guard lock(triesMutex);
        while (!tries.enough())
            tryOnce();
    }
    return perSpinNs;
}

// Delays are timed together until they add up to this much, so that short ones count
// as much as long ones and a delay that was descheduled weighs no more than its share.
constexpr double correctionWindowNs = 20e6;

} // namespace

bool measureSpins()
{
    const std::lock_guard lock(triesMutex);
    tryOnce();
    return !tries.enough();
}

std::uint64_t spinsPerStep()
{
    const auto spins = static_cast<std::uint64_t>(std::llround(delayStepNanoseconds / nanosecondsPerSpin().load()));
    return std::max<std::uint64_t>(spins, 1);
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
    // Short delays are timed one in 128: reading the clock twice would cost a good part of
    // a one-step delay (in a browser, twice all of it, some 110 times a run even so), and a
    // sample sets the steps' length as well as all of them.
    static thread_local unsigned delays = 0;
    const bool timed = steps >= 64 || (++delays & 127u) == 0;
    const auto start = timed ? steadyNow() : std::chrono::steady_clock::time_point{};
    // the test comes before each subtraction, so a count of N makes exactly N steps
    for (long long counter = steps; counter != 0; counter = counter - 1)
        spin(spins);
    if (!timed)
        return;
    // The clock is read after the count, never waited on: it only sets the length of
    // the steps of later delays, so that a run lasts as long on a busy machine as on an idle one.
    static thread_local double timedNs = 0, timedSpins = 0;
    timedNs += std::chrono::duration<double, std::nano>(steadyNow() - start).count();
    timedSpins += static_cast<double>(steps) * static_cast<double>(spins);
    if (timedNs >= correctionWindowNs) {
        auto& perSpin = nanosecondsPerSpin();
        const double old = perSpin.load();
        perSpin.store(std::clamp(0.5 * old + 0.5 * timedNs / timedSpins, 0.5 * old, 2.0 * old));
        timedNs = timedSpins = 0;
    }
}

} // namespace lumetra::sim
