#pragma once

#include <chrono>
#include <ctime>

namespace lumetra {

// The steady clock, as a run reads it some 1 500 times. In the browser's build
// std::chrono's reading is a noexcept call around one that might throw, so it leaves
// for JavaScript three times (the exception wrapper, back in, then the clock); the
// system call underneath leaves once. Both are the monotonic clock.
inline std::chrono::steady_clock::time_point steadyNow()
{
#ifdef __EMSCRIPTEN__
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::chrono::steady_clock::time_point(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec)));
#else
    return std::chrono::steady_clock::now();
#endif
}

} // namespace lumetra
