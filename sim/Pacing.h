#pragma once

#include <cstdint>

namespace lumetra::sim {

// The slowest speed the program offers.
constexpr long long maxDelayCount = 20000;
// One step of the delay; at the slowest speed a whole run then lasts about 70 s.
constexpr double delayStepNanoseconds = 500.0;

// Steps a delay count makes. The program writes whole counts from 1 to 20000; a count
// that is not whole is rounded up, one below zero waits nothing, one above the slowest
// speed waits as long as the slowest speed, so no text can stall the window for good.
long long pacingSteps(double count);

// Busy count of pacingSteps(count) steps: no sleeping, no yielding, no events.
void pace(double count);

// Spin iterations in one step, as last measured on this machine (the first call makes
// the tries that measureSpins has not made yet).
std::uint64_t spinsPerStep();

// Times the spins once more, for the delays after it: while the window is idle, as a try
// lasts a few milliseconds. True while it wants another try before its step is trusted.
bool measureSpins();

} // namespace lumetra::sim
