#pragma once

#include <cstdint>

namespace lumetra {

// 24-bit linear congruential generator. A re-seed replaces only the upper two bytes
// of the state and keeps the low byte, so re-seeding with the same number does not
// restart one identical sequence every time; a fresh generator is always the same.
class Rng {
public:
    static constexpr std::uint32_t initialState = 0x50000u;

    void Randomize(double seed);
    float Rnd();

    std::uint32_t state() const { return state_; }

private:
    std::uint32_t state_ = initialState;
};

} // namespace lumetra
